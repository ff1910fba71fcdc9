#include "app/MacOsXLookAndFeel.h"
#include "panels/MidiPanelFixture.h"

using OutputMappingPanel = MidiPanelFixture;

TEST_F (OutputMappingPanel, ValueBoxOffersWhatTheControlTypeAllowsAndMapModesStorePercentWithTheBoxDisabled)
{
    auto value = [&] { return outputElement.getChildWithName ("control")["value"].toString() + " " + out<juce::ComboBox> ("value combo box").getText(); };
    // The alias and value stored; text typed into the box or the id of an item chosen; 100 editable + 20 slider shown + the modes, the last item and the value after.
    const struct { const char *alias, *stored, *typed; int id; const char* expected; } cases[] = {
        { "fam(SyncTools).MasterDeck", "1", "200", 0, "122 127 127 127" },               // "Integer"
        { normalAlias, "0x40", "", 0, "125 127 64 64" },                                   // "Normal": opening rewrites hexadecimal
        { "fam(Player)[0x1].TapTempo", "true", "", 2, "2 false false false" },           // "Trigger"
        { "fam(Fx)[0x1].InputChannelOnOff", "0", "", 4, "122 4:\tDeck D 3 3" },          // a range
    };

    for (const auto& c : cases)
    {
        openOutput (c.alias, c.stored, midi ("CC", 1));
        auto& box = out<juce::ComboBox> ("value combo box");
        const auto shown = juce::String (100 * box.isTextEditable() + 20 * out ("midi test number slider").isVisible() + out<juce::ComboBox> ("type combo box").getNumItems()) + " " + box.getItemText (box.getNumItems() - 1);
        c.id > 0 ? box.setSelectedId (c.id) : box.setText (*c.typed != 0 ? c.typed : box.getText());
        TestHelpers::pumpMessages (100);
        EXPECT_EQ (shown + " " + value(), c.expected);
    }

    auto& mapping = openOutput (normalAlias, "5", midi ("CC", 1));
    out<juce::ComboBox> ("type combo box").setSelectedId (5); // "Filling Map"
    TestHelpers::pumpMessages (100);
    EXPECT_EQ (juce::String (mapping.isFillingMap() + 2 * mapping.isMap() + 4 * out ("value combo box").isEnabled()) + " " + value(), "1 % %");
}

TEST_F (OutputMappingPanel, TestSendsPercentRowsWithTheSliderValueAndOtherRowsAsStoredButNothingWithoutAnOutput)
{
    auto sent = [&] { juce::String bytes; for (auto& [message, time] : devices->sent) bytes << juce::String::toHexString (message.getRawData(), message.getRawDataSize()) << ", "; return bytes; };
    const auto rows = midi ("Note", 60, 1, "%") + midi ("CC", 7, 2, "%") + midi ("CC", 8, 1, "0x10");
    openOutput (normalAlias, "%", rows);
    out<juce::Slider> ("midi test number slider").setValue (64, juce::dontSendNotification);
    out<juce::Button> ("midi test button").triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return devices->sent.size() == 3; }));
    out<juce::Slider> ("midi test number slider").setValue (0, juce::sendNotificationSync); // each step sends the "%" rows alone
    EXPECT_EQ (sent(), "90 3c 40, b1 07 40, b0 08 10, 90 3c 00, b1 07 00, ");

    devices->defaultOutput = {}; // the loop still starts and stops, and neither it nor the slider sends anything
    openOutput (normalAlias, "%", "<midi loop=\"true\"/>" + rows);
    for (const auto* text : { "Stop", "Test" })
    {
        out<juce::Button> ("midi test button").triggerClick();
        out<juce::Slider> ("midi test number slider").setValue (out<juce::Slider> ("midi test number slider").getValue() + 1, juce::sendNotificationSync);
        EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return out<juce::Button> ("midi test button").getButtonText() == text; }));
    }
    EXPECT_EQ (sent(), "");
}

TEST_F (OutputMappingPanel, LoopSendsTheNextRowAfterEachRowsDurationUntilStoppedOrClosed)
{
    MacOsXLookAndFeel lookAndFeel; // the editor's own, as the running editor shows the panel
    openOutput (normalAlias, "5", "<midi loop=\"true\"/>" + midi ("CC", 10, 1, "0", 500) + midi ("CC", 11, 1, "0", 250) + midi ("CC", 12, 1, "0", 1000));
    output->setLookAndFeel (&lookAndFeel);
    TestHelpers::writeSnapshot (*output, "output-panel-loop");
    auto& testButton = out<juce::Button> ("midi test button");

    auto last = juce::Time::getMillisecondCounterHiRes();
    testButton.triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return devices->sent.size() >= 4; }, 10000));
    testButton.triggerClick();
    EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return testButton.getButtonText() == "Test"; }));
    const auto sent = devices->sent;
    for (const auto& [i, controller, interval] : { std::tuple { 0, 11, 500.0 }, { 1, 12, 250.0 }, { 2, 10, 1000.0 }, { 3, 11, 500.0 } })
    {
        EXPECT_EQ (sent[(size_t) i].first.getControllerNumber(), controller) << i;
        EXPECT_NEAR (sent[(size_t) i].second - std::exchange (last, sent[(size_t) i].second), interval + 140, 260) << i; // the timer may fire up to one 100 ms wait early
    }
    TestHelpers::pumpMessages (700); // stopped by the button
    EXPECT_EQ (devices->sent.size(), sent.size());

    openOutput (normalAlias, "5", "<midi loop=\"true\"/>" + midi ("CC", 10, 1, "%", 20) + midi ("Note", 11, 1, "%", 20));
    out<juce::Button> ("midi test button").triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return ! devices->sent.empty(); }));
    output.reset(); // closing the panel stops a running loop
    const auto sentWhenClosed = devices->sent.size();
    TestHelpers::pumpMessages (200);
    EXPECT_EQ (devices->sent.size(), sentWhenClosed);
}
