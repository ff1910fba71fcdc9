#include "panels/MidiPanelFixture.h"

using InputMidiCell = MidiPanelFixture;

TEST_F (InputMidiCell, LearnsNotesControllersAndPitchWheelsOfTheDefaultInputWhileItsRowIsSelected)
{
    using M = juce::MidiMessage;
    // The second row, kept selected or not, the input and message; the row after, and whether the preset step cleared the preset (same kind before and after).
    const struct { juce::String event; bool selected; const char* input; M message; const char* expected; bool presetStep; } cases[] = {
        { midi ("Note", 60), false, "Pad", M::controllerEvent (3, 20, 5), "1 60 1 | CH 1 60", false },
        { midi ("Note", 60), true, "Pad", M::controllerEvent (3, 20, 5), "0 20 3 | CH 3 20", false },
        { midi ("Note", 60), true, "Pad", M::noteOff (2, 64), "1 64 2 | CH 2 64", true },
        { midi ("CC", 7), true, "Pad", M::noteOn (5, 61, (juce::uint8) 0), "1 61 5 | CH 5 61", false },
        { midi ("CC", 7), true, "Pad", M::pitchWheel (9, 8192), "2 0 9 | CH 9 -", false },
        { midi ("CC", 7), true, "Pad", M::controllerEvent (16, 1, 0), "0 1 16 | CH 16 1", true },
        { midi ("CC", 7), true, "Keys", M::controllerEvent (3, 20, 5), "0 7 1 | CH 1 7", false }, // another enabled input
        { midi ("CC", 7), true, "Pad", M::aftertouchChange (3, 20, 5), "0 7 1 | CH 1 7", false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.expected);
        auto panel = makeInputPanel (midi ("CC", 1) + c.event, "Toggler Fader/Knob"); // controller presets before and after
        if (! c.selected)
            table (*panel).deselectAllRows();
        auto& combo = child<juce::ComboBox> (*panel, "preset combo box");
        combo.addItem ("stale", 99); // gone only if the list is rebuilt
        deliver (cell (*panel, 1), devices->getSource (c.input), c.message);
        EXPECT_EQ (rowText (InputMapping (element), 1, &cell (*panel, 1)), c.expected);
        EXPECT_EQ (InputMapping (element).getPreset() + "|" + combo.getText() + "|" + juce::String (combo.getNumItems()), c.presetStep ? "||3" : "Toggler Fader/Knob|Toggler Fader/Knob|4");
    }
}

TEST_F (InputMidiCell, ALearnThatWaitedForTheMessageThreadWritesOnlyARowSelectedWhenTheMessageCameAndWhenTheWaitEnded)
{
    using Table = juce::TableListBox;
    // What the message thread does while the cell of the selected row 15 waits for it; the rows that learn the message.
    const struct { const char* meanwhile; std::function<void (Table&, juce::Component&)> act; const char* learned; } cases[] = {
        { "nothing", [] (Table&, juce::Component&) {}, "15" },
        { "another row selected", [] (Table& t, juce::Component&) { t.selectRow (16); }, "" },
        { "no row selected", [] (Table& t, juce::Component&) { t.deselectAllRows(); }, "" },
        { "scrolled until the table gave the cell another row, which was selected", [] (Table& t, juce::Component& c) { t.selectRow (scrollUntilTheCellShowsAnotherRow (t, c), true); }, "" },
        { "scrolled until the table gave the cell another row, and back", [] (Table& t, juce::Component& c) { scrollUntilTheCellShowsAnotherRow (t, c); t.scrollToEnsureRowIsOnscreen (15); }, "15" },
    };
    juce::String events;
    for (int n = 1; n <= 30; ++n)
        events << midi ("CC", n);
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.meanwhile);
        auto panel = makeInputPanel (events);
        table (*panel).selectRow (15); // rows on both sides, so that scrolling a little makes or deletes no cell (which would make the wait give up)
        auto& waiting = cell (*panel, 15);
        deliver (waiting, devices->getSource ("Pad"), juce::MidiMessage::controllerEvent (3, 20, 5), [&] { c.act (table (*panel), waiting); });
        EXPECT_EQ (rowsHolding (InputMapping (element), "0 20 3"), c.learned);
    }
}
