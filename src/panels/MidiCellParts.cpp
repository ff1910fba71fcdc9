#include "panels/MidiCellParts.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include "model/Mapping.h"

juce::PopupMenu MidiCellParts::makeChannelMenu()
{
    juce::PopupMenu menu;

    for (int channel = 1; channel <= 16; ++channel)
        menu.addItem (channel, juce::String (channel));

    return menu;
}

juce::PopupMenu MidiCellParts::makeNoteOrCcMenu()
{
    juce::PopupMenu notes, controllers;

    for (int n = 1; n <= 127; ++n)
    {
        notes.addItem (n, juce::String (n) + ": " + juce::MidiMessage::getMidiNoteName (n, true, true, 0));
        controllers.addItem (1000 * n, juce::String (n));
    }

    juce::PopupMenu menu;
    menu.addSubMenu ("Note", notes);
    menu.addSubMenu ("CC", controllers);
    return menu;
}

void MidiCellParts::applyNoteOrCcChoice (Mapping& mapping, int row, int menuResult)
{
    if (menuResult > 999)
    {
        mapping.setType (row, 0);
        mapping.setParameter (row, menuResult / 1000);
    }
    else if (menuResult >= 1)
    {
        mapping.setType (row, 1);
        mapping.setParameter (row, menuResult);
    }
}

std::unique_ptr<juce::ImageButton> MidiCellParts::makeInvisibleButton (const juce::String& name)
{
    auto button = std::make_unique<juce::ImageButton> (name);
    button->setButtonText ("new button");
    button->setImages (false, true, true,
                       {}, 1.0f, juce::Colours::transparentBlack,
                       {}, 1.0f, juce::Colours::transparentBlack,
                       {}, 1.0f, juce::Colours::transparentBlack, 0.0f);
    return button;
}
