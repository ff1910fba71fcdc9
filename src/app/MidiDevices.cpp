#include "app/MidiDevices.h"

std::unique_ptr<MidiDevices> midiDevices;

//==============================================================================
PlatformMidiDevices::PlatformMidiDevices (juce::AudioDeviceManager& managerToUse)
    : manager (managerToUse)
{
    updateDefaultInput();
}

PlatformMidiDevices::~PlatformMidiDevices() = default;

juce::StringArray PlatformMidiDevices::getInputNames() const
{
    juce::StringArray names;

    for (const auto& device : juce::MidiInput::getAvailableDevices())
        names.add (device.name);

    return names;
}

bool PlatformMidiDevices::isInputEnabled (const juce::String& name) const
{
    const auto identifier = findIdentifier (juce::MidiInput::getAvailableDevices(), name);
    return identifier.isNotEmpty() && manager.isMidiInputDeviceEnabled (identifier);
}

void PlatformMidiDevices::setInputEnabled (const juce::String& name, bool shouldBeEnabled)
{
    const auto identifier = findIdentifier (juce::MidiInput::getAvailableDevices(), name);

    if (identifier.isEmpty())
        return;

    manager.setMidiInputDeviceEnabled (identifier, shouldBeEnabled);
    updateDefaultInput();
}

void PlatformMidiDevices::setDefaultOutput (const juce::String& name)
{
    // An empty identifier closes the default output: a name that no output has leaves none.
    manager.setDefaultMidiOutputDevice (findIdentifier (juce::MidiOutput::getAvailableDevices(), name));
}

bool PlatformMidiDevices::hasDefaultOutput() const
{
    return manager.getDefaultMidiOutput() != nullptr;
}

void PlatformMidiDevices::sendToDefaultOutput (const juce::MidiMessage& message)
{
    if (auto* output = manager.getDefaultMidiOutput())
        output->sendMessageNow (message);
}

bool PlatformMidiDevices::isDefaultInput (const juce::MidiInput* source) const
{
    if (source == nullptr)
        return false;

    const juce::ScopedLock sl (defaultInputLock);
    return defaultInputIdentifier.isNotEmpty() && source->getIdentifier() == defaultInputIdentifier;
}

juce::String PlatformMidiDevices::findIdentifier (const juce::Array<juce::MidiDeviceInfo>& devices, const juce::String& name)
{
    if (name.isEmpty())
        return {};

    for (const auto& device : devices)
        if (device.name == name)
            return device.identifier;

    return {};
}

void PlatformMidiDevices::updateDefaultInput()
{
    juce::String first;

    for (const auto& device : juce::MidiInput::getAvailableDevices())
    {
        if (manager.isMidiInputDeviceEnabled (device.identifier))
        {
            first = device.identifier;
            break;
        }
    }

    const juce::ScopedLock sl (defaultInputLock);
    defaultInputIdentifier = first;
}
