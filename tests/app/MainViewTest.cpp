#include "app/MainViewTestFixture.h"

#include <functional>

#include "app/MultiSelectionComponent.h"
#include "model/ControlCatalogueInspector.h"
#include "model/InputMapping.h"
#include "model/OutputMapping.h"
#include "panels/ControllerInfoComponent.h"
#include "panels/InputMappingComponent.h"
#include "panels/OutputMappingComponent.h"
#include "support/PixelProbes.h"

using namespace MainViewTestData;

namespace
{
    // Controls of the embedded list, with their group titles and value types.
    const juce::String fxOnOff ("fam(Fx)[0x1].OnOff");               // Fx 1, Logic, in and out
    const juce::String cuePlay ("fam(Player)[0x1].CuePlay");         // Player A, Trigger, in only
    const juce::String trackTitle ("fam(Player)[0x1].TrackTitle");   // Player A, String, out only
    const juce::String shiftSelector ("mod(ShiftSelector)");         // Modifiers, Modifier
    const juce::String masterMeter ("fam(Mixer).MasterMeter");       // Mixer, Normal, out only
    const juce::String registerLogic ("reg(RegisterLogic1)");        // Registers, Logic

    juce::StringArray itemTexts (juce::ComboBox& combo)
    {
        juce::StringArray texts;
        for (int i = 0; i < combo.getNumItems(); ++i)
            texts.add (combo.getItemText (i));
        return texts;
    }

    template <typename Panel>
    bool panelIs (juce::Component* panel) { return dynamic_cast<Panel*> (panel) != nullptr; }
}

//==============================================================================
class MainView : public MainViewFixture
{
protected:
    juce::Array<int> rowKinds() const
    {
        juce::Array<int> kinds;
        for (int i = 0; i < inspect().numRows(); ++i)
            kinds.add (Mapping::getKind (inspect().row (i)));
        return kinds;
    }
};

// The filters and the "IO" sort the view starts with show in the rebuild tests below.
TEST_F (MainView, StartsEmptyWithItsChildrenNamedAndLaidOutAtAnySize)
{
    auto in = inspect();
    EXPECT_EQ (view->getNumRows(), 0);
    EXPECT_EQ (itemTexts (in.groupFilterCombo()), juce::StringArray ("all"));
    EXPECT_EQ (in.groupFilterCombo().getSelectedId(), 1);
    EXPECT_EQ (itemTexts (in.ioFilterCombo()), juce::StringArray ({ "all", "input", "output" }));
    EXPECT_EQ (in.ioFilterCombo().getSelectedId(), 1);

    for (juce::Component* hidden : { (juce::Component*) &in.editorView(), (juce::Component*) &in.bugReporter(),
                                     (juce::Component*) &in.shareButton(), (juce::Component*) &in.cloudButton() })
        EXPECT_FALSE (hidden->isVisible()) << hidden->getName();
    EXPECT_TRUE (panelIs<ControllerInfoComponent> (in.rightPanel()));

    for (auto* button : { &in.addInputButton(), &in.addOutputButton(), &in.editControllerInfoButton(),
                          &in.shareButton(), &in.cloudButton() })
    {
        EXPECT_EQ (button->getNormalImage().getWidth(), 32) << button->getName();
        EXPECT_TRUE (button->getOverImage().isValid() && button->getDownImage().isValid()) << button->getName();
    }

    EXPECT_EQ (in.logo().getBounds(), juce::Rectangle<int> (40, 40));
    EXPECT_EQ (in.inputIcon().getBounds(), juce::Rectangle<int> (16, 16));
    EXPECT_EQ (in.outputIcon().getBounds(), juce::Rectangle<int> (16, 16));

    for (auto [w, h] : { std::pair (1100, 700), std::pair (1301, 821) }) // an odd width halves down
    {
        view->setSize (w, h);
        const std::tuple<juce::Component&, const char*, const char*, juce::Rectangle<int>> children[] = {
            { in.bugReporter(), "", "", { 0, 0, w, h } },
            { in.editorView(), "", "", { 0, 0, w, h } },
            { *in.rightPanel(), "", "", { w - 300, 40, 300, h - 40 } },
            { in.table(), "Mapping Table List Box", "", { 0, 40, w - 300, h - 40 } },
            { in.addInputButton(), "add input mapping  button", "add input mapping", { w - 349, 4, 32, 32 } },
            { in.addOutputButton(), "add output mapping  button", "add output mapping", { w - 314, 4, 32, 32 } },
            { in.groupFilterCombo(), "group filter combo box", "", { w / 2 - 250, 8, 250, 24 } },
            { in.ioFilterCombo(), "io filter combo box", "", { w / 2 + 8, 8, 80, 24 } },
            { in.editControllerInfoButton(), "edit controller info button", "edit controller info", { w - 282, 4, 32, 32 } },
            { in.shareButton(), "share button", "share", { w - 42, 4, 32, 32 } },
            { in.cloudButton(), "cloud button", "cloud", { w - 74, 4, 32, 32 } },
            { in.bugReportButton(), "bug report button", "", { w - 158, 8, 150, 24 } },
        };

        for (auto& [child, name, tooltip, bounds] : children)
        {
            SCOPED_TRACE (juce::String (name) + " at " + juce::String (w));
            EXPECT_EQ (child.getBounds(), bounds);
            EXPECT_TRUE (*name == 0 || child.getName() == name) << child.getName();
            auto* button = dynamic_cast<juce::Button*> (&child);
            EXPECT_EQ (button != nullptr ? button->getTooltip() : juce::String(), juce::String (tooltip));
        }
    }

    EXPECT_EQ (in.addInputButton().getButtonText(), "add input mapping");
    EXPECT_EQ (in.bugReportButton().getButtonText(), "Report a Bug");
}

TEST_F (MainView, TableHasSevenColumnsWithAliasAndMappedToHidden)
{
    auto& header = inspect().table().getHeader();
    const std::tuple<int, const char*, int, bool> columns[] = {
        { 1, "Alias", 300, false }, { 7, "Name", 300, true }, { 2, "IO", 25, true }, { 3, "Type", 100, true },
        { 4, "Preset / Value", 100, true }, { 5, "Mapped to", 100, false }, { 6, "Modifier", 100, true },
    };

    ASSERT_EQ (header.getNumColumns (false), 7);
    for (int i = 0; i < 7; ++i)
    {
        auto [id, title, width, visible] = columns[i];
        SCOPED_TRACE (title);
        EXPECT_EQ (header.getColumnIdOfIndex (i, false), id);
        EXPECT_EQ (header.getColumnName (id), title);
        EXPECT_EQ (header.getColumnWidth (id), width);
        EXPECT_EQ (header.isColumnVisible (id), visible);
    }
    EXPECT_EQ (header.getSortColumnId(), 0);
}

//==============================================================================
class MainViewWithRows : public MainView
{
protected:
    void SetUp() override
    {
        MainView::SetUp();
        auto& doc = document();
        for (auto& alias : { fxOnOff, cuePlay, juce::String ("no.such.control"), shiftSelector })
            addInput (doc, makeInput (alias));
        addOutput (doc, makeOutput (masterMeter, "%"));
        addOutput (doc, makeOutput (fxOnOff));
        addOutput (doc, makeOutput (trackTitle, "%"));
        view->updateMappingList();
    }
};

TEST_F (MainViewWithRows, FiltersPickDirectionAndGroupAndTheGroupListKeepsFirstMetOrder)
{
    const juce::StringArray allGroups { "all", "Fx 1 ", "Player A ", "unknown", "Modifiers ", "Mixer " };
    const std::tuple<int, int, juce::Array<int>, juce::StringArray> rows[] = {
        { 1, 1, { 1, 1, 1, 1, 0, 0, 0 }, allGroups },
        { 2, 1, { 1, 1, 1, 1 }, { "all", "Fx 1 ", "Player A ", "unknown", "Modifiers " } },
        { 3, 1, { 0, 0, 0 }, { "all", "Mixer ", "Fx 1 ", "Player A " } },
        { 1, 2, { 1, 0 }, allGroups }, // "Fx 1 ": the list still offers every group let through
    };

    auto in = inspect();
    for (auto& [io, group, kinds, groups] : rows)
    {
        SCOPED_TRACE ("io " + juce::String (io) + ", group " + juce::String (group));
        in.ioFilterCombo().setSelectedId (io, juce::sendNotificationSync);
        in.groupFilterCombo().setSelectedId (group, juce::sendNotificationSync);

        EXPECT_EQ (in.ioFilter(), io);
        EXPECT_EQ (in.groupFilter(), groups[group - 1]);
        EXPECT_EQ (rowKinds(), kinds);
        EXPECT_EQ (itemTexts (in.groupFilterCombo()), groups);
        EXPECT_EQ (in.groupFilterCombo().getItemId (group - 1), group);
    }

    EXPECT_EQ (in.row (0), inputList (document()).getChild (0)); // rows are handles, not copies

    // A rebuild while the combo shows the stored group keeps it; the late notification changes nothing.
    view->updateMappingList();
    TestHelpers::pumpMessages (30);
    EXPECT_EQ (in.groupFilterCombo().getText(), "Fx 1 ");
    EXPECT_EQ (in.groupFilter(), "Fx 1 ");
    EXPECT_EQ (in.numRows(), 2);
}

// A group filter that matches nothing any more shows no rows and "all" in the combo; the combo's
// late change message then stores "all" and rebuilds again.
TEST_F (MainViewWithRows, StaleGroupFilterShowsNothingUntilTheComboNotificationRebuildsWithAll)
{
    auto in = inspect();
    const std::pair<const char*, std::function<void()>> staleBy[] = {
        { "last mapping of the group removed", [&] { outputList (document()).removeChild (0, nullptr); view->updateMappingList(); } },
        { "io filter without the group", [&] { in.ioFilterCombo().setSelectedId (2, juce::sendNotificationSync); } },
    };
    const int rowsAfter[] = { 6, 4 };

    for (int i = 0; i < 2; ++i)
    {
        SCOPED_TRACE (staleBy[i].first);
        in.groupFilterCombo().setSelectedId (itemTexts (in.groupFilterCombo()).indexOf ("Mixer ") + 1, juce::sendNotificationSync);
        ASSERT_EQ (in.numRows(), 1);

        staleBy[i].second();
        EXPECT_EQ (in.numRows(), 0);
        EXPECT_EQ (in.groupFilterCombo().getText(), "all");
        EXPECT_EQ (in.groupFilter(), "Mixer ");

        EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return in.groupFilter() == "all"; }, 2000));
        EXPECT_EQ (in.numRows(), rowsAfter[i]);

        addOutput (document(), makeOutput (masterMeter, "%"));
        view->updateMappingList();
    }
}

TEST_F (MainViewWithRows, IgnoresOtherChildrenAndMissingLists)
{
    inputList (document()).appendChild (juce::ValueTree ("comment"), nullptr);
    outputList (document()).appendChild (juce::ValueTree ("midi"), nullptr);
    view->updateMappingList();
    EXPECT_EQ (inspect().numRows(), 7);

    document().getMappings().removeChild (outputList (document()), nullptr);
    view->updateMappingList();
    EXPECT_EQ (rowKinds(), juce::Array<int> ({ 1, 1, 1, 1 }));

    document().getMappings().removeChild (inputList (document()), nullptr);
    view->updateMappingList();
    EXPECT_EQ (inspect().numRows(), 0);
    EXPECT_EQ (itemTexts (inspect().groupFilterCombo()), juce::StringArray ("all"));
}

TEST_F (MainViewWithRows, EveryRebuildClearsTheSelectionAndShowsTheControllerInfo)
{
    const std::pair<const char*, std::function<void()>> rebuilds[] = {
        { "update", [&] { view->updateMappingList(); } },
        { "header click", [&] { view->sortOrderChanged (3, false); } },
        { "io filter", [&] { inspect().ioFilterCombo().setSelectedId (3, juce::sendNotificationSync); } },
    };

    for (auto& [what, rebuild] : rebuilds)
    {
        SCOPED_TRACE (what);
        inspect().table().selectRow (0);
        inspect().table().selectRow (1, false, false);
        rebuild();
        EXPECT_EQ (inspect().table().getNumSelectedRows(), 0);
        EXPECT_TRUE (panelIs<ControllerInfoComponent> (inspect().rightPanel()));
    }
}

//==============================================================================
// Keys differ per column (but for the IO and Modifier ties), so every order is fully defined:
// text compares case-sensitively ("Z" before "f"), an unknown alias sorts as "unknown" / "unknwon".
TEST_F (MainView, EveryColumnSortsBothWays)
{
    const auto a = addInput (document(), makeInput (registerLogic, 2, 7, "CC", "Toggler Button", "ML3"));
    const auto b = addInput (document(), makeInput ("Zulu", 1, 60, "Note", "Holder Button"));
    const auto c = addInput (document(), makeInput (cuePlay, 3, 2, "CC", {}, "ML0"));
    const auto d = addOutput (document(), makeOutput (masterMeter, "%", "ML2", 4, 5));
    const auto e = addOutput (document(), makeOutput (trackTitle, "true", {}, 5, 9));
    const std::pair<int, juce::Array<juce::ValueTree>> orders[] = {
        { 1, { b, d, c, e, a } }, // "Zulu" < "fam(Mixer)..." < "fam(Player)[0x1].C..." < "...T..." < "reg..."
        { 7, { d, c, e, a, b } }, // "Mixer ..." < "Player A  Cue-Play" < "Player A  Track..." < "Registers ..." < "unknown"
        { 3, { a, d, e, c, b } }, // "Logic" < "Normal" < "String" < "Trigger" < "unknwon"
        { 4, { c, d, b, a, e } }, // "" < "%" < "Holder Button" < "Toggler Button" < "true"
        { 5, { b, a, c, d, e } }, // "CH 1, ..." to "CH 5, ..."
    };

    for (auto& [column, order] : orders)
    {
        for (bool forwards : { true, false })
        {
            SCOPED_TRACE ("column " + juce::String (column) + (forwards ? " forwards" : " backwards"));
            view->sortOrderChanged (column, forwards);
            EXPECT_EQ (inspect().sortColumnId(), column);
            for (int i = 0; i < 5; ++i)
                EXPECT_EQ (inspect().row (forwards ? i : 4 - i), order[i]) << i;
        }
    }

    // Ties: IO puts inputs first forwards; Modifier sorts numbers, outputs and inputs without one at -1.
    const std::tuple<int, bool, juce::Array<int>> ties[] = {
        { 2, true, { 1, 1, 1, 0, 0 } }, { 2, false, { 0, 0, 1, 1, 1 } },
        { 6, true, { -1, -1, -1, 0, 3 } }, { 6, false, { 3, 0, -1, -1, -1 } },
    };

    for (auto& [column, forwards, keys] : ties)
    {
        SCOPED_TRACE ("column " + juce::String (column) + (forwards ? " forwards" : " backwards"));
        view->sortOrderChanged (column, forwards);
        juce::Array<int> actual;
        for (int i = 0; i < 5; ++i)
            actual.add (column == 2 ? Mapping::getKind (inspect().row (i)) : InputMapping (inspect().row (i)).getModifier());
        EXPECT_EQ (actual, keys);
    }
}

// A generated document of many rows (repeated, unknown and case-variant aliases, so that keys
// tie) is sorted row for row as JUCE's sort orders it with a plain reference comparison: keys
// taken from the views, titles and types found by walking the catalogue's trees.
TEST_F (MainView, SortedRowsOfAGeneratedDocumentFollowAPlainReferenceComparisonInEveryColumn)
{
    juce::StringArray aliases { "Zulu", "alpha", "MOD(SHIFTLOGIC1)", "no.such.control" };

    for (auto* tree : { &ControlCatalogueInspector::in (*controlCatalogue), &ControlCatalogueInspector::out (*controlCatalogue) })
        for (int g = 0; g < tree->getNumChildren(); g += 3)
            for (const auto& value : tree->getChild (g))
                if (aliases.size() < 80)
                    aliases.addIfNotAlreadyThere (value["alias"].toString());

    juce::Random random (18);
    const auto pick = [&random] (const juce::StringArray& from) { return from[random.nextInt (from.size())]; };
    const juce::StringArray presets { "", "Holder Button", "Toggler Button", "Logic Fader/Knob" };
    const juce::StringArray modifiers { "", "ML1", "ML3", "ML0" };
    const juce::StringArray controlValues { "true", "false", "%", "0x40", "" };

    for (int i = 0; i < 400; ++i)
    {
        if (random.nextInt (5) < 3)
            addInput (document(), makeInput (pick (aliases), 1 + random.nextInt (16), random.nextInt (128),
                                             random.nextBool() ? "CC" : "Note", pick (presets), pick (modifiers)));
        else
            addOutput (document(), makeOutput (pick (aliases), pick (controlValues), pick (modifiers),
                                               1 + random.nextInt (16), random.nextInt (128)));
    }

    const auto referenceLookup = [] (const juce::String& alias, const char* property, const juce::String& miss)
    {
        for (auto* tree : { &ControlCatalogueInspector::in (*controlCatalogue), &ControlCatalogueInspector::out (*controlCatalogue) })
            for (const auto& group : *tree)
                for (const auto& value : group)
                    if (value["alias"].toString() == alias)
                        return value[property].toString();
        return miss;
    };

    struct ReferenceSorter
    {
        int compareElements (juce::ValueTree* a, juce::ValueTree* b) const
        {
            if (column == 2)
                return ((Mapping::getKind (*a) == 0) - (Mapping::getKind (*b) == 0)) * direction;

            const auto ka = key (*a), kb = key (*b);
            return (ka < kb ? -1 : (kb < ka ? 1 : 0)) * direction;
        }

        std::pair<int, juce::String> key (const juce::ValueTree& row) const
        {
            const bool output = Mapping::getKind (row) == 0;
            const std::unique_ptr<Mapping> view (output ? (Mapping*) new OutputMapping (row) : new InputMapping (row));

            switch (column)
            {
                case 1: return { 0, view->getAlias() };
                case 7: return { 0, lookup (view->getAlias(), "title", "unknown") };
                case 3: return { 0, lookup (view->getAlias(), "type", "unknwon") };
                case 4: return { 0, output ? OutputMapping (row).getControlValue() : InputMapping (row).getPreset() };
                case 5: return { 0, view->getDescription() };
                default: return { view->getModifier(), {} };
            }
        }

        int column, direction;
        std::function<juce::String (const juce::String&, const char*, const juce::String&)> lookup;
    };

    for (int column : { 1, 7, 2, 3, 4, 5, 6 })
    {
        for (bool forwards : { true, false })
        {
            SCOPED_TRACE ("column " + juce::String (column) + (forwards ? " forwards" : " backwards"));
            view->sortOrderChanged (column, forwards);

            // The rows as the rebuild gathers them before sorting: inputs, then outputs.
            juce::OwnedArray<juce::ValueTree> reference;
            for (auto list : { inputList (document()), outputList (document()) })
                for (const auto& mapping : list)
                    reference.add (new juce::ValueTree (mapping));

            ReferenceSorter sorter { column, forwards ? 1 : -1, referenceLookup };
            reference.sort (sorter, false);

            ASSERT_EQ (inspect().numRows(), reference.size());
            int differing = 0;
            for (int i = 0; i < reference.size(); ++i)
                differing += inspect().row (i) == *reference[i] ? 0 : 1;
            EXPECT_EQ (differing, 0);
        }
    }
}

//==============================================================================
class MainViewPainting : public MainView
{
protected:
    void SetUp() override
    {
        MainView::SetUp();
        addInput (document(), makeInput (fxOnOff, 1, 7, "CC", {}, "ML2"));
        addInput (document(), makeInput ("no.such.control", 2, 8));
        addOutput (document(), makeOutput (masterMeter, "%"));
        addOutput (document(), makeOutput ("gone.output", "%"));
        view->updateMappingList();
    }

    juce::Rectangle<int> cell (int row, int columnId) { return inspect().table().getCellPosition (columnId, row, true); }
};

// Rows: 0 known input (white), 1 unknown input (0xfff0f5fa), 2 known output, 3 unknown output.
TEST_F (MainViewPainting, RowsAlternateSelectionIsBlueTextIsBlackWhiteOrGreyAndCellsEndInASeparator)
{
    const juce::Colour white (0xffffffff), odd (0xfff0f5fa), blue (0xff4b96e6), black (0xff000000), grey (0xff808080);
    const auto separator = [] (juce::Colour row) { return row.overlaidWith (juce::Colour (0x33000000)); };
    auto& table = inspect().table();
    table.selectRow (2);
    table.selectRow (3, false, false);
    const auto image = TestHelpers::renderComponent (table);
    TestHelpers::writeSnapshot (image, "MainView_table_rows");

    const std::tuple<int, juce::Colour, juce::Colour, juce::Colour> rows[] = {
        { 0, white, black, blue }, { 1, odd, grey, black }, { 2, blue, white, grey }, { 3, blue, grey, white },
    };

    for (auto& [row, background, text, notText] : rows)
    {
        SCOPED_TRACE ("row " + juce::String (row));
        const auto name = cell (row, 7).withTrimmedRight (2);
        EXPECT_GT (TestHelpers::countPixels (image, text, name, 4), 5);
        EXPECT_EQ (TestHelpers::countPixels (image, notText, name, 4), 0);

        for (int column : { 7, 2, 3, 4, 6 })
        {
            const auto r = cell (row, column);
            TestHelpers::expectPixels (image, { { r.getRight() - 1, r.getY() + 2, separator (background).getARGB() },
                                                { r.getRight() - 2, r.getY() + 2, background.getARGB() } });
        }
    }
}

TEST_F (MainViewPainting, CellsDrawTheirTextsAndIoIconsAndRowsBeyondTheListNothing)
{
    auto paintedCell = [this] (int row, int column)
    {
        juce::Image image (juce::Image::ARGB, 100, 22, true);
        juce::Graphics g (image);
        g.fillAll (juce::Colours::white);
        view->paintCell (g, row, column, 100, 22, false);
        return image;
    };
    const auto dark = [] (const juce::Image& image) { return TestHelpers::countPixels (image, juce::Colours::black, { 0, 0, 99, 22 }, 0x40); };

    EXPECT_EQ (dark (paintedCell (0, 4)), 0); // no preset: only the separator
    EXPECT_GT (dark (paintedCell (0, 6)), 0); // the input's modifier "2"
    EXPECT_EQ (dark (paintedCell (2, 6)), 0); // the output's empty modifier list

    for (int row : { 4, 1000, -1 }) // at or beyond numRows, or before the first
        EXPECT_EQ (TestHelpers::countPixels (paintedCell (row, 7), juce::Colours::white), 100 * 22) << row;

    // The IO icon is drawn centred: (100 - 16) / 2 = 42, (22 - 16) / 2 = 3.
    EXPECT_EQ (paintedCell (0, 2).getPixelAt (42 + 8, 3 + 1), inspect().inputIcon().getPixelAt (8, 1));
    EXPECT_EQ (paintedCell (0, 2).getPixelAt (41, 3 + 8).getARGB(), 0xffffffffu);
    EXPECT_EQ (paintedCell (2, 2).getPixelAt (42 + 8, 3 + 1), inspect().outputIcon().getPixelAt (8, 1));
}

//==============================================================================
// A new panel on every selection (the same one again too), and the old panel with its MIDI cells
// goes before the new one is made: while the old one is deleted, the main view holds no panel.
TEST_F (MainViewWithRows, EverySelectionDeletesTheOldPanelFirstAndMakesItsNewPanel)
{
    struct DeletionWatch : juce::ComponentListener
    {
        explicit DeletionWatch (MainViewInspector in) : inspector (in) {}

        void componentBeingDeleted (juce::Component& panel) override
        {
            deleted = true;
            stillAChild = panel.getParentComponent() != nullptr;
            panelHeldMeanwhile = inspector.rightPanel();
        }

        MainViewInspector inspector;
        bool deleted = false, stillAChild = true;
        juce::Component* panelHeldMeanwhile = nullptr;
    };

    auto& table = inspect().table();
    const std::tuple<const char*, std::function<void()>, std::function<bool (juce::Component*)>> switches[] = {
        { "info to input", [&] { table.selectRow (0); }, [this] (auto* p) {
              auto* input = dynamic_cast<InputMappingComponent*> (p);
              return input != nullptr && input->getInputMapping()->getValueTree() == inspect().row (0); } },
        { "input to the same input", [&] { view->selectedRowsChanged (0); }, panelIs<InputMappingComponent> },
        { "input to output", [&] { table.selectRow (5); }, [this] (auto* p) {
              auto* output = dynamic_cast<OutputMappingComponent*> (p);
              return output != nullptr && output->getMapping()->getValueTree() == inspect().row (5); } },
        { "output to multi-selection", [&] { table.selectRow (1, false, false); }, panelIs<MultiSelectionComponent> },
        { "multi to multi-selection", [&] { table.selectRow (3, false, false); }, panelIs<MultiSelectionComponent> },
        { "multi-selection to info", [&] { table.deselectAllRows(); }, panelIs<ControllerInfoComponent> },
        { "info to info", [&] { view->showControllerInfo(); }, panelIs<ControllerInfoComponent> },
    };

    for (auto& [what, switchPanel, expectedPanel] : switches)
    {
        SCOPED_TRACE (what);
        DeletionWatch watch (inspect());
        inspect().rightPanel()->addComponentListener (&watch);

        switchPanel();

        ASSERT_TRUE (watch.deleted);
        EXPECT_FALSE (watch.stillAChild);
        EXPECT_EQ (watch.panelHeldMeanwhile, nullptr);
        EXPECT_TRUE (expectedPanel (inspect().rightPanel()));
        EXPECT_EQ (inspect().rightPanel()->getParentComponent(), view.get());
        EXPECT_EQ (inspect().rightPanel()->getBounds(), juce::Rectangle<int> (800, 40, 300, 660));
    }

    EXPECT_EQ (view->getNumChildComponents(), 12);

    // showControllerInfo clears the selection; a row outside the list keeps the panel.
    table.selectRow (2);
    view->showControllerInfo();
    EXPECT_EQ (table.getNumSelectedRows(), 0);
    table.selectRow (0);
    auto* panel = inspect().rightPanel();
    view->selectedRowsChanged (99);
    EXPECT_EQ (inspect().rightPanel(), panel);
}

TEST_F (MainViewWithRows, SelectMappingRowSelectsTheFirstEquivalentRowAlone)
{
    const auto twinA = addOutput (document(), makeOutput (registerLogic, "true", {}, 9, 9));
    const auto twinB = addOutput (document(), makeOutput (registerLogic, "true", {}, 9, 9));
    view->updateMappingList();
    const int first = juce::jmin (inspect().indexOf (twinA), inspect().indexOf (twinB));
    ASSERT_GE (first, 0);

    inspect().table().selectRow (0);
    inspect().table().selectRow (1, false, false);
    view->selectMappingRow (twinB);

    EXPECT_EQ (inspect().table().getNumSelectedRows(), 1);
    EXPECT_EQ (inspect().table().getSelectedRow(), first);
    auto* output = dynamic_cast<OutputMappingComponent*> (inspect().rightPanel());
    ASSERT_NE (output, nullptr);
    EXPECT_EQ (output->getMapping()->getValueTree(), inspect().row (first));

    view->selectMappingRow (makeOutput ("nowhere")); // no row holds it: nothing changes
    EXPECT_EQ (inspect().table().getSelectedRow(), first);
}

//==============================================================================
TEST_F (MainView, ButtonsInvokeTheirCommandsAddAndInfoLaterBugReportAtOnce)
{
    struct RecordingTarget : public juce::ApplicationCommandTarget
    {
        juce::ApplicationCommandTarget* getNextCommandTarget() override { return nullptr; }
        void getAllCommands (juce::Array<juce::CommandID>& c) override { c.addArray ({ 0x2010, 0x2011, 0x2012, 0x2021 }); }
        void getCommandInfo (juce::CommandID id, juce::ApplicationCommandInfo& info) override { info.setInfo (juce::String (id), {}, "Test", 0); }
        bool perform (const InvocationInfo& info) override { performed.add ((int) info.commandID); return true; }
        juce::Array<int> performed;
    };

    const bool ownManager = commandManager == nullptr;
    if (ownManager)
        commandManager = std::make_unique<juce::ApplicationCommandManager>();

    RecordingTarget target;
    commandManager->registerAllCommandsForTarget (&target);
    auto* previousFirst = commandManager->getFirstCommandTarget (0);
    commandManager->setFirstCommandTarget (&target);

    auto in = inspect();
    for (juce::Button* button : { &in.addInputButton(), &in.addOutputButton(), &in.editControllerInfoButton(),
                                  &in.shareButton(), &in.cloudButton() })
        view->buttonClicked (button);
    EXPECT_TRUE (target.performed.isEmpty()); // the three image buttons invoke asynchronously

    view->buttonClicked (&in.bugReportButton());
    EXPECT_EQ (target.performed, juce::Array<int> ({ 0x2021 }));
    EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return target.performed.size() == 4; }, 2000));
    EXPECT_EQ (target.performed, juce::Array<int> ({ 0x2021, 0x2011, 0x2012, 0x2010 }));

    commandManager->setFirstCommandTarget (previousFirst);
    for (int id : { 0x2010, 0x2011, 0x2012, 0x2021 })
        commandManager->removeCommand (id);
    if (ownManager)
        commandManager.reset();
}

// Inputs and outputs of known and unknown aliases; the header strip is grey with the white title.
TEST_F (MainView, SnapshotOfASampleDocumentUnderTheHeaderStrip)
{
    const juce::StringArray aliases { "fam(Fx)[0x1].OnOff", "fam(Player)[0x1].CuePlay", "mod(ShiftSelector)",
                                      "fam(Player)[0x1].PitchBend", "fam(Mixer).MasterMeter", "reg(RegisterLogic1)",
                                      "fam(Player)[0x2].CuePlay", "old.removed.control", "fam(Player)[0x1].TrackTitle",
                                      "fam(Player)[0x1].ComboJog", "fam(Fx)[@].OnOff" };
    for (int n = 0; n < 20; ++n)
        if (n % 2 == 0)
            addInput (document(), makeInput (aliases[n % 11], 1 + n % 3, 10 + n, n % 4 == 0 ? "Note" : "CC",
                                             n % 3 == 0 ? "Toggler Button" : "", n % 8 == 0 ? "ML1" : ""));
        else
            addOutput (document(), makeOutput (aliases[n % 11], n % 4 == 1 ? "true" : "%", n % 3 == 0 ? "ML1,ML4" : "",
                                               1 + n % 2, 20 + n, n % 4 == 1 ? "0x7f" : "%"));

    inspect().table().getHeader().setColumnVisible (5, true);
    view->updateMappingList();
    ASSERT_EQ (inspect().numRows(), 20);
    inspect().table().selectRow (3);
    EXPECT_TRUE (TestHelpers::writeSnapshot (*view, "MainView_sample_document").existsAsFile());

    const auto image = TestHelpers::renderComponent (*view);
    TestHelpers::expectPixels (image, { { 2, 2, 0xff6b6b6b }, { 200, 38, 0xff6b6b6b } }, 0);
    EXPECT_GT (TestHelpers::countPixels (image, juce::Colours::white, { 60, 18, 124, 4 }, 0), 0);
}
