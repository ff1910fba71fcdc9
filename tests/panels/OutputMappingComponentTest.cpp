#include "app/MacOsXLookAndFeel.h"
#include "panels/MidiPanelFixture.h"

using OutputMappingPanel = MidiPanelFixture;

TEST_F (OutputMappingPanel, ValueBoxOffersWhatTheControlTypeAllowsAndAMapModeStoresPercentWithTheBoxDisabled)
{
    auto shown = [&] { return outputElement.getChildWithName ("control")["value"].toString() + " " + inspect().valueBox.getText(); };
    // The value stored; text typed into the box or "#" and the id of an item chosen; the value after; 100 editable + 20 slider shown + the modes; the items.
    const struct { const char *alias, *stored, *input, *expected; int editableSliderModes; const char* items; } cases[] = {
        { "fam(SyncTools).MasterDeck", "1", "200", "127", 122, "" }, // "Integer"
        { normalAlias, "0x40", "", "64", 125, "" },                   // opening rewrites a hexadecimal value
        { normalAlias, "1", "%", "%", 125, "" },
        { "fam(Player)[0x1].TapTempo", "true", "#2", "false", 2, "true#1,false#2" }, // "Trigger"
        { "fam(Fx)[0x1].InputChannelOnOff", "0", "#4", "3", 122, "0:\tOff#1,1:\tDeck A#2,2:\tDeck B#3,3:\tDeck C#4,4:\tDeck D#5" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.alias) + " " + c.input);
        openOutput (c.alias, c.stored, midi ("CC", 1));
        EXPECT_EQ (100 * inspect().valueBox.isTextEditable() + 20 * inspect().slider.isVisible() + inspect().typeBox.getNumItems(), c.editableSliderModes);
        EXPECT_TRUE (*c.items == 0 || texts (inspect().valueBox) == c.items) << texts (inspect().valueBox);
        if (*c.input == '#')
            inspect().valueBox.setSelectedId (juce::String (c.input + 1).getIntValue());
        else if (*c.input != 0)
            inspect().valueBox.setText (c.input);
        TestHelpers::pumpMessages (100);
        EXPECT_EQ (shown(), juce::String (c.expected) + " " + c.expected);
    }

    auto& mapping = openOutput (normalAlias, "5", midi ("CC", 1));
    inspect().typeBox.setSelectedId (5); // "Filling Map"
    inspect().addMidiButton.triggerClick(); // grows the table at once
    TestHelpers::pumpMessages (100);
    EXPECT_EQ (shown() + " " + juce::String (inspect().valueBox.isEnabled() + inspect().valueBox.isTextEditable()) + " " + juce::String (inspect().table.getNumRows()), "% % 0 2");
    EXPECT_EQ (juce::String (mapping.isFillingMap() + mapping.isMap() + mapping.isLooped()) + " " + mapping.getDescription(), "1 CH 1, CC 1, 0 & CH 1, CC 1, 127");
}

TEST_F (OutputMappingPanel, TestSendsPercentRowsWithTheSliderValueAndOtherRowsAsStoredButNothingWithoutAnOutput)
{
    auto sent = [&] { juce::String text; for (auto& [message, time] : devices->sent) text << message.getDescription() << ", "; return text; };
    const auto rows = midi ("Note", 60, 1, "%") + midi ("CC", 7, 2, "%") + midi ("CC", 8, 1, "0x10");
    openOutput (normalAlias, "%", rows);
    inspect().slider.setValue (64, juce::dontSendNotification);
    inspect().testButton.triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return devices->sent.size() == 3; }));
    inspect().slider.setValue (0, juce::sendNotificationSync); // each step sends the "%" rows alone
    juce::String expected;
    for (const auto& m : { juce::MidiMessage::noteOn (1, 60, (juce::uint8) 64), juce::MidiMessage::controllerEvent (2, 7, 64), juce::MidiMessage::controllerEvent (1, 8, 16),
                           juce::MidiMessage::noteOn (1, 60, (juce::uint8) 0), juce::MidiMessage::controllerEvent (2, 7, 0) })
        expected << m.getDescription() << ", ";
    EXPECT_EQ (sent(), expected);

    devices->defaultOutput = {}; // the loop still starts and stops, and neither it nor the slider sends anything
    openOutput (normalAlias, "%", "<midi loop=\"true\"/>" + rows);
    for (const auto* text : { "Stop", "Test" })
    {
        inspect().testButton.triggerClick();
        inspect().slider.setValue (inspect().slider.getValue() + 1, juce::sendNotificationSync);
        EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return inspect().testButton.getButtonText() == text; }));
    }
    EXPECT_EQ (sent(), "");
}

TEST_F (OutputMappingPanel, LoopSendsTheNextRowAfterEachRowsDurationUntilStoppedOrClosed)
{
    MacOsXLookAndFeel lookAndFeel; // the editor's own, as the running editor shows the panel
    openOutput (normalAlias, "5", "<midi loop=\"true\"/>" + midi ("CC", 10, 1, "0", 500) + midi ("CC", 11, 1, "0", 250) + midi ("CC", 12, 1, "0", 1000));
    output->setLookAndFeel (&lookAndFeel);
    TestHelpers::writeSnapshot (*output, "output-panel-loop");

    auto last = juce::Time::getMillisecondCounterHiRes();
    inspect().testButton.triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return devices->sent.size() >= 4; }, 10000));
    inspect().testButton.triggerClick();
    EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return inspect().testButton.getButtonText() == "Test"; }));
    const auto sent = devices->sent;
    for (const auto& [i, controller, interval] : { std::tuple { 0, 11, 500.0 }, { 1, 12, 250.0 }, { 2, 10, 1000.0 }, { 3, 11, 500.0 } })
    {
        EXPECT_EQ (sent[(size_t) i].first.getControllerNumber(), controller) << i;
        EXPECT_NEAR (sent[(size_t) i].second - std::exchange (last, sent[(size_t) i].second), interval + 140, 260) << i; // JUCE's timer thread may fire up to one 100 ms wait early
    }
    TestHelpers::pumpMessages (700);
    EXPECT_EQ (devices->sent.size(), sent.size());

    openOutput (normalAlias, "5", "<midi loop=\"true\"/>" + midi ("CC", 10, 1, "%", 20) + midi ("Note", 11, 1, "%", 20));
    inspect().testButton.triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return ! devices->sent.empty(); }));
    const auto sentWhenClosed = (output.reset(), devices->sent.size()); // closing the panel stops a running loop
    TestHelpers::pumpMessages (200);
    EXPECT_EQ (devices->sent.size(), sentWhenClosed);
}
