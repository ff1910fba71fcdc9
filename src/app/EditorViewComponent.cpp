#include "app/EditorViewComponent.h"

#include "app/MainViewComponent.h"
#include "app/PanelDrawing.h"
#include "app/ServiceUpload.h"
#include "model/ControllerDocument.h"
#include "model/XmlGuard.h"
#include "resources/Resources.h"

namespace
{
    const juce::Identifier& messagesType() { static const juce::Identifier id ("messages"); return id; }
    const juce::Identifier& typeAttribute() { static const juce::Identifier id ("type"); return id; }
    const juce::Identifier& textAttribute() { static const juce::Identifier id ("text"); return id; }
    const juce::Identifier& lineAttribute() { static const juce::Identifier id ("line"); return id; }

    const char* const validatePath = "/wirelace/validate.php";
    const char* const schemaPath = "/wirelace/mappings.xsd";
    const char* const notSavedPrefix = "Not saved: ";

    const auto transparent = juce::Colour (0x00000000);

    /** "line" as a decimal integer: leading blanks and a sign, then digits; anything else reads 0. */
    int readLineNumber (const juce::String& text)
    {
        auto rest = text.trimStart();
        bool negative = false;

        if (rest.startsWithChar ('-') || rest.startsWithChar ('+'))
        {
            negative = rest[0] == '-';
            rest = rest.substring (1);
        }

        juce::int64 value = 0;

        for (auto p = rest.getCharPointer(); p.isDigit(); ++p)
            value = juce::jmin ((juce::int64) std::numeric_limits<int>::max(), value * 10 + (*p - '0'));

        return (int) (negative ? -value : value);
    }
}

//==============================================================================
EditorViewComponent::WirelaceMappingsCodeTokeniser::~WirelaceMappingsCodeTokeniser() = default;

int EditorViewComponent::WirelaceMappingsCodeTokeniser::readNextToken (juce::CodeDocument::Iterator& source)
{
    source.skipWhitespace();

    if (source.peekNextChar() != '"')
    {
        source.skip();
        return tokenType_text;
    }

    // A quoted string runs over line ends to the next unescaped quote, or to the end of the text.
    const auto quote = source.nextChar();

    for (;;)
    {
        const auto c = source.nextChar();

        if (c == 0 || c == quote)
            break;

        if (c == '\\')
            source.skip();
    }

    return tokenType_string;
}

juce::CodeEditorComponent::ColourScheme EditorViewComponent::WirelaceMappingsCodeTokeniser::getDefaultColourScheme()
{
    static const std::pair<const char*, juce::uint32> types[] =
    {
        { "Text",    0xffffffff },
        { "Error",   0xffb2281f },
        { "Alias",   0xffd0a022 },
        { "Keyword", 0xffd0a022 },
        { "Hex",     0xff4893c6 },
        { "Integer", 0xff4893c6 },
        { "String",  0xff4893c6 }
    };

    juce::CodeEditorComponent::ColourScheme scheme;

    for (const auto& type : types)
        scheme.set (type.first, juce::Colour (type.second));

    return scheme;
}

//==============================================================================
EditorViewComponent::EditorViewComponent()
{
    codeDocument = std::make_unique<juce::CodeDocument>();
    tokeniser = std::make_unique<WirelaceMappingsCodeTokeniser>();

    infoLabel = std::make_unique<juce::Label> ("Info label", juce::String());
    addAndMakeVisible (infoLabel.get());
    infoLabel->setFont (juce::Font (15.0f, juce::Font::bold));
    infoLabel->setJustificationType (juce::Justification::centredLeft);
    infoLabel->setEditable (false, false, false);
    infoLabel->setColour (juce::Label::textColourId, juce::Colour (0xff000000));
    infoLabel->setColour (juce::TextEditor::textColourId, juce::Colour (0xff000000));
    infoLabel->setColour (juce::TextEditor::backgroundColourId, transparent);

    cloudValidatorButton = std::make_unique<juce::ImageButton> ("cloud validator button");
    addAndMakeVisible (cloudValidatorButton.get());
    cloudValidatorButton->setTooltip ("cloud validator");
    cloudValidatorButton->setButtonText ("cloud validator");
    cloudValidatorButton->setImages (false, true, true,
                                     Resources::getCachedImage ("validator_normal.png"), 1.0f, transparent,
                                     Resources::getCachedImage ("validator_over.png"), 1.0f, transparent,
                                     Resources::getCachedImage ("validator_down.png"), 1.0f, transparent,
                                     0.0f);
    cloudValidatorButton->addListener (this);

    nextErrorButton = std::make_unique<juce::ImageButton> ("next error button");
    addAndMakeVisible (nextErrorButton.get());
    nextErrorButton->setTooltip ("next error");
    nextErrorButton->setButtonText ("next error");
    nextErrorButton->addListener (this);

    previousErrorButton = std::make_unique<juce::ImageButton> ("previous error button");
    addAndMakeVisible (previousErrorButton.get());
    previousErrorButton->setTooltip ("previous error");
    previousErrorButton->setButtonText ("previous error");
    previousErrorButton->addListener (this);

    codeEditor = std::make_unique<juce::CodeEditorComponent> (*codeDocument, tokeniser.get());
    codeEditor->setName ("debug editor");
    addAndMakeVisible (codeEditor.get());
    codeEditor->setColour (juce::CodeEditorComponent::backgroundColourId, juce::Colour (0xff1d1b25));
    codeEditor->setColour (juce::CodeEditorComponent::defaultTextColourId, juce::Colour (0xffffffff));
    codeEditor->setColour (juce::CodeEditorComponent::lineNumberBackgroundId, juce::Colour (0xfff4f0f1));
    codeEditor->setColour (juce::CodeEditorComponent::lineNumberTextId, juce::Colour (0x77000000));
    codeEditor->setColour (juce::CaretComponent::caretColourId, juce::Colour (0xffffffff));
    codeEditor->setExplicitFocusOrder (1); // the focus goes to the code when the editor is shown

    logo = Resources::getCachedImage ("logo.png");

    setSize (1100, 700);
    setNextErrorButtonEnabled (false);
    setPreviousErrorButtonEnabled (false);
}

EditorViewComponent::~EditorViewComponent()
{
    // The code editor refers to the code document and the tokeniser, so it goes first.
    codeEditor.reset();
    infoLabel.reset();
    cloudValidatorButton.reset();
    nextErrorButton.reset();
    previousErrorButton.reset();
    codeDocument.reset();
    tokeniser.reset();
}

//==============================================================================
void EditorViewComponent::setDocument (ControllerDocument* documentToEdit)
{
    document = documentToEdit;
    reloadFromDocument();
}

void EditorViewComponent::reloadFromDocument()
{
    codeDocument->replaceAllContent (document != nullptr ? document->toXmlString() : juce::String());
    codeDocument->clearUndoHistory();

    // A refused save's reason speaks of text that is no longer here.
    if (infoLabel->getText().startsWith (notSavedPrefix))
        infoLabel->setText ({}, juce::dontSendNotification);
}

bool EditorViewComponent::hasUnsavedEdits() const
{
    const auto original = document != nullptr ? document->toXmlString() : juce::String();
    return codeDocument->getAllContent() != original;
}

bool EditorViewComponent::askToApplyChanges()
{
    if (document == nullptr || ! hasUnsavedEdits())
        return true;

    const auto choice = MainViewComponent::askSaveDontSaveCancel (document->getName());

    if (choice == 0) // "Cancel"
        return false;

    if (choice == 2) // "Don't Save"
        return true;

    const auto text = codeDocument->getAllContent();

    if (document->isValidXmlText (text))
    {
        document->loadFromXmlText (text);
        return true;
    }

    // Text the document refuses stays here, with the reason, rather than being lost on closing.
    juce::String parseError;
    XmlGuard::parse (text, parseError);

    infoLabel->setText (notSavedPrefix
                            + (parseError.isNotEmpty() ? parseError
                                                       : juce::String ("the text is not a controller document (it needs a \"version\" "
                                                                       "element and a \"controller\" element whose \"kind\" is \"midi\")")),
                        juce::dontSendNotification);
    return false;
}

void EditorViewComponent::setNextErrorButtonEnabled (bool enabled)
{
    nextErrorButton->setEnabled (enabled);
    setErrorButtonImage (*nextErrorButton, enabled ? "next_error_enabled.png" : "next_error_disabled.png");
}

void EditorViewComponent::setPreviousErrorButtonEnabled (bool enabled)
{
    previousErrorButton->setEnabled (enabled);
    setErrorButtonImage (*previousErrorButton, enabled ? "previous_error_enabled.png" : "previous_error_disabled.png");
}

//==============================================================================
void EditorViewComponent::runCloudValidator()
{
    auto file = juce::File::createTempFile ("mapping");
    file.appendText (codeDocument->getAllContent(), false, false);

    auto reply = ServiceUpload::uploadFile (validatePath, "mappingfile", file, "text/xml");
    file.deleteFile();

    reply = reply.replace ("{" + ServiceUpload::getUrl (schemaPath) + "}", {}, false);

    juce::String error;
    auto xml = XmlGuard::parse (reply, error);

    if (xml == nullptr)
    {
        juce::NativeMessageBox::showMessageBox (juce::MessageBoxIconType::NoIcon, "Error", error);
        return;
    }

    const auto tree = juce::ValueTree::fromXml (*xml);
    xml.reset();

    errorMessages.clearQuick();
    errorMessages.minimiseStorageOverheads();
    errorLines.clear();

    for (const auto& message : tree.getChildWithName (messagesType()))
    {
        errorMessages.add (message.getProperty (typeAttribute()).toString() + " : "
                           + message.getProperty (textAttribute()).toString());
        errorLines.add (readLineNumber (message.getProperty (lineAttribute()).toString()));
    }

    setNextErrorButtonEnabled (false);
    setPreviousErrorButtonEnabled (false);
    currentError = 0;

    if (! errorMessages.isEmpty())
        showError (0);
    else
        infoLabel->setText ("no errors found.", juce::dontSendNotification);
}

void EditorViewComponent::showError (int index)
{
    setPreviousErrorButtonEnabled (index >= 1);
    setNextErrorButtonEnabled (index + 1 < errorMessages.size());
    infoLabel->setText (errorMessages[index], juce::dontSendNotification);

    // Position clamps a line before the first to the start, and one past the last to the end.
    const juce::CodeDocument::Position target (*codeDocument, errorLines[index] - 1, 0);

    codeEditor->grabKeyboardFocus();
    codeEditor->moveCaretTo (target, false);
    codeEditor->moveCaretToEndOfLine (false);
}

//==============================================================================
void EditorViewComponent::paint (juce::Graphics& g)
{
    const int w = getWidth();
    const int h = getHeight();

    g.fillAll (PanelDrawing::Colours::background);
    PanelDrawing::drawTitleHeader (g, w, logo);
    PanelDrawing::drawHeaderStrip (g, { 0, 40, w, 22 }, 48.0f, 56.0f);
    PanelDrawing::drawFramedBody (g, { 0, 62, w, h - 62 }, PanelDrawing::Colours::background,
                                  PanelDrawing::Colours::infoFrame);
}

void EditorViewComponent::resized()
{
    const int w = getWidth();
    const int h = getHeight();

    codeEditor->setBounds (0, 63, w, h - 63);
    infoLabel->setBounds (8, 40, w - 50, 22);
    cloudValidatorButton->setBounds (w - 42, 4, 32, 32);
    nextErrorButton->setBounds (w - 22, 41, 10, 20);
    previousErrorButton->setBounds (w - 40, 41, 10, 20);
}

void EditorViewComponent::buttonClicked (juce::Button* button)
{
    if (button == cloudValidatorButton.get())
    {
        runCloudValidator();
    }
    else if (button == nextErrorButton.get())
    {
        ++currentError;
        showError (currentError);
    }
    else if (button == previousErrorButton.get())
    {
        --currentError;
        showError (currentError);
    }
}

//==============================================================================
void EditorViewComponent::setErrorButtonImage (juce::ImageButton& button, const juce::String& imageName)
{
    button.setImages (false, true, true,
                      Resources::getCachedImage (imageName), 1.0f, transparent,
                      {}, 1.0f, transparent,
                      {}, 1.0f, transparent,
                      0.0f);
}
