#pragma once

#include <memory>

#include <juce_audio_devices/juce_audio_devices.h>

/**
    The MIDI devices as the panels use them: inputs and outputs by the names the user sees and the
    document stores, which inputs are enabled, the default output where test messages go, and which
    input is the default one, the first enabled input, whose messages the MIDI cells learn.

    The application installs PlatformMidiDevices, which drives deviceManager; the tests install a
    layer of their own. Callbacks are still registered with deviceManager itself (see
    MidiCallbackRegistry), so only isDefaultInput is ever called on a MIDI input thread.
*/
class MidiDevices
{
public:
    virtual ~MidiDevices() = default;

    /** The names of the MIDI inputs present now, in the order the system gives them. */
    virtual juce::StringArray getInputNames() const = 0;

    /** True when the input of that name is enabled; false for a name that no input has. */
    virtual bool isInputEnabled (const juce::String& name) const = 0;

    /** Enables or disables the input of that name; a name that no input has changes nothing. */
    virtual void setInputEnabled (const juce::String& name, bool shouldBeEnabled) = 0;

    /** Makes the output of that name the default output; when no output has that name there is none. */
    virtual void setDefaultOutput (const juce::String& name) = 0;

    /** True while a default output is open. */
    virtual bool hasDefaultOutput() const = 0;

    /** Sends the message to the default output at once; does nothing while there is none. */
    virtual void sendToDefaultOutput (const juce::MidiMessage& message) = 0;

    /**
        True when a message that arrived from source comes from the default input, the first enabled
        input in the system's order. Called on MIDI input threads; takes no message-thread lock.
    */
    virtual bool isDefaultInput (const juce::MidiInput* source) const = 0;
};

//==============================================================================
/** The MIDI devices of this machine, reached through deviceManager and JUCE's device identifiers. */
class PlatformMidiDevices : public MidiDevices
{
public:
    /** The manager must outlive this object. */
    explicit PlatformMidiDevices (juce::AudioDeviceManager& manager);
    ~PlatformMidiDevices() override;

    juce::StringArray getInputNames() const override;
    bool isInputEnabled (const juce::String& name) const override;
    void setInputEnabled (const juce::String& name, bool shouldBeEnabled) override;
    void setDefaultOutput (const juce::String& name) override;
    bool hasDefaultOutput() const override;
    void sendToDefaultOutput (const juce::MidiMessage& message) override;
    bool isDefaultInput (const juce::MidiInput* source) const override;

private:
    /** The identifier of the first device of that name, empty when none has it. */
    static juce::String findIdentifier (const juce::Array<juce::MidiDeviceInfo>& devices, const juce::String& name);

    /** Remembers the identifier of the first enabled input, for isDefaultInput. */
    void updateDefaultInput();

    juce::AudioDeviceManager& manager;
    juce::CriticalSection defaultInputLock;
    juce::String defaultInputIdentifier;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PlatformMidiDevices)
};

//==============================================================================
/** The process-wide MIDI devices, made in initialise right after deviceManager and freed right before it. */
extern std::unique_ptr<MidiDevices> midiDevices;
