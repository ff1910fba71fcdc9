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
}

class OutputMappingPanel : public OutputPanelFixture
{
protected:
    juce::String controlValue() const { return list.getChild (0).getChildWithName ("control")["value"]; }
};

TEST_F (OutputMappingPanel, ValueBoxStoresClampedDecimalsPercentAndRewritesHexOnOpening)
{
    struct Case { juce::String alias, stored, typed, expected; int updateViews; };
    const Case cases[] = {
        { integerAlias, "1", "200", "127", -1 }, { integerAlias, "1", "128", "127", -1 },
        { integerAlias, "1", "-3", "0", -1 },    { integerAlias, "1", "loud", "0", -1 },
        { normalAlias, "1", "%", "%", -1 },
        { normalAlias, "64", {}, "64", 1 },   // opening alone stores the value again, once
        { normalAlias, "0x40", {}, "64", 2 }, // and rewrites hexadecimal, which runs the handler twice
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.alias + " " + c.stored + " typed " + c.typed);
        open (c.alias, c.stored, midi ("CC", 1, "0"));
        auto& box = inspect().valueBox();

        if (c.typed.isNotEmpty())
        {
            EXPECT_TRUE (box.isTextEditable());
            box.setText (c.typed, juce::sendNotificationAsync);
            TestHelpers::pumpMessages (100);
        }

        EXPECT_EQ (controlValue(), c.expected);
        EXPECT_EQ (box.getText(), c.expected);

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
        EXPECT_EQ (controlValue(), c.expected);
        EXPECT_EQ (box.valueBox().getText(), c.expected);
    }
}

TEST_F (OutputMappingPanel, OnlyNormalControlsOfferMapModesWhichStorePercentAndDisableTheValueBox)
{
    open (integerAlias, "5", midi ("CC", 1, "0"));
    EXPECT_EQ (itemTexts (inspect().typeBox()), juce::StringArray ({ "Default#1", "Loop#2" }));

    auto& mapping = open (normalAlias, "5", midi ("CC", 1, "0"));
    auto box = inspect();
    EXPECT_EQ (itemTexts (box.typeBox()), juce::StringArray ({ "Default#1", "Loop#2", "Map#3", "Simple Map#4", "Filling Map#5" }));

    for (const int id : { 3, 4, 5 })
    {
        SCOPED_TRACE (id);
        box.valueBox().setText ("5", juce::sendNotificationAsync);
        box.typeBox().setSelectedId (1);
        TestHelpers::pumpMessages (100);
        EXPECT_TRUE (box.valueBox().isEnabled() && box.valueBox().isTextEditable());

        box.typeBox().setSelectedId (id);
        TestHelpers::pumpMessages (100);
        EXPECT_EQ ((std::array<bool, 3> { mapping.isMap(), mapping.isSimpleMap(), mapping.isFillingMap() }),
                   (std::array<bool, 3> { id == 3, id == 4, id == 5 }));
        EXPECT_EQ (controlValue(), "%");
        EXPECT_FALSE (box.valueBox().isEnabled() || box.valueBox().isTextEditable());
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

    // Without an output the loop still toggles, and neither it nor the slider sends anything.
    devices->setDefaultOutput ({});
    open (normalAlias, "5", rows);
    auto box = inspect();

    for (const auto* text : { "Stop", "Test" })
    {
        box.testButton().triggerClick();
        box.slider().setValue (box.slider().getValue() + 1, juce::sendNotificationSync);
        EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return box.testButton().getButtonText() == text; }));
    }

    EXPECT_TRUE (sent().empty());
}

TEST_F (OutputMappingPanel, SnapshotsInLoopAndMapMode)
{
    MacOsXLookAndFeel lookAndFeel; // the editor's own, as the running editor shows the panel

    for (const auto* mode : { "loop", "map" })
    {
        open (normalAlias, "%", "<midi " + juce::String (mode) + "=\"true\"/>" + midi ("CC", 7, "%", 1, 500)
                                    + midi ("Note", 60, "100", 2, 250) + midi ("CC", 8, "0", 3, 1000) + midi ("Note", 62, "%", 16, 500));
        panel->setLookAndFeel (&lookAndFeel);
        inspect().table().selectRow (1);
        EXPECT_TRUE (TestHelpers::writeSnapshot (*panel, "output-panel-" + juce::String (mode)).existsAsFile());
        panel->setLookAndFeel (nullptr);
    }
}
