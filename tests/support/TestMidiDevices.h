#pragma once

#include <vector>

#include "app/MidiDevices.h"
#include "app/WirelaceApplication.h"

/**
    MIDI devices for the tests, whose lists a test reads and changes directly (on the message thread, while no
    MIDI thread runs). Every message handed to sendToDefaultOutput is kept with its time, whether an output is
    open or not, so that a test sees a message sent where none may go.
*/
struct TestMidiDevices : MidiDevices
{
    TestMidiDevices (const juce::StringArray& inputs, const juce::StringArray& outputs) : inputNames (inputs), outputNames (outputs) {}

    juce::StringArray getInputNames() const override { return inputNames; }
    bool isInputEnabled (const juce::String& name) const override { return inputNames.contains (name) && enabled.contains (name); }
    void setDefaultOutput (const juce::String& name) override { defaultOutput = outputNames.contains (name) ? name : juce::String(); }
    bool hasDefaultOutput() const override { return defaultOutput.isNotEmpty(); }
    void sendToDefaultOutput (const juce::MidiMessage& message) override { sent.push_back ({ message, juce::Time::getMillisecondCounterHiRes() }); }

    void setInputEnabled (const juce::String& name, bool on) override
    {
        if (inputNames.contains (name))
            on ? (void) enabled.addIfNotAlreadyThere (name) : enabled.removeString (name);
    }

    bool isDefaultInput (const juce::MidiInput* source) const override
    {
        for (const auto& name : inputNames)
            if (enabled.contains (name))
                return source == getSource (name);
        return false;
    }

    /** The source a message of the named input arrives from: a token, compared and never read. */
    const juce::MidiInput* getSource (const juce::String& name) const { return reinterpret_cast<const juce::MidiInput*> (tokens + 1 + inputNames.indexOf (name)); }

    juce::StringArray inputNames, outputNames, enabled;
    juce::String defaultOutput;
    std::vector<std::pair<juce::MidiMessage, double>> sent; ///< with juce::Time::getMillisecondCounterHiRes when sent
    char tokens[64] {};
};

/** Installs TestMidiDevices as midiDevices, and a deviceManager when there is none, while it lives. */
struct ScopedTestMidiDevices
{
    ScopedTestMidiDevices (const juce::StringArray& inputs = {}, const juce::StringArray& outputs = {})
        : previous (std::exchange (midiDevices, std::make_unique<TestMidiDevices> (inputs, outputs))), madeManager (deviceManager == nullptr)
    {
        if (madeManager)
            deviceManager = std::make_unique<juce::AudioDeviceManager>();
    }

    ~ScopedTestMidiDevices()
    {
        midiDevices = std::move (previous);
        if (madeManager)
            deviceManager.reset();
    }

    TestMidiDevices* operator->() const { return static_cast<TestMidiDevices*> (midiDevices.get()); }

    std::unique_ptr<MidiDevices> previous;
    const bool madeManager;
};
