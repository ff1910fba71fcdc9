#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>

#include "support/TestHelpers.h"

// ctest runs test processes side by side, and on one display their windows would take the keyboard
// focus (and close popup menus) from each other: each gets an Xvfb display of its own, unless there is
// no Xvfb or WIRELACE_TEST_SHARED_DISPLAY is set (to watch the tests on a screen).
static void startOwnDisplay()
{
    int fds[2];

    if (std::getenv ("WIRELACE_TEST_SHARED_DISPLAY") != nullptr || access ("/usr/bin/Xvfb", X_OK) != 0 || pipe (fds) != 0)
        return;

    const auto pid = fork();

    if (pid == 0)
    {
        prctl (PR_SET_PDEATHSIG, SIGTERM); // the server ends with this process, however it ends

        for (const int fd : { STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO })
            dup2 (open ("/dev/null", O_RDWR), fd);

        execl ("/usr/bin/Xvfb", "Xvfb", "-displayfd", std::to_string (fds[1]).c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp", (char*) nullptr);
        _exit (127);
    }

    close (fds[1]); // the server writes its display number once it takes connections
    std::string number;

    for (char c = 0; pid > 0 && read (fds[0], &c, 1) == 1 && c != '\n';)
        number += c;

    close (fds[0]);

    if (! number.empty())
        setenv ("DISPLAY", (":" + number).c_str(), 1);
}

// One JUCE GUI initialisation for the run, all on this, the message thread, with a private HOME and no
// XDG_CONFIG_HOME, so the settings and logs written touch no one else's. The factory, though it makes
// nothing, has JUCE set up Xlib as for the editor (without its error handlers a bare Xvfb ends the run).
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    if (::testing::GTEST_FLAG (list_tests))
        return RUN_ALL_TESTS();

    startOwnDisplay();
    const TestHelpers::TemporaryFolder home;
    setenv ("HOME", home.folder.getFullPathName().toRawUTF8(), 1);
    unsetenv ("XDG_CONFIG_HOME");
    juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* { return nullptr; };
    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    return RUN_ALL_TESTS();
}
