#include "app/EditorViewInspector.h"
#include "model/ControllerDocument.h"
#include "support/PixelProbes.h"
#include "support/StandInUploadService.h"

TEST (EditorViewTokeniser, QuotedTextIsAStringRunningOverLineEndsToItsUnescapedQuoteAndEverythingElsePlainText)
{
    const juce::String text = "<a b=\"x y\"/> 'c' \\\"d\" \"one\r\ntwo\" \"e\\\"f\" \"\" g \"h\r\ni\\"; // a backslash escapes in quotes only, single quotes open nothing, the last string is unterminated
    juce::CodeDocument document;
    document.replaceAllContent (text);
    juce::CodeDocument::Iterator source (document);
    juce::String tokens; // each string marked S
    for (int start = 0; ! source.isEOF(); start = source.getPosition())
        tokens << (EditorViewComponent::WirelaceMappingsCodeTokeniser().readNextToken (source) == EditorViewComponent::WirelaceMappingsCodeTokeniser::tokenType_string ? " S" : " ") << text.substring (start, source.getPosition()).trimStart();
    EXPECT_EQ (tokens, " < a b = S\"x y\" / > ' c ' \\ S\"d\" S\"one\r\ntwo\" S\"e\\\"f\" S\"\" g S\"h\r\ni\\");
}

/** The parameter is a reply the editor cannot read: its mode (see StandInUploadService), body and the alert's message. */
class EditorView : public ::testing::TestWithParam<std::array<std::string, 3>> {};

TEST_P (EditorView, AsksBeforeClosingOnlyAboutEditsKeepsRefusedTextAndStepsThroughTheServicesMessages)
{
    ControllerDocument document;
    ASSERT_TRUE (document.loadFrom (juce::File (WIRELACE_SOURCE_DIR "/tests/data/two_mappings.mappings")));
    document.createInputMapping ("b"); // marked changed: accepted text clears the flag
    EditorViewComponent editor;
    editor.setDocument (&document);
    auto& code = EditorViewInspector (editor).codeDocument();
    auto& label = dynamic_cast<juce::Label&> (*editor.getChildComponent (0));
    auto& codeEditor = dynamic_cast<juce::CodeEditorComponent&> (*editor.getChildComponent (4));

    // Closing: the text typed ("=Name": the document's, its model so named), the answer to any question (0 cancel, 1 save, 2 don't save); then the document, whether the editor closes and asked, and its message strip.
    const juce::String kept = "Twister two_mappings.mappings* ";
    const struct { juce::String text; int answer; juce::String outcome; } closings[] = {
        { "=Twister", 0, kept + "closes" },
        { "=Edited", 0, kept + "stays asked " },
        { "=Edited", 2, kept + "closes asked" },
        { "<main><version", 1, kept + "stays asked Not saved: unmatched tags" },
        { "<main><version/><controller kind=\"keys\"/></main>", 1, kept + "stays asked Not saved: the text is not a controller document (it needs a \"version\" element and a \"controller\" element whose \"kind\" is \"midi\")" },
        { "=Edited", 1, "Edited unnamed.mappings closes asked" },
    };

    for (const auto& row : closings)
    {
        SCOPED_TRACE (row.text);
        code.replaceAllContent (row.text.startsWith ("=") ? document.toXmlString().replace ("Twister", row.text.substring (1)) : row.text);
        const auto text = code.getAllContent();
        TestHelpers::ModalEnder question (row.answer);
        const auto closes = editor.askToApplyChanges();
        if (closes)
            editor.setDocument (&document); // the next showing shows the document's text, and no stale reason
        EXPECT_EQ (document.getModel() + " " + document.getName() + (document.hasChangedSinceSaved() ? "* " : " ") + (closes ? "closes" : "stays") + (question.hasEnded() ? " asked" : "") + (closes ? "" : " ") + label.getText(), row.outcome);
        EXPECT_EQ (code.getAllContent(), closes ? document.toXmlString() : text);
    }

    code.insertText (code.getNumCharacters(), juce::CharPointer_UTF8 ("<!-- Gr\xc3\xbc\xc3\x9f" "e -->")); // validating, with text that goes out as UTF-8
    const auto three = juce::String ("<{m}result><{m}messages><{m}message type=\"error\" text=\"{m}lacks {m}id\" line=\"5\"/><message line=\"abc\"/><message type=\"warning\" text=\"past the end\" line=\" +999\"/></messages></{m}result>").replace ("{m}", "{http://{host}/wirelace/mappings.xsd}"); // the schema marker {m} reads as part of the names it prefixes
    const juce::String second = " :  <> 0$", third = "warning : past the end <- " + juce::String (code.getNumLines() - 1) + "$";

    // The button clicked (1 validator, 2 next, 3 previous) and the reply; then the message strip, the step buttons, the caret's line ("$": at its end; "abc" reads as 0, so the first; 999 is past the end) and any alert.
    const struct { int button; juce::String mode, reply, shown; } steps[] = {
        { 1, "reply", three, "error : lacks id -> 4$" },
        { 2, "none", {}, second },
        { 2, "none", {}, third },
        { 3, "none", {}, second },
        { 1, GetParam()[0], GetParam()[1], second + " Error|" + GetParam()[2] + "|OK" },
        { 2, "none", {}, third },
        { 1, "reply", three, "error : lacks id -> 4$" }, // from the first message again
        { 2, "none", {}, second },
        { 1, "reply", "<result><messages/></result>", "no errors found. -- 0$" },
    };

    for (const auto& row : steps)
    {
        SCOPED_TRACE (juce::String (row.button) + " " + row.mode + " " + row.reply);
        StandInUploadService service (row.mode, 200, row.reply, { 1000, juce::String (row.mode) == "flood" ? 60000 : 2000, ServiceUpload::maxReplyBytes }); // flood: only the size bound
        TestHelpers::ModalEnder alert (0);
        const auto started = juce::Time::getMillisecondCounter();
        editor.buttonClicked (dynamic_cast<juce::Button*> (editor.getChildComponent (row.button)));
        EXPECT_LT (juce::Time::getMillisecondCounter() - started, 20000u);
        EXPECT_EQ (service.getRecord(), row.button != 1 || row.mode == "none" ? "" : "/wirelace/validate.php mappingfile *.mapping text/xml\n" + code.getAllContent() + "\n");
        EXPECT_TRUE (service.temporaryFolder.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories) == 0 && codeEditor.getHighlightedRegion().isEmpty());
        EXPECT_EQ (label.getText() + (editor.getChildComponent (3)->isEnabled() ? " <" : " -") + (editor.getChildComponent (2)->isEnabled() ? "> " : "- ") + juce::String (codeEditor.getCaretPos().getLineNumber())
                       + (codeEditor.getCaretPos().getIndexInLine() == codeEditor.getCaretPos().getLineText().trimCharactersAtEnd ("\r\n").length() ? "$" : "")
                       + (alert.hasEnded() ? " " + alert.getAlertTexts().joinIntoString ("|") + "|" + alert.getAlertButtons().joinIntoString ("|") : ""), row.shown);
    }

    TestHelpers::pumpMessages (200); // the code editor lays out its lines asynchronously
    TestHelpers::expectPixels (TestHelpers::renderComponent (editor), { { 300, 20, 0xff6b6b6b }, { 1060, 20, 0xff32a046 }, { 600, 44, 0xfff6f6f6 }, { 600, 60, 0xffd9d9d9 }, { 5, 650, 0xfff4f0f1 }, { 600, 400, 0xff1d1b25 } });
    if (GetParam()[0] == "reply")
        TestHelpers::writeSnapshot (editor, "editor-view");
}

// "none" is refused, "slow" past the wait bound, "flood" past the size bound, "trickle" past the time bound.
INSTANTIATE_TEST_SUITE_P (Replies, EditorView, ::testing::ValuesIn (std::vector<std::array<std::string, 3>> { { "reply", "Internal error, please try again", "No XML element found" }, { "none", "", "not enough input" },
    { "slow", "<result/>", "not enough input" }, { "flood", "<result><messages>", "not enough input" }, { "trickle", "<result><messages>", "not enough input" } }));
