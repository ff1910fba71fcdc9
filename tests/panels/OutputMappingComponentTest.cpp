#include "app/MacOsXLookAndFeel.h"
#include "panels/OutputMappingTestSupport.h"

using namespace OutputMappingTestData;

class OutputMappingPanel : public OutputPanelFixture
{
protected:
    juce::String controlValue() const { return list.getChild (0).getChildWithName ("control")["value"]; }

    /** A snapshot with row 1 selected, in the editor's own look, as the running editor shows the panel. */
    void snapshot (const juce::String& name)
    {
        MacOsXLookAndFeel lookAndFeel;
        panel->setLookAndFeel (&lookAndFeel);
        inspect().table().selectRow (1);
        TestHelpers::writeSnapshot (*panel, name);
        panel->setLookAndFeel (nullptr);
    }

    static juce::String itemTexts (const juce::ComboBox& box)
    {
        juce::StringArray texts;

        for (int i = 0; i < box.getNumItems(); ++i)
            texts.add (box.getItemText (i) + "#" + juce::String (box.getItemId (i)));

        return texts.joinIntoString (",");
    }
};

TEST_F (OutputMappingPanel, ValueBoxOffersAndStoresWhatTheControlTypeAllows)
{
    // input: text typed into the box, or "#" and the id of the item chosen; updateViews -1: not counted.
    struct Case { juce::String alias, stored, input, expected; int updateViews; juce::String items; bool numeric; };
    const Case cases[] = {
        { integerAlias, "1", "200", "127", -1, {}, true }, { integerAlias, "1", "128", "127", -1, {}, true },
        { integerAlias, "1", "-3", "0", -1, {}, true },    { integerAlias, "1", "loud", "0", -1, {}, true },
        { normalAlias, "1", "%", "%", -1, {}, true },
        { normalAlias, "64", {}, "64", 1, {}, true },   // opening alone stores the value again, once
        { normalAlias, "0x40", {}, "64", 2, {}, true }, // and rewrites hexadecimal, which runs the handler twice
        { triggerAlias, "true", "#2", "false", -1, "true#1,false#2", false },
        { rangeAlias, "0", "#4", "3", -1, "0:\tOff#1,1:\tDeck A#2,2:\tDeck B#3,3:\tDeck C#4,4:\tDeck D#5", true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.alias + " " + c.stored + " input " + c.input);
        open (c.alias, c.stored, midi ("CC", 1, "0"));
        auto box = inspect();
        EXPECT_EQ (box.valueBox().isTextEditable(), c.numeric);
        EXPECT_EQ (box.slider().isVisible(), c.numeric);

        EXPECT_TRUE (c.items.isEmpty() || itemTexts (box.valueBox()) == c.items) << itemTexts (box.valueBox());

        if (c.input.startsWith ("#"))
            box.valueBox().setSelectedId (c.input.substring (1).getIntValue());
        else if (c.input.isNotEmpty())
            box.valueBox().setText (c.input, juce::sendNotificationAsync);

        TestHelpers::pumpMessages (100);
        EXPECT_EQ (controlValue(), c.expected);
        EXPECT_EQ (box.valueBox().getText(), c.expected);

        EXPECT_TRUE (c.updateViews < 0 || updateViews.count == c.updateViews) << updateViews.count;
    }
}

TEST_F (OutputMappingPanel, OnlyNormalControlsOfferMapModesWhichStorePercentAndDisableTheValueBox)
{
    open (integerAlias, "5", midi ("CC", 1, "0"));
    EXPECT_EQ (itemTexts (inspect().typeBox()), "Default#1,Loop#2");

    auto& mapping = open (normalAlias, "5", midi ("CC", 1, "0"));
    auto box = inspect();
    EXPECT_EQ (itemTexts (box.typeBox()), "Default#1,Loop#2,Map#3,Simple Map#4,Filling Map#5");

    for (const int id : { 3, 4, 5 })
    {
        SCOPED_TRACE (id);
        box.valueBox().setText ("5", juce::sendNotificationAsync);
        box.typeBox().setSelectedId (1);
        TestHelpers::pumpMessages (100);
        EXPECT_TRUE (box.valueBox().isEnabled() && box.valueBox().isTextEditable());

        box.typeBox().setSelectedId (id);
        TestHelpers::pumpMessages (100);
        EXPECT_EQ (mapping.isMap() + 2 * mapping.isSimpleMap() + 4 * mapping.isFillingMap(), 1 << (id - 3)); // this mode alone
        EXPECT_EQ (controlValue(), "%");
        EXPECT_FALSE (box.valueBox().isEnabled() || box.valueBox().isTextEditable());
    }

    // "Add MIDI" grows the table at once; modifier toggles add and remove their number.
    box.addMidiButton().triggerClick();
    TestHelpers::pumpMessages (50);
    EXPECT_EQ (box.table().getNumRows(), 2);
    EXPECT_EQ (mapping.getDescription(), "CH 1, CC 1, 0 & CH 1, CC 1, 127");
    snapshot ("output-panel-map");

    for (const bool on : { true, false })
    {
        box.modifier (3).setToggleState (on, juce::sendNotificationSync);
        EXPECT_EQ (mapping.hasModifier (3), on);
    }
}

TEST_F (OutputMappingPanel, TestSendsPercentRowsWithTheSliderValueAndFixedRowsAsStoredButNothingWithoutOutput)
{
    const auto rows = midi ("Note", 60, "%") + midi ("CC", 7, "%", 2) + midi ("CC", 8, "0x10");
    open (normalAlias, "%", rows);
    auto box = inspect();
    box.slider().setValue (64, juce::dontSendNotification);
    box.testButton().triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return sent().size() == 3; }));
    TestHelpers::pumpMessages (50);
    box.slider().setValue (0, juce::sendNotificationSync); // each step sends the "%" rows alone

    const juce::MidiMessage expected[] = {
        juce::MidiMessage::noteOn (1, 60, (juce::uint8) 64), juce::MidiMessage::controllerEvent (2, 7, 64),
        juce::MidiMessage::controllerEvent (1, 8, 16),
        juce::MidiMessage::noteOn (1, 60, (juce::uint8) 0), juce::MidiMessage::controllerEvent (2, 7, 0),
    };
    const auto messages = sent();
    ASSERT_EQ (messages.size(), 5u);

    for (size_t i = 0; i < messages.size(); ++i)
        EXPECT_EQ (messages[i].message.getDescription(), expected[i].getDescription()) << i;

    // Without an output the loop still starts and stops, and neither it nor the slider sends anything.
    devices->setDefaultOutput ({});
    open (normalAlias, "%", "<midi loop=\"true\"/>" + rows);
    auto looped = inspect();

    for (const auto* text : { "Stop", "Test" })
    {
        looped.testButton().triggerClick();
        looped.slider().setValue (looped.slider().getValue() + 1, juce::sendNotificationSync);
        EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return looped.testButton().getButtonText() == text; }));
    }

    EXPECT_TRUE (sent().empty());
}

TEST_F (OutputMappingPanel, LoopSendsTheNextRowAfterEachRowsDurationUntilStopOrClosing)
{
    open (normalAlias, "5", "<midi loop=\"true\"/>" + midi ("CC", 10, "0", 1, 500) + midi ("CC", 11, "0", 1, 250)
                                + midi ("CC", 12, "0", 1, 1000));
    auto box = inspect();
    snapshot ("output-panel-loop");
    const double start = juce::Time::getMillisecondCounterHiRes();
    box.testButton().triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return sent().size() >= 4; }, 10000));
    box.testButton().triggerClick();
    EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return box.testButton().getButtonText() == "Test"; }));
    const auto messages = sent();

    struct Step { int controller; double interval; };
    const Step steps[] = { { 11, 500 }, { 12, 250 }, { 10, 1000 }, { 11, 500 } };
    double last = start;

    for (size_t i = 0; i < 4; ++i)
    {
        SCOPED_TRACE (i);
        EXPECT_EQ (messages[i].message.getControllerNumber(), steps[i].controller);
        EXPECT_GT (messages[i].timeMs - last, steps[i].interval - 120); // JUCE's timer thread may fire up to one 100 ms wait early
        EXPECT_LT (messages[i].timeMs - last, steps[i].interval + 400);
        last = messages[i].timeMs;
    }

    TestHelpers::pumpMessages (700);
    EXPECT_EQ (sent().size(), messages.size());

    // Closing the panel stops a running loop.
    open (normalAlias, "5", "<midi loop=\"true\"/>" + midi ("CC", 10, "%", 1, 20) + midi ("Note", 11, "%", 1, 20));
    inspect().testButton().triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return ! sent().empty(); }));
    panel.reset();
    const auto sentWhenClosed = sent().size();
    TestHelpers::pumpMessages (200);
    EXPECT_EQ (sent().size(), sentWhenClosed);
}
