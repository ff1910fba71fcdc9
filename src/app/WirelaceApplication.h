#pragma once

#include <memory>

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_data_structures/juce_data_structures.h>
#include <juce_gui_basics/juce_gui_basics.h>

/** The one application object: start-up, shut-down and the process-wide services. */
class WirelaceApplication : public juce::JUCEApplication
{
public:
    class MainWindow;

    WirelaceApplication() = default;
    ~WirelaceApplication() override = default;

    const juce::String getApplicationName() override { return "Wirelace"; }
    const juce::String getApplicationVersion() override { return "0.8.62"; }
    bool moreThanOneInstanceAllowed() override { return true; }
    void initialise (const juce::String&) override {}
    void shutdown() override {}
    void anotherInstanceStarted (const juce::String&) override {}
    void systemRequestedQuit() override { quit(); }

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WirelaceApplication)
};

/** The process-wide MIDI device manager, made in initialise and freed in shutdown. */
extern std::unique_ptr<juce::AudioDeviceManager> deviceManager;

/** The process-wide command manager, made in initialise and freed in shutdown. */
extern std::unique_ptr<juce::ApplicationCommandManager> commandManager;

/** The user settings. */
extern juce::ApplicationProperties appProperties;
