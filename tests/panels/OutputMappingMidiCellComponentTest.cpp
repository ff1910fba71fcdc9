#include "panels/OutputMappingTestSupport.h"

using namespace OutputMappingTestData;

namespace
{
    using Inspector = OutputMappingInspector;

    /** Delivers a message to the cell as deviceManager would: from another thread that holds the MIDI callback lock. */
    void deliver (OutputMappingMidiCellComponent& cell, const juce::MidiInput* source, const juce::MidiMessage& message)
    {
        std::atomic<bool> done { false };
        std::thread midiThread ([&] {
            const juce::ScopedLock sl (deviceManager->getMidiCallbackLock());
            cell.handleIncomingMidiMessage (const_cast<juce::MidiInput*> (source), message);
            done = true;
        });

        EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return done.load(); }));
        midiThread.join();
    }

    /** One mouse event through the panel's window, as the windowing system would give it. */
    void mouse (juce::Component& window, juce::Point<int> position, bool buttonDown)
    {
        window.getPeer()->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, position.toFloat(),
                                            buttonDown ? juce::ModifierKeys::leftButtonModifier : juce::ModifierKeys(),
                                            juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                            juce::Time::currentTimeMillis());
        TestHelpers::pumpMessages (20);
    }
}

using OutputMappingMidiCell = OutputPanelFixture;

TEST_F (OutputMappingMidiCell, MenusAndTypedLabelsWriteTheRowAndADismissedMenuWritesNothing)
{
    auto& mapping = open (normalAlias, "5", "<midi loop=\"true\"/>" + midi ("Note", 61, "1", 2, 500));
    auto& cell = inspect().cell (0);

    struct Case { bool channelMenu; int result; int type, parameter, channel; };
    const Case cases[] = { { true, 10, 1, 61, 10 }, { true, 0, 1, 61, 10 }, { false, 7000, 0, 7, 10 },
                           { false, 60, 1, 60, 10 }, { false, 0, 1, 60, 10 } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.result));
        TestHelpers::ModalEnder ender (c.result);
        cell.buttonClicked (c.channelMenu ? &Inspector::channelButton (cell) : &Inspector::numberButton (cell));
        EXPECT_TRUE (ender.hasEnded());
        EXPECT_EQ (juce::String (mapping.getType (0)) + " " + juce::String (mapping.getParameter (0)) + " " + juce::String (mapping.getChannel (0)),
                   juce::String (c.type) + " " + juce::String (c.parameter) + " " + juce::String (c.channel));
        EXPECT_EQ (Inspector::channelLabel (cell).getText() + " " + Inspector::numberLabel (cell).getText(),
                   "CH " + juce::String (c.channel) + " " + juce::String (c.parameter));
        EXPECT_TRUE (inspect().table().isRowSelected (0));
        EXPECT_TRUE (showsPicture (TestHelpers::renderComponent (cell), { 3, 3 },
                                   Resources::getImage (c.type == 1 ? "badge_note.png" : "badge_cc.png"), juce::Colour (75, 150, 230)));
    }

    // Notes 1 to 127, counting middle C as octave 0.
    juce::PopupMenu::MenuItemIterator top (Inspector::noteOrCcMenu (cell));
    ASSERT_TRUE (top.next() && top.getItem().text == "Note" && top.getItem().subMenu != nullptr);
    juce::StringArray notes;
    for (juce::PopupMenu::MenuItemIterator note (*top.getItem().subMenu); note.next();)
        notes.add (note.getItem().text);
    EXPECT_EQ (notes[0] + notes[59] + notes[126] + notes[127], "1: C#-560: C0127: G5");

    // Typed values and durations show what the view stored.
    const struct { bool value; const char* typed; juce::String shown; } typed[] = {
        { true, "%", "%" }, { true, "300", "127" }, { true, "soft", "0" }, { false, "250", "250" }, { false, "long", "0" },
    };

    for (const auto& t : typed)
    {
        SCOPED_TRACE (t.typed);
        auto& label = t.value ? Inspector::valueLabel (cell) : Inspector::durationLabel (cell);
        label.setText (t.typed, juce::sendNotificationSync);
        EXPECT_EQ (label.getText(), t.shown);
        EXPECT_EQ (t.value ? mapping.getValue (0) : juce::String (mapping.getDuration (0)), t.shown);
    }
}

TEST_F (OutputMappingMidiCell, DurationOrRangeLabelAndModeIconFollowTheMode)
{
    enum Icon { none, loop, first, second };
    struct Case { juce::String marker; juce::StringArray texts; std::vector<Icon> icons; };
    const Case cases[] = {
        { "<midi loop=\"true\"/>", { "500", "250", "500", "500" }, { loop, loop, loop, loop } },
        { "<midi map=\"true\"/>", { "0.0-0.5", "0.5-1.0", "0.0-0.5", "0.5-1.0" }, { first, first, second, second } },
        { "<midi fillingMap=\"true\"/>", { "0.0-0.5", "0.5-1.0", "0.0-0.5", "0.5-1.0" }, { first, first, second, second } },
        { "<midi simpleMap=\"true\"/>", { "0.0-0.3", "0.3-0.6", "0.6-1.0", "1.0-1.3" }, { first, first, first, first } },
        { {}, { {}, {}, {}, {} }, { none, none, none, none } },
    };
    const juce::Image pictures[] = { {}, Resources::getImage ("mode_loop.png"), Resources::getImage ("mode_first_half.png"),
                                     Resources::getImage ("mode_second_half.png") };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.marker);
        open (normalAlias, "5", c.marker + midi ("CC", 1, "0", 1, 500) + midi ("CC", 2, "0", 1, 250)
                                    + midi ("CC", 3, "0", 1, 500) + midi ("CC", 4, "0", 1, 500));

        for (int row = 0; row < 4; ++row)
        {
            SCOPED_TRACE (row);
            auto& cell = inspect().cell (row);
            auto& label = Inspector::durationLabel (cell);
            const auto icon = c.icons[(size_t) row];
            EXPECT_EQ (label.isVisible() ? label.getText() : "hidden", c.texts[row].isEmpty() ? "hidden" : c.texts[row]);
            EXPECT_TRUE (! label.isVisible() || label.isEditableOnSingleClick() == (icon == loop));

            const auto image = TestHelpers::renderComponent (cell);
            EXPECT_TRUE (icon == none ? image.getPixelAt (178, 10).getAlpha() == 0 : showsPicture (image, { 171, 3 }, pictures[icon]));
        }
    }
}

TEST_F (OutputMappingMidiCell, DraggingRowZeroOntoRowTwoMovesItThereThroughTheContainer)
{
    auto& mapping = open (normalAlias, "5", midi ("CC", 1, "0") + midi ("CC", 2, "0") + midi ("CC", 3, "0"));
    panel->addToDesktop (juce::ComponentPeer::windowIsTemporary);
    panel->setTopLeftPosition (100, 100);
    panel->setVisible (true);
    TestHelpers::pumpMessages (100);

    // Rows are 22 pixels high and the table starts at y 192; x 250 lies on the select helper button only.
    mouse (*panel, { 250, 192 + 11 }, true);
    mouse (*panel, { 250, 192 + 20 }, true);
    EXPECT_TRUE (panel->isDragAndDropActive());
    mouse (*panel, { 250, 192 + 44 + 8 }, true);
    mouse (*panel, { 250, 192 + 44 + 11 }, false);

    EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return ! panel->isDragAndDropActive(); }));
    EXPECT_EQ (mapping.getDescription(), "CH 1, CC 2, 0 & CH 1, CC 3, 0 & CH 1, CC 1, 0");
    EXPECT_EQ (inspect().table().getSelectedRows().size(), 1);
    EXPECT_TRUE (inspect().table().isRowSelected (2));
    EXPECT_EQ (inspect().table().getNumRows(), 3);
    EXPECT_EQ (Inspector::numberLabel (inspect().cell (2)).getText(), "1");

    // A row is never dropped onto itself.
    const juce::DragAndDropTarget::SourceDetails ownRow (juce::var (1), nullptr, {});
    EXPECT_FALSE (inspect().cell (1).isInterestedInDragSource (ownRow));
}

TEST_F (OutputMappingMidiCell, SelectedRowLearnsMessagesOfTheDefaultInputWithTheFlipRule)
{
    auto& mapping = open (normalAlias, "5", midi ("CC", 7, "0x7f") + midi ("CC", 9, "0"));
    OutputMapping::learnFlipCount = 0;
    auto* pad = devices->getSource ("Pad");
    auto* other = devices->getSource ("Other");

    struct Case { const juce::MidiInput* source; bool selectRow0; juce::MidiMessage message; juce::String description; juce::String label; };
    const Case cases[] = {
        { pad, false, juce::MidiMessage::controllerEvent (1, 7, 0), "CH 1, CC 7, 0x7f", "127" },   // no row selected
        { pad, true, juce::MidiMessage::controllerEvent (1, 7, 0), "CH 1, CC 7, 0x0", "0" },
        { pad, true, juce::MidiMessage::controllerEvent (1, 7, 127), "CH 1, CC 7, 0x7f", "127" },
        { pad, true, juce::MidiMessage::controllerEvent (1, 7, 0), "CH 1, CC 7, 0x7f", "127" },     // third flip in a row
        { other, true, juce::MidiMessage::controllerEvent (1, 7, 5), "CH 1, CC 7, 0x7f", "127" },   // not the default input
        { pad, true, juce::MidiMessage::noteOn (3, 60, (juce::uint8) 100), "CH 3, Note C4 (60), 0x64", "100" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.description);

        if (c.selectRow0)
            inspect().table().selectRow (0);

        auto& cell = inspect().cell (0);
        EXPECT_EQ (Inspector::isSelected (cell), c.selectRow0);
        deliver (cell, c.source, c.message);
        EXPECT_EQ (mapping.getDescription().upToFirstOccurrenceOf (" & ", false, false), c.description);
        EXPECT_EQ (Inspector::valueLabel (cell).getText(), c.label);
    }

    EXPECT_EQ (mapping.getDescription().fromFirstOccurrenceOf (" & ", false, false), "CH 1, CC 9, 0");
}
