#include "model/InputMapping.h"

#include "model/ControlCatalogue.h"

InputMapping::InputMapping (const juce::ValueTree& mappingElement)
    : Mapping (mappingElement)
{
}

InputMapping::~InputMapping() = default;

bool InputMapping::isOutput() const
{
    return false;
}

bool InputMapping::isInput() const
{
    return true;
}

juce::String InputMapping::getAlias() const
{
    auto controls = getValueTree().getChildWithName (Ids::controls());
    auto last = controls.getChild (controls.getNumChildren() - 1);
    return last.getProperty (Ids::alias()).toString();
}

int InputMapping::getModifier() const
{
    for (const auto& event : getEvents())
    {
        if (event.hasType (Ids::midi()) && event.hasProperty (Ids::modifiers()))
        {
            auto text = event.getProperty (Ids::modifiers()).toString();
            auto last = text.getLastCharacter();
            return (last >= '0' && last <= '9') ? (int) (last - '0') : 0;
        }
    }

    return -1;
}

void InputMapping::addDefaultMidi() {}

void InputMapping::addMidiMessage (const juce::MidiMessage&) {}

void InputMapping::removeMidi (int) {}

void InputMapping::setMidiMessage (int index, const juce::MidiMessage& message)
{
    int kind = -1;

    if (message.isController())
        kind = 0;
    else if (message.isNoteOnOrOff())
        kind = 1;
    else if (message.isPitchWheel())
        kind = 2;

    int number = -1;

    if (message.isNoteOnOrOff())
        number = message.getNoteNumber();
    else if (message.isController())
        number = message.getControllerNumber();

    setMidi (index, kind, number, message.getChannel());
}

juce::MidiMessage InputMapping::getMidiMessage (int index) const
{
    auto event = getMidi (index);

    if (! event.isValid())
        return {};

    return makeMidiMessage (event.getProperty (Ids::type()).toString(),
                            parseNumber (event.getProperty (Ids::channel())),
                            parseNumber (event.getProperty (Ids::parameter())),
                            parseNumber (event.getProperty (Ids::value())));
}

int InputMapping::getNumMidi() const
{
    int count = 0;

    for (const auto& event : getEvents())
        if (event.hasType (Ids::midi()))
            ++count;

    return count;
}

juce::String InputMapping::getDescription() const
{
    juce::String text;
    auto events = getEvents();

    for (int i = 0; i < events.getNumChildren(); ++i)
    {
        auto event = events.getChild (i);

        if (! event.hasType (Ids::midi()))
            continue;

        // The separator goes by position, so a stray child before the first event still
        // leaves its " & " behind.
        if (i != 0)
            text << " & ";

        const auto typeText = event.getProperty (Ids::type()).toString();
        const auto parameter = parseNumber (event.getProperty (Ids::parameter()));

        text << "CH " << parseNumber (event.getProperty (Ids::channel())) << ", " << typeText << ", ";

        if (typeText == "Note")
            text << getNoteName (parameter) << " (" << parameter << ")";
        else
            text << parameter;
    }

    return text;
}

int InputMapping::getType (int index) const
{
    return kindOfTypeText (getMidi (index).getProperty (Ids::type()).toString(), true);
}

void InputMapping::setType (int index, int kind)
{
    auto event = getMidi (index);

    if (! event.isValid())
        return;

    if (kind == 0)
        event.setProperty (Ids::type(), "CC", nullptr);
    else if (kind == 1)
        event.setProperty (Ids::type(), "Note", nullptr);
    else if (kind == 2)
        event.setProperty (Ids::type(), "PW", nullptr);
}

int InputMapping::getParameter (int index) const
{
    return parseNumber (getMidi (index).getProperty (Ids::parameter()));
}

void InputMapping::setParameter (int index, int number)
{
    auto event = getMidi (index);

    if (event.isValid())
        event.setProperty (Ids::parameter(), toHexString (clampMidiValue (number)), nullptr);
}

int InputMapping::getChannel (int index) const
{
    return parseNumber (getMidi (index).getProperty (Ids::channel()));
}

void InputMapping::setChannel (int index, int channel)
{
    auto event = getMidi (index);

    if (event.isValid())
        event.setProperty (Ids::channel(), toHexString (clampChannel (channel)), nullptr);
}

//==============================================================================
juce::ValueTree InputMapping::getMidi (int index) const
{
    if (index < 0 || index > getNumMidi())
        return {};

    auto child = getEvents().getChild (index);
    return child.hasType (Ids::midi()) ? child : juce::ValueTree();
}

void InputMapping::setMidi (int index, int kind, int number, int channel)
{
    auto event = getMidi (index);

    if (! event.isValid())
        return;

    setType (index, kind);

    // A pitch wheel has no number; a later event of another kind sets "parameter" again, and it
    // then comes after "channel".
    if (kind == 2)
        event.removeProperty (Ids::parameter(), nullptr);
    else
        event.setProperty (Ids::parameter(), toHexString (number), nullptr);

    event.setProperty (Ids::channel(), toHexString (channel), nullptr);
}

void InputMapping::setPreset (const juce::String& name)
{
    auto element = getValueTree();
    auto oldPreset = element.getChildWithName (Ids::preset());

    if (oldPreset.isValid())
        element.removeChild (oldPreset, nullptr);

    if (controlCatalogue == nullptr)
        return;

    auto newPreset = controlCatalogue->createPreset (getAlias(), name, getType (0));

    if (newPreset.isValid())
        element.appendChild (newPreset, nullptr);
}

juce::String InputMapping::getPreset() const
{
    return getValueTree().getChildWithName (Ids::preset()).getProperty (Ids::name()).toString();
}

juce::Array<juce::PropertyComponent*> InputMapping::createPropertyComponents() const
{
    juce::Array<juce::PropertyComponent*> components;
    auto preset = getValueTree().getChildWithName (Ids::preset());

    if (! preset.isValid())
        return components;

    for (auto option : preset.getChildWithName (Ids::parameters()))
    {
        auto value = option.getPropertyAsValue (Ids::value(), nullptr);
        const auto key = option.getProperty (Ids::key()).toString();

        juce::Logger::writeToLog ("Key: " + key + " Value: " + value.toString());

        const auto object = option.getProperty (Ids::object()).toString();
        juce::PropertyComponent* component = nullptr;

        // Each component is handed to the caller, who owns it from here on.
        if (object == "invert")
            component = new juce::BooleanPropertyComponent (value, "invert", "Enable");
        else if (object == "range")
            component = new juce::SliderPropertyComponent (value, key, 0.0, 1.0, 0.01, 1.0);
        else if (object == "action-0")
            component = new juce::SliderPropertyComponent (value, key, 0.0, 127.0, 1.0, 1.0);
        else if (object == "metronom")
            component = new juce::SliderPropertyComponent (value, key, 0.0, 5000.0, 0.01, 1.0);

        if (component != nullptr)
            components.add (component);
    }

    return components;
}

//==============================================================================
juce::ValueTree InputMapping::getEvents() const
{
    return getValueTree().getChildWithName (Ids::events());
}
