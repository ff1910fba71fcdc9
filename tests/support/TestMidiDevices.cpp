#include "support/TestMidiDevices.h"

#include "app/WirelaceApplication.h"

TestMidiDevices::TestMidiDevices (const juce::StringArray& inputs, const juce::StringArray& outputs)
    : inputNames (inputs), outputNames (outputs)
{
}

juce::StringArray TestMidiDevices::getInputNames() const
{
    const juce::ScopedLock sl (lock);
    return inputNames;
}

bool TestMidiDevices::isInputEnabled (const juce::String& name) const
{
    const juce::ScopedLock sl (lock);
    return inputNames.contains (name) && enabledInputs.contains (name);
}

void TestMidiDevices::setInputEnabled (const juce::String& name, bool shouldBeEnabled)
{
    const juce::ScopedLock sl (lock);

    if (! inputNames.contains (name))
        return;

    if (shouldBeEnabled)
        enabledInputs.addIfNotAlreadyThere (name);
    else
        enabledInputs.removeString (name);
}

void TestMidiDevices::setDefaultOutput (const juce::String& name)
{
    const juce::ScopedLock sl (lock);
    defaultOutput = outputNames.contains (name) ? name : juce::String();
}

bool TestMidiDevices::hasDefaultOutput() const
{
    const juce::ScopedLock sl (lock);
    return defaultOutput.isNotEmpty();
}

void TestMidiDevices::sendToDefaultOutput (const juce::MidiMessage& message)
{
    const juce::ScopedLock sl (lock);

    if (defaultOutput.isNotEmpty())
        sent.push_back ({ message, juce::Time::getMillisecondCounterHiRes() });
}

bool TestMidiDevices::isDefaultInput (const juce::MidiInput* source) const
{
    const juce::ScopedLock sl (lock);

    for (const auto& name : inputNames)
    {
        if (enabledInputs.contains (name))
        {
            const auto index = tokenNames.indexOf (name);
            return index >= 0 && source == reinterpret_cast<const juce::MidiInput*> (tokens[(size_t) index].get());
        }
    }

    return false;
}

void TestMidiDevices::setInputNames (const juce::StringArray& names)
{
    const juce::ScopedLock sl (lock);
    inputNames = names;
}

void TestMidiDevices::setOutputNames (const juce::StringArray& names)
{
    const juce::ScopedLock sl (lock);
    outputNames = names;
}

juce::StringArray TestMidiDevices::getEnabledInputs() const
{
    const juce::ScopedLock sl (lock);
    return enabledInputs;
}

juce::String TestMidiDevices::getDefaultOutputName() const
{
    const juce::ScopedLock sl (lock);
    return defaultOutput;
}

std::vector<TestMidiDevices::SentMessage> TestMidiDevices::getSentMessages() const
{
    const juce::ScopedLock sl (lock);
    return sent;
}

void TestMidiDevices::clearSentMessages()
{
    const juce::ScopedLock sl (lock);
    sent.clear();
}

const juce::MidiInput* TestMidiDevices::getSource (const juce::String& inputName)
{
    const juce::ScopedLock sl (lock);
    auto index = tokenNames.indexOf (inputName);

    if (index < 0)
    {
        tokenNames.add (inputName);
        tokens.push_back (std::make_unique<char>());
        index = tokenNames.size() - 1;
    }

    return reinterpret_cast<const juce::MidiInput*> (tokens[(size_t) index].get());
}

//==============================================================================
ScopedTestMidiDevices::ScopedTestMidiDevices (const juce::StringArray& inputs, const juce::StringArray& outputs)
{
    if (deviceManager == nullptr)
    {
        deviceManager = std::make_unique<juce::AudioDeviceManager>();
        madeDeviceManager = true;
    }

    auto testDevices = std::make_unique<TestMidiDevices> (inputs, outputs);
    devices = testDevices.get();
    previous = std::move (midiDevices);
    midiDevices = std::move (testDevices);
}

ScopedTestMidiDevices::~ScopedTestMidiDevices()
{
    midiDevices = std::move (previous);

    if (madeDeviceManager)
        deviceManager.reset();
}
