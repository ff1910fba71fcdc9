#include <cstdlib>

#include <gtest/gtest.h>

#include "app/EditorViewInspector.h"
#include "app/ServiceUpload.h"
#include "model/ControllerDocument.h"
#include "support/TestHelpers.h"

namespace
{
    /** tests/support/stand_in_service.py in a child process, on a port the system chose; killed on destruction. */
    class StandInService
    {
    public:
        StandInService (const juce::String& mode, const juce::File& recordFile) : record (recordFile)
        {
            record.deleteFile();
            const auto script = juce::File (WIRELACE_SOURCE_DIR).getChildFile ("tests/support/stand_in_service.py");
            juce::StringArray command { "python3", script.getFullPathName(), mode };
            command.add (record.getFullPathName());
            command.add ("60"); // seconds before the service ends itself
            EXPECT_TRUE (process.start (command, juce::ChildProcess::wantStdOut));
            // The first line is the port; the pipe is read a byte at a time, as a longer read waits for all its bytes.
            juce::String line;
            char c = 0;

            while (line.length() < 10 && process.readProcessOutput (&c, 1) == 1 && c != '\n')
                line += c;

            port = line.getIntValue();
            EXPECT_GT (port, 0);
        }

        ~StandInService() { process.kill(); }

        juce::String getHost() const { return "127.0.0.1:" + juce::String (port); }

        /** The requests the service has read, each {"path", "parts": [{field, filename, contentType, text, bom}]}. */
        juce::Array<juce::var> getRequests() const
        {
            juce::Array<juce::var> requests;
            juce::StringArray lines;
            lines.addLines (record.loadFileAsString());
            lines.removeEmptyStrings();

            for (const auto& line : lines)
                requests.add (juce::JSON::parse (line));

            return requests;
        }

    private:
        juce::File record;
        juce::ChildProcess process;
        int port = 0;
    };

    /** A local port on which nothing listens, so that connecting to it is refused. */
    int getRefusingPort()
    {
        juce::StreamingSocket socket;
        EXPECT_TRUE (socket.createListener (0, "127.0.0.1"));
        const int port = socket.getBoundPort();
        socket.close();
        return port;
    }

    struct Outcome
    {
        juce::StringArray alertTexts, alertButtons;
        juce::Array<juce::var> requests;
        juce::uint32 milliseconds = 0;
        bool temporaryFilesLeft = false;
    };

    /** The step state the user sees: message strip, message lists, current index and step buttons. */
    juce::String describe (const EditorViewInspector& in)
    {
        return in.infoLabel().getText() + " | " + in.errorMessages().joinIntoString (", ") + " | "
               + juce::String (in.currentError()) + " | " + (in.previousErrorButton().isEnabled() ? "<" : "-")
               + (in.nextErrorButton().isEnabled() ? ">" : "-");
    }
}

class EditorViewValidation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The editor's temporary files go to a folder of this test alone, which must stay empty.
        ::setenv ("TMPDIR", temporaryFolder.getFolder().getFullPathName().toRawUTF8(), 1);
        ServiceUpload::setBounds ({ 1000, 2000, ServiceUpload::maxReplyBytes });
        editor.setDocument (&document);
        auto& text = in.codeDocument(); // an edit, with text that goes out as UTF-8
        text.insertText (text.getNumCharacters(), juce::String (juce::CharPointer_UTF8 ("<!-- Gr\xc3\xbc\xc3\x9f" "e -->")));
    }

    void TearDown() override
    {
        ServiceUpload::setBounds ({});
        ::unsetenv ("WIRELACE_SERVICE_HOST");

        if (previousTemporaryFolder.isNotEmpty())
            ::setenv ("TMPDIR", previousTemporaryFolder.toRawUTF8(), 1);
        else
            ::unsetenv ("TMPDIR");
    }

    /** Validates the editor's text against a stand-in service in the given mode ("refused": none listens). */
    Outcome validate (const juce::String& mode)
    {
        std::unique_ptr<StandInService> service;

        if (mode == "refused")
            ::setenv ("WIRELACE_SERVICE_HOST", ("127.0.0.1:" + juce::String (getRefusingPort())).toRawUTF8(), 1);
        else
            ::setenv ("WIRELACE_SERVICE_HOST", (service = std::make_unique<StandInService> (mode, recordFolder.getChildFile ("record.jsonl")))->getHost().toRawUTF8(), 1);

        TestHelpers::ModalEnder alert (0, nullptr, mode == "garbage" ? "editor-view-error-alert" : "");
        const auto started = juce::Time::getMillisecondCounter();
        editor.buttonClicked (&in.cloudValidatorButton());

        Outcome outcome;
        outcome.milliseconds = juce::Time::getMillisecondCounter() - started;
        outcome.alertTexts = alert.getAlertTexts();
        outcome.alertButtons = alert.getAlertButtons();
        outcome.requests = service != nullptr ? service->getRequests() : juce::Array<juce::var>();
        outcome.temporaryFilesLeft = temporaryFolder.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories) != 0;
        return outcome;
    }

    /** The caret as (line, index) at the end of a line counted from 0. */
    juce::Point<int> endOfLine (int line)
    {
        return { line, in.codeDocument().getLine (line).trimCharactersAtEnd ("\r\n").length() };
    }

    const juce::String previousTemporaryFolder { juce::SystemStats::getEnvironmentVariable ("TMPDIR", {}) };
    TestHelpers::TemporaryFolder recordFolder, temporaryFolder;
    ControllerDocument document;
    EditorViewComponent editor;
    EditorViewInspector in { editor };
};

TEST_F (EditorViewValidation, UploadsTheTextAndStepsThroughTheMessagesOfTheReply)
{
    const auto lastLine = in.codeDocument().getNumLines() - 1;
    const auto withoutMarker = "error : controller lacks id";
    const struct { const char* mode; const char* step; juce::String shown; juce::Point<int> caret; } rows[] =
    {
        { "three", "",     withoutMarker + juce::String (" | error : controller lacks id,  : , warning : past the end | 0 | ->"), endOfLine (4) },
        { "",      "next", " :  | error : controller lacks id,  : , warning : past the end | 1 | <>", endOfLine (0) },
        { "",      "next", "warning : past the end | error : controller lacks id,  : , warning : past the end | 2 | <-", endOfLine (lastLine) },
        { "",      "prev", " :  | error : controller lacks id,  : , warning : past the end | 1 | <>", endOfLine (0) },
        { "one",   "",     "T : X | T : X | 0 | --", endOfLine (11) },
        { "none",  "",     "no errors found. |  | 0 | --", endOfLine (11) }, // the caret stays
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (juce::String (row.mode) + row.step);

        if (juce::String (row.step) == "next")
            editor.buttonClicked (&in.nextErrorButton());
        else if (juce::String (row.step) == "prev")
            editor.buttonClicked (&in.previousErrorButton());
        else
        {
            const auto outcome = validate (row.mode);
            EXPECT_TRUE (outcome.alertTexts.isEmpty()) << outcome.alertTexts.joinIntoString ("\n");
            EXPECT_FALSE (outcome.temporaryFilesLeft);
            ASSERT_EQ (outcome.requests.size(), 1);

            const auto request = outcome.requests.getFirst();
            EXPECT_EQ (request["path"].toString(), "/wirelace/validate.php");
            ASSERT_EQ (request["parts"].size(), 1);

            const auto part = request["parts"][0];
            EXPECT_EQ (part["field"].toString(), "mappingfile");
            EXPECT_EQ (part["contentType"].toString(), "text/xml");
            EXPECT_EQ (part["text"].toString(), in.codeDocument().getAllContent());
            EXPECT_FALSE ((bool) part["bom"]);
            EXPECT_TRUE (part["filename"].toString().endsWith ("mapping"));
        }

        EXPECT_EQ (describe (in), row.shown);
        EXPECT_EQ (in.caret(), row.caret);
        EXPECT_TRUE (in.codeEditor().getHighlightedRegion().isEmpty());
    }

    TestHelpers::pumpMessages (100);
    TestHelpers::writeSnapshot (editor, "editor-view-no-errors");
}

TEST_F (EditorViewValidation, AReplyThatCannotBeReadShowsAnErrorAndKeepsThePreviousList)
{
    validate ("three");
    editor.buttonClicked (&in.nextErrorButton());
    const auto before = describe (in);
    ASSERT_EQ (before, " :  | error : controller lacks id,  : , warning : past the end | 1 | <>");
    TestHelpers::pumpMessages (100);
    TestHelpers::writeSnapshot (editor, "editor-view-second-message");

    const struct { const char* mode; const char* alert; bool reachesService; } rows[] =
    {
        { "garbage", "No XML element found",   true },
        { "refused", "not enough input",  false },
        { "slow",    "not enough input",  true },  // the client gives up long before the reply
        { "endless", "not enough input",  true },  // cut off at the size bound
        { "trickle", "not enough input",  true },  // cut off at the time bound
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.mode);
        const auto outcome = validate (row.mode);
        EXPECT_EQ (outcome.alertTexts.joinIntoString ("|"), "Error|" + juce::String (row.alert));
        EXPECT_EQ (outcome.alertButtons.joinIntoString ("|"), "OK");
        EXPECT_EQ (outcome.requests.size(), row.reachesService ? 1 : 0);
        EXPECT_FALSE (outcome.temporaryFilesLeft);
        EXPECT_LT (outcome.milliseconds, 20000u);
        EXPECT_EQ (describe (in), before);
    }

    validate ("three"); // the same text gives the same list
    EXPECT_EQ (describe (in), "error : controller lacks id | error : controller lacks id,  : , warning : past the end | 0 | ->");
}
