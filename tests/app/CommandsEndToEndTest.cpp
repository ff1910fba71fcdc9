#include <csignal>
#include <string>
#include <vector>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "support/TestHelpers.h"

extern char** environ;

// Drives the real Wirelace binary through the X server, as a person at the keyboard and mouse
// would: ctrl+N, ctrl+O (the open chooser), ctrl+S into a file through JUCE's save chooser, then
// the File menu's "Open Recent"; the file and the settings are then checked with xmllint.

namespace
{
    /**
        One running Wirelace, started through env with its home, its working folder (where the file
        choosers start) and a PATH on which JUCE finds no desktop file chooser.
    */
    class CommandsApp
    {
    public:
        CommandsApp (const juce::File& home, const juce::File& workFolder, const juce::File& emptyFolder)
        {
            std::vector<std::string> args { "/usr/bin/env", "-C", workFolder.getFullPathName().toStdString(),
                                            "HOME=" + home.getFullPathName().toStdString(),
                                            "XDG_CONFIG_HOME=" + home.getChildFile (".config").getFullPathName().toStdString(),
                                            "PATH=" + emptyFolder.getFullPathName().toStdString(),
                                            WIRELACE_APP_PATH };
            std::vector<char*> argv;

            for (auto& arg : args)
                argv.push_back (arg.data());

            argv.push_back (nullptr);

            if (posix_spawn (&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
                pid = -1;
        }

        ~CommandsApp()
        {
            if (pid > 0 && ! exited)
            {
                ::kill (pid, SIGKILL);
                waitpid (pid, nullptr, 0);
            }
        }

        pid_t getPid() const noexcept { return pid; }

        bool waitForExit (int timeoutMs)
        {
            return TestHelpers::pumpUntil ([this]
                                           {
                                               int status = 0;

                                               if (! exited && waitpid (pid, &status, WNOHANG) == pid)
                                                   exited = true;

                                               return exited;
                                           },
                                           timeoutMs);
        }

    private:
        pid_t pid = -1;
        bool exited = false;
    };

    juce::String runTool (const juce::StringArray& command)
    {
        juce::ChildProcess process;

        if (! process.start (command, juce::ChildProcess::wantStdOut))
            return {};

        auto output = process.readAllProcessOutput();
        process.waitForProcessToFinish (5000);
        return output.trim();
    }

    /** The ids of the app's visible windows whose title is exactly the given text. */
    juce::StringArray findWindows (const CommandsApp& app, const juce::String& title)
    {
        auto ids = juce::StringArray::fromLines (runTool ({ "/usr/bin/xdotool", "search", "--all", "--onlyvisible",
                                                            "--pid", juce::String (app.getPid()), "--name",
                                                            "^" + title.replace (".", "\\.") + "$" }));
        ids.removeEmptyStrings();

        // xdotool also lists windows without a name of their own; keep those that carry the title.
        juce::StringArray titled;

        for (auto& id : ids)
            if (runTool ({ "/usr/bin/xdotool", "getwindowname", id }) == title)
                titled.add (id);

        return titled;
    }

    juce::String waitForWindow (const CommandsApp& app, const juce::String& title, int timeoutMs)
    {
        juce::String found;
        TestHelpers::pumpUntil ([&]
                                {
                                    found = findWindows (app, title)[0];
                                    return found.isNotEmpty();
                                },
                                timeoutMs);
        return found;
    }

    bool waitForNoWindow (const CommandsApp& app, const juce::String& title, int timeoutMs)
    {
        return TestHelpers::pumpUntil ([&] { return findWindows (app, title).isEmpty(); }, timeoutMs);
    }

    /** Types the keys through the X server (XTEST), as a keyboard would, into the window that
        has the focus; when a window is given, it gets the focus first. */
    void typeKeys (const juce::String& windowId, const juce::StringArray& keys)
    {
        juce::StringArray command { "/usr/bin/xdotool" };

        if (windowId.isNotEmpty())
            command.addArray ({ "windowfocus", "--sync", windowId });

        command.addArray ({ "key", "--clearmodifiers", "--delay", "50" });
        command.addArray (keys);
        runTool (command);
    }

    void clickAt (const juce::String& windowId, int x, int y)
    {
        runTool ({ "/usr/bin/xdotool", "mousemove", "--window", windowId, juce::String (x), juce::String (y), "click", "1" });
    }

    juce::StringPairArray geometryOf (const juce::String& windowId)
    {
        juce::StringPairArray values;

        for (auto& line : juce::StringArray::fromLines (runTool ({ "/usr/bin/xdotool", "getwindowgeometry", "--shell", windowId })))
            values.set (line.upToFirstOccurrenceOf ("=", false, false), line.fromFirstOccurrenceOf ("=", false, false));

        return values;
    }

    juce::String xpath (const juce::File& file, const juce::String& expression)
    {
        return runTool ({ "/usr/bin/xmllint", "--xpath", expression, file.getFullPathName() });
    }

    bool canDrive()
    {
        return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty()
            && juce::File ("/usr/bin/xdotool").existsAsFile()
            && juce::File ("/usr/bin/xmllint").existsAsFile();
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
    CommandsApp app (home.getFolder(), work.getFolder(), emptyFolder.getFolder());
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
    const auto chooserSize = geometryOf (saveChooser);

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
