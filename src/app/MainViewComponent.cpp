#include "app/MainViewComponent.h"

#include "app/BugReporterComponent.h"
#include "app/EditorViewComponent.h"
#include "resources/Resources.h"

#if __has_include("model/ControllerDocument.h")
 #include "model/ControllerDocument.h"
#else
class ControllerDocument {}; // until the document class is in the tree
#endif

namespace
{
    juce::Image loadEmbeddedImage (const juce::String& fileName)
    {
        int size = 0;
        auto* data = Resources::getData (fileName, size);
        return data != nullptr ? juce::ImageCache::getFromMemory (data, size) : juce::Image();
    }
}

//==============================================================================
MappingSorter::MappingSorter (int columnIdToSortBy, bool forwards) noexcept
    : columnId (columnIdToSortBy), direction (forwards ? 1 : -1)
{
}

int MappingSorter::compareElements (juce::ValueTree*, juce::ValueTree*) const
{
    return 0;
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

    logo = loadEmbeddedImage ("logo.png");
    ioFilter = 1;
    groupFilter = "all";

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

    inputIcon = loadEmbeddedImage ("io_input.png");
    outputIcon = loadEmbeddedImage ("io_output.png");

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
                      loadEmbeddedImage (imageBaseName + "_normal.png"), 1.0f, transparent,
                      loadEmbeddedImage (imageBaseName + "_over.png"), 1.0f, transparent,
                      loadEmbeddedImage (imageBaseName + "_down.png"), 1.0f, transparent,
                      0.0f);
}

//==============================================================================
void MainViewComponent::updateMappingList()
{
    rows.clear();
    numRows = rows.size();
    table->deselectAllRows();
    table->updateContent();
    table->repaint();
}

void MainViewComponent::showControllerInfo()
{
}

void MainViewComponent::selectMappingRow (const juce::ValueTree&)
{
}

juce::ValueTree MainViewComponent::getRowTree (int rowNumber) const
{
    const juce::ScopedLock lock (rows.getLock());
    if (auto* tree = rows[rowNumber])
        return *tree;
    return {};
}

void MainViewComponent::setRightPanel (juce::Component* newPanel)
{
    if (rightPanel != nullptr)
        removeChildComponent (rightPanel.get());
    rightPanel.reset (newPanel);
    addAndMakeVisible (rightPanel.get());
    resized();
}

//==============================================================================
void MainViewComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xffffffff));
}

void MainViewComponent::resized()
{
    const int w = getWidth();
    const int h = getHeight();

    bugReporter->setBounds (0, 0, proportionOfWidth (1.0f), proportionOfHeight (1.0f));
    editorView->setBounds (0, 0, w, h);
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

void MainViewComponent::paintRowBackground (juce::Graphics&, int, int, int, bool)
{
}

void MainViewComponent::paintCell (juce::Graphics&, int, int, int, int, bool)
{
}

void MainViewComponent::selectedRowsChanged (int)
{
}

void MainViewComponent::sortOrderChanged (int newSortColumnId, bool isForwards)
{
    sortColumnId = newSortColumnId;
    sortForwards = isForwards;
    updateMappingList();
}

void MainViewComponent::buttonClicked (juce::Button*)
{
}

void MainViewComponent::comboBoxChanged (juce::ComboBox*)
{
}
