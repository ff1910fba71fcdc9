#include <gtest/gtest.h>

#include "support/AppProcess.h"
#include "support/TestHelpers.h"

// Starts the real Wirelace binary on the current (Xvfb) display with its home in a temporary
// folder, finds its window, checks its log and quits it with ctrl+Q as a person would.

namespace
{
    /** Starts the app with its home in the given folder and its configuration folder elsewhere
        under it, so that the tests see $XDG_CONFIG_HOME honoured. */
    juce::StringArray environmentFor (const juce::File& home)
    {
        return { "HOME=" + home.getFullPathName(),
                 "XDG_CONFIG_HOME=" + home.getChildFile ("xdg-config").getFullPathName() };
    }

    /**
        Gives the window the input focus and types ctrl+Q through the X server. Another test's
        window may take the focus in between, so the key is typed again, up to three times, until
        the process ends; true when it ended.
    */
    bool quitWithCtrlQ (TestHelpers::AppProcess& app, const juce::String& windowId)
    {
        for (int attempt = 0; attempt < 3; ++attempt)
        {
            TestHelpers::typeKeys (windowId, { "ctrl+q" });

            if (app.waitForExit (2000))
                return true;
        }

        return false;
    }

    int countOccurrences (const juce::String& text, const juce::String& part)
    {
        int count = 0;

        for (int i = text.indexOf (part); i >= 0; i = text.indexOf (i + 1, part))
            ++count;

        return count;
    }
}

TEST (EndToEnd, RealAppOpensItsWindowLogsItsStartAndQuitsWithCtrlQ)
{
    if (! TestHelpers::canDriveApps())
        GTEST_SKIP() << "needs an X display (run under xvfb-run) and xdotool";

    ASSERT_TRUE (juce::File (WIRELACE_APP_PATH).existsAsFile()) << WIRELACE_APP_PATH;

    TestHelpers::TemporaryFolder home;
    TestHelpers::AppProcess app (environmentFor (home.getFolder()));
    ASSERT_TRUE (app.started());

    const auto window = TestHelpers::waitForWindow (app, "Wirelace 0.8.62", 30000);
    ASSERT_TRUE (window.isNotEmpty()) << "no window titled \"Wirelace 0.8.62\" appeared";

    // 1100 by 700, centred on the display.
    const auto geometry = TestHelpers::windowGeometry (window);
    EXPECT_EQ (geometry["WIDTH"], "1100");
    EXPECT_EQ (geometry["HEIGHT"], "700");
    const auto screen = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->totalArea;
    EXPECT_NEAR (geometry["X"].getIntValue(), (screen.getWidth() - 1100) / 2, 1);
    EXPECT_NEAR (geometry["Y"].getIntValue(), (screen.getHeight() - 700) / 2, 1);

    // The log lives in Wirelace under $XDG_CONFIG_HOME and begins with the header and the system information.
    EXPECT_FALSE (home.getChildFile (".config/Wirelace/Wirelace.txt").exists());
    const auto log = home.getChildFile ("xdg-config").getChildFile ("Wirelace").getChildFile ("Wirelace.txt");
    ASSERT_TRUE (log.existsAsFile());
    const auto text = log.loadFileAsString();
    const auto header = "\r\n" + juce::String::repeatedString ("*", 58) + "\r\nWirelace Version: 0.8.62\r\nLog started: ";
    EXPECT_TRUE (text.startsWith (header)) << text.substring (0, 200);
    EXPECT_TRUE (text.contains ("\r\n\r\nTime and date: "));
    EXPECT_TRUE (text.contains ("\r\nUser home directory: " + home.getFolder().getFullPathName() + "\r\n"));
    EXPECT_TRUE (text.contains ("\r\nCurrent executable file: " + juce::File (WIRELACE_APP_PATH).getFullPathName() + "\r\n"));
    EXPECT_TRUE (text.endsWith ("\r\n\r\n\r\n")) << "the block's empty line and the logger's line end close the log";
    EXPECT_FALSE (text.contains ("UnitTest:"));

    ASSERT_TRUE (quitWithCtrlQ (app, window)) << "ctrl+Q did not end the program";
    EXPECT_TRUE (app.exitedNormallyWith (0));
}

TEST (EndToEnd, SecondInstanceRunsBesideTheFirstAndAppendsItsOwnHeader)
{
    if (! TestHelpers::canDriveApps())
        GTEST_SKIP() << "needs an X display (run under xvfb-run) and xdotool";

    TestHelpers::TemporaryFolder home;
    TestHelpers::AppProcess first (environmentFor (home.getFolder()));
    const auto firstWindow = TestHelpers::waitForWindow (first, "Wirelace 0.8.62", 30000);
    ASSERT_TRUE (firstWindow.isNotEmpty());

    TestHelpers::AppProcess second (environmentFor (home.getFolder()));
    const auto secondWindow = TestHelpers::waitForWindow (second, "Wirelace 0.8.62", 30000);
    ASSERT_TRUE (secondWindow.isNotEmpty()) << "the second instance did not open its window";
    EXPECT_NE (firstWindow, secondWindow);
    EXPECT_FALSE (first.hasExited());

    const auto text = home.getChildFile ("xdg-config/Wirelace/Wirelace.txt").loadFileAsString();
    EXPECT_EQ (countOccurrences (text, "\r\nWirelace Version: 0.8.62\r\nLog started: "), 2);
    EXPECT_EQ (countOccurrences (text, "\r\nTime and date: "), 2);

    ASSERT_TRUE (quitWithCtrlQ (second, secondWindow));
    EXPECT_TRUE (second.exitedNormallyWith (0));
    EXPECT_FALSE (first.hasExited()) << "quitting one instance leaves the other running";

    ASSERT_TRUE (quitWithCtrlQ (first, firstWindow));
    EXPECT_TRUE (first.exitedNormallyWith (0));
}
