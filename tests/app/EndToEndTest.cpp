#include <gtest/gtest.h>

#include "support/AppProcess.h"
#include "support/TestHelpers.h"

// Starts the real Wirelace binary twice on the current (Xvfb) display, with its home in a temporary
// folder and $XDG_CONFIG_HOME elsewhere under it, checks its window and log, and quits each
// instance with ctrl+Q as a person would.

namespace
{
    /** Types ctrl+Q into the window until the process ends (another test's window may take the focus in between). */
    bool quitWithCtrlQ (TestHelpers::AppProcess& app, const juce::String& windowId)
    {
        for (int attempt = 0; attempt < 3; ++attempt)
        {
            TestHelpers::typeKeys (windowId, { "ctrl+q" });

            if (app.waitForExit (2000))
                return app.exitedNormallyWith (0);
        }

        return false;
    }
}

TEST (EndToEnd, TwoInstancesOpenTheirCentredWindowsAppendTheirLogHeadersAndEachQuitsWithCtrlQ)
{
    if (! TestHelpers::canDriveApps())
        GTEST_SKIP() << "needs an X display (run under xvfb-run) and xdotool";

    TestHelpers::TemporaryFolder home;
    const juce::StringArray environment { "HOME=" + home.getFolder().getFullPathName(),
                                          "XDG_CONFIG_HOME=" + home.getChildFile ("xdg-config").getFullPathName() };
    TestHelpers::AppProcess first (environment);
    const auto firstWindow = TestHelpers::waitForWindow (first, "Wirelace 0.8.62", 30000);
    ASSERT_TRUE (firstWindow.isNotEmpty()) << "no window titled \"Wirelace 0.8.62\" appeared from " << WIRELACE_APP_PATH;

    // 1100 by 700, centred on the display.
    const auto geometry = TestHelpers::windowGeometry (firstWindow);
    const auto screen = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->totalArea;
    EXPECT_EQ (geometry["WIDTH"] + "x" + geometry["HEIGHT"], "1100x700");
    EXPECT_NEAR (geometry["X"].getIntValue(), (screen.getWidth() - 1100) / 2, 1);
    EXPECT_NEAR (geometry["Y"].getIntValue(), (screen.getHeight() - 700) / 2, 1);

    // The log lives in Wirelace under $XDG_CONFIG_HOME: the header, the system information and its closing empty lines.
    const auto log = home.getChildFile ("xdg-config/Wirelace/Wirelace.txt");
    const auto header = "\r\n" + juce::String::repeatedString ("*", 58) + "\r\nWirelace Version: 0.8.62\r\nLog started: ";
    const auto text = log.loadFileAsString();
    EXPECT_FALSE (home.getChildFile (".config/Wirelace/Wirelace.txt").exists());
    EXPECT_TRUE (text.startsWith (header)) << text.substring (0, 200);
    EXPECT_TRUE (text.contains ("\r\n\r\nTime and date: "));
    EXPECT_TRUE (text.contains ("\r\nUser home directory: " + home.getFolder().getFullPathName() + "\r\n"));
    EXPECT_TRUE (text.contains ("\r\nCurrent executable file: " + juce::File (WIRELACE_APP_PATH).getFullPathName() + "\r\n"));
    EXPECT_TRUE (text.endsWith ("\r\n\r\n\r\n"));
    EXPECT_FALSE (text.contains ("UnitTest:"));

    // A second instance runs beside the first and appends its own header.
    TestHelpers::AppProcess second (environment);
    const auto secondWindow = TestHelpers::waitForWindow (second, "Wirelace 0.8.62", 30000);
    ASSERT_TRUE (secondWindow.isNotEmpty()) << "the second instance did not open its window";
    EXPECT_NE (firstWindow, secondWindow);
    EXPECT_TRUE (log.loadFileAsString().startsWith (text + header));

    ASSERT_TRUE (quitWithCtrlQ (second, secondWindow)) << "ctrl+Q did not end the second instance with status 0";
    EXPECT_FALSE (first.hasExited()) << "quitting one instance leaves the other running";
    ASSERT_TRUE (quitWithCtrlQ (first, firstWindow)) << "ctrl+Q did not end the first instance with status 0";
}
