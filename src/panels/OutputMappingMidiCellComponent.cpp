#include "panels/OutputMappingMidiCellComponent.h"

#include "app/MidiDevices.h"
#include "app/PanelDrawing.h"
#include "model/OutputMapping.h"
#include "panels/MidiCallbackRegistry.h"
#include "panels/MidiCellParts.h"
#include "resources/Resources.h"

namespace
{
    std::unique_ptr<juce::Label> makeMonospacedLabel (const juce::String& name, const juce::String& text,
                                                      float height, bool bold)
    {
        auto label = std::make_unique<juce::Label> (name, text);
        label->setFont (juce::Font (juce::Font::getDefaultMonospacedFontName(), height,
                                    bold ? juce::Font::bold : juce::Font::plain));
        label->setJustificationType (juce::Justification::centredLeft);
        label->setEditable (false, false, false);
        label->setColour (juce::TextEditor::textColourId, juce::Colours::black);
        label->setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00000000));
        return label;
    }

    /** A range bound as its first three characters, "0" and "1" widened to "0.0" and "1.0".
        juce::String writes a float's shortest text, so 0.7 (held as 0.699999988) shows as 0.7. */
    juce::String rangeBoundText (float bound)
    {
        auto text = juce::String (bound).substring (0, 3);

        if (text.length() == 1)
            text << ".0";

        return text;
    }
}

//==============================================================================
OutputMappingMidiCellComponent::OutputMappingMidiCellComponent()
    : channelMenu (MidiCellParts::makeChannelMenu()),
      noteOrCcMenu (MidiCellParts::makeNoteOrCcMenu())
{
    noteBadge = Resources::getCachedImage ("badge_note.png");
    ccBadge = Resources::getCachedImage ("badge_cc.png");
    loopIcon = Resources::getCachedImage ("mode_loop.png");
    firstHalfIcon = Resources::getCachedImage ("mode_first_half.png");
    secondHalfIcon = Resources::getCachedImage ("mode_second_half.png");

    selectHelperButton = MidiCellParts::makeInvisibleButton ("select helper button");
    addAndMakeVisible (selectHelperButton.get());

    channelLabel = makeMonospacedLabel ("midi channel label", "CH 16", 15.0f, false);
    addAndMakeVisible (channelLabel.get());
    numberLabel = makeMonospacedLabel ("midi note or cc number label", "C#-B", 15.0f, false);
    addAndMakeVisible (numberLabel.get());
    valueLabel = makeMonospacedLabel ("midi value label", "127", 15.0f, true);
    addAndMakeVisible (valueLabel.get());
    valueLabel->setEditable (true, true, false);
    valueLabel->addListener (this);
    durationOrRangeLabel = makeMonospacedLabel ("duration or range label", "0.0-0.0", 10.0f, true);
    addAndMakeVisible (durationOrRangeLabel.get());
    durationOrRangeLabel->setEditable (true, true, false);
    durationOrRangeLabel->addListener (this);

    channelButton = MidiCellParts::makeInvisibleButton ("midi channel button");
    addAndMakeVisible (channelButton.get());
    numberButton = MidiCellParts::makeInvisibleButton ("midi note or cc number button");
    addAndMakeVisible (numberButton.get());

    for (auto* button : { selectHelperButton.get(), channelButton.get(), numberButton.get() })
        button->addListener (this);

    reorderIcon = Resources::getCachedImage ("reorder.png");
    channelArrows = Resources::getCachedImage ("midi_arrows.png");
    numberArrows = Resources::getCachedImage ("midi_arrows.png");

    MidiCallbackRegistry::add (this);

    // A drag that starts on any child reaches mouseDrag.
    addMouseListener (this, true);

    setSize (600, 400);
}

OutputMappingMidiCellComponent::~OutputMappingMidiCellComponent()
{
    // From here on the callback returns at once; once the removal is done none of it runs, and
    // only then do the children go (with the members, after this body).
    closing = true;
    MidiCallbackRegistry::remove (this);
}

void OutputMappingMidiCellComponent::setMapping (OutputMapping* mappingToShow, int rowNumber, juce::TableListBox* owningTable)
{
    mapping = mappingToShow;
    row = rowNumber;
    table = owningTable;
    boundMapping = mappingToShow;
    boundRow = rowNumber;
    updateLabels();
}

void OutputMappingMidiCellComponent::setSelected (bool isSelected)
{
    selected = isSelected;
    repaint();
}

void OutputMappingMidiCellComponent::updateLabels()
{
    if (mapping == nullptr)
        return;

    channelLabel->setText ("CH " + juce::String (mapping->getChannel (row)), juce::dontSendNotification);
    numberLabel->setText (juce::String (mapping->getParameter (row)), juce::dontSendNotification);
    valueLabel->setText (mapping->getValue (row), juce::dontSendNotification);

    if (mapping->isLooped())
    {
        durationOrRangeLabel->setText (juce::String (mapping->getDuration (row)), juce::dontSendNotification);
        durationOrRangeLabel->setVisible (true);
        durationOrRangeLabel->setEditable (true, false, false);
    }
    else if (mapping->isMap() || mapping->isFillingMap() || mapping->isSimpleMap())
    {
        durationOrRangeLabel->setText (rangeBoundText (mapping->getMapRangeStart (row)) + "-"
                                           + rangeBoundText (mapping->getMapRangeEnd (row)),
                                       juce::dontSendNotification);
        durationOrRangeLabel->setVisible (true);
        durationOrRangeLabel->setEditable (false, false, false);
    }
    else
    {
        durationOrRangeLabel->setVisible (false);
    }

    repaint();
}

//==============================================================================
void OutputMappingMidiCellComponent::mouseDrag (const juce::MouseEvent& event)
{
    if (mapping == nullptr || table == nullptr)
        return;

    selectOwnRow();

    // The cell hears each drag twice (as itself and as its own mouse listener): a drag already
    // under way is left alone rather than photographed again.
    auto* container = juce::DragAndDropContainer::findParentDragContainerFor (table);

    if (container == nullptr || container->isDragAndDropActive())
        return;

    table->startDragAndDrop (event, table->getSelectedRows(), juce::var (row), false);
}

void OutputMappingMidiCellComponent::paint (juce::Graphics& g)
{
    if (selected)
        g.fillAll (PanelDrawing::Colours::tableSelection);

    g.setColour (juce::Colours::black);

    const auto drawWhole = [&g] (const juce::Image& image, int x, int y, int w, int h)
    {
        g.drawImage (image, x, y, w, h, 0, 0, image.getWidth(), image.getHeight(), false);
    };

    drawWhole (reorderIcon, 260, 3, 16, 17);
    drawWhole (channelArrows, 64, 3, 16, 16);
    drawWhole (numberArrows, 115, 3, 16, 16);

    if (mapping == nullptr)
        return;

    const int type = mapping->getType (row);

    if (type == 1)
        g.drawImage (noteBadge, 3, 3, 16, 16, 0, 0, 16, 16, false);
    else if (type == 0)
        g.drawImage (ccBadge, 3, 3, 16, 16, 0, 0, 16, 16, false);

    const juce::Image* modeIcon = nullptr;

    if (mapping->isLooped())
        modeIcon = &loopIcon;
    else if (mapping->isSimpleMap())
        modeIcon = &firstHalfIcon;
    else if (mapping->isMap() || mapping->isFillingMap())
        modeIcon = row < mapping->getNumMidi() / 2 ? &firstHalfIcon : &secondHalfIcon;

    if (modeIcon != nullptr)
        drawWhole (*modeIcon, 171, 3, 16, 16);
}

void OutputMappingMidiCellComponent::resized()
{
    selectHelperButton->setBounds (0, 0, 300, 22);
    channelLabel->setBounds (20, 4, 50, 15);
    numberLabel->setBounds (80, 4, 45, 15);
    valueLabel->setBounds (130, 4, 35, 15);
    durationOrRangeLabel->setBounds (190, 4, 50, 15);
    channelButton->setBounds (25, 0, 50, 22);
    numberButton->setBounds (80, 0, 50, 22);
}

//==============================================================================
void OutputMappingMidiCellComponent::handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message)
{
    if (! selected || closing)
        return;

    const auto* mappingBefore = boundMapping.load();
    const int rowBefore = boundRow;

    if (midiDevices == nullptr || ! midiDevices->isDefaultInput (source))
        return;

    const MidiCallbackRegistry::ScopedMessageThreadLock lock;

    if (! lock.lockWasGained() || closing || mapping == nullptr)
        return;

    // While this thread waited, the user may have selected another row, dropped this one
    // elsewhere, or scrolled the table so that it gave this cell another row: the message belongs
    // only to a row that was selected when it came and still is.
    if (! selected || mapping != mappingBefore || row != rowBefore)
        return;

    mapping->setMidiMessage (row, juce::MidiMessage (message));
    updateLabels();
}

//==============================================================================
bool OutputMappingMidiCellComponent::isInterestedInDragSource (const SourceDetails& details)
{
    return (int) details.description != row;
}

void OutputMappingMidiCellComponent::itemDragEnter (const SourceDetails&)
{
    dragOver = true;
    repaint();
}

void OutputMappingMidiCellComponent::itemDragMove (const SourceDetails&)
{
}

void OutputMappingMidiCellComponent::itemDragExit (const SourceDetails&)
{
    dragOver = false;
    repaint();
}

void OutputMappingMidiCellComponent::itemDropped (const SourceDetails& details)
{
    dragOver = false;

    if (mapping == nullptr || table == nullptr)
        return;

    mapping->moveMidi ((int) details.description, row);
    table->updateContent();
    selectOwnRow();
    repaint();
}

//==============================================================================
void OutputMappingMidiCellComponent::buttonClicked (juce::Button* button)
{
    if (button == selectHelperButton.get())
    {
        selectOwnRow();
        return;
    }

    if (mapping == nullptr)
        return;

    const bool isChannelButton = button == channelButton.get();

    if (! isChannelButton && button != numberButton.get())
        return;

    selectOwnRow();

    // The menu runs a modal loop, in which the panel and this cell may be closed.
    const juce::Component::SafePointer<OutputMappingMidiCellComponent> safeThis (this);
    const int result = isChannelButton ? channelMenu.show() : noteOrCcMenu.show();

    if (safeThis == nullptr)
        return;

    if (isChannelButton)
    {
        if (result == 0)
            return;

        mapping->setChannel (row, result);
        channelLabel->setText ("CH " + juce::String (mapping->getChannel (row)), juce::dontSendNotification);
        return;
    }

    MidiCellParts::applyNoteOrCcChoice (*mapping, row, result);

    numberLabel->setText (juce::String (mapping->getParameter (row)), juce::dontSendNotification);
    repaint();
}

void OutputMappingMidiCellComponent::labelTextChanged (juce::Label* label)
{
    if (mapping == nullptr)
        return;

    if (label == valueLabel.get())
    {
        mapping->setValue (row, label->getText());
        label->setText (mapping->getValue (row), juce::dontSendNotification);
    }
    else if (label == durationOrRangeLabel.get())
    {
        mapping->setDuration (row, Mapping::parseDecimal (label->getText()));
        label->setText (juce::String (mapping->getDuration (row)), juce::dontSendNotification);
    }
}

void OutputMappingMidiCellComponent::selectOwnRow()
{
    if (table != nullptr)
        table->selectRow (row, false, true);
}
