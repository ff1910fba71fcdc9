#include "app/MainViewTestFixture.h"

#include "app/MacOsXLookAndFeel.h"
#include "app/MultiSelectionComponent.h"
#include "model/ControlCatalogueInspector.h"
#include "model/InputMapping.h"
#include "model/OutputMapping.h"
#include "panels/ControllerInfoComponent.h"
#include "panels/InputMappingComponent.h"
#include "panels/OutputMappingComponent.h"
#include "resources/Resources.h"
#include "support/PixelProbes.h"

using namespace MainViewTestData;
using TestHelpers::countPixels;

using MainView = MainViewFixture;

namespace
{
    /** The rows' kinds ("1" an input, "0" an output), then the group filter's items. */
    juce::String rowsAndGroups (MainViewInspector in)
    {
        juce::String text;
        for (int i = 0; i < in.numRows(); ++i)
            text << Mapping::getKind (in.row (i));
        for (int i = 0; i < in.groupFilterCombo().getNumItems(); ++i)
            text << "|" << in.groupFilterCombo().getItemText (i) << ":" << in.groupFilterCombo().getItemId (i);
        return text;
    }

    /** The right-hand panel ("info", "multi", or "input N" / "output N" for the row N it edits) and how many rows are selected. */
    juce::String panel (MainViewInspector in)
    {
        auto* input = dynamic_cast<InputMappingComponent*> (in.rightPanel());
        auto* output = dynamic_cast<OutputMappingComponent*> (in.rightPanel());
        juce::String text = dynamic_cast<MultiSelectionComponent*> (in.rightPanel()) != nullptr ? "multi" : (dynamic_cast<ControllerInfoComponent*> (in.rightPanel()) != nullptr ? "info" : "?");
        if (input != nullptr || output != nullptr)
            text = (input != nullptr ? "input " : "output ") + juce::String (in.indexOf (input != nullptr ? input->getInputMapping()->getValueTree() : output->getMapping()->getValueTree()));
        text << ", " << in.table().getNumSelectedRows() << " selected";
        return text + (in.rightPanel()->getBounds() == juce::Rectangle<int> (800, 40, 300, 660) && in.view.getNumChildComponents() == 12 ? "" : ", misplaced");
    }
}

// Every rebuild clears the selection and shows the controller information; every selection makes a new panel after deleting the old.
TEST_F (MainView, FiltersRowsAndEverySelectionDeletesTheOldPanelBeforeMakingItsNewOne)
{
    auto in = inspect();
    EXPECT_EQ (rowsAndGroups (in) + " " + panel (in), "|all:1 info, 0 selected");
    for (auto* alias : { "fam(Fx)[0x1].OnOff", "fam(Player)[0x1].CuePlay", "no.such.control", "mod(ShiftSelector)" })
        addInput (document(), makeInput (alias));
    for (auto* alias : { "fam(Mixer).MasterMeter", "fam(Fx)[0x1].OnOff", "fam(Player)[0x1].TrackTitle" })
        addOutput (document(), makeOutput (alias));
    view->updateMappingList();

    const juce::String allGroups ("|all:1|Fx 1 :2|Player A :3|unknown:4|Modifiers :5|Mixer :6");
    const std::tuple<int, int, juce::String> filters[] = {
        { 2, 1, "1111|all:1|Fx 1 :2|Player A :3|unknown:4|Modifiers :5" },
        { 3, 1, "000|all:1|Mixer :2|Fx 1 :3|Player A :4" },
        { 1, 1, "1111000" + allGroups },
        { 1, 2, "10" + allGroups }, // "Fx 1 ": the list still offers every group let through
    };
    for (auto& [io, group, expected] : filters)
    {
        in.table().selectRangeOfRows (0, 1);
        in.ioFilterCombo().setSelectedId (io, juce::sendNotificationSync);
        in.groupFilterCombo().setSelectedId (group, juce::sendNotificationSync);
        EXPECT_EQ (rowsAndGroups (in) + " " + panel (in), expected + " info, 0 selected");
    }

    // A rebuild keeps the group shown; a group with no rows left shows nothing until the combo's late message stores "all".
    view->updateMappingList();
    TestHelpers::pumpMessages (30);
    EXPECT_EQ (in.groupFilterCombo().getText() + in.groupFilter() + rowsAndGroups (in), "Fx 1 Fx 1 10" + allGroups);
    in.groupFilterCombo().setSelectedId (6, juce::sendNotificationSync);
    in.ioFilterCombo().setSelectedId (2, juce::sendNotificationSync);
    EXPECT_EQ (in.groupFilterCombo().getText() + "/" + in.groupFilter() + "/" + juce::String (in.numRows()), "all/Mixer /0");
    inputList (document()).appendChild (juce::ValueTree ("comment"), nullptr);
    in.ioFilterCombo().setSelectedId (1, juce::sendNotificationSync);
    EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return in.groupFilter() == "all" && in.numRows() == 7; }, 2000));

    addOutput (document(), addOutput (document(), makeOutput ("reg(RegisterLogic1)")).createCopy());
    view->updateMappingList(); // rows 0-3 inputs, 4-6 outputs, then two equivalent outputs
    struct Watch : juce::ComponentListener
    {
        explicit Watch (MainViewInspector i) : in (i) {}
        void componentBeingDeleted (juce::Component& panel) override { order = panel.getParentComponent() == nullptr && in.rightPanel() == nullptr ? "removed first" : "still shown"; }
        MainViewInspector in;
        juce::String order;
    };
    const std::pair<std::function<void()>, const char*> switches[] = {
        { [&] { in.table().selectRow (0); }, "input 0, 1 selected" },
        { [&] { view->selectedRowsChanged (0); }, "input 0, 1 selected" },
        { [&] { in.table().selectRow (5); }, "output 5, 1 selected" },
        { [&] { in.table().selectRow (1, false, false); }, "multi, 2 selected" },
        { [&] { in.table().selectRow (3, false, false); }, "multi, 3 selected" },
        { [&] { view->selectMappingRow (in.row (8)); }, "output 7, 1 selected" }, // the first equivalent row, alone
        { [&] { in.table().deselectAllRows(); }, "info, 0 selected" },
        { [&] { in.table().selectRow (2); }, "input 2, 1 selected" },
        { [&] { view->showControllerInfo(); }, "info, 0 selected" },
    };
    for (auto& [switchPanel, expected] : switches)
    {
        Watch watch (in);
        in.rightPanel()->addComponentListener (&watch);
        switchPanel();
        EXPECT_EQ (watch.order + ": " + panel (in), juce::String ("removed first: ") + expected);
    }

    auto* panel = in.rightPanel(); // a row outside the list, or a mapping no row holds, keeps the panel
    view->selectedRowsChanged (99);
    view->selectMappingRow (makeOutput ("nowhere"));
    EXPECT_EQ (in.rightPanel(), panel);
    view->setSize (1301, 821); // an odd width halves down
    juce::StringArray bounds;
    for (auto* child : view->getChildren())
        bounds.add (child->getBounds().toString());
    EXPECT_EQ (bounds.joinIntoString ("; "), "0 0 1301 821; 0 0 1301 821; 0 40 1001 781; 952 4 32 32; 987 4 32 32; 400 8 250 24; 658 8 80 24; 1019 4 32 32; 1259 4 32 32; 1227 4 32 32; 1143 8 150 24; 1001 40 300 781");
}

// Repeated, unknown and case-variant aliases make keys tie; titles and types are found by walking the catalogue's trees.
TEST_F (MainView, SortsEveryColumnBothWaysAsJuceSortsWithAPlainReferenceComparison)
{
    const juce::ValueTree trees[] = { ControlCatalogueInspector::in (*controlCatalogue), ControlCatalogueInspector::out (*controlCatalogue) };
    juce::StringArray aliases { "Zulu", "alpha", "MOD(SHIFTLOGIC1)", "no.such.control" };
    for (auto& tree : trees)
        for (const auto& group : tree)
            aliases.addArray ({ group.getChild (0)["alias"].toString(), group.getChild (group.getNumChildren() - 1)["alias"].toString() });

    juce::Random random (18);
    const auto pick = [&random] (const juce::StringArray& from) { return from[random.nextInt (from.size())]; };
    for (int i = 0; i < 400; ++i) // three inputs to two outputs
        random.nextInt (5) < 3 ? addInput (document(), makeInput (pick (aliases), 1 + random.nextInt (16), random.nextInt (128), random.nextBool() ? "CC" : "Note", pick ({ "", "Holder Button", "Toggler Button" }), pick ({ "", "ML1", "ML3", "ML0" })))
                               : addOutput (document(), makeOutput (pick (aliases), pick ({ "true", "false", "%", "0x40", "" }), pick ({ "", "ML1", "ML3" }), 1 + random.nextInt (16), random.nextInt (128)));

    const auto lookup = [&trees] (const juce::String& alias, const char* property, const char* miss) -> juce::String
    {
        for (auto& tree : trees)
            for (const auto& group : tree)
                if (auto value = group.getChildWithProperty ("alias", alias); value.isValid())
                    return value[property].toString();
        return miss;
    };
    struct Row { juce::ValueTree tree; std::pair<int, juce::String> key; };
    struct ReferenceSorter { int direction; int compareElements (const Row& a, const Row& b) const { return (a.key < b.key ? -1 : (b.key < a.key ? 1 : 0)) * direction; } };

    for (int column = 1; column <= 7; ++column)
    {
        juce::Array<Row> gathered; // as the rebuild gathers them: inputs, then outputs
        for (auto list : { inputList (document()), outputList (document()) })
            for (const auto& row : list)
            {
                const bool output = Mapping::getKind (row) == 0;
                const std::unique_ptr<Mapping> m (output ? (Mapping*) new OutputMapping (row) : new InputMapping (row));
                const juce::String texts[] = { {}, m->getAlias(), {}, lookup (m->getAlias(), "type", "unknwon"), output ? OutputMapping (row).getControlValue() : InputMapping (row).getPreset(), m->getDescription(), {}, lookup (m->getAlias(), "title", "unknown") };
                gathered.add ({ row, { column == 2 ? (int) output : (column == 6 ? m->getModifier() : 0), texts[column] } });
            }

        for (ReferenceSorter sorter : { ReferenceSorter { 1 }, ReferenceSorter { -1 } })
        {
            view->sortOrderChanged (column, sorter.direction > 0);
            auto reference = gathered;
            reference.sort (sorter);
            int differing = inspect().numRows() == reference.size() ? 0 : 1000;
            for (int i = 0; i < reference.size(); ++i)
                differing += inspect().row (i) == reference[i].tree ? 0 : 1;
            EXPECT_EQ (differing, 0) << "column " << column << ", direction " << sorter.direction;
        }
    }
}

TEST_F (MainView, PaintsTheHeaderTheFiltersTheTableAndTheMultiSelectionPanelInTheirColours)
{
    addInput (document(), makeInput ("fam(Fx)[0x1].OnOff", 1, 7, "CC", {}, "ML2"));
    addInput (document(), makeInput ("no.such.control", 2, 8));
    addOutput (document(), makeOutput ("fam(Mixer).MasterMeter", "%"));
    addOutput (document(), makeOutput ("gone.output", "%"));
    view->updateMappingList();
    inspect().table().selectRangeOfRows (2, 3);
    MacOsXLookAndFeel lookAndFeel;
    view->setLookAndFeel (&lookAndFeel);
    view->setColour (juce::ComboBox::arrowColourId, juce::Colours::red); // a parent's colour is not the combo boxes' own
    inspect().groupFilterCombo().setColour (juce::ComboBox::arrowColourId, juce::Colours::blue);
    const auto image = TestHelpers::renderComponent (*view);
    TestHelpers::writeSnapshot (image, "MainView");

    const juce::Colour white (0xffffffff), odd (0xfff0f5fa), selected (0xff4b96e6), black (0xff000000), grey (0xff808080);
    const auto cell = [this] (int row, int column) { return inspect().table().getCellPosition (column, row, true).translated (0, 40).withTrimmedRight (2); };
    const auto overlay = [] (juce::Colour under) { return under.overlaidWith (juce::Colour (0x33000000)).getARGB(); };
    const std::tuple<int, juce::Colour, juce::Colour, juce::Colour> rows[] = { { 0, white, black, selected }, { 1, odd, grey, black }, { 2, selected, white, grey }, { 3, selected, grey, white } };
    for (auto& [row, background, text, notText] : rows)
    {
        EXPECT_TRUE (countPixels (image, text, cell (row, 7), 4) > 5 && countPixels (image, notText, cell (row, 7), 4) == 0) << row;
        for (int column : { 7, 2, 3, 4, 6 })
            TestHelpers::expectPixels (image, { { cell (row, column).getRight() + 1, cell (row, column).getY() + 2, overlay (background) }, { cell (row, column).getRight(), cell (row, column).getY() + 2, background.getARGB() } });
    }
    EXPECT_TRUE (countPixels (image, black, cell (0, 6), 0x40) > 0 && countPixels (image, black, cell (0, 4), 0x40) + countPixels (image, white, cell (2, 6), 0x40) == 0); // modifier "2", no preset, no modifiers

    // IO icons; the title header, its logo and title; the group filter's gradient, outline and arrows; the table header; the multi-selection panel.
    const auto icon = [] (const char* name, juce::Colour under) { return under.overlaidWith (Resources::getCachedImage (name).getPixelAt (8, 1)).getARGB(); };
    TestHelpers::expectPixels (image, { { cell (0, 2).getCentreX(), cell (0, 2).getY() + 4, icon ("io_input.png", white) }, { cell (2, 2).getCentreX(), cell (2, 2).getY() + 4, icon ("io_output.png", selected) },
                                        { 2, 2, 0xff6b6b6b }, { 55, 38, 0xff6b6b6b }, { 200, 38, 0xff6b6b6b }, { 300, 8, 0xff6b6b6b }, { 400, 9, 0xfffdfdfd }, { 400, 19, 0xffeeeeee }, { 400, 28, 0xffeeeeee },
                                        { 300, 20, 0xffbfbfbf }, { 540, 19, 0xffeeeeee }, { 540, 15, 0xff0000ff }, { 540, 23, 0xff0000ff }, { 100, 40, 0xfff6f6f6 }, { 100, 54, 0xffd9d9d9 }, { 100, 67, overlay (juce::Colour (0xffd9d9d9)) },
                                        { 299, 40, 0xffdddddd }, { 324, 66, 0xffdcdcdc }, { 299, 67, overlay (juce::Colour (0xffd9d9d9)) }, { 950, 40, 0xfff6f6f6 }, { 950, 54, 0xffd9d9d9 }, { 950, 300, 0xffdfdfdf }, { 800, 300, overlay (juce::Colour (0xffdfdfdf)) } });
    EXPECT_TRUE (countPixels (image, white, { 60, 0, 124, 40 }, 0) > 100 && countPixels (image, white, { 60, 0, 6, 40 }, 0) > 5 && countPixels (image, juce::Colour (0xff6b6b6b), { 10, 0, 40, 40 }, 0) < 1500);
    EXPECT_EQ (countPixels (image, juce::Colours::red) + countPixels (image, juce::Colours::blue, { 0, 0, 530, 40 }), 0);
    EXPECT_NEAR (countPixels (image, juce::Colours::blue, { 530, 8, 20, 12 }), countPixels (image, juce::Colours::blue, { 530, 20, 20, 12 }), 4);
    inspect().groupFilterCombo().setEnabled (false);
    EXPECT_EQ (countPixels (TestHelpers::renderComponent (inspect().groupFilterCombo()), juce::Colours::blue), 0);
    view->setLookAndFeel (nullptr);
}

TEST_F (MainView, ButtonsInvokeTheirCommandsAddAndInfoLaterBugReportAtOnce)
{
    struct RecordingTarget : juce::ApplicationCommandTarget
    {
        juce::ApplicationCommandTarget* getNextCommandTarget() override { return nullptr; }
        void getAllCommands (juce::Array<juce::CommandID>& c) override { c.addArray ({ 0x2010, 0x2011, 0x2012, 0x2021 }); }
        void getCommandInfo (juce::CommandID id, juce::ApplicationCommandInfo& info) override { info.setInfo (juce::String (id), {}, "Test", 0); }
        bool perform (const InvocationInfo& info) override { return performed.add ((int) info.commandID), true; }
        juce::Array<int> performed;
    } target;
    auto previous = std::exchange (commandManager, std::make_unique<juce::ApplicationCommandManager>()); // the view calls the process-wide manager
    const juce::ScopeGuard restore { [&] { commandManager = std::move (previous); } };
    commandManager->registerAllCommandsForTarget (&target);
    commandManager->setFirstCommandTarget (&target);
    for (const auto* name : { "add input mapping  button", "add output mapping  button", "edit controller info button", "share button", "cloud button", "bug report button" })
        view->buttonClicked (TestHelpers::findChild<juce::Button> (*view, name));
    EXPECT_EQ (target.performed, juce::Array<int> ({ 0x2021 })); // the image buttons invoke asynchronously; share and cloud invoke nothing
    EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return target.performed.size() == 4; }, 2000));
    EXPECT_EQ (target.performed, juce::Array<int> ({ 0x2021, 0x2011, 0x2012, 0x2010 })); // in the order clicked
}
