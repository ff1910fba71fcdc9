#include <gtest/gtest.h>

#include "app/EditorViewInspector.h"
#include "model/ControllerDocument.h"
#include "support/PixelProbes.h"
#include "support/StandInUploadService.h"

TEST (EditorViewTokeniser, QuotedTextIsAStringRunningOverLineEndsToItsUnescapedQuoteAndEverythingElsePlainText)
{
    // Strings show as S(...). A backslash escapes inside quotes only, single quotes open nothing, the last string is unterminated.
    const juce::String text = "<a b=\"x y\"/> 'c' \\\"d\" \"one\r\ntwo\" \"e\\\"f\" \"\" g \"h\r\ni\\";
    using Tokeniser = EditorViewComponent::WirelaceMappingsCodeTokeniser;
    juce::CodeDocument document;
    document.replaceAllContent (text);
    juce::CodeDocument::Iterator source (document);
    juce::StringArray tokens;

    for (int start = 0; ! source.isEOF(); start = source.getPosition())
    {
        const auto type = Tokeniser().readNextToken (source);
        const auto token = text.substring (start, source.getPosition()).trimStart();
        tokens.add (type == Tokeniser::tokenType_string ? "S(" + token + ")" : type == Tokeniser::tokenType_text ? token : "?");
    }

    EXPECT_EQ (tokens.joinIntoString (" "), "< a b = S(\"x y\") / > ' c ' \\ S(\"d\") S(\"one\r\ntwo\") S(\"e\\\"f\") S(\"\") g S(\"h\r\ni\\)");
}

TEST (EditorView, ClosingAsksOnlyAboutEditsAndKeepsTextTheDocumentRefuses)
{
    ControllerDocument edited;
    edited.setModel ("Edited");
    enum { cancel = 0, save = 1, dontSave = 2, noQuestion = -1 };

    // The text typed over the document's ("=": the document's own text again), the answer to the question, the message strip after.
    const struct { juce::String text; int answer; bool closes; juce::String message; } rows[] = {
        { {}, noQuestion, true, {} },
        { "=", noQuestion, true, {} },
        { "<main/>", cancel, false, {} },
        { "<main/>", dontSave, true, {} },
        { edited.toXmlString(), save, true, {} },
        { "<main><version", save, false, "Not saved: unmatched tags" },
        { "<main><version/><controller kind=\"keys\"/></main>", save, false, "Not saved: the text is not a controller document (it needs a \"version\" element and a \"controller\" element whose \"kind\" is \"midi\")" },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.text);
        ControllerDocument document;
        ASSERT_TRUE (document.loadFrom (juce::File (WIRELACE_SOURCE_DIR "/tests/data/two_mappings.mappings")));
        document.createInputMapping ("b"); // marked changed: accepted text clears the flag
        EditorViewComponent editor;
        EditorViewInspector in (editor);
        editor.setDocument (&document);
        const auto original = document.toXmlString();

        if (row.text.isNotEmpty())
            in.codeDocument().replaceAllContent (row.text == "=" ? original : row.text);

        const auto text = in.codeDocument().getAllContent();
        TestHelpers::ModalEnder question (juce::jmax (0, row.answer));
        EXPECT_EQ (editor.askToApplyChanges(), row.closes);
        EXPECT_EQ (question.hasEnded(), row.answer != noQuestion);
        EXPECT_EQ (in.codeDocument().getAllContent(), text);
        EXPECT_EQ (in.infoLabel().getText(), row.message);

        const bool replaced = row.answer == save && row.closes;
        EXPECT_EQ (replaced ? document.getModel() + document.getFilePath() + document.getName() + (document.hasChangedSinceSaved() ? "*" : "") : document.toXmlString(),
                   replaced ? "Editedunnamed.mappings" : original);
        editor.setDocument (&document); // the next showing shows the document's text
        EXPECT_EQ (in.codeDocument().getAllContent(), document.toXmlString());
    }
}

/** The parameter is a reply the editor cannot read: its mode (see StandInUploadService), body and the alert's message. */
class EditorViewValidation : public ::testing::TestWithParam<std::array<const char*, 3>> {};

TEST_P (EditorViewValidation, StepsThroughTheMessagesToTheEndsOfTheirLinesAndKeepsThemWhenAReplyCannotBeRead)
{
    ControllerDocument document;
    EditorViewComponent editor;
    EditorViewInspector in (editor);
    editor.setDocument (&document);
    auto& code = in.codeDocument();
    code.insertText (code.getNumCharacters(), juce::CharPointer_UTF8 ("<!-- Gr\xc3\xbc\xc3\x9f" "e -->")); // goes out as UTF-8

    juce::StringArray children;
    for (auto* child : editor.getChildren())
        children.add (child->getName() + " " + child->getBounds().toString() + (child->isEnabled() ? "" : " off"));
    EXPECT_EQ (children.joinIntoString (", "), "Info label 8 40 1050 22, cloud validator button 1058 4 32 32, next error button 1078 41 10 20 off, "
                                               "previous error button 1060 41 10 20 off, debug editor 0 63 1100 637");

    // "{m}", the schema marker, reads as part of the names it prefixes. Line "abc" reads as 0, so the first line; 999 is past the end.
    const auto three = juce::String ("<?xml version=\"1.0\"?><{m}result><{m}messages><{m}message type=\"error\" text=\"{m}lacks {m}id\" line=\"5\"/>"
                                     "<{m}message line=\"abc\"/><{m}message type=\"warning\" text=\"past the end\" line=\" +999\"/></{m}messages></{m}result>")
                           .replace ("{m}", "{http://{host}/wirelace/mappings.xsd}");
    const juce::String second = " :  <> 0$", third = "warning : past the end <- " + juce::String (code.getNumLines() - 1) + "$";

    // A step clicks a button or validates with a reply. Shown are the message strip, the step buttons and the caret's line ("$": at its end).
    const struct { const char* step; juce::String reply, shown, alert; } rows[] = {
        { "reply", three, "error : lacks id -> 4$", {} },
        { "next", {}, second, {} },
        { "next", {}, third, {} },
        { "previous", {}, second, {} },
        { GetParam()[0], GetParam()[1], second, "Error|" + juce::String (GetParam()[2]) + "OK" },
        { "next", {}, third, {} },
        { "reply", three, "error : lacks id -> 4$", {} }, // from the first message again
        { "next", {}, second, {} },
        { "reply", "<result><messages><message type=\"T\" text=\"X\" line=\"12\"/></messages></result>", "T : X -- 11$", {} },
        { "reply", "<result><messages/></result>", "no errors found. -- 11$", {} },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.step + (" " + row.reply));
        const juce::String step (row.step);
        const int button = step == "next" ? 2 : step == "previous" ? 3 : 1; // 1 validates
        StandInUploadService service (button == 1 ? step : "none", 200, row.reply, { 1000, 2000, ServiceUpload::maxReplyBytes });
        TestHelpers::ModalEnder alert (0);
        const auto started = juce::Time::getMillisecondCounter();
        editor.buttonClicked (in.button (button));

        // One text file part, and the temporary file gone, in every case.
        EXPECT_LT (juce::Time::getMillisecondCounter() - started, 20000u);
        EXPECT_EQ (alert.getAlertTexts().joinIntoString ("|") + alert.getAlertButtons().joinIntoString ("|"), row.alert);
        EXPECT_EQ (service.getRecord(), button == 1 && step != "none" ? "/wirelace/validate.php mappingfile *.mapping text/xml\n" + code.getAllContent() + "\n" : "");
        EXPECT_TRUE (service.getTemporaryFiles().isEmpty());
        const auto caret = in.codeEditor().getCaretPos();
        EXPECT_EQ (in.infoLabel().getText() + " " + (in.button (3)->isEnabled() ? "<" : "-") + (in.button (2)->isEnabled() ? ">" : "-") + " " + juce::String (caret.getLineNumber())
                       + (caret.getIndexInLine() == caret.getLineText().trimCharactersAtEnd ("\r\n").length() ? "$" : ""),
                   row.shown);
        EXPECT_TRUE (in.codeEditor().getHighlightedRegion().isEmpty());
    }

    TestHelpers::pumpMessages (200); // the code editor lays out its lines asynchronously
    TestHelpers::expectPixels (TestHelpers::renderComponent (editor), { { 300, 20, 0xff6b6b6b }, { 600, 44, 0xfff6f6f6 }, { 600, 60, 0xffd9d9d9 }, { 600, 400, 0xff1d1b25 } });
    if (juce::String (GetParam()[0]) == "reply")
        TestHelpers::writeSnapshot (editor, "editor-view");
}

// "slow" is past the wait bound, "flood" past the size bound, "trickle" past the time bound; "none" is refused.
INSTANTIATE_TEST_SUITE_P (Replies, EditorViewValidation, ::testing::Values (
    std::array<const char*, 3> { "reply", "Internal error, please try again", "No XML element found" }, std::array<const char*, 3> { "none", "", "not enough input" },
    std::array<const char*, 3> { "slow", "<result/>", "not enough input" }, std::array<const char*, 3> { "flood", "<result><messages>", "not enough input" },
    std::array<const char*, 3> { "trickle", "<result><messages>", "not enough input" }));
