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

    const juce::ModifierKeys rightButton (juce::ModifierKeys::rightButtonModifier);
    const juce::ModifierKeys leftButton (juce::ModifierKeys::leftButtonModifier);

    /** The texts of the items of a shown popup menu (read through their accessibility titles). */
    void collectMenuItems (juce::Component& component, juce::StringArray& texts)
    {
        for (auto* child : component.getChildren())
        {
            if (auto* handler = child->getAccessibilityHandler())
                if (handler->getRole() == juce::AccessibilityRole::menuItem)
                    texts.add (handler->getTitle());

            collectMenuItems (*child, texts);
        }
    }

    juce::String mappingText (const juce::ValueTree& mapping)
    {
        juce::StringArray lines;
        lines.addLines (mapping.toXmlString());
        lines.removeRange (0, 2);       // the declaration and the empty line
        if (lines[lines.size() - 1].isEmpty())
            lines.remove (lines.size() - 1); // what follows the last line break
        return lines.joinIntoString ("\r\n");
    }
}

//==============================================================================
class MainViewClipboard : public MainViewFixture
{
protected:
    juce::ValueTree inputs() const { return inputList (document()); }
    juce::ValueTree outputs() const { return outputList (document()); }

    /** Selects the rows that hold the given elements, and only those. */
    void selectElements (std::initializer_list<juce::ValueTree> elements)
    {
        auto& table = inspect().table();
        table.deselectAllRows();
        for (auto& element : elements)
        {
            const int index = inspect().indexOf (element);
            ASSERT_GE (index, 0);
            table.selectRow (index, false, false);
        }
    }

    /** Right-clicks the row of an element; the menu that opens is ended with result.
        Returns the texts of the menu's items (empty when no menu opened). */
    juce::StringArray rightClick (const juce::ValueTree& element, int result, bool* menuOpened = nullptr)
    {
        juce::StringArray texts;
        TestHelpers::ModalEnder ender (result, [&texts] (juce::Component& menu) { collectMenuItems (menu, texts); });
        view->cellClicked (inspect().indexOf (element), 7, makeClick (inspect().table(), rightButton));

        if (menuOpened != nullptr)
            *menuOpened = ender.hasEnded();

        return texts;
    }

    /** The mapping lists as text (the document's icon would make failure messages unreadable). */
    juce::String documentText() const { return document().getMappings().toXmlString(); }
};

//==============================================================================
TEST_F (MainViewClipboard, CopyTwoOutputsThenPasteAppendsBothAgain)
{
    const auto first = addOutput (document(), makeOutput (fxOnOff, "true", "ML1", 1, 7, "0x0"));
    const auto second = addOutput (document(), makeOutput (masterMeter, "%", {}, 2, 9, "%"));
    addInput (document(), makeInput (cuePlay));
    view->updateMappingList();

    selectElements ({ second, first });
    view->copySelectedMappings();

    // Ascending row order; each element ends in CR LF and is followed by an empty line.
    const auto lowerFirst = inspect().indexOf (first) < inspect().indexOf (second);
    const auto& a = lowerFirst ? first : second;
    const auto& b = lowerFirst ? second : first;
    const auto expected = mappingText (a) + "\r\n\r\n" + mappingText (b) + "\r\n\r\n";
    EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(), expected);
    EXPECT_TRUE (expected.startsWith ("<mapping>\r\n"));

    view->pasteMappings();

    ASSERT_EQ (outputs().getNumChildren(), 4);
    EXPECT_TRUE (outputs().getChild (2).isEquivalentTo (a));
    EXPECT_TRUE (outputs().getChild (3).isEquivalentTo (b));
    EXPECT_NE (outputs().getChild (2), a); // copies, not the same elements
    EXPECT_EQ (inputs().getNumChildren(), 1);
    EXPECT_EQ (inspect().numRows(), 5);
    EXPECT_EQ (inspect().table().getNumSelectedRows(), 0);
    EXPECT_FALSE (document().hasChangedSinceSaved());
}

TEST_F (MainViewClipboard, CopyWithNothingSelectedLeavesTheClipboardAlone)
{
    addOutput (document(), makeOutput (fxOnOff));
    view->updateMappingList();

    juce::SystemClipboard::copyTextToClipboard ("left by another program");
    view->copySelectedMappings();
    EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(), "left by another program");
}

TEST_F (MainViewClipboard, CopiedInputWithPresetPastesIntoTheInputList)
{
    const auto original = addInput (document(), makeInput (fxOnOff, 3, 60, "Note", "Toggler Button"));
    view->updateMappingList();

    selectElements ({ original });
    view->copySelectedMappings();
    view->pasteMappings();

    ASSERT_EQ (inputs().getNumChildren(), 2);
    EXPECT_TRUE (inputs().getChild (1).isEquivalentTo (original));
}

TEST_F (MainViewClipboard, PastesOneElementWithoutDeclarationAndWholeLists)
{
    const auto single = makeOutput (masterMeter, "%");
    EXPECT_TRUE (view->pasteMappingsFromText ("  \r\n" + single.toXmlString (juce::XmlElement::TextFormat().withoutHeader()) + "\n\n"));
    ASSERT_EQ (outputs().getNumChildren(), 1);
    EXPECT_TRUE (outputs().getChild (0).isEquivalentTo (single));

    // One element on one line is not wrapped and parses as a "mapping" root.
    EXPECT_TRUE (view->pasteMappingsFromText (single.toXmlString (juce::XmlElement::TextFormat().singleLine().withoutHeader())));
    EXPECT_EQ (outputs().getNumChildren(), 2);

    juce::ValueTree inputMappings ("input-mappings");
    inputMappings.appendChild (makeInput (fxOnOff, 1, 1, "CC", "Logic Fader/Knob"), nullptr);
    inputMappings.appendChild (makeInput (cuePlay, 2, 2, "CC", "Trigger Fader/Knob"), nullptr);
    inputMappings.appendChild (makeInput (cuePlay, 3, 3), nullptr);        // no preset: refused
    inputMappings.appendChild (makeOutput (tapTempo), nullptr);            // an output: its own list
    inputMappings.appendChild (juce::ValueTree ("comment"), nullptr);     // not a mapping
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
    EXPECT_EQ (inspect().numRows(), 7);
    EXPECT_FALSE (document().hasChangedSinceSaved());
}

TEST_F (MainViewClipboard, PastingAWholeMappingsFileReplacesTheDocument)
{
    ControllerDocument other;
    other.setModel ("Other Controller");
    addOutput (other, makeOutput (fxOnOff));
    addInput (other, makeInput (cuePlay, 1, 2, "CC", "Trigger Fader/Knob"));
    const auto text = other.toXmlString();

    addOutput (document(), makeOutput (masterMeter, "%"));
    view->updateMappingList();
    inspect().table().selectRow (0);

    juce::SystemClipboard::copyTextToClipboard (text);
    view->pasteMappings();

    EXPECT_EQ (document().getModel(), "Other Controller");
    EXPECT_EQ (document().getName(), "unnamed.mappings");
    EXPECT_TRUE (document().getFilePath().isEmpty());
    EXPECT_EQ (inspect().numRows(), 2);
    EXPECT_EQ (inspect().table().getNumSelectedRows(), 0);
}

TEST_F (MainViewClipboard, PastingAWholeFileKeepsTheWindowTitle)
{
    auto previousManager = std::move (commandManager);
    commandManager = std::make_unique<juce::ApplicationCommandManager>();

    {
        WirelaceApplication::MainWindow window;
        WirelaceApplication::placeMainWindow (window, "Wirelace 0.8.62");
        auto* mainView = window.getMainView();
        ASSERT_NE (mainView, nullptr);

        ControllerDocument other;
        other.setModel ("Pasted");
        addOutput (other, makeOutput (fxOnOff));
        EXPECT_TRUE (mainView->pasteMappingsFromText (other.toXmlString()));

        EXPECT_EQ (MainViewInspector (*mainView).document().getModel(), "Pasted");
        EXPECT_EQ (MainViewInspector (*mainView).numRows(), 1);
        EXPECT_EQ (window.getName(), "Wirelace 0.8.62");
    }

    commandManager = std::move (previousManager);
}

TEST_F (MainViewClipboard, UpperCaseEmptyMidiElementsPasteAsLowerCase)
{
    auto text = mappingText (makeOutput (fxOnOff, "true", {}, 2, 5)).replace ("<midi", "<MIDI");
    ASSERT_TRUE (text.contains ("<MIDI type"));
    EXPECT_TRUE (view->pasteMappingsFromText (text + "\r\n\r\n" + text));

    ASSERT_EQ (outputs().getNumChildren(), 2);
    const OutputMapping pasted (outputs().getChild (1));
    EXPECT_EQ (pasted.getNumMidi(), 1);
    EXPECT_EQ (pasted.getChannel (0), 2);
    EXPECT_EQ (pasted.getParameter (0), 5);
}

TEST_F (MainViewClipboard, UpperCaseMidiWithClosingTagPastesNothing)
{
    const auto before = documentText();
    EXPECT_FALSE (view->pasteMappingsFromText (
        "<mapping>\r\n  <control alias=\"fam(Fx)[0x1].OnOff\" value=\"true\"/>\r\n"
        "  <MIDI type=\"CC\" parameter=\"0x1\" channel=\"0x1\"></MIDI>\r\n</mapping>"));
    EXPECT_EQ (documentText(), before);
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

    juce::String huge;
    {
        juce::MemoryOutputStream stream;
        stream << "<mapping>\r\n";
        for (int i = 0; stream.getDataSize() < 10 * 1024 * 1024; ++i)
            stream << "  <control alias=\"x" << i << "\"/>\r\n";
        huge = stream.toString(); // never closed
    }

    juce::String deep;
    for (int i = 0; i <= XmlGuard::maxNestingDepth + 10; ++i)
        deep << "<mapping>";
    for (int i = 0; i <= XmlGuard::maxNestingDepth + 10; ++i)
        deep << "</mapping>";

    const juce::String texts[] = {
        {},
        "   \r\n\t ",
        "Dear all, please find the mappings attached.",
        juce::String::createStringFromData (binary.getData(), (int) binary.getSize()),
        huge,
        "<mapping>\r\n  <control alias=\"a\">\r\n</mapping>",
        "<output-mappings><mapping><control alias=\"a\"/></output-mappings>",
        "<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY e \"&e;&e;\">]><mapping>&e;</mapping>",
        "<main><version/><controller kind=\"MIDI\"><mappings><input-mappings/><output-mappings/></mappings></controller></main>",
        "<anything><controller kind=\"hid\"/></anything>",
        "<settings><value name=\"x\"/></settings>",
        "<mapping><control alias=\"a\" value=\"true\"></mapping></control>",
        "<output-mappings><mapping><control alias=\"a\"/><midi></MIDI></mapping></output-mappings>",
        deep,
    };

    for (auto& text : texts)
    {
        EXPECT_FALSE (view->pasteMappingsFromText (text)) << text.substring (0, 80);
        EXPECT_EQ (documentText(), before) << text.substring (0, 80);
        EXPECT_EQ (inspect().numRows(), 1);
    }

    // Through the real clipboard as well.
    juce::SystemClipboard::copyTextToClipboard ("<MIDI/>");
    view->pasteMappings();
    EXPECT_EQ (documentText(), before);
}

TEST_F (MainViewClipboard, PastedElementsThatFitNoListAreDroppedOthersStillAdded)
{
    const auto before = documentText();

    // A "mapping" with neither "events" nor "control": refused, though the rows are rebuilt.
    EXPECT_TRUE (view->pasteMappingsFromText ("<mapping><note text=\"x\"/></mapping>"));
    EXPECT_EQ (documentText(), before);

    // A series of copied mappings, one of them unusable.
    const auto good = makeOutput (fxOnOff);
    const auto text = mappingText (good) + "\r\n\r\n<mapping>\r\n  <other/>\r\n</mapping>\r\n\r\n" + mappingText (good);
    EXPECT_TRUE (view->pasteMappingsFromText (text));
    EXPECT_EQ (outputs().getNumChildren(), 2);
    EXPECT_EQ (inputs().getNumChildren(), 0);

    // A whole controller that fails the document's acceptance test (no "version") is not taken.
    EXPECT_TRUE (view->pasteMappingsFromText ("<main><controller kind=\"midi\"><mappings/></controller></main>"));
    EXPECT_EQ (outputs().getNumChildren(), 2);
}

TEST_F (MainViewClipboard, CommentsCdataAndBracketsInValuesDoNotUpsetTheTagCheck)
{
    const juce::String text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<!-- copied from </elsewhere> -->\r\n"
        "<output-mappings>\r\n"
        "  <mapping>\r\n"
        "    <control alias='odd/alias>name' value=\"a &gt; b\"/>\r\n"
        "    <midi type=\"CC\" parameter=\"0x1\" channel=\"0x1\" value=\"%\"></midi>\r\n"
        "    <note><![CDATA[ </mapping> ]]></note>\r\n"
        "  </mapping >\r\n"
        "</output-mappings>";

    EXPECT_TRUE (view->pasteMappingsFromText (text));
    ASSERT_EQ (outputs().getNumChildren(), 1);
    EXPECT_EQ (OutputMapping (outputs().getChild (0)).getAlias(), "odd/alias>name");
}

TEST_F (MainViewClipboard, NestingWithinTheBoundStillPastes)
{
    auto mapping = makeOutput (fxOnOff);
    juce::ValueTree inner = mapping;
    for (int i = 0; i < 20; ++i)
    {
        juce::ValueTree child ("extra");
        inner.appendChild (child, nullptr);
        inner = child;
    }

    EXPECT_TRUE (view->pasteMappingsFromText (mapping.toXmlString()));
    EXPECT_EQ (outputs().getNumChildren(), 1);
}

//==============================================================================
TEST_F (MainViewClipboard, ContextMenuIsOfferedOnlyForOutputControlsAndOnOffOutputs)
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

    bool opened = false;
    EXPECT_EQ (rightClick (inputToOutput, 0, &opened), juce::StringArray ("Dublicate as Output"));
    EXPECT_TRUE (opened);
    EXPECT_EQ (rightClick (logicOutput, 0), juce::StringArray ("Dublicate Inverted"));
    EXPECT_EQ (rightClick (triggerOutput, 0), juce::StringArray ("Dublicate Inverted"));

    for (auto& element : { inputOnly, unknownInput, normalOutput, integerOutput })
    {
        EXPECT_TRUE (rightClick (element, 1).isEmpty());
    }

    // A click beyond the rows finds no element and offers nothing.
    {
        TestHelpers::ModalEnder ender (1);
        view->cellClicked (99, 7, makeClick (inspect().table(), rightButton));
        EXPECT_FALSE (ender.hasEnded());
    }

    EXPECT_EQ (documentText(), before); // dismissed or empty menus change nothing
}

TEST_F (MainViewClipboard, LeftClickNeverOpensTheContextMenu)
{
    const auto element = addInput (document(), makeInput (fxOnOff));
    view->updateMappingList();
    const auto before = documentText();

    TestHelpers::ModalEnder ender (1);
    view->cellClicked (inspect().indexOf (element), 7, makeClick (inspect().table(), leftButton));
    view->cellClicked (inspect().indexOf (element), 2, makeClick (inspect().table(), {}));
    TestHelpers::pumpMessages (60);

    EXPECT_FALSE (ender.hasEnded());
    EXPECT_EQ (documentText(), before);
}

TEST_F (MainViewClipboard, DuplicateAsOutputTakesTheFirstEventAndValue127)
{
    auto input = makeInput (fxOnOff, 3, 60, "Note");
    auto second = juce::ValueTree ("midi");
    second.setProperty ("type", "CC", nullptr).setProperty ("parameter", "0x9", nullptr).setProperty ("channel", "0x9", nullptr);
    input.getChildWithName ("events").appendChild (second, nullptr);
    addInput (document(), input);
    view->updateMappingList();

    rightClick (input, 1);

    ASSERT_EQ (outputs().getNumChildren(), 1);
    const auto created = outputs().getChild (0);
    const OutputMapping output (created);
    EXPECT_EQ (output.getAlias(), fxOnOff);
    EXPECT_EQ (output.getControlValue(), "true"); // "Logic"
    EXPECT_EQ (output.getNumMidi(), 1);
    EXPECT_EQ (output.getType (0), 1);            // "Note"
    EXPECT_EQ (output.getParameter (0), 60);
    EXPECT_EQ (output.getChannel (0), 3);
    EXPECT_EQ (output.getValue (0), "127");
    EXPECT_TRUE (document().hasChangedSinceSaved());

    // The new row is selected alone and its panel shown.
    EXPECT_EQ (inspect().table().getNumSelectedRows(), 1);
    EXPECT_EQ (inspect().row (inspect().table().getSelectedRow()), created);
    auto* panel = dynamic_cast<OutputMappingComponent*> (inspect().rightPanel());
    ASSERT_NE (panel, nullptr);
    EXPECT_EQ (panel->getMapping()->getValueTree(), created);
}

TEST_F (MainViewClipboard, DuplicateAsOutputOfAControllerEventOfAnIntegerControl)
{
    const auto input = addInput (document(), makeInput (fxSelect, 16, 7, "CC"));
    view->updateMappingList();

    rightClick (input, 1);

    ASSERT_EQ (outputs().getNumChildren(), 1);
    const OutputMapping output (outputs().getChild (0));
    EXPECT_EQ (output.getControlValue(), "%");
    EXPECT_EQ (output.getType (0), 0);
    EXPECT_EQ (output.getParameter (0), 7);
    EXPECT_EQ (output.getChannel (0), 16);
    EXPECT_EQ (output.getValue (0), "127");
}

TEST_F (MainViewClipboard, DuplicateInvertedFlipsTheFirstValueAndTheControlValue)
{
    auto onMapping = makeOutput (fxOnOff, "true", "ML2", 1, 7, "0x0");
    juce::ValueTree secondMessage ("midi");
    secondMessage.setProperty ("type", "CC", nullptr).setProperty ("parameter", "0x8", nullptr)
                 .setProperty ("channel", "0x1", nullptr).setProperty ("value", "0x0", nullptr);
    onMapping.appendChild (secondMessage, nullptr);
    addOutput (document(), onMapping);
    const auto anyMapping = addOutput (document(), makeOutput (tapTempo, "%", {}, 2, 9, "%"));
    view->updateMappingList();

    rightClick (onMapping, 2);
    ASSERT_EQ (outputs().getNumChildren(), 3);
    const auto inverted = outputs().getChild (2);
    const OutputMapping first (inverted);
    EXPECT_EQ (first.getValue (0), "127");
    EXPECT_EQ (first.getValue (1), "0"); // only the first message is inverted
    EXPECT_EQ (first.getControlValue(), "false");
    EXPECT_EQ (first.getModifiers(), "ML2");
    EXPECT_EQ (OutputMapping (onMapping).getValue (0), "0"); // the source is untouched
    EXPECT_EQ (inspect().row (inspect().table().getSelectedRow()), inverted);

    rightClick (anyMapping, 2);
    ASSERT_EQ (outputs().getNumChildren(), 4);
    const OutputMapping second (outputs().getChild (3));
    EXPECT_EQ (second.getValue (0), "0");
    EXPECT_EQ (second.getControlValue(), "true");

    // A second inversion of the inverted copy gives the original values back.
    rightClick (inverted, 2);
    const OutputMapping back (outputs().getChild (4));
    EXPECT_EQ (back.getValue (0), "0");
    EXPECT_EQ (back.getControlValue(), "true");
    EXPECT_TRUE (document().hasChangedSinceSaved());
}

//==============================================================================
TEST_F (MainViewClipboard, AddInputAndOutputThroughTheAliasMenus)
{
    {
        TestHelpers::ModalEnder ender (1 + 300); // group 3 ("Fx 1 "), first control
        view->addInputMapping();
        EXPECT_TRUE (ender.hasEnded());
    }

    ASSERT_EQ (inputs().getNumChildren(), 1);
    const InputMapping input (inputs().getChild (0));
    EXPECT_EQ (input.getAlias(), fxOnOff);
    EXPECT_TRUE (document().hasChangedSinceSaved());
    EXPECT_NE (dynamic_cast<InputMappingComponent*> (inspect().rightPanel()), nullptr);
    EXPECT_EQ (inspect().row (inspect().table().getSelectedRow()), inputs().getChild (0));

    {
        TestHelpers::ModalEnder ender (1 + 300 + 1); // "Fx 1 ", second control: Select (Integer)
        view->addOutputMapping();
    }

    ASSERT_EQ (outputs().getNumChildren(), 1);
    const OutputMapping output (outputs().getChild (0));
    EXPECT_EQ (output.getAlias(), fxSelect);
    EXPECT_EQ (output.getControlValue(), "%");
    EXPECT_EQ (inspect().row (inspect().table().getSelectedRow()), outputs().getChild (0));
}

TEST_F (MainViewClipboard, DismissedAliasMenusAddNothing)
{
    const auto before = documentText();

    {
        TestHelpers::ModalEnder ender (0);
        view->addInputMapping();
        EXPECT_TRUE (ender.hasEnded());
    }
    {
        TestHelpers::ModalEnder ender (0);
        view->addOutputMapping();
    }

    EXPECT_EQ (documentText(), before);
    EXPECT_FALSE (document().hasChangedSinceSaved());
}

TEST_F (MainViewClipboard, NewMappingHiddenByTheFilterIsAddedButNotSelected)
{
    inspect().ioFilterCombo().setSelectedId (3, juce::sendNotificationSync); // outputs only

    TestHelpers::ModalEnder ender (1 + 300);
    view->addInputMapping();

    EXPECT_EQ (inputs().getNumChildren(), 1);
    EXPECT_EQ (inspect().numRows(), 0);
    EXPECT_EQ (inspect().table().getNumSelectedRows(), 0);
}

//==============================================================================
TEST_F (MainViewClipboard, DeletingThreeSelectedRowsRemovesAllThree)
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

    // Nothing selected: nothing removed.
    view->deleteSelectedMappings();
    EXPECT_EQ (inputs().getNumChildren(), 1);
}

//==============================================================================
TEST_F (MainViewClipboard, SourceEditorShowsThenHidesAndRebuildsTheRows)
{
    addInput (document(), makeInput (fxOnOff));
    view->updateMappingList();
    inspect().table().selectRow (0);
    auto& editor = inspect().editorView();

    view->toggleSourceEditor();
    EXPECT_TRUE (editor.isVisible());
    EXPECT_EQ (view->getIndexOfChildComponent (&editor), view->getNumChildComponents() - 1); // in front
    EXPECT_EQ (inspect().table().getNumSelectedRows(), 1); // the rows are not rebuilt on showing

    view->toggleSourceEditor();
    EXPECT_FALSE (editor.isVisible());
    EXPECT_EQ (view->getIndexOfChildComponent (&editor), 0); // sent to the back
    EXPECT_EQ (inspect().table().getNumSelectedRows(), 0);   // rebuilt on hiding
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
        EXPECT_EQ (OutputMapping (outputs().getChild (pasted - 1)).getParameter (0), 5);
    }
}

TEST_F (MainViewClipboard, SourceEditorStaysOpenWhenSaveIsRefusedAndClosesOnceItIsTaken)
{
    view->toggleSourceEditor();
    auto& editor = inspect().editorView();
    auto& text = EditorViewInspector (editor).codeDocument();
    const auto accepted = text.getAllContent().replace ("<input-mappings/>", "<input-mappings>" + makeInput (fxOnOff).toXmlString (juce::XmlElement::TextFormat().withoutHeader()) + "</input-mappings>");
    ASSERT_NE (accepted, text.getAllContent());

    for (const auto& edit : { juce::String ("<main/>"), accepted })
    {
        text.replaceAllContent (edit);
        TestHelpers::ModalEnder save (1);
        view->toggleSourceEditor();
        EXPECT_TRUE (save.hasEnded());
        EXPECT_EQ (editor.isVisible(), edit == "<main/>");
        EXPECT_EQ (inspect().numRows(), edit == "<main/>" ? 0 : 1);
    }
}
