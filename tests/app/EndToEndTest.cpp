#include "support/TestHelpers.h"

// Runs the real Wirelace binary on this test process's display and drives it through the X server
// with xdotool (keys through XTEST), as a person at the keyboard and mouse would.

namespace
{
    /** Runs a command and gives its standard output, trimmed. */
    juce::String run (const juce::StringArray& command)
    {
        juce::ChildProcess process;
        const auto output = process.start (command, juce::ChildProcess::wantStdOut) ? process.readAllProcessOutput().trim() : juce::String();
        process.waitForProcessToFinish (5000);
        return output;
    }

    /** The id of a visible window with exactly this title, other than the one given, or empty. */
    juce::String findWindow (const juce::String& title, const juce::String& other = {})
    {
        auto ids = juce::StringArray::fromLines (run ({ "xdotool", "search", "--onlyvisible", "--name", "^" + title.replace (".", "\\.") + "$" }));
        ids.removeString (other);
        return ids[0];
    }

    /** Does the step until its effect shows, at most three times (a key may come before the window takes the focus). */
    bool retry (const std::function<void()>& step, const std::function<bool()>& done, int times = 3)
    {
        step();
        return TestHelpers::pumpUntil (done, 3000) || (times > 1 && retry (step, done, times - 1));
    }

    struct App : juce::ChildProcess
    {
        ~App()
        {
            if (isRunning())
                kill();
        }

        bool quitsWithCtrlQ (const juce::String& window)
        {
            const auto quit = retry ([&] { run ({ "xdotool", "windowfocus", "--sync", window, "key", "--clearmodifiers", "ctrl+q" }); }, [&] { return ! isRunning(); }, 5);
            EXPECT_TRUE (quit && exitCode.loadFileAsString().trim() == "0") << "exit status " << exitCode.loadFileAsString() << ", error output: " << juce::File (exitCode.getFullPathName() + ".err").loadFileAsString();
            return quit;
        }

        juce::File exitCode; // written by the shell that runs the app, with its error output beside: juce::ChildProcess reports a crash as 0
    };
}

TEST (EndToEnd, TwoInstancesShareTheLogAndOneSavesANewDocumentThroughTheChooserAndReopensItThroughOpenRecent)
{
    if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty() || ! juce::File ("/usr/bin/xdotool").existsAsFile() || ! juce::File ("/usr/bin/xmllint").existsAsFile())
        GTEST_SKIP() << "needs an X display, xdotool and xmllint";

    // Home, $XDG_CONFIG_HOME and working folder (where the choosers start) in a temporary folder, and
    // a PATH on which JUCE finds no desktop chooser, so that its own is used.
    TestHelpers::TemporaryFolder home;
    const auto homePath = home.folder.getFullPathName(), exe = juce::File (WIRELACE_APP_PATH).getFullPathName(), title = juce::String ("Wirelace 0.8.62");
    const juce::StringArray command { "env", "-C", homePath, "HOME=" + homePath, "XDG_CONFIG_HOME=" + homePath + "/config", "PATH=" + homePath, exe };
    App first, second;
    const auto launch = [&] (App& app, const char* name)
    {
        juce::StringArray args { "sh", "-c", "\"$@\" 2> \"$0.err\"; echo $? > \"$0\"", (app.exitCode = home.getChildFile (name)).getFullPathName() };
        args.addArray (command);
        return app.start (args, 0);
    };
    juce::String window, secondWindow, chooser;
    ASSERT_TRUE (launch (first, "first-exit") && TestHelpers::pumpUntil ([&] { return (window = findWindow (title)).isNotEmpty(); }, 30000));

    // The log in Wirelace under $XDG_CONFIG_HOME: the header, this program's system information with
    // its closing empty lines, and nothing of the empty unit-test run.
    const auto log = home.getChildFile ("config/Wirelace/Wirelace.txt");
    const auto text = log.loadFileAsString(), header = "\r\n" + juce::String::repeatedString ("*", 58) + "\r\nWirelace Version: 0.8.62\r\nLog started: ";
    EXPECT_TRUE (text.startsWith (header) && text.contains ("\r\nCurrent executable file: " + exe + "\r\n") && text.endsWith ("\r\n\r\n\r\n") && ! text.contains ("UnitTest")) << text;
    EXPECT_FALSE (home.getChildFile (".config").exists()); // nor the settings

    // A second instance runs beside the first and appends its own header; ctrl+Q ends it alone.
    ASSERT_TRUE (launch (second, "second-exit") && TestHelpers::pumpUntil ([&] { return (secondWindow = findWindow (title, window)).isNotEmpty(); }, 30000));
    EXPECT_TRUE (log.loadFileAsString().startsWith (text + header));
    EXPECT_TRUE (second.quitsWithCtrlQ (secondWindow) && first.isRunning() && TestHelpers::pumpUntil ([&] { return findWindow (title, window).isEmpty(); }));

    // ctrl+S on a document without a file shows the save chooser; the name goes into its file name box, just above the buttons.
    ASSERT_TRUE (retry ([&] { run ({ "xdotool", "windowfocus", "--sync", window, "key", "--clearmodifiers", "ctrl+s" }); }, [&] { return (chooser = findWindow ("Save mappings file ...")).isNotEmpty(); }));
    const auto size = run ({ "xdotool", "getwindowgeometry", "--shell", chooser });
    const juce::String x (size.fromFirstOccurrenceOf ("WIDTH=", false, false).getIntValue() / 2), y (size.fromFirstOccurrenceOf ("HEIGHT=", false, false).getIntValue() - 62);
    const auto saved = home.getChildFile ("e2e.mappings");
    ASSERT_TRUE (retry ([&] { run ({ "xdotool", "mousemove", "--window", chooser, x, y, "click", "1", "key", "--clearmodifiers", "ctrl+a", "type", "--delay", "20", "e2e.mappings" }); run ({ "xdotool", "key", "Return" }); },
                        [&] { return saved.existsAsFile(); }));

    // The file is the skeleton of a new controller document, and the settings hold it as the recent file.
    EXPECT_EQ (run ({ "xmllint", "--xpath", "concat(/main/controller/@kind, /main/version/@major, count(//input-mappings/*), '-', string-length(//id/@ID))", saved.getFullPathName() }), "midi10-32");
    EXPECT_EQ (run ({ "xmllint", "--xpath", "string(/PROPERTIES/VALUE[@name='recentlyOpenedFilesList']/@val)", homePath + "/config/Wirelace/Wirelace.settings" }), saved.getFullPathName());

    // File (the window's top strip) > Open Recent > e2e.mappings, by keys once the menu is open.
    EXPECT_TRUE (retry ([&] { run ({ "xdotool", "key", "Escape", "Escape", "Escape", "windowraise", window, "mousemove", "--window", window, "20", "10", "click", "1", "sleep", "0.3", "key", "Down", "Down", "Right", "sleep", "0.2", "key", "Return" }); },
                        [&] { return run ({ "xdotool", "getwindowname", window }) == "e2e.mappings"; }));
    first.quitsWithCtrlQ (window);
}
