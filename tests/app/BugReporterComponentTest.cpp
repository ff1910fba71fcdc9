#include <filesystem>

#include "app/BugReporterComponent.h"
#include "app/MacOsXLookAndFeel.h"
#include "app/WirelaceApplication.h"
#include "support/PixelProbes.h"
#include "support/StandInUploadService.h"

/** The service's reply (mode, status, body) and whether it takes the report; the button, the panel's fields and the log file; the report. */
struct Reply { const char* mode; int status; const char* body; bool accepted; int button; const char *email, *message; bool includeLog; const char *log, *report; friend void PrintTo (const Reply& r, std::ostream* os) { *os << (r.button == 6 ? "Cancel" : r.mode) << " " << r.status << " " << juce::String (r.body).quoted(); } };

/** The panel and the application's log file. */
class BugReporter : public ::testing::TestWithParam<Reply>
{
protected:
    BugReporter() { logFile.getParentDirectory().createDirectory(); }
    ~BugReporter() override { logFile.deleteFile(); }

    const juce::File logFile = WirelaceApplication::getLogRoot().getChildFile ("Wirelace/Wirelace.txt");
    MacOsXLookAndFeel lookAndFeel;
    BugReporterComponent reporter;
    juce::TextEditor &message = dynamic_cast<juce::TextEditor&> (*reporter.getChildComponent (0)), &email = dynamic_cast<juce::TextEditor&> (*reporter.getChildComponent (4));
    juce::Button& toggle = dynamic_cast<juce::Button&> (*reporter.getChildComponent (1));
};

TEST_F (BugReporter, DrawsItsFieldFramesTheLogToggleOnAndItsButtonsOnWhite)
{
    reporter.setLookAndFeel (&lookAndFeel);
    TestHelpers::expectPixels (TestHelpers::renderComponent (reporter), { { 300, 40, 0xffffffff }, { 56, 20, 0xffd5d5d5 }, { 8, 200, 0xffd5d5d5 }, { 591, 200, 0xffd5d5d5 }, { 24, 377, 0xff000000 }, { 350, 377, 0xffc8c8ff }, { 510, 377, 0xffcbcbff } });
    TestHelpers::writeSnapshot (reporter, "BugReporter");
}

TEST_P (BugReporter, WritesTheReportWithCrLfKeepsItUnlessTheServiceAnswersOkDropsAnIncludedLogAndHides)
{
    const auto& row = GetParam();
    StandInUploadService service (row.mode, row.status, row.body, { ServiceUpload::connectionTimeoutMs, 1000, ServiceUpload::maxReplyBytes });
    if (row.log != nullptr)
        logFile.replaceWithText (row.log);

    email.setText (row.email);
    message.setText (row.message);
    toggle.setToggleState (row.includeLog, juce::dontSendNotification);
    juce::Component parent, sibling;
    parent.addAndMakeVisible (sibling);
    parent.addAndMakeVisible (reporter); // in front
    reporter.buttonClicked (dynamic_cast<juce::Button*> (reporter.getChildComponent (row.button)));

    // Hidden behind its sibling with only the message cleared; the report sent, kept unless taken, and the log dropped once in a report.
    const auto kept = service.temporaryFolder.getFolder().findChildFiles (juce::File::findFilesAndDirectories, false);
    EXPECT_EQ (juce::String (parent.getIndexOfChildComponent (&reporter)) + (reporter.isVisible() ? " shown " : " hidden ") + email.getText() + "|" + message.getText() + "|" + (toggle.getToggleState() ? "log" : ""), "0 hidden " + juce::String (row.email) + "||" + (row.includeLog ? "log" : ""));
    EXPECT_EQ (service.getRecord(), juce::String (row.mode) == "none" || row.button == 6 ? "" : "/wirelace/report.php report *.report text/plain\n" + juce::String (row.report) + "\n");
    EXPECT_EQ (logFile.loadFileAsString() + "|" + juce::String (kept.size()) + (kept.isEmpty() ? "" : " " + kept[0].loadFileAsString()), juce::String (row.includeLog ? "" : row.log) + "|" + (row.accepted ? "0" : "1 " + juce::String (row.report)));
    for (const auto& file : kept) // the e-mail, message and log stay private in the shared temporary folder
        EXPECT_EQ ((int) std::filesystem::status (file.getFullPathName().toStdString()).permissions(), 0600);
}

// Cancel (6) sends nothing and keeps the log. A 500 with "OK" is a refusal all the same; "flood" runs into the byte bound, "trickle" into the time bound.
// A redirect is a refusal too: its target, which would answer "OK", is never asked.
INSTANTIATE_TEST_SUITE_P (Replies, BugReporter, ::testing::Values (
    Reply { "reply", 200, "OK", true, 6, "me", "never sent", false, "logged\r\n", "" },
    Reply { "reply", 200, "OK", true, 5, "", "", false, "untouched\r\n", "Bug Report:\r\nFrom:\r\nMessage:\r\n" },
    Reply { "reply", 200, "OK\n", false, 5, "me@example.org", "two\nlines", true, nullptr, "Bug Report:\r\nFrom:me@example.org\r\nMessage:two\r\nlines\r\n\r\nLog:\r\n" },
    Reply { "reply", 200, "ok", false, 5, "", "", true, "a\r\nb\nc\rd", "Bug Report:\r\nFrom:\r\nMessage:\r\n\r\nLog:\r\na\r\nb\r\nc\r\nd\r\n" },
    Reply { "reply", 500, "OK", false, 5, "me", "help", true, "logged\r\n", "Bug Report:\r\nFrom:me\r\nMessage:help\r\n\r\nLog:\r\nlogged\r\n\r\n" },
    Reply { "none", 0, "", false, 5, "me", "help", true, "logged\r\n", "Bug Report:\r\nFrom:me\r\nMessage:help\r\n\r\nLog:\r\nlogged\r\n\r\n" },
    Reply { "flood", 200, "OK", false, 5, "me", "help", true, "logged\r\n", "Bug Report:\r\nFrom:me\r\nMessage:help\r\n\r\nLog:\r\nlogged\r\n\r\n" },
    Reply { "trickle", 200, "OK", false, 5, "me", "help", true, "logged\r\n", "Bug Report:\r\nFrom:me\r\nMessage:help\r\n\r\nLog:\r\nlogged\r\n\r\n" },
    Reply { "redirect", 302, "", false, 5, "me", "help", false, "logged\r\n", "Bug Report:\r\nFrom:me\r\nMessage:help\r\n" },
    Reply { "redirect", 303, "", false, 5, "me", "help", false, "logged\r\n", "Bug Report:\r\nFrom:me\r\nMessage:help\r\n" },
    Reply { "redirect", 307, "OK", false, 5, "me", "help", false, "logged\r\n", "Bug Report:\r\nFrom:me\r\nMessage:help\r\n" }));
