#include "app/MacOsXLookAndFeel.h"
#include "panels/OutputMappingTestSupport.h"

using namespace OutputMappingTestData;

namespace
{
    juce::StringArray itemTexts (const juce::ComboBox& box)
    {
        juce::StringArray texts;

        for (int i = 0; i < box.getNumItems(); ++i)
            texts.add (box.getItemText (i) + "#" + juce::String (box.getItemId (i)));

        return texts;
    }

    juce::String controlValue (const juce::ValueTree& element)
    {
        return element.getChildWithName ("control")["value"].toString();
    }
}

using OutputMappingPanel = OutputPanelFixture;

TEST_F (OutputMappingPanel, ValueBoxStoresClampedDecimalsPercentAndRewritesHexOnOpening)
{
    struct Case { juce::String alias, stored, typed, expected; int updateViews; };
    const Case cases[] = {
        { integerAlias, "1", "200", "127", -1 },
        { integerAlias, "1", "128", "127", -1 },
        { integerAlias, "1", "-3", "0", -1 },
        { integerAlias, "1", "loud", "0", -1 },
        { normalAlias, "1", "%", "%", -1 },
        { normalAlias, "64", {}, "64", 1 },   // opening alone stores the value again, once
        { normalAlias, "0x40", {}, "64", 2 }, // and rewrites hexadecimal, which runs the handler twice
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.alias + " " + c.stored + " typed " + c.typed);
        open (c.alias, c.stored, midi ("CC", 1, "0"));
        auto box = inspect();

        if (c.typed.isNotEmpty())
        {
            EXPECT_TRUE (box.valueBox().isTextEditable());
            box.valueBox().setText (c.typed, juce::sendNotificationAsync);
            TestHelpers::pumpMessages (100);
        }

        EXPECT_EQ (controlValue (element()), c.expected);
        EXPECT_EQ (box.valueBox().getText(), c.expected);

        if (c.updateViews >= 0)
            EXPECT_EQ (updateViews.count, c.updateViews);
    }
}

TEST_F (OutputMappingPanel, ValueBoxOffersTruthValuesOrRangeNamesAndStoresTheChoice)
{
    // Once shown, every box but a truth value's is editable (the mode's change handler makes it so).
    struct Case { juce::String alias, stored; juce::StringArray items; int choose; juce::String expected; bool numeric; };
    const Case cases[] = {
        { triggerAlias, "true", { "true#1", "false#2" }, 2, "false", false },
        { rangeAlias, "0", { "0:\tOff#1", "1:\tDeck A#2", "2:\tDeck B#3", "3:\tDeck C#4", "4:\tDeck D#5" }, 4, "3", true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.alias);
        open (c.alias, c.stored, midi ("CC", 1, "0"));
        auto box = inspect();
        EXPECT_EQ (itemTexts (box.valueBox()), c.items);
        EXPECT_EQ (box.valueBox().isTextEditable(), c.numeric);
        EXPECT_EQ (box.slider().isVisible(), c.numeric);

        box.valueBox().setSelectedId (c.choose);
        TestHelpers::pumpMessages (100);
        EXPECT_EQ (controlValue (element()), c.expected);
        EXPECT_EQ (box.valueBox().getText(), c.expected);
    }
}

TEST_F (OutputMappingPanel, OnlyNormalControlsOfferMapModesWhichStorePercentAndDisableTheValueBox)
{
    open (integerAlias, "5", midi ("CC", 1, "0"));
    EXPECT_EQ (itemTexts (inspect().typeBox()), juce::StringArray ({ "Default#1", "Loop#2" }));

    auto& mapping = open (normalAlias, "5", midi ("CC", 1, "0"));
    auto box = inspect();
    EXPECT_EQ (itemTexts (box.typeBox()),
               juce::StringArray ({ "Default#1", "Loop#2", "Map#3", "Simple Map#4", "Filling Map#5" }));

    struct Case { int id; bool map, simple, filling; };
    for (const Case& c : { Case { 3, true, false, false }, Case { 4, false, true, false }, Case { 5, false, false, true } })
    {
        SCOPED_TRACE (c.id);
        box.valueBox().setText ("5", juce::sendNotificationAsync);
        box.typeBox().setSelectedId (1);
        TestHelpers::pumpMessages (100);
        EXPECT_TRUE (box.valueBox().isEnabled());
        EXPECT_TRUE (box.valueBox().isTextEditable());

        box.typeBox().setSelectedId (c.id);
        TestHelpers::pumpMessages (100);
        EXPECT_EQ ((std::array<bool, 3> { mapping.isMap(), mapping.isSimpleMap(), mapping.isFillingMap() }),
                   (std::array<bool, 3> { c.map, c.simple, c.filling }));
        EXPECT_EQ (controlValue (element()), "%");
        EXPECT_FALSE (box.valueBox().isEnabled());
        EXPECT_FALSE (box.valueBox().isTextEditable());
    }
}

TEST_F (OutputMappingPanel, TestSendsPercentRowsWithTheSliderValueAndFixedRowsAsStored)
{
    open (normalAlias, "%", midi ("Note", 60, "%") + midi ("CC", 7, "%", 2) + midi ("CC", 8, "0x10"));
    auto box = inspect();

    box.slider().setValue (64, juce::dontSendNotification);
    box.testButton().triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return sent().size() == 3; }));
    TestHelpers::pumpMessages (50);

    // The slider sends the "%" rows alone, at every step.
    box.slider().setValue (0, juce::sendNotificationSync);

    const auto messages = sent();
    ASSERT_EQ (messages.size(), 5u);
    const juce::MidiMessage expected[] = {
        juce::MidiMessage::noteOn (1, 60, (juce::uint8) 64), juce::MidiMessage::controllerEvent (2, 7, 64),
        juce::MidiMessage::controllerEvent (1, 8, 16),
        juce::MidiMessage::noteOn (1, 60, (juce::uint8) 0), juce::MidiMessage::controllerEvent (2, 7, 0),
    };

    for (size_t i = 0; i < messages.size(); ++i)
        EXPECT_EQ (messages[i].message.getDescription(), expected[i].getDescription()) << i;
}

TEST_F (OutputMappingPanel, LoopSendsTheNextRowAfterEachRowsDurationUntilStop)
{
    open (normalAlias, "5", "<midi loop=\"true\"/>" + midi ("CC", 10, "0", 1, 500) + midi ("CC", 11, "0", 1, 250)
                                + midi ("CC", 12, "0", 1, 1000));
    auto box = inspect();
    const double start = juce::Time::getMillisecondCounterHiRes();
    box.testButton().triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return sent().size() >= 4; }, 10000));
    box.testButton().triggerClick();
    TestHelpers::pumpUntil ([&] { return box.testButton().getButtonText() == "Test"; });
    const auto sentBeforeStop = sent().size();

    struct Step { int controller; double interval; };
    const Step steps[] = { { 11, 500 }, { 12, 250 }, { 10, 1000 }, { 11, 500 } };
    const auto messages = sent();
    double last = start;

    for (size_t i = 0; i < 4; ++i)
    {
        SCOPED_TRACE (i);
        const auto& m = messages[i];
        EXPECT_EQ (m.message.getControllerNumber(), steps[i].controller);
        EXPECT_GT (m.timeMs - last, steps[i].interval - 120); // JUCE's timer thread may fire up to one 100 ms wait early
        EXPECT_LT (m.timeMs - last, steps[i].interval + 400);
        last = m.timeMs;
    }

    TestHelpers::pumpMessages (700);
    EXPECT_EQ (sent().size(), sentBeforeStop);
}

TEST_F (OutputMappingPanel, ClosingThePanelStopsTheLoopAndWithoutAnOutputNothingIsSent)
{
    const auto rows = "<midi loop=\"true\"/>" + midi ("CC", 10, "%", 1, 20) + midi ("Note", 11, "%", 1, 20);
    open (normalAlias, "5", rows);
    inspect().testButton().triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return ! sent().empty(); }));
    panel.reset();
    const auto sentWhenClosed = sent().size();
    TestHelpers::pumpMessages (200);
    EXPECT_EQ (sent().size(), sentWhenClosed);

    devices->setDefaultOutput ({});
    open (normalAlias, "5", rows);
    auto box = inspect();

    for (const auto* text : { "Stop", "Test" })
    {
        box.testButton().triggerClick();
        box.slider().setValue (box.slider().getValue() + 1, juce::sendNotificationSync);
        EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return box.testButton().getButtonText() == text; }));
        TestHelpers::pumpMessages (100);
    }

    EXPECT_TRUE (sent().empty());
}

TEST_F (OutputMappingPanel, AddMidiAppendsARowAtOnceAndTogglesWriteTheModifierList)
{
    auto& mapping = open (integerAlias, "5", midi ("Note", 60, "1"));
    auto box = inspect();
    box.addMidiButton().triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return box.table().getNumRows() == 2; }));
    EXPECT_EQ (mapping.getDescription(), "CH 1, Note C4 (60), 1 & CH 1, CC 1, 127");

    for (const bool on : { true, false })
    {
        box.toggle (3).setToggleState (on, juce::sendNotificationSync);
        EXPECT_EQ (mapping.getModifiers(), on ? "ML3" : "");
    }
}

TEST_F (OutputMappingPanel, SnapshotsInLoopAndMapMode)
{
    MacOsXLookAndFeel lookAndFeel; // the editor's own, as the running editor shows the panel
    struct Case { juce::String mode, name; };
    for (const Case& c : { Case { "<midi loop=\"true\"/>", "output-panel-loop" }, Case { "<midi map=\"true\"/>", "output-panel-map" } })
    {
        SCOPED_TRACE (c.name);
        open (normalAlias, "%", c.mode + midi ("CC", 7, "%", 1, 500) + midi ("Note", 60, "100", 2, 250)
                                    + midi ("CC", 8, "0", 3, 1000) + midi ("Note", 62, "%", 16, 500));
        panel->setLookAndFeel (&lookAndFeel);
        inspect().table().selectRow (1);
        TestHelpers::pumpMessages (50);
        EXPECT_TRUE (TestHelpers::writeSnapshot (*panel, c.name).existsAsFile());
        panel->setLookAndFeel (nullptr);
    }
}
