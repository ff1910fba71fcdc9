#include <gtest/gtest.h>

#include "app/EditorViewInspector.h"
#include "model/ControllerDocument.h"
#include "support/TestHelpers.h"

namespace
{
    using Tokeniser = EditorViewComponent::WirelaceMappingsCodeTokeniser;

    /** The tokens of a text, blank-separated: plain tokens as they are, strings as S(...). */
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

            if (type == Tokeniser::tokenType_string)
                tokens.add ("S(" + token + ")");
            else if (type == Tokeniser::tokenType_text)
                tokens.add (token);
            else
                tokens.add ("?" + juce::String (type));
        }

        return tokens.joinIntoString (" ");
    }

    juce::File dataFile (const juce::String& name)
    {
        return juce::File (WIRELACE_SOURCE_DIR).getChildFile ("tests/data").getChildFile (name);
    }
}

TEST (EditorViewTokeniser, QuotedTextIsAStringAndEverythingElsePlainText)
{
    const struct { const char* text; const char* tokens; } rows[] =
    {
        { "<a b=\"x y\"/>",        "< a b = S(\"x y\") / >" },
        { "\"one\r\ntwo\" x",      "S(\"one\r\ntwo\") x" },        // runs over the line end
        { "\"a\\\"b\" c",          "S(\"a\\\"b\") c" },            // an escaped quote does not end it
        { "\\\"b\"",               "\\ S(\"b\")" },                // a backslash outside quotes is plain
        { "'a' \"\"",              "' a ' S(\"\")" },              // single quotes open nothing
        { "x \"abc\r\ndef",        "x S(\"abc\r\ndef)" },          // unterminated: to the end
        { "\"ab\\",                "S(\"ab\\)" },                  // a backslash at the very end
        { "  \r\n ",               "" },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.text);
        EXPECT_EQ (tokensOf (row.text), row.tokens);
    }

    Tokeniser tokeniser;
    const auto scheme = tokeniser.getDefaultColourScheme();
    const struct { const char* name; juce::uint32 colour; } types[] =
    {
        { "Text", 0xffffffff }, { "Error", 0xffb2281f }, { "Alias", 0xffd0a022 }, { "Keyword", 0xffd0a022 },
        { "Hex", 0xff4893c6 }, { "Integer", 0xff4893c6 }, { "String", 0xff4893c6 },
    };

    ASSERT_EQ (scheme.types.size(), 7);

    for (int i = 0; i < 7; ++i)
    {
        EXPECT_EQ (scheme.types.getReference (i).name, types[i].name);
        EXPECT_EQ (scheme.types.getReference (i).colour, juce::Colour (types[i].colour));
    }
}

TEST (EditorView, StartsWithItsChildrenLaidOutAndTheStepButtonsDisabled)
{
    ControllerDocument document;
    ASSERT_TRUE (document.loadFrom (dataFile ("two_mappings.mappings")));
    EditorViewComponent editor;
    EditorViewInspector in (editor);
    editor.setDocument (&document);

    EXPECT_EQ (editor.getBounds(), juce::Rectangle<int> (0, 0, 1100, 700));
    EXPECT_EQ (in.codeDocument().getAllContent(), document.toXmlString());
    EXPECT_FALSE (in.codeDocument().getUndoManager().canUndo());
    EXPECT_TRUE (in.infoLabel().getText().isEmpty());
    EXPECT_FALSE (in.nextErrorButton().isEnabled());
    EXPECT_FALSE (in.previousErrorButton().isEnabled());
    EXPECT_EQ (in.cloudValidatorButton().getNormalImage().getWidth(), 32);
    EXPECT_EQ (in.nextErrorButton().getNormalImage().getWidth(), 16);

    const struct { juce::Component* child; const char* name; juce::Rectangle<int> bounds; } children[] =
    {
        { &in.infoLabel(), "Info label", { 8, 40, 1050, 22 } },
        { &in.cloudValidatorButton(), "cloud validator button", { 1058, 4, 32, 32 } },
        { &in.nextErrorButton(), "next error button", { 1078, 41, 10, 20 } },
        { &in.previousErrorButton(), "previous error button", { 1060, 41, 10, 20 } },
        { &in.codeEditor(), "debug editor", { 0, 63, 1100, 637 } },
    };

    for (int i = 0; i < 5; ++i)
    {
        SCOPED_TRACE (children[i].name);
        EXPECT_EQ (editor.getIndexOfChildComponent (children[i].child), i);
        EXPECT_EQ (children[i].child->getName(), children[i].name);
        EXPECT_EQ (children[i].child->getBounds(), children[i].bounds);
    }

    EXPECT_EQ (in.codeEditor().findColour (juce::CodeEditorComponent::backgroundColourId), juce::Colour (0xff1d1b25));

    TestHelpers::pumpMessages (200); // the code editor lays out its lines asynchronously
    const auto image = TestHelpers::renderComponent (editor);
    EXPECT_TRUE (TestHelpers::near (image.getPixelAt (300, 20), juce::Colour (0xff6b6b6b)));  // dark header
    EXPECT_TRUE (TestHelpers::near (image.getPixelAt (600, 44), juce::Colour (0xfff6f6f6)));  // message strip
    EXPECT_TRUE (TestHelpers::near (image.getPixelAt (600, 60), juce::Colour (0xffd9d9d9)));
    EXPECT_TRUE (TestHelpers::near (image.getPixelAt (600, 400), juce::Colour (0xff1d1b25))); // code editor
    TestHelpers::writeSnapshot (editor, "editor-view");
}

TEST (EditorView, ClosingAsksOnlyAboutEditsAndKeepsTextTheDocumentRefuses)
{
    using Edit = std::function<void (juce::CodeDocument&, ControllerDocument&)>;
    const auto append = [] (const juce::String& text)
    {
        return Edit ([text] (juce::CodeDocument& code, ControllerDocument&) { code.insertText (code.getNumCharacters(), text); });
    };
    const auto replaceBy = [] (const juce::String& text)
    {
        return Edit ([text] (juce::CodeDocument& code, ControllerDocument&) { code.replaceAllContent (text); });
    };

    ControllerDocument edited;
    edited.setModel ("Edited");
    const auto editedText = edited.toXmlString();

    enum { cancel = 0, save = 1, dontSave = 2, noQuestion = -1 };
    const struct
    {
        const char* name;
        Edit edit;
        int answer;
        bool closes;
        bool documentReplaced;
        const char* infoLabel; // contained in the message strip afterwards
    } rows[] =
    {
        { "no edit", [] (auto&, auto&) {}, noQuestion, true, false, "" },
        { "edit retyped back", [] (juce::CodeDocument& code, auto&) { code.insertText (0, "x"); code.deleteSection (0, 1); },
          noQuestion, true, false, "" },
        { "edit undone", [] (juce::CodeDocument& code, auto&) { code.insertText (0, "x"); code.undo(); }, noQuestion, true, false, "" },
        { "cancel", append ("<!-- x -->"), cancel, false, false, "" },
        { "don't save", append ("<!-- x -->"), dontSave, true, false, "" },
        { "document changed by a command", [] (auto&, ControllerDocument& doc) { doc.createInputMapping ("a"); },
          dontSave, true, false, "" },
        { "save accepted text", replaceBy (editedText), save, true, true, "" },
        { "save text that is not XML", replaceBy ("<main><version"), save, false, false, "Not saved: unmatched tags" },
        { "save XML that is no controller", replaceBy ("<main><version/><controller kind=\"keys\"/></main>"), save, false, false,
          "not a controller document" },
    };

    TestHelpers::TemporaryFolder folder;
    const auto file = folder.getChildFile ("two_mappings.mappings");
    ASSERT_TRUE (dataFile ("two_mappings.mappings").copyFileTo (file));

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.name);
        ControllerDocument document;
        ASSERT_TRUE (document.loadFrom (file));
        document.createInputMapping ("b"); // marked changed: accepted text clears the flag
        EditorViewComponent editor;
        EditorViewInspector in (editor);
        editor.setDocument (&document);

        row.edit (in.codeDocument(), document);
        const auto textBefore = in.codeDocument().getAllContent();
        const auto documentBefore = document.toXmlString();

        TestHelpers::ModalEnder question (row.answer == noQuestion ? cancel : row.answer, nullptr,
                                          row.answer == save ? "editor-view-question" : "");
        EXPECT_EQ (editor.askToApplyChanges(), row.closes);
        EXPECT_EQ (question.hasEnded(), row.answer != noQuestion);

        if (question.hasEnded())
        {
            EXPECT_EQ (question.getAlertTexts(),
                       juce::StringArray ("Do you want to save the changes you made in the document \"two_mappings.mappings\"?",
                                          "Your changes will be lost you dont't save them."));
            EXPECT_EQ (question.getAlertButtons(), juce::StringArray ("Save", "Don't Save", "Cancel"));
        }

        if (row.documentReplaced)
        {
            EXPECT_EQ (document.getModel(), "Edited");
            EXPECT_EQ (document.getFilePath(), "");
            EXPECT_EQ (document.getName(), "unnamed.mappings");
            EXPECT_FALSE (document.hasChangedSinceSaved());
        }
        else
        {
            EXPECT_EQ (document.toXmlString(), documentBefore);
            EXPECT_EQ (document.getFilePath(), file.getFullPathName());
        }

        if (! row.closes)
        {
            EXPECT_EQ (in.codeDocument().getAllContent(), textBefore);
        }

        EXPECT_TRUE (in.infoLabel().getText().contains (row.infoLabel)) << in.infoLabel().getText();
        EXPECT_EQ (in.infoLabel().getText().isEmpty(), juce::String (row.infoLabel).isEmpty());

        if (row.answer == save && ! row.closes)
        {
            TestHelpers::pumpMessages (100);
            TestHelpers::writeSnapshot (editor, juce::String ("editor-view-refused-") + juce::String (row.name).replaceCharacter (' ', '-'));
        }

        editor.setDocument (&document); // the next showing shows the document's text
        EXPECT_EQ (in.codeDocument().getAllContent(), document.toXmlString());
    }
}
