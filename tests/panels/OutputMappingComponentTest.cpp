#include "panels/MidiPanelFixture.h"

using OutputMappingPanel = MidiPanelFixture;

TEST_F (OutputMappingPanel, TestSendsPercentRowsWithTheSliderValueAndOtherRowsAsStoredAndAMapModeSetsPercentWithTheValueBoxDisabled)
{
    auto sent = [&] { juce::String bytes; for (auto& [message, time] : devices->sent) bytes << juce::String::toHexString (message.getRawData(), message.getRawDataSize()) << ", "; return bytes; };
    const auto rows = midi ("Note", 60, 1, "%") + midi ("CC", 7, 2, "%") + midi ("CC", 8, 1, "0x10");
    openOutput ("%", rows);
    child<juce::Slider> (*output, "midi test number slider").setValue (64, juce::dontSendNotification);
    child<juce::Button> (*output, "midi test button").triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return devices->sent.size() == 3; }));
    child<juce::Slider> (*output, "midi test number slider").setValue (0, juce::sendNotificationSync); // each step sends the "%" rows alone
    EXPECT_EQ (sent(), "90 3c 40, b1 07 40, b0 08 10, 90 3c 00, b1 07 00, ");

    auto& box = child<juce::ComboBox> (*output, "value combo box");
    EXPECT_EQ (juce::String ((int) box.isTextEditable()) + " " + box.getItemText (0) + "," + box.getItemText (128) + " " + juce::String (child<juce::ComboBox> (*output, "type combo box").getNumItems()), "1 %,127 5");
    child<juce::ComboBox> (*output, "type combo box").setSelectedId (5); // "Filling Map", offered to "Normal" controls alone
    TestHelpers::pumpMessages (100);
    EXPECT_EQ (juce::String (output->getMapping()->isFillingMap() + 2 * box.isEnabled()) + " " + outputElement.getChildWithName ("control")["value"].toString(), "1 %");

    devices->defaultOutput = {}; // the loop still starts and stops, and neither it nor the slider sends anything
    openOutput ("%", "<midi loop=\"true\"/>" + rows);
    for (const auto* text : { "Stop", "Test" })
    {
        child<juce::Button> (*output, "midi test button").triggerClick();
        child<juce::Slider> (*output, "midi test number slider").setValue (child<juce::Slider> (*output, "midi test number slider").getValue() + 1, juce::sendNotificationSync);
        EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return child<juce::Button> (*output, "midi test button").getButtonText() == text; }));
    }
    EXPECT_EQ (sent(), "");
}

TEST_F (OutputMappingPanel, LoopSendsTheNextRowAfterEachRowsDurationUntilStoppedOrClosed)
{
    openOutput ("5", "<midi loop=\"true\"/>" + midi ("CC", 10, 1, "0", 500) + midi ("CC", 11, 1, "0", 250) + midi ("CC", 12, 1, "0", 1000));
    TestHelpers::writeSnapshot (*output, "output-panel-loop");

    auto last = juce::Time::getMillisecondCounterHiRes();
    child<juce::Button> (*output, "midi test button").triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return devices->sent.size() >= 4; }, 10000));
    child<juce::Button> (*output, "midi test button").triggerClick();
    EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return child<juce::Button> (*output, "midi test button").getButtonText() == "Test"; }));
    const auto sent = devices->sent;
    for (const auto& [i, controller, interval] : { std::tuple { 0, 11, 500.0 }, { 1, 12, 250.0 }, { 2, 10, 1000.0 }, { 3, 11, 500.0 } })
    {
        EXPECT_EQ (sent[(size_t) i].first.getControllerNumber(), controller) << i;
        EXPECT_NEAR (sent[(size_t) i].second - std::exchange (last, sent[(size_t) i].second), interval + 140, 260) << i; // the timer may fire up to one 100 ms wait early
    }
    TestHelpers::pumpMessages (700); // stopped by the button
    EXPECT_EQ (devices->sent.size(), sent.size());

    openOutput ("5", "<midi loop=\"true\"/>" + midi ("CC", 10, 1, "%", 20) + midi ("Note", 11, 1, "%", 20));
    child<juce::Button> (*output, "midi test button").triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return ! devices->sent.empty(); }));
    output.reset(); // closing the panel stops a running loop
    const auto sentWhenClosed = devices->sent.size();
    TestHelpers::pumpMessages (200);
    EXPECT_EQ (devices->sent.size(), sentWhenClosed);
}

TEST_F (OutputMappingPanel, ValueBoxOffersAndStoresWhatTheControlTypeAllows)
{
    // The control ("Integer" with no range, "Normal", "Trigger", "Integer" of range 0..5), its stored value, the text typed or "#" and the item id chosen; then the box's editability, first and last items, and the value stored.
    const struct { const char *alias, *stored, *input, *expected; } rows[] = {
        { "fam(SyncTools).MasterDeck", "1", "200", "1 0,127 127" }, { "fam(SyncTools).MasterDeck", "1", "-3", "1 0,127 0" }, { "fam(SyncTools).MasterDeck", "1", "loud", "1 0,127 0" },
        { "fam(Fx)[0x1].DryWet", "1", "%", "1 %,127 %" }, { "fam(Fx)[0x1].DryWet", "0x40", "", "1 %,127 64" }, // opening rewrites hexadecimal
        { "fam(Player)[0x1].TapTempo", "true", "#2", "0 true,false false" },
        { "fam(Fx)[0x1].InputChannelOnOff", "0", "#4", "1 0:\tOff,4:\tDeck D 3" },
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE (juce::String (row.alias) + " " + row.stored + " " + row.input);
        openOutput (row.stored, midi ("CC", 1), 100, row.alias);
        auto& box = child<juce::ComboBox> (*output, "value combo box");
        if (*row.input == '#')
            box.setSelectedId (juce::String (row.input + 1).getIntValue());
        else if (*row.input != 0)
            box.setText (row.input, juce::sendNotificationAsync);
        TestHelpers::pumpMessages (100);
        EXPECT_EQ (juce::String ((int) box.isTextEditable()) + " " + box.getItemText (0) + "," + box.getItemText (box.getNumItems() - 1) + " " + outputElement.getChildWithName ("control")["value"].toString(), row.expected);
    }
}
