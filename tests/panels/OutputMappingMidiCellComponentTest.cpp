#include "panels/MidiPanelFixture.h"
#include "resources/Resources.h"

using OutputMappingMidiCell = MidiPanelFixture;

TEST_F (OutputMappingMidiCell, TheDurationOrRangeLabelAndTheModeIconFollowTheMode)
{
    // Each row's label (hidden: "-") and its 16 by 16 icon at (171, 3): loop (durations typed in: "*"), first or second half, none.
    const juce::Image icons[] = { Resources::getImage ("mode_loop.png"), Resources::getImage ("mode_first_half.png"), Resources::getImage ("mode_second_half.png"), {} };
    const struct { const char *marker, *labels, *icons; } cases[] = {
        { "<midi loop=\"true\"/>", "500* 250* 500* 500*", "0000" }, { "<midi map=\"true\"/>", "0.0-0.5 0.5-1.0 0.0-0.5 0.5-1.0", "1122" },
        { "<midi simpleMap=\"true\"/>", "0.0-0.3 0.3-0.6 0.6-1.0 1.0-1.3", "1111" }, { "", "- - - -", "3333" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.marker);
        openOutput (normalAlias, "5", c.marker + midi ("CC", 1, 1, "0", 500) + midi ("CC", 2, 1, "0", 250) + midi ("CC", 3, 1, "0", 500) + midi ("CC", 4, 1, "0", 500));
        juce::StringArray labels;
        for (int row = 0; row < 4; ++row)
        {
            auto& label = child<juce::Label> (inspect().cell (row), "duration or range label");
            labels.add (label.isVisible() ? label.getText() + (label.isEditableOnSingleClick() ? "*" : "") : "-");
            juce::Image expected (juce::Image::ARGB, 16, 16, true);
            juce::Graphics (expected).drawImageAt (icons[c.icons[row] - '0'], 0, 0);
            const auto shown = TestHelpers::renderComponent (inspect().cell (row)).getClippedImage ({ 171, 3, 16, 16 });
            for (int i = 0; i < 256; ++i)
                ASSERT_TRUE (TestHelpers::near (shown.getPixelAt (i % 16, i / 16), expected.getPixelAt (i % 16, i / 16))) << row << " at " << i;
        }
        EXPECT_EQ (labels.joinIntoString (" "), c.labels);
    }
}

TEST_F (OutputMappingMidiCell, DraggingRowZeroOntoRowTwoMovesItThereThroughTheContainer)
{
    auto& mapping = openOutput (normalAlias, "5", midi ("CC", 1) + midi ("CC", 2) + midi ("CC", 3));
    output->addToDesktop (juce::ComponentPeer::windowIsTemporary);
    output->setVisible (true);
    TestHelpers::pumpMessages (100);
    for (const auto& [y, down] : { std::pair { 203, true }, { 212, true }, { 244, true }, { 247, false } }) // rows of 22 from 192; x 250 is on the select helper button only
    {
        output->getPeer()->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, { 250.0f, (float) y }, down ? juce::ModifierKeys::leftButtonModifier : juce::ModifierKeys(),
                                             juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation, juce::Time::currentTimeMillis());
        TestHelpers::pumpMessages (20);
        EXPECT_TRUE (y == 247 || output->isDragAndDropActive() == (y > 203)) << y; // the drop ends the drag a little later
    }
    EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return ! output->isDragAndDropActive(); }));
    EXPECT_EQ (mapping.getDescription() + " | " + rowText (mapping, 2, &inspect().cell (2)), "CH 1, CC 2, 0 & CH 1, CC 3, 0 & CH 1, CC 1, 0 | 0 1 1 | CH 1 1");
    EXPECT_EQ (inspect().table.getSelectedRows().size() + 10 * inspect().table.getSelectedRow(), 21); // row 2 alone
    EXPECT_FALSE (dynamic_cast<juce::DragAndDropTarget&> (inspect().cell (1)).isInterestedInDragSource ({ juce::var (1), nullptr, {} })); // never onto itself
}

TEST_F (OutputMappingMidiCell, ASelectedRowLearnsMessagesOfTheDefaultInputWithTheFlipRule)
{
    auto& mapping = openOutput (normalAlias, "5", midi ("CC", 7, 1, "0x7f") + midi ("CC", 9));
    OutputMapping::learnFlipCount = 0;
    using M = juce::MidiMessage;
    const struct { const char* input; M message; const char* expected; } cases[] = { // the first while no row is selected
        { "Pad", M::controllerEvent (1, 7, 0), "CH 1, CC 7, 0x7f 127" }, { "Pad", M::controllerEvent (1, 7, 0), "CH 1, CC 7, 0x0 0" },
        { "Pad", M::controllerEvent (1, 7, 127), "CH 1, CC 7, 0x7f 127" }, { "Pad", M::controllerEvent (1, 7, 0), "CH 1, CC 7, 0x7f 127" }, // the third flip in a row
        { "Keys", M::controllerEvent (1, 7, 5), "CH 1, CC 7, 0x7f 127" }, { "Pad", M::noteOn (3, 60, (juce::uint8) 100), "CH 3, Note C4 (60), 0x64 100" },
    };

    for (const auto& c : cases)
    {
        deliver (inspect().cell (0), devices->getSource (c.input), c.message);
        EXPECT_EQ (mapping.getDescription().replace (" & CH 1, CC 9, 0", " ") + child<juce::Label> (inspect().cell (0), "midi value label").getText(), c.expected);
        inspect().table.selectRow (0);
    }
}
