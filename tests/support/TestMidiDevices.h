#pragma once

#include <memory>
#include <vector>

#include <juce_audio_devices/juce_audio_devices.h>

#include "app/MidiDevices.h"

/**
    MIDI devices for the tests: lists of input and output names that a test sets (and may change
    at any time), the set of enabled inputs, the default output's name, and every message sent to
    the default output with the time it was sent. Each input name has a source token that a test
    passes to a cell's callback as the message's source; it is compared, never dereferenced.
*/
class TestMidiDevices : public MidiDevices
{
public:
    struct SentMessage
    {
        juce::MidiMessage message;
        double timeMs = 0; ///< juce::Time::getMillisecondCounterHiRes when it was sent
    };

    TestMidiDevices (const juce::StringArray& inputs = {}, const juce::StringArray& outputs = {});

    juce::StringArray getInputNames() const override;
    bool isInputEnabled (const juce::String& name) const override;
    void setInputEnabled (const juce::String& name, bool shouldBeEnabled) override;
    void setDefaultOutput (const juce::String& name) override;
    bool hasDefaultOutput() const override;
    void sendToDefaultOutput (const juce::MidiMessage& message) override;
    bool isDefaultInput (const juce::MidiInput* source) const override;

    void setInputNames (const juce::StringArray& names);
    void setOutputNames (const juce::StringArray& names);
    juce::StringArray getEnabledInputs() const;
    juce::String getDefaultOutputName() const;
    std::vector<SentMessage> getSentMessages() const;
    void clearSentMessages();

    /** The source a message of the named input arrives from (a token, one per name). */
    const juce::MidiInput* getSource (const juce::String& inputName);

private:
    mutable juce::CriticalSection lock;
    juce::StringArray inputNames, outputNames, enabledInputs, tokenNames;
    juce::String defaultOutput;
    std::vector<SentMessage> sent;
    std::vector<std::unique_ptr<char>> tokens;
};

/**
    Installs a TestMidiDevices as midiDevices and makes deviceManager when there is none, for the
    life of this object; puts back what was there before.
*/
class ScopedTestMidiDevices
{
public:
    ScopedTestMidiDevices (const juce::StringArray& inputs = {}, const juce::StringArray& outputs = {});
    ~ScopedTestMidiDevices();

    TestMidiDevices& operator*() const noexcept  { return *devices; }
    TestMidiDevices* operator->() const noexcept { return devices; }

private:
    TestMidiDevices* devices = nullptr;
    std::unique_ptr<MidiDevices> previous;
    bool madeDeviceManager = false;
};
