#pragma once

#include <memory>

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_data_structures/juce_data_structures.h>
#include <juce_gui_basics/juce_gui_basics.h>

class MainViewComponent;
class MacOsXLookAndFeel;

/**
    The one application object that JUCE drives: it opens the settings and the log, writes the
    system information, runs the registered unit tests, installs the look and feel, makes the
    process-wide services and the main window, and takes them down again in a fixed order.

    Through juce::JUCEApplication it is also the command target of the standard quit command
    (command+Q), which the main window's command routing hands on to it.
*/
class WirelaceApplication : public juce::JUCEApplication
{
public:
    class MainWindow;

    WirelaceApplication();
    ~WirelaceApplication() override;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;
    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;
    void systemRequestedQuit() override;

    //==============================================================================
    // The start-up steps, callable on their own so that they can be checked without a running application.

    /** The storage options of the user settings file of the named application (XML, case-insensitive keys). */
    static juce::PropertiesFile::Options createSettingsOptions (const juce::String& applicationName);

    /**
        The folder under which the log's "Wirelace" folder lies. On Linux this is the user's
        configuration folder: $XDG_CONFIG_HOME when it names an absolute path, else ~/.config;
        elsewhere it is JUCE's system log folder.
    */
    static juce::File getLogRoot();

    /** On Linux the user's configuration folder ($XDG_CONFIG_HOME when absolute, else ~/.config). */
    static juce::File getUserConfigFolder();

    /**
        Opens the log file "Wirelace.txt" in the folder "Wirelace" under logRoot through JUCE's
        default application logger: the file is first cut to its last 131072 bytes (from the first
        line break after the cut point) and then gets the header with the given welcome line.
    */
    static std::unique_ptr<juce::FileLogger> createLogger (const juce::File& logRoot, const juce::String& welcome);

    /** Runs every registered unit test, logging passes and failures through WirelaceUnitTestRunner; with none registered it logs nothing. */
    static void runUnitTests();

    /** Titles the window and gives it its native title bar, its resize limits and its centred 1100 by 700 bounds, then shows it. */
    static void placeMainWindow (MainWindow& window, const juce::String& title);

private:
    std::unique_ptr<MainWindow> mainWindow;
    std::unique_ptr<juce::FileLogger> logger;
    std::unique_ptr<MacOsXLookAndFeel> lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WirelaceApplication)
};

//==============================================================================
/**
    The main window: it holds the main view as its content, registers the main view's commands
    and then the application's with the command manager, listens to the command manager's key
    mappings and shows the main view's menus and the tooltips of its buttons. Closing it quits
    the application.
*/
class WirelaceApplication::MainWindow : public juce::DocumentWindow
{
public:
    MainWindow();
    ~MainWindow() override;

    void closeButtonPressed() override;

    /** The main view that fills the window. */
    MainViewComponent* getMainView() const noexcept { return mainView.get(); }

private:
    std::unique_ptr<MainViewComponent> mainView;

    // The buttons' tooltips show in a window of their own on the desktop, outside the main view.
    std::unique_ptr<juce::TooltipWindow> tooltipWindow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
};

//==============================================================================
/** The process-wide MIDI device manager, made in initialise and freed in shutdown. */
extern std::unique_ptr<juce::AudioDeviceManager> deviceManager;

/** The process-wide command manager, made in initialise and freed in shutdown. */
extern std::unique_ptr<juce::ApplicationCommandManager> commandManager;

/** The user settings; its storage options are set at the start of initialise. */
extern juce::ApplicationProperties appProperties;
