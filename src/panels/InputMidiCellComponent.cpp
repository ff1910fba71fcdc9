#include "panels/InputMidiCellComponent.h"

#include "app/MidiDevices.h"
#include "app/PanelDrawing.h"
#include "model/InputMapping.h"
#include "panels/InputMappingComponent.h"
#include "panels/MidiCallbackRegistry.h"
#include "panels/MidiCellParts.h"
#include "resources/Resources.h"

namespace
{
    std::unique_ptr<juce::Label> makeLabel (const juce::String& name, const juce::String& text)
    {
        auto label = std::make_unique<juce::Label> (name, text);
        label->setFont (juce::Font (juce::Font::getDefaultMonospacedFontName(), 15.0f, juce::Font::plain));
        label->setJustificationType (juce::Justification::centredLeft);
        label->setEditable (false, false, false);
        return label;
    }
}

InputMidiCellComponent::InputMidiCellComponent()
    : channelMenu (MidiCellParts::makeChannelMenu()),
      noteOrCcMenu (MidiCellParts::makeNoteOrCcMenu()),
      noteBadge (Resources::getCachedImage ("badge_note.png")),
      ccBadge (Resources::getCachedImage ("badge_cc.png")),
      pwBadge (Resources::getCachedImage ("badge_pw.png")),
      arrowImage (Resources::getCachedImage ("midi_arrows.png"))
{
    infoLabel = makeLabel ("info label", {});
    addAndMakeVisible (infoLabel.get());

    selectHelperButton = MidiCellParts::makeInvisibleButton ("select helper button");
    addAndMakeVisible (selectHelperButton.get());
    selectHelperButton->addListener (this);

    channelLabel = makeLabel ("midi channel label", "CH 16");
    addAndMakeVisible (channelLabel.get());

    numberLabel = makeLabel ("midi note or cc number label", "C#-B");
    addAndMakeVisible (numberLabel.get());

    channelButton = MidiCellParts::makeInvisibleButton ("midi channel button");
    addAndMakeVisible (channelButton.get());
    channelButton->addListener (this);

    numberButton = MidiCellParts::makeInvisibleButton ("midi note or cc number button");
    addAndMakeVisible (numberButton.get());
    numberButton->addListener (this);

    setSize (298, 22);

    MidiCallbackRegistry::add (this);
}

InputMidiCellComponent::~InputMidiCellComponent()
{
    // From here the callback returns at once; once removed, no call of it is running or will come.
    closing = true;
    MidiCallbackRegistry::remove (this);
}

//==============================================================================
void InputMidiCellComponent::setup (InputMapping* mappingToEdit, int rowToShow, juce::TableListBox* tableOfRow,
                                    InputMappingComponent* panel)
{
    mapping = mappingToEdit;
    row = rowToShow;
    table = tableOfRow;
    owner = panel;
    boundMapping = mappingToEdit;
    boundRow = rowToShow;
    refresh();
}

void InputMidiCellComponent::setSelected (bool shouldBeSelected)
{
    selected = shouldBeSelected;
    repaint();
}

void InputMidiCellComponent::refresh()
{
    if (mapping != nullptr)
    {
        channelLabel->setText ("CH " + juce::String (mapping->getChannel (row)), juce::dontSendNotification);
        updateNumberLabel();
    }

    repaint();
}

void InputMidiCellComponent::updateNumberLabel()
{
    if (mapping->getType (row) == 2)
    {
        numberLabel->setVisible (false);
        return;
    }

    numberLabel->setVisible (true);
    numberLabel->setText (juce::String (mapping->getParameter (row)), juce::dontSendNotification);
}

//==============================================================================
void InputMidiCellComponent::paint (juce::Graphics& g)
{
    if (selected)
        g.fillAll (PanelDrawing::Colours::tableSelection);

    g.drawImage (arrowImage, 64, 3, 16, 16, 0, 0, arrowImage.getWidth(), arrowImage.getHeight());

    if (mapping == nullptr)
        return;

    const int type = mapping->getType (row);

    if (type != 2)
        g.drawImage (arrowImage, 115, 3, 16, 16, 0, 0, arrowImage.getWidth(), arrowImage.getHeight());

    const juce::Image* badge = type == 1 ? &noteBadge : type == 0 ? &ccBadge : type == 2 ? &pwBadge : nullptr;

    if (badge != nullptr)
        g.drawImage (*badge, 3, 3, 16, 16, 0, 0, badge->getWidth(), badge->getHeight());
}

void InputMidiCellComponent::resized()
{
    infoLabel->setBounds (144, 4, 152, 15);
    selectHelperButton->setBounds (0, 0, 300, 22);
    channelLabel->setBounds (20, 4, 50, 15);
    numberLabel->setBounds (80, 4, 45, 15);
    channelButton->setBounds (25, 0, 50, 22);
    numberButton->setBounds (80, 0, 50, 22);
}

//==============================================================================
void InputMidiCellComponent::handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message)
{
    // Every cell sees every message: all but the selected one return here, without any lock.
    if (! selected || closing)
        return;

    const auto* mappingBefore = boundMapping.load();
    const int rowBefore = boundRow;

    // JUCE hands every enabled input to a callback registered without a device; learn only the default one.
    if (midiDevices == nullptr || ! midiDevices->isDefaultInput (source))
        return;

    const int learnedKind = kindOfMessage (message);

    if (learnedKind < 0)
        return;

    const MidiCallbackRegistry::ScopedMessageThreadLock lock;

    if (! lock.lockWasGained() || closing || mapping == nullptr)
        return;

    // While this thread waited, the user may have selected another row, or scrolled the table so
    // that it gave this cell another row: the message belongs only to a row that was selected
    // when it came and still is.
    if (! selected || mapping != mappingBefore || row != rowBefore)
        return;

    const int kindBefore = mapping->getType (row);
    mapping->setMidiMessage (row, message);

    if (kindBefore == learnedKind)
    {
        mapping->setPreset ({});

        if (owner != nullptr)
            owner->refreshPresets();
    }

    refresh();
}

int InputMidiCellComponent::kindOfMessage (const juce::MidiMessage& message)
{
    if (message.isController())
        return 0;

    if (message.isNoteOnOrOff())
        return 1;

    if (message.isPitchWheel())
        return 2;

    return -1;
}

//==============================================================================
void InputMidiCellComponent::buttonClicked (juce::Button* button)
{
    if (mapping == nullptr)
        return;

    selectRow();

    if (button == channelButton.get())
    {
        const juce::Component::SafePointer<InputMidiCellComponent> safeThis (this);
        const int result = channelMenu.show();

        if (safeThis == nullptr || result == 0)
            return;

        mapping->setChannel (row, result);
        channelLabel->setText ("CH " + juce::String (mapping->getChannel (row)), juce::dontSendNotification);
    }
    else if (button == numberButton.get())
    {
        const juce::Component::SafePointer<InputMidiCellComponent> safeThis (this);
        const int result = noteOrCcMenu.show();

        if (safeThis == nullptr)
            return;

        MidiCellParts::applyNoteOrCcChoice (*mapping, row, result);

        updateNumberLabel();
        repaint();
    }
}

void InputMidiCellComponent::selectRow()
{
    if (table != nullptr)
        table->selectRow (row, false, true);
}
