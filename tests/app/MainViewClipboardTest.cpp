#include "app/CommandIds.h"
#include "app/MainViewTestFixture.h"
#include "model/XmlGuard.h"

// Adding, deriving, copying, pasting and deleting mappings, with the real system clipboard of the X server.

using namespace MainViewTestData;

using MainViewClipboard = MainViewFixture;

namespace
{
    bool perform (MainViewComponent& view, juce::CommandID id) { return view.perform (juce::ApplicationCommandTarget::InvocationInfo (id)); }

    // Logic in and out, Trigger in and out, Trigger in only, Normal out only, Integer in and out
    const juce::String fxOnOff ("fam(Fx)[0x1].OnOff"), tapTempo ("fam(Player)[0x1].TapTempo"), cuePlay ("fam(Player)[0x1].CuePlay"),
        masterMeter ("fam(Mixer).MasterMeter"), fxSelect ("fam(Fx)[0x1].Select");

    /** A mapping as the clipboard holds it (no declaration, CR LF line ends, no last one), or on one line. */
    juce::String text (const juce::ValueTree& mapping, bool oneLine = false)
    {
        return mapping.toXmlString (oneLine ? juce::XmlElement::TextFormat().singleLine().withoutHeader() : juce::XmlElement::TextFormat().withoutHeader()).trimEnd();
    }

    /** The table's rows on one line each, the selected ones marked with a "*". */
    juce::String rowsOf (const MainViewInspector& in)
    {
        juce::StringArray rows;
        for (int i = 0; i < in.numRows(); ++i)
            rows.add (text (in.row (i), true) + (in.table().isRowSelected (i) ? "*" : ""));
        return rows.joinIntoString ("\n");
    }
}

// Copy puts the selected rows in order on the clipboard, each with an empty line after it (and leaves it
// alone when nothing is selected); Cut removes them, and Past appends copies unselected.
TEST_F (MainViewClipboard, CopyCutAndPastGoThroughTheSystemClipboard)
{
    for (auto mapping : { makeOutput (fxOnOff, "true", "ML1", 1, 7, "0x0"), makeOutput (masterMeter, "%"), makeInput (fxOnOff, 3, 60, "Note", "Toggler Button"), makeInput (cuePlay, 2, 2, "CC", "Trigger Fader/Knob") })
        document().addMapping (mapping, -1);
    view->updateMappingList();
    const auto before = rowsOf (inspect());
    const juce::ScopeGuard restoreClipboard { [saved = juce::SystemClipboard::getTextFromClipboard()] { juce::SystemClipboard::copyTextToClipboard (saved); } };
    juce::SystemClipboard::copyTextToClipboard ("left by another program");
    EXPECT_TRUE (perform (*view, CommandIds::copy) && juce::SystemClipboard::getTextFromClipboard() == "left by another program");
    for (int row : { 3, 0, 1 })
        inspect().table().selectRow (row, false, false);
    const auto copied = text (inspect().row (0)) + "\r\n\r\n" + text (inspect().row (1)) + "\r\n\r\n" + text (inspect().row (3)) + "\r\n\r\n";
    EXPECT_TRUE (perform (*view, CommandIds::cut) && inspect().numRows() == 1);
    EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(), copied);
    EXPECT_TRUE (perform (*view, CommandIds::paste) && ! document().hasChangedSinceSaved());
    EXPECT_EQ (rowsOf (inspect()), before);
}

// Each text is pasted into a document of one output mapping. Texts not well formed, too deep or of no known
// root change nothing (fuzz_paste found the "base64:" byte counts).
TEST_F (MainViewClipboard, PasteTakesMappingsListsAndDocumentsInOnePassAndRefusesAnythingElse)
{
    const auto single = makeOutput (fxSelect, "%");

    const struct { juce::String text; bool pasted; const char* lists; } cases[] = { // inputs/outputs/rows
        { "\r\n " + text (single) + "\r\n\r\n" + text (single) + "\n\n", true, "0/3/3" },
        { text (single).replace ("<midi", "<MIDI"), true, "0/2/2" },
        { "<mapping><note text=\"x\"/></mapping>", true, "0/1/1" }, // neither "events" nor "control"
        { "<input-mappings>" + text (makeInput (fxOnOff, 1, 1, "CC", "Logic Fader/Knob"), true) + text (makeInput (cuePlay, 3, 3), true) + text (makeOutput (tapTempo), true) + "<comment><control/></comment></input-mappings>", true, "1/2/3" }, // the preset-less input refused
        { "<output-mappings>" + text (single, true) + text (makeOutput (fxOnOff), true) + "</output-mappings>", true, "0/3/3" },
        { text (single) + "\r\n\r\n<mapping>\r\n  <other/>\r\n</mapping>\r\n\r\n" + text (single), true, "0/3/3" },
        { "<?xml version=\"1.0\"?>\r\n<!-- </elsewhere> -->\r\n<output-mappings>\r\n<mapping><control alias='odd/alias>name' value=\"a &gt; b\"/><midi type=\"CC\"/>" + juce::String::repeatedString ("<x>", 40) + juce::String::repeatedString ("</x>", 40) + "<note><![CDATA[ </mapping> ]]></note></mapping >\r\n</output-mappings>", true, "0/2/2" },
        { "<main><version/><controller kind=\"midi\"><mappings><input-mappings>" + text (makeInput (cuePlay, 1, 2, "CC", "Trigger Fader/Knob"), true) + "</input-mappings></mappings></controller></main>", true, "1/0/1" }, // a whole document
        { "<main><controller kind=\"midi\"><mappings/></controller></main>", true, "0/1/1" }, // no "version": not a document
        { "", false, "0/1/1" },
        { "Dear all, please find the mappings attached.", false, "0/1/1" },
        { juce::String::createStringFromData ("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe\x01", 18), false, "0/1/1" },
        { "<mapping>\r\n" + juce::String::repeatedString ("  <control alias=\"x\"/>\r\n", 420000), false, "0/1/1" }, // 10 MB, never closed
        { "<mapping>\r\n  <control alias=\"a\">\r\n</mapping>", false, "0/1/1" },
        { "<main><version/><controller kind=\"MIDI\"><mappings><input-mappings/><output-mappings/></mappings></controller></main>", false, "0/1/1" },
        { "<settings><value name=\"x\"/></settings>", false, "0/1/1" },
        { "<mapping>\r\n  <control alias=\"fam(Fx)[0x1].OnOff\" value=\"true\"/>\r\n  <MIDI type=\"CC\"></MIDI>\r\n</mapping>", false, "0/1/1" }, // "<midi" meets "</MIDI>"
        { juce::String::repeatedString ("<mapping>", XmlGuard::maxNestingDepth + 1) + juce::String::repeatedString ("</mapping>", XmlGuard::maxNestingDepth + 1), false, "0/1/1" },
        { text (single, true).replace ("<midi", "<midi base64:x=\"4444444444444.AAAA\""), false, "0/1/1" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text.substring (0, 100));
        document().newDocument();
        addOutput (document(), makeOutput (masterMeter, "%"));
        view->updateMappingList();
        const auto before = document().toXmlString();
        EXPECT_EQ (view->pasteMappingsFromText (c.text), c.pasted);
        EXPECT_EQ (juce::String (inputList (document()).getNumChildren()) + "/" + juce::String (outputList (document()).getNumChildren()) + "/" + juce::String (inspect().numRows()), c.lists);
        EXPECT_TRUE (c.pasted || document().toXmlString() == before);
    }

    // "<MIDI" in any case becomes "<midi" in one pass, as juce::String::replace ignoring case would
    // write it (copying the whole text once per match): 100,000 copied mappings (34 MB) paste whole.
    for (auto& t : juce::StringArray { "", "<MIDI", "<MID", "x<MIDI/><Midi a=\"1\"/></MIDI>", "<<MIDI<MIDI", juce::CharPointer_UTF8 ("<M\xc4\xb1" "DI \xc3\xa4<mIdI<<MiDi/><MID<MIDIMIDI <midi\xe2\x82\xac") })
        EXPECT_EQ (MainViewComponent::lowerCaseMidiTags (t), t.replace ("<MIDI", "<midi", true)) << t;
    const auto one = makeOutput (fxOnOff, "true", {}, 2, 5);
    const auto start = juce::Time::getMillisecondCounterHiRes();
    EXPECT_TRUE (view->pasteMappingsFromText (juce::String::repeatedString (text (one).replace ("<midi", "<MIDI") + "\r\n\r\n", 100000)));
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 60000.0);
    EXPECT_EQ (juce::String (outputList (document()).getNumChildren()) + text (outputList (document()).getChild (100000)), "100001" + text (one));
}

// Added through an alias menu or derived through a row's context menu, a mapping is appended and its row
// selected alone. A right click offers "Dublicate as Output" on an input of an output control and
// "Dublicate Inverted" on a Logic or Trigger output.
TEST_F (MainViewClipboard, AliasMenusAddAndContextMenusDeriveMappings)
{
    const auto add = [this] (juce::CommandID command, int item) { TestHelpers::ModalEnder menu (item); return perform (*view, command) && menu.hasEnded() ? rowsOf (inspect()) : "no menu"; };
    const juce::String added ("<mapping><events><midi type=\"CC\" parameter=\"0x01\" channel=\"0x01\"/></events><controls><control alias=\"fam(Fx)[0x1].OnOff\"/></controls></mapping>");
    EXPECT_EQ (add (CommandIds::addInput, 0) + add (CommandIds::addOutput, 0), "");
    EXPECT_EQ (add (CommandIds::addInput, 1 + 300), added + "*"); // group 3 ("Fx 1 "), first control
    EXPECT_EQ (add (CommandIds::addOutput, 1 + 300 + 1), added + "\n<mapping><control alias=\"fam(Fx)[0x1].Select\" value=\"%\"/><midi type=\"CC\" parameter=\"0x01\" channel=\"0x01\"/></mapping>*");

    const auto noteInput = addInput (document(), makeInput (fxOnOff, 3, 60, "Note")), ccInput = addInput (document(), makeInput (fxSelect, 16, 7, "CC"));
    auto onOutput = addOutput (document(), makeOutput (fxOnOff, "true", "ML2", 1, 7, "0x0")), anyOutput = addOutput (document(), makeOutput (tapTempo, "%", {}, 2, 9, "%"));
    onOutput.appendChild (makeMidi ("CC", 9, 8).setProperty ("value", "0x0", nullptr), nullptr);
    const auto inputOnly = addInput (document(), makeInput (cuePlay)), unknown = addInput (document(), makeInput ("no.such.control"));
    const auto normal = addOutput (document(), makeOutput (masterMeter, "%")), integer = addOutput (document(), makeOutput (fxSelect, "%"));
    view->updateMappingList();
    constexpr auto right = juce::ModifierKeys::rightButtonModifier, left = juce::ModifierKeys::leftButtonModifier;

    const struct { juce::ValueTree row; int mods, item; const char* menu; const char* created; } cases[] = {
        { noteInput, right, 1, "Dublicate as Output", "<mapping><control alias=\"fam(Fx)[0x1].OnOff\" value=\"true\"/><midi type=\"Note\" parameter=\"0x3c\" channel=\"0x3\" value=\"0x7f\"/></mapping>" },
        { ccInput, right, 1, "Dublicate as Output", "<mapping><control alias=\"fam(Fx)[0x1].Select\" value=\"%\"/><midi type=\"CC\" parameter=\"0x7\" channel=\"0x10\" value=\"0x7f\"/></mapping>" },
        { onOutput, right, 2, "Dublicate Inverted", "<mapping><control alias=\"fam(Fx)[0x1].OnOff\" value=\"false\" modifiers=\"ML2\"/><midi type=\"CC\" parameter=\"0x7\" channel=\"0x1\" value=\"0x7f\"/><midi type=\"CC\" parameter=\"0x8\" channel=\"0x9\" value=\"0x0\"/></mapping>" },
        { anyOutput, right, 2, "Dublicate Inverted", "<mapping><control alias=\"fam(Player)[0x1].TapTempo\" value=\"true\"/><midi type=\"CC\" parameter=\"0x9\" channel=\"0x2\" value=\"0x0\"/></mapping>" },
        { inputOnly, right, 1, "no menu", nullptr }, { unknown, right, 1, "no menu", nullptr }, { normal, right, 1, "no menu", nullptr }, { integer, right, 1, "no menu", nullptr }, { {}, right, 1, "no menu", nullptr }, { noteInput, left, 1, "no menu", nullptr }, { noteInput, 0, 1, "no menu", nullptr },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (text (c.row, true));
        const auto numOutputs = outputList (document()).getNumChildren();
        juce::String items;
        TestHelpers::ModalEnder menu (c.item, [&items] (juce::Component& shown) { items = shown.getChildComponent (0)->getAccessibilityHandler()->getTitle(); });
        const juce::MouseEvent click (juce::Desktop::getInstance().getMainMouseSource(), {}, c.mods, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &inspect().table(), &inspect().table(), {}, {}, {}, 1, false);
        view->cellClicked (c.row.isValid() ? inspect().indexOf (c.row) : 99, 7, click);
        EXPECT_EQ (menu.hasEnded() ? items : "no menu", c.menu);

        const auto created = outputList (document()).getChild (numOutputs);
        EXPECT_EQ (created.isValid() ? text (created, true) : juce::String(), juce::String (c.created));
        EXPECT_TRUE (c.created == nullptr || (inspect().table().getNumSelectedRows() == 1 && inspect().row (inspect().table().getSelectedRow()).isEquivalentTo (created)));
    }
}
