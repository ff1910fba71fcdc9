#include "app/BugReporterComponent.h"

#include "app/ServiceUpload.h"
#include "app/WirelaceApplication.h"

#if JUCE_LINUX || JUCE_BSD || JUCE_MAC
 #include <fcntl.h>
 #include <unistd.h>
#endif

namespace
{
    void setUpLabel (juce::Label& label)
    {
        label.setFont (juce::Font (15.0f, juce::Font::plain));
        label.setJustificationType (juce::Justification::centredLeft);
        label.setEditable (false, false, false);
        label.setColour (juce::TextEditor::textColourId, juce::Colours::black);
        label.setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00000000));
    }

    void setUpEditor (juce::TextEditor& editor, bool multiLine)
    {
        editor.setMultiLine (multiLine, true);
        editor.setReturnKeyStartsNewLine (multiLine);
        editor.setReadOnly (false);
        editor.setScrollbarsShown (true);
        editor.setCaretVisible (true);
        editor.setPopupMenuEnabled (true);
        editor.setText ({});
    }

    /** The file that the application's logger writes. */
    juce::File getLogFile()
    {
        return juce::File (WirelaceApplication::getLogRoot().getFullPathName() + "/Wirelace/Wirelace.txt");
    }

    /**
        Creates the new, empty report file readable and writable by its owner only: the report
        holds the user's e-mail, message and log, and a report that is not accepted stays in the
        shared temporary folder. The file is made with that mode at once (and must not exist
        yet), so nobody else can open it even before its first byte is written.
    */
    bool createPrivateFile (const juce::File& file)
    {
       #if JUCE_LINUX || JUCE_BSD || JUCE_MAC
        const auto handle = ::open (file.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);

        if (handle < 0)
            return false;

        ::close (handle);
        return true;
       #else
        return ! file.exists() && file.create().wasOk();
       #endif
    }

    /** The service took the report only when it answered "OK", exactly, with a success status. */
    bool isAccepted (const juce::String& reply, int statusCode)
    {
        return statusCode >= 200 && statusCode < 300 && reply == "OK";
    }
}

BugReporterComponent::BugReporterComponent()
{
    messageEditor = std::make_unique<juce::TextEditor> ("message text editor");
    addAndMakeVisible (messageEditor.get());
    setUpEditor (*messageEditor, true);

    includeLogToggle = std::make_unique<juce::ToggleButton> ("include messages toggle button");
    addAndMakeVisible (includeLogToggle.get());
    includeLogToggle->setButtonText ("Include Logfile");
    includeLogToggle->addListener (this);
    includeLogToggle->setToggleState (true, juce::dontSendNotification);

    messageLabel = std::make_unique<juce::Label> ("message label", "Message");
    addAndMakeVisible (messageLabel.get());
    setUpLabel (*messageLabel);

    emailLabel = std::make_unique<juce::Label> ("email label", "EMail:");
    addAndMakeVisible (emailLabel.get());
    setUpLabel (*emailLabel);

    emailEditor = std::make_unique<juce::TextEditor> ("email text editor");
    addAndMakeVisible (emailEditor.get());
    setUpEditor (*emailEditor, false);

    // When the reporter is shown the focus goes to the e-mail field at the top, then to the message.
    emailEditor->setExplicitFocusOrder (1);
    messageEditor->setExplicitFocusOrder (2);

    sendButton = std::make_unique<juce::TextButton> ("send button");
    addAndMakeVisible (sendButton.get());
    sendButton->setButtonText ("send");
    sendButton->addListener (this);

    cancelButton = std::make_unique<juce::TextButton> ("cancel button");
    addAndMakeVisible (cancelButton.get());
    cancelButton->setButtonText ("Cancel");
    cancelButton->addListener (this);

    setSize (600, 400);
}

BugReporterComponent::~BugReporterComponent() = default;

void BugReporterComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::white);
}

void BugReporterComponent::resized()
{
    const auto w = getWidth();
    const auto h = getHeight();

    messageEditor->setBounds (8, 72, w - 16, h - 123);
    includeLogToggle->setBounds (16, h - 35, 150, 24);
    messageLabel->setBounds (8, 48, 150, 24);
    emailLabel->setBounds (8, 8, 56, 24);
    emailEditor->setBounds (56, 8, w - 68, 24);
    sendButton->setBounds (w - 164, h - 35, 150, 24);
    cancelButton->setBounds (w - 324, h - 34, 150, 24);
}

void BugReporterComponent::buttonClicked (juce::Button* button)
{
    if (button == sendButton.get())
    {
        sendReport();
    }
    else if (button == cancelButton.get())
    {
        toBack();
        setVisible (false);
        messageEditor->setText ({}, true);
    }
}

void BugReporterComponent::sendReport()
{
    // Nothing is written where others could read it; when the private file cannot be made, the
    // report fails silently, like any failed report.
    if (const auto report = juce::File::createTempFile ("report"); createPrivateFile (report))
        writeAndUploadReport (report);

    toBack();
    setVisible (false);
    messageEditor->setText ({}, true);
}

void BugReporterComponent::writeAndUploadReport (const juce::File& report)
{
    const auto append = [&report] (const juce::String& text) { report.appendText (text, false, false); };

    append ("Bug Report:\r\n");
    append ("From:" + emailEditor->getText() + "\r\n");
    append ("Message:" + messageEditor->getText() + "\r\n");

    if (includeLogToggle->getToggleState())
    {
        append ("\r\nLog:\r\n");

        // The logger opens the file anew for each message, so the next one starts a new log.
        const auto logFile = getLogFile();
        juce::StringArray lines;
        logFile.readLines (lines);

        for (const auto& line : lines)
            append (line + "\r\n");

        logFile.deleteFile();
    }

    // A refused or failed upload leaves the report in the temporary folder and says nothing.
    int statusCode = 0;
    const auto reply = ServiceUpload::uploadFile ("/wirelace/report.php", "report", report, "text/plain", &statusCode);

    if (isAccepted (reply, statusCode))
        report.deleteFile();
}
