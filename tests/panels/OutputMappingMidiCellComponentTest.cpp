#include "panels/MidiPanelFixture.h"
#include "resources/Resources.h"

using OutputMappingMidiCell = MidiPanelFixture;

TEST_F (OutputMappingMidiCell, ARowDraggedOntoAnotherMovesThereAndTheSelectedRowLearnsFromTheDefaultInputWithTheFlipRule)
{
    auto& mapping = openOutput ("5", midi ("CC", 7, 1, "0x7f") + midi ("CC", 2) + midi ("CC", 3));
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
    EXPECT_EQ (mapping.getDescription() + " | " + rowText (mapping, 2, &cell (*output, 2)), "CH 1, CC 2, 0 & CH 1, CC 3, 0 & CH 1, CC 7, 0x7f | 0 7 1 | CH 1 7");
    EXPECT_EQ (table (*output).getSelectedRows().size() + 10 * table (*output).getSelectedRow(), 21); // row 2 alone
    EXPECT_FALSE (dynamic_cast<juce::DragAndDropTarget&> (cell (*output, 1)).isInterestedInDragSource ({ juce::var (1), nullptr, {} })); // never onto itself

    OutputMapping::learnFlipCount = 0;
    using M = juce::MidiMessage;
    const struct { const char* input; M message; const char* expected; } cases[] = { // the first while no row is selected
        { "Pad", M::controllerEvent (1, 7, 0), "CH 1, CC 7, 0x7f 127" },
        { "Pad", M::controllerEvent (1, 7, 0), "CH 1, CC 7, 0x0 0" },
        { "Pad", M::controllerEvent (1, 7, 127), "CH 1, CC 7, 0x7f 127" },
        { "Pad", M::controllerEvent (1, 7, 0), "CH 1, CC 7, 0x7f 127" }, // the third flip in a row
        { "Keys", M::controllerEvent (1, 7, 5), "CH 1, CC 7, 0x7f 127" },
        { "Pad", M::noteOn (3, 60, (juce::uint8) 100), "CH 3, Note C4 (60), 0x64 100" },
    };
    table (*output).deselectAllRows();
    for (const auto& c : cases)
    {
        deliver (cell (*output, 2), devices->getSource (c.input), c.message);
        EXPECT_EQ (mapping.getDescription().replace ("CH 1, CC 2, 0 & CH 1, CC 3, 0 & ", "") + " " + child<juce::Label> (cell (*output, 2), "midi value label").getText(), c.expected); // the other rows stay
        table (*output).selectRow (2);
    }
}

TEST_F (OutputMappingMidiCell, ALearnThatWaitedForTheMessageThreadWritesOnlyARowSelectedWhenTheMessageCameAndWhenTheWaitEnded)
{
    using Table = juce::TableListBox;
    // What the message thread does while the cell of the selected first row waits for it; the rows that learn the message.
    const struct { const char* meanwhile; std::function<void (Table&, juce::Component&)> act; const char* learned; } cases[] = {
        { "nothing", [] (Table&, juce::Component&) {}, "0" },
        { "another row selected", [] (Table& t, juce::Component&) { t.selectRow (1); }, "" },
        { "the row dropped onto row 2", [] (Table& t, juce::Component&) { dynamic_cast<juce::DragAndDropTarget&> (*t.getCellComponent (1, 2)).itemDropped ({ juce::var (0), nullptr, {} }); }, "" },
        { "scrolled until the table gave the cell another row, which was selected", [] (Table& t, juce::Component& c) { t.selectRow (scrollUntilTheCellShowsAnotherRow (t, c), true); }, "" },
    };
    juce::String rows;
    for (int n = 1; n <= 20; ++n)
        rows << midi ("CC", n);
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.meanwhile);
        auto& mapping = openOutput ("5", rows, 0);
        table (*output).selectRow (0);
        auto& waiting = cell (*output, 0);
        deliver (waiting, devices->getSource ("Pad"), juce::MidiMessage::controllerEvent (3, 20, 5), [&] { c.act (table (*output), waiting); });
        EXPECT_EQ (rowsHolding (mapping, "0 20 3"), c.learned);
    }
}

TEST_F (OutputMappingMidiCell, TypedValuesAndDurationsShowWhatTheRowStored)
{
    auto& mapping = openOutput ("5", "<midi loop=\"true\"/>" + midi ("Note", 61, 2, "0", 500));
    // The label typed into, the text typed; the row's value and duration after, and the label's text.
    const struct { const char *label, *typed, *stored, *shown; } rows[] = {
        { "midi value label", "%", "% 500", "%" }, { "midi value label", "300", "127 500", "127" }, { "midi value label", "soft", "0 500", "0" },
        { "duration or range label", "250", "0 250", "250" }, { "duration or range label", "long", "0 0", "0" },
        // Digits past the int range hold the duration at its end instead of wrapping round.
        { "duration or range label", "99999999999", "0 2147483647", "2147483647" }, { "duration or range label", "2147483648", "0 2147483647", "2147483647" },
        { "duration or range label", "4294967296", "0 2147483647", "2147483647" }, { "duration or range label", "-99999999999", "0 -2147483648", "-2147483648" },
    };
    for (const auto& row : rows)
    {
        auto& label = child<juce::Label> (cell (*output, 0), row.label);
        label.setText (row.typed, juce::sendNotificationSync);
        EXPECT_EQ (mapping.getValue (0) + " " + juce::String (mapping.getDuration (0)) + " " + label.getText(), juce::String (row.stored) + " " + row.shown) << row.typed;
    }
}

TEST_F (OutputMappingMidiCell, DurationOrRangeTextAndModeIconFollowTheMode)
{
    // The mode's marker and number of rows; then each row's duration or range text ("-": hidden; "e": edited with one click) and the icon at (171, 3) (L loop, 1 first half, 2 second half, - none).
    const struct { const char* marker; int rows; const char* expected; } modes[] = {
        { "<midi loop=\"true\"/>", 4, "500eL 250eL 500eL 500eL" },
        { "<midi map=\"true\"/>", 4, "0.0-0.51 0.5-1.01 0.0-0.52 0.5-1.02" },
        { "<midi fillingMap=\"true\"/>", 4, "0.0-0.51 0.5-1.01 0.0-0.52 0.5-1.02" },
        { "<midi simpleMap=\"true\"/>", 4, "0.0-0.31 0.3-0.61 0.6-1.01 1.0-1.31" },
        // A bound is the float's shortest text: 0.7, held as 0.699999988, shows as 0.7 (nine digits cut to three would give 0.6).
        { "<midi simpleMap=\"true\"/>", 11, "0.0-0.11 0.1-0.21 0.2-0.31 0.3-0.41 0.4-0.51 0.5-0.61 0.6-0.71 0.7-0.81 0.8-0.91 0.9-1.01 1.0-1.11" },
        { "", 4, "-- -- -- --" },
    };
    const std::pair<char, const char*> icons[] = { { 'L', "mode_loop.png" }, { '1', "mode_first_half.png" }, { '2', "mode_second_half.png" } };
    const auto shows = [] (const juce::Image& image, const juce::Image& icon) {
        juce::Image expected (juce::Image::ARGB, 16, 16, true);
        juce::Graphics (expected).drawImageAt (icon, 0, 0);
        for (int i = 0; i < 256; ++i)
            if (! TestHelpers::near (image.getPixelAt (171 + i % 16, 3 + i / 16), expected.getPixelAt (i % 16, i / 16)))
                return false;
        return true;
    };
    for (const auto& mode : modes)
    {
        juce::String rows = mode.marker;
        for (int row = 0; row < mode.rows; ++row)
            rows << midi ("CC", row + 1, 1, "0", row == 1 ? 250 : 500);
        openOutput ("5", rows);
        juce::StringArray shown;
        for (int row = 0; row < mode.rows; ++row)
        {
            auto& label = child<juce::Label> (cell (*output, row), "duration or range label");
            auto text = (label.isVisible() ? label.getText() + (label.isEditableOnSingleClick() ? "e" : "") : "-") + "-";
            for (const auto& [letter, name] : icons)
                if (shows (TestHelpers::renderComponent (cell (*output, row)), Resources::getImage (name)))
                    text = text.dropLastCharacters (1) + letter;
            shown.add (text);
        }
        EXPECT_EQ (shown.joinIntoString (" "), mode.expected) << mode.marker;
    }
}
