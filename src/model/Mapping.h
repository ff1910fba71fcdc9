#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>
#include <juce_data_structures/juce_data_structures.h>

/**
    A typed view on one "mapping" element of a controller document.

    A view holds nothing but a handle on the element: every question reads the tree again and
    every edit lands in the document at once, so any number of views on one element always agree.
    Views are cheap to make and are made whenever one is needed.

    Numbers are stored as text. The setters and MIDI learn write them as "0x" followed by
    lower-case hexadecimal digits (toHexString); every number is read back by parseNumber, which
    takes text holding "0x" as hexadecimal and anything else as a leading decimal integer.

    MIDI kind codes (getType, setType): 0 controller change ("CC"), 1 note ("Note"),
    2 pitch wheel ("PW", input mappings only), -1 anything else.
*/
class Mapping
{
public:
    /** Keeps a handle on the mapping element; the element itself is shared, never copied. */
    explicit Mapping (const juce::ValueTree& mappingElement);

    virtual ~Mapping();

    virtual bool isOutput() const = 0;
    virtual bool isInput() const = 0;

    /** True for every view of a known kind; asks isOutput first, then isInput. */
    virtual bool isInputOrOutput() const;

    /** The alias of the host control that the mapping is bound to, or an empty string. */
    virtual juce::String getAlias() const = 0;

    /** The modifier number of the mapping's events, or -1 when none is set. */
    virtual int getModifier() const = 0;

    virtual void addDefaultMidi() = 0;
    virtual void addMidiMessage (const juce::MidiMessage& message) = 0;
    virtual void removeMidi (int index) = 0;

    /** MIDI learn: writes what the message says into the event or message at index. */
    virtual void setMidiMessage (int index, const juce::MidiMessage& message) = 0;

    /** The event or message at index as a MIDI message (a default message when there is none). */
    virtual juce::MidiMessage getMidiMessage (int index) const = 0;

    virtual int getNumMidi() const = 0;

    /** The one-line text that the mapping table shows. */
    virtual juce::String getDescription() const = 0;

    virtual int getType (int index) const = 0;
    virtual void setType (int index, int kind) = 0;
    virtual int getParameter (int index) const = 0;
    virtual void setParameter (int index, int number) = 0;
    virtual int getChannel (int index) const = 0;
    virtual void setChannel (int index, int channel) = 0;

    //==============================================================================
    /** A handle on the same mapping element. */
    juce::ValueTree getValueTree() const;

    /** Reads a stored number: text holding "0x" anywhere gives the 32-bit value of all its
        hexadecimal digits (lowest digits kept when there are more than eight); any other text
        gives the decimal integer at its start (0 when there is none), held to the int range
        instead of wrapping round. A missing property reads 0.
    */
    static int parseNumber (const juce::var& property);

    /** The decimal integer at the start of the text, as juce::String::getIntValue reads it
        (leading white space, an optional minus sign, digits), but held to the int range. */
    static int parseDecimal (const juce::String& text);

    /** "0x" and the lower-case hexadecimal digits of the number taken as unsigned 32 bits,
        without leading zeros: 0 gives "0x0", 127 "0x7f", -1 "0xffffffff". */
    static juce::String toHexString (int number);

    /** 1 for an element under "input-mappings", 0 under "output-mappings", -1 otherwise. */
    static int getKind (const juce::ValueTree& mappingElement);

    /** Clamps a MIDI number to 0..127. */
    static int clampMidiValue (int value);

protected:
    /** Clamps a MIDI channel to 1..16. */
    static int clampChannel (int channel);

    /** The kind code of a "type" text: "CC" 0, "Note" 1, "PW" 2 (only when pitch wheels are
        allowed), anything else -1. */
    static int kindOfTypeText (const juce::String& typeText, bool allowPitchWheel);

    /** The note name used by the descriptions: sharps, with middle C (60) in octave 4. */
    static juce::String getNoteName (int noteNumber);

    /** A MIDI message from stored numbers: a note-on for the type "Note", a controller change
        for every other type. Out-of-range numbers are brought into range the way JUCE's own
        message constructors would (channel held to 1..16, numbers cut to 7 bits, the velocity
        cut to its low 8 bits and then held to 0..127). */
    static juce::MidiMessage makeMidiMessage (const juce::String& typeText, int channel, int number, int value);

    /** Identifiers of the element and attribute names, each made once, on first use. */
    struct Ids
    {
        static const juce::Identifier& inputMappings();
        static const juce::Identifier& outputMappings();
        static const juce::Identifier& events();
        static const juce::Identifier& midi();
        static const juce::Identifier& controls();
        static const juce::Identifier& control();
        static const juce::Identifier& preset();
        static const juce::Identifier& parameters();
        static const juce::Identifier& type();
        static const juce::Identifier& parameter();
        static const juce::Identifier& channel();
        static const juce::Identifier& value();
        static const juce::Identifier& alias();
        static const juce::Identifier& modifiers();
        static const juce::Identifier& name();
        static const juce::Identifier& key();
        static const juce::Identifier& object();
        static const juce::Identifier& duration();
        static const juce::Identifier& loop();
        static const juce::Identifier& map();
        static const juce::Identifier& simpleMap();
        static const juce::Identifier& fillingMap();
    };

private:
    juce::ValueTree tree;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Mapping)
};
