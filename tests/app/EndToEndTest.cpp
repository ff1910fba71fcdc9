#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <vector>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/TestHelpers.h"

extern char** environ;

// Starts the real Wirelace binary on the current (Xvfb) display with its home in a temporary
// folder, finds its window, checks its log and quits it with ctrl+Q as a person would.

namespace
{
    /** One running Wirelace process, started with its own HOME and XDG_CONFIG_HOME. */
    class RunningApp
    {
    public:
        explicit RunningApp (const juce::File& home)
        {
            juce::StringArray environment;

            for (auto** entry = environ; *entry != nullptr; ++entry)
            {
                const juce::String line (*entry);

                if (! line.startsWith ("HOME=") && ! line.startsWith ("XDG_CONFIG_HOME="))
                    environment.add (line);
            }

            environment.add ("HOME=" + home.getFullPathName());
            // A configuration folder other than ~/.config, so that the tests see it honoured.
            environment.add ("XDG_CONFIG_HOME=" + home.getChildFile ("xdg-config").getFullPathName());

            std::vector<std::string> storage;

            for (auto& line : environment)
                storage.push_back (line.toStdString());

            std::vector<char*> envp;

            for (auto& s : storage)
                envp.push_back (s.data());

            envp.push_back (nullptr);

            std::string path (WIRELACE_APP_PATH);
            char* argv[] = { path.data(), nullptr };

            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init (&actions);
            posix_spawn_file_actions_addopen (&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

            if (posix_spawn (&pid, path.c_str(), &actions, nullptr, argv, envp.data()) != 0)
                pid = -1;

            posix_spawn_file_actions_destroy (&actions);
        }

        ~RunningApp()
        {
            if (pid > 0 && ! exited)
            {
                ::kill (pid, SIGKILL);
                waitpid (pid, nullptr, 0);
            }
        }

        bool started() const noexcept { return pid > 0; }
        pid_t getPid() const noexcept { return pid; }

        /** Waits for the process to end; true with its status when it did within the time. */
        bool waitForExit (int timeoutMs)
        {
            const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

            while (! exited)
            {
                int st = 0;

                if (waitpid (pid, &st, WNOHANG) == pid)
                {
                    exited = true;
                    status = st;
                    break;
                }

                if (juce::Time::getMillisecondCounter() > end)
                    return false;

                juce::Thread::sleep (20);
            }

            return true;
        }

        bool exitedNormallyWith (int code) const { return exited && WIFEXITED (status) && WEXITSTATUS (status) == code; }

        bool hasExited()
        {
            return exited || waitForExit (0);
        }

    private:
        pid_t pid = -1;
        bool exited = false;
        int status = 0;
    };

    juce::String runTool (const juce::StringArray& command)
    {
        juce::ChildProcess process;

        if (! process.start (command, juce::ChildProcess::wantStdOut))
            return {};

        auto output = process.readAllProcessOutput();
        process.waitForProcessToFinish (5000);
        return output;
    }

    /** The id of the process's shown window with exactly this title, waiting up to the given time; empty if none. */
    juce::String findWindow (RunningApp& app, const juce::String& title, int timeoutMs)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

        for (;;)
        {
            auto ids = juce::StringArray::fromLines (runTool ({ "xdotool", "search", "--all", "--onlyvisible", "--pid", juce::String (app.getPid()),
                                                                 "--name", "^" + title.replace (".", "\\.") + "$" })
                                                         .trim());
            ids.removeEmptyStrings();

            if (! ids.isEmpty())
                return ids[0];

            if (app.hasExited() || juce::Time::getMillisecondCounter() > end)
                return {};

            juce::Thread::sleep (100);
        }
    }

    /** The window's geometry as xdotool's shell variables: X, Y, WIDTH, HEIGHT. */
    juce::StringPairArray geometryOf (const juce::String& windowId)
    {
        juce::StringPairArray values;

        for (auto& line : juce::StringArray::fromLines (runTool ({ "xdotool", "getwindowgeometry", "--shell", windowId })))
            if (line.contains ("="))
                values.set (line.upToFirstOccurrenceOf ("=", false, false), line.fromFirstOccurrenceOf ("=", false, false));

        return values;
    }

    /**
        Gives the window the input focus and types ctrl+Q through the X server, as a keyboard would
        (events sent straight to a window carry modifier states that JUCE may refresh from the real
        keyboard). Other tests on the same display may take the focus in between, so the key is
        typed again, up to three times, until the process ends; true when it ended.
    */
    bool quitWithCtrlQ (RunningApp& app, const juce::String& windowId)
    {
        for (int attempt = 0; attempt < 3; ++attempt)
        {
            runTool ({ "xdotool", "windowfocus", "--sync", windowId, "key", "--clearmodifiers", "ctrl+q" });

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

    bool haveDisplayAndXdotool()
    {
        return std::getenv ("DISPLAY") != nullptr
            && juce::File ("/usr/bin/xdotool").existsAsFile();
    }
}

TEST (EndToEnd, RealAppOpensItsWindowLogsItsStartAndQuitsWithCtrlQ)
{
    if (! haveDisplayAndXdotool())
        GTEST_SKIP() << "needs an X display (run under xvfb-run) and xdotool";

    ASSERT_TRUE (juce::File (WIRELACE_APP_PATH).existsAsFile()) << WIRELACE_APP_PATH;

    TestHelpers::TemporaryFolder home;
    RunningApp app (home.getFolder());
    ASSERT_TRUE (app.started());

    const auto window = findWindow (app, "Wirelace 0.8.62", 30000);
    ASSERT_TRUE (window.isNotEmpty()) << "no window titled \"Wirelace 0.8.62\" appeared";

    // 1100 by 700, centred on the display.
    const auto geometry = geometryOf (window);
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
    if (! haveDisplayAndXdotool())
        GTEST_SKIP() << "needs an X display (run under xvfb-run) and xdotool";

    TestHelpers::TemporaryFolder home;
    RunningApp first (home.getFolder());
    const auto firstWindow = findWindow (first, "Wirelace 0.8.62", 30000);
    ASSERT_TRUE (firstWindow.isNotEmpty());

    RunningApp second (home.getFolder());
    const auto secondWindow = findWindow (second, "Wirelace 0.8.62", 30000);
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
