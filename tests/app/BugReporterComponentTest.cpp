#include <cstdlib>
#include <stdexcept>

#include <gtest/gtest.h>

#include "app/BugReporterComponent.h"
#include "app/MacOsXLookAndFeel.h"
#include "app/ServiceUpload.h"
#include "app/WirelaceApplication.h"
#include "support/StandInUploadService.h"
#include "support/TestHelpers.h"

// The bug reporter against a stand-in service: the report it writes, what it does with the log
// file, and what each kind of reply leaves behind.

namespace
{
    const juce::String threeLines = "Bug Report:\r\nFrom:\r\nMessage:\r\n";

    /** The panel in front of a sibling; reports land in a temporary folder of the test's own. */
    class BugReporterFixture : public ::testing::Test
    {
    protected:
        BugReporterFixture()
        {
            setenv ("TMPDIR", tempFolder.getFolder().getFullPathName().toRawUTF8(), 1);
            logFile.getParentDirectory().createDirectory();
            parent.addAndMakeVisible (sibling);
            parent.addAndMakeVisible (reporter);
        }

        ~BugReporterFixture() override
        {
            juce::Logger::setCurrentLogger (nullptr);
            oldTempDir.isEmpty() ? unsetenv ("TMPDIR") : setenv ("TMPDIR", oldTempDir.toRawUTF8(), 1);
            unsetenv ("WIRELACE_SERVICE_HOST");
            ServiceUpload::setBounds ({});
            logFile.deleteFile();
        }

        template <typename Type>
        Type& get (const juce::String& name)
        {
            for (auto* c : reporter.getChildren())
                if (c->getName() == name)
                    return dynamic_cast<Type&> (*c);

            throw std::runtime_error ("no child " + name.toStdString());
        }

        juce::TextEditor& email() { return get<juce::TextEditor> ("email text editor"); }
        juce::TextEditor& message() { return get<juce::TextEditor> ("message text editor"); }
        juce::Button& toggle() { return get<juce::Button> ("include messages toggle button"); }

        /** Fills in the panel, shows it and clicks the button as a person would; waits until the panel hides. */
        void click (const juce::String& button, const juce::String& emailText, const juce::String& messageText, bool includeLog)
        {
            email().setText (emailText);
            message().setText (messageText);
            toggle().setToggleState (includeLog, juce::sendNotification);
            reporter.setVisible (true);
            reporter.toFront (false);
            get<juce::Button> (button).triggerClick();
            ASSERT_TRUE (TestHelpers::pumpUntil ([this] { return ! reporter.isVisible(); }, 60000));
        }

        /** Hidden behind its sibling with the message cleared; the e-mail and the toggle kept. */
        void expectHiddenKeeping (const juce::String& emailText, bool includeLog)
        {
            EXPECT_EQ (parent.getIndexOfChildComponent (&reporter), 0);
            EXPECT_EQ (message().getText(), "");
            EXPECT_EQ (email().getText(), emailText);
            EXPECT_EQ (toggle().getToggleState(), includeLog);
        }

        juce::Array<juce::File> reportFiles() const
        {
            return tempFolder.getFolder().findChildFiles (juce::File::findFiles, false, "*.report");
        }

        const juce::String oldTempDir = juce::SystemStats::getEnvironmentVariable ("TMPDIR", {});
        TestHelpers::TemporaryFolder tempFolder;
        const juce::File logFile = WirelaceApplication::getLogRoot().getChildFile ("Wirelace/Wirelace.txt");
        MacOsXLookAndFeel lookAndFeel;
        juce::Component parent, sibling;
        BugReporterComponent reporter;
    };
}

//==============================================================================
TEST_F (BugReporterFixture, LaysOutItsNamedChildrenOnWhite)
{
    juce::StringArray children;
    for (auto* c : reporter.getChildren())
    {
        auto* button = dynamic_cast<juce::Button*> (c);
        auto* label = dynamic_cast<juce::Label*> (c);
        children.add (c->getName() + ", " + c->getBounds().toString() + ", "
                      + (button != nullptr ? button->getButtonText() : label != nullptr ? label->getText() : ""));
    }

    EXPECT_EQ (children.joinIntoString ("\n"), juce::StringArray ({ "message text editor, 8 72 584 277, ",
                                                                    "include messages toggle button, 16 365 150 24, Include Logfile",
                                                                    "message label, 8 48 150 24, Message",
                                                                    "email label, 8 8 56 24, EMail:",
                                                                    "email text editor, 56 8 532 24, ",
                                                                    "send button, 436 365 150 24, send",
                                                                    "cancel button, 276 366 150 24, Cancel" }).joinIntoString ("\n"));
    EXPECT_TRUE (toggle().getToggleState());
    EXPECT_TRUE (message().isMultiLine() && ! email().isMultiLine());

    reporter.setLookAndFeel (&lookAndFeel);
    email().setText ("someone@example.org");
    message().setText ("The table forgets its sort order\nafter a paste.");
    const auto image = TestHelpers::renderComponent (reporter);
    TestHelpers::writeSnapshot (image, "BugReporter");
    EXPECT_TRUE (TestHelpers::near (image.getPixelAt (300, 40), juce::Colours::white));
}

TEST_F (BugReporterFixture, WritesTheReportLinesWithCrLfAndTheLogOnlyWhenTheToggleIsOnAndOnlyOnce)
{
    struct Row { const char* email; const char* message; bool includeLog; const char* log; juce::String expected; };
    const Row rows[] = {
        { "", "", false, "untouched\r\n", threeLines },
        { "me@example.org", "two\nlines", true, nullptr, "Bug Report:\r\nFrom:me@example.org\r\nMessage:two\r\nlines\r\n\r\nLog:\r\n" },
        { "", "", true, "a\r\nb\nc\rd", threeLines + "\r\nLog:\r\na\r\nb\r\nc\r\nd\r\n" },
        { "", "", true, "last\r\n", threeLines + "\r\nLog:\r\nlast\r\n\r\n" },
    };
    StandInUploadService service ("reply", 200, "OK");
    setenv ("WIRELACE_SERVICE_HOST", service.getHost().toRawUTF8(), 1);

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.expected.toStdString());
        logFile.deleteFile();
        if (row.log != nullptr)
            logFile.replaceWithText (row.log, false, false, nullptr);

        click ("send button", row.email, row.message, row.includeLog);

        ASSERT_FALSE (service.getRequests().isEmpty());
        EXPECT_EQ (StandInUploadService::getPartBytes (service.getRequests().getLast()["parts"][0]).toString(), row.expected);
        EXPECT_EQ (logFile.loadFileAsString(), row.includeLog ? "" : row.log);
    }

    // A second report in the same run holds only what was logged since the first.
    const auto logger = WirelaceApplication::createLogger (WirelaceApplication::getLogRoot(), "Wirelace Version: 0.8.62");
    juce::Logger::setCurrentLogger (logger.get());
    juce::Logger::writeToLog ("before the first report");
    const auto firstLog = logFile.loadFileAsString();
    ASSERT_TRUE (firstLog.contains ("before the first report"));

    click ("send button", {}, {}, true);
    EXPECT_FALSE (logFile.exists());
    juce::Logger::writeToLog ("after the first report");
    click ("send button", {}, {}, true);

    const auto requests = service.getRequests();
    ASSERT_EQ (requests.size(), (int) std::size (rows) + 2);
    EXPECT_EQ (StandInUploadService::getPartBytes (requests[requests.size() - 2]["parts"][0]).toString(), threeLines + "\r\nLog:\r\n" + firstLog + "\r\n");
    EXPECT_EQ (StandInUploadService::getPartBytes (requests.getLast()["parts"][0]).toString(), threeLines + "\r\nLog:\r\nafter the first report\r\n\r\n");
}

TEST_F (BugReporterFixture, KeepsTheReportUnlessTheServiceAnswersOkAndAlwaysDropsTheLogAndHides)
{
    // "trickle" runs into a shortened time bound, "flood" into the byte bound; a 500 with "OK" is
    // a refusal all the same.
    struct Row { const char* mode; int status; const char* body; int timeLimitMs; bool accepted; };
    const Row rows[] = {
        { "reply", 200, "OK", 0, true },     { "reply", 200, "OK\n", 0, false },
        { "reply", 200, "ok", 0, false },    { "reply", 500, "OK", 0, false },
        { "none", 0, "", 0, false },         { "flood", 200, "", 0, false },
        { "trickle", 200, "", 1000, false },
    };
    const juce::String expected = "Bug Report:\r\nFrom:me@example.org\r\nMessage:help\r\n\r\nLog:\r\nlogged\r\n\r\n";

    for (const auto& row : rows)
    {
        SCOPED_TRACE (juce::String (row.mode) + " " + juce::String (row.status) + " " + row.body);
        StandInUploadService service (row.mode, row.status, row.body);
        setenv ("WIRELACE_SERVICE_HOST", service.getHost().toRawUTF8(), 1);
        ServiceUpload::setBounds ({ ServiceUpload::connectionTimeoutMs, row.timeLimitMs > 0 ? row.timeLimitMs : (int) ServiceUpload::replyTimeLimitMs, ServiceUpload::maxReplyBytes });
        logFile.replaceWithText ("logged\r\n", false, false, nullptr);

        const auto started = juce::Time::getMillisecondCounter();
        click ("send button", "me@example.org", "help", true);
        EXPECT_LT (juce::Time::getMillisecondCounter() - started, 20000u);

        const auto kept = reportFiles();
        ASSERT_EQ (kept.size(), row.accepted ? 0 : 1);
        EXPECT_FALSE (logFile.exists());
        expectHiddenKeeping ("me@example.org", true);

        const auto requests = service.getRequests();
        ASSERT_EQ (requests.size(), juce::String (row.mode) == "none" ? 0 : 1);
        for (const auto& request : requests)
        {
            EXPECT_EQ (request["path"].toString(), "/wirelace/report.php");
            ASSERT_EQ (request["parts"].size(), 1);
            const auto& part = request["parts"][0];
            EXPECT_EQ (part["name"].toString() + " " + part["type"].toString(), "report text/plain");
            EXPECT_TRUE (kept.isEmpty() ? part["filename"].toString().endsWith (".report") : part["filename"] == kept[0].getFileName());
            EXPECT_EQ (StandInUploadService::getPartBytes (part).toString(), expected);
        }

        for (auto& file : kept)
        {
            EXPECT_EQ (file.loadFileAsString(), expected);
            file.deleteFile();
        }
    }
}

TEST_F (BugReporterFixture, CancelHidesThePanelAndClearsOnlyTheMessage)
{
    logFile.replaceWithText ("logged\r\n", false, false, nullptr);
    click ("cancel button", "me@example.org", "never sent", false);

    expectHiddenKeeping ("me@example.org", false);
    EXPECT_TRUE (reportFiles().isEmpty());
    EXPECT_EQ (logFile.loadFileAsString(), "logged\r\n");
}
