#pragma once

#include <memory>

#include <juce_gui_basics/juce_gui_basics.h>

class ControllerDocument;

/**
    The right-hand panel that shows and edits the controller's information. The main view makes
    a new one whenever no mapping is selected and hands it the open document, which outlives it.

    The four text fields are written into the document when they lose the keyboard focus, and
    whenever the main view asks for what is still pending (before a save, before it replaces this
    panel or the document). A field is written only when the user has edited it and the document
    still holds what the panel showed, so a panel left over from a replaced document writes
    nothing into the new one. "Change"
    shows another picture in the icon frame without storing it. Choosing a MIDI device makes it the
    only enabled input among the listed ones, makes the output of the same name the default output
    and stores the name in the document; a device that is already enabled changes nothing.
*/
class ControllerInfoComponent : public juce::Component,
                                public juce::TextEditor::Listener,
                                public juce::Button::Listener,
                                public juce::ComboBox::Listener
{
public:
    ControllerInfoComponent();
    ~ControllerInfoComponent() override;

    /**
        Shows the document's information and lists the MIDI inputs present now; called once, right
        after construction. The document is not owned. The device name set here is applied by the
        combo box's change notification, which arrives after this call has returned.
    */
    void setDocument (ControllerDocument* documentToShow);

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** Writes every field whose text the user has edited and not yet written into the document;
        the changed flag stays as it is. */
    void writePendingFields();

    /** Writes the field that lost the focus into the document, when it was edited. */
    void textEditorFocusLost (juce::TextEditor& editor) override;

    /** "Change": shows the picture chosen in a file chooser, for this panel only. */
    void buttonClicked (juce::Button* button) override;

    /** Applies the MIDI device named in the combo box. */
    void comboBoxChanged (juce::ComboBox* combo) override;

private:
    static constexpr int numFields = 4;

    /** The field editors in the order model, manufacturer, version, publisher. */
    juce::TextEditor* getField (int index) const;
    juce::String getDocumentText (int index) const;
    void setDocumentText (int index, const juce::String& text);

    /** Writes one field when its text differs from what the panel last read or wrote and the
        document still holds that; true when it wrote. */
    bool writeFieldIfEdited (int index);

    ControllerDocument* document = nullptr;
    juce::Image icon;
    juce::StringArray midiDeviceNames;
    juce::StringArray shownTexts; // each field's text as last read from or written into the document

    std::unique_ptr<juce::Label> titleLabel;
    std::unique_ptr<juce::Label> modelLabel;
    std::unique_ptr<juce::TextEditor> modelTextEditor;
    std::unique_ptr<juce::Label> manufacturerLabel;
    std::unique_ptr<juce::TextEditor> manufacturerTextEditor;
    std::unique_ptr<juce::Label> versionLabel;
    std::unique_ptr<juce::TextEditor> versionTextEditor;
    std::unique_ptr<juce::Label> publisherLabel;
    std::unique_ptr<juce::TextEditor> publisherTextEditor;
    std::unique_ptr<juce::Label> iconTitleLabel;
    std::unique_ptr<juce::Label> controllerImageLabel;
    std::unique_ptr<juce::TextButton> changeIconButton;
    std::unique_ptr<juce::ComboBox> midiDeviceComboBox;
    std::unique_ptr<juce::Label> midiDeviceLabel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ControllerInfoComponent)
};
