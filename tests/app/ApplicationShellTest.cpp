#include "app/MacOsXLookAndFeel.h"
#include "app/MainViewComponent.h"
#include "app/WirelaceApplication.h"
#include "model/ControlCatalogue.h"
#include "support/TestHelpers.h"

static const juce::String welcome ("Wirelace Version: 0.8.62"), header ("\r\n" + juce::String::repeatedString ("*", 58) + "\r\n" + welcome + "\r\nLog started: ");

TEST (ApplicationLog, LivesWithTheSettingsUnderAnAbsoluteXdgConfigHomeOrElseDotConfigAndIsCutFromALineBreakOverTheLimit)
{
    TestHelpers::TemporaryFolder folder;

    for (const auto& [xdg, root] : { std::pair<juce::String, juce::File> { folder.folder.getFullPathName(), folder.folder }, { "relative", juce::File ("~/.config") }, { "", juce::File ("~/.config") } })
    {
        setenv ("XDG_CONFIG_HOME", xdg.toRawUTF8(), 1);
        EXPECT_TRUE (WirelaceApplication::getLogRoot() == root && WirelaceApplication::createSettingsOptions ("Wirelace").getDefaultFile() == root.getChildFile ("Wirelace/Wirelace.settings")) << xdg;
    }

    unsetenv ("XDG_CONFIG_HOME"); // as the test main leaves it
    const auto a = [] (int count) { return juce::String::repeatedString ("a", count); };

    // A log of 131072 bytes stays whole; a longer one keeps what follows the first line break from the cut on, if there is one.
    for (const auto& [old, keptFrom] : { std::pair<juce::String, int> { a (131070) + "\r\n", 0 }, { "a\r\n" + a (131070), 1 }, { "aaaa\r\n" + a (131067), 4 }, { a (131073), 0 } })
    {
        const auto log = folder.getChildFile ("Wirelace/Wirelace.txt");
        ASSERT_TRUE (log.create().wasOk() && log.replaceWithText (old, false, false, nullptr));
        WirelaceApplication::createLogger (folder.folder, welcome).reset();
        EXPECT_TRUE (log.loadFileAsString().startsWith (old.substring (keptFrom) + header)) << keptFrom;
    }
}

TEST (ApplicationShell, InitialiseLogsAndMakesTheServicesAndWindowWhoseCloseButtonQuitsAndShutdownTakesThemDown)
{
    struct PassingUnitTest : juce::UnitTest { PassingUnitTest() : juce::UnitTest ("Passing example") {} void runTest() override { beginTest ("first"), expect (true); } } registered;
    struct QuitCountingApplication : WirelaceApplication { void systemRequestedQuit() override { ++quits; } int quits = 0; } app;
    const juce::ScopeGuard restoreSettings { [saved = appProperties.getStorageParameters()] { appProperties.closeFiles(); appProperties.setStorageParameters (saved); } }; // the next tests' folder

    auto& desktop = juce::Desktop::getInstance();
    const auto windowsBefore = desktop.getNumComponents();
    TestHelpers::TemporaryFolder config;
    setenv ("XDG_CONFIG_HOME", config.folder.getFullPathName().toRawUTF8(), 1);
    app.initialise ("--ignored");
    unsetenv ("XDG_CONFIG_HOME");
    ASSERT_TRUE (deviceManager != nullptr && commandManager != nullptr && controlCatalogue != nullptr && dynamic_cast<MacOsXLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()) != nullptr);
    appProperties.getUserSettings()->setValue ("someKey", 1);
    EXPECT_EQ (appProperties.getUserSettings()->getIntValue ("SOMEKEY"), 1);

    // The header, directly the system information, then the registered unit test's run with its passes.
    const auto log = config.getChildFile ("Wirelace/Wirelace.txt").loadFileAsString();
    EXPECT_TRUE (log.startsWith (header) && log.fromFirstOccurrenceOf ("Log started: ", false, false).fromFirstOccurrenceOf ("\r\n", false, false).startsWith ("\r\nTime and date: ")) << log;
    EXPECT_TRUE (log.fromLastOccurrenceOf ("\r\nTemp directory: ", false, false).contains ("\r\nUnitTest: Starting tests in: Passing example / first...\r\nUnitTest: Test 1 passed\r\n")) << log;

    // Titled, centred at 1100 by 700 and no smaller, with a native title bar; the main view is its content and menu bar.
    auto* window = dynamic_cast<WirelaceApplication::MainWindow*> (desktop.getComponent (desktop.getNumComponents() - 1));
    ASSERT_TRUE (window != nullptr && window->getMainView() != nullptr);
    EXPECT_EQ (window->getBounds().toString(), juce::Rectangle<int> (1100, 700).withCentre (desktop.getDisplays().getPrimaryDisplay()->userArea.getCentre()).toString());
    EXPECT_TRUE (window->getName() == "Wirelace 0.8.62" && window->isVisible() && window->isUsingNativeTitleBar() && window->isResizable());
    window->setBoundsConstrained ({ 0, 0, 500, 300 });
    EXPECT_EQ (window->getBounds().withZeroOrigin().toString(), "0 0 1100 700");
    EXPECT_TRUE (window->getContentComponent() == window->getMainView() && window->getMenuBarComponent() != nullptr
                 && dynamic_cast<juce::MenuBarComponent&> (*window->getMenuBarComponent()).getModel() == window->getMainView());
    TestHelpers::pumpMessages (200);
    TestHelpers::writeSnapshot (*window, "main-window-at-start");

    // The close button and the quit command ask to quit (the end-to-end run shows the asking quits at once).
    window->closeButtonPressed();
    EXPECT_TRUE (commandManager->invokeDirectly (juce::StandardApplicationCommandIDs::quit, false) && app.quits == 2) << app.quits;

    app.shutdown();
    EXPECT_TRUE (juce::Logger::getCurrentLogger() == nullptr && deviceManager == nullptr && commandManager == nullptr && controlCatalogue == nullptr
                 && desktop.getNumComponents() == windowsBefore && dynamic_cast<MacOsXLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()) == nullptr);
}
