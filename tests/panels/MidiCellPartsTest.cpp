#include "panels/MidiCellParts.h"
#include "panels/MidiPanelFixture.h"

using MidiCellMenus = MidiPanelFixture;

TEST_F (MidiCellMenus, AChoiceWritesTheRowOfEitherKindOfCellUnlessDismissedOrThePanelClosedMeanwhile)
{
    // Which cell, its row, the button, the menu's result, whether the panel closes while the menu is open; the row after.
    const struct { bool outputCell; juce::String event; const char* button; int result; bool close; const char* expected; } cases[] = {
        { false, midi ("Note", 60), "midi note or cc number button", 7000, false, "0 7 1 | CH 1 7" },
        { false, midi ("PW", 0, 4), "midi note or cc number button", 64, false, "1 64 4 | CH 4 64" },
        { false, midi ("CC", 7), "midi channel button", 10, false, "0 7 10 | CH 10 7" },
        { false, midi ("Note", 60, 3), "midi note or cc number button", 0, false, "1 60 3 | CH 3 60" },
        { false, midi ("Note", 60, 3), "midi channel button", 10, true, "1 60 3" },
        { true, midi ("Note", 61, 2), "midi channel button", 10, false, "1 61 10 | CH 10 61" },
        { true, midi ("CC", 7, 2), "midi note or cc number button", 60, false, "1 60 2 | CH 2 60" },
        { true, midi ("CC", 7, 2), "midi note or cc number button", 60, true, "0 7 2" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.expected);
        std::unique_ptr<InputMappingComponent> input;
        auto& rowCell = c.outputCell ? (openOutput ("5", c.event), cell (*output, 0)) : cell (*(input = makeInputPanel (c.event + midi ("CC", 1))), 0);
        TestHelpers::ModalEnder ender (c.result, [&] (juce::Component&) { if (c.close) input.reset(), output.reset(); });
        child<juce::Button> (rowCell, c.button).triggerClick();
        EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return ender.hasEnded(); }));
        TestHelpers::pumpMessages();
        EXPECT_TRUE (c.close || rowCell.findParentComponentOfClass<juce::TableListBox>()->isRowSelected (0)); // the button selects its row first
        EXPECT_EQ (c.outputCell ? rowText (OutputMapping (outputElement), 0, c.close ? nullptr : &rowCell) : rowText (InputMapping (element), 0, c.close ? nullptr : &rowCell), c.expected);
    }
}

TEST (MidiCellMenuNames, NotesAndControllersRunFrom1To127CountingMiddleCAsOctaveZero)
{
    juce::StringArray names;
    const auto menu = MidiCellParts::makeNoteOrCcMenu();
    for (juce::PopupMenu::MenuItemIterator top (menu); top.next();)
        for (juce::PopupMenu::MenuItemIterator item (*top.getItem().subMenu); item.next();)
            names.add (top.getItem().text + " " + item.getItem().text + "#" + juce::String (item.getItem().itemID));
    EXPECT_EQ (names.size(), 254);
    EXPECT_EQ (names[0] + "," + names[59] + "," + names[126] + "," + names[127] + "," + names[253], "Note 1: C#-5#1,Note 60: C0#60,Note 127: G5#127,CC 1#1000,CC 127#127000");
}
