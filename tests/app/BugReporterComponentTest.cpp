#include <cstdlib>
#include <optional>
#include <string>

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

    class BugReporterFixture : public ::testing::Test
    {
    protected:
        BugReporterFixture()
        {
            // Reports land in this test's own temporary folder, so every "*.report" there is ours.
            if (const char* old = std::getenv ("TMPDIR"))
                oldTempDir = old;

            setenv ("TMPDIR", tempFolder.getFolder().getFullPathName().toRawUTF8(), 1);
            logFile.getParentDirectory().createDirectory();
            parent.setSize (600, 400);
            parent.addAndMakeVisible (sibling);
            parent.addAndMakeVisible (reporter);
        }

        ~BugReporterFixture() override
        {
            juce::Logger::setCurrentLogger (nullptr);
            oldTempDir ? setenv ("TMPDIR", oldTempDir->c_str(), 1) : unsetenv ("TMPDIR");
            unsetenv ("WIRELACE_SERVICE_HOST");
            ServiceUpload::setReplyTimeLimitMs (0);
            logFile.deleteFile();
        }

        template <typename Type>
        Type& child (const juce::String& name)
        {
            for (auto* c : reporter.getChildren())
                if (c->getName() == name)
                    if (auto* typed = dynamic_cast<Type*> (c))
                        return *typed;

            throw std::runtime_error ("no child " + name.toStdString());
        }

        /** Shows the panel, clicks the button as a person would and waits until the panel hides. */
        void clickAndWait (const juce::String& buttonName)
        {
            reporter.setVisible (true);
            reporter.toFront (false);
            child<juce::Button> (buttonName).triggerClick();
            ASSERT_TRUE (TestHelpers::pumpUntil ([this] { return ! reporter.isVisible(); }, 60000));
        }

        void fill (const juce::String& email, const juce::String& message, bool includeLog)
        {
            child<juce::TextEditor> ("email text editor").setText (email);
            child<juce::TextEditor> ("message text editor").setText (message);
            child<juce::Button> ("include messages toggle button").setToggleState (includeLog, juce::sendNotification);
        }

        juce::Array<juce::File> reportFiles() const
        {
            return tempFolder.getFolder().findChildFiles (juce::File::findFiles, false, "*.report");
        }

        TestHelpers::TemporaryFolder tempFolder;
        std::optional<std::string> oldTempDir;
        const juce::File logFile { WirelaceApplication::getLogRoot().getChildFile ("Wirelace/Wirelace.txt") };
        MacOsXLookAndFeel lookAndFeel;
        juce::Component parent, sibling;
        BugReporterComponent reporter;
    };
}

//==============================================================================
TEST_F (BugReporterFixture, LaysOutItsNamedChildrenOnWhite)
{
    struct Row { const char* name; juce::Rectangle<int> bounds; const char* text; };
    const Row rows[] = {
        { "message text editor", { 8, 72, 584, 277 }, "" },
        { "include messages toggle button", { 16, 365, 150, 24 }, "Include Logfile" },
        { "message label", { 8, 48, 150, 24 }, "Message" },
        { "email label", { 8, 8, 56, 24 }, "EMail:" },
        { "email text editor", { 56, 8, 532, 24 }, "" },
        { "send button", { 436, 365, 150, 24 }, "send" },
        { "cancel button", { 276, 366, 150, 24 }, "Cancel" },
    };

    ASSERT_EQ (reporter.getNumChildComponents(), (int) std::size (rows));

    for (int i = 0; i < (int) std::size (rows); ++i)
    {
        SCOPED_TRACE (rows[i].name);
        auto* c = reporter.getChildComponent (i);
        EXPECT_EQ (c->getName(), rows[i].name);
        EXPECT_EQ (c->getBounds(), rows[i].bounds);

        if (auto* button = dynamic_cast<juce::Button*> (c))
            EXPECT_EQ (button->getButtonText(), rows[i].text);
        else if (auto* label = dynamic_cast<juce::Label*> (c))
            EXPECT_EQ (label->getText(), rows[i].text);
        else
            EXPECT_EQ (dynamic_cast<juce::TextEditor&> (*c).getText(), rows[i].text);
    }

    EXPECT_TRUE (child<juce::Button> ("include messages toggle button").getToggleState());
    EXPECT_TRUE (child<juce::TextEditor> ("message text editor").isMultiLine());
    EXPECT_FALSE (child<juce::TextEditor> ("email text editor").isMultiLine());

    reporter.setLookAndFeel (&lookAndFeel);
    fill ("someone@example.org", "The table forgets its sort order\nafter a paste.", true);
    const auto image = TestHelpers::renderComponent (reporter);
    TestHelpers::writeSnapshot (image, "BugReporter");
    EXPECT_TRUE (TestHelpers::near (image.getPixelAt (300, 40), juce::Colours::white));

    bool labelTextIsDark = false; // "EMail:" in black on the white panel
    for (int y = 8; y < 32; ++y)
        for (int x = 8; x < 56; ++x)
            labelTextIsDark = labelTextIsDark || image.getPixelAt (x, y).getBrightness() < 0.3f;
    EXPECT_TRUE (labelTextIsDark);
}

TEST_F (BugReporterFixture, WritesTheReportLinesWithCrLfAndTheLogOnlyWhenTheToggleIsOn)
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

        fill (row.email, row.message, row.includeLog);
        clickAndWait ("send button");

        const auto requests = service.getRequests();
        ASSERT_FALSE (requests.isEmpty());
        EXPECT_EQ (StandInUploadService::getPartBytes (requests.getLast()["parts"][0]).toString(), row.expected);
        EXPECT_EQ (logFile.existsAsFile(), ! row.includeLog && row.log != nullptr);

        if (! row.includeLog)
        {
            EXPECT_EQ (logFile.loadFileAsString(), row.log);
        }
    }
}

TEST_F (BugReporterFixture, ASecondReportHoldsOnlyWhatWasLoggedSinceTheFirst)
{
    StandInUploadService service ("reply", 200, "OK");
    setenv ("WIRELACE_SERVICE_HOST", service.getHost().toRawUTF8(), 1);
    const auto logger = WirelaceApplication::createLogger (WirelaceApplication::getLogRoot(), "Wirelace Version: 0.8.62");
    juce::Logger::setCurrentLogger (logger.get());
    juce::Logger::writeToLog ("before the first report");
    const auto firstLog = logFile.loadFileAsString();

    clickAndWait ("send button");
    EXPECT_FALSE (logFile.exists());
    juce::Logger::writeToLog ("after the first report");
    clickAndWait ("send button");

    const auto requests = service.getRequests();
    ASSERT_EQ (requests.size(), 2);
    EXPECT_TRUE (firstLog.contains ("before the first report"));
    EXPECT_EQ (StandInUploadService::getPartBytes (requests[0]["parts"][0]).toString(), threeLines + "\r\nLog:\r\n" + firstLog + "\r\n");
    EXPECT_EQ (StandInUploadService::getPartBytes (requests[1]["parts"][0]).toString(), threeLines + "\r\nLog:\r\nafter the first report\r\n\r\n");
}

TEST_F (BugReporterFixture, KeepsTheReportUnlessTheServiceAnswersOkAndAlwaysDropsTheLogHidesAndClearsTheMessage)
{
    // "none" posts to a port that nobody listens on; "trickle" runs into a shortened time bound,
    // "flood" into the byte bound. A 500 with "OK" is a refusal all the same.
    struct Row { const char* mode; int status; const char* body; int timeLimitMs; bool accepted; };
    const Row rows[] = {
        { "reply", 200, "OK", 0, true },
        { "reply", 200, "OK\n", 0, false },
        { "reply", 200, "ok", 0, false },
        { "reply", 500, "OK", 0, false },
        { "none", 0, "", 0, false },
        { "flood", 200, "", 0, false },
        { "trickle", 200, "", 1000, false },
    };
    const juce::String expected = "Bug Report:\r\nFrom:me@example.org\r\nMessage:help\r\n\r\nLog:\r\nlogged\r\n\r\n";

    for (const auto& row : rows)
    {
        SCOPED_TRACE (juce::String (row.mode) + " " + juce::String (row.status) + " " + row.body);
        std::optional<StandInUploadService> service;
        juce::String host;

        if (juce::String (row.mode) != "none")
            host = service.emplace (row.mode, row.status, row.body).getHost();
        else
        {
            juce::StreamingSocket unused;
            unused.createListener (0, "127.0.0.1");
            host = "127.0.0.1:" + juce::String (unused.getBoundPort());
        }

        setenv ("WIRELACE_SERVICE_HOST", host.toRawUTF8(), 1);
        ServiceUpload::setReplyTimeLimitMs (row.timeLimitMs);
        logFile.replaceWithText ("logged\r\n", false, false, nullptr);
        fill ("me@example.org", "help", true);

        const auto started = juce::Time::getMillisecondCounter();
        clickAndWait ("send button");
        EXPECT_LT (juce::Time::getMillisecondCounter() - started, 20000u);

        const auto kept = reportFiles();
        ASSERT_EQ (kept.size(), row.accepted ? 0 : 1);
        if (! row.accepted)
        {
            EXPECT_EQ (kept[0].loadFileAsString(), expected);
        }

        EXPECT_FALSE (logFile.exists());
        EXPECT_EQ (parent.getIndexOfChildComponent (&reporter), 0);
        EXPECT_EQ (child<juce::TextEditor> ("message text editor").getText(), "");
        EXPECT_EQ (child<juce::TextEditor> ("email text editor").getText(), "me@example.org");
        EXPECT_TRUE (child<juce::Button> ("include messages toggle button").getToggleState());

        if (service)
        {
            const auto requests = service->getRequests();
            ASSERT_EQ (requests.size(), 1);
            EXPECT_EQ (requests[0]["path"].toString(), "/wirelace/report.php");
            ASSERT_EQ (requests[0]["parts"].size(), 1);
            const auto& part = requests[0]["parts"][0];
            EXPECT_EQ (part["name"].toString(), "report");
            EXPECT_TRUE (part["filename"].toString().endsWith (".report"));
            EXPECT_EQ (part["type"].toString(), "text/plain");
            EXPECT_EQ (StandInUploadService::getPartBytes (part).toString(), expected);

            if (! row.accepted)
            {
                EXPECT_EQ (part["filename"].toString(), kept[0].getFileName());
            }
        }

        for (auto& file : kept)
            file.deleteFile();
    }
}

TEST_F (BugReporterFixture, CancelHidesThePanelAndClearsOnlyTheMessage)
{
    logFile.replaceWithText ("logged\r\n", false, false, nullptr);
    fill ("me@example.org", "never sent", false);
    clickAndWait ("cancel button");

    EXPECT_EQ (parent.getIndexOfChildComponent (&reporter), 0);
    EXPECT_EQ (child<juce::TextEditor> ("message text editor").getText(), "");
    EXPECT_EQ (child<juce::TextEditor> ("email text editor").getText(), "me@example.org");
    EXPECT_FALSE (child<juce::Button> ("include messages toggle button").getToggleState());
    EXPECT_TRUE (reportFiles().isEmpty());
    EXPECT_EQ (logFile.loadFileAsString(), "logged\r\n");
}
