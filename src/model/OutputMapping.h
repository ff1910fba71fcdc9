#pragma once

#include <array>

#include "model/Mapping.h"

/**
    The view of a "mapping" element under "output-mappings": the host control with its control
    value and modifier conditions ("control"), an optional mode marker right after it, and the
    MIDI messages sent when the control changes.

    A mode marker is a "midi" child carrying one of "loop", "map", "simpleMap" or "fillingMap";
    every other "midi" child is a plain message. The index of a message is its position among the
    plain messages. Getters on a missing message give -1 (getType, getDuration), 0
    (getParameter, getChannel), "0" (getValue) or a default MIDI message; setters then write
    nothing.
*/
class OutputMapping : public Mapping
{
public:
    explicit OutputMapping (const juce::ValueTree& mappingElement);
    ~OutputMapping() override;

    bool isOutput() const override;
    bool isInput() const override;

    /** The "alias" of the "control" child. */
    juce::String getAlias() const override;

    /** Always -1: output mappings keep their modifiers on "control" (see getModifiers). */
    int getModifier() const override;

    /** Appends a "CC" message on channel 1, controller 1, value 127. */
    void addDefaultMidi() override;

    /** Appends a message built from a MIDI message, stored as plain integers. */
    void addMidiMessage (const juce::MidiMessage& message) override;

    void removeMidi (int index) override;

    /** MIDI learn into message index, unclamped, counting on/off flips in learnFlipCount. */
    void setMidiMessage (int index, const juce::MidiMessage& message) override;

    /** A note-on for a "Note" message, a controller change for every other; "%" reads 0. */
    juce::MidiMessage getMidiMessage (int index) const override;

    /** The number of plain messages. */
    int getNumMidi() const override;

    /** "CH 1, CC 7, 0x7f", messages joined by " & ", a loop led by "Looped: ". */
    juce::String getDescription() const override;

    int getType (int index) const override;
    void setType (int index, int kind) override;
    int getParameter (int index) const override;
    void setParameter (int index, int number) override;
    int getChannel (int index) const override;
    void setChannel (int index, int channel) override;

    //==============================================================================
    /** The plain message at index, or an invalid tree. */
    juce::ValueTree getMidi (int index) const;

    /** Appends a message: "type" ("Note" for kind 1, "CC" for kind 0, none otherwise), then
        "parameter", "channel" and "value" as plain integers, unclamped. */
    void addMidi (int kind, int number, int channel, int value);

    /** Writes message index: the type by kind (others keep it), then "parameter", "channel" and
        "value" as "0x" text, unclamped. */
    void setMidi (int index, int kind, int number, int channel, int value);

    /** Moves message from so that it becomes message to; a target past the last message moves
        it to the end. Other children keep their places. */
    void moveMidi (int from, int to);

    /** "%" when the stored value is "%", otherwise the stored number in decimal. */
    juce::String getValue (int index) const;

    /** Stores "%" as it is; any other text is read as a decimal integer, clamped to 0..127. */
    void setValue (int index, const juce::String& text);

    juce::String getControlValue() const;
    void setControlValue (const juce::String& text);

    bool isLooped() const;
    bool isMap() const;
    bool isSimpleMap() const;
    bool isFillingMap() const;

    /** Switching a mode on replaces any other mode's marker by its own, right after "control";
        loop mode gives every message a duration of 500 ms, and leaving it removes the durations. */
    void setLooped (bool on);
    void setMap (bool on);
    void setSimpleMap (bool on);
    void setFillingMap (bool on);

    /** The part of the control range 0..1 that message index covers in a map mode, floored to
        hundredths. A lone message in a map mode covers the whole range, 0 to 1. */
    float getMapRangeStart (int index) const;
    float getMapRangeEnd (int index) const;

    /** The "duration" of message index in milliseconds (0 when absent), or -1 without a message. */
    int getDuration (int index) const;
    void setDuration (int index, int milliseconds);

    /** Sets or clears modifier k (1..9); the list is then written again in ascending order. */
    void setModifier (int k, bool on);
    bool hasModifier (int k) const;

    /** The "modifiers" of "control" as stored ("ML1,ML3"), or an empty string. */
    juce::String getModifiers() const;

    //==============================================================================
    /** Counts the on/off flips learned in a row by every output mapping of the process; every
        third flip in a row is stored as 127. */
    static inline int learnFlipCount = 0;

private:
    juce::ValueTree getControl() const;
    juce::ValueTree getFirstMidiChild() const;
    bool firstMidiChildHas (const juce::Identifier& mode) const;
    void switchModeOn (const juce::Identifier& mode);
    void switchModeOff (const juce::Identifier& mode);
    void getMapRange (int index, float& start, float& end) const;
    std::array<bool, 10> readModifierFlags() const;

    static bool isModeMarker (const juce::ValueTree& midi);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OutputMapping)
};
