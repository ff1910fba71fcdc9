#include "app/MainViewTestFixture.h"

#include "app/CommandIds.h"
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

class MainView : public MainViewFixture
{
protected:
    /** Adds inputs of Fx 1, Player A, an unknown alias and Modifiers, and outputs of Mixer, Fx 1 and Player A. */
    void addRows()
    {
        for (auto* alias : { "fam(Fx)[0x1].OnOff", "fam(Player)[0x1].CuePlay", "no.such.control", "mod(ShiftSelector)" })
            addInput (document(), makeInput (alias));
        for (auto* alias : { "fam(Mixer).MasterMeter", "fam(Fx)[0x1].OnOff", "fam(Player)[0x1].TrackTitle" })
            addOutput (document(), makeOutput (alias));
        view->updateMappingList();
    }

    /** The rows' kinds ("1" an input, "0" an output), then the group filter's items. */
    juce::String rowsAndGroups() const
    {
        juce::String text;
        for (int i = 0; i < inspect().numRows(); ++i)
            text << Mapping::getKind (inspect().row (i));
        for (int i = 0; i < inspect().groupFilterCombo().getNumItems(); ++i)
            text << "|" << inspect().groupFilterCombo().getItemText (i) << ":" << inspect().groupFilterCombo().getItemId (i);
        return text;
    }

    /** What the right-hand panel shows ("info", "multi", or "input N" / "output N" for the row N it edits), then how many rows are selected. */
    juce::String panelAndSelection() const
    {
        auto in = inspect();
        juce::String panel = dynamic_cast<MultiSelectionComponent*> (in.rightPanel()) != nullptr ? "multi" : (dynamic_cast<ControllerInfoComponent*> (in.rightPanel()) != nullptr ? "info" : "?");
        if (auto* input = dynamic_cast<InputMappingComponent*> (in.rightPanel()))
            panel = "input " + juce::String (in.indexOf (input->getInputMapping()->getValueTree()));
        if (auto* output = dynamic_cast<OutputMappingComponent*> (in.rightPanel()))
            panel = "output " + juce::String (in.indexOf (output->getMapping()->getValueTree()));
        return panel + ", " + juce::String (in.table().getNumSelectedRows()) + " selected";
    }

    /** Every child's bounds, the right-hand panel last, against where they belong at the view's size. */
    void expectLayout() const
    {
        const int w = view->getWidth(), h = view->getHeight();
        juce::String actual, expected;
        for (auto* child : view->getChildren())
            actual << child->getBounds().toString() << "; ";
        for (auto r : { juce::Rectangle<int> (w, h), { w, h }, { 0, 40, w - 300, h - 40 }, { w - 349, 4, 32, 32 }, { w - 314, 4, 32, 32 }, { w / 2 - 250, 8, 250, 24 },
                        { w / 2 + 8, 8, 80, 24 }, { w - 282, 4, 32, 32 }, { w - 42, 4, 32, 32 }, { w - 74, 4, 32, 32 }, { w - 158, 8, 150, 24 }, { w - 300, 40, 300, h - 40 } })
            expected << r.toString() << "; ";
        EXPECT_EQ (actual, expected);
    }
};

// A new panel on every selection (the same one again too); the old panel goes before the new one is
// made, so while it is deleted it is no child and the view holds no panel.
TEST_F (MainView, StartsWithTheControllerInfoAndEverySelectionDeletesTheOldPanelBeforeMakingItsNewOne)
{
    auto in = inspect();
    EXPECT_FALSE (in.editorView().isVisible() || in.bugReporter().isVisible());
    juce::String visibleColumns;
    for (int i = 0; i < in.table().getHeader().getNumColumns (true); ++i)
        visibleColumns << in.table().getHeader().getColumnName (in.table().getHeader().getColumnIdOfIndex (i, true)) << "|";
    EXPECT_EQ (visibleColumns, "Name|IO|Type|Preset / Value|Modifier|");
    view->setSize (1301, 821); // an odd width halves down
    expectLayout();
    view->setSize (1100, 700);

    addRows(); // rows 0-3 inputs, 4-6 outputs, then two equivalent outputs
    addOutput (document(), addOutput (document(), makeOutput ("reg(RegisterLogic1)")).createCopy());
    view->updateMappingList();
    ASSERT_EQ (panelAndSelection(), "info, 0 selected");

    struct Watch : juce::ComponentListener
    {
        explicit Watch (MainViewInspector i) : in (i) {}
        void componentBeingDeleted (juce::Component& panel) override { order = panel.getParentComponent() == nullptr && in.rightPanel() == nullptr ? "removed first" : "still shown"; }
        MainViewInspector in;
        juce::String order;
    };
    auto& table = in.table();
    const std::pair<std::function<void()>, const char*> switches[] = {
        { [&] { table.selectRow (0); }, "input 0, 1 selected" },
        { [&] { view->selectedRowsChanged (0); }, "input 0, 1 selected" },
        { [&] { table.selectRow (5); }, "output 5, 1 selected" },
        { [&] { table.selectRow (1, false, false); }, "multi, 2 selected" },
        { [&] { table.selectRow (3, false, false); }, "multi, 3 selected" },
        { [&] { view->selectMappingRow (in.row (8)); }, "output 7, 1 selected" }, // the first equivalent row, alone
        { [&] { table.deselectAllRows(); }, "info, 0 selected" },
        { [&] { table.selectRow (2); }, "input 2, 1 selected" },
        { [&] { view->showControllerInfo(); }, "info, 0 selected" },
    };
    for (auto& [switchPanel, expected] : switches)
    {
        SCOPED_TRACE (expected);
        Watch watch (in);
        in.rightPanel()->addComponentListener (&watch);
        switchPanel();
        EXPECT_EQ (watch.order + ": " + panelAndSelection(), juce::String ("removed first: ") + expected);
        expectLayout();
    }

    auto* panel = in.rightPanel(); // a row outside the list, or a mapping no row holds, keeps the panel
    view->selectedRowsChanged (99);
    view->selectMappingRow (makeOutput ("nowhere"));
    EXPECT_EQ (in.rightPanel(), panel);
}

TEST_F (MainView, FiltersRowsByDirectionAndGroupAndEveryRebuildShowsTheControllerInfo)
{
    EXPECT_EQ (rowsAndGroups(), "|all:1");
    addRows();
    auto in = inspect();
    const juce::String allGroups ("|all:1|Fx 1 :2|Player A :3|unknown:4|Modifiers :5|Mixer :6");
    const std::tuple<int, int, juce::String> filters[] = {
        { 2, 1, "1111|all:1|Fx 1 :2|Player A :3|unknown:4|Modifiers :5" },
        { 3, 1, "000|all:1|Mixer :2|Fx 1 :3|Player A :4" },
        { 1, 1, "1111000" + allGroups },
        { 1, 2, "10" + allGroups }, // "Fx 1 ": the list still offers every group let through
    };
    for (auto& [io, group, expected] : filters)
    {
        SCOPED_TRACE ("io " + juce::String (io) + ", group " + juce::String (group));
        in.table().selectRangeOfRows (0, 1);
        in.ioFilterCombo().setSelectedId (io, juce::sendNotificationSync);
        in.groupFilterCombo().setSelectedId (group, juce::sendNotificationSync);
        EXPECT_EQ (rowsAndGroups(), expected);
        EXPECT_EQ (panelAndSelection(), "info, 0 selected");
    }
    EXPECT_EQ (in.row (0), inputList (document()).getChild (0)); // rows are handles, not copies

    // A rebuild keeps the group the combo shows; its late notification changes nothing.
    view->updateMappingList();
    TestHelpers::pumpMessages (30);
    EXPECT_EQ (in.groupFilterCombo().getText() + in.groupFilter() + rowsAndGroups(), "Fx 1 Fx 1 10" + allGroups);

    // A group with no rows left gives an empty table until the combo's late change message stores "all".
    in.groupFilterCombo().setSelectedId (6, juce::sendNotificationSync);
    in.ioFilterCombo().setSelectedId (2, juce::sendNotificationSync);
    EXPECT_EQ (in.groupFilterCombo().getText() + "/" + in.groupFilter() + "/" + juce::String (in.numRows()), "all/Mixer /0");
    EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return in.groupFilter() == "all"; }, 2000));
    EXPECT_EQ (in.numRows(), 4);

    // Other children are skipped, missing lists give no rows.
    inputList (document()).appendChild (juce::ValueTree ("comment"), nullptr);
    view->updateMappingList();
    EXPECT_EQ (in.numRows(), 4);
    document().getMappings().removeAllChildren (nullptr);
    view->updateMappingList();
    EXPECT_EQ (rowsAndGroups(), "|all:1");
}

// A generated document (repeated, unknown and case-variant aliases, so that keys tie) is sorted row
// for row as JUCE's sort orders it with a plain comparison of keys taken from the views, titles and
// types found by walking the catalogue's trees.
TEST_F (MainView, SortsEveryColumnBothWaysAsJuceSortsWithAPlainReferenceComparison)
{
    const juce::ValueTree trees[] = { ControlCatalogueInspector::in (*controlCatalogue), ControlCatalogueInspector::out (*controlCatalogue) };
    juce::StringArray aliases { "Zulu", "alpha", "MOD(SHIFTLOGIC1)", "no.such.control" };
    for (auto& tree : trees)
        for (int g = 0; g < tree.getNumChildren(); g += 3)
            for (const auto& value : tree.getChild (g))
                if (aliases.size() < 80)
                    aliases.addIfNotAlreadyThere (value["alias"].toString());

    juce::Random random (18);
    const auto pick = [&random] (const juce::StringArray& from) { return from[random.nextInt (from.size())]; };
    const juce::StringArray presets { "", "Holder Button", "Toggler Button", "Logic Fader/Knob" }, modifiers { "", "ML1", "ML3", "ML0" };
    for (int i = 0; i < 400; ++i)
        if (random.nextInt (5) < 3)
            addInput (document(), makeInput (pick (aliases), 1 + random.nextInt (16), random.nextInt (128), random.nextBool() ? "CC" : "Note", pick (presets), pick (modifiers)));
        else
            addOutput (document(), makeOutput (pick (aliases), pick ({ "true", "false", "%", "0x40", "" }), pick (modifiers), 1 + random.nextInt (16), random.nextInt (128)));

    const auto lookup = [&trees] (const juce::String& alias, const char* property, const char* miss) -> juce::String
    {
        for (auto& tree : trees)
            for (const auto& group : tree)
                for (const auto& value : group)
                    if (value["alias"].toString() == alias)
                        return value[property].toString();
        return miss;
    };
    struct Row { juce::ValueTree tree; std::pair<int, juce::String> key; };
    struct ReferenceSorter { int direction; int compareElements (Row* a, Row* b) const { return (a->key < b->key ? -1 : (b->key < a->key ? 1 : 0)) * direction; } };

    for (int column = 1; column <= 7; ++column)
    {
        std::vector<Row> gathered; // as the rebuild gathers them: inputs, then outputs
        for (auto list : { inputList (document()), outputList (document()) })
            for (const auto& row : list)
            {
                const bool output = Mapping::getKind (row) == 0;
                const std::unique_ptr<Mapping> m (output ? (Mapping*) new OutputMapping (row) : new InputMapping (row));
                const juce::String texts[] = { {}, m->getAlias(), {}, lookup (m->getAlias(), "type", "unknwon"), output ? OutputMapping (row).getControlValue() : InputMapping (row).getPreset(), m->getDescription(), {}, lookup (m->getAlias(), "title", "unknown") };
                gathered.push_back ({ row, { column == 2 ? (int) output : (column == 6 ? m->getModifier() : 0), texts[column] } });
            }

        for (int direction : { 1, -1 })
        {
            SCOPED_TRACE ("column " + juce::String (column) + ", direction " + juce::String (direction));
            view->sortOrderChanged (column, direction > 0);
            juce::OwnedArray<Row> reference;
            for (auto& row : gathered)
                reference.add (new Row (row));
            ReferenceSorter sorter { direction };
            reference.sort (sorter, false);
            ASSERT_EQ (inspect().numRows(), reference.size());
            int differing = 0;
            for (int i = 0; i < reference.size(); ++i)
                differing += inspect().row (i) == reference[i]->tree ? 0 : 1;
            EXPECT_EQ (differing, 0);
        }
    }
}

// Rows: 0 a known input (white), 1 an unknown input (striped), 2 a known and 3 an unknown output, both selected.
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
    auto& groupCombo = inspect().groupFilterCombo();
    groupCombo.setColour (juce::ComboBox::arrowColourId, juce::Colours::blue);
    const auto image = TestHelpers::renderComponent (*view);
    TestHelpers::writeSnapshot (image, "MainView");

    const juce::Colour white (0xffffffff), odd (0xfff0f5fa), selected (0xff4b96e6), black (0xff000000), grey (0xff808080), dark (0xff6b6b6b);
    const auto cell = [this] (int row, int column) { return inspect().table().getCellPosition (column, row, true).translated (0, 40); };
    const std::tuple<int, juce::Colour, juce::Colour, juce::Colour> rows[] = { { 0, white, black, selected }, { 1, odd, grey, black }, { 2, selected, white, grey }, { 3, selected, grey, white } };
    for (auto& [row, background, text, notText] : rows)
    {
        SCOPED_TRACE ("row " + juce::String (row));
        EXPECT_GT (countPixels (image, text, cell (row, 7).withTrimmedRight (2), 4), 5);
        EXPECT_EQ (countPixels (image, notText, cell (row, 7).withTrimmedRight (2), 4), 0);
        for (int column : { 7, 2, 3, 4, 6 })
            TestHelpers::expectPixels (image, { { cell (row, column).getRight() - 1, cell (row, column).getY() + 2, background.overlaidWith (juce::Colour (0x33000000)).getARGB() },
                                                { cell (row, column).getRight() - 2, cell (row, column).getY() + 2, background.getARGB() } });
    }
    EXPECT_GT (countPixels (image, black, cell (0, 6).withTrimmedRight (2), 0x40), 0); // the input's modifier "2"
    EXPECT_EQ (countPixels (image, black, cell (0, 4).withTrimmedRight (2), 0x40) + countPixels (image, white, cell (2, 6).withTrimmedRight (2), 0x40), 0);

    // The IO icons centred; the title header with the logo and the white title; the group filter, a rounded white-to-grey gradient
    // with a darker outline and its two arrows; the table header's gradient, bottom line and separators of the visible columns;
    // the multi-selection panel's header strip and framed body.
    const auto icon = [] (const char* name, juce::Colour under) { return under.overlaidWith (Resources::getCachedImage (name).getPixelAt (8, 1)).getARGB(); };
    const auto overlay = [] (juce::uint32 under) { return juce::Colour (under).overlaidWith (juce::Colour (0x33000000)).getARGB(); };
    TestHelpers::expectPixels (image, { { cell (0, 2).getCentreX() - 1, cell (0, 2).getY() + 4, icon ("io_input.png", white) }, { cell (2, 2).getCentreX() - 1, cell (2, 2).getY() + 4, icon ("io_output.png", selected) },
                                        { 2, 2, dark.getARGB() }, { 55, 38, dark.getARGB() }, { 200, 38, dark.getARGB() },
                                        { 300, 8, dark.getARGB() }, { 400, 9, 0xfffdfdfd }, { 400, 19, 0xffeeeeee }, { 400, 28, 0xffeeeeee }, { 540, 19, 0xffeeeeee }, { 540, 15, 0xff0000ff }, { 540, 23, 0xff0000ff },
                                        { 100, 40, 0xfff6f6f6 }, { 100, 54, 0xffd9d9d9 }, { 100, 67, overlay (0xffd9d9d9) }, { 299, 40, 0xffdddddd }, { 324, 66, 0xffdcdcdc }, { 299, 67, overlay (0xffd9d9d9) },
                                        { 950, 40, 0xfff6f6f6 }, { 950, 54, 0xffd9d9d9 }, { 950, 300, 0xffdfdfdf }, { 800, 300, overlay (0xffdfdfdf) } });
    EXPECT_GT (countPixels (image, white, { 60, 0, 124, 40 }, 0), 100);
    EXPECT_LT (countPixels (image, dark, { 10, 0, 40, 40 }, 0), 1500);
    EXPECT_LT (image.getPixelAt (300, 20).getBrightness(), 0.8f);
    EXPECT_EQ (countPixels (image, juce::Colours::red), 0);
    EXPECT_NEAR (countPixels (image, juce::Colours::blue, { 530, 8, 20, 12 }), countPixels (image, juce::Colours::blue, { 530, 20, 20, 12 }), 4);
    EXPECT_EQ (countPixels (image, juce::Colours::blue, { 0, 0, 530, 40 }), 0);
    groupCombo.setEnabled (false);
    EXPECT_EQ (countPixels (TestHelpers::renderComponent (groupCombo), juce::Colours::blue), 0);
    view->setLookAndFeel (nullptr);
}
