// The main view's operations that add, derive, copy, paste and delete mappings, and the
// command that shows and hides the source editor.

#include "app/MainViewComponent.h"

#include "app/EditorViewComponent.h"
#include "model/ControlCatalogue.h"
#include "model/ControllerDocument.h"
#include "model/InputMapping.h"
#include "model/OutputMapping.h"
#include "model/XmlGuard.h"

namespace
{
    enum ContextMenuItems
    {
        duplicateAsOutputItem = 1,
        duplicateInvertedItem = 2
    };

    bool isOnOffType (const juce::String& type)
    {
        return type == "Logic" || type == "Trigger";
    }

    // Element names of the document, each made once, on first use.
    const juce::Identifier& controllerType()     { static const juce::Identifier id ("controller"); return id; }
    const juce::Identifier& kindProperty()       { static const juce::Identifier id ("kind"); return id; }
    const juce::Identifier& mappingType()        { static const juce::Identifier id ("mapping"); return id; }
    const juce::Identifier& inputMappingsType()  { static const juce::Identifier id ("input-mappings"); return id; }
    const juce::Identifier& outputMappingsType() { static const juce::Identifier id ("output-mappings"); return id; }
    const juce::Identifier& clipboardType()      { static const juce::Identifier id ("clipboard"); return id; }

    /** The text of one mapping on the clipboard: its element without the XML declaration,
        with CR LF line ends, followed by an empty line. */
    juce::String getClipboardText (const juce::ValueTree& mapping)
    {
        juce::StringArray lines;
        lines.addLines (mapping.toXmlString());
        lines.removeRange (0, 2); // the declaration and the empty line after it
        return lines.joinIntoString ("\r\n") + "\r\n";
    }
}

//==============================================================================
void MainViewComponent::cellClicked (int rowNumber, int, const juce::MouseEvent& e)
{
    if (! e.mods.isRightButtonDown())
        return;

    juce::PopupMenu menu;
    const auto tree = getRowTree (rowNumber);
    const int kind = Mapping::getKind (tree);

    if (kind == 1)
    {
        const InputMapping input (tree);

        if (controlCatalogue->isOutputAlias (input.getAlias()))
            menu.addItem (duplicateAsOutputItem, "Dublicate as Output", true, false);
    }
    else if (kind == 0)
    {
        const OutputMapping output (tree);

        if (isOnOffType (controlCatalogue->getType (output.getAlias())))
            menu.addItem (duplicateInvertedItem, "Dublicate Inverted", true, false);
    }

    const int result = menu.show();

    if (result == duplicateAsOutputItem)
    {
        const InputMapping input (tree);
        const auto alias = input.getAlias();
        const auto created = document->createOutputMapping (alias, controlCatalogue->getType (alias));

        OutputMapping output (created);
        output.setMidiMessage (0, input.getMidiMessage (0));
        output.setValue (0, "127");

        updateMappingList();
        selectMappingRow (created);
    }
    else if (result == duplicateInvertedItem)
    {
        const OutputMapping source (tree);
        auto copy = source.getValueTree().createCopy();
        OutputMapping duplicate (copy);

        duplicate.setValue (0, duplicate.getValue (0) == "0" ? "127" : "0");
        duplicate.setControlValue (duplicate.getControlValue() == "true" ? "false" : "true");
        document->addOutputMapping (copy);

        updateMappingList();
        selectMappingRow (copy);
    }
}

//==============================================================================
void MainViewComponent::addInputMapping()
{
    const auto alias = controlCatalogue->showInputMenu();

    if (alias.isEmpty())
        return;

    const auto created = document->createInputMapping (alias);
    updateMappingList();
    selectMappingRow (created);
}

void MainViewComponent::addOutputMapping()
{
    const auto alias = controlCatalogue->showOutputMenu();

    if (alias.isEmpty())
        return;

    const auto created = document->createOutputMapping (alias, controlCatalogue->getType (alias));
    updateMappingList();
    selectMappingRow (created);
}

//==============================================================================
void MainViewComponent::copySelectedMappings()
{
    juce::String text;
    const auto selected = table->getSelectedRows();

    for (int i = 0; i < selected.size(); ++i)
    {
        const auto tree = getRowTree (selected[i]);

        if (tree.isValid())
            text << getClipboardText (tree);
    }

    if (text.isNotEmpty())
        juce::SystemClipboard::copyTextToClipboard (text);
}

void MainViewComponent::pasteMappings()
{
    pasteMappingsFromText (juce::SystemClipboard::getTextFromClipboard());
}

bool MainViewComponent::pasteMappingsFromText (const juce::String& clipboardText)
{
    auto text = lowerCaseMidiTags (clipboardText.trim());

    // Copied mappings are a series of elements: wrap them into one root. Only the first line
    // and whether there is a second one matter, so the text is not split up as a whole.
    const int firstBreak = text.indexOfAnyOf ("\r\n");

    if (firstBreak >= 0 && text.substring (0, firstBreak).containsIgnoreCase ("<mapping>"))
        text = "<clipboard>" + text + "</clipboard>";

    juce::String error;
    const auto root = XmlGuard::parse (text, error);

    if (root == nullptr)
        return false;

    const auto tree = juce::ValueTree::fromXml (*root);

    if (! tree.isValid())
        return false;

    const auto controller = tree.getChildWithName (controllerType());

    if (controller.isValid())
    {
        if (controller[kindProperty()].toString() != "midi")
            return false;

        if (! document->isValidXmlText (text))
        {
            updateMappingList();
            return true;
        }

        writePendingControllerInfo();
        document->loadFromXmlText (text);
        showReplacedDocument();
        return true;
    }

    if (tree.hasType (mappingType()))
    {
        document->addMapping (tree.createCopy(), -1);
        updateMappingList();
        return true;
    }

    if (tree.hasType (inputMappingsType()) || tree.hasType (outputMappingsType()) || tree.hasType (clipboardType()))
    {
        // Only "mapping" elements are taken: anything else would sit in the file unseen, since
        // the table lists nothing but "mapping" elements.
        for (const auto& child : tree)
            if (child.hasType (mappingType()))
                document->addMapping (child.createCopy(), -1);

        updateMappingList();
        return true;
    }

    return false;
}

juce::String MainViewComponent::lowerCaseMidiTags (const juce::String& text)
{
    // juce::String::replace copies the whole text for every match; this copies it once. The
    // name is compared character by character as replace compares it, so the result is the same.
    static const juce::CharPointer_ASCII name ("midi");
    constexpr int nameLength = 4;

    juce::MemoryOutputStream result ((size_t) text.getNumBytesAsUTF8() + 1);
    auto p = text.getCharPointer();
    auto runStart = p;

    while (! p.isEmpty())
    {
        if (*p == '<' && (p + 1).compareIgnoreCaseUpTo (name, nameLength) == 0)
        {
            result.write (runStart.getAddress(), (size_t) (p.getAddress() - runStart.getAddress()));
            result << "<midi";
            p += 1 + nameLength;
            runStart = p;
        }
        else
        {
            ++p;
        }
    }

    result.write (runStart.getAddress(), (size_t) (p.getAddress() - runStart.getAddress()));
    return result.toUTF8();
}

//==============================================================================
void MainViewComponent::deleteSelectedMappings()
{
    const auto selected = table->getSelectedRows();

    for (int i = 0; i < selected.size(); ++i)
    {
        auto tree = getRowTree (selected[i]);
        tree.getParent().removeChild (tree, nullptr);
    }

    updateMappingList();
}

//==============================================================================
void MainViewComponent::toggleSourceEditor()
{
    if (! editorView->isVisible())
    {
        // The text shown holds what the user typed into a field just before.
        writePendingControllerInfo();
        editorView->setDocument (document.get());
        editorView->setVisible (true);
        editorView->toFront (true); // into the code editor: keys must not reach the panel behind
        return;
    }

    if (! editorView->askToApplyChanges())
    {
        updateMappingList();
        return;
    }

    editorView->toBack();
    editorView->setVisible (false);

    // The editor's text may have replaced the document.
    showReplacedDocument();
}
