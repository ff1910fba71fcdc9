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

    /** Other tests on the same display may take the keyboard focus at any moment, so a step is
        tried up to three times until its effect shows; true when it did. */
    bool retry (const std::function<void()>& step, const std::function<bool()>& done, int waitMs = 2000)
    {
        for (int i = 0; i < 3; ++i)
        {
            step();

            if (TestHelpers::pumpUntil (done, waitMs))
                return true;
        }

        return false;
    }

    void clickAt (const juce::String& windowId, int x, int y)
    {
        runTool ({ "/usr/bin/xdotool", "mousemove", "--window", windowId, juce::String (x), juce::String (y), "click", "1" });
    }

    juce::String xpath (const juce::File& file, const juce::String& expression)
    {
        return runTool ({ "/usr/bin/xmllint", "--xpath", expression, file.getFullPathName() });
    }
}

TEST (CommandsEndToEnd, NewSaveThroughTheChooserAndReopenThroughOpenRecent)
{
    if (! TestHelpers::canDriveApps() || ! juce::File ("/usr/bin/xmllint").existsAsFile())
        GTEST_SKIP() << "needs an X display (run under xvfb-run), xdotool and xmllint";

    // Its home, its working folder (where the file choosers start) and a PATH on which JUCE finds
    // no desktop file chooser, so that its own dialog box is used.
    TestHelpers::TemporaryFolder home, work, emptyFolder;
    TestHelpers::AppProcess app ({ "HOME=" + home.getFolder().getFullPathName(),
                                   "XDG_CONFIG_HOME=" + home.getChildFile (".config").getFullPathName(),
                                   "PATH=" + emptyFolder.getFolder().getFullPathName() },
                                 work.getFolder());
    const juce::String mainTitle ("Wirelace 0.8.62"), openTitle ("Open mappings file ..."), saveTitle ("Save mappings file ...");
    const auto window = TestHelpers::waitForWindow (app, mainTitle, 30000);
    ASSERT_TRUE (window.isNotEmpty()) << "the main window did not appear";
    auto title = [&] { return runTool ({ "/usr/bin/xdotool", "getwindowname", window }); };

    // ctrl+N on an unchanged document: a new document, no question.
    typeKeys (window, { "ctrl+n" });
    TestHelpers::pumpMessages (300);
    EXPECT_TRUE (findWindows (app, openTitle).isEmpty() && findWindows (app, saveTitle).isEmpty());
    EXPECT_EQ (title(), mainTitle);

    // ctrl+O shows the open chooser; Escape closes it.
    ASSERT_TRUE (retry ([&] { typeKeys (window, { "ctrl+o" }); }, [&] { return ! findWindows (app, openTitle).isEmpty(); }, 3000))
        << "ctrl+O did not show the open chooser";
    ASSERT_TRUE (retry ([&] { typeKeys (findWindows (app, openTitle)[0], { "Escape" }); }, [&] { return findWindows (app, openTitle).isEmpty(); }));

    // ctrl+S on a document without a file shows the save chooser; the file name is typed into it.
    ASSERT_TRUE (retry ([&] { typeKeys (window, { "ctrl+s" }); }, [&] { return ! findWindows (app, saveTitle).isEmpty(); }, 3000))
        << "ctrl+S did not show the save chooser";

    const auto saveChooser = findWindows (app, saveTitle)[0];
    const auto saved = work.getChildFile ("e2e.mappings");
    const auto chooserSize = TestHelpers::windowGeometry (saveChooser);
    ASSERT_TRUE (retry ([&]
                        {
                            // The file name box sits just above the buttons.
                            clickAt (saveChooser, chooserSize["WIDTH"].getIntValue() / 2, chooserSize["HEIGHT"].getIntValue() - 62);
                            typeKeys ({}, { "ctrl+a" });
                            runTool ({ "/usr/bin/xdotool", "type", "--delay", "20", "e2e.mappings" });
                            typeKeys ({}, { "Return" });
                        },
                        [&] { return saved.existsAsFile(); }))
        << "the save chooser did not write " << saved.getFullPathName();
    EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return findWindows (app, saveTitle).isEmpty(); }, 3000));
    EXPECT_EQ (title(), mainTitle) << "Save leaves the title alone";

    // The file is the skeleton of a new controller document, and the settings already hold it.
    EXPECT_EQ (runTool ({ "/usr/bin/xmllint", "--noout", saved.getFullPathName() }), "");
    EXPECT_EQ (xpath (saved, "concat(/main/controller/@kind, /main/version/@major, count(/main/controller/mappings/input-mappings/*), "
                             "'-', string-length(/main/controller/id/@ID))"),
               "midi10-32");
    EXPECT_EQ (xpath (home.getChildFile (".config/Wirelace/Wirelace.settings"), "string(/PROPERTIES/VALUE[@name='recentlyOpenedFilesList']/@val)"),
               saved.getFullPathName());

    // File > Open Recent > e2e.mappings: the menu bar is the window's top strip, and the open menu
    // has the keyboard: New, (separator), Open Recent, into its submenu, pick.
    int attempt = 0;
    EXPECT_TRUE (retry ([&]
                        {
                            if (attempt++ > 0) // closes what a missed attempt left open
                                typeKeys ({}, { "Escape", "Escape", "Escape" });

                            clickAt (window, 20, 10);
                            TestHelpers::pumpMessages (300);
                            typeKeys ({}, { "Down", "Down", "Right" });
                            TestHelpers::pumpMessages (200);
                            typeKeys ({}, { "Return" });
                        },
                        [&] { return title() == "e2e.mappings"; }))
        << "Open Recent did not load e2e.mappings";

    EXPECT_TRUE (retry ([&] { typeKeys (window, { "ctrl+q" }); }, [&] { return app.waitForExit (0); })) << "ctrl+Q did not end the program";
}
