#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

#include "support/TestHelpers.h"

// Runs the real Wirelace binary on this test process's display and drives it through the X server
// with xdotool, as a person at the keyboard and mouse would.

namespace
{
    /** The Wirelace binary, run by env with the given options and "NAME=value" changes; killed if it outlives the object. */
    struct AppProcess
    {
        explicit AppProcess (juce::StringArray args)
        {
            args.insert (0, "env");
            args.add (WIRELACE_APP_PATH);
            std::vector<char*> argv;

            for (auto& arg : args)
                argv.push_back (const_cast<char*> (arg.toRawUTF8()));

            argv.push_back (nullptr);

            if (posix_spawnp (&pid, "env", nullptr, nullptr, argv.data(), environ) != 0)
                pid = -1;
        }

        ~AppProcess()
        {
            if (pid > 0 && ! hasExited() && kill (pid, SIGKILL) == 0)
                waitpid (pid, nullptr, 0);
        }

        bool hasExited() { return exited = exited || pid <= 0 || waitpid (pid, &status, WNOHANG) == pid; }

        pid_t pid = -1;
        bool exited = false;
        int status = -1;
    };

    /** Runs a command and gives its standard output, trimmed. */
    juce::String run (const juce::StringArray& command)
    {
        juce::ChildProcess process;
        const auto output = process.start (command, juce::ChildProcess::wantStdOut) ? process.readAllProcessOutput().trim() : juce::String();
        process.waitForProcessToFinish (5000);
        return output;
    }

    /** The id of the process's first visible window with exactly this title, or empty. */
    juce::String findWindow (const AppProcess& app, const juce::String& title)
    {
        return run ({ "xdotool", "search", "--all", "--onlyvisible", "--pid", juce::String (app.pid), "--name", "^" + title.replace (".", "\\.") + "$" }).upToFirstOccurrenceOf ("\n", false, false);
    }

    /** Types the keys (XTEST, as a keyboard would) into the window, given the focus first, or where the focus is. */
    void typeKeys (const juce::String& window, const juce::StringArray& keys)
    {
        auto command = window.isEmpty() ? juce::StringArray ("xdotool") : juce::StringArray ("xdotool", "windowfocus", "--sync", window);
        command.addArray ({ "key", "--clearmodifiers", "--delay", "50" });
        command.addArray (keys);
        run (command);
    }

    /** Does the step until its effect shows, at most three times (a key may come before the window takes the focus). */
    bool retry (const std::function<void()>& step, const std::function<bool()>& done)
    {
        for (int i = 0; i < 3; ++i)
            if (step(), TestHelpers::pumpUntil (done, 3000))
                return true;

        return false;
    }

    bool quitsWithCtrlQ (AppProcess& app, const juce::String& window)
    {
        return retry ([&] { typeKeys (window, { "ctrl+q" }); }, [&] { return app.hasExited(); }) && WIFEXITED (app.status) && WEXITSTATUS (app.status) == 0;
    }
}

TEST (EndToEnd, TwoInstancesShareTheLogAndOneSavesANewDocumentThroughTheChooserAndReopensItThroughOpenRecent)
{
    if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty() || ! juce::File ("/usr/bin/xdotool").existsAsFile() || ! juce::File ("/usr/bin/xmllint").existsAsFile())
        GTEST_SKIP() << "needs an X display, xdotool and xmllint";

    // Home, $XDG_CONFIG_HOME and working folder (where the choosers start) in a temporary folder, and
    // a PATH on which JUCE finds no desktop chooser, so that its own is used.
    TestHelpers::TemporaryFolder home;
    const auto homePath = home.folder.getFullPathName(), exe = juce::File (WIRELACE_APP_PATH).getFullPathName();
    const juce::StringArray environment { "-C", homePath, "HOME=" + homePath, "XDG_CONFIG_HOME=" + homePath + "/config", "PATH=" + homePath };
    const juce::String title ("Wirelace 0.8.62"), saveTitle ("Save mappings file ...");
    AppProcess first (environment);
    juce::String window, secondWindow, chooser;
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return (window = findWindow (first, title)).isNotEmpty() || first.hasExited(); }, 30000) && ! first.exited);

    // The log in Wirelace under $XDG_CONFIG_HOME: the header, directly this program's system information
    // with its closing empty lines, and nothing of the empty unit-test run.
    const auto log = home.getChildFile ("config/Wirelace/Wirelace.txt");
    const auto text = log.loadFileAsString(), header = "\r\n" + juce::String::repeatedString ("*", 58) + "\r\nWirelace Version: 0.8.62\r\nLog started: ";
    EXPECT_TRUE (text.startsWith (header) && text.fromFirstOccurrenceOf (header, false, false).fromFirstOccurrenceOf ("\r\n", false, false).startsWith ("\r\nTime and date: ")) << text;
    EXPECT_TRUE (text.contains ("\r\nCurrent working directory: " + homePath + "\r\nCurrent executable file: " + exe + "\r\n")) << text;
    EXPECT_TRUE (text.contains ("\r\nUser home directory: " + homePath + "\r\n") && text.endsWith ("\r\n\r\n\r\n") && ! text.contains ("UnitTest")) << text;
    EXPECT_FALSE (home.getChildFile (".config").exists());

    {
        // A second instance runs beside the first and appends its own header; ctrl+Q ends it alone.
        AppProcess second (environment);
        ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return (secondWindow = findWindow (second, title)).isNotEmpty(); }, 30000));
        EXPECT_TRUE (log.loadFileAsString().startsWith (text + header));
        EXPECT_TRUE (secondWindow != window && quitsWithCtrlQ (second, secondWindow) && ! first.hasExited());
    }

    // ctrl+S on a document without a file shows the save chooser; the name goes into its file name box, just above the buttons.
    ASSERT_TRUE (retry ([&] { typeKeys (window, { "ctrl+s" }); }, [&] { return (chooser = findWindow (first, saveTitle)).isNotEmpty(); }));
    const auto size = run ({ "xdotool", "getwindowgeometry", "--shell", chooser });
    const auto x = size.fromFirstOccurrenceOf ("WIDTH=", false, false).getIntValue() / 2, y = size.fromFirstOccurrenceOf ("HEIGHT=", false, false).getIntValue() - 62;
    const auto saved = home.getChildFile ("e2e.mappings");
    ASSERT_TRUE (retry ([&]
                        {
                            run ({ "xdotool", "mousemove", "--window", chooser, juce::String (x), juce::String (y), "click", "1" });
                            typeKeys ({}, { "ctrl+a" });
                            run ({ "xdotool", "type", "--delay", "20", "e2e.mappings" });
                            typeKeys ({}, { "Return" });
                        },
                        [&] { return saved.existsAsFile(); }));
    EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return findWindow (first, saveTitle).isEmpty(); }));
    EXPECT_EQ (run ({ "xdotool", "getwindowname", window }), title) << "Save leaves the title alone";

    // The file is the skeleton of a new controller document, and the settings hold it as the recent file.
    EXPECT_EQ (run ({ "xmllint", "--xpath", "concat(/main/controller/@kind, /main/version/@major, count(//input-mappings/*), '-', string-length(//id/@ID))", saved.getFullPathName() }), "midi10-32");
    EXPECT_EQ (run ({ "xmllint", "--xpath", "string(/PROPERTIES/VALUE[@name='recentlyOpenedFilesList']/@val)", homePath + "/config/Wirelace/Wirelace.settings" }), saved.getFullPathName());

    // File (the window's top strip) > Open Recent > e2e.mappings, by keys once the menu is open.
    EXPECT_TRUE (retry ([&]
                        {
                            typeKeys ({}, { "Escape", "Escape", "Escape" }); // closes what a missed attempt left open
                            run ({ "xdotool", "mousemove", "--window", window, "20", "10", "click", "1" });
                            TestHelpers::pumpMessages (300);
                            typeKeys ({}, { "Down", "Down", "Right" });
                            TestHelpers::pumpMessages (200);
                            typeKeys ({}, { "Return" });
                        },
                        [&] { return run ({ "xdotool", "getwindowname", window }) == "e2e.mappings"; }));
    EXPECT_TRUE (quitsWithCtrlQ (first, window));
}
