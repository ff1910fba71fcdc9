#pragma once

#include <sys/types.h>

#include <juce_gui_basics/juce_gui_basics.h>

/** Helpers for the tests that start the real Wirelace binary and drive it through the X server. */
namespace TestHelpers
{
    /**
        One running Wirelace binary. It gets this process's environment with the given
        "NAME=value" entries put in place of their namesakes, and starts in workFolder when one
        is given. Its standard output goes to /dev/null. A process still running when the object
        goes is killed.
    */
    class AppProcess
    {
    public:
        explicit AppProcess (const juce::StringArray& environmentChanges, const juce::File& workFolder = {});
        ~AppProcess();

        bool started() const noexcept { return pid > 0; }
        pid_t getPid() const noexcept { return pid; }

        /** Waits (running the message loop) for the process to end; true when it did within the time. */
        bool waitForExit (int timeoutMilliseconds);

        bool hasExited() { return waitForExit (0); }
        bool exitedNormallyWith (int code) const;

    private:
        pid_t pid = -1;
        bool exited = false;
        int status = 0;

        JUCE_DECLARE_NON_COPYABLE (AppProcess)
    };

    /** True when there is an X display and xdotool to drive it with. */
    bool canDriveApps();

    /** Runs a command and gives its standard output, trimmed. */
    juce::String runTool (const juce::StringArray& command);

    /** The ids of the process's visible windows whose title is exactly the given text. */
    juce::StringArray findWindows (const AppProcess& app, const juce::String& title);

    /** Waits (running the message loop) for such a window while the process runs; its id, or empty. */
    juce::String waitForWindow (AppProcess& app, const juce::String& title, int timeoutMilliseconds);

    /** The window's geometry as xdotool's shell variables: X, Y, WIDTH, HEIGHT. */
    juce::StringPairArray windowGeometry (const juce::String& windowId);

    /**
        Types the keys through the X server (XTEST), as a keyboard would, into the window that has
        the focus; a window that is given gets the focus first. Events sent straight to a window
        carry modifier states that JUCE may refresh from the real keyboard, so they are not used.
    */
    void typeKeys (const juce::String& windowId, const juce::StringArray& keys);
}
