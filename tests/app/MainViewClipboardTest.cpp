#include "app/EditorViewInspector.h"
#include "app/MainViewTestFixture.h"

#include "model/InputMapping.h"
#include "model/OutputMapping.h"
#include "model/XmlGuard.h"
#include "panels/InputMappingComponent.h"
#include "panels/OutputMappingComponent.h"

using namespace MainViewTestData;

namespace
{
    const juce::String fxOnOff ("fam(Fx)[0x1].OnOff");       // Logic, in and out
    const juce::String tapTempo ("fam(Player)[0x1].TapTempo"); // Trigger, in and out
    const juce::String cuePlay ("fam(Player)[0x1].CuePlay");   // Trigger, in only
    const juce::String masterMeter ("fam(Mixer).MasterMeter"); // Normal, out only
    const juce::String fxSelect ("fam(Fx)[0x1].Select");       // Integer, in and out

    /** A mouse event on a component with the given buttons held. */
    juce::MouseEvent makeClick (juce::Component& component, juce::ModifierKeys mods)
    {
        const juce::Point<float> position (5.0f, 5.0f);
        const auto now = juce::Time::getCurrentTime();
        return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), position, mods,
                                 juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                 juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                                 juce::MouseInputSource::defaultTiltY, &component, &component, now, position, now, 1,
                                 false);
    }

    /** The texts of the items of a shown popup menu (read through their accessibility titles). */
    void collectMenuItems (juce::Component& component, juce::StringArray& texts)
    {
        for (auto* child : component.getChildren())
        {
            if (auto* handler = child->getAccessibilityHandler(); handler != nullptr && handler->getRole() == juce::AccessibilityRole::menuItem)
                texts.add (handler->getTitle());

            collectMenuItems (*child, texts);
        }
    }

    /** A mapping as the clipboard holds it: no declaration, CR LF line ends, no final line break. */
    juce::String mappingText (const juce::ValueTree& mapping)
    {
        return mapping.toXmlString (juce::XmlElement::TextFormat().withoutHeader()).trimEnd();
    }

    /** Appends a controller message to an output mapping or to an input mapping's events. */
    void appendMessage (juce::ValueTree parent, const juce::String& value)
    {
        juce::ValueTree midi ("midi");
        midi.setProperty ("type", "CC", nullptr).setProperty ("parameter", "0x8", nullptr).setProperty ("channel", "0x9", nullptr);
        if (value.isNotEmpty())
            midi.setProperty ("value", value, nullptr);
        parent.appendChild (midi, nullptr);
    }
}

//==============================================================================
class MainViewClipboard : public MainViewFixture
{
protected:
    juce::ValueTree inputs() const { return inputList (document()); }
    juce::ValueTree outputs() const { return outputList (document()); }
    juce::ValueTree selectedElement() const { return inspect().row (inspect().table().getSelectedRow()); }

    /** Selects the rows that hold the given elements, and only those. */
    void selectElements (std::initializer_list<juce::ValueTree> elements)
    {
        inspect().table().deselectAllRows();
        for (auto& element : elements)
            inspect().table().selectRow (inspect().indexOf (element), false, false);
    }

    /** Clicks the row of an element (row -1: beyond the rows); a menu that opens is ended with
        result. Returns the texts of the menu's items, and whether one opened. */
    std::pair<juce::StringArray, bool> click (const juce::ValueTree& element, int result,
                                              juce::ModifierKeys mods = juce::ModifierKeys::rightButtonModifier)
    {
        juce::StringArray texts;
        TestHelpers::ModalEnder ender (result, [&texts] (juce::Component& menu) { collectMenuItems (menu, texts); });
        view->cellClicked (element.isValid() ? inspect().indexOf (element) : 99, 7, makeClick (inspect().table(), mods));
        return { texts, ender.hasEnded() };
    }

    /** The mapping lists as text (the document's icon would make failure messages unreadable). */
    juce::String documentText() const { return document().getMappings().toXmlString(); }
};

//==============================================================================
TEST_F (MainViewClipboard, CopiesTheSelectedRowsInTheirOrderAndPastesCopiesIntoTheirLists)
{
    const auto first = addOutput (document(), makeOutput (fxOnOff, "true", "ML1", 1, 7, "0x0"));
    const auto second = addOutput (document(), makeOutput (masterMeter, "%", {}, 2, 9, "%"));
    const auto input = addInput (document(), makeInput (fxOnOff, 3, 60, "Note", "Toggler Button"));
    addInput (document(), makeInput (cuePlay));
    view->updateMappingList();

    juce::SystemClipboard::copyTextToClipboard ("left by another program");
    view->copySelectedMappings(); // nothing selected
    EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(), "left by another program");

    // Ascending row order; each element ends in CR LF and is followed by an empty line.
    selectElements ({ second, input, first });
    view->copySelectedMappings();
    juce::String expected;
    juce::Array<juce::ValueTree> copiedOutputs;
    for (int i = 0; i < inspect().numRows(); ++i)
    {
        if (inspect().table().isRowSelected (i))
            expected << mappingText (inspect().row (i)) << "\r\n\r\n";
        if (inspect().table().isRowSelected (i) && Mapping::getKind (inspect().row (i)) == 0)
            copiedOutputs.add (inspect().row (i));
    }
    EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(), expected);
    EXPECT_TRUE (expected.startsWith ("<mapping>\r\n"));

    view->pasteMappings();
    ASSERT_EQ (outputs().getNumChildren(), 4);
    ASSERT_EQ (inputs().getNumChildren(), 3);
    EXPECT_TRUE (outputs().getChild (2).isEquivalentTo (copiedOutputs[0]));
    EXPECT_TRUE (outputs().getChild (3).isEquivalentTo (copiedOutputs[1]));
    EXPECT_TRUE (inputs().getChild (2).isEquivalentTo (input));
    EXPECT_NE (inputs().getChild (2), input); // copies, not the same elements
    EXPECT_EQ (inspect().numRows(), 7);
    EXPECT_EQ (inspect().table().getNumSelectedRows(), 0);
    EXPECT_FALSE (document().hasChangedSinceSaved());
}

TEST_F (MainViewClipboard, PastesSingleElementsWholeListsAndSeriesTakingOnlyMappingsThatFitAList)
{
    const auto single = makeOutput (masterMeter, "%");
    EXPECT_TRUE (view->pasteMappingsFromText ("  \r\n" + single.toXmlString (juce::XmlElement::TextFormat().withoutHeader()) + "\n\n"));
    ASSERT_EQ (outputs().getNumChildren(), 1);
    EXPECT_TRUE (outputs().getChild (0).isEquivalentTo (single));

    // One element on one line is not wrapped and parses as a "mapping" root.
    EXPECT_TRUE (view->pasteMappingsFromText (single.toXmlString (juce::XmlElement::TextFormat().singleLine().withoutHeader())));
    EXPECT_EQ (outputs().getNumChildren(), 2);

    // A "mapping" with neither "events" nor "control": refused, though the rows are rebuilt.
    EXPECT_TRUE (view->pasteMappingsFromText ("<mapping><note text=\"x\"/></mapping>"));
    EXPECT_EQ (outputs().getNumChildren() + inputs().getNumChildren(), 2);

    juce::ValueTree inputMappings ("input-mappings");
    inputMappings.appendChild (makeInput (fxOnOff, 1, 1, "CC", "Logic Fader/Knob"), nullptr);
    inputMappings.appendChild (makeInput (cuePlay, 2, 2, "CC", "Trigger Fader/Knob"), nullptr);
    inputMappings.appendChild (makeInput (cuePlay, 3, 3), nullptr);    // no preset: refused
    inputMappings.appendChild (makeOutput (tapTempo), nullptr);        // an output: its own list
    inputMappings.appendChild (juce::ValueTree ("comment"), nullptr); // not a mapping
    EXPECT_TRUE (view->pasteMappingsFromText (inputMappings.toXmlString()));

    ASSERT_EQ (inputs().getNumChildren(), 2);
    EXPECT_TRUE (inputs().getChild (0).isEquivalentTo (inputMappings.getChild (0)));
    EXPECT_TRUE (inputs().getChild (1).isEquivalentTo (inputMappings.getChild (1)));
    ASSERT_EQ (outputs().getNumChildren(), 3);
    EXPECT_TRUE (outputs().getChild (2).isEquivalentTo (inputMappings.getChild (3)));

    juce::ValueTree outputMappings ("output-mappings");
    outputMappings.appendChild (makeOutput (fxOnOff), nullptr);
    outputMappings.appendChild (makeOutput (fxSelect, "%"), nullptr);
    EXPECT_TRUE (view->pasteMappingsFromText (outputMappings.toXmlString()));
    EXPECT_EQ (outputs().getNumChildren(), 5);

    // A series of copied mappings, one of them unusable.
    const auto good = mappingText (makeOutput (fxOnOff));
    EXPECT_TRUE (view->pasteMappingsFromText (good + "\r\n\r\n<mapping>\r\n  <other/>\r\n</mapping>\r\n\r\n" + good));
    EXPECT_EQ (outputs().getNumChildren(), 7);

    // A whole controller that fails the document's acceptance test (no "version") is not taken.
    EXPECT_TRUE (view->pasteMappingsFromText ("<main><controller kind=\"midi\"><mappings/></controller></main>"));
    EXPECT_EQ (outputs().getNumChildren(), 7);
    EXPECT_EQ (inspect().numRows(), 9);
    EXPECT_FALSE (document().hasChangedSinceSaved());
}

// Markup inside comments, CDATA sections and attribute values in either quote is text to the
// closing-tag check, and nesting far deeper than real files but within the bound is fine.
TEST_F (MainViewClipboard, CommentsCdataBracketsInValuesAndDeeperNestingPaste)
{
    EXPECT_TRUE (view->pasteMappingsFromText (
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- copied from </elsewhere> -->\r\n<output-mappings>\r\n"
        "  <mapping>\r\n    <control alias='odd/alias>name' value=\"a &gt; b\"/>\r\n"
        "    <midi type=\"CC\" parameter=\"0x1\" channel=\"0x1\" value=\"%\"></midi>\r\n"
        "    <note><![CDATA[ </mapping> ]]></note>\r\n" + juce::String::repeatedString ("<x>", 40)
        + juce::String::repeatedString ("</x>", 40) + "\r\n  </mapping >\r\n</output-mappings>"));
    ASSERT_EQ (outputs().getNumChildren(), 1);
    EXPECT_EQ (OutputMapping (outputs().getChild (0)).getAlias(), "odd/alias>name");
}

TEST_F (MainViewClipboard, PastingAWholeMappingsFileReplacesTheDocumentButNotTheWindowTitle)
{
    auto previousManager = std::move (commandManager);
    commandManager = std::make_unique<juce::ApplicationCommandManager>();

    {
        WirelaceApplication::MainWindow window;
        WirelaceApplication::placeMainWindow (window, "Wirelace 0.8.62");
        auto* mainView = window.getMainView();
        ASSERT_NE (mainView, nullptr);
        MainViewInspector inspector (*mainView);
        addOutput (inspector.document(), makeOutput (masterMeter, "%"));
        mainView->updateMappingList();
        inspector.table().selectRow (0);

        ControllerDocument other;
        other.setModel ("Other Controller");
        addOutput (other, makeOutput (fxOnOff));
        addInput (other, makeInput (cuePlay, 1, 2, "CC", "Trigger Fader/Knob"));
        juce::SystemClipboard::copyTextToClipboard (other.toXmlString());
        mainView->pasteMappings();

        EXPECT_EQ (inspector.document().getModel(), "Other Controller");
        EXPECT_EQ (inspector.document().getName(), "unnamed.mappings");
        EXPECT_TRUE (inspector.document().getFilePath().isEmpty());
        EXPECT_EQ (inspector.numRows(), 2);
        EXPECT_EQ (inspector.table().getNumSelectedRows(), 0);
        EXPECT_EQ (window.getName(), "Wirelace 0.8.62");
    }

    commandManager = std::move (previousManager);
}

TEST_F (MainViewClipboard, BadClipboardTextChangesNothing)
{
    addOutput (document(), makeOutput (fxOnOff));
    view->updateMappingList();
    const auto before = documentText();

    juce::MemoryBlock binary (4096);
    juce::Random random (42);
    for (size_t i = 0; i < binary.getSize(); ++i)
        binary[i] = (char) random.nextInt (256);

    juce::MemoryOutputStream huge;
    huge << "<mapping>\r\n";
    for (int i = 0; huge.getDataSize() < 10 * 1024 * 1024; ++i)
        huge << "  <control alias=\"x" << i << "\"/>\r\n"; // never closed

    const auto deep = juce::String::repeatedString ("<mapping>", XmlGuard::maxNestingDepth + 10)
                    + juce::String::repeatedString ("</mapping>", XmlGuard::maxNestingDepth + 10);

    const juce::String texts[] = {
        {},
        "   \r\n\t ",
        "Dear all, please find the mappings attached.",
        juce::String::createStringFromData (binary.getData(), (int) binary.getSize()),
        huge.toString(),
        "<mapping>\r\n  <control alias=\"a\">\r\n</mapping>",
        "<output-mappings><mapping><control alias=\"a\"/></output-mappings>",
        "<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY e \"&e;&e;\">]><mapping>&e;</mapping>",
        "<main><version/><controller kind=\"MIDI\"><mappings><input-mappings/><output-mappings/></mappings></controller></main>",
        "<anything><controller kind=\"hid\"/></anything>",
        "<settings><value name=\"x\"/></settings>",
        "<mapping><control alias=\"a\" value=\"true\"></mapping></control>",
        "<output-mappings><mapping><control alias=\"a\"/><midi></MIDI></mapping></output-mappings>",
        // "<MIDI" becomes "<midi", and then no longer matches its closing tag
        "<mapping>\r\n  <control alias=\"fam(Fx)[0x1].OnOff\" value=\"true\"/>\r\n  <MIDI type=\"CC\"></MIDI>\r\n</mapping>",
        deep,
    };

    for (auto& text : texts)
    {
        SCOPED_TRACE (text.substring (0, 80));
        EXPECT_FALSE (view->pasteMappingsFromText (text));
        EXPECT_EQ (documentText(), before);
        EXPECT_EQ (inspect().numRows(), 1);
    }

    // Through the real clipboard as well.
    juce::SystemClipboard::copyTextToClipboard ("<MIDI/>");
    view->pasteMappings();
    EXPECT_EQ (documentText(), before);
}

// The paste writes "<MIDI" in any case as "<midi" in one pass, with exactly the result of
// juce::String::replace ignoring case, which copied the whole text once per match.
TEST_F (MainViewClipboard, MidiTagsAreLowerCasedInOnePassWithTheResultOfReplace)
{
    const juce::String odd (juce::CharPointer_UTF8 ("<M\xc4\xb1" "DI \xc3\xa4<mIdI<<MiDi/><MID<MIDIMIDI <midi\xe2\x82\xac"));
    juce::StringArray texts { "", "<MIDI", "<MID", "x<MIDI/><Midi a=\"1\"/></MIDI>", "<<MIDI<MIDI", odd };

    juce::Random random (17);
    const char* pieces[] = { "<", "M", "m", "I", "i", "D", "d", "/", ">", " ", "\xc3\xa4" };

    for (int i = 0; i < 200; ++i)
    {
        juce::String text;
        for (int k = random.nextInt (40); --k >= 0;)
            text += juce::String (juce::CharPointer_UTF8 (pieces[random.nextInt ((int) std::size (pieces))]));
        texts.add (text);
    }

    for (auto& text : texts)
    {
        SCOPED_TRACE (text);
        EXPECT_EQ (MainViewComponent::lowerCaseMidiTags (text), text.replace ("<MIDI", "<midi", true));
    }

    // Clipboards of 4,000, 15,000 (5 MB) and 100,000 (34 MB) copied mappings written in upper
    // case paste completely, each well within the time bound.
    const auto one = mappingText (makeOutput (fxOnOff, "true", {}, 2, 5)).replace ("<midi", "<MIDI") + "\r\n\r\n";
    int pasted = 0;

    for (int count : { 4000, 15000, 100000 })
    {
        SCOPED_TRACE (count);
        juce::MemoryOutputStream clipboard;
        for (int i = 0; i < count; ++i)
            clipboard << one;

        const auto start = juce::Time::getMillisecondCounterHiRes();
        EXPECT_TRUE (view->pasteMappingsFromText (clipboard.toString()));
        EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 60000.0);

        pasted += count;
        ASSERT_EQ (outputs().getNumChildren(), pasted);
        const OutputMapping last (outputs().getChild (pasted - 1));
        EXPECT_EQ (last.getNumMidi(), 1);
        EXPECT_EQ (last.getChannel (0), 2);
        EXPECT_EQ (last.getParameter (0), 5);
    }
}

//==============================================================================
TEST_F (MainViewClipboard, ContextMenuIsOfferedOnlyOnARightClickOnOutputControlsAndOnOffOutputs)
{
    const auto inputToOutput = addInput (document(), makeInput (fxOnOff));
    const auto inputOnly = addInput (document(), makeInput (cuePlay));
    const auto unknownInput = addInput (document(), makeInput ("no.such.control"));
    const auto logicOutput = addOutput (document(), makeOutput (fxOnOff));
    const auto triggerOutput = addOutput (document(), makeOutput (tapTempo));
    const auto normalOutput = addOutput (document(), makeOutput (masterMeter, "%"));
    const auto integerOutput = addOutput (document(), makeOutput (fxSelect, "%"));
    view->updateMappingList();
    const auto before = documentText();

    using Menu = std::pair<juce::StringArray, bool>;
    EXPECT_EQ (click (inputToOutput, 0), Menu (juce::StringArray ("Dublicate as Output"), true));
    EXPECT_EQ (click (logicOutput, 0), Menu (juce::StringArray ("Dublicate Inverted"), true));
    EXPECT_EQ (click (triggerOutput, 0), Menu (juce::StringArray ("Dublicate Inverted"), true));

    for (auto& element : { inputOnly, unknownInput, normalOutput, integerOutput })
        EXPECT_TRUE (click (element, 1).first.isEmpty());

    // A click beyond the rows finds no element and offers nothing; a left click never opens a menu.
    EXPECT_FALSE (click ({}, 1).second);
    EXPECT_FALSE (click (inputToOutput, 1, juce::ModifierKeys::leftButtonModifier).second);
    EXPECT_FALSE (click (inputToOutput, 1, {}).second);
    TestHelpers::pumpMessages (60);

    EXPECT_EQ (documentText(), before); // dismissed or empty menus change nothing
}

// "Dublicate as Output" takes the first event with value 127 and the control's value by type;
// "Dublicate Inverted" flips the first message's value and the control value of a copy.
TEST_F (MainViewClipboard, DuplicatesAreAddedAsOutputsAndTheirRowsShown)
{
    const auto noteInput = addInput (document(), makeInput (fxOnOff, 3, 60, "Note"));
    appendMessage (noteInput.getChildWithName ("events"), {});
    const auto ccInput = addInput (document(), makeInput (fxSelect, 16, 7, "CC"));
    const auto onMapping = addOutput (document(), makeOutput (fxOnOff, "true", "ML2", 1, 7, "0x0"));
    appendMessage (onMapping, "0x0");
    const auto anyMapping = addOutput (document(), makeOutput (tapTempo, "%", {}, 2, 9, "%"));
    view->updateMappingList();

    const struct
    {
        const char* what;
        std::function<juce::ValueTree()> source;
        int item;
        juce::String alias;
        const char* controlValue;
        const char* firstMessage; // type, parameter, channel
        const char* values;       // of every message
        const char* modifiers;
    } cases[] = {
        { "as output, a note of a Logic control", [&] { return noteInput; }, 1, fxOnOff, "true", "1 60 3", "127", "" },
        { "as output, a controller of an Integer control", [&] { return ccInput; }, 1, fxSelect, "%", "0 7 16", "127", "" },
        { "inverted, only the first message", [&] { return onMapping; }, 2, fxOnOff, "false", "0 7 1", "127 0", "ML2" },
        { "inverted, any value", [&] { return anyMapping; }, 2, tapTempo, "true", "0 9 2", "0", "" },
        { "inverted twice gives the original back", [&] { return outputs().getChild (4); }, 2, fxOnOff, "true", "0 7 1", "0 0", "ML2" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        const auto source = c.source();
        click (source, c.item);

        const auto created = outputs().getChild (outputs().getNumChildren() - 1);
        const OutputMapping output (created);
        juce::StringArray values;
        for (int i = 0; i < output.getNumMidi(); ++i)
            values.add (output.getValue (i));

        EXPECT_EQ (output.getAlias(), c.alias);
        EXPECT_EQ (output.getControlValue(), c.controlValue);
        EXPECT_EQ (juce::String (output.getType (0)) + " " + juce::String (output.getParameter (0)) + " " + juce::String (output.getChannel (0)),
                   c.firstMessage);
        EXPECT_EQ (values.joinIntoString (" "), c.values);
        EXPECT_EQ (output.getModifiers(), c.modifiers);
        EXPECT_TRUE (document().hasChangedSinceSaved());

        // The new row (or the first row equal to it) is selected alone and its panel shown.
        EXPECT_EQ (inspect().table().getNumSelectedRows(), 1);
        EXPECT_TRUE (selectedElement().isEquivalentTo (created));
        auto* panel = dynamic_cast<OutputMappingComponent*> (inspect().rightPanel());
        ASSERT_NE (panel, nullptr);
        EXPECT_EQ (panel->getMapping()->getValueTree(), selectedElement());
    }

    EXPECT_EQ (outputs().getNumChildren(), 7);
    EXPECT_EQ (OutputMapping (onMapping).getValue (0), "0"); // the source is untouched
}

//==============================================================================
TEST_F (MainViewClipboard, AddInputAndOutputThroughTheAliasMenus)
{
    auto add = [this] (bool input, int result)
    {
        TestHelpers::ModalEnder ender (result);
        input ? view->addInputMapping() : view->addOutputMapping();
        EXPECT_TRUE (ender.hasEnded());
    };

    // Dismissed menus add nothing.
    const auto before = documentText();
    add (true, 0);
    add (false, 0);
    EXPECT_EQ (documentText(), before);
    EXPECT_FALSE (document().hasChangedSinceSaved());

    add (true, 1 + 300); // group 3 ("Fx 1 "), first control
    ASSERT_EQ (inputs().getNumChildren(), 1);
    EXPECT_EQ (InputMapping (inputs().getChild (0)).getAlias(), fxOnOff);
    EXPECT_TRUE (document().hasChangedSinceSaved());
    EXPECT_NE (dynamic_cast<InputMappingComponent*> (inspect().rightPanel()), nullptr);
    EXPECT_EQ (selectedElement(), inputs().getChild (0));

    add (false, 1 + 300 + 1); // "Fx 1 ", second control: Select (Integer)
    ASSERT_EQ (outputs().getNumChildren(), 1);
    const OutputMapping output (outputs().getChild (0));
    EXPECT_EQ (output.getAlias() + " " + output.getControlValue(), fxSelect + " %");
    EXPECT_EQ (selectedElement(), outputs().getChild (0));

    // A new mapping that the filter hides is added but not selected.
    inspect().ioFilterCombo().setSelectedId (3, juce::sendNotificationSync); // outputs only
    add (true, 1 + 300);
    EXPECT_EQ (inputs().getNumChildren(), 2);
    EXPECT_EQ (inspect().numRows(), 1);
    EXPECT_EQ (inspect().table().getNumSelectedRows(), 0);
}

TEST_F (MainViewClipboard, DeletingSelectedRowsRemovesThemFromBothLists)
{
    const auto a = addInput (document(), makeInput (fxOnOff));
    const auto keep = addInput (document(), makeInput (cuePlay));
    const auto b = addOutput (document(), makeOutput (fxOnOff));
    const auto c = addOutput (document(), makeOutput (masterMeter, "%"));
    view->updateMappingList();

    selectElements ({ a, b, c });
    ASSERT_EQ (inspect().table().getNumSelectedRows(), 3);
    view->deleteSelectedMappings();

    EXPECT_EQ (inputs().getNumChildren(), 1);
    EXPECT_EQ (inputs().getChild (0), keep);
    EXPECT_EQ (outputs().getNumChildren(), 0);
    EXPECT_EQ (inspect().numRows(), 1);
    EXPECT_EQ (inspect().table().getNumSelectedRows(), 0);
    EXPECT_FALSE (document().hasChangedSinceSaved());

    view->deleteSelectedMappings(); // nothing selected: nothing removed
    EXPECT_EQ (inputs().getNumChildren(), 1);
}

// The source editor comes to the front over the rows as they were; closing it, which its
// question allows only for text the document takes, sends it back and rebuilds the rows.
TEST_F (MainViewClipboard, SourceEditorComesToTheFrontAndGoesBackOnlyOnceItsTextIsTaken)
{
    addOutput (document(), makeOutput (masterMeter, "%"));
    view->updateMappingList();
    inspect().table().selectRow (0);
    auto& editor = inspect().editorView();

    view->toggleSourceEditor();
    EXPECT_TRUE (editor.isVisible());
    EXPECT_EQ (view->getIndexOfChildComponent (&editor), view->getNumChildComponents() - 1);
    EXPECT_EQ (inspect().table().getNumSelectedRows(), 1);

    auto& text = EditorViewInspector (editor).codeDocument();
    const auto accepted = text.getAllContent().replace ("<input-mappings/>", "<input-mappings>" + makeInput (fxOnOff).toXmlString (juce::XmlElement::TextFormat().withoutHeader()) + "</input-mappings>");
    ASSERT_NE (accepted, text.getAllContent());

    for (const auto& edit : { juce::String ("<main/>"), accepted })
    {
        SCOPED_TRACE (edit.substring (0, 40));
        const bool refused = edit == "<main/>";
        text.replaceAllContent (edit);
        TestHelpers::ModalEnder save (1);
        view->toggleSourceEditor();
        EXPECT_TRUE (save.hasEnded());
        EXPECT_EQ (editor.isVisible(), refused);
        EXPECT_EQ (view->getIndexOfChildComponent (&editor) == 0, ! refused);
        EXPECT_EQ (inspect().numRows(), refused ? 1 : 2);
        EXPECT_EQ (inspect().table().getNumSelectedRows(), 0);
    }
}
