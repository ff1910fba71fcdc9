#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "model/Mapping.h"

/**
    The view of a "mapping" element under "input-mappings": the MIDI events that trigger the
    mapping ("events" > "midi"), the host control it drives ("controls" > "control") and its
    behaviour preset with its options ("preset").

    The index of an event is its position among the children of "events". Getters on a missing
    event read empty properties (0, -1 or an empty string); setters on a missing event write
    nothing.
*/
class InputMapping : public Mapping
{
public:
    explicit InputMapping (const juce::ValueTree& mappingElement);
    ~InputMapping() override;

    bool isOutput() const override;
    bool isInput() const override;

    /** The "alias" of the last child of "controls". */
    juce::String getAlias() const override;

    /** The last character of the first "modifiers" text among the events, as a digit (0 when it
        is not one); -1 when no event has "modifiers". */
    int getModifier() const override;

    /** Input mappings keep their events as created; these three do nothing. */
    void addDefaultMidi() override;
    void addMidiMessage (const juce::MidiMessage& message) override;
    void removeMidi (int index) override;

    /** MIDI learn: a controller change writes "CC", its number and channel; a note "Note", its
        note number and channel; a pitch wheel "PW" and its channel, removing "parameter"; any
        other message keeps the type and writes parameter 0xffffffff and its channel. Unclamped. */
    void setMidiMessage (int index, const juce::MidiMessage& message) override;

    /** A note-on for a "Note" event, a controller change for every other type. */
    juce::MidiMessage getMidiMessage (int index) const override;

    int getNumMidi() const override;

    /** "CH 1, CC, 7", events joined by " & ", notes as "Note, C4 (60)". */
    juce::String getDescription() const override;

    int getType (int index) const override;
    void setType (int index, int kind) override;
    int getParameter (int index) const override;
    void setParameter (int index, int number) override;
    int getChannel (int index) const override;
    void setChannel (int index, int channel) override;

    //==============================================================================
    /** The event element at index, or an invalid tree. */
    juce::ValueTree getMidi (int index) const;

    /** Writes an event without clamping: the type by kind (0 "CC", 1 "Note", 2 "PW", others keep
        it), the number as "parameter" (removed for a pitch wheel), then the channel. */
    void setMidi (int index, int kind, int number, int channel);

    /** Replaces the "preset" child by a fresh copy of the catalogue's preset of that name for this
        mapping's control and first event; an empty or unknown name leaves no preset at all. */
    void setPreset (const juce::String& name);

    /** The "name" of the "preset" child, or an empty string. */
    juce::String getPreset() const;

    /** One editor per option of the preset that has one ("invert", "range", "action-0",
        "metronom"), bound to the option's "value"; the caller owns the components. */
    juce::Array<juce::PropertyComponent*> createPropertyComponents() const;

private:
    juce::ValueTree getEvents() const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InputMapping)
};
