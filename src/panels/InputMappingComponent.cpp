#include "panels/InputMappingComponent.h"

#include "app/PanelDrawing.h"
#include "model/ControlCatalogue.h"
#include "model/InputMapping.h"
#include "panels/InputMidiCellComponent.h"

namespace
{
    void setUpLabel (juce::Label& label, const juce::String& text, const juce::Font& font, juce::Justification justification)
    {
        label.setText (text, juce::dontSendNotification);
        label.setFont (font);
        label.setJustificationType (justification);
        label.setEditable (false, false, false);
    }

    juce::Font sectionFont() { return juce::Font (11.0f, juce::Font::bold); }
}

InputMappingComponent::InputMappingComponent()
{
    aliasLabel = std::make_unique<juce::Label> ("alias label");
    addAndMakeVisible (aliasLabel.get());
    setUpLabel (*aliasLabel, "unknown", sectionFont(), juce::Justification::centredLeft);

    table = std::make_unique<juce::TableListBox> ("new component", this);
    addAndMakeVisible (table.get());
    auto& header = table->getHeader();
    header.addColumn ("MIDI", 1, 298, 298, 298, juce::TableHeaderComponent::visible);
    header.setSize (298, 0);
    header.setVisible (false);

    typeLabel = std::make_unique<juce::Label> ("type label");
    addAndMakeVisible (typeLabel.get());
    setUpLabel (*typeLabel, "Preset", sectionFont(), juce::Justification::centredLeft);

    presetLabel = std::make_unique<juce::Label> ("new label");
    addAndMakeVisible (presetLabel.get());
    setUpLabel (*presetLabel, "Preset", juce::Font (13.0f, juce::Font::plain), juce::Justification::centredRight);

    presetComboBox = std::make_unique<juce::ComboBox> ("preset combo box");
    addAndMakeVisible (presetComboBox.get());
    presetComboBox->setEditableText (false);
    presetComboBox->setJustificationType (juce::Justification::centredLeft);
    presetComboBox->setTextWhenNothingSelected ({});
    presetComboBox->setTextWhenNoChoicesAvailable ("(no choices)");
    presetComboBox->addListener (this);

    optionsLabel = std::make_unique<juce::Label> ("options label");
    addAndMakeVisible (optionsLabel.get());
    setUpLabel (*optionsLabel, "Options", sectionFont(), juce::Justification::centredLeft);

    optionsPanel = std::make_unique<juce::PropertyPanel> ("options property panel");
    addAndMakeVisible (optionsPanel.get());

    setSize (PanelDrawing::panelWidth, 600);
}

InputMappingComponent::~InputMappingComponent()
{
    // The table deletes its cells, and with them their MIDI callbacks, before the view they point at goes.
    aliasLabel.reset();
    table.reset();
    typeLabel.reset();
    presetLabel.reset();
    presetComboBox.reset();
    optionsLabel.reset();
    optionsPanel.reset();
    mapping.reset();
}

//==============================================================================
void InputMappingComponent::setInputMapping (InputMapping* mappingToEdit)
{
    if (mappingToEdit != mapping.get())
        mapping.reset (mappingToEdit);

    if (mapping == nullptr)
        return;

    aliasLabel->setText (mapping->getAlias(), juce::dontSendNotification);
    addOptions();
    addPresetNames();
    presetComboBox->setText (mapping->getPreset(), juce::dontSendNotification);

    numRows = mapping->getNumMidi();
    table->updateContent();

    if (numRows > 0)
        table->selectRow (numRows - 1, false, true);
}

void InputMappingComponent::refreshPresets()
{
    if (mapping == nullptr)
        return;

    presetComboBox->clear (juce::sendNotification);
    addPresetNames();
    presetComboBox->setText (mapping->getPreset(), juce::sendNotification);

    optionsPanel->clear();
    addOptions();
}

void InputMappingComponent::addPresetNames()
{
    if (controlCatalogue == nullptr)
        return;

    const auto names = controlCatalogue->getPresetNames (mapping->getAlias(), mapping->getType (0));

    for (int i = 0; i < names.size(); ++i)
        presetComboBox->addItem (names[i], i + 1);
}

void InputMappingComponent::addOptions()
{
    optionsPanel->addProperties (mapping->createPropertyComponents()); // the panel owns the editors
}

//==============================================================================
void InputMappingComponent::paint (juce::Graphics& g)
{
    using namespace PanelDrawing;
    const int height = getHeight();

    g.fillAll (Colours::background);
    drawFramedBody (g, { 0, panelHeaderHeight, panelWidth, height - panelHeaderHeight }, Colours::panelBody, Colours::sectionFrame);
    drawSectionBar (g, { 0, 27, panelWidth, sectionBarHeight }, 32.0f, 48.0f);
    drawPanelHeader (g);
    drawSectionBar (g, { 0, 119, panelWidth, sectionBarHeight }, 120.0f, 136.0f);
    drawSectionBar (g, { 0, 180, panelWidth, sectionBarHeight }, 184.0f, 200.0f);
}

void InputMappingComponent::resized()
{
    aliasLabel->setBounds (10, 29, 230, 14);
    table->setBounds (1, 47, 298, 72);
    typeLabel->setBounds (10, 121, 230, 14);
    presetLabel->setBounds (16, 151, 64, 18);
    presetComboBox->setBounds (90, 151, 200, 18);
    optionsLabel->setBounds (10, 182, 230, 14);
    optionsPanel->setBounds (1, 200, 298, getHeight() - 200);
}

//==============================================================================
int InputMappingComponent::getNumRows()
{
    return numRows;
}

void InputMappingComponent::paintRowBackground (juce::Graphics& g, int, int width, int height, bool rowIsSelected)
{
    g.setColour (rowIsSelected ? PanelDrawing::Colours::panelRowSelection : PanelDrawing::Colours::background);
    g.fillRect (0, 0, width, height);
}

void InputMappingComponent::paintCell (juce::Graphics&, int, int, int, int, bool)
{
}

juce::Component* InputMappingComponent::refreshComponentForCell (int rowNumber, int columnId, bool isRowSelected,
                                                                 juce::Component* existingComponentToUpdate)
{
    auto* cell = dynamic_cast<InputMidiCellComponent*> (existingComponentToUpdate);

    if (columnId != 1)
    {
        delete existingComponentToUpdate; // the table hands over a component it no longer needs
        return nullptr;
    }

    if (cell == nullptr)
    {
        delete existingComponentToUpdate;
        cell = new InputMidiCellComponent(); // owned by the table from here on
    }

    cell->setup (mapping.get(), rowNumber, table.get(), this);
    cell->setSelected (isRowSelected);
    return cell;
}

void InputMappingComponent::valueTreePropertyChanged (juce::ValueTree&, const juce::Identifier&) {}
void InputMappingComponent::valueTreeChildAdded (juce::ValueTree&, juce::ValueTree&) {}
void InputMappingComponent::valueTreeChildRemoved (juce::ValueTree&, juce::ValueTree&, int) {}
void InputMappingComponent::valueTreeChildOrderChanged (juce::ValueTree&, int, int) {}
void InputMappingComponent::valueTreeParentChanged (juce::ValueTree&) {}

void InputMappingComponent::comboBoxChanged (juce::ComboBox* changed)
{
    if (changed != presetComboBox.get() || mapping == nullptr)
        return;

    mapping->setPreset (presetComboBox->getText());
    optionsPanel->clear();
    addOptions();
}
