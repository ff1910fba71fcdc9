#include <gtest/gtest.h>

#include "app/EditorViewInspector.h"
#include "model/ControllerDocument.h"
#include "support/PixelProbes.h"

namespace
{
    using Tokeniser = EditorViewComponent::WirelaceMappingsCodeTokeniser;

    /** The tokens of a text, blank-separated: plain tokens as they are, strings as S(...), others as ?type. */
    juce::String tokensOf (const juce::String& text)
    {
        juce::CodeDocument document;
        document.replaceAllContent (text);
        juce::CodeDocument::Iterator source (document);
        Tokeniser tokeniser;
        juce::StringArray tokens;

        while (! source.isEOF())
        {
            const int start = source.getPosition();
            const int type = tokeniser.readNextToken (source);
            const auto token = text.substring (start, source.getPosition()).trimStart();
            tokens.add (type == Tokeniser::tokenType_string ? "S(" + token + ")" : type == 0 ? token : "?" + juce::String (type));
        }

        return tokens.joinIntoString (" ");
    }

    const juce::File dataFile = juce::File (WIRELACE_SOURCE_DIR).getChildFile ("tests/data/two_mappings.mappings");
}

TEST (EditorViewTokeniser, QuotedTextIsAStringAndEverythingElsePlainText)
{
    const struct { const char* text; const char* tokens; } rows[] =
    {
        { "<a b=\"x y\"/>",   "< a b = S(\"x y\") / >" },
        { "\"one\r\ntwo\" x", "S(\"one\r\ntwo\") x" }, // runs over the line end
        { "\"a\\\"b\" c",     "S(\"a\\\"b\") c" },     // an escaped quote does not end it
        { "\\\"b\"",          "\\ S(\"b\")" },         // a backslash outside quotes is plain
        { "'a' \"\"",         "' a ' S(\"\")" },       // single quotes open nothing
        { "x \"abc\r\ndef",   "x S(\"abc\r\ndef)" },   // unterminated: to the end
        { "\"ab\\",           "S(\"ab\\)" },           // a backslash at the very end
        { "  \r\n ",          "" },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.text);
        EXPECT_EQ (tokensOf (row.text), row.tokens);
    }

    juce::StringArray scheme;

    for (const auto& type : Tokeniser().getDefaultColourScheme().types)
        scheme.add (type.name + "=" + type.colour.toDisplayString (true));

    EXPECT_EQ (scheme.joinIntoString (" "), "Text=FFFFFFFF Error=FFB2281F Alias=FFD0A022 Keyword=FFD0A022 "
                                            "Hex=FF4893C6 Integer=FF4893C6 String=FF4893C6");
}

TEST (EditorView, ShowsTheDocumentTextUnderItsHeaderWithTheStepButtonsDisabled)
{
    ControllerDocument document;
    ASSERT_TRUE (document.loadFrom (dataFile));
    EditorViewComponent editor;
    EditorViewInspector in (editor);
    editor.setDocument (&document);

    EXPECT_EQ (in.codeDocument().getAllContent(), document.toXmlString());
    EXPECT_FALSE (in.codeDocument().getUndoManager().canUndo());
    EXPECT_FALSE (in.nextErrorButton().isEnabled() || in.previousErrorButton().isEnabled());
    EXPECT_EQ (in.cloudValidatorButton().getNormalImage().getWidth(), 32);
    EXPECT_EQ (in.nextErrorButton().getNormalImage().getWidth(), 16);

    juce::StringArray children; // in the order they were added, placed for 1100 by 700
    for (auto* child : editor.getChildren())
        children.add (child->getName() + " " + child->getBounds().toString());
    EXPECT_EQ (children.joinIntoString (", "), "Info label 8 40 1050 22, cloud validator button 1058 4 32 32, next error button 1078 41 10 20, "
                                               "previous error button 1060 41 10 20, debug editor 0 63 1100 637");

    TestHelpers::pumpMessages (200); // the code editor lays out its lines asynchronously
    TestHelpers::expectPixels (TestHelpers::renderComponent (editor),
                               { { 300, 20, 0xff6b6b6b }, { 600, 44, 0xfff6f6f6 }, { 600, 60, 0xffd9d9d9 }, { 600, 400, 0xff1d1b25 } });
    TestHelpers::writeSnapshot (editor, "editor-view");
}

TEST (EditorView, ClosingAsksOnlyAboutEditsAndKeepsTextTheDocumentRefuses)
{
    using Edit = std::function<void (juce::CodeDocument&, ControllerDocument&)>;
    const auto replaceBy = [] (const juce::String& text) { return Edit ([text] (auto& code, auto&) { code.replaceAllContent (text); }); };
    const Edit append = [] (auto& code, auto&) { code.insertText (code.getNumCharacters(), "<!-- x -->"); };

    ControllerDocument edited;
    edited.setModel ("Edited");

    enum { cancel = 0, save = 1, dontSave = 2, noQuestion = -1 };
    const struct { const char* name; Edit edit; int answer; bool closes, replacesDocument; const char* message; } rows[] =
    {
        { "no edit", [] (auto&, auto&) {}, noQuestion, true, false, "" },
        { "edit retyped", [] (auto& code, auto&) { code.insertText (0, "x"); code.deleteSection (0, 1); }, noQuestion, true, false, "" },
        { "edit undone", [] (auto& code, auto&) { code.insertText (0, "x"); code.undo(); }, noQuestion, true, false, "" },
        { "cancel", append, cancel, false, false, "" },
        { "don't save", append, dontSave, true, false, "" },
        { "document changed by a command", [] (auto&, auto& doc) { doc.createInputMapping ("a"); }, dontSave, true, false, "" },
        { "save accepted text", replaceBy (edited.toXmlString()), save, true, true, "" },
        { "save text that is not XML", replaceBy ("<main><version"), save, false, false, "Not saved: unmatched tags" },
        { "save XML that is no controller", replaceBy ("<main><version/><controller kind=\"keys\"/></main>"), save, false, false,
          "Not saved: the text is not a controller document" },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.name);
        ControllerDocument document;
        ASSERT_TRUE (document.loadFrom (dataFile));
        document.createInputMapping ("b"); // marked changed: accepted text clears the flag
        EditorViewComponent editor;
        EditorViewInspector in (editor);
        editor.setDocument (&document);
        row.edit (in.codeDocument(), document);
        const auto textBefore = in.codeDocument().getAllContent();
        const auto documentBefore = document.toXmlString();

        TestHelpers::ModalEnder question (juce::jmax (0, row.answer), nullptr, row.answer == save ? "editor-view-question" : "");
        EXPECT_EQ (editor.askToApplyChanges(), row.closes);
        ASSERT_EQ (question.hasEnded(), row.answer != noQuestion);

        const auto questionTexts = question.getAlertTexts().joinIntoString ("|") + "|" + question.getAlertButtons().joinIntoString ("|");
        EXPECT_EQ (questionTexts, row.answer == noQuestion ? "|" : "Do you want to save the changes you made in the document "
                   "\"two_mappings.mappings\"?|Your changes will be lost you dont't save them.|Save|Don't Save|Cancel");

        const auto documentState = document.getModel() + document.getFilePath() + document.getName() + (document.hasChangedSinceSaved() ? "*" : "");
        EXPECT_EQ (row.replacesDocument ? documentState : document.toXmlString(),
                   row.replacesDocument ? "Editedunnamed.mappings" : documentBefore);

        EXPECT_EQ (in.codeDocument().getAllContent(), textBefore);
        EXPECT_TRUE (in.infoLabel().getText().startsWith (row.message)) << in.infoLabel().getText();
        EXPECT_EQ (in.infoLabel().getText().isEmpty(), *row.message == 0);

        if (row.answer == save && ! row.closes)
        {
            TestHelpers::pumpMessages (100);
            TestHelpers::writeSnapshot (editor, juce::String ("editor-view-") + juce::String (row.name).replaceCharacter (' ', '-'));
        }

        editor.setDocument (&document); // the next showing shows the document's text
        EXPECT_EQ (in.codeDocument().getAllContent(), document.toXmlString());
    }
}
