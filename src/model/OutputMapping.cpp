#include "model/OutputMapping.h"

#include <cmath>
#include <cstdlib>

OutputMapping::OutputMapping (const juce::ValueTree& mappingElement)
    : Mapping (mappingElement)
{
}

OutputMapping::~OutputMapping() = default;

bool OutputMapping::isOutput() const
{
    return true;
}

bool OutputMapping::isInput() const
{
    return false;
}

juce::String OutputMapping::getAlias() const
{
    return getControl().getProperty (Ids::alias()).toString();
}

int OutputMapping::getModifier() const
{
    return -1;
}

void OutputMapping::addDefaultMidi()
{
    addMidi (0, 1, 1, 127);
}

void OutputMapping::addMidiMessage (const juce::MidiMessage& message)
{
    int kind = -1;
    int number = -1;

    // Any other message keeps its controller value, the third byte (a pitch wheel's high byte).
    // A message of two bytes has none: JUCE would read a byte it never set, so 0 stands for it.
    int value = message.getRawDataSize() > 2 ? message.getRawData()[2] : 0;

    if (message.isController())
    {
        kind = 0;
        number = message.getControllerNumber();
        value = message.getControllerValue();
    }
    else if (message.isNoteOnOrOff())
    {
        kind = 1;
        number = message.getNoteNumber();
        value = message.getVelocity();
    }

    addMidi (kind, number, message.getChannel(), value);
}

void OutputMapping::removeMidi (int index)
{
    auto message = getMidi (index);

    if (message.isValid())
        getValueTree().removeChild (message, nullptr);
}

void OutputMapping::setMidiMessage (int index, const juce::MidiMessage& message)
{
    int kind = -1;

    if (message.isController())
        kind = 0;
    else if (message.isNoteOnOrOff())
        kind = 1;

    int number = -1;

    if (message.isNoteOnOrOff())
        number = message.getNoteNumber();
    else if (message.isController())
        number = message.getControllerNumber();

    const int channel = message.getChannel();

    int value = -1;

    if (message.isNoteOnOrOff())
        value = message.getVelocity();
    else if (message.isController())
        value = message.getControllerValue();

    // A button that sends 127 when pressed and 0 when released flips the stored value with every
    // learned message; every third flip in a row is stored as 127.
    const auto stored = (juce::int64) parseDecimal (getValue (index));

    if (std::llabs (stored - (juce::int64) value) == 127
        && channel == getChannel (index)
        && kind == getType (index)
        && number == getParameter (index))
    {
        if (++learnFlipCount >= 3)
        {
            learnFlipCount = 0;
            value = 127;
        }
    }
    else
    {
        learnFlipCount = 0;
    }

    setMidi (index, kind, number, channel, value);
}

juce::MidiMessage OutputMapping::getMidiMessage (int index) const
{
    auto message = getMidi (index);

    if (! message.isValid())
        return {};

    return makeMidiMessage (message.getProperty (Ids::type()).toString(),
                            parseNumber (message.getProperty (Ids::channel())),
                            parseNumber (message.getProperty (Ids::parameter())),
                            parseNumber (message.getProperty (Ids::value())));
}

int OutputMapping::getNumMidi() const
{
    int count = 0;

    for (const auto& child : getValueTree())
        if (child.hasType (Ids::midi()) && ! isModeMarker (child))
            ++count;

    return count;
}

juce::String OutputMapping::getDescription() const
{
    juce::String text;
    bool anyMessage = false;

    for (const auto& child : getValueTree())
    {
        if (! child.hasType (Ids::midi()))
            continue;

        if (isModeMarker (child))
        {
            if ((bool) child.getProperty (Ids::loop()))
                text = "Looped: " + text;

            continue;
        }

        if (anyMessage)
            text << " & ";

        anyMessage = true;

        const auto typeText = child.getProperty (Ids::type()).toString();
        const auto parameter = parseNumber (child.getProperty (Ids::parameter()));

        text << "CH " << parseNumber (child.getProperty (Ids::channel())) << ", " << typeText << " ";

        if (typeText == "Note")
            text << getNoteName (parameter) << " (" << parameter << ")";
        else
            text << parameter;

        text << ", " << child.getProperty (Ids::value()).toString();
    }

    return text;
}

int OutputMapping::getType (int index) const
{
    return kindOfTypeText (getMidi (index).getProperty (Ids::type()).toString(), false);
}

void OutputMapping::setType (int index, int kind)
{
    auto message = getMidi (index);

    if (! message.isValid())
        return;

    if (kind == 0)
        message.setProperty (Ids::type(), "CC", nullptr);
    else if (kind == 1)
        message.setProperty (Ids::type(), "Note", nullptr);
}

int OutputMapping::getParameter (int index) const
{
    return parseNumber (getMidi (index).getProperty (Ids::parameter()));
}

void OutputMapping::setParameter (int index, int number)
{
    auto message = getMidi (index);

    if (message.isValid())
        message.setProperty (Ids::parameter(), toHexString (clampMidiValue (number)), nullptr);
}

int OutputMapping::getChannel (int index) const
{
    return parseNumber (getMidi (index).getProperty (Ids::channel()));
}

void OutputMapping::setChannel (int index, int channel)
{
    auto message = getMidi (index);

    if (message.isValid())
        message.setProperty (Ids::channel(), toHexString (clampChannel (channel)), nullptr);
}

//==============================================================================
juce::ValueTree OutputMapping::getMidi (int index) const
{
    if (index < 0)
        return {};

    int position = 0;

    for (const auto& child : getValueTree())
    {
        if (! child.hasType (Ids::midi()) || isModeMarker (child))
            continue;

        if (position == index)
            return child;

        ++position;
    }

    return {};
}

void OutputMapping::addMidi (int kind, int number, int channel, int value)
{
    juce::ValueTree message (Ids::midi());

    if (kind == 1)
        message.setProperty (Ids::type(), "Note", nullptr);
    else if (kind == 0)
        message.setProperty (Ids::type(), "CC", nullptr);

    message.setProperty (Ids::parameter(), number, nullptr);
    message.setProperty (Ids::channel(), channel, nullptr);
    message.setProperty (Ids::value(), value, nullptr);

    getValueTree().appendChild (message, nullptr);
}

void OutputMapping::setMidi (int index, int kind, int number, int channel, int value)
{
    auto message = getMidi (index);

    if (! message.isValid())
        return;

    if (kind == 1)
        message.setProperty (Ids::type(), "Note", nullptr);
    else if (kind == 0)
        message.setProperty (Ids::type(), "CC", nullptr);

    message.setProperty (Ids::parameter(), toHexString (number), nullptr);
    message.setProperty (Ids::channel(), toHexString (channel), nullptr);
    message.setProperty (Ids::value(), toHexString (value), nullptr);
}

void OutputMapping::moveMidi (int from, int to)
{
    auto element = getValueTree();
    auto moving = getMidi (from);
    const int numMessages = getNumMidi();

    if (! moving.isValid() || to < 0)
        return;

    // The messages of the elements this program writes are the last children of the element,
    // but a hand-edited file may hold other children after or between them. So the target is
    // the child index of the message that is now at position to (or of the last message), which
    // keeps "control", the mode marker and any stranger where they are.
    auto target = getMidi (juce::jmin (to, numMessages - 1));
    element.moveChild (element.indexOf (moving), element.indexOf (target), nullptr);
}

juce::String OutputMapping::getValue (int index) const
{
    const auto stored = getMidi (index).getProperty (Ids::value());

    if (stored.toString() == "%")
        return "%";

    return juce::String (parseNumber (stored));
}

void OutputMapping::setValue (int index, const juce::String& text)
{
    auto message = getMidi (index);

    if (! message.isValid())
        return;

    if (text == "%")
        message.setProperty (Ids::value(), "%", nullptr);
    else
        message.setProperty (Ids::value(), toHexString (clampMidiValue (parseDecimal (text))), nullptr);
}

juce::String OutputMapping::getControlValue() const
{
    return getControl().getProperty (Ids::value()).toString();
}

void OutputMapping::setControlValue (const juce::String& text)
{
    auto control = getControl();

    if (control.isValid())
        control.setProperty (Ids::value(), text, nullptr);
}

bool OutputMapping::isLooped() const      { return firstMidiChildHas (Ids::loop()); }
bool OutputMapping::isMap() const         { return firstMidiChildHas (Ids::map()); }
bool OutputMapping::isSimpleMap() const   { return firstMidiChildHas (Ids::simpleMap()); }
bool OutputMapping::isFillingMap() const  { return firstMidiChildHas (Ids::fillingMap()); }

void OutputMapping::setLooped (bool on)
{
    if (! on)
    {
        switchModeOff (Ids::loop());
        return;
    }

    if (isLooped())
        return;

    setMap (false);
    setSimpleMap (false);
    setFillingMap (false);
    switchModeOn (Ids::loop());

    for (int i = 0; i < getNumMidi(); ++i)
        getMidi (i).setProperty (Ids::duration(), "500", nullptr);
}

void OutputMapping::setMap (bool on)
{
    if (! on)
    {
        switchModeOff (Ids::map());
        return;
    }

    if (isMap())
        return;

    setLooped (false);
    setSimpleMap (false);
    setFillingMap (false);
    switchModeOn (Ids::map());
}

void OutputMapping::setSimpleMap (bool on)
{
    if (! on)
    {
        switchModeOff (Ids::simpleMap());
        return;
    }

    if (isSimpleMap())
        return;

    setLooped (false);
    setMap (false);
    setFillingMap (false);
    switchModeOn (Ids::simpleMap());
}

void OutputMapping::setFillingMap (bool on)
{
    if (! on)
    {
        switchModeOff (Ids::fillingMap());
        return;
    }

    if (isFillingMap())
        return;

    setLooped (false);
    setSimpleMap (false);
    setMap (false);
    switchModeOn (Ids::fillingMap());
}

float OutputMapping::getMapRangeStart (int index) const
{
    float start = 0.0f, end = 0.0f;
    getMapRange (index, start, end);
    return start;
}

float OutputMapping::getMapRangeEnd (int index) const
{
    float start = 0.0f, end = 0.0f;
    getMapRange (index, start, end);
    return end;
}

int OutputMapping::getDuration (int index) const
{
    auto message = getMidi (index);

    if (! message.isValid())
        return -1;

    return parseNumber (message.getProperty (Ids::duration()));
}

void OutputMapping::setDuration (int index, int milliseconds)
{
    auto message = getMidi (index);

    if (message.isValid())
        message.setProperty (Ids::duration(), milliseconds, nullptr);
}

void OutputMapping::setModifier (int k, bool on)
{
    auto control = getControl();

    if (! control.isValid())
        return;

    auto flags = readModifierFlags();

    if (k >= 1 && k <= 9)
        flags[(size_t) k] = on;

    juce::String list;

    for (int d = 1; d <= 9; ++d)
        if (flags[(size_t) d])
            list << (list.isEmpty() ? "ML" : ",ML") << d;

    if (list.isNotEmpty())
        control.setProperty (Ids::modifiers(), list, nullptr);
    else
        control.removeProperty (Ids::modifiers(), nullptr);
}

bool OutputMapping::hasModifier (int k) const
{
    if (k < 1 || k > 9)
        return false;

    return readModifierFlags()[(size_t) k];
}

juce::String OutputMapping::getModifiers() const
{
    return getControl().getProperty (Ids::modifiers()).toString();
}

//==============================================================================
juce::ValueTree OutputMapping::getControl() const
{
    return getValueTree().getChildWithName (Ids::control());
}

juce::ValueTree OutputMapping::getFirstMidiChild() const
{
    return getValueTree().getChildWithName (Ids::midi());
}

bool OutputMapping::firstMidiChildHas (const juce::Identifier& mode) const
{
    return getFirstMidiChild().hasProperty (mode);
}

void OutputMapping::switchModeOn (const juce::Identifier& mode)
{
    auto element = getValueTree();
    juce::ValueTree marker (Ids::midi());
    marker.setProperty (mode, "true", nullptr);

    // The marker belongs right after "control", at index 1. An element without "control" in
    // front would leave a message at index 0 ahead of the marker, and the mode could then never
    // be read back, so the marker goes before that message instead.
    int position = 1;
    auto first = getFirstMidiChild();

    if (first.isValid())
        position = juce::jmin (position, element.indexOf (first));

    element.addChild (marker, position, nullptr);
}

void OutputMapping::switchModeOff (const juce::Identifier& mode)
{
    auto marker = getFirstMidiChild();

    if (! marker.hasProperty (mode))
        return;

    if (mode == Ids::loop())
        for (int i = 0; i < getNumMidi(); ++i)
            getMidi (i).removeProperty (Ids::duration(), nullptr);

    getValueTree().removeChild (marker, nullptr);
}

void OutputMapping::getMapRange (int index, float& start, float& end) const
{
    const int n = getNumMidi();
    int p = index;
    int d = 0;

    if (isSimpleMap())
    {
        d = n - 1;
    }
    else
    {
        const int h = n / 2;

        if (index >= h)
            p = index - h;

        d = h;
    }

    // With a single message the divisor is 0 and the bounds would not be finite; that message
    // then covers the whole range, as if the divisor were 1.
    if (d == 0)
        d = 1;

    const float reciprocal = 1.0f / (float) d;
    const float rawStart = (float) p * reciprocal;
    const float rawEnd = ((float) p + 1.0f) * reciprocal;

    start = std::floor (rawStart * 100.0f) / 100.0f;
    end = std::floor (rawEnd * 100.0f) / 100.0f;
}

std::array<bool, 10> OutputMapping::readModifierFlags() const
{
    std::array<bool, 10> flags {};
    juce::StringArray tokens;
    tokens.addTokens (getModifiers(), ",", "");

    for (const auto& token : tokens)
    {
        const int d = token.substring (2, 3).getIntValue();

        if (d >= 1 && d <= 9)
            flags[(size_t) d] = true;
    }

    return flags;
}

bool OutputMapping::isModeMarker (const juce::ValueTree& midi)
{
    return midi.hasProperty (Ids::loop()) || midi.hasProperty (Ids::map())
        || midi.hasProperty (Ids::simpleMap()) || midi.hasProperty (Ids::fillingMap());
}
