#include "panels/MidiCellParts.h"

#include <juce_audio_basics/juce_audio_basics.h>


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
