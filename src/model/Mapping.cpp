#include "model/Mapping.h"

#include <limits>

Mapping::Mapping (const juce::ValueTree& mappingElement)
    : tree (mappingElement)
{
}

Mapping::~Mapping() = default;

bool Mapping::isInputOrOutput() const
{
    return isOutput() || isInput();
}

juce::ValueTree Mapping::getValueTree() const
{
    return tree;
}

int Mapping::parseNumber (const juce::var& property)
{
    auto text = property.toString();

    // Every hexadecimal digit counts, every other character is skipped; the digits are gathered
    // as an unsigned 32-bit value, so a longer text keeps its lowest eight digits.
    if (text.contains ("0x"))
        return text.getHexValue32();

    return parseDecimal (text);
}

juce::String Mapping::toHexString (int number)
{
    return "0x" + juce::String::toHexString ((juce::uint32) number);
}

int Mapping::getKind (const juce::ValueTree& mappingElement)
{
    auto parent = mappingElement.getParent();

    if (parent.hasType (Ids::inputMappings()))
        return 1;

    if (parent.hasType (Ids::outputMappings()))
        return 0;

    return -1;
}

int Mapping::clampMidiValue (int value)
{
    return juce::jlimit (0, 127, value);
}

//==============================================================================
int Mapping::clampChannel (int channel)
{
    return juce::jlimit (1, 16, channel);
}

int Mapping::parseDecimal (const juce::String& text)
{
    // juce::String::getIntValue wraps round on long digit runs (and negating the lowest int is
    // undefined), so a hand-edited "99999999999" would turn into some unrelated number. The same
    // reading rules apply here, but the result is held at the ends of the int range instead.
    auto p = text.getCharPointer();

    while (! p.isEmpty() && juce::CharacterFunctions::isWhitespace (*p))
        ++p;

    const bool negative = (*p == '-');

    if (negative)
        ++p;

    const juce::int64 limit = negative ? -(juce::int64) std::numeric_limits<int>::min()
                                       : (juce::int64) std::numeric_limits<int>::max();
    juce::int64 magnitude = 0;

    for (;;)
    {
        auto c = p.getAndAdvance();

        if (c < '0' || c > '9')
            break;

        magnitude = juce::jmin (limit, magnitude * 10 + (juce::int64) (c - '0'));
    }

    return (int) (negative ? -magnitude : magnitude);
}

int Mapping::kindOfTypeText (const juce::String& typeText, bool allowPitchWheel)
{
    if (typeText == "Note")
        return 1;

    if (typeText == "CC")
        return 0;

    if (allowPitchWheel && typeText == "PW")
        return 2;

    return -1;
}

juce::String Mapping::getNoteName (int noteNumber)
{
    return juce::MidiMessage::getMidiNoteName (noteNumber, true, true, 4);
}

juce::MidiMessage Mapping::makeMidiMessage (const juce::String& typeText, int channel, int number, int value)
{
    // These are the bytes JUCE's constructors would make from the raw numbers; bringing the
    // numbers into range first only keeps hand-edited files from tripping JUCE's assertions.
    const int safeChannel = clampChannel (channel);
    const int safeNumber = number & 127;

    if (typeText == "Note")
    {
        const auto velocity = (juce::uint8) juce::jmin (127, value & 0xff);
        return juce::MidiMessage::noteOn (safeChannel, safeNumber, velocity);
    }

    return juce::MidiMessage::controllerEvent (safeChannel, safeNumber, value & 127);
}

//==============================================================================
#define WIRELACE_MAPPING_ID(function, text)               \
    const juce::Identifier& Mapping::Ids::function()      \
    {                                                     \
        static const juce::Identifier identifier (text);  \
        return identifier;                                \
    }

WIRELACE_MAPPING_ID (inputMappings, "input-mappings")
WIRELACE_MAPPING_ID (outputMappings, "output-mappings")
WIRELACE_MAPPING_ID (events, "events")
WIRELACE_MAPPING_ID (midi, "midi")
WIRELACE_MAPPING_ID (controls, "controls")
WIRELACE_MAPPING_ID (control, "control")
WIRELACE_MAPPING_ID (preset, "preset")
WIRELACE_MAPPING_ID (parameters, "parameters")
WIRELACE_MAPPING_ID (type, "type")
WIRELACE_MAPPING_ID (parameter, "parameter")
WIRELACE_MAPPING_ID (channel, "channel")
WIRELACE_MAPPING_ID (value, "value")
WIRELACE_MAPPING_ID (alias, "alias")
WIRELACE_MAPPING_ID (modifiers, "modifiers")
WIRELACE_MAPPING_ID (name, "name")
WIRELACE_MAPPING_ID (key, "key")
WIRELACE_MAPPING_ID (object, "object")
WIRELACE_MAPPING_ID (duration, "duration")
WIRELACE_MAPPING_ID (loop, "loop")
WIRELACE_MAPPING_ID (map, "map")
WIRELACE_MAPPING_ID (simpleMap, "simpleMap")
WIRELACE_MAPPING_ID (fillingMap, "fillingMap")

#undef WIRELACE_MAPPING_ID
