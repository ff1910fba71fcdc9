#include "app/MacOsXLookAndFeel.h"
#include "app/MainViewCommandsFixture.h"
#include "app/PanelDrawing.h"
#include "panels/ControllerInfoComponent.h"
#include "support/PixelProbes.h"
#include "support/TestMidiDevices.h"

/** A panel over the test MIDI inputs and outputs "A", "B" and "C", or in a real main window whose file choosers start in the test's folder. */
struct ControllerInfoPanel : MainViewCommandsFixture
{
    void build()
    {
        panel = std::make_unique<ControllerInfoComponent>();
        panel->setSize (320, 430);
        panel->setDocument (&doc);
        enabledRightAfterSetDocument = enabled();
        TestHelpers::pumpMessages (50);
    }

    juce::String enabled() const { auto names = devices->enabled; return names.sort (false), names.joinIntoString (","); }
    juce::Component& child (int index) const { return *panel->getChildComponent (index); }
    static juce::Colour iconPixel (juce::Component& p) { return TestHelpers::renderComponent (p).getPixelAt (167, 271); }

    ScopedTestMidiDevices devices { { "A", "B", "C" }, { "A", "B", "C" } };
    ControllerDocument doc;
    std::unique_ptr<ControllerInfoComponent> panel;
    juce::String enabledRightAfterSetDocument;
};

TEST_F (ControllerInfoPanel, BuildingAppliesTheStoredOrFirstDeviceOnlyAfterSetDocumentAndChoosingEnablesOnlyThatInput)
{
    // Inputs present, enabled before and the stored name; then the box's text and id, the enabled inputs, the default output and the stored name.
    const struct { const char *what, *inputs, *enabledBefore, *stored, *shown, *after; } rows[] = {
        { "no devices, nothing stored", "", "", "", "#0", "||" },
        { "no devices, a stored name", "", "", "X", "X#0", "||X" },
        { "nothing stored", "A,B,C", "", "", "A#1", "A|A|A" },
        { "nothing stored, first already enabled", "A,B,C", "A", "", "A#1", "A||" },
        { "stored, not yet enabled", "A,B,C", "A,C", "B", "B#2", "B|B|B" },
        { "stored, already enabled", "A,B,C", "A,B", "B", "B#2", "A,B||B" },
        { "stored name that no device has", "A,B,C", "A", "Gone", "Gone#0", "||Gone" },
    };

    TestHelpers::pumpMessages (50); // the window's own panel applies its device first
    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.what);
        devices->inputNames = juce::StringArray::fromTokens (row.inputs, ",", "");
        devices->enabled = juce::StringArray::fromTokens (row.enabledBefore, ",", "");
        devices->defaultOutput = {};
        doc.newDocument();
        doc.setMacDevice (row.stored);
        build();
        auto& combo = dynamic_cast<juce::ComboBox&> (child (12));
        EXPECT_EQ (enabledRightAfterSetDocument, row.enabledBefore);
        EXPECT_EQ (combo.getNumItems(), devices->inputNames.size());
        EXPECT_EQ (combo.getText() + "#" + juce::String (combo.getSelectedId()), row.shown);
        EXPECT_EQ (enabled() + "|" + devices->defaultOutput + "|" + doc.getMacDevice(), row.after);
        EXPECT_FALSE (doc.hasChangedSinceSaved());
    }

    // Choosing an input disables the other listed ones, not "D", which came after the panel listed them.
    devices->inputNames.add ("D");
    devices->enabled.add ("D");
    dynamic_cast<juce::ComboBox&> (child (12)).setSelectedId (3);
    TestHelpers::pumpMessages (50);
    EXPECT_EQ (enabled() + "|" + devices->defaultOutput + "|" + doc.getMacDevice(), "C,D|C|C");
    EXPECT_EQ (dynamic_cast<juce::ComboBox&> (child (12)).getTextWhenNoChoicesAvailable(), "(no choices)");
}

TEST_F (ControllerInfoPanel, FieldsAreWrittenOnFocusLossOnlyWhileThePanelLivesAndNeverMarkTheDocumentChanged)
{
    build();
    auto fields = [&] { return doc.getModel() + "|" + doc.getManufacturer() + "|" + doc.getVersion() + "|" + doc.getPublisher(); };
    for (const auto key : { juce::KeyPress ('v', 0, 'v'), juce::KeyPress (juce::KeyPress::returnKey) })
        for (int i = 0; i < 4; ++i)
            dynamic_cast<juce::TextEditor&> (child (2 + 2 * i)).keyPressed (key);
    TestHelpers::pumpMessages (50);
    EXPECT_EQ (fields(), "||1.0|");
    for (int i = 0; i < 4; ++i)
        child (2 + 2 * i).focusLost (juce::Component::focusChangedByMouseClick); // as JUCE calls it when the focus moves on
    TestHelpers::pumpMessages (50);
    EXPECT_EQ (fields(), "v|v|1.0v|v");
    EXPECT_FALSE (doc.hasChangedSinceSaved());

    dynamic_cast<juce::TextEditor&> (child (2)).setText ("lost"); // a notification that finds the panel deleted, as when a row is chosen straight from a field
    child (2).focusLost (juce::Component::focusChangedDirectly);
    panel.reset();
    TestHelpers::pumpMessages (50);
    EXPECT_EQ (doc.getModel(), "v");
}

TEST_F (ControllerInfoPanel, PaintsBodyIconFrameHeaderAndThreeSectionBars)
{
    using namespace PanelDrawing;
    MacOsXLookAndFeel lookAndFeel; // the editor's own, for the snapshot
    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
    build();
    TestHelpers::writeSnapshot (*panel, "controller-info-panel");
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    TestHelpers::expectPixels (TestHelpers::renderComponent (*panel), {
        { 50, 300, Colours::infoBody.getARGB() }, { 0, 300, Colours::infoBody.overlaidWith (Colours::infoFrame).getARGB() }, { 310, 100, Colours::background.getARGB() },
        { 116, 220, Colours::iconFrame.getARGB() }, { 217, 321, Colours::iconFrame.getARGB() }, { 150, 0, Colours::headerTop.getARGB() }, { 150, 20, Colours::headerBottom.getARGB() },
        { 270, 27, Colours::sectionFrame.getARGB() }, { 270, 44, Colours::sectionBottom.getARGB() }, { 270, 188, Colours::sectionFrame.getARGB() }, // information and icon bars
        { 270, 190, Colours::sectionTop.getARGB() }, { 299, 370, Colours::sectionFrame.getARGB() }, { 150, 366, Colours::sectionTop.getARGB() }, // icon and MIDI device bars
    });
    EXPECT_FALSE (TestHelpers::near (iconPixel (*panel), Colours::iconFrame)); // the document's icon
}

TEST_F (ControllerInfoPanel, ChangeShowsAChosenPictureWithoutStoringItAndAPanelReplacedMeanwhileIsLeftAlone)
{
    TestHelpers::pumpMessages (50); // the panel applies its device first
    ASSERT_TRUE (document().saveAs (folder.getChildFile ("a.mappings")));
    const auto savedText = folder.getChildFile ("a.mappings").loadFileAsString();
    juce::Image red (juce::Image::ARGB, 8, 8, true);
    red.clear (red.getBounds(), juce::Colours::red);
    ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (red, *folder.getChildFile ("red.png").createOutputStream()));
    folder.getChildFile ("broken.png").replaceWithText ("not a picture");

    const auto documentIcon = iconPixel (*inspect().rightPanel());
    // The file chosen (none: cancelled), whether the panel is replaced while the chooser is open, and the icon shown after.
    const struct { const char* file; bool replaced; juce::Colour shown; } rows[] = {
        { "", false, documentIcon }, { "red.png", false, juce::Colours::red }, { "broken.png", false, PanelDrawing::Colours::iconFrame }, { "red.png", true, documentIcon },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.file + juce::String (row.replaced ? ", replaced" : ""));
        juce::File root;
        TestHelpers::ModalEnder chooser (*row.file != 0 ? 1 : 0, [&] (juce::Component& modal) {
            root = CommandTestHelpers::findFileBrowser (modal)->getRoot();
            CommandTestHelpers::chooseFile (folder.getChildFile (row.file)) (modal);
            if (row.replaced)
                view().showControllerInfo();
        });
        dynamic_cast<juce::Button*> (inspect().rightPanel()->getChildComponent (11))->triggerClick();
        ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return chooser.hasEnded(); }));
        TestHelpers::pumpMessages (50);
        EXPECT_EQ (chooser.getEndedComponentName() + " in " + root.getFullPathName(), "Select Icon ... in " + folder.getFolder().getFullPathName());
        EXPECT_TRUE (TestHelpers::near (iconPixel (*inspect().rightPanel()), row.shown));
    }

    ASSERT_TRUE (document().save());
    EXPECT_EQ (folder.getChildFile ("a.mappings").loadFileAsString(), savedText);
}
