#include "app/MainViewTestFixture.h"

#include "app/MultiSelectionComponent.h"
#include "model/ControlCatalogueInspector.h"
#include "model/InputMapping.h"
#include "model/OutputMapping.h"
#include "panels/ControllerInfoComponent.h"
#include "panels/InputMappingComponent.h"
#include "panels/OutputMappingComponent.h"

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
    const juce::String about ("app(About)");                         // Application, Trigger, in only

    juce::StringArray itemTexts (juce::ComboBox& combo)
    {
        juce::StringArray texts;
        for (int i = 0; i < combo.getNumItems(); ++i)
            texts.add (combo.getItemText (i));
        return texts;
    }

    juce::String aliasOf (const juce::ValueTree& row)
    {
        if (Mapping::getKind (row) == 0)
            return OutputMapping (row).getAlias();
        return InputMapping (row).getAlias();
    }
}

//==============================================================================
class MainView : public MainViewFixture
{
protected:
    juce::StringArray rowAliases() const
    {
        juce::StringArray aliases;
        for (int i = 0; i < inspect().numRows(); ++i)
            aliases.add (aliasOf (inspect().row (i)));
        return aliases;
    }

    juce::Array<int> rowKinds() const
    {
        juce::Array<int> kinds;
        for (int i = 0; i < inspect().numRows(); ++i)
            kinds.add (Mapping::getKind (inspect().row (i)));
        return kinds;
    }
};

TEST_F (MainView, StartsEmptyWithItsChildrenNamedAndSetUp)
{
    auto in = inspect();

    EXPECT_EQ (in.numRows(), 0);
    EXPECT_EQ (view->getNumRows(), 0);
    EXPECT_EQ (in.ioFilter(), 1);
    EXPECT_EQ (in.groupFilter(), "all");
    EXPECT_EQ (in.sortColumnId(), 2);
    EXPECT_TRUE (in.sortForwards());
    EXPECT_EQ (in.document().getName(), "unnamed.mappings");
    EXPECT_NE (in.settings(), nullptr);
    EXPECT_EQ (in.mainWindow(), nullptr);

    EXPECT_EQ (in.table().getName(), "Mapping Table List Box");
    EXPECT_EQ (in.table().getModel(), view.get());

    EXPECT_EQ (in.addInputButton().getName(), "add input mapping  button");
    EXPECT_EQ (in.addInputButton().getButtonText(), "add input mapping");
    EXPECT_EQ (in.addInputButton().getTooltip(), "add input mapping");
    EXPECT_EQ (in.addOutputButton().getName(), "add output mapping  button");
    EXPECT_EQ (in.addOutputButton().getTooltip(), "add output mapping");
    EXPECT_EQ (in.editControllerInfoButton().getName(), "edit controller info button");
    EXPECT_EQ (in.editControllerInfoButton().getTooltip(), "edit controller info");
    EXPECT_EQ (in.shareButton().getName(), "share button");
    EXPECT_EQ (in.cloudButton().getName(), "cloud button");
    EXPECT_EQ (in.bugReportButton().getName(), "bug report button");
    EXPECT_EQ (in.bugReportButton().getButtonText(), "Report a Bug");
    EXPECT_TRUE (in.bugReportButton().getTooltip().isEmpty());

    for (auto* button : { &in.addInputButton(), &in.addOutputButton(), &in.editControllerInfoButton(),
                          &in.shareButton(), &in.cloudButton() })
    {
        EXPECT_TRUE (button->getNormalImage().isValid()) << button->getName();
        EXPECT_EQ (button->getNormalImage().getWidth(), 32) << button->getName();
        EXPECT_TRUE (button->getOverImage().isValid()) << button->getName();
        EXPECT_TRUE (button->getDownImage().isValid()) << button->getName();
    }

    EXPECT_EQ (in.logo().getWidth(), 40);
    EXPECT_EQ (in.logo().getHeight(), 40);
    EXPECT_EQ (in.inputIcon().getWidth(), 16);
    EXPECT_EQ (in.outputIcon().getHeight(), 16);

    EXPECT_EQ (in.groupFilterCombo().getName(), "group filter combo box");
    EXPECT_EQ (itemTexts (in.groupFilterCombo()), juce::StringArray ("all"));
    EXPECT_EQ (in.groupFilterCombo().getSelectedId(), 1);
    EXPECT_FALSE (in.groupFilterCombo().isTextEditable());
    EXPECT_EQ (in.groupFilterCombo().getTextWhenNoChoicesAvailable(), "(no choices)");
    EXPECT_EQ (in.ioFilterCombo().getName(), "io filter combo box");
    EXPECT_EQ (itemTexts (in.ioFilterCombo()), juce::StringArray ({ "all", "input", "output" }));
    EXPECT_EQ (in.ioFilterCombo().getItemId (2), 3);
    EXPECT_EQ (in.ioFilterCombo().getSelectedId(), 1);

    EXPECT_FALSE (in.editorView().isVisible());
    EXPECT_FALSE (in.bugReporter().isVisible());
    EXPECT_FALSE (in.shareButton().isVisible());
    EXPECT_FALSE (in.cloudButton().isVisible());
    EXPECT_NE (dynamic_cast<ControllerInfoComponent*> (in.rightPanel()), nullptr);
}

TEST_F (MainView, TableHasSevenColumnsWithAliasAndMappedToHiddenAndNoSortIndicator)
{
    auto& header = inspect().table().getHeader();

    ASSERT_EQ (header.getNumColumns (false), 7);
    const int ids[] = { 1, 7, 2, 3, 4, 5, 6 };
    const char* titles[] = { "Alias", "Name", "IO", "Type", "Preset / Value", "Mapped to", "Modifier" };
    const int widths[] = { 300, 300, 25, 100, 100, 100, 100 };

    for (int i = 0; i < 7; ++i)
    {
        EXPECT_EQ (header.getColumnIdOfIndex (i, false), ids[i]);
        EXPECT_EQ (header.getColumnName (ids[i]), titles[i]);
        EXPECT_EQ (header.getColumnWidth (ids[i]), widths[i]);
    }

    EXPECT_FALSE (header.isColumnVisible (1));
    EXPECT_FALSE (header.isColumnVisible (5));
    EXPECT_EQ (header.getNumColumns (true), 5);
    EXPECT_EQ (header.getSortColumnId(), 0);

    header.setColumnVisible (5, true); // as the header's column menu does
    EXPECT_TRUE (header.isColumnVisible (5));
}

TEST_F (MainView, LaysOutItsChildrenByTheBoundsTable)
{
    auto in = inspect();

    for (auto size : { juce::Point<int> (1100, 700), juce::Point<int> (1301, 821) })
    {
        const int w = size.x, h = size.y;
        view->setSize (w, h);

        EXPECT_EQ (in.bugReporter().getBounds(), juce::Rectangle<int> (0, 0, w, h));
        EXPECT_EQ (in.editorView().getBounds(), juce::Rectangle<int> (0, 0, w, h));
        EXPECT_EQ (in.rightPanel()->getBounds(), juce::Rectangle<int> (w - 300, 40, 300, h - 40));
        EXPECT_EQ (in.table().getBounds(), juce::Rectangle<int> (0, 40, w - 300, h - 40));
        EXPECT_EQ (in.addInputButton().getBounds(), juce::Rectangle<int> (w - 349, 4, 32, 32));
        EXPECT_EQ (in.addOutputButton().getBounds(), juce::Rectangle<int> (w - 314, 4, 32, 32));
        EXPECT_EQ (in.groupFilterCombo().getBounds(), juce::Rectangle<int> (w / 2 - 250, 8, 250, 24));
        EXPECT_EQ (in.ioFilterCombo().getBounds(), juce::Rectangle<int> (w / 2 + 8, 8, 80, 24));
        EXPECT_EQ (in.editControllerInfoButton().getBounds(), juce::Rectangle<int> (w - 282, 4, 32, 32));
        EXPECT_EQ (in.shareButton().getBounds(), juce::Rectangle<int> (w - 42, 4, 32, 32));
        EXPECT_EQ (in.cloudButton().getBounds(), juce::Rectangle<int> (w - 74, 4, 32, 32));
        EXPECT_EQ (in.bugReportButton().getBounds(), juce::Rectangle<int> (w - 158, 8, 150, 24));
    }

    EXPECT_EQ (in.ioFilterCombo().getX(), 1301 / 2 + 8); // integer half of an odd width
}

//==============================================================================
class MainViewRebuild : public MainView
{
protected:
    void SetUp() override
    {
        MainView::SetUp();
        auto& doc = document();
        addInput (doc, makeInput (fxOnOff));
        addInput (doc, makeInput (cuePlay));
        addInput (doc, makeInput ("no.such.control"));
        addInput (doc, makeInput (shiftSelector));
        addOutput (doc, makeOutput (masterMeter, "%"));
        addOutput (doc, makeOutput (fxOnOff));
        addOutput (doc, makeOutput (trackTitle, "%"));
        view->updateMappingList();
    }
};

TEST_F (MainViewRebuild, ListsEveryMappingOfBothDirections)
{
    EXPECT_EQ (inspect().numRows(), 7);
    EXPECT_EQ (inspect().rows().size(), 7);
    EXPECT_EQ (rowKinds(), juce::Array<int> ({ 1, 1, 1, 1, 0, 0, 0 })); // "IO" forwards: inputs first
}

TEST_F (MainViewRebuild, GroupListHoldsAllThenTheGroupsAsFirstMetInputsFirst)
{
    EXPECT_EQ (itemTexts (inspect().groupFilterCombo()),
               juce::StringArray ({ "all", "Fx 1 ", "Player A ", "unknown", "Modifiers ", "Mixer " }));
    EXPECT_EQ (inspect().groupFilterCombo().getItemId (3), 4);
    EXPECT_EQ (inspect().groupFilterCombo().getText(), "all");
}

TEST_F (MainViewRebuild, IoFilterPicksTheDirectionAndItsGroups)
{
    auto& combo = inspect().ioFilterCombo();

    combo.setSelectedId (2, juce::sendNotificationSync);
    EXPECT_EQ (inspect().ioFilter(), 2);
    EXPECT_EQ (rowKinds(), juce::Array<int> ({ 1, 1, 1, 1 }));
    EXPECT_EQ (itemTexts (inspect().groupFilterCombo()),
               juce::StringArray ({ "all", "Fx 1 ", "Player A ", "unknown", "Modifiers " }));

    combo.setSelectedId (3, juce::sendNotificationSync);
    EXPECT_EQ (rowKinds(), juce::Array<int> ({ 0, 0, 0 }));
    EXPECT_EQ (itemTexts (inspect().groupFilterCombo()),
               juce::StringArray ({ "all", "Mixer ", "Fx 1 ", "Player A " }));

    combo.setSelectedId (1, juce::sendNotificationSync);
    EXPECT_EQ (inspect().numRows(), 7);
}

TEST_F (MainViewRebuild, GroupFilterKeepsOnlyThatGroupAndStaysSelected)
{
    auto& combo = inspect().groupFilterCombo();
    combo.setSelectedId (2, juce::sendNotificationSync); // "Fx 1 "

    EXPECT_EQ (inspect().groupFilter(), "Fx 1 ");
    EXPECT_EQ (rowAliases(), juce::StringArray (fxOnOff, fxOnOff));
    EXPECT_EQ (rowKinds(), juce::Array<int> ({ 1, 0 }));
    // The list still offers every group of the directions let through.
    EXPECT_EQ (combo.getNumItems(), 6);
    EXPECT_EQ (combo.getText(), "Fx 1 ");

    // A rebuild while the combo shows the stored group keeps it; the late notification changes nothing.
    view->updateMappingList();
    EXPECT_EQ (combo.getText(), "Fx 1 ");
    TestHelpers::pumpMessages (30);
    EXPECT_EQ (inspect().groupFilter(), "Fx 1 ");
    EXPECT_EQ (inspect().numRows(), 2);
}

TEST_F (MainViewRebuild, StaleGroupFilterShowsNothingUntilTheComboNotificationRebuildsWithAll)
{
    auto& combo = inspect().groupFilterCombo();
    combo.setSelectedId (6, juce::sendNotificationSync); // "Mixer "
    ASSERT_EQ (inspect().groupFilter(), "Mixer ");
    ASSERT_EQ (rowAliases(), juce::StringArray (masterMeter));

    // The last mapping of the group goes away: the rebuild matches nothing and shows "all".
    outputList (document()).removeChild (0, nullptr);
    view->updateMappingList();

    EXPECT_EQ (inspect().numRows(), 0);
    EXPECT_EQ (combo.getSelectedId(), 1);
    EXPECT_EQ (combo.getText(), "all");
    EXPECT_EQ (inspect().groupFilter(), "Mixer ");

    // The combo's asynchronous change message then stores "all" and rebuilds again.
    EXPECT_TRUE (TestHelpers::pumpUntil ([this] { return inspect().groupFilter() == "all"; }, 2000));
    EXPECT_EQ (inspect().numRows(), 6);
    EXPECT_FALSE (itemTexts (combo).contains ("Mixer "));
}

TEST_F (MainViewRebuild, IoFilterChangeMakesTheGroupFilterStaleToo)
{
    inspect().groupFilterCombo().setSelectedId (6, juce::sendNotificationSync); // "Mixer ", outputs only
    inspect().ioFilterCombo().setSelectedId (2, juce::sendNotificationSync);   // inputs

    EXPECT_EQ (inspect().numRows(), 0);
    EXPECT_TRUE (TestHelpers::pumpUntil ([this] { return inspect().groupFilter() == "all"; }, 2000));
    EXPECT_EQ (rowKinds(), juce::Array<int> ({ 1, 1, 1, 1 }));
}

TEST_F (MainViewRebuild, IgnoresOtherChildrenAndMissingLists)
{
    inputList (document()).appendChild (juce::ValueTree ("comment"), nullptr);
    outputList (document()).appendChild (juce::ValueTree ("midi"), nullptr);
    view->updateMappingList();
    EXPECT_EQ (inspect().numRows(), 7);

    document().getMappings().removeChild (outputList (document()), nullptr);
    view->updateMappingList();
    EXPECT_EQ (rowKinds(), juce::Array<int> ({ 1, 1, 1, 1 }));
    EXPECT_EQ (inspect().groupFilterCombo().getNumItems(), 5);

    document().getMappings().removeChild (inputList (document()), nullptr);
    view->updateMappingList();
    EXPECT_EQ (inspect().numRows(), 0);
    EXPECT_EQ (itemTexts (inspect().groupFilterCombo()), juce::StringArray ("all"));
}

TEST_F (MainViewRebuild, EveryRebuildClearsTheSelectionAndShowsTheControllerInfo)
{
    auto& table = inspect().table();

    table.selectRow (4);
    ASSERT_NE (dynamic_cast<OutputMappingComponent*> (inspect().rightPanel()), nullptr);

    view->updateMappingList();
    EXPECT_EQ (table.getNumSelectedRows(), 0);
    EXPECT_NE (dynamic_cast<ControllerInfoComponent*> (inspect().rightPanel()), nullptr);

    table.selectRow (0);
    table.selectRow (1, false, false);
    view->sortOrderChanged (3, false); // a click on a column header
    EXPECT_EQ (table.getNumSelectedRows(), 0);
    EXPECT_NE (dynamic_cast<ControllerInfoComponent*> (inspect().rightPanel()), nullptr);

    table.selectRow (2);
    inspect().ioFilterCombo().setSelectedId (3, juce::sendNotificationSync);
    EXPECT_EQ (table.getNumSelectedRows(), 0);
}

TEST_F (MainViewRebuild, RowsAreHandlesOnTheDocumentElements)
{
    const auto element = inputList (document()).getChild (1);
    const int index = inspect().indexOf (element);
    ASSERT_GE (index, 0);

    element.getChildWithName ("controls").getChild (0).setProperty ("alias", about, nullptr);
    EXPECT_EQ (aliasOf (inspect().row (index)), about);
}

//==============================================================================
class MainViewSorting : public MainView
{
protected:
    void SetUp() override
    {
        MainView::SetUp();
        auto& doc = document();
        // Keys are chosen distinct per column, so that every order is fully defined.
        a = addInput (doc, makeInput (registerLogic, 2, 7, "CC", "Toggler Button", "ML3"));
        b = addInput (doc, makeInput ("Zulu", 1, 60, "Note", "Holder Button"));
        c = addInput (doc, makeInput (cuePlay, 3, 2, "CC", {}, "ML0"));
        d = addOutput (doc, makeOutput (masterMeter, "%", "ML2", 4, 5));
        e = addOutput (doc, makeOutput ("alpha", "true", {}, 5, 9));
        view->updateMappingList();
    }

    juce::Array<juce::ValueTree> sortedBy (int column, bool forwards)
    {
        view->sortOrderChanged (column, forwards);
        EXPECT_EQ (inspect().sortColumnId(), column);
        EXPECT_EQ (inspect().sortForwards(), forwards);

        juce::Array<juce::ValueTree> order;
        for (int i = 0; i < inspect().numRows(); ++i)
            order.add (inspect().row (i));
        return order;
    }

    static juce::Array<juce::ValueTree> reversed (juce::Array<juce::ValueTree> order)
    {
        std::reverse (order.begin(), order.end());
        return order;
    }

    void expectOrder (int column, juce::Array<juce::ValueTree> forwards)
    {
        EXPECT_EQ (sortedBy (column, true), forwards) << "column " << column << " forwards";
        EXPECT_EQ (sortedBy (column, false), reversed (forwards)) << "column " << column << " backwards";
    }

    juce::ValueTree a, b, c, d, e;
};

TEST_F (MainViewSorting, AliasSortsCaseSensitivelyByCodePoint)
{
    // "Zulu" < "alpha" < "app..." < "fam(Mixer)..." < "fam(Player)..." < "reg(...)"
    expectOrder (1, { b, e, d, c, a });
}

TEST_F (MainViewSorting, NameSortsByTitleWithUnknownAliasesAsUnknown)
{
    // "Mixer  Master Meter" < "Player A  Cue-Play" < "Registers  Register Logic 1" < "unknown" (twice)
    const auto order = sortedBy (7, true);
    EXPECT_EQ (order[0], d);
    EXPECT_EQ (order[1], c);
    EXPECT_EQ (order[2], a);
    EXPECT_TRUE ((order[3] == b && order[4] == e) || (order[3] == e && order[4] == b));

    const auto back = sortedBy (7, false);
    EXPECT_EQ (back[2], a);
    EXPECT_EQ (back[3], c);
    EXPECT_EQ (back[4], d);
}

TEST_F (MainViewSorting, IoPutsInputsFirstForwardsAndLastBackwards)
{
    const auto forwards = sortedBy (2, true);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ (Mapping::getKind (forwards[i]), i < 3 ? 1 : 0);

    const auto backwards = sortedBy (2, false);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ (Mapping::getKind (backwards[i]), i < 2 ? 0 : 1);
}

TEST_F (MainViewSorting, TypeSortsByTheCatalogueTypeWithUnknownAsUnknwon)
{
    // "Logic" < "Normal" < "Trigger" < "unknwon" (twice)
    const auto order = sortedBy (3, true);
    EXPECT_EQ (order[0], a);
    EXPECT_EQ (order[1], d);
    EXPECT_EQ (order[2], c);
    EXPECT_TRUE ((order[3] == b && order[4] == e) || (order[3] == e && order[4] == b));
}

TEST_F (MainViewSorting, PresetOrValueSortsPresetsOfInputsAndControlValuesOfOutputs)
{
    // "" (c) < "%" (d) < "Holder Button" (b) < "Toggler Button" (a) < "true" (e)
    expectOrder (4, { c, d, b, a, e });
}

TEST_F (MainViewSorting, MappedToSortsByDescription)
{
    // "CH 1, Note, C4 (60)" < "CH 2, CC, 7" < "CH 3, CC, 2" < "CH 4, CC 5, 0x7f" < "CH 5, CC 9, 0x7f"
    expectOrder (5, { b, a, c, d, e });
}

TEST_F (MainViewSorting, ModifierSortsAsIntegersWithOutputsAtMinusOne)
{
    // Outputs and b (no modifier) are all -1; then c (0), then a (3).
    const auto order = sortedBy (6, true);
    EXPECT_EQ (order[3], c);
    EXPECT_EQ (order[4], a);

    juce::Array<juce::ValueTree> firstThree { order[0], order[1], order[2] };
    EXPECT_TRUE (firstThree.contains (b) && firstThree.contains (d) && firstThree.contains (e));

    const auto back = sortedBy (6, false);
    EXPECT_EQ (back[0], a);
    EXPECT_EQ (back[1], c);
}

TEST_F (MainViewSorting, SorterComparesTwoRowsDirectly)
{
    juce::ValueTree ra (a), rb (b), rd (d);

    EXPECT_EQ (MappingSorter (2, true).compareElements (&ra, &rd), -1);
    EXPECT_EQ (MappingSorter (2, true).compareElements (&rd, &ra), 1);
    EXPECT_EQ (MappingSorter (2, false).compareElements (&ra, &rd), 1);
    EXPECT_EQ (MappingSorter (2, true).compareElements (&ra, &rb), 0);
    EXPECT_EQ (MappingSorter (1, true).compareElements (&rb, &ra), -1); // "Zulu" < "reg(...)"
    EXPECT_EQ (MappingSorter (1, true).compareElements (&ra, &ra), 0);
    EXPECT_EQ (MappingSorter (6, true).compareElements (&rd, &ra), -1);  // -1 < 3
}

//==============================================================================
class MainViewPainting : public MainView
{
protected:
    void SetUp() override
    {
        MainView::SetUp();
        auto& doc = document();
        known = addInput (doc, makeInput (fxOnOff, 1, 7, "CC", {}, "ML2"));
        unknown = addInput (doc, makeInput ("no.such.control", 2, 8));
        output = addOutput (doc, makeOutput (masterMeter, "%"));
        view->updateMappingList();
        ASSERT_EQ (inspect().row (0), known);
        ASSERT_EQ (inspect().row (1), unknown);
        ASSERT_EQ (inspect().row (2), output);
    }

    juce::Image render() { return TestHelpers::renderComponent (inspect().table()); }

    /** The table area of a cell, in the table's own coordinates. */
    juce::Rectangle<int> cell (int row, int columnId)
    {
        auto& table = inspect().table();
        return table.getCellPosition (columnId, row, true);
    }

    /** The darkest grey level (by the green channel) over an area. */
    static int darkest (const juce::Image& image, juce::Rectangle<int> area)
    {
        int level = 255;
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                level = juce::jmin (level, (int) image.getPixelAt (x, y).getGreen());
        return level;
    }

    juce::ValueTree known, unknown, output;
};

TEST_F (MainViewPainting, RowBackgroundsAlternateAndSelectionIsBlue)
{
    inspect().table().selectRow (2);
    const auto image = render();
    TestHelpers::writeSnapshot (image, "MainView_table_rows");

    // Probe inside the "Type" column, right of its short text.
    auto probe = [&] (int row)
    {
        const auto r = cell (row, 3);
        return image.getPixelAt (r.getRight() - 6, r.getCentreY());
    };

    EXPECT_EQ (probe (0).getARGB(), 0xffffffffu);
    EXPECT_EQ (probe (1).getARGB(), 0xfff0f5fau);
    EXPECT_EQ (probe (2).getARGB(), 0xff4b96e6u);
}

TEST_F (MainViewPainting, RowBackgroundFollowsTheRowNumberAlone)
{
    juce::Image image (juce::Image::ARGB, 10, 10, true);
    {
        juce::Graphics g (image);
        view->paintRowBackground (g, 57, 10, 10, false); // far beyond numRows
    }
    EXPECT_EQ (image.getPixelAt (5, 5).getARGB(), 0xfff0f5fau);
}

TEST_F (MainViewPainting, TextIsBlackWhiteOnSelectionAndGreyForUnknownAliases)
{
    inspect().table().selectRow (2);
    const auto image = render();

    const auto knownName = cell (0, 7).withTrimmedRight (2);
    const auto unknownName = cell (1, 7).withTrimmedRight (2);
    EXPECT_LT (darkest (image, knownName), 0x30);                 // black text
    EXPECT_GE (darkest (image, unknownName), 0x70);               // grey 0xff808080 at its darkest
    EXPECT_LE (darkest (image, unknownName), 0x90);

    // The selected row's text is white on blue: some pixels are brighter than the blue's green.
    const auto selectedName = cell (2, 7).withTrimmedRight (2);
    int brightest = 0;
    for (int y = selectedName.getY(); y < selectedName.getBottom(); ++y)
        for (int x = selectedName.getX(); x < selectedName.getRight(); ++x)
            brightest = juce::jmax (brightest, (int) image.getPixelAt (x, y).getRed());
    EXPECT_GT (brightest, 0xe0);
}

TEST_F (MainViewPainting, UnknownAliasStaysGreyWhenSelected)
{
    inspect().table().selectRow (1);
    const auto image = render();
    const auto name = cell (1, 7).withTrimmedRight (2);

    int brightestRed = 0;
    for (int y = name.getY(); y < name.getBottom(); ++y)
        for (int x = name.getX(); x < name.getRight(); ++x)
            brightestRed = juce::jmax (brightestRed, (int) image.getPixelAt (x, y).getRed());

    EXPECT_LE (brightestRed, 0x82); // no white text: grey over blue at most
    EXPECT_GE (brightestRed, 0x70);
}

TEST_F (MainViewPainting, EveryCellEndsInASeparatorOfBlackAtAlphaPointTwo)
{
    const auto image = render();

    // Black at alpha 0.2 over the row colour, give or take the renderer's rounding.
    auto expectNear = [] (juce::Colour actual, juce::Colour expected, int column)
    {
        EXPECT_NEAR (actual.getRed(), expected.getRed(), 2) << "column " << column;
        EXPECT_NEAR (actual.getGreen(), expected.getGreen(), 2) << "column " << column;
        EXPECT_NEAR (actual.getBlue(), expected.getBlue(), 2) << "column " << column;
    };

    for (int column : { 7, 2, 3, 4, 6 })
    {
        const auto r = cell (0, column);
        expectNear (image.getPixelAt (r.getRight() - 1, r.getY() + 2),
                    juce::Colours::white.overlaidWith (juce::Colour (0x33000000)), column);
        EXPECT_EQ (image.getPixelAt (r.getRight() - 2, r.getY() + 2).getARGB(), 0xffffffffu);

        const auto oddRow = cell (1, column);
        expectNear (image.getPixelAt (oddRow.getRight() - 1, oddRow.getY() + 2),
                    juce::Colour (0xfff0f5fa).overlaidWith (juce::Colour (0x33000000)), column);
    }
}

TEST_F (MainViewPainting, CellsDrawTheirTextsAndTheIoIcons)
{
    auto paintedCell = [this] (int row, int column)
    {
        juce::Image image (juce::Image::ARGB, 100, 22, true);
        juce::Graphics g (image);
        g.fillAll (juce::Colours::white);
        view->paintCell (g, row, column, 100, 22, false);
        return image;
    };

    // An empty text draws only the separator.
    const auto noPreset = paintedCell (0, 4);
    EXPECT_EQ (darkest (noPreset, { 0, 0, 99, 22 }), 0xff);

    // Modifier of an input: "2"; of an output: its (empty) list.
    EXPECT_LT (darkest (paintedCell (0, 6), { 0, 0, 99, 22 }), 0x40);
    EXPECT_EQ (darkest (paintedCell (2, 6), { 0, 0, 99, 22 }), 0xff);

    // The IO icon is drawn centred: (100 - 16) / 2 = 42, (22 - 16) / 2 = 3.
    const auto io = paintedCell (0, 2);
    EXPECT_EQ (io.getPixelAt (42 + 8, 3 + 1), inspect().inputIcon().getPixelAt (8, 1));
    EXPECT_EQ (io.getPixelAt (41, 3 + 8).getARGB(), 0xffffffffu);
    const auto ioOut = paintedCell (2, 2);
    EXPECT_EQ (ioOut.getPixelAt (42 + 8, 3 + 1), inspect().outputIcon().getPixelAt (8, 1));
}

TEST_F (MainViewPainting, RowsBeyondTheListPaintNothing)
{
    juce::Image image (juce::Image::ARGB, 100, 22, true);
    {
        juce::Graphics g (image);
        g.fillAll (juce::Colours::white);
        view->paintCell (g, 3, 7, 100, 22, false);
        view->paintCell (g, 1000, 7, 100, 22, true);
        view->paintCell (g, -1, 7, 100, 22, false);
    }

    EXPECT_EQ (darkest (image, { 0, 0, 100, 22 }), 0xff);
}

TEST_F (MainViewPainting, HeaderStripCarriesLogoAndTitle)
{
    const auto image = TestHelpers::renderComponent (*view);

    EXPECT_EQ (image.getPixelAt (2, 2).getARGB(), 0xff6b6b6bu);
    EXPECT_EQ (image.getPixelAt (200, 38).getARGB(), 0xff6b6b6bu);

    // Somewhere in the title's box the white text is drawn.
    bool whiteTitle = false;
    for (int x = 60; x < 184 && ! whiteTitle; ++x)
        whiteTitle = image.getPixelAt (x, 20).getARGB() == 0xffffffffu;
    EXPECT_TRUE (whiteTitle);
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
class MainViewPanels : public MainViewRebuild
{
};

TEST_F (MainViewPanels, PanelFollowsTheSelection)
{
    auto& table = inspect().table();
    EXPECT_NE (dynamic_cast<ControllerInfoComponent*> (inspect().rightPanel()), nullptr);

    table.selectRow (0);
    auto* input = dynamic_cast<InputMappingComponent*> (inspect().rightPanel());
    ASSERT_NE (input, nullptr);
    ASSERT_NE (input->getInputMapping(), nullptr);
    EXPECT_EQ (input->getInputMapping()->getValueTree(), inspect().row (0));
    EXPECT_EQ (inspect().rightPanel()->getBounds(), juce::Rectangle<int> (800, 40, 300, 660));
    EXPECT_EQ (inspect().rightPanel()->getParentComponent(), view.get());

    table.selectRow (5);
    auto* output = dynamic_cast<OutputMappingComponent*> (inspect().rightPanel());
    ASSERT_NE (output, nullptr);
    ASSERT_NE (output->getMapping(), nullptr);
    EXPECT_EQ (output->getMapping()->getValueTree(), inspect().row (5));

    table.selectRow (1, false, false);
    EXPECT_NE (dynamic_cast<MultiSelectionComponent*> (inspect().rightPanel()), nullptr);
    table.selectRow (3, false, false);
    EXPECT_NE (dynamic_cast<MultiSelectionComponent*> (inspect().rightPanel()), nullptr);

    table.deselectAllRows();
    EXPECT_NE (dynamic_cast<ControllerInfoComponent*> (inspect().rightPanel()), nullptr);
    EXPECT_EQ (view->getNumChildComponents(), 12);
}

TEST_F (MainViewPanels, EverySelectionMakesANewPanelAndDeletesTheOld)
{
    auto& table = inspect().table();

    table.selectRow (0);
    juce::Component::SafePointer<juce::Component> first (inspect().rightPanel());

    table.selectRow (1, false, false);
    EXPECT_EQ (first.getComponent(), nullptr);
    juce::Component::SafePointer<juce::Component> multi (inspect().rightPanel());

    table.selectRow (0); // the same row alone again
    EXPECT_EQ (multi.getComponent(), nullptr);
    ASSERT_NE (dynamic_cast<InputMappingComponent*> (inspect().rightPanel()), nullptr);
    juce::Component::SafePointer<juce::Component> second (inspect().rightPanel());

    view->selectedRowsChanged (0); // the table reporting the same selection again
    EXPECT_EQ (second.getComponent(), nullptr);
    EXPECT_NE (dynamic_cast<InputMappingComponent*> (inspect().rightPanel()), nullptr);

    juce::Component::SafePointer<juce::Component> info;
    view->showControllerInfo();
    info = inspect().rightPanel();
    view->showControllerInfo();
    EXPECT_EQ (info.getComponent(), nullptr);
    EXPECT_NE (dynamic_cast<ControllerInfoComponent*> (inspect().rightPanel()), nullptr);
}

// The old panel (with its MIDI cells) goes before the new one is made, so the two never exist
// side by side: while the old panel is deleted, the main view holds no panel at all.
TEST_F (MainViewPanels, OldPanelIsRemovedAndDeletedBeforeTheNewOneIsMade)
{
    struct DeletionWatch : juce::ComponentListener
    {
        void componentBeingDeleted (juce::Component& panel) override
        {
            deleted = true;
            stillAChild = panel.getParentComponent() != nullptr;
            panelHeldMeanwhile = inspector->rightPanel();
        }

        const MainViewInspector* inspector = nullptr;
        bool deleted = false, stillAChild = true;
        juce::Component* panelHeldMeanwhile = nullptr;
    };

    auto& table = inspect().table();
    const auto in = inspect();

    const std::pair<const char*, std::function<void()>> switches[] = {
        { "info to input", [&] { table.selectRow (0); } },
        { "input to output", [&] { table.selectRow (5); } },
        { "output to multi-selection", [&] { table.selectRow (1, false, false); } },
        { "multi-selection to info", [&] { table.deselectAllRows(); } },
        { "info to info", [&] { view->showControllerInfo(); } },
    };

    for (auto& [what, switchPanel] : switches)
    {
        SCOPED_TRACE (what);
        auto* old = inspect().rightPanel();
        DeletionWatch watch;
        watch.inspector = &in;
        old->addComponentListener (&watch);

        switchPanel();

        ASSERT_TRUE (watch.deleted);
        EXPECT_FALSE (watch.stillAChild);
        EXPECT_EQ (watch.panelHeldMeanwhile, nullptr);
        ASSERT_NE (inspect().rightPanel(), nullptr);
        EXPECT_EQ (inspect().rightPanel()->getParentComponent(), view.get());
    }
}

TEST_F (MainViewPanels, ShowControllerInfoClearsTheSelection)
{
    inspect().table().selectRow (2);
    view->showControllerInfo();
    EXPECT_EQ (inspect().table().getNumSelectedRows(), 0);
    EXPECT_NE (dynamic_cast<ControllerInfoComponent*> (inspect().rightPanel()), nullptr);
}

TEST_F (MainViewPanels, SelectedRowOutsideTheListKeepsThePanel)
{
    inspect().table().selectRow (0);
    auto* panel = inspect().rightPanel();
    view->selectedRowsChanged (99);
    EXPECT_EQ (inspect().rightPanel(), panel);
}

TEST_F (MainViewPanels, SelectMappingRowSelectsTheFirstEquivalentRowAlone)
{
    auto& doc = document();
    const auto twinA = addOutput (doc, makeOutput (registerLogic, "true", {}, 9, 9));
    const auto twinB = addOutput (doc, makeOutput (registerLogic, "true", {}, 9, 9));
    view->updateMappingList();

    const int indexA = inspect().indexOf (twinA);
    const int indexB = inspect().indexOf (twinB);
    ASSERT_GE (indexA, 0);
    ASSERT_GE (indexB, 0);

    inspect().table().selectRow (0);
    inspect().table().selectRow (1, false, false);
    view->selectMappingRow (twinB);

    EXPECT_EQ (inspect().table().getNumSelectedRows(), 1);
    EXPECT_EQ (inspect().table().getSelectedRow(), juce::jmin (indexA, indexB));
    auto* output = dynamic_cast<OutputMappingComponent*> (inspect().rightPanel());
    ASSERT_NE (output, nullptr);
    EXPECT_EQ (output->getMapping()->getValueTree(), inspect().row (juce::jmin (indexA, indexB)));

    // An element that no row holds changes nothing.
    view->selectMappingRow (makeOutput ("nowhere"));
    EXPECT_EQ (inspect().table().getSelectedRow(), juce::jmin (indexA, indexB));
}

//==============================================================================
namespace
{
    /** Stands in for the application's command target and records what it performs. */
    struct RecordingTarget : public juce::ApplicationCommandTarget
    {
        juce::ApplicationCommandTarget* getNextCommandTarget() override { return nullptr; }

        void getAllCommands (juce::Array<juce::CommandID>& commands) override
        {
            commands.addArray ({ 0x2010, 0x2011, 0x2012, 0x2021 });
        }

        void getCommandInfo (juce::CommandID id, juce::ApplicationCommandInfo& info) override
        {
            info.setInfo ("command " + juce::String (id), {}, "Test", 0);
        }

        bool perform (const InvocationInfo& info) override
        {
            performed.add ((int) info.commandID);
            return true;
        }

        juce::Array<int> performed;
    };
}

TEST_F (MainView, ButtonsInvokeTheirCommandsAddAndInfoLaterBugReportAtOnce)
{
    const bool ownManager = commandManager == nullptr;
    if (ownManager)
        commandManager = std::make_unique<juce::ApplicationCommandManager>();

    RecordingTarget target;
    commandManager->registerAllCommandsForTarget (&target);
    auto* previousFirst = commandManager->getFirstCommandTarget (0);
    commandManager->setFirstCommandTarget (&target);

    auto in = inspect();
    view->buttonClicked (&in.addInputButton());
    view->buttonClicked (&in.addOutputButton());
    view->buttonClicked (&in.editControllerInfoButton());
    view->buttonClicked (&in.shareButton());
    view->buttonClicked (&in.cloudButton());
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

//==============================================================================
TEST_F (MainView, SnapshotOfASampleDocument)
{
    auto& doc = document();
    const char* inputs[] = { "fam(Fx)[0x1].OnOff", "fam(Player)[0x1].CuePlay", "mod(ShiftSelector)",
                             "fam(Player)[0x1].PitchBend", "app(About)", "reg(RegisterLogic1)",
                             "fam(Player)[0x2].CuePlay", "old.removed.control", "fam(Fx)[0x2].OnOff",
                             "fam(Player)[0x1].ComboJog", "another.unknown" };

    int n = 0;
    for (auto* alias : inputs)
    {
        ++n;
        addInput (doc, makeInput (alias, 1 + n % 3, 10 + n, n % 2 == 0 ? "Note" : "CC",
                                  n % 3 == 0 ? "Toggler Button" : "", n % 4 == 0 ? "ML1" : ""));
    }

    const char* outputs[] = { "fam(Fx)[0x1].OnOff", "fam(Mixer).MasterMeter", "fam(Player)[0x1].TrackTitle",
                              "reg(RegisterLogic1)", "fam(Fx)[0x2].OnOff", "gone.output", "mod(ShiftSelector)",
                              "fam(Player)[0x2].CuePlay", "fam(Fx)[@].OnOff" };
    for (auto* alias : outputs)
    {
        ++n;
        addOutput (doc, makeOutput (alias, n % 2 == 0 ? "true" : "%", n % 3 == 0 ? "ML1,ML4" : "",
                                    1 + n % 2, 20 + n, n % 2 == 0 ? "0x7f" : "%"));
    }

    inspect().table().getHeader().setColumnVisible (5, true);
    view->updateMappingList();
    ASSERT_EQ (inspect().numRows(), 20);
    inspect().table().selectRow (3);

    const auto file = TestHelpers::writeSnapshot (*view, "MainView_sample_document");
    EXPECT_TRUE (file.existsAsFile());
}
