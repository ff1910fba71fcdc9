#include "app/MainViewCommandsFixture.h"
#include "app/PanelDrawing.h"
#include "panels/ControllerInfoComponent.h"
#include "support/PixelProbes.h"
#include "support/TestMidiDevices.h"

/** A panel of its own over the test MIDI inputs and outputs "A", "B" and "C", beside a real main window whose file choosers start in the test's folder. */
struct ControllerInfoPanel : MainViewCommandsFixture
{
    void build()
    {
        (panel = std::make_unique<ControllerInfoComponent>())->setDocument (&doc);
        stateRightAfterSetDocument = state();
        TestHelpers::pumpMessages (50);
    }

    /** The enabled inputs, the default output and the stored device. */
    juce::String state() const { auto names = devices->enabled; return names.sort (false), names.joinIntoString (",") + "|" + devices->defaultOutput + "|" + doc.getMacDevice(); }
    juce::Component& child (int index) const { return *panel->getChildComponent (index); }
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
        { "", "", "", "0 #0", "||" }, { "", "", "X", "0 X#0", "||X" },                       // no devices
        { "A,B,C", "", "", "3 A#1", "A|A|A" }, { "A,B,C", "A", "", "3 A#1", "A||" },         // nothing stored: the first
        { "A,B,C", "A,C", "B", "3 B#2", "B|B|B" }, { "A,B,C", "A,B", "B", "3 B#2", "A,B||B" }, // stored, not yet or already enabled
        { "A,B,C", "A", "Gone", "3 Gone#0", "||Gone" },                                      // a name that no device has
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
        auto& combo = dynamic_cast<juce::ComboBox&> (child (12));
        EXPECT_EQ (juce::String (combo.getNumItems()) + " " + combo.getText() + "#" + juce::String (combo.getSelectedId()), row.shown);
        EXPECT_EQ (stateRightAfterSetDocument + " " + state(), juce::String (row.enabled) + "||" + row.stored + " " + row.after);
        EXPECT_FALSE (doc.hasChangedSinceSaved());
    }

    devices->inputNames.add ("D"); // listed after the panel was built: its state stays
    devices->enabled.add ("D");
    dynamic_cast<juce::ComboBox&> (child (12)).setSelectedId (3);
    TestHelpers::pumpMessages (50);
    EXPECT_EQ (state(), "C,D|C|C");
}

TEST_F (ControllerInfoPanel, FieldsAreWrittenOnFocusLossOnlyWhileThePanelLivesAndNeverMarkTheDocumentChanged)
{
    build();
    auto fields = [&] { return doc.getModel() + "|" + doc.getManufacturer() + "|" + doc.getVersion() + "|" + doc.getPublisher(); };
    for (const auto& [key, expected] : { std::pair { juce::KeyPress ('v', 0, 'v'), "" }, { juce::KeyPress (juce::KeyPress::returnKey), "||1.0|" }, { {}, "v|v|1.0v|v" } })
    {
        for (int i = 2; i < 10; i += 2)
            key.isValid() ? (void) child (i).keyPressed (key) : child (i).focusLost (juce::Component::focusChangedByMouseClick); // as JUCE calls it when the focus moves on
        TestHelpers::pumpMessages (50);
        EXPECT_TRUE (*expected == 0 || fields() == expected) << fields();
    }
    EXPECT_FALSE (doc.hasChangedSinceSaved());

    dynamic_cast<juce::TextEditor&> (child (2)).setText ("lost"); // a notification that finds the panel deleted, as when a row is chosen straight from a field
    child (2).focusLost (juce::Component::focusChangedDirectly);
    panel.reset();
    TestHelpers::pumpMessages (50);
    EXPECT_EQ (doc.getModel(), "v");
}

TEST_F (ControllerInfoPanel, ChangeShowsAChosenPictureWithoutStoringItAndAPanelReplacedMeanwhileIsLeftAlone)
{
    using namespace PanelDrawing;
    TestHelpers::writeSnapshot (*inspect().rightPanel(), "controller-info-panel");
    TestHelpers::expectPixels (TestHelpers::renderComponent (*inspect().rightPanel()), {
        { 50, 300, Colours::infoBody.getARGB() }, { 116, 220, Colours::iconFrame.getARGB() }, { 217, 321, Colours::iconFrame.getARGB() }, { 150, 0, Colours::headerTop.getARGB() },
        { 270, 27, Colours::sectionFrame.getARGB() }, { 270, 188, Colours::sectionFrame.getARGB() }, { 150, 366, Colours::sectionTop.getARGB() }, // the three section bars
    });

    TestHelpers::pumpMessages (50); // the panel applies its device first
    ASSERT_TRUE (document().saveAs (folder.getChildFile ("a.mappings")));
    const auto savedText = folder.getChildFile ("a.mappings").loadFileAsString();
    juce::Image red (juce::Image::ARGB, 8, 8, true);
    red.clear (red.getBounds(), juce::Colours::red);
    ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (red, *folder.getChildFile ("red.png").createOutputStream()));
    folder.getChildFile ("broken.png").replaceWithText ("not a picture");

    // The file chosen (none: cancelled) and whether the panel is replaced while the chooser is open; the icon shown after.
    const auto documentIcon = iconPixel();
    EXPECT_FALSE (TestHelpers::near (documentIcon, Colours::iconFrame));
    const struct { const char* file; bool replaced; juce::Colour shown; } rows[] = {
        { "", false, documentIcon }, { "red.png", false, juce::Colours::red }, { "broken.png", false, Colours::iconFrame }, { "red.png", true, documentIcon },
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
        EXPECT_TRUE (TestHelpers::near (iconPixel(), row.shown));
    }

    ASSERT_TRUE (document().save());
    EXPECT_EQ (folder.getChildFile ("a.mappings").loadFileAsString(), savedText);
}
