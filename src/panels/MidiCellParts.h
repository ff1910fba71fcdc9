#pragma once

#include <memory>

#include <juce_gui_basics/juce_gui_basics.h>

class Mapping;

/** What the input and output MIDI cells share: their two menus and their invisible buttons. */
namespace MidiCellParts
{
    /** Channels 1 to 16; an item's id is its channel. */
    juce::PopupMenu makeChannelMenu();

    /** A "Note" sub-menu with items id n, "60: C0" (middle C in octave 0), and a "CC" sub-menu with items id 1000 n; neither offers 0. */
    juce::PopupMenu makeNoteOrCcMenu();

    /**
        Writes a choice of the note-or-CC menu into one MIDI event of the mapping: an id over 999
        makes it a controller change of number id / 1000, an id from 1 to 999 a note of that
        number; 0 (the menu dismissed) writes nothing.
    */
    void applyNoteOrCcChoice (Mapping& mapping, int row, int menuResult);

    /** An image button with the text "new button" and no pictures: invisible, and clickable over its whole area. */
    std::unique_ptr<juce::ImageButton> makeInvisibleButton (const juce::String& name);
}
