#include "app/BugReporterComponent.h"
#include "app/MacOsXLookAndFeel.h"
#include "app/WirelaceApplication.h"
#include "support/PixelProbes.h"
#include "support/StandInUploadService.h"

/** The service's reply (mode, status, body) and whether it takes the report; the button, the panel's fields and the log file; the report. */
struct Reply { const char* mode; int status; const char* body; bool accepted; int button; const char *email, *message; bool includeLog; const char *log, *report; };

/** The panel in front of a sibling, and the application's log file. */
class BugReporter : public ::testing::TestWithParam<Reply>
{
protected:
    BugReporter()
    {
        logFile.getParentDirectory().createDirectory();
        parent.addAndMakeVisible (sibling);
        parent.addAndMakeVisible (reporter);
    }

    ~BugReporter() override { juce::Logger::setCurrentLogger (nullptr); logFile.deleteFile(); }

    /** Fills in the panel and clicks a button (5 send, 6 cancel); expects it hidden behind its sibling with only the message cleared. */
    void click (int button, const juce::String& email, const juce::String& message, bool includeLog)
    {
        child<juce::TextEditor> (4).setText (email);
        child<juce::TextEditor> (0).setText (message);
        child<juce::Button> (1).setToggleState (includeLog, juce::dontSendNotification);
        reporter.setVisible (true);
        reporter.toFront (false);
        reporter.buttonClicked (&child<juce::Button> (button));
        EXPECT_EQ (juce::String (parent.getIndexOfChildComponent (&reporter)) + (reporter.isVisible() ? " shown " : " hidden ") + child<juce::TextEditor> (4).getText() + "|" + child<juce::TextEditor> (0).getText() + "|" + (child<juce::Button> (1).getToggleState() ? "log" : ""),
                   "0 hidden " + email + "||" + (includeLog ? "log" : ""));
    }

    template <typename Type>
    Type& child (int index) { return dynamic_cast<Type&> (*reporter.getChildComponent (index)); } // 0 message, 1 log toggle, 4 e-mail

    const juce::File logFile = WirelaceApplication::getLogRoot().getChildFile ("Wirelace/Wirelace.txt");
    MacOsXLookAndFeel lookAndFeel;
    juce::Component parent, sibling;
    BugReporterComponent reporter;
};

TEST_F (BugReporter, DrawsItsChildrenOnWhiteAndSendsOnlyWhatWasLoggedSinceTheLastReport)
{
    reporter.setLookAndFeel (&lookAndFeel);
    child<juce::TextEditor> (0).setText ("The table forgets its sort order\nafter a paste.");
    // White, the frames of the e-mail and message fields, the log toggle (on at the start), Cancel and send.
    TestHelpers::expectPixels (TestHelpers::renderComponent (reporter), { { 300, 40, 0xffffffff }, { 56, 20, 0xffd5d5d5 }, { 8, 200, 0xffd5d5d5 }, { 591, 200, 0xffd5d5d5 }, { 20, 377, 0xff8181b4 }, { 350, 377, 0xffc8c8ff }, { 510, 377, 0xffcbcbff } });
    TestHelpers::writeSnapshot (reporter, "BugReporter");

    StandInUploadService service ("reply", 200, "OK");
    const auto logger = WirelaceApplication::createLogger (WirelaceApplication::getLogRoot(), "Wirelace Version: 0.8.62");
    juce::Logger::setCurrentLogger (logger.get());
    const auto firstLog = logFile.loadFileAsString();
    click (5, {}, {}, true);
    juce::Logger::writeToLog ("since the first report");
    click (5, {}, {}, true);
    const juce::String head = "/wirelace/report.php report *.report text/plain\nBug Report:\r\nFrom:\r\nMessage:\r\n\r\nLog:\r\n";
    EXPECT_EQ (service.getRecord(), head + firstLog + "\r\n\n" + head + "since the first report\r\n\r\n\n");
    EXPECT_TRUE (firstLog.contains ("Wirelace Version: 0.8.62"));
}

TEST_P (BugReporter, WritesTheReportWithCrLfAndKeepsItUnlessTheServiceAnswersOkAndDropsAnIncludedLog)
{
    const auto& row = GetParam();
    StandInUploadService service (row.mode, row.status, row.body, { ServiceUpload::connectionTimeoutMs, 1000, ServiceUpload::maxReplyBytes });
    if (row.log != nullptr)
        logFile.replaceWithText (row.log);

    click (row.button, row.email, row.message, row.includeLog);
    const auto kept = service.temporaryFolder.getFolder().findChildFiles (juce::File::findFilesAndDirectories, false);
    EXPECT_EQ (service.getRecord(), juce::String (row.mode) == "none" || row.button == 6 ? "" : "/wirelace/report.php report *.report text/plain\n" + juce::String (row.report) + "\n");
    EXPECT_EQ (logFile.loadFileAsString() + "|" + juce::String (kept.size()) + (kept.isEmpty() ? "" : " " + kept[0].loadFileAsString()), juce::String (row.includeLog ? "" : row.log) + "|" + (row.accepted ? "0" : "1 " + juce::String (row.report)));
}

// Cancel sends nothing and keeps the log. A 500 with "OK" is a refusal all the same; "flood" runs into the byte bound, "trickle" into the time bound.
INSTANTIATE_TEST_SUITE_P (Replies, BugReporter, ::testing::Values (
    Reply { "reply", 200, "OK", true, 6, "me", "never sent", false, "logged\r\n", "" },
    Reply { "reply", 200, "OK", true, 5, "", "", false, "untouched\r\n", "Bug Report:\r\nFrom:\r\nMessage:\r\n" },
    Reply { "reply", 200, "OK\n", false, 5, "me@example.org", "two\nlines", true, nullptr, "Bug Report:\r\nFrom:me@example.org\r\nMessage:two\r\nlines\r\n\r\nLog:\r\n" },
    Reply { "reply", 200, "ok", false, 5, "", "", true, "a\r\nb\nc\rd", "Bug Report:\r\nFrom:\r\nMessage:\r\n\r\nLog:\r\na\r\nb\r\nc\r\nd\r\n" },
    Reply { "reply", 500, "OK", false, 5, "me", "help", true, "logged\r\n", "Bug Report:\r\nFrom:me\r\nMessage:help\r\n\r\nLog:\r\nlogged\r\n\r\n" },
    Reply { "none", 0, "", false, 5, "me", "help", true, "logged\r\n", "Bug Report:\r\nFrom:me\r\nMessage:help\r\n\r\nLog:\r\nlogged\r\n\r\n" },
    Reply { "flood", 200, "OK", false, 5, "me", "help", true, "logged\r\n", "Bug Report:\r\nFrom:me\r\nMessage:help\r\n\r\nLog:\r\nlogged\r\n\r\n" },
    Reply { "trickle", 200, "OK", false, 5, "me", "help", true, "logged\r\n", "Bug Report:\r\nFrom:me\r\nMessage:help\r\n\r\nLog:\r\nlogged\r\n\r\n" }));
