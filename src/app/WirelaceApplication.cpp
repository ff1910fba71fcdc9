#include "app/WirelaceApplication.h"

#include "app/MacOsXLookAndFeel.h"
#include "app/MainViewComponent.h"
#include "app/MidiDevices.h"
#include "app/SystemInfo.h"
#include "app/WirelaceUnitTestRunner.h"
#include "model/ControlCatalogue.h"

std::unique_ptr<juce::AudioDeviceManager> deviceManager;
std::unique_ptr<juce::ApplicationCommandManager> commandManager;
juce::ApplicationProperties appProperties;
std::unique_ptr<ControlCatalogue> controlCatalogue;

//==============================================================================
WirelaceApplication::WirelaceApplication() = default;

WirelaceApplication::~WirelaceApplication()
{
    lookAndFeel.reset();
    logger.reset();
    mainWindow.reset();
}

const juce::String WirelaceApplication::getApplicationName()
{
    return "Wirelace";
}

const juce::String WirelaceApplication::getApplicationVersion()
{
    return "0.8.62";
}

bool WirelaceApplication::moreThanOneInstanceAllowed()
{
    return true;
}

void WirelaceApplication::initialise (const juce::String& /*commandLine*/)
{
    appProperties.setStorageParameters (createSettingsOptions (getApplicationName()));

    logger = createLogger (getLogRoot(),
                           getApplicationName() + " Version: " + getApplicationVersion());
    juce::Logger::setCurrentLogger (logger.get());

    juce::Logger::writeToLog (SystemInfo::getSystemInfoText());

    runUnitTests();

    lookAndFeel = std::make_unique<MacOsXLookAndFeel>();
    juce::LookAndFeel::setDefaultLookAndFeel (lookAndFeel.get());

    deviceManager = std::make_unique<juce::AudioDeviceManager>();
    midiDevices = std::make_unique<PlatformMidiDevices> (*deviceManager);
    commandManager = std::make_unique<juce::ApplicationCommandManager>();

    controlCatalogue = std::make_unique<ControlCatalogue>();
    controlCatalogue->load();

    mainWindow = std::make_unique<MainWindow>();
    placeMainWindow (*mainWindow, getApplicationName() + " " + getApplicationVersion());
}

void WirelaceApplication::shutdown()
{
    juce::Logger::setCurrentLogger (nullptr);
    logger.reset();
    mainWindow.reset();
    controlCatalogue.reset();
    lookAndFeel.reset();
    commandManager.reset();
    midiDevices.reset();
    deviceManager.reset();
}

void WirelaceApplication::anotherInstanceStarted (const juce::String& /*commandLine*/)
{
}

void WirelaceApplication::systemRequestedQuit()
{
    quit();
}

//==============================================================================
juce::PropertiesFile::Options WirelaceApplication::createSettingsOptions (const juce::String& applicationName)
{
    juce::PropertiesFile::Options options;
    options.applicationName = applicationName;
    options.filenameSuffix = "settings";
    options.folderName = applicationName;
    options.osxLibrarySubFolder = "Application Support";
    options.commonToAllUsers = false;
    options.ignoreCaseOfKeyNames = true;
    options.storageFormat = juce::PropertiesFile::storeAsXML;

   #if JUCE_LINUX || JUCE_BSD
    // JUCE would put the folder straight into the home folder; the settings belong with the log
    // in the user's configuration folder. An absolute folder name is taken as it is.
    options.folderName = getUserConfigFolder().getChildFile (applicationName).getFullPathName();
   #endif

    return options;
}

juce::File WirelaceApplication::getUserConfigFolder()
{
    const auto xdgConfigHome = juce::SystemStats::getEnvironmentVariable ("XDG_CONFIG_HOME", {});

    if (juce::File::isAbsolutePath (xdgConfigHome))
        return juce::File (xdgConfigHome);

    return juce::File ("~/.config");
}

juce::File WirelaceApplication::getLogRoot()
{
   #if JUCE_LINUX || JUCE_BSD
    return getUserConfigFolder();
   #else
    return juce::FileLogger::getSystemLogFileFolder();
   #endif
}

std::unique_ptr<juce::FileLogger> WirelaceApplication::createLogger (const juce::File& logRoot, const juce::String& welcome)
{
    return std::unique_ptr<juce::FileLogger> (
        juce::FileLogger::createDefaultAppLogger (logRoot.getFullPathName() + "/Wirelace", "Wirelace.txt", welcome, 131072));
}

void WirelaceApplication::runUnitTests()
{
    // JUCE's runner logs its random seed even for an empty run; with nothing registered the run
    // has nothing to say, so the log keeps only the header and the system information.
    if (juce::UnitTest::getAllTests().isEmpty())
        return;

    auto runner = std::make_unique<WirelaceUnitTestRunner>();
    runner->setPassesAreLogged (true);
    runner->runAllTests();
}

void WirelaceApplication::placeMainWindow (MainWindow& window, const juce::String& title)
{
    window.setName (title);
    window.setUsingNativeTitleBar (true);
    window.setResizable (true, false);
    window.setResizeLimits (1100, 700, 0x7fffffff, 0x7fffffff);
    window.centreWithSize (1100, 700);
    window.setVisible (true);
}

//==============================================================================
WirelaceApplication::MainWindow::MainWindow()
    : juce::DocumentWindow ("MainWindow", juce::Colours::lightgrey, juce::DocumentWindow::allButtons, true)
{
    mainView = std::make_unique<MainViewComponent>();
    mainView->setMainWindow (this);

    commandManager->registerAllCommandsForTarget (mainView.get());
    commandManager->registerAllCommandsForTarget (juce::JUCEApplication::getInstance());

    addKeyListener (commandManager->getKeyMappings());

    // The window shows the main view but leaves deleting it to this window's destructor.
    setContentNonOwned (mainView.get(), false);

   #if JUCE_MAC
    juce::MenuBarModel::setMacMainMenu (mainView.get(), nullptr, "");
   #else
    // Without a global menu bar the File and Edit menus are shown inside the window.
    setMenuBar (mainView.get());
   #endif

    mainView->setApplicationCommandManagerToWatch (commandManager.get());

    tooltipWindow = std::make_unique<juce::TooltipWindow> (nullptr);
}

WirelaceApplication::MainWindow::~MainWindow()
{
    tooltipWindow.reset();
    setMenuBar (nullptr, 0);

   #if JUCE_MAC
    juce::MenuBarModel::setMacMainMenu (nullptr, nullptr, "");
   #endif

    mainView.reset();
}

void WirelaceApplication::MainWindow::closeButtonPressed()
{
    juce::JUCEApplication::getInstance()->systemRequestedQuit();
}
