#include <gtest/gtest.h>

#include "support/AppProcess.h"
#include "support/TestHelpers.h"

// Drives the real Wirelace binary through the X server, as a person at the keyboard and mouse
// would: ctrl+N, ctrl+O (the open chooser), ctrl+S into a file through JUCE's save chooser, then
// the File menu's "Open Recent"; the file and the settings are then checked with xmllint.

namespace
{
    using TestHelpers::findWindows;
    using TestHelpers::runTool;
    using TestHelpers::typeKeys;
    using TestHelpers::waitForWindow;

    /**
        Starts Wirelace with its home, its working folder (where the file choosers start) and a
        PATH on which JUCE finds no desktop file chooser, so that its own dialog box is used.
    */
    juce::StringArray environmentFor (const juce::File& home, const juce::File& emptyFolder)
    {
        return { "HOME=" + home.getFullPathName(),
                 "XDG_CONFIG_HOME=" + home.getChildFile (".config").getFullPathName(),
                 "PATH=" + emptyFolder.getFullPathName() };
    }

    bool waitForNoWindow (const TestHelpers::AppProcess& app, const juce::String& title, int timeoutMs)
    {
        return TestHelpers::pumpUntil ([&] { return findWindows (app, title).isEmpty(); }, timeoutMs);
    }

    void clickAt (const juce::String& windowId, int x, int y)
    {
        runTool ({ "/usr/bin/xdotool", "mousemove", "--window", windowId, juce::String (x), juce::String (y), "click", "1" });
    }

    juce::String xpath (const juce::File& file, const juce::String& expression)
    {
        return runTool ({ "/usr/bin/xmllint", "--xpath", expression, file.getFullPathName() });
    }

    bool canDrive()
    {
        return TestHelpers::canDriveApps() && juce::File ("/usr/bin/xmllint").existsAsFile();
    }

    const juce::String mainTitle ("Wirelace 0.8.62");
    const juce::String openTitle ("Open mappings file ...");
    const juce::String saveTitle ("Save mappings file ...");

    // Other tests on the same display may take the keyboard focus at any moment, so every step is
    // retried a few times until its effect shows.
    constexpr int attempts = 3;
}

TEST (CommandsEndToEnd, NewSaveThroughTheChooserAndReopenThroughOpenRecent)
{
    if (! canDrive())
        GTEST_SKIP() << "needs an X display (run under xvfb-run), xdotool and xmllint";

    TestHelpers::TemporaryFolder home, work, emptyFolder;
    TestHelpers::AppProcess app (environmentFor (home.getFolder(), emptyFolder.getFolder()), work.getFolder());
    ASSERT_GT (app.getPid(), 0);

    const auto window = waitForWindow (app, mainTitle, 30000);
    ASSERT_TRUE (window.isNotEmpty()) << "the main window did not appear";

    // ctrl+N on an unchanged document: a new document, no question.
    typeKeys (window, { "ctrl+n" });
    TestHelpers::pumpMessages (300);
    EXPECT_TRUE (findWindows (app, openTitle).isEmpty() && findWindows (app, saveTitle).isEmpty());
    EXPECT_EQ (runTool ({ "/usr/bin/xdotool", "getwindowname", window }), mainTitle);

    // ctrl+O shows the open chooser; Escape closes it.
    juce::String openChooser;

    for (int i = 0; i < attempts && openChooser.isEmpty(); ++i)
    {
        typeKeys (window, { "ctrl+o" });
        openChooser = waitForWindow (app, openTitle, 3000);
    }

    ASSERT_TRUE (openChooser.isNotEmpty()) << "ctrl+O did not show the open chooser";

    for (int i = 0; i < attempts && ! waitForNoWindow (app, openTitle, 1000); ++i)
        typeKeys (openChooser, { "Escape" });

    ASSERT_TRUE (findWindows (app, openTitle).isEmpty());

    // ctrl+S on a document without a file shows the save chooser; the file name is typed into it.
    juce::String saveChooser;

    for (int i = 0; i < attempts && saveChooser.isEmpty(); ++i)
    {
        typeKeys (window, { "ctrl+s" });
        saveChooser = waitForWindow (app, saveTitle, 3000);
    }

    ASSERT_TRUE (saveChooser.isNotEmpty()) << "ctrl+S did not show the save chooser";

    const auto saved = work.getChildFile ("e2e.mappings");
    const auto chooserSize = TestHelpers::windowGeometry (saveChooser);

    for (int i = 0; i < attempts && ! saved.existsAsFile(); ++i)
    {
        // The file name box sits just above the buttons.
        clickAt (saveChooser, chooserSize["WIDTH"].getIntValue() / 2, chooserSize["HEIGHT"].getIntValue() - 62);
        typeKeys ({}, { "ctrl+a" });
        runTool ({ "/usr/bin/xdotool", "type", "--delay", "20", "e2e.mappings" });
        typeKeys ({}, { "Return" });
        TestHelpers::pumpUntil ([&] { return saved.existsAsFile(); }, 2000);
    }

    ASSERT_TRUE (saved.existsAsFile()) << "the save chooser did not write " << saved.getFullPathName();
    EXPECT_TRUE (waitForNoWindow (app, saveTitle, 3000));
    EXPECT_EQ (runTool ({ "/usr/bin/xdotool", "getwindowname", window }), mainTitle) << "Save leaves the title alone";

    // The file is the skeleton of a new controller document.
    EXPECT_EQ (runTool ({ "/usr/bin/xmllint", "--noout", saved.getFullPathName() }), "");
    EXPECT_EQ (xpath (saved, "string(/main/controller/@kind)"), "midi");
    EXPECT_EQ (xpath (saved, "string(/main/version/@major)"), "1");
    EXPECT_EQ (xpath (saved, "count(/main/controller/mappings/input-mappings/*)"), "0");
    EXPECT_EQ (xpath (saved, "string-length(/main/controller/id/@ID)"), "32");

    // The settings already hold the file, written at once.
    const auto settings = home.getChildFile (".config").getChildFile ("Wirelace").getChildFile ("Wirelace.settings");
    ASSERT_TRUE (settings.existsAsFile());
    EXPECT_EQ (xpath (settings, "string(/PROPERTIES/VALUE[@name='recentlyOpenedFilesList']/@val)"), saved.getFullPathName());

    // File > Open Recent > e2e.mappings: the menu bar is the window's top strip.
    bool reopened = false;

    for (int i = 0; i < attempts && ! reopened; ++i)
    {
        clickAt (window, 20, 10);
        TestHelpers::pumpMessages (300);
        // The open menu has the keyboard: New, (separator), Open Recent, into its submenu, pick.
        typeKeys ({}, { "Down", "Down", "Right" });
        TestHelpers::pumpMessages (200);
        typeKeys ({}, { "Return" });
        reopened = TestHelpers::pumpUntil ([&] { return runTool ({ "/usr/bin/xdotool", "getwindowname", window }) == "e2e.mappings"; }, 2000);

        if (! reopened)
            typeKeys ({}, { "Escape", "Escape", "Escape" });
    }

    EXPECT_TRUE (reopened) << "Open Recent did not load e2e.mappings";

    for (int i = 0; i < attempts && ! app.waitForExit (2000); ++i)
        typeKeys (window, { "ctrl+q" });

    EXPECT_TRUE (app.waitForExit (0)) << "ctrl+Q did not end the program";
}
