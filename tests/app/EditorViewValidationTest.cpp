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

    void setEnvironment (const char* name, const juce::String& value)
    {
        if (value.isEmpty())
            ::unsetenv (name);
        else
            ::setenv (name, value.toRawUTF8(), 1);
    }
}

class EditorViewValidation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The editor's temporary files go to a folder of this test alone, which must stay empty.
        setEnvironment ("TMPDIR", temporaryFolder.getFolder().getFullPathName());
        ServiceUpload::setBounds ({ 1000, 2000, ServiceUpload::maxReplyBytes });
        editor.setDocument (&document);
        auto& text = in.codeDocument(); // an edit, with text that goes out as UTF-8
        text.insertText (text.getNumCharacters(), juce::String (juce::CharPointer_UTF8 ("<!-- Gr\xc3\xbc\xc3\x9f" "e -->")));
    }

    void TearDown() override
    {
        ServiceUpload::setBounds ({});
        setEnvironment ("WIRELACE_SERVICE_HOST", {});
        setEnvironment ("TMPDIR", previousTemporaryFolder);
    }

    /** The step state the user sees: message strip, message list, current index and step buttons. */
    juce::String describe() const
    {
        return in.infoLabel().getText() + " | " + in.errorMessages().joinIntoString (", ") + " | " + juce::String (in.currentError())
               + " | " + (in.previousErrorButton().isEnabled() ? "<" : "-") + (in.nextErrorButton().isEnabled() ? ">" : "-");
    }

    /** The caret at the end of a line counted from 0. */
    juce::Point<int> endOfLine (int line) const
    {
        return { line, in.codeDocument().getLine (line).trimCharactersAtEnd ("\r\n").length() };
    }

    const juce::String previousTemporaryFolder { juce::SystemStats::getEnvironmentVariable ("TMPDIR", {}) };
    TestHelpers::TemporaryFolder recordFolder, temporaryFolder;
    ControllerDocument document;
    EditorViewComponent editor;
    EditorViewInspector in { editor };
};

TEST_F (EditorViewValidation, StepsThroughTheReplysMessagesAndKeepsThemWhenAReplyCannotBeRead)
{
    const juce::String three (" | error : controller lacks id,  : , warning : past the end | ");
    const auto first = "error : controller lacks id" + three + "0 | ->";
    const auto second = " : " + three + "1 | <>";
    const auto lastLine = in.codeDocument().getNumLines() - 1;

    // A service mode uploads the text; "next" and "previous" click the step buttons. The caret
    // goes to the end of the message's line: "abc" reads as line 0, so the first; 999 is past the end.
    const struct { const char* action; const char* alert; juce::String shown; juce::Point<int> caret; } rows[] =
    {
        { "three",    "",                     first,                                                    endOfLine (4) },
        { "next",     "",                     second,                                                   endOfLine (0) },
        { "next",     "",                     "warning : past the end" + three + "2 | <-",              endOfLine (lastLine) },
        { "previous", "",                     second,                                                   endOfLine (0) },
        { "garbage",  "No XML element found", second,                                                   endOfLine (0) },
        { "refused",  "not enough input",     second,                                                   endOfLine (0) },
        { "slow",     "not enough input",     second,                                                   endOfLine (0) }, // gives up at the wait bound
        { "endless",  "not enough input",     second,                                                   endOfLine (0) }, // cut off at the size bound
        { "trickle",  "not enough input",     second,                                                   endOfLine (0) }, // cut off at the time bound
        { "three",    "",                     first,                                                    endOfLine (4) }, // the same list again
        { "one",      "",                     "T : X | T : X | 0 | --",                                 endOfLine (11) },
        { "none",     "",                     "no errors found. |  | 0 | --",                           endOfLine (11) },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.action);
        const juce::String action (row.action);
        std::unique_ptr<StandInService> service;
        TestHelpers::ModalEnder alert (0, nullptr, action == "garbage" ? "editor-view-error-alert" : "");
        const auto started = juce::Time::getMillisecondCounter();

        if (action == "next" || action == "previous")
            editor.buttonClicked (action == "next" ? &in.nextErrorButton() : &in.previousErrorButton());
        else if (action == "refused")
            setEnvironment ("WIRELACE_SERVICE_HOST", "127.0.0.1:" + juce::String (getRefusingPort()));
        else
            setEnvironment ("WIRELACE_SERVICE_HOST",
                            (service = std::make_unique<StandInService> (action, recordFolder.getChildFile ("record.jsonl")))->getHost());

        if (action != "next" && action != "previous")
            editor.buttonClicked (&in.cloudValidatorButton());

        EXPECT_LT (juce::Time::getMillisecondCounter() - started, 20000u);
        EXPECT_EQ (alert.getAlertTexts().joinIntoString ("|"), *row.alert == 0 ? "" : "Error|" + juce::String (row.alert));
        EXPECT_EQ (alert.getAlertButtons().joinIntoString ("|"), *row.alert == 0 ? "" : "OK");
        EXPECT_EQ (describe(), row.shown);
        EXPECT_EQ (in.caret(), row.caret);
        EXPECT_TRUE (in.codeEditor().getHighlightedRegion().isEmpty());
        EXPECT_EQ (temporaryFolder.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);

        for (const auto& request : service != nullptr ? service->getRequests() : juce::Array<juce::var>())
        {
            const auto part = request["parts"][0];
            EXPECT_EQ (request["path"].toString() + " " + juce::String (request["parts"].size()), "/wirelace/validate.php 1");
            EXPECT_EQ (part["field"].toString() + " " + part["contentType"].toString(), "mappingfile text/xml");
            EXPECT_TRUE (part["filename"].toString().endsWith ("mapping")) << part["filename"].toString();
            EXPECT_EQ (part["text"].toString(), in.codeDocument().getAllContent());
            EXPECT_FALSE ((bool) part["bom"]);
        }

        if (service != nullptr)
        {
            EXPECT_EQ (service->getRequests().size(), 1);
        }

        if (action == "previous")
        {
            TestHelpers::pumpMessages (100);
            TestHelpers::writeSnapshot (editor, "editor-view-second-message");
        }
    }
}
