#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_gui_extra/juce_gui_extra.h>

class ControllerDocument;

/**
    The XML source editor of the open document. The main view owns one as a full-size overlay,
    hidden at start; it hands the editor the document (which outlives it) before showing it.

    The editor shows the document's XML text in a code editor, lets the user edit it freely, has
    it checked by the remote validation service (a button, a message strip and two buttons that
    step through the reported messages), and when it is closed with edits asks whether to apply
    them to the document.
*/
class EditorViewComponent : public juce::Component,
                            public juce::Button::Listener
{
public:
    /**
        Colours XML text: quoted text (which may run over several lines, with backslash escapes)
        is a "String", everything else plain "Text". The other types of the colour scheme are
        never produced.
    */
    class WirelaceMappingsCodeTokeniser : public juce::CodeTokeniser
    {
    public:
        ~WirelaceMappingsCodeTokeniser() override;

        int readNextToken (juce::CodeDocument::Iterator& source) override;
        juce::CodeEditorComponent::ColourScheme getDefaultColourScheme() override;

        /** The token types, in the order of the colour scheme. */
        enum TokenType
        {
            tokenType_text = 0,
            tokenType_error,
            tokenType_alias,
            tokenType_keyword,
            tokenType_hex,
            tokenType_integer,
            tokenType_string
        };
    };

    EditorViewComponent();
    ~EditorViewComponent() override;

    /** Takes the document (not owned) and shows its XML text. */
    void setDocument (ControllerDocument* documentToEdit);

    /** Replaces the whole text by the document's XML text and forgets the undo history. */
    void reloadFromDocument();

    /** True when the text differs in any way from the document's XML text. */
    bool hasUnsavedEdits() const;

    /**
        Asked before the editor is hidden: true when it may close, false when it stays open.

        Without edits nothing is asked. Otherwise the user chooses: "Save" applies the text to the
        document when the document accepts it (else the editor stays open with its text and the
        message strip says why), "Don't Save" drops the edits, "Cancel" keeps the editor open.
    */
    bool askToApplyChanges();

    void setNextErrorButtonEnabled (bool enabled);
    void setPreviousErrorButtonEnabled (bool enabled);

    /**
        Uploads the current text to the validation service and lists the messages of its reply:
        the first is shown in the message strip with the caret at the end of its line. A reply
        that cannot be read (no reply, not XML) is shown in an "Error" alert and changes nothing.
    */
    void runCloudValidator();

    /** Shows message index of the last reply, moves the caret to the end of its line and
        enables the step buttons that lead to another message. */
    void showError (int index);

    void paint (juce::Graphics& g) override;
    void resized() override;

    void buttonClicked (juce::Button* button) override;

private:
    friend struct EditorViewInspector; // lets the tests reach the children and the message lists

    void setErrorButtonImage (juce::ImageButton& button, const juce::String& imageName);

    std::unique_ptr<juce::CodeDocument> codeDocument;
    std::unique_ptr<WirelaceMappingsCodeTokeniser> tokeniser;
    ControllerDocument* document = nullptr;
    juce::StringArray errorMessages;
    juce::Array<int> errorLines;
    int currentError = 0;
    std::unique_ptr<juce::CodeEditorComponent> codeEditor;
    std::unique_ptr<juce::Label> infoLabel;
    std::unique_ptr<juce::ImageButton> cloudValidatorButton;
    std::unique_ptr<juce::ImageButton> nextErrorButton;
    std::unique_ptr<juce::ImageButton> previousErrorButton;
    juce::Image logo;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (EditorViewComponent)
};
