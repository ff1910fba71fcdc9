#include "panels/ControllerInfoComponent.h"

#include <vector>

#include "app/MidiDevices.h"
#include "app/PanelDrawing.h"
#include "model/ControllerDocument.h"

namespace
{
    /** Makes a label that cannot be edited: a bold section title or a plain field name. */
    std::unique_ptr<juce::Label> makeLabel (juce::Component& parent, const juce::String& name,
                                            const juce::String& text, bool isTitle)
    {
        auto label = std::make_unique<juce::Label> (name, text);
        parent.addAndMakeVisible (label.get());
        label->setFont (isTitle ? juce::Font (11.0f, juce::Font::bold) : juce::Font (13.0f, juce::Font::plain));
        label->setJustificationType (isTitle ? juce::Justification::centredLeft : juce::Justification::centredRight);
        label->setEditable (false, false, false);
        label->setColour (juce::TextEditor::textColourId, juce::Colour (0xff000000));
        label->setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00000000));
        return label;
    }

    /**
        Drops from typed or pasted text every character that XML 1.0 does not allow in a document:
        control characters other than tab and the line breaks, surrogate halves (a clipboard of
        broken UTF-8 gives them), U+FFFE, U+FFFF and codes beyond Unicode. The file would hold
        them as references that no conforming XML parser accepts.
    */
    class XmlCharacterFilter : public juce::TextEditor::InputFilter
    {
    public:
        juce::String filterNewText (juce::TextEditor&, const juce::String& newInput) override
        {
            std::vector<juce::juce_wchar> kept;
            kept.reserve ((size_t) newInput.length() + 1);

            for (auto p = newInput.getCharPointer(); ! p.isEmpty();)
            {
                const auto c = (juce::uint32) p.getAndAdvance();

                if (c == '\t' || c == '\n' || c == '\r' || (c >= 0x20 && c < 0xd800) || (c >= 0xe000 && c < 0xfffe) || (c >= 0x10000 && c <= 0x10ffff))
                    kept.push_back ((juce::juce_wchar) c);
            }

            kept.push_back (0);
            return juce::String (juce::CharPointer_UTF32 (kept.data()));
        }
    };

    /** Makes an empty single-line text editor whose Return key starts no new line. */
    std::unique_ptr<juce::TextEditor> makeTextEditor (juce::Component& parent, const juce::String& name)
    {
        auto editor = std::make_unique<juce::TextEditor> (name);
        parent.addAndMakeVisible (editor.get());
        editor->setMultiLine (false, true);
        editor->setReturnKeyStartsNewLine (false);
        editor->setReadOnly (false);
        editor->setScrollbarsShown (true);
        editor->setCaretVisible (true);
        editor->setPopupMenuEnabled (true);
        editor->setText ({}, true);
        editor->setInputFilter (new XmlCharacterFilter(), true); // the editor owns and deletes it
        return editor;
    }
}

//==============================================================================
ControllerInfoComponent::ControllerInfoComponent()
{
    titleLabel = makeLabel (*this, "title label", "Controller Info", true);
    modelLabel = makeLabel (*this, "new label", "Model", false);
    modelTextEditor = makeTextEditor (*this, "model text editor");
    manufacturerLabel = makeLabel (*this, "new label", "Manufacturer", false);
    manufacturerTextEditor = makeTextEditor (*this, "manufacturer text editor");
    versionLabel = makeLabel (*this, "new label", "Version", false);
    versionTextEditor = makeTextEditor (*this, "version text editor");
    publisherLabel = makeLabel (*this, "new label", "Publisher", false);
    publisherTextEditor = makeTextEditor (*this, "publisher text editor");
    iconTitleLabel = makeLabel (*this, "title label", "Icon", true);
    controllerImageLabel = makeLabel (*this, "new label", "Controller Image", false);

    changeIconButton = std::make_unique<juce::TextButton> ("change icon button");
    addAndMakeVisible (changeIconButton.get());
    changeIconButton->setButtonText ("Change");
    changeIconButton->addListener (this);

    midiDeviceComboBox = std::make_unique<juce::ComboBox> ("midi device combo box");
    addAndMakeVisible (midiDeviceComboBox.get());
    midiDeviceComboBox->setEditableText (false);
    midiDeviceComboBox->setJustificationType (juce::Justification::centredLeft);
    midiDeviceComboBox->setTextWhenNothingSelected ({});
    midiDeviceComboBox->setTextWhenNoChoicesAvailable ("(no choices)");
    midiDeviceComboBox->addListener (this);

    midiDeviceLabel = makeLabel (*this, "new label", "MIDI Device", false);

    setSize (600, 400);
}

ControllerInfoComponent::~ControllerInfoComponent()
{
    document = nullptr;

    titleLabel.reset();
    modelLabel.reset();
    modelTextEditor.reset();
    manufacturerLabel.reset();
    manufacturerTextEditor.reset();
    versionLabel.reset();
    versionTextEditor.reset();
    publisherLabel.reset();
    publisherTextEditor.reset();
    iconTitleLabel.reset();
    controllerImageLabel.reset();
    changeIconButton.reset();
    midiDeviceComboBox.reset();
    midiDeviceLabel.reset();
}

void ControllerInfoComponent::setDocument (ControllerDocument* documentToShow)
{
    document = documentToShow;

    if (document == nullptr)
        return;

    shownTexts.clear();

    for (int i = 0; i < numFields; ++i)
    {
        shownTexts.add (getDocumentText (i));
        getField (i)->setText (shownTexts[i], true);
    }

    icon = document->getIcon();

    midiDeviceNames = midiDevices != nullptr ? midiDevices->getInputNames() : juce::StringArray();

    for (int i = 0; i < midiDeviceNames.size(); ++i)
        midiDeviceComboBox->addItem (midiDeviceNames[i], i + 1);

    // Either way comboBoxChanged follows asynchronously and applies the name shown.
    const auto storedDevice = document->getMacDevice();

    if (storedDevice.isNotEmpty())
        midiDeviceComboBox->setText (storedDevice, juce::sendNotificationAsync);
    else if (! midiDeviceNames.isEmpty())
        midiDeviceComboBox->setText (midiDeviceNames[0], juce::sendNotificationAsync);

    for (int i = 0; i < numFields; ++i)
        getField (i)->addListener (this);

    repaint();
}

//==============================================================================
void ControllerInfoComponent::paint (juce::Graphics& g)
{
    using namespace PanelDrawing;

    g.fillAll (Colours::background);

    drawFramedBody (g, { 0, panelHeaderHeight, panelWidth, getHeight() }, Colours::infoBody, Colours::infoFrame);

    g.setColour (Colours::iconFrame);
    g.fillRect (116, 220, 102, 102);

    drawPanelHeader (g);

    drawSectionBar (g, { 0, 27, panelWidth, sectionBarHeight }, 28.0f, 42.0f);
    drawSectionBar (g, { 0, 188, panelWidth, sectionBarHeight }, 192.0f, 208.0f);
    drawSectionBar (g, { 0, 364, panelWidth, sectionBarHeight }, 368.0f, 384.0f);

    if (icon.isValid())
        g.drawImage (icon, 117, 221, 100, 100, 0, 0, icon.getWidth(), icon.getHeight());
}

void ControllerInfoComponent::resized()
{
    titleLabel->setBounds (10, 30, 230, 14);
    modelLabel->setBounds (15, 59, 89, 20);
    modelTextEditor->setBounds (112, 59, 176, 20);
    manufacturerLabel->setBounds (14, 89, 90, 20);
    manufacturerTextEditor->setBounds (112, 89, 176, 20);
    versionLabel->setBounds (15, 120, 89, 20);
    versionTextEditor->setBounds (112, 120, 176, 20);
    publisherLabel->setBounds (16, 152, 89, 20);
    publisherTextEditor->setBounds (112, 152, 176, 20);
    iconTitleLabel->setBounds (10, 191, 230, 14);
    controllerImageLabel->setBounds (8, 224, 104, 20);
    changeIconButton->setBounds (116, 328, 100, 16);
    midiDeviceComboBox->setBounds (112, 400, 174, 18);
    midiDeviceLabel->setBounds (16, 400, 89, 20);
}

//==============================================================================
juce::TextEditor* ControllerInfoComponent::getField (int index) const
{
    switch (index)
    {
        case 0:  return modelTextEditor.get();
        case 1:  return manufacturerTextEditor.get();
        case 2:  return versionTextEditor.get();
        case 3:  return publisherTextEditor.get();
        default: return nullptr;
    }
}

juce::String ControllerInfoComponent::getDocumentText (int index) const
{
    switch (index)
    {
        case 0:  return document->getModel();
        case 1:  return document->getManufacturer();
        case 2:  return document->getVersion();
        case 3:  return document->getPublisher();
        default: return {};
    }
}

void ControllerInfoComponent::setDocumentText (int index, const juce::String& text)
{
    switch (index)
    {
        case 0:  document->setModel (text); break;
        case 1:  document->setManufacturer (text); break;
        case 2:  document->setVersion (text); break;
        case 3:  document->setPublisher (text); break;
        default: break;
    }
}

bool ControllerInfoComponent::writeFieldIfEdited (int index)
{
    if (document == nullptr || ! juce::isPositiveAndBelow (index, shownTexts.size()))
        return false;

    const auto text = getField (index)->getText();

    // A document that no longer holds what the field showed has been replaced under this panel:
    // its text belongs to the old one.
    if (text == shownTexts[index] || getDocumentText (index) != shownTexts[index])
        return false;

    setDocumentText (index, text);
    shownTexts.set (index, text);
    return true;
}

void ControllerInfoComponent::writePendingFields()
{
    for (int i = 0; i < numFields; ++i)
        writeFieldIfEdited (i);
}

void ControllerInfoComponent::textEditorFocusLost (juce::TextEditor& editor)
{
    const auto name = editor.getName();

    for (int i = 0; i < numFields; ++i)
    {
        if (name == getField (i)->getName())
        {
            writeFieldIfEdited (i);
            return;
        }
    }
}

void ControllerInfoComponent::buttonClicked (juce::Button* button)
{
    if (button != changeIconButton.get())
        return;

    juce::Component::SafePointer<ControllerInfoComponent> safeThis (this);
    juce::FileChooser chooser ("Select Icon ...", juce::File::getCurrentWorkingDirectory(), "*.png", true);
    const bool chosen = chooser.browseForFileToOpen (nullptr);

    // The panel may have been replaced while the chooser's modal loop ran.
    if (safeThis == nullptr)
        return;

    if (chosen)
        icon = ControllerDocument::loadPicture (chooser.getResult());

    repaint();
}

void ControllerInfoComponent::comboBoxChanged (juce::ComboBox* combo)
{
    if (combo != midiDeviceComboBox.get() || document == nullptr)
        return;

    const auto name = combo->getText();

    if (midiDevices != nullptr)
    {
        if (midiDevices->isInputEnabled (name))
            return;

        // Inputs that are not listed keep their state.
        for (const auto& listedName : midiDeviceNames)
            midiDevices->setInputEnabled (listedName, listedName == name);

        midiDevices->setDefaultOutput (name);
    }

    document->setMacDevice (name);
}

