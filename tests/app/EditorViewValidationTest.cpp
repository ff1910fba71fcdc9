#include <cstdlib>

#include <gtest/gtest.h>

#include "app/EditorViewInspector.h"
#include "app/ServiceUpload.h"
#include "model/ControllerDocument.h"
#include "support/StandInUploadService.h"
#include "support/TestHelpers.h"

namespace
{
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
    TestHelpers::TemporaryFolder temporaryFolder;
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

    // The service's replies; "{m}" is the schema marker, which reads as part of the names it prefixes.
    const auto threeMessages = juce::String ("<?xml version=\"1.0\"?><{m}result><{m}messages>"
                                             "<{m}message type=\"error\" text=\"{m}controller lacks {m}id\" line=\"5\"/>"
                                             "<{m}message line=\"abc\"/><{m}message type=\"warning\" text=\"past the end\" line=\" +999\"/>"
                                             "</{m}messages></{m}result>").replace ("{m}", "{http://{host}/wirelace/mappings.xsd}");
    const juce::String noMessages ("<result><messages/></result>"), unfinished ("<result><messages>");

    // A service mode (StandInUploadService's) uploads the text; "next" and "previous" click the step buttons.
    // The caret goes to the end of the message's line: "abc" reads as line 0, so the first; 999 is past the end.
    const struct { const char* mode; juce::String reply; const char* alert; juce::String shown; juce::Point<int> caret; } rows[] =
    {
        { "reply",    threeMessages, "",                     first,                                       endOfLine (4) },
        { "next",     {},            "",                     second,                                      endOfLine (0) },
        { "next",     {},            "",                     "warning : past the end" + three + "2 | <-", endOfLine (lastLine) },
        { "previous", {},            "",                     second,                                      endOfLine (0) },
        { "reply",    "Internal error, please try again", "No XML element found", second,                 endOfLine (0) },
        { "none",     {},            "not enough input",     second,                                      endOfLine (0) }, // refused
        { "slow",     noMessages,    "not enough input",     second,                                      endOfLine (0) }, // past the wait bound
        { "flood",    unfinished,    "not enough input",     second,                                      endOfLine (0) }, // past the size bound
        { "trickle",  unfinished,    "not enough input",     second,                                      endOfLine (0) }, // past the time bound
        { "reply",    threeMessages, "",                     first,                                       endOfLine (4) }, // the same list again
        { "reply",    "<result><messages><message type=\"T\" text=\"X\" line=\"12\"/></messages></result>", "",
          "T : X | T : X | 0 | --", endOfLine (11) },
        { "reply",    noMessages,    "",                     "no errors found. |  | 0 | --",              endOfLine (11) },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.mode + (" " + row.reply));
        const juce::String action (row.mode);
        std::unique_ptr<StandInUploadService> service;
        TestHelpers::ModalEnder alert (0, nullptr, row.reply.startsWith ("Internal") ? "editor-view-error-alert" : "");
        const auto started = juce::Time::getMillisecondCounter();

        if (action == "next" || action == "previous")
        {
            editor.buttonClicked (action == "next" ? &in.nextErrorButton() : &in.previousErrorButton());
        }
        else
        {
            setEnvironment ("TMPDIR", previousTemporaryFolder); // the service's record stays out of the editor's folder
            service = std::make_unique<StandInUploadService> (action, 200, row.reply);
            setEnvironment ("TMPDIR", temporaryFolder.getFolder().getFullPathName());
            setEnvironment ("WIRELACE_SERVICE_HOST", service->getHost());
            editor.buttonClicked (&in.cloudValidatorButton());
        }

        EXPECT_LT (juce::Time::getMillisecondCounter() - started, 20000u);
        EXPECT_EQ (alert.getAlertTexts().joinIntoString ("|"), *row.alert == 0 ? "" : "Error|" + juce::String (row.alert));
        EXPECT_EQ (alert.getAlertButtons().joinIntoString ("|"), *row.alert == 0 ? "" : "OK");
        EXPECT_EQ (describe(), row.shown);
        EXPECT_EQ (in.caret(), row.caret);
        EXPECT_TRUE (in.codeEditor().getHighlightedRegion().isEmpty());
        EXPECT_EQ (temporaryFolder.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);

        // One file part with the text as UTF-8, without a byte order mark.
        const auto requests = service != nullptr ? service->getRequests() : juce::Array<juce::var>();
        EXPECT_EQ (requests.size(), service == nullptr || action == "none" ? 0 : 1);

        for (const auto& request : requests)
        {
            const auto part = request["parts"][0];
            const auto text = in.codeDocument().getAllContent();
            EXPECT_EQ (request["path"].toString() + " " + juce::String (request["parts"].size()), "/wirelace/validate.php 1");
            EXPECT_EQ (part["name"].toString() + " " + part["type"].toString(), "mappingfile text/xml");
            EXPECT_TRUE (part["filename"].toString().endsWith ("mapping")) << part["filename"].toString();
            EXPECT_EQ (StandInUploadService::getPartBytes (part), juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8()));
        }

        if (action == "previous")
        {
            TestHelpers::pumpMessages (100);
            TestHelpers::writeSnapshot (editor, "editor-view-second-message");
        }
    }
}
