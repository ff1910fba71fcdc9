#include "panels/OutputMappingComponent.h"

#include "app/CommandIds.h"
#include "app/MidiDevices.h"
#include "app/PanelDrawing.h"
#include "app/WirelaceApplication.h"
#include "model/ControlCatalogue.h"
#include "model/OutputMapping.h"
#include "panels/OutputMappingMidiCellComponent.h"

namespace
{
    std::unique_ptr<juce::Label> makeLabel (const juce::String& name, const juce::String& text,
                                            float height, bool bold, juce::Justification justification)
    {
        auto label = std::make_unique<juce::Label> (name, text);
        label->setFont (juce::Font (height, bold ? juce::Font::bold : juce::Font::plain));
        label->setJustificationType (justification);
        label->setEditable (false, false, false);
        label->setColour (juce::TextEditor::textColourId, juce::Colours::black);
        label->setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00000000));
        return label;
    }

    std::unique_ptr<juce::Label> makeSectionLabel (const juce::String& text)
    {
        return makeLabel ("alias label", text, 11.0f, true, juce::Justification::centredLeft);
    }

    std::unique_ptr<juce::Label> makeTitleLabel (const juce::String& text)
    {
        return makeLabel ("new label", text, 13.0f, false, juce::Justification::centredRight);
    }

    bool isLogicOrTrigger (const juce::String& type)
    {
        return type == "Logic" || type == "Trigger";
    }
}

//==============================================================================
OutputMappingComponent::OutputMappingComponent()
{
    aliasLabel = makeSectionLabel ("unknown");
    addAndMakeVisible (aliasLabel.get());
    valueTitleLabel = makeTitleLabel ("Value");
    addAndMakeVisible (valueTitleLabel.get());
    typeTitleLabel = makeTitleLabel ("Type\n");
    addAndMakeVisible (typeTitleLabel.get());

    typeComboBox = std::make_unique<juce::ComboBox> ("type combo box");
    addAndMakeVisible (typeComboBox.get());
    typeComboBox->addItem ("Default", 1);
    typeComboBox->addItem ("Loop", 2);

    midiTitleLabel = makeSectionLabel ("MIDI");
    addAndMakeVisible (midiTitleLabel.get());

    valueComboBox = std::make_unique<juce::ComboBox> ("value combo box");
    addAndMakeVisible (valueComboBox.get());

    for (auto* box : { typeComboBox.get(), valueComboBox.get() })
    {
        box->setEditableText (false);
        box->setJustificationType (juce::Justification::centredLeft);
        box->setTextWhenNothingSelected ({});
        box->setTextWhenNoChoicesAvailable ("(no choices)");
        box->addListener (this);
    }

    midiTable = std::make_unique<juce::TableListBox>();
    addAndMakeVisible (midiTable.get());
    midiTable->setName ("new component");
    midiTable->setModel (this);
    auto& header = midiTable->getHeader();
    header.addColumn ("MIDI", 1, 298, 298, 298, juce::TableHeaderComponent::visible);
    header.setSize (298, 0);
    header.setVisible (false);

    addMidiButton = std::make_unique<juce::TextButton> ("add midi button");
    addAndMakeVisible (addMidiButton.get());
    addMidiButton->setButtonText ("Add MIDI");
    addMidiButton->addListener (this);

    mappingTitleLabel = makeSectionLabel ("Mapping");
    addAndMakeVisible (mappingTitleLabel.get());
    testTitleLabel = makeSectionLabel ("Test\n");
    addAndMakeVisible (testTitleLabel.get());

    testSlider = std::make_unique<juce::Slider> ("midi test number slider");
    addAndMakeVisible (testSlider.get());
    testSlider->setRange (0.0, 127.0, 1.0);
    testSlider->setSliderStyle (juce::Slider::LinearHorizontal);
    testSlider->setTextBoxStyle (juce::Slider::TextBoxLeft, true, 80, 20);
    testSlider->addListener (this);
    testSlider->setVisible (false); // shown by setMapping for the types that take a number

    testButton = std::make_unique<juce::TextButton> ("midi test button");
    addAndMakeVisible (testButton.get());
    testButton->setButtonText ("Test");
    testButton->addListener (this);

    modifierTitleLabel = makeSectionLabel ("Modifier\n");
    addAndMakeVisible (modifierTitleLabel.get());

    for (size_t i = 0; i < modifierToggles.size(); ++i)
    {
        auto& toggle = modifierToggles[i];
        toggle = std::make_unique<juce::ToggleButton> ("new toggle button");
        addAndMakeVisible (toggle.get());
        toggle->setButtonText (juce::String ((int) i + 1));
        toggle->addListener (this);
    }

    setSize (600, 400);
}

OutputMappingComponent::~OutputMappingComponent()
{
    stopTimer();

    // The children go in the order they were made, the table with its cells (which remove their
    // MIDI callbacks) among them, and only then the view that the cells point at.
    aliasLabel.reset();
    valueTitleLabel.reset();
    typeTitleLabel.reset();
    typeComboBox.reset();
    midiTitleLabel.reset();
    valueComboBox.reset();
    midiTable.reset();
    addMidiButton.reset();
    mappingTitleLabel.reset();
    testTitleLabel.reset();
    testSlider.reset();
    testButton.reset();
    modifierTitleLabel.reset();

    for (auto& toggle : modifierToggles)
        toggle.reset();

    mapping.reset();
}

void OutputMappingComponent::setMapping (OutputMapping* mappingToEdit)
{
    if (mappingToEdit != mapping.get())
        mapping.reset (mappingToEdit);

    if (mapping == nullptr)
        return;

    numRows = mapping->getNumMidi();
    aliasLabel->setText (mapping->getAlias(), juce::dontSendNotification);

    const auto alias = mapping->getAlias();
    const auto type = getCatalogueType();

    if (isLogicOrTrigger (type))
    {
        valueComboBox->addItem ("true", 1);
        valueComboBox->addItem ("false", 2);
    }
    else
    {
        if (type == "Integer" && controlCatalogue != nullptr && controlCatalogue->hasRange (alias))
        {
            for (int i = controlCatalogue->getRangeMin (alias); i < controlCatalogue->getRangeMax (alias); ++i)
                valueComboBox->addItem (juce::String (i) + ":\t" + controlCatalogue->getRangeValueName (alias, i), i + 1);
        }
        else
        {
            if (type != "Integer")
                valueComboBox->addItem ("%", 1);

            for (int v = 0; v <= 127; ++v)
                valueComboBox->addItem (juce::String (v), v + 2);

            valueComboBox->setEditableText (true);
        }

        testSlider->setVisible (true);
        repaint();
    }

    valueComboBox->setText (mapping->getControlValue(), juce::sendNotificationAsync);

    if (type == "Normal")
    {
        typeComboBox->addItem ("Map", 3);
        typeComboBox->addItem ("Simple Map", 4);
        typeComboBox->addItem ("Filling Map", 5);
    }

    juce::String mode ("Default");

    if (mapping->isLooped())
        mode = "Loop";
    else if (mapping->isMap())
        mode = "Map";
    else if (mapping->isSimpleMap())
        mode = "Simple Map";
    else if (mapping->isFillingMap())
        mode = "Filling Map";

    typeComboBox->setText (mode, juce::sendNotificationAsync);

    for (size_t i = 0; i < modifierToggles.size(); ++i)
        modifierToggles[i]->setToggleState (mapping->hasModifier ((int) i + 1), juce::dontSendNotification);
}

//==============================================================================
void OutputMappingComponent::paint (juce::Graphics& g)
{
    using namespace PanelDrawing;
    const int h = getHeight();

    g.fillAll (Colours::background);
    drawFramedBody (g, { 0, 27, 300, h - 27 }, Colours::panelBody, Colours::sectionFrame);
    drawSectionBar (g, { 0, 27, 300, 20 }, 32.0f, 48.0f);
    drawPanelHeader (g);
    drawSectionBar (g, { 0, 116, 300, 20 }, 120.0f, 136.0f);
    drawSectionBar (g, { 0, 550, 300, 20 }, 550.0f, 570.0f);
    drawSectionBar (g, { 0, 172, 300, 20 }, 176.0f, 192.0f);
    drawSectionBar (g, { 1, 461, 300, 20 }, 460.0f, 480.0f);
}

void OutputMappingComponent::resized()
{
    aliasLabel->setBounds (10, 30, 230, 14);
    valueTitleLabel->setBounds (16, 56, 64, 18);
    typeTitleLabel->setBounds (16, 88, 64, 18);
    typeComboBox->setBounds (90, 88, 200, 18);
    midiTitleLabel->setBounds (10, 175, 230, 14);
    valueComboBox->setBounds (90, 56, 200, 18);
    midiTable->setBounds (1, 192, 298, 268);
    addMidiButton->setBounds (10, 144, 280, 18);
    mappingTitleLabel->setBounds (10, 119, 230, 14);
    testTitleLabel->setBounds (10, 554, 230, 14);
    testSlider->setBounds (10, 606, 280, 24);
    testButton->setBounds (15, 580, 270, 20);
    modifierTitleLabel->setBounds (10, 464, 230, 14);

    for (int k = 1; k <= 9; ++k)
    {
        const int x = k <= 6 ? 20 + 45 * (k - 1) : 20 + 45 * (k - 7);
        modifierToggles[(size_t) k - 1]->setBounds (x, k <= 6 ? 485 : 515, 35, 24);
    }
}

//==============================================================================
int OutputMappingComponent::getNumRows()
{
    return numRows;
}

void OutputMappingComponent::paintRowBackground (juce::Graphics& g, int, int width, int height, bool rowIsSelected)
{
    g.setColour (rowIsSelected ? PanelDrawing::Colours::panelRowSelection : PanelDrawing::Colours::background);
    g.fillRect (0, 0, width, height);
}

void OutputMappingComponent::paintCell (juce::Graphics&, int, int, int, int, bool)
{
}

juce::Component* OutputMappingComponent::refreshComponentForCell (int rowNumber, int columnId, bool isRowSelected,
                                                                  juce::Component* existingComponentToUpdate)
{
    if (columnId != 1)
        return nullptr;

    auto* cell = dynamic_cast<OutputMappingMidiCellComponent*> (existingComponentToUpdate);

    if (cell == nullptr)
        cell = new OutputMappingMidiCellComponent(); // the table owns its cells

    cell->setMapping (mapping.get(), rowNumber, midiTable.get());
    cell->setSelected (isRowSelected);
    return cell;
}

void OutputMappingComponent::selectedRowsChanged (int)
{
}

//==============================================================================
void OutputMappingComponent::timerCallback()
{
    if (mapping == nullptr)
        return;

    const int count = mapping->getNumMidi();

    if (++loopStep >= count)
        loopStep = 0;

    if (loopStep < count)
        sendNow (mapping->getMidiMessage (loopStep));

    const int duration = mapping->getDuration (loopStep);

    if (duration != getTimerInterval())
        startTimer (duration);
}

void OutputMappingComponent::comboBoxChanged (juce::ComboBox* box)
{
    if (box == typeComboBox.get())
        typeComboBoxChanged();
    else if (box == valueComboBox.get())
        valueComboBoxChanged();
}

void OutputMappingComponent::buttonClicked (juce::Button* button)
{
    if (mapping == nullptr)
        return;

    if (button == addMidiButton.get())
    {
        mapping->addMidiMessage (juce::MidiMessage::controllerEvent (1, 1, 127));
        numRows = mapping->getNumMidi();
        midiTable->updateContent();
        return;
    }

    if (button == testButton.get())
    {
        testButtonClicked();
        return;
    }

    for (size_t i = 0; i < modifierToggles.size(); ++i)
        if (button == modifierToggles[i].get())
            mapping->setModifier ((int) i + 1, button->getToggleState());
}

void OutputMappingComponent::sliderValueChanged (juce::Slider* slider)
{
    if (slider != testSlider.get() || mapping == nullptr)
        return;

    for (int i = 0; i < mapping->getNumMidi(); ++i)
        if (mapping->getValue (i) == "%")
            sendNow (applyTestValue (mapping->getMidiMessage (i)));
}

//==============================================================================
void OutputMappingComponent::typeComboBoxChanged()
{
    if (mapping == nullptr)
        return;

    const auto text = typeComboBox->getText();
    const bool mapMode = text == "Map" || text == "Simple Map" || text == "Filling Map";

    if (text == "Loop")
    {
        mapping->setLooped (true);
    }
    else if (text == "Map")
    {
        mapping->setMap (true);
    }
    else if (text == "Simple Map")
    {
        mapping->setSimpleMap (true);
    }
    else if (text == "Filling Map")
    {
        mapping->setFillingMap (true);
    }
    else
    {
        mapping->setLooped (false);
        mapping->setMap (false);
        mapping->setSimpleMap (false);
        mapping->setFillingMap (false);
    }

    if (mapMode)
    {
        valueComboBox->setText ("%", juce::sendNotificationAsync);
        valueComboBox->setEnabled (false);
        valueComboBox->setEditableText (false);
    }
    else
    {
        valueComboBox->setEnabled (true);

        if (! isLogicOrTrigger (getCatalogueType()))
            valueComboBox->setEditableText (true);
    }

    midiTable->updateContent();
    midiTable->repaint();
}

void OutputMappingComponent::valueComboBoxChanged()
{
    if (mapping == nullptr)
        return;

    const auto type = getCatalogueType();
    const auto text = valueComboBox->getText();

    if (isLogicOrTrigger (type) || text == "%")
    {
        mapping->setControlValue (text);
    }
    else
    {
        const auto number = juce::String (Mapping::clampMidiValue (Mapping::parseNumber (text)));
        mapping->setControlValue (number);
        valueComboBox->setText (number, juce::sendNotificationAsync);
    }

    if (commandManager != nullptr)
        commandManager->invokeDirectly (CommandIds::updateView, true);
}

void OutputMappingComponent::testButtonClicked()
{
    if (isTimerRunning())
    {
        stopTimer();
        testButton->setButtonText ("Test");
        return;
    }

    if (mapping->isLooped())
    {
        testButton->setButtonText ("Stop");
        loopStep = 0;
        startTimer (mapping->getDuration (0));
        return;
    }

    for (int i = 0; i < mapping->getNumMidi(); ++i)
    {
        auto message = mapping->getMidiMessage (i);

        if (mapping->getValue (i) == "%")
            message = applyTestValue (message);

        sendNow (message);
    }
}

juce::String OutputMappingComponent::getCatalogueType() const
{
    if (mapping == nullptr || controlCatalogue == nullptr)
        return "unknwon";

    return controlCatalogue->getType (mapping->getAlias());
}

juce::MidiMessage OutputMappingComponent::applyTestValue (const juce::MidiMessage& message) const
{
    const int value = juce::jlimit (0, 127, (int) testSlider->getValue());

    if (message.isNoteOnOrOff())
    {
        auto withVelocity = message;
        withVelocity.setVelocity ((float) value / 127.0f);
        return withVelocity;
    }

    if (message.isController())
        return juce::MidiMessage::controllerEvent (message.getChannel(), message.getControllerNumber(), value);

    return message;
}

void OutputMappingComponent::sendNow (const juce::MidiMessage& message)
{
    if (midiDevices != nullptr && midiDevices->hasDefaultOutput())
        midiDevices->sendToDefaultOutput (message);
}
