#pragma once

#include <atomic>

#include "app/MidiDevices.h"
#include "app/WirelaceApplication.h"

/** MIDI devices whose lists a test sets and reads. Every message given to sendToDefaultOutput is kept, with its time, even with no output open. */
struct TestMidiDevices : MidiDevices
{
    TestMidiDevices (const juce::StringArray& inputs, const juce::StringArray& outputs, const juce::StringArray& enabledInputs, const juce::String& output) : inputNames (inputs), outputNames (outputs), enabled (enabledInputs), defaultOutput (output) {}

    juce::StringArray getInputNames() const override { return inputNames; }
    bool isInputEnabled (const juce::String& name) const override { return inputNames.contains (name) && enabled.contains (name); }
    void setInputEnabled (const juce::String& name, bool on) override { if (inputNames.contains (name)) on ? (void) enabled.addIfNotAlreadyThere (name) : enabled.removeString (name); }
    void setDefaultOutput (const juce::String& name) override { defaultOutput = outputNames.contains (name) ? name : juce::String(); }
    bool hasDefaultOutput() const override { return defaultOutput.isNotEmpty(); }
    void sendToDefaultOutput (const juce::MidiMessage& message) override { sent.push_back ({ message, juce::Time::getMillisecondCounterHiRes() }); }

    bool isDefaultInput (const juce::MidiInput* source) const override
    {
        ++defaultInputQuestions;
        const auto* first = std::find_if (inputNames.begin(), inputNames.end(), [this] (auto& name) { return enabled.contains (name); });
        return first != inputNames.end() && source == getSource (*first);
    }

    /** The source a message of the named input comes from: a token, compared and never read. */
    const juce::MidiInput* getSource (const juce::String& name) const { return reinterpret_cast<const juce::MidiInput*> (tokens + 1 + inputNames.indexOf (name)); }

    juce::StringArray inputNames, outputNames, enabled;
    juce::String defaultOutput;
    std::vector<std::pair<juce::MidiMessage, double>> sent; ///< with juce::Time::getMillisecondCounterHiRes() when sent
    char tokens[64] {};
    mutable std::atomic<int> defaultInputQuestions { 0 }; ///< calls of isDefaultInput, from any thread
};

/** Installs TestMidiDevices as midiDevices, and a deviceManager when there is none, while it lives. */
struct ScopedTestMidiDevices
{
    ScopedTestMidiDevices (const juce::StringArray& inputs = {}, const juce::StringArray& outputs = {}, const juce::StringArray& enabled = {}, const juce::String& output = {})
        : previous (std::exchange (midiDevices, std::make_unique<TestMidiDevices> (inputs, outputs, enabled, output))) { if (madeManager) deviceManager = std::make_unique<juce::AudioDeviceManager>(); }

    ~ScopedTestMidiDevices() { midiDevices = std::move (previous); if (madeManager) deviceManager.reset(); }
    TestMidiDevices* operator->() const { return static_cast<TestMidiDevices*> (midiDevices.get()); }

    std::unique_ptr<MidiDevices> previous;
    const bool madeManager = deviceManager == nullptr;
};
