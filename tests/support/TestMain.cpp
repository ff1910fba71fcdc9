#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

// The test run never starts an application through JUCE's main, but it registers a factory so
// that JUCE sets itself up as it does for the editor: Xlib thread support and JUCE's X error
// handlers. Without those, the first window on a bare Xvfb (no window manager, so atoms such as
// WM_PROTOCOLS were never made) ends the run with Xlib's default "BadAtom" handler. It also lets
// a test make the application object itself.
static juce::JUCEApplicationBase* createNoApplication()
{
    return nullptr;
}

namespace
{
    /**
        A private Xvfb display for this test process. ctest runs test processes side by side, and on
        one shared display their windows take the keyboard focus from each other: JUCE then closes
        popup menus and a typed key lands in another process's window. Each process therefore gets
        a display of its own (1920 by 1080, 24 bits), started before JUCE opens one and stopped at
        the end. WIRELACE_TEST_SHARED_DISPLAY=1 keeps the current DISPLAY instead (to watch the
        tests on a real screen); without Xvfb the current DISPLAY is used as well.
    */
    class OwnDisplay
    {
    public:
        OwnDisplay()
        {
            const char* xvfb = "/usr/bin/Xvfb";

            if (std::getenv ("WIRELACE_TEST_SHARED_DISPLAY") != nullptr || access (xvfb, X_OK) != 0)
                return;

            int fds[2];

            if (pipe (fds) != 0)
                return;

            pid = fork();

            if (pid == 0)
            {
                // The server goes when this process goes, however it ends.
                prctl (PR_SET_PDEATHSIG, SIGTERM);
                close (fds[0]);

                const int devNull = open ("/dev/null", O_RDWR);
                dup2 (devNull, STDIN_FILENO);
                dup2 (devNull, STDOUT_FILENO);
                dup2 (devNull, STDERR_FILENO);

                const auto fdText = std::to_string (fds[1]);
                execl (xvfb, "Xvfb", "-displayfd", fdText.c_str(), "-screen", "0", "1920x1080x24",
                       "-nolisten", "tcp", (char*) nullptr);
                _exit (127);
            }

            close (fds[1]);

            if (pid < 0)
            {
                close (fds[0]);
                return;
            }

            // Xvfb writes its display number to the pipe once it accepts connections.
            std::string number;
            pollfd pfd { fds[0], POLLIN, 0 };

            while (poll (&pfd, 1, 20000) > 0)
            {
                char c = 0;

                if (read (fds[0], &c, 1) != 1 || c == '\n')
                    break;

                number += c;
            }

            close (fds[0]);

            if (number.empty())
            {
                stop();
                return;
            }

            setenv ("DISPLAY", (":" + number).c_str(), 1);
        }

        ~OwnDisplay() { stop(); }

    private:
        void stop()
        {
            if (pid > 0)
            {
                kill (pid, SIGTERM);
                waitpid (pid, nullptr, 0);
                pid = -1;
            }
        }

        pid_t pid = -1;
    };

    /**
        A private, empty HOME for this test process, deleted at the end: the user settings file
        and the log (both in ~/.config/Wirelace) of the tests then never touch the real ones,
        and test processes that ctest runs side by side never share them.
    */
    class OwnHome
    {
    public:
        OwnHome()
        {
            char pattern[] = "/tmp/wirelace-test-home-XXXXXX";

            if (mkdtemp (pattern) != nullptr)
            {
                folder = pattern;
                setenv ("HOME", pattern, 1);
                unsetenv ("XDG_CONFIG_HOME");
            }
        }

        ~OwnHome()
        {
            if (folder.isNotEmpty())
                juce::File (folder).deleteRecursively();
        }

    private:
        juce::String folder;
    };

    bool onlyListsTests (int argc, char** argv)
    {
        for (int i = 1; i < argc; ++i)
            if (std::strcmp (argv[i], "--gtest_list_tests") == 0)
                return true;

        return false;
    }
}

// One JUCE GUI initialisation for the whole run: every test runs on this thread,
// which is JUCE's message thread.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    if (onlyListsTests (argc, argv))
        return RUN_ALL_TESTS();

    OwnDisplay display;
    OwnHome home;
    juce::JUCEApplicationBase::createInstance = &createNoApplication;

    int result = 0;

    {
        juce::ScopedJuceInitialiser_GUI juceInitialiser;
        result = RUN_ALL_TESTS();
    }

    return result;
}
