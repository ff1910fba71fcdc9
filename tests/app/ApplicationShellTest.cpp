#include <cstdlib>

#include <gtest/gtest.h>

#include "app/MacOsXLookAndFeel.h"
#include "app/MainViewComponent.h"
#include "app/SystemInfo.h"
#include "app/WirelaceApplication.h"
#include "model/ControlCatalogue.h"
#include "support/TestHelpers.h"

namespace
{
    const juce::String welcome ("Wirelace Version: 0.8.62");
    const juce::String headerStart ("\r\n" + juce::String::repeatedString ("*", 58) + "\r\n" + welcome + "\r\nLog started: ");

    /** Opens the log under root as the application does at start-up, writes the start-up report and closes it again. */
    juce::String startLogging (const juce::File& root)
    {
        auto logger = WirelaceApplication::createLogger (root, welcome);
        juce::Logger::setCurrentLogger (logger.get());
        juce::Logger::writeToLog (SystemInfo::getSystemInfoText());
        WirelaceApplication::runUnitTests();
        juce::Logger::setCurrentLogger (nullptr);
        return root.getChildFile ("Wirelace/Wirelace.txt").loadFileAsString();
    }

    /** Sets an environment variable for the lifetime of this object. */
    struct ScopedEnvironment
    {
        ScopedEnvironment (const char* nameToUse, const juce::String& value)
            : name (nameToUse), hadValue (std::getenv (name) != nullptr), previous (hadValue ? std::getenv (name) : "")
        {
            setenv (name, value.toRawUTF8(), 1);
        }

        ~ScopedEnvironment() { hadValue ? setenv (name, previous.toRawUTF8(), 1) : unsetenv (name); }

        const char* name;
        bool hadValue;
        juce::String previous;
    };

    /** A unit test that registers itself while it exists, to see what the start-up run logs. */
    struct PassingUnitTest : public juce::UnitTest
    {
        PassingUnitTest() : juce::UnitTest ("Passing example") {}
        void runTest() override { beginTest ("first"); expect (true); }
    };

    WirelaceApplication::MainWindow* findMainWindow()
    {
        for (int i = 0; i < juce::TopLevelWindow::getNumTopLevelWindows(); ++i)
            if (auto* window = dynamic_cast<WirelaceApplication::MainWindow*> (juce::TopLevelWindow::getTopLevelWindow (i)))
                return window;

        return nullptr;
    }
}

//==============================================================================
TEST (ApplicationLog, EachStartAppendsTheHeaderFollowedDirectlyByTheSystemInformation)
{
    TestHelpers::TemporaryFolder root;
    const auto first = startLogging (root.getFolder());

    ASSERT_TRUE (first.startsWith (headerStart)) << first.substring (0, 200);
    // "Log started: " carries JUCE's date, then the system information and its closing empty lines.
    const auto rest = first.fromFirstOccurrenceOf ("Log started: ", false, false).fromFirstOccurrenceOf ("\r\n", false, false);
    EXPECT_TRUE (rest.startsWith ("\r\nTime and date: ")) << rest.substring (0, 80);
    EXPECT_TRUE (rest.endsWith ("Temp directory: " + juce::File::getSpecialLocation (juce::File::tempDirectory).getFullPathName() + "\r\n\r\n\r\n"));
    EXPECT_FALSE (first.contains ("UnitTest"));

    // A registered unit test is run with its passes logged, after the system information.
    PassingUnitTest registered;
    const auto second = startLogging (root.getFolder());
    EXPECT_TRUE (second.startsWith (first + headerStart));

    for (auto* line : { "UnitTest: Starting tests in: Passing example / first...", "UnitTest: Completed tests in Passing example / first",
                        "UnitTest: Test 1 passed" })
        EXPECT_TRUE (second.contains (juce::String ("\r\n") + line + "\r\n")) << line;

    EXPECT_GT (second.indexOf ("UnitTest: "), second.lastIndexOf ("Temp directory: "));
}

TEST (ApplicationLog, LogOverTheLimitIsCutFromALineBreakBeforeTheNewHeaderAndUnwritableFolderIsNoFault)
{
    // 4000 numbered lines of 50 bytes (200000 bytes); a log of exactly the limit stays whole, one a byte longer loses that byte.
    juce::String overLimit;

    for (int i = 0; i < 4000; ++i)
        overLimit << juce::String (i).paddedLeft ('0', 6) << juce::String::repeatedString ("-", 42) << "\r\n";

    const auto atLimit = juce::String::repeatedString ("a", 131070) + "\r\n", oneOver = "a\r\n" + atLimit.substring (2);

    for (auto [old, kept] : { std::pair<juce::String, juce::String> { overLimit, overLimit.substring (overLimit.indexOfAnyOf ("\r\n", 200000 - 131072)) },
                              { atLimit, atLimit }, { oneOver, oneOver.substring (1) } })
    {
        TestHelpers::TemporaryFolder root;
        ASSERT_TRUE (root.getChildFile ("Wirelace/Wirelace.txt").create().wasOk());
        ASSERT_TRUE (root.getChildFile ("Wirelace/Wirelace.txt").replaceWithText (old, false, false, nullptr));
        WirelaceApplication::createLogger (root.getFolder(), welcome).reset();
        EXPECT_TRUE (root.getChildFile ("Wirelace/Wirelace.txt").loadFileAsString().startsWith (kept + headerStart)) << old.length();
    }

    // Not even root can make folders under /proc.
    const juce::File unwritable ("/proc/wirelace-no-such-folder");
    EXPECT_EQ (startLogging (unwritable), "");
    EXPECT_FALSE (unwritable.getChildFile ("Wirelace").exists());
}

//==============================================================================
TEST (ApplicationSettings, SettingsAreXmlWithCaseInsensitiveKeysBesideTheLogUnderAnAbsoluteXdgConfigHome)
{
    TestHelpers::TemporaryFolder folder;

    {
        ScopedEnvironment xdg ("XDG_CONFIG_HOME", folder.getFolder().getFullPathName());
        EXPECT_EQ (WirelaceApplication::getLogRoot(), folder.getFolder());
        const auto options = WirelaceApplication::createSettingsOptions ("Wirelace");
        EXPECT_EQ (options.getDefaultFile(), folder.getChildFile ("Wirelace/Wirelace.settings"));

        juce::PropertiesFile settings (options);
        settings.setValue ("recentlyOpenedFilesList", "a");
        EXPECT_EQ (settings.getValue ("RECENTLYOPENEDFILESLIST"), "a");
        ASSERT_TRUE (settings.saveIfNeeded());
        auto xml = juce::parseXML (options.getDefaultFile());
        ASSERT_NE (xml, nullptr);
        EXPECT_TRUE (xml->hasTagName ("PROPERTIES") && xml->getChildByAttribute ("name", "recentlyOpenedFilesList") != nullptr);
    }

    // A relative or empty value is not a place to write to: the default folder is used instead.
    for (auto* value : { "relative/config", "" })
    {
        ScopedEnvironment xdg ("XDG_CONFIG_HOME", value);
        EXPECT_EQ (WirelaceApplication::getLogRoot(), juce::File ("~/.config")) << value;
        EXPECT_EQ (WirelaceApplication::createSettingsOptions ("Wirelace").getDefaultFile(), juce::File ("~/.config/Wirelace/Wirelace.settings")) << value;
    }
}

//==============================================================================
// Runs in a process of its own (see the case after it), quitting one way or the other: once the
// message loop has been told to stop, it stays stopped for every later test of that process.
TEST (ApplicationQuitInOwnProcess, DISABLED_CloseButtonOrQuitCommandEndsTheMessageLoop)
{
    auto app = std::make_unique<WirelaceApplication>();
    app->initialise ({});
    ASSERT_NE (findMainWindow(), nullptr);

    if (juce::SystemStats::getEnvironmentVariable ("WIRELACE_QUIT_BY", {}) == "close")
        findMainWindow()->closeButtonPressed();
    else
        EXPECT_TRUE (commandManager->invokeDirectly (juce::StandardApplicationCommandIDs::quit, false));

    // The message loop ends at once and stays ended.
    const auto start = juce::Time::getMillisecondCounter();
    EXPECT_FALSE (juce::MessageManager::getInstance()->runDispatchLoopUntil (5000));
    EXPECT_LT (juce::Time::getMillisecondCounter() - start, 4000u);
    app->shutdown();
}

TEST (ApplicationShell, CloseButtonAndQuitCommandEachEndTheProgramAtOnce)
{
    for (auto* by : { "close", "command" })
    {
        int exitCode = -1;
        ScopedEnvironment quitBy ("WIRELACE_QUIT_BY", by);
        const auto output = TestHelpers::runTestsInChildProcess ("ApplicationQuitInOwnProcess.*", exitCode);
        EXPECT_EQ (exitCode, 0) << output;
        EXPECT_TRUE (output.contains ("[  PASSED  ] 1 test.")) << output;
    }
}

TEST (ApplicationShell, InitialiseMakesServicesAndTheMinimumSizedWindowAndShutdownTakesThemDown)
{
    TestHelpers::TemporaryFolder home;
    ScopedEnvironment scopedHome ("HOME", home.getFolder().getFullPathName());
    ScopedEnvironment noXdg ("XDG_CONFIG_HOME", "");

    auto app = std::make_unique<WirelaceApplication>();
    app->initialise ("--ignored");

    ASSERT_TRUE (deviceManager != nullptr && commandManager != nullptr && controlCatalogue != nullptr);
    EXPECT_NE (dynamic_cast<MacOsXLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()), nullptr);
    EXPECT_TRUE (home.getChildFile (".config/Wirelace/Wirelace.txt").loadFileAsString().startsWith (headerStart));

    // Titled, native title bar, resizable to no less than 1100 by 700; the main view is content and menu bar.
    auto* window = findMainWindow();
    ASSERT_NE (window, nullptr);
    EXPECT_EQ (window->getName(), "Wirelace 0.8.62");
    EXPECT_TRUE (window->isVisible() && window->isUsingNativeTitleBar() && window->isResizable());
    window->setBoundsConstrained ({ window->getX(), window->getY(), 500, 300 });
    EXPECT_EQ (window->getWidth(), 1100);
    EXPECT_EQ (window->getHeight(), 700);
    ASSERT_NE (window->getMainView(), nullptr);
    EXPECT_EQ (window->getContentComponent(), window->getMainView());
    EXPECT_EQ (dynamic_cast<juce::MenuBarComponent*> (window->getMenuBarComponent())->getModel(), window->getMainView());

    TestHelpers::pumpMessages (200);
    TestHelpers::writeSnapshot (*window, "main-window-at-start");
    app->shutdown();

    EXPECT_TRUE (juce::Logger::getCurrentLogger() == nullptr && deviceManager == nullptr && commandManager == nullptr
                 && controlCatalogue == nullptr && findMainWindow() == nullptr);
    EXPECT_EQ (dynamic_cast<MacOsXLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()), nullptr);
}
