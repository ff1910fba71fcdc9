#include <gtest/gtest.h>

#include "app/MacOsXLookAndFeel.h"
#include "app/MainViewCommandsFixture.h"
#include "app/PanelDrawing.h"
#include "panels/ControllerInfoComponent.h"
#include "support/TestMidiDevices.h"

namespace
{
    using namespace PanelDrawing;
    const juce::StringArray abc { "A", "B", "C" };
    juce::Colour iconPixel (juce::Component& panel) { return TestHelpers::renderComponent (panel).getPixelAt (167, 271); }
    juce::StringArray sorted (juce::StringArray names) { names.sort (false); return names; }
}

/** A panel on its own over three test MIDI inputs and outputs of the same names. */
struct ControllerInfoPanel : ::testing::Test
{
    void build()
    {
        panel = std::make_unique<ControllerInfoComponent>();
        panel->setSize (320, 430);
        panel->setDocument (&document);
        enabledRightAfterSetDocument = sorted (devices->getEnabledInputs());
        TestHelpers::pumpMessages (50);
    }

    juce::ComboBox& combo() const { return *dynamic_cast<juce::ComboBox*> (panel->getChildComponent (12)); }
    juce::TextEditor& field (int i) const { return *dynamic_cast<juce::TextEditor*> (panel->getChildComponent (2 + 2 * i)); }

    ScopedTestMidiDevices devices { abc, abc };
    ControllerDocument document;
    std::unique_ptr<ControllerInfoComponent> panel;
    juce::StringArray enabledRightAfterSetDocument;
};

TEST_F (ControllerInfoPanel, BuildingAppliesTheStoredOrFirstDeviceOnlyAfterSetDocumentReturns)
{
    const struct { const char* what; juce::StringArray inputs, enabledBefore; juce::String stored, shown; int selectedId;
                   juce::StringArray enabledAfter; juce::String defaultOutput, storedAfter; } rows[] = {
        { "no devices, nothing stored", {}, {}, {}, {}, 0, {}, {}, {} },
        { "no devices, a stored name", {}, {}, "X", "X", 0, {}, {}, "X" },
        { "nothing stored", abc, {}, {}, "A", 1, { "A" }, "A", "A" },
        { "nothing stored, first already enabled", abc, { "A" }, {}, "A", 1, { "A" }, {}, {} },
        { "stored, not yet enabled", abc, { "A", "C" }, "B", "B", 2, { "B" }, "B", "B" },
        { "stored, already enabled", abc, { "A", "B" }, "B", "B", 2, { "A", "B" }, {}, "B" },
        { "stored name that no device has", abc, { "A" }, "Gone", "Gone", 0, {}, {}, "Gone" },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.what);
        devices->setInputNames (abc);
        for (const auto& name : abc)
            devices->setInputEnabled (name, row.enabledBefore.contains (name));
        devices->setDefaultOutput ({});
        devices->setInputNames (row.inputs);
        document.newDocument();
        document.setMacDevice (row.stored);

        build();
        EXPECT_EQ (enabledRightAfterSetDocument, row.enabledBefore);
        EXPECT_EQ (combo().getNumItems(), row.inputs.size());
        EXPECT_EQ (combo().getText(), row.shown);
        EXPECT_EQ (combo().getSelectedId(), row.selectedId);
        EXPECT_EQ (sorted (devices->getEnabledInputs()), row.enabledAfter);
        EXPECT_EQ (devices->getDefaultOutputName(), row.defaultOutput);
        EXPECT_EQ (document.getMacDevice(), row.storedAfter);
        EXPECT_FALSE (document.hasChangedSinceSaved());
    }

    EXPECT_EQ (combo().getTextWhenNoChoicesAvailable(), "(no choices)");
}

TEST_F (ControllerInfoPanel, ChoosingEnablesOnlyThatListedInputUnlessItIsEnabledAlready)
{
    build();
    devices->setInputNames ({ "A", "B", "C", "D" }); // D came after the panel listed the inputs
    devices->setInputEnabled ("D", true);

    const struct { const char* alsoEnabled; const char* stored; int id; juce::StringArray enabled; const char* storedAfter; } steps[] = {
        { nullptr, "A", 3, { "C", "D" }, "C" },
        { "B", "Other", 2, { "B", "C", "D" }, "Other" }, // B is enabled already: nothing changes
    };

    for (const auto& step : steps)
    {
        SCOPED_TRACE (step.storedAfter);
        if (step.alsoEnabled != nullptr)
            devices->setInputEnabled (step.alsoEnabled, true);
        document.setMacDevice (step.stored);
        combo().setSelectedId (step.id);
        TestHelpers::pumpMessages (50);
        EXPECT_EQ (sorted (devices->getEnabledInputs()), step.enabled);
        EXPECT_EQ (devices->getDefaultOutputName(), "C");
        EXPECT_EQ (document.getMacDevice(), step.storedAfter);
    }
}

TEST_F (ControllerInfoPanel, FieldsAreWrittenOnFocusLossOnlyWhileThePanelLivesAndNeverMarkTheDocumentChanged)
{
    build();
    const std::function<juce::String()> getters[] = { [&] { return document.getModel(); }, [&] { return document.getManufacturer(); },
                                                      [&] { return document.getVersion(); }, [&] { return document.getPublisher(); } };

    for (int i = 0; i < 4; ++i)
    {
        SCOPED_TRACE (i);
        const auto before = getters[i](); // a new document's version is "1.0"
        field (i).keyPressed (juce::KeyPress ('v', 0, 'v'));
        field (i).keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
        TestHelpers::pumpMessages (50);
        EXPECT_EQ (getters[i](), before);

        field (i).focusLost (juce::Component::focusChangedByMouseClick); // as JUCE calls it when the focus moves on
        TestHelpers::pumpMessages (50);
        EXPECT_EQ (getters[i](), before + "v");
    }

    EXPECT_FALSE (document.hasChangedSinceSaved());

    // A focus loss whose notification finds the panel deleted, as when a table row is selected straight from a field.
    field (0).setText ("lost");
    field (0).focusLost (juce::Component::focusChangedDirectly);
    panel.reset();
    TestHelpers::pumpMessages (50);
    EXPECT_EQ (document.getModel(), "v");
}

TEST_F (ControllerInfoPanel, PaintsBodyIconFrameHeaderAndThreeSectionBars)
{
    MacOsXLookAndFeel lookAndFeel; // the editor's own, for the snapshot
    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
    document.setModel ("Xone:K2");
    build();
    TestHelpers::writeSnapshot (*panel, "controller-info-panel");
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);

    const auto image = TestHelpers::renderComponent (*panel);
    const struct { int x, y; juce::Colour expected; } probes[] = {
        { 50, 300, Colours::infoBody }, { 0, 300, Colours::infoBody.overlaidWith (Colours::infoFrame) },
        { 116, 220, Colours::iconFrame }, { 217, 321, Colours::iconFrame },
        { 150, 0, Colours::headerTop }, { 150, 20, Colours::headerBottom },
        { 270, 27, Colours::sectionFrame }, { 270, 44, Colours::sectionBottom },   // controller information bar
        { 270, 188, Colours::sectionFrame }, { 270, 190, Colours::sectionTop },    // icon bar
        { 299, 370, Colours::sectionFrame }, { 150, 366, Colours::sectionTop },    // MIDI device bar
        { 310, 100, Colours::background },
    };

    for (const auto& probe : probes)
    {
        SCOPED_TRACE (juce::String (probe.x) + ", " + juce::String (probe.y));
        EXPECT_TRUE (TestHelpers::near (image.getPixelAt (probe.x, probe.y), probe.expected));
    }

    EXPECT_FALSE (TestHelpers::near (iconPixel (*panel), Colours::iconFrame)); // the document's icon
}

//==============================================================================
/** The panel in a real main window, whose file choosers start in the test's folder. */
struct ControllerInfoInWindow : MainViewCommandsFixture
{
    juce::Component& panel() const { return *inspect().rightPanel(); }
    ScopedTestMidiDevices devices;
};

TEST_F (ControllerInfoInWindow, ChangeShowsAChosenPictureWithoutEverStoringIt)
{
    const auto saved = folder.getChildFile ("a.mappings");
    ASSERT_TRUE (document().saveAs (saved));
    juce::MemoryBlock savedBytes, bytesAfterSave;
    saved.loadFileAsData (savedBytes);

    juce::Image red (juce::Image::ARGB, 8, 8, true);
    red.clear (red.getBounds(), juce::Colours::red);
    juce::MemoryOutputStream png;
    juce::PNGImageFormat().writeImageToStream (red, png);
    folder.getChildFile ("red.png").replaceWithData (png.getData(), png.getDataSize());
    folder.getChildFile ("broken.png").replaceWithText ("not a picture");

    const auto documentIcon = iconPixel (panel());
    const struct { const char* file; juce::Colour shown; } rows[] = {
        { nullptr, documentIcon }, { "red.png", juce::Colours::red }, { nullptr, juce::Colours::red }, { "broken.png", Colours::iconFrame },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.file != nullptr ? row.file : "cancelled");
        juce::File root;
        TestHelpers::ModalEnder chooser (row.file != nullptr ? 1 : 0, [&] (juce::Component& modal)
        {
            root = CommandTestHelpers::findFileBrowser (modal)->getRoot();
            if (row.file != nullptr)
                CommandTestHelpers::chooseFile (folder.getChildFile (row.file)) (modal);
        });
        dynamic_cast<juce::Button*> (panel().getChildComponent (11))->triggerClick();
        ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return chooser.hasEnded(); }));
        TestHelpers::pumpMessages (50);
        EXPECT_EQ (chooser.getEndedComponentName(), "Select Icon ...");
        EXPECT_EQ (root, folder.getFolder());
        EXPECT_TRUE (TestHelpers::near (iconPixel (panel()), row.shown));
    }

    ASSERT_TRUE (document().save());
    saved.loadFileAsData (bytesAfterSave);
    EXPECT_TRUE (bytesAfterSave == savedBytes);
    view().showControllerInfo();
    EXPECT_TRUE (TestHelpers::near (iconPixel (panel()), documentIcon));
}
