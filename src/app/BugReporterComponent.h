#pragma once

#include <memory>

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The panel in which the user writes an e-mail address and a message and sends them, with the
    log file if the toggle is on, to the service's bug-report endpoint. The main view owns one as
    a full-size overlay, hidden at start, and shows or hides it from outside; Cancel and every
    send hide it again.
*/
class BugReporterComponent : public juce::Component,
                             public juce::Button::Listener
{
public:
    BugReporterComponent();
    ~BugReporterComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void buttonClicked (juce::Button*) override;

    /**
        Writes the report (the e-mail, the message and, with the toggle on, the log file's lines,
        every line ended by CR LF) into a new temporary file that only its owner may read or
        write, deletes the log file once it is in the report, and uploads the report
        synchronously. The temporary file is deleted only when the service answers "OK";
        otherwise it stays, and nothing is said. Then the panel hides and the message is cleared.
    */
    void sendReport();

private:
    void writeAndUploadReport (const juce::File& report);

    std::unique_ptr<juce::TextEditor> messageEditor;
    std::unique_ptr<juce::ToggleButton> includeLogToggle;
    std::unique_ptr<juce::Label> messageLabel;
    std::unique_ptr<juce::Label> emailLabel;
    std::unique_ptr<juce::TextEditor> emailEditor;
    std::unique_ptr<juce::TextButton> sendButton;
    std::unique_ptr<juce::TextButton> cancelButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BugReporterComponent)
};
