#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

/**
    Gives this test process an Xvfb display of its own, as ctest runs test processes side by side
    and on one display their windows would take the keyboard focus (and close popup menus) from each
    other. Keeps the current DISPLAY when there is no Xvfb or WIRELACE_TEST_SHARED_DISPLAY is set (to
    watch the tests on a real screen). Returns the server's process id, or -1.
*/
static pid_t startOwnDisplay()
{
    int fds[2];

    if (std::getenv ("WIRELACE_TEST_SHARED_DISPLAY") != nullptr || access ("/usr/bin/Xvfb", X_OK) != 0 || pipe (fds) != 0)
        return -1;

    const auto pid = fork();

    if (pid == 0)
    {
        prctl (PR_SET_PDEATHSIG, SIGTERM); // the server goes with this process, however it ends

        for (const int fd : { STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO })
            dup2 (open ("/dev/null", O_RDWR), fd);

        execl ("/usr/bin/Xvfb", "Xvfb", "-displayfd", std::to_string (fds[1]).c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp", (char*) nullptr);
        _exit (127);
    }

    // The server writes its display number once it takes connections (and the pipe closes if it fails).
    close (fds[1]);
    std::string number;

    for (char c = 0; pid > 0 && read (fds[0], &c, 1) == 1 && c != '\n';)
        number += c;

    close (fds[0]);

    if (! number.empty())
        setenv ("DISPLAY", (":" + number).c_str(), 1);

    return pid;
}

// One JUCE GUI initialisation for the run, whose tests all run on this, the message thread, with a
// private HOME without XDG_CONFIG_HOME: the settings and logs they write touch no one else's. The
// application factory, though it makes nothing, has JUCE set up Xlib as for the editor (thread
// support and its error handlers, without which a bare Xvfb's first window ends the run).
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    if (::testing::GTEST_FLAG (list_tests))
        return RUN_ALL_TESTS();

    const auto display = startOwnDisplay();
    char home[] = "/tmp/wirelace-test-home-XXXXXX";
    const bool ownHome = mkdtemp (home) != nullptr && setenv ("HOME", home, 1) == 0;
    unsetenv ("XDG_CONFIG_HOME");
    juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* { return nullptr; };
    int result = 0;

    {
        juce::ScopedJuceInitialiser_GUI juceInitialiser;
        result = RUN_ALL_TESTS();
    }

    if (ownHome)
        juce::File (home).deleteRecursively();

    if (display > 0 && kill (display, SIGTERM) == 0)
        waitpid (display, nullptr, 0);

    return result;
}
