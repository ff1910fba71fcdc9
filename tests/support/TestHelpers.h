#pragma once

#include <functional>

#include <juce_data_structures/juce_data_structures.h>
#include <juce_gui_basics/juce_gui_basics.h>

/** Helpers shared by the tests: the message loop, snapshots, modal components and temporary folders. */
namespace TestHelpers
{
    /** Runs the message loop for the given time, so that asynchronous JUCE notifications arrive. */
    void pumpMessages (int milliseconds = 50);

    /** Runs the message loop until the condition holds or the time is up; returns the condition's last value. */
    bool pumpUntil (const std::function<bool()>& condition, int timeoutMilliseconds = 5000);

    /** Writes a PNG of the component (as it paints itself) to build/snapshots/<name>.png and returns that file. */
    juce::File writeSnapshot (juce::Component& component, const juce::String& name);

    /** Writes an image as build/snapshots/<name>.png and returns that file. */
    juce::File writeSnapshot (const juce::Image& image, const juce::String& name);

    /** True when the two colours differ by at most the tolerance in each channel (alpha included). */
    bool near (juce::Colour actual, juce::Colour expected, int tolerance = 2);

    /** The tree of an XML text, with a test failure when the text does not parse. */
    juce::ValueTree parse (const juce::String& xml);

    /** Renders a component into an ARGB image of its own size, for probing pixels. */
    juce::Image renderComponent (juce::Component& component);

    /**
        Ends the next modal component that is shown (an alert window, a popup menu, a file chooser),
        the way a person's click would: a timer on the message thread waits until a modal component
        is current, lets the action look at it (and, say, fill in a file name), and then calls
        exitModalState with the result. Keep the object alive while the modal loop runs.
    */
    class ModalEnder : private juce::Timer
    {
    public:
        using Action = std::function<void (juce::Component& modal)>;

        /** Ends the next modal component with result; the optional action runs on it first. */
        explicit ModalEnder (int result, Action action = nullptr, const juce::String& snapshotName = {});
        ~ModalEnder() override;

        /** True once a modal component has been ended. */
        bool hasEnded() const noexcept { return ended; }

        /** The name of the modal component that was ended (its component name or, for an alert, its title). */
        juce::String getEndedComponentName() const { return endedName; }

        /** The texts the ended component showed, when it was an alert window: title, then message. */
        juce::StringArray getAlertTexts() const { return alertTexts; }

        /** The names of the buttons of the ended alert window, in their order. */
        juce::StringArray getAlertButtons() const { return alertButtons; }

    private:
        void timerCallback() override;

        int result;
        Action action;
        juce::String snapshotName;
        bool ended = false;
        juce::String endedName;
        juce::StringArray alertTexts, alertButtons;
    };

    /**
        Runs the tests matching a gtest filter (disabled ones included) in a new process of this
        test binary, for cases that must not share the process: quitting the application stops
        the message loop for good, and some cases need another environment (a wrapper command
        such as { "unshare", "-n" } runs the child inside it). Returns the child's output; its exit
        code goes to exitCode (-1 when it could not start or did not end within the time).
    */
    juce::String runTestsInChildProcess (const juce::String& filter, int& exitCode,
                                         const juce::StringArray& wrapper = {}, int timeoutMs = 60000);

    /** A new, empty temporary folder that is deleted with this object. */
    class TemporaryFolder
    {
    public:
        TemporaryFolder();
        ~TemporaryFolder();

        const juce::File& getFolder() const noexcept { return folder; }
        juce::File getChildFile (const juce::String& name) const { return folder.getChildFile (name); }

    private:
        juce::File folder;
    };
}
