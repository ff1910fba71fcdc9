#include "app/MainViewComponent.h"

#include "app/BugReporterComponent.h"
#include "app/CommandIds.h"
#include "app/EditorViewComponent.h"
#include "app/MultiSelectionComponent.h"
#include "app/PanelDrawing.h"
#include "model/ControlCatalogue.h"
#include "model/ControllerDocument.h"
#include "model/InputMapping.h"
#include "model/OutputMapping.h"
#include "panels/ControllerInfoComponent.h"
#include "panels/InputMappingComponent.h"
#include "panels/OutputMappingComponent.h"
#include "resources/Resources.h"

namespace
{
    // Element names of the document, each made once, on first use.
    const juce::Identifier& mappingType()        { static const juce::Identifier id ("mapping"); return id; }
    const juce::Identifier& inputMappingsType()  { static const juce::Identifier id ("input-mappings"); return id; }
    const juce::Identifier& outputMappingsType() { static const juce::Identifier id ("output-mappings"); return id; }
}

//==============================================================================
MappingSorter::MappingSorter (int columnIdToSortBy, bool forwards) noexcept
    : columnId (columnIdToSortBy), direction (forwards ? 1 : -1)
{
}

namespace
{
    /** A short-lived view on a row: an output view for kind 0, an input view otherwise. */
    std::unique_ptr<Mapping> makeSortView (const juce::ValueTree& tree)
    {
        if (Mapping::getKind (tree) == 0)
            return std::make_unique<OutputMapping> (tree);

        return std::make_unique<InputMapping> (tree);
    }

    juce::String getTextKey (const Mapping& view, int columnId)
    {
        switch (columnId)
        {
            case 1: return view.getAlias();
            case 7: return controlCatalogue->getTitle (view.getAlias());
            case 3: return controlCatalogue->getType (view.getAlias());
            case 4:
                if (auto* output = dynamic_cast<const OutputMapping*> (&view))
                    return output->getControlValue();
                return static_cast<const InputMapping&> (view).getPreset();
            case 5: return view.getDescription();
            default: return {};
        }
    }

    template <typename Key>
    int compareKeys (const Key& a, const Key& b)
    {
        if (a < b)
            return -1;
        if (b < a)
            return 1;
        return 0;
    }
}

namespace
{
    /** A row's sort key: a number for "IO" (2) and "Modifier" (6), else a text. */
    struct SortKey
    {
        int number = 0;
        juce::String text;
    };

    SortKey findSortKey (const juce::ValueTree& row, int columnId)
    {
        if (columnId == 2)
            return { Mapping::getKind (row) != 0 ? 0 : 1, {} };

        const auto view = makeSortView (row);

        if (columnId == 6)
            return { view->getModifier(), {} };

        return { 0, getTextKey (*view, columnId) };
    }

    int compareSortKeys (const SortKey& a, const SortKey& b, int columnId)
    {
        return columnId == 2 || columnId == 6 ? compareKeys (a.number, b.number) : compareKeys (a.text, b.text);
    }
}

int MappingSorter::compareElements (juce::ValueTree* a, juce::ValueTree* b) const
{
    return compareSortKeys (findSortKey (*a, columnId), findSortKey (*b, columnId), columnId) * direction;
}

void MappingSorter::sort (juce::OwnedArray<juce::ValueTree, juce::CriticalSection>& rows) const
{
    const juce::ScopedLock sl (rows.getLock());
    std::vector<std::pair<juce::ValueTree*, SortKey>> keyed;
    keyed.reserve ((size_t) rows.size());

    for (auto* row : rows)
        keyed.emplace_back (row, findSortKey (*row, columnId));

    // std::sort, as juce::OwnedArray::sort uses: the same algorithm, given the same answer for
    // every pair, leaves the rows in the same order.
    std::sort (keyed.begin(), keyed.end(), [this] (const auto& a, const auto& b)
    {
        return compareSortKeys (a.second, b.second, columnId) * direction < 0;
    });

    auto** slots = rows.getRawDataPointer();

    for (size_t i = 0; i < keyed.size(); ++i)
        slots[i] = keyed[i].first;
}

//==============================================================================
MainViewComponent::MainViewComponent()
{
    bugReporter = std::make_unique<BugReporterComponent>();
    addAndMakeVisible (bugReporter.get());
    editorView = std::make_unique<EditorViewComponent>();
    addAndMakeVisible (editorView.get());

    rightPanel = std::make_unique<juce::Component>();
    addAndMakeVisible (rightPanel.get());
    table = std::make_unique<juce::TableListBox> ("Mapping Table List Box");
    addAndMakeVisible (table.get());

    addInputButton = std::make_unique<juce::ImageButton> ("add input mapping  button");
    addAndMakeVisible (addInputButton.get());
    setUpImageButton (*addInputButton, "add input mapping", "add_input");
    addInputButton->addListener (this);

    addOutputButton = std::make_unique<juce::ImageButton> ("add output mapping  button");
    addAndMakeVisible (addOutputButton.get());
    setUpImageButton (*addOutputButton, "add output mapping", "add_output");
    addOutputButton->addListener (this);

    groupFilterCombo = std::make_unique<juce::ComboBox> ("group filter combo box");
    addAndMakeVisible (groupFilterCombo.get());
    groupFilterCombo->setEditableText (false);
    groupFilterCombo->setJustificationType (juce::Justification::centredLeft);
    groupFilterCombo->setTextWhenNothingSelected ({});
    groupFilterCombo->setTextWhenNoChoicesAvailable ("(no choices)");
    groupFilterCombo->addListener (this);

    ioFilterCombo = std::make_unique<juce::ComboBox> ("io filter combo box");
    addAndMakeVisible (ioFilterCombo.get());
    ioFilterCombo->setEditableText (false);
    ioFilterCombo->setJustificationType (juce::Justification::centredLeft);
    ioFilterCombo->setTextWhenNothingSelected ({});
    ioFilterCombo->setTextWhenNoChoicesAvailable ("(no choices)");
    ioFilterCombo->addItem ("all", 1);
    ioFilterCombo->addItem ("input", 2);
    ioFilterCombo->addItem ("output", 3);
    ioFilterCombo->addListener (this);

    editControllerInfoButton = std::make_unique<juce::ImageButton> ("edit controller info button");
    addAndMakeVisible (editControllerInfoButton.get());
    setUpImageButton (*editControllerInfoButton, "edit controller info", "edit_info");
    editControllerInfoButton->addListener (this);

    shareButton = std::make_unique<juce::ImageButton> ("share button");
    addAndMakeVisible (shareButton.get());
    setUpImageButton (*shareButton, "share", "share");
    shareButton->addListener (this);

    cloudButton = std::make_unique<juce::ImageButton> ("cloud button");
    addAndMakeVisible (cloudButton.get());
    setUpImageButton (*cloudButton, "cloud", "cloud");
    cloudButton->addListener (this);

    bugReportButton = std::make_unique<juce::TextButton> ("bug report button");
    addAndMakeVisible (bugReportButton.get());
    bugReportButton->setButtonText ("Report a Bug");
    bugReportButton->addListener (this);

    logo = Resources::getCachedImage ("logo.png");
    ioFilter = 1;
    groupFilter = "all";

    document = std::make_unique<ControllerDocument>();

    editorView->setVisible (false);
    cloudButton->setVisible (false);
    shareButton->setVisible (false);
    setSize (600, 400);

    table->setModel (this);
    table->setMultipleSelectionEnabled (true);
    auto& header = table->getHeader();
    const auto flags = juce::TableHeaderComponent::defaultFlags;
    header.addColumn ("Alias", 1, 300, 50, 400, flags);
    header.addColumn ("Name", 7, 300, 50, 400, flags);
    header.addColumn ("IO", 2, 25, 25, 50, flags);
    header.addColumn ("Type", 3, 100, 50, 400, flags);
    header.addColumn ("Preset / Value", 4, 100, 50, 400, flags);
    header.addColumn ("Mapped to", 5, 100, 50, 400, flags);
    header.addColumn ("Modifier", 6, 100, 50, 400, flags);
    header.setColumnVisible (1, false);
    header.setColumnVisible (5, false);

    inputIcon = Resources::getCachedImage ("io_input.png");
    outputIcon = Resources::getCachedImage ("io_output.png");

    updateMappingList();
    groupFilterCombo->setSelectedId (1, juce::dontSendNotification);
    ioFilterCombo->setSelectedId (1, juce::dontSendNotification);

    sortColumnId = 2;
    sortForwards = true;

    settings = appProperties.getUserSettings();
    if (settings != nullptr)
        recentFiles.restoreFromString (settings->getValue ("recentlyOpenedFilesList", {}));

    showControllerInfo();
    bugReporter->setVisible (false);

    // Tab moves the focus among a shown overlay's own children only.
    bugReporter->setFocusContainerType (juce::Component::FocusContainerType::keyboardFocusContainer);
    editorView->setFocusContainerType (juce::Component::FocusContainerType::keyboardFocusContainer);
}

MainViewComponent::~MainViewComponent()
{
    appProperties.closeFiles();

    bugReporter.reset();
    editorView.reset();
    rightPanel.reset();
    table.reset();
    addInputButton.reset();
    addOutputButton.reset();
    groupFilterCombo.reset();
    ioFilterCombo.reset();
    editControllerInfoButton.reset();
    shareButton.reset();
    cloudButton.reset();
    bugReportButton.reset();
}

void MainViewComponent::setUpImageButton (juce::ImageButton& button, const juce::String& text,
                                          const juce::String& imageBaseName)
{
    button.setTooltip (text);
    button.setButtonText (text);
    const auto transparent = juce::Colour (0x00000000);
    button.setImages (false, true, true,
                      Resources::getCachedImage (imageBaseName + "_normal.png"), 1.0f, transparent,
                      Resources::getCachedImage (imageBaseName + "_over.png"), 1.0f, transparent,
                      Resources::getCachedImage (imageBaseName + "_down.png"), 1.0f, transparent,
                      0.0f);
}

//==============================================================================
void MainViewComponent::updateMappingList()
{
    rows.clear();

    const auto mappings = document->getMappings();
    juce::StringArray groupTitles ("all");

    const auto collect = [&] (const juce::Identifier& listName, bool isInput)
    {
        const auto list = mappings.getChildWithName (listName);

        for (const auto& child : list)
        {
            if (! child.hasType (mappingType()))
                continue;

            const juce::String alias = isInput ? InputMapping (child).getAlias()
                                               : OutputMapping (child).getAlias();
            const auto group = controlCatalogue->getGroupTitle (alias);

            if (! groupTitles.contains (group))
                groupTitles.add (group);

            if (groupFilter == "all" || group == groupFilter)
                rows.add (new juce::ValueTree (child));
        }
    };

    if (ioFilter == 1 || ioFilter == 2)
        collect (inputMappingsType(), true);

    if (ioFilter == 1 || ioFilter == 3)
        collect (outputMappingsType(), false);

    MappingSorter (sortColumnId, sortForwards).sort (rows);

    const auto previousGroup = groupFilterCombo->getText();
    groupFilterCombo->clear (juce::sendNotification);

    for (int i = 0; i < groupTitles.size(); ++i)
    {
        groupFilterCombo->addItem (groupTitles[i], i + 1);

        if (groupTitles[i] == previousGroup)
            groupFilterCombo->setSelectedId (i + 1, juce::dontSendNotification);
    }

    if (groupFilterCombo->getSelectedId() == 0)
        groupFilterCombo->setSelectedId (1, juce::dontSendNotification);

    numRows = rows.size();

    table->deselectAllRows();
    table->updateContent();
    table->repaint();
}

void MainViewComponent::showControllerInfo()
{
    table->deselectAllRows();
    removeRightPanel();

    auto* panel = new ControllerInfoComponent();
    setRightPanel (panel);
    panel->setDocument (document.get());
    resized();
}

void MainViewComponent::selectMappingRow (const juce::ValueTree& mapping)
{
    int rowToSelect = -1;

    {
        const juce::ScopedLock lock (rows.getLock());

        for (int i = 0; i < rows.size(); ++i)
        {
            if (rows.getUnchecked (i)->isEquivalentTo (mapping))
            {
                rowToSelect = i;
                break;
            }
        }
    }

    if (rowToSelect < 0)
        return;

    table->deselectAllRows();
    table->selectRow (rowToSelect, false, true);
}

juce::ValueTree MainViewComponent::getRowTree (int rowNumber) const
{
    if (rowNumber < 0 || rowNumber >= numRows)
        return {};

    const juce::ScopedLock lock (rows.getLock());

    if (auto* tree = rows[rowNumber])
        return *tree;

    return {};
}

void MainViewComponent::removeRightPanel()
{
    // The field's own focus-loss notification would arrive after the panel is gone.
    writePendingControllerInfo();

    if (rightPanel != nullptr)
        removeChildComponent (rightPanel.get());

    rightPanel.reset();
}

void MainViewComponent::setRightPanel (juce::Component* newPanel)
{
    removeRightPanel();
    rightPanel.reset (newPanel);

    const auto shownOverlays = getShownOverlays();
    addAndMakeVisible (rightPanel.get(), shownOverlays.isEmpty() ? -1 : getIndexOfChildComponent (shownOverlays.getFirst()));
}

juce::Array<juce::Component*> MainViewComponent::getShownOverlays() const
{
    juce::Array<juce::Component*> shown;

    for (auto* child : getChildren())
        if ((child == bugReporter.get() || child == editorView.get()) && child->isVisible())
            shown.add (child);

    return shown;
}

namespace
{
    /** Hands the keyboard focus only to the children of one shown overlay. */
    struct OverlayFocusTraverser : public juce::KeyboardFocusTraverser
    {
        explicit OverlayFocusTraverser (juce::Component& shownOverlay) : overlay (shownOverlay) {}

        juce::Component* getDefaultComponent (juce::Component*) override { return juce::KeyboardFocusTraverser::getDefaultComponent (&overlay); }
        juce::Component* getNextComponent (juce::Component*) override { return getDefaultComponent (nullptr); }
        juce::Component* getPreviousComponent (juce::Component*) override { return getDefaultComponent (nullptr); }

        juce::Component& overlay;
    };
}

std::unique_ptr<juce::ComponentTraverser> MainViewComponent::createKeyboardFocusTraverser()
{
    const auto shownOverlays = getShownOverlays();

    if (shownOverlays.isEmpty())
        return juce::Component::createKeyboardFocusTraverser();

    return std::make_unique<OverlayFocusTraverser> (*shownOverlays.getLast());
}

void MainViewComponent::writePendingControllerInfo()
{
    if (auto* info = dynamic_cast<ControllerInfoComponent*> (rightPanel.get()))
        info->writePendingFields();
}

void MainViewComponent::showReplacedDocument()
{
    const juce::Component::SafePointer<juce::Component> previousPanel (rightPanel.get());
    updateMappingList();

    if (previousPanel != nullptr && previousPanel == rightPanel.get())
        showControllerInfo();
}

//==============================================================================
void MainViewComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xffffffff));
    PanelDrawing::drawTitleHeader (g, getWidth(), logo);
}

void MainViewComponent::resized()
{
    const int w = getWidth();
    const int h = getHeight();

    bugReporter->setBounds (0, 0, proportionOfWidth (1.0f), proportionOfHeight (1.0f));
    editorView->setBounds (0, 0, w, h);
    if (rightPanel != nullptr)
        rightPanel->setBounds (w - 300, 40, 300, h - 40);
    table->setBounds (0, 40, w - 300, h - 40);
    addInputButton->setBounds (w - 349, 4, 32, 32);
    addOutputButton->setBounds (w - 314, 4, 32, 32);
    groupFilterCombo->setBounds (w / 2 - 250, 8, 250, 24);
    ioFilterCombo->setBounds (w / 2 + 8, 8, 80, 24);
    editControllerInfoButton->setBounds (w - 282, 4, 32, 32);
    shareButton->setBounds (w - 42, 4, 32, 32);
    cloudButton->setBounds (w - 74, 4, 32, 32);
    bugReportButton->setBounds (w - 158, 8, 150, 24);
}

//==============================================================================
int MainViewComponent::getNumRows()
{
    return numRows;
}

void MainViewComponent::paintRowBackground (juce::Graphics& g, int rowNumber, int width, int height, bool rowIsSelected)
{
    PanelDrawing::drawTableRowBackground (g, rowNumber, width, height, rowIsSelected);
}

void MainViewComponent::paintCell (juce::Graphics& g, int rowNumber, int columnId, int width, int height, bool rowIsSelected)
{
    // Rows at or beyond numRows (the table may ask for them) have no element: nothing to draw.
    const auto tree = getRowTree (rowNumber);

    g.setColour (rowIsSelected ? juce::Colour (0xffffffff) : juce::Colour (0xff000000));

    std::unique_ptr<Mapping> view;
    const int kind = Mapping::getKind (tree);

    if (kind == 0)
        view = std::make_unique<OutputMapping> (tree);
    else if (kind == 1)
        view = std::make_unique<InputMapping> (tree);
    else
        return;

    const auto alias = view->getAlias();

    if (! controlCatalogue->isKnownAlias (alias))
        g.setColour (PanelDrawing::Colours::unknownAliasText);

    juce::String text;

    switch (columnId)
    {
        case 1: text = alias; break;
        case 7: text = controlCatalogue->getTitle (alias); break;
        case 3: text = controlCatalogue->getType (alias); break;
        case 5: text = view->getDescription(); break;

        case 2:
        {
            const auto& icon = kind == 1 ? inputIcon : outputIcon;
            g.drawImageAt (icon, (width - 16) / 2, (height - 16) / 2);
            break;
        }

        case 4:
            text = kind == 1 ? static_cast<InputMapping&> (*view).getPreset()
                             : static_cast<OutputMapping&> (*view).getControlValue();
            break;

        case 6:
            if (kind == 1)
            {
                const int modifier = view->getModifier();
                if (modifier >= 0)
                    text = juce::String (modifier);
            }
            else
            {
                text = static_cast<OutputMapping&> (*view).getModifiers();
            }
            break;

        default:
            break;
    }

    if (text.isNotEmpty())
        g.drawText (text, 2, 0, width - 4, height, juce::Justification::centredLeft, true);

    PanelDrawing::drawCellSeparator (g, width, height);
}

void MainViewComponent::selectedRowsChanged (int lastRowSelected)
{
    if (table->getSelectedRows().size() >= 2)
    {
        removeRightPanel();
        setRightPanel (new MultiSelectionComponent());
        resized();
        return;
    }

    if (lastRowSelected == -1)
    {
        showControllerInfo();
        return;
    }

    const auto tree = getRowTree (lastRowSelected);
    const int kind = Mapping::getKind (tree);

    if (kind == 1)
    {
        removeRightPanel();
        auto* panel = new InputMappingComponent();
        panel->setInputMapping (new InputMapping (tree)); // the panel owns the view
        setRightPanel (panel);
    }
    else if (kind == 0)
    {
        removeRightPanel();
        auto* panel = new OutputMappingComponent();
        panel->setMapping (new OutputMapping (tree)); // the panel owns the view
        setRightPanel (panel);
    }
    else
    {
        return;
    }

    resized();
}

void MainViewComponent::sortOrderChanged (int newSortColumnId, bool isForwards)
{
    sortColumnId = newSortColumnId;
    sortForwards = isForwards;
    updateMappingList();
}

//==============================================================================
void MainViewComponent::buttonClicked (juce::Button* button)
{
    if (commandManager == nullptr)
        return;

    if (button == addInputButton.get())
        commandManager->invokeDirectly (CommandIds::addInput, true);
    else if (button == addOutputButton.get())
        commandManager->invokeDirectly (CommandIds::addOutput, true);
    else if (button == editControllerInfoButton.get())
        commandManager->invokeDirectly (CommandIds::editControllerInfo, true);
    else if (button == bugReportButton.get())
        commandManager->invokeDirectly (CommandIds::bugReporter, false);
}

void MainViewComponent::comboBoxChanged (juce::ComboBox* comboBox)
{
    if (comboBox == groupFilterCombo.get())
    {
        if (groupFilterCombo->getText() != groupFilter)
        {
            groupFilter = groupFilterCombo->getText();
            updateMappingList();
        }
    }
    else if (comboBox == ioFilterCombo.get())
    {
        if (ioFilterCombo->getSelectedId() != ioFilter)
        {
            ioFilter = ioFilterCombo->getSelectedId();
            updateMappingList();
        }
    }
}
