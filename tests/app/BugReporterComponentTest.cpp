#include <gtest/gtest.h>

#include "app/BugReporterComponent.h"
#include "app/MacOsXLookAndFeel.h"
#include "app/WirelaceApplication.h"
#include "support/StandInUploadService.h"

/** The panel in front of a sibling, with the application's log file. */
class BugReporter : public ::testing::Test
{
protected:
    BugReporter()
    {
        logFile.getParentDirectory().createDirectory();
        parent.addAndMakeVisible (sibling);
        parent.addAndMakeVisible (reporter);
    }

    ~BugReporter() override { juce::Logger::setCurrentLogger (nullptr), logFile.deleteFile(); }

    template <typename Type>
    Type& child (int index) { return dynamic_cast<Type&> (*reporter.getChildComponent (index)); }

    /** Fills in the panel and clicks a button (5 send, 6 cancel); expects it hidden behind its sibling with only the message cleared. */
    void click (int button, const juce::String& email, const juce::String& message, bool includeLog)
    {
        child<juce::TextEditor> (4).setText (email);
        child<juce::TextEditor> (0).setText (message);
        child<juce::Button> (1).setToggleState (includeLog, juce::sendNotification);
        reporter.setVisible (true);
        reporter.toFront (false);
        child<juce::Button> (button).triggerClick();
        ASSERT_TRUE (TestHelpers::pumpUntil ([this] { return ! reporter.isVisible(); }, 60000));
        EXPECT_EQ (parent.getIndexOfChildComponent (&reporter), 0);
        EXPECT_EQ (child<juce::TextEditor> (4).getText() + "|" + child<juce::TextEditor> (0).getText() + "|" + (child<juce::Button> (1).getToggleState() ? "log" : ""), email + "||" + (includeLog ? "log" : ""));
    }

    const juce::File logFile = WirelaceApplication::getLogRoot().getChildFile ("Wirelace/Wirelace.txt");
    MacOsXLookAndFeel lookAndFeel;
    juce::Component parent, sibling;
    BugReporterComponent reporter;
};

TEST_F (BugReporter, LaysOutItsChildrenOnWhiteCancelsKeepingTheLogAndSendsOnlyWhatWasLoggedSinceTheLastReport)
{
    juce::StringArray children;
    for (auto* c : reporter.getChildren())
        children.add (c->getName() + " " + c->getBounds().toString());
    EXPECT_EQ (children.joinIntoString (", "), "message text editor 8 72 584 277, include messages toggle button 16 365 150 24, message label 8 48 150 24, email label 8 8 56 24, "
                                               "email text editor 56 8 532 24, send button 436 365 150 24, cancel button 276 366 150 24");
    EXPECT_TRUE (child<juce::Button> (1).getToggleState());
    reporter.setLookAndFeel (&lookAndFeel);
    child<juce::TextEditor> (0).setText ("The table forgets its sort order\nafter a paste.");
    EXPECT_TRUE (TestHelpers::near (TestHelpers::renderComponent (reporter).getPixelAt (300, 40), juce::Colours::white));
    TestHelpers::writeSnapshot (reporter, "BugReporter");

    StandInUploadService service ("reply", 200, "OK");
    logFile.replaceWithText ("logged\r\n");
    click (6, "someone@example.org", "never sent", false);
    EXPECT_EQ (logFile.loadFileAsString() + service.getRecord(), "logged\r\n");

    const auto logger = WirelaceApplication::createLogger (WirelaceApplication::getLogRoot(), "Wirelace Version: 0.8.62");
    juce::Logger::setCurrentLogger (logger.get());
    juce::Logger::writeToLog ("before the first report");
    const auto firstLog = logFile.loadFileAsString();
    ASSERT_TRUE (firstLog.contains ("before the first report"));
    click (5, {}, {}, true);
    EXPECT_FALSE (logFile.exists());
    juce::Logger::writeToLog ("after the first report");
    click (5, {}, {}, true);
    const juce::String head = "/wirelace/report.php report *.report text/plain\nBug Report:\r\nFrom:\r\nMessage:\r\n\r\nLog:\r\n";
    EXPECT_EQ (service.getRecord(), head + firstLog + "\r\n\n" + head + "after the first report\r\n\r\n\n");
}

/** The service's reply (mode, status, body), whether it takes the report, the panel's fields and log file, and the report. */
struct Reply { const char *mode; int status; const char* body; bool accepted; const char *email, *message; bool includeLog; const char *log, *report; };
class BugReporterReply : public BugReporter, public ::testing::WithParamInterface<Reply> {};

TEST_P (BugReporterReply, WritesTheReportWithCrLfAndKeepsItUnlessTheServiceAnswersOkAndDropsAnIncludedLog)
{
    const auto& row = GetParam();
    StandInUploadService service (row.mode, row.status, row.body, { ServiceUpload::connectionTimeoutMs, 1000, ServiceUpload::maxReplyBytes });
    if (row.log != nullptr)
        logFile.replaceWithText (row.log);

    const auto started = juce::Time::getMillisecondCounter();
    click (5, row.email, row.message, row.includeLog);
    EXPECT_LT (juce::Time::getMillisecondCounter() - started, 20000u);
    EXPECT_EQ (service.getRecord(), juce::String (row.mode) == "none" ? "" : "/wirelace/report.php report *.report text/plain\n" + juce::String (row.report) + "\n");
    EXPECT_EQ (logFile.loadFileAsString(), row.includeLog ? "" : row.log);
    const auto kept = service.getTemporaryFiles();
    ASSERT_EQ (kept.size(), row.accepted ? 0 : 1);
    EXPECT_TRUE (row.accepted || kept[0].loadFileAsString() == row.report);
}

// A 500 with "OK" is a refusal all the same; "flood" runs into the byte bound, "trickle" into the time bound.
INSTANTIATE_TEST_SUITE_P (Replies, BugReporterReply, ::testing::Values (
    Reply { "reply", 200, "OK", true, "", "", false, "untouched\r\n", "Bug Report:\r\nFrom:\r\nMessage:\r\n" },
    Reply { "reply", 200, "OK\n", false, "me@example.org", "two\nlines", true, nullptr, "Bug Report:\r\nFrom:me@example.org\r\nMessage:two\r\nlines\r\n\r\nLog:\r\n" },
    Reply { "reply", 200, "ok", false, "", "", true, "a\r\nb\nc\rd", "Bug Report:\r\nFrom:\r\nMessage:\r\n\r\nLog:\r\na\r\nb\r\nc\r\nd\r\n" },
    Reply { "reply", 500, "OK", false, "me", "help", true, "logged\r\n", "Bug Report:\r\nFrom:me\r\nMessage:help\r\n\r\nLog:\r\nlogged\r\n\r\n" },
    Reply { "none", 0, "", false, "me", "help", true, "logged\r\n", "Bug Report:\r\nFrom:me\r\nMessage:help\r\n\r\nLog:\r\nlogged\r\n\r\n" },
    Reply { "flood", 200, "OK", false, "me", "help", true, "logged\r\n", "Bug Report:\r\nFrom:me\r\nMessage:help\r\n\r\nLog:\r\nlogged\r\n\r\n" },
    Reply { "trickle", 200, "OK", false, "me", "help", true, "logged\r\n", "Bug Report:\r\nFrom:me\r\nMessage:help\r\n\r\nLog:\r\nlogged\r\n\r\n" }));
