#include "app/MainViewCommandsFixture.h"
#include "app/PanelDrawing.h"
#include "panels/ControllerInfoComponent.h"
#include "support/PixelProbes.h"
#include "support/TestMidiDevices.h"

/** A panel of its own over the MIDI inputs and outputs "A", "B" and "C", beside a real main window whose file choosers start in the test's folder. */
struct ControllerInfoPanel : MainViewCommandsFixture
{
    void build()
    {
        (panel = std::make_unique<ControllerInfoComponent>())->setDocument (&doc);
        stateRightAfterSetDocument = state();
        TestHelpers::pumpMessages (50);
    }

    juce::String state() const { auto names = devices->enabled; names.sort (false); return names.joinIntoString (",") + "|" + devices->defaultOutput + "|" + doc.getMacDevice(); } // enabled|output|stored
    juce::Colour iconPixel() const { return TestHelpers::renderComponent (*inspect().rightPanel()).getPixelAt (167, 271); }

    ScopedTestMidiDevices devices { { "A", "B", "C" }, { "A", "B", "C" } };
    ControllerDocument doc;
    std::unique_ptr<ControllerInfoComponent> panel;
    juce::String stateRightAfterSetDocument;
};

TEST_F (ControllerInfoPanel, BuildingAppliesTheStoredOrFirstDeviceOnlyAfterSetDocumentAndChoosingEnablesOnlyThatInput)
{
    // Inputs, those enabled and the stored name; then the box's items, text and id, and the enabled inputs, default output and stored name.
    const struct { const char *inputs, *enabled, *stored, *shown, *after; } rows[] = {
        { "", "", "", "0 #0", "||" },                    // no devices
        { "", "", "X", "0 X#0", "||X" },
        { "A,B,C", "", "", "3 A#1", "A|A|A" },           // nothing stored: the first
        { "A,B,C", "A", "", "3 A#1", "A||" },
        { "A,B,C", "A,C", "B", "3 B#2", "B|B|B" },       // stored, not yet enabled
        { "A,B,C", "A,B", "B", "3 B#2", "A,B||B" },      // stored, already enabled
        { "A,B,C", "A", "Gone", "3 Gone#0", "||Gone" }, // a name that no device has
    };

    TestHelpers::pumpMessages (50); // the window's own panel applies its device first
    for (const auto& row : rows)
    {
        SCOPED_TRACE (juce::String (row.inputs) + " " + row.enabled + " " + row.stored);
        devices->inputNames = juce::StringArray::fromTokens (row.inputs, ",", "");
        devices->enabled = juce::StringArray::fromTokens (row.enabled, ",", "");
        devices->defaultOutput = {};
        doc.newDocument();
        doc.setMacDevice (row.stored);
        build();
        auto& combo = dynamic_cast<juce::ComboBox&> (*panel->getChildComponent (12));
        EXPECT_EQ (juce::String (combo.getNumItems()) + " " + combo.getText() + "#" + juce::String (combo.getSelectedId()), row.shown);
        EXPECT_EQ (stateRightAfterSetDocument + " " + state() + (doc.hasChangedSinceSaved() ? " changed" : ""), juce::String (row.enabled) + "||" + row.stored + " " + row.after);
    }

    devices->inputNames.add ("D"); // listed after the panel was built: it keeps its state
    devices->enabled.add ("D");
    dynamic_cast<juce::ComboBox&> (*panel->getChildComponent (12)).setSelectedId (3);
    TestHelpers::pumpMessages (50);
    EXPECT_EQ (state(), "C,D|C|C");
}

TEST_F (ControllerInfoPanel, ChangeShowsAChosenPictureWithoutStoringItAndAPanelReplacedMeanwhileIsLeftAlone)
{
    TestHelpers::writeSnapshot (*inspect().rightPanel(), "controller-info-panel");
    TestHelpers::expectPixels (TestHelpers::renderComponent (*inspect().rightPanel()), { { 50, 300, PanelDrawing::Colours::infoBody.getARGB() }, { 116, 220, PanelDrawing::Colours::iconFrame.getARGB() },
        { 217, 321, PanelDrawing::Colours::iconFrame.getARGB() }, { 270, 27, PanelDrawing::Colours::sectionFrame.getARGB() }, { 270, 188, PanelDrawing::Colours::sectionFrame.getARGB() }, { 150, 366, PanelDrawing::Colours::sectionTop.getARGB() } });

    TestHelpers::pumpMessages (50); // the panel applies its device first
    ASSERT_TRUE (document().saveAs (folder.getChildFile ("a.mappings")));
    const auto savedText = folder.getChildFile ("a.mappings").loadFileAsString();
    juce::Image red (juce::Image::ARGB, 8, 8, true);
    red.clear (red.getBounds(), juce::Colours::red);
    ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (red, *folder.getChildFile ("red.png").createOutputStream()));
    folder.getChildFile ("broken.png").replaceWithText ("not a picture");

    // The file chosen (none: cancelled) and whether the panel is replaced while the chooser is open; the icon shown after.
    const auto documentIcon = iconPixel();
    const struct { const char* file; bool replaced; juce::Colour shown; } rows[] = {
        { "", false, documentIcon },
        { "red.png", false, juce::Colours::red },
        { "broken.png", false, PanelDrawing::Colours::iconFrame },
        { "red.png", true, documentIcon },
    };

    for (const auto& row : rows)
    {
        TestHelpers::ModalEnder chooser (*row.file != 0 ? 1 : 0, [&] (juce::Component& modal) {
            CommandTestHelpers::chooseFile (folder.getChildFile (row.file)) (modal);
            if (row.replaced)
                view().showControllerInfo();
        });
        dynamic_cast<juce::Button*> (inspect().rightPanel()->getChildComponent (11))->triggerClick();
        ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return chooser.hasEnded(); }));
        TestHelpers::pumpMessages (50);
        EXPECT_EQ (chooser.getEndedComponentName(), "Select Icon ...");
        EXPECT_TRUE (TestHelpers::near (iconPixel(), row.shown) && ! TestHelpers::near (documentIcon, PanelDrawing::Colours::iconFrame)) << row.file << (row.replaced ? ", replaced" : "");
    }

    ASSERT_TRUE (document().save());
    EXPECT_EQ (folder.getChildFile ("a.mappings").loadFileAsString(), savedText);
}

TEST_F (ControllerInfoPanel, FieldsAreWrittenOnFocusLossOnlyWhileThePanelLivesAndNeverMarkTheDocumentChanged)
{
    build();
    auto field = [&] (int i) -> juce::TextEditor& { return *dynamic_cast<juce::TextEditor*> (panel->getChildComponent (2 + 2 * i)); };
    auto fields = [&] { return doc.getModel() + "|" + doc.getManufacturer() + "|" + doc.getVersion() + "|" + doc.getPublisher() + (doc.hasChangedSinceSaved() ? "*" : ""); };

    for (int i = 0; i < 4; ++i)
        field (i).setText ("v" + juce::String (i)), field (i).keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    TestHelpers::pumpMessages (50);
    EXPECT_EQ (fields(), "||1.0|"); // typing and return alone write nothing
    for (int i = 0; i < 4; ++i)
        field (i).focusLost (juce::Component::focusChangedByMouseClick); // as JUCE calls it when the focus moves on
    TestHelpers::pumpMessages (50);
    EXPECT_EQ (fields(), "v0|v1|v2|v3");

    field (0).setText ("lost"); // a focus loss whose notification finds the panel deleted, as when a table row is chosen from a field
    field (0).focusLost (juce::Component::focusChangedDirectly);
    panel.reset();
    TestHelpers::pumpMessages (50);
    EXPECT_EQ (fields(), "v0|v1|v2|v3");
}

// Characters that XML 1.0 does not allow (control characters but tab, surrogate halves, U+FFFE, U+FFFF,
// beyond Unicode) are dropped as they are typed or pasted; the good ones around them stay, and the saved
// file holds no reference to a bad one.
TEST_F (ControllerInfoPanel, FieldsDropTypedOrPastedCharactersThatXmlDoesNotAllow)
{
    build();
    const auto clipboard = juce::SystemClipboard::getTextFromClipboard();
    auto field = [&] (int i) -> juce::TextEditor& { return *dynamic_cast<juce::TextEditor*> (panel->getChildComponent (2 + 2 * i)); };
    const juce::juce_wchar bad[] = { 0x01, 0x08, 0x0b, 0x1f, 0xd800, 0xdfff, 0xfffe, 0xffff, 0x110000 };
    const juce::juce_wchar good[] = { 'a', '\t', 0xe9, 0x416, 0xfffd, 0x1f600, 0x10ffff, '&', 'z' };
    std::vector<juce::juce_wchar> mixed, kept;

    for (size_t i = 0; i < std::size (bad); ++i)
        mixed.insert (mixed.end(), { good[i], bad[i] }), kept.push_back (good[i]);

    mixed.push_back (0), kept.push_back (0);
    const juce::String mixedText (juce::CharPointer_UTF32 (mixed.data())), keptText (juce::CharPointer_UTF32 (kept.data()));
    ASSERT_EQ (mixedText.length(), 18); // the string holds each bad character, a surrogate half too

    for (int i = 0; i < 4; ++i) // typed, one character at a time, into two fields, pasted into the other two
    {
        field (i).setText ("<");
        TestHelpers::pumpMessages (20); // the text's value catches up
        field (i).moveCaretToEnd();

        if (i % 2 == 0)
        {
            for (auto p = mixedText.getCharPointer(); ! p.isEmpty();)
                field (i).insertTextAtCaret (juce::String::charToString (p.getAndAdvance()));
        }
        else
        {
            juce::SystemClipboard::copyTextToClipboard (mixedText);
            field (i).paste();
        }

        field (i).focusLost (juce::Component::focusChangedByMouseClick);
    }

    TestHelpers::pumpMessages (50);
    const auto file = folder.getChildFile ("fields.mappings");
    ASSERT_TRUE (doc.saveAs (file));
    const auto saved = file.loadFileAsString();

    for (auto c : bad)
        EXPECT_FALSE (saved.contains ("&#" + juce::String ((int) c) + ";")) << (int) c;

    EXPECT_TRUE (saved.contains ("Model=\"&lt;a&#9;&#233;&#1046;&#65533;&#128512;&#1114111;&amp;z\"")) << saved;
    ControllerDocument reopened;
    ASSERT_TRUE (reopened.loadFrom (file));
    EXPECT_EQ (reopened.getModel() + "|" + reopened.getManufacturer() + "|" + reopened.getVersion() + "|" + reopened.getPublisher(),
               juce::String ("<") + keptText + "|<" + keptText + "|<" + keptText + "|<" + keptText);
    juce::SystemClipboard::copyTextToClipboard (clipboard);
}
