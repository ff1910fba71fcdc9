#include "app/EditorViewInspector.h"
#include "app/MainViewCommandsFixture.h"

// The main view's commands, menus and keys, and New, Open, Open Recent, Save and Save as through the
// real question box, file choosers and menu bar, with the recent-files list and the window title.

using MainViewCommands = MainViewCommandsFixture;
using Sequence = CommandTestHelpers::ModalSequence;

namespace
{
    constexpr int ctrl = juce::ModifierKeys::ctrlModifier, shift = juce::ModifierKeys::shiftModifier;

    /** One line per menu item: text, id, keys, description and category, "[off]" when greyed. */
    juce::String describeMenu (const juce::PopupMenu& menu)
    {
        juce::StringArray lines;
        for (juce::PopupMenu::MenuItemIterator it (menu, true); it.next();)
        {
            auto& item = it.getItem();
            juce::String line (item.isSeparator ? "---" : item.text + " " + juce::String::toHexString (item.itemID));
            for (auto& key : commandManager->getKeyMappings()->getKeyPressesAssignedToCommand (item.itemID))
                line << " " << key.getTextDescription();
            if (auto* info = commandManager->getCommandForID (item.itemID))
                line << ": " << info->description << " (" << info->categoryName << ")";
            lines.add (line + (item.isEnabled ? "" : " [off]"));
        }
        return lines.joinIntoString ("\n");
    }
}

//==============================================================================
// "Add Ouput" leaves ctrl+O to "Open" where the command key is Ctrl (here) and takes ctrl+shift+O.
TEST_F (MainViewCommands, MenusShowTheFourteenCommandsWithTheirKeysAndGreySaveAsWithoutAFile)
{
    juce::Array<juce::CommandID> ids;
    view().getAllCommands (ids);
    EXPECT_EQ (ids, juce::Array<juce::CommandID> ({ 0x2000, 0x2001, 0x2002, 0x2003, 0x2010, 0x2011, 0x2012, 0x2020, 0x2021, 0x2030, 0x2013, 0x2014, 0x2015, 0x2016 }));
    EXPECT_EQ (view().getMenuBarNames(), juce::StringArray ("File", "Edit"));
    EXPECT_EQ (describeMenu (view().getMenuForIndex (1, "Edit")),
               "Cut 2013 ctrl + X: Cut Mapping (Edit)\nCopy 2014 ctrl + C: Copy Mapping (Edit)\nPast 2015 ctrl + V: Past Mapping (Edit)\n"
               "Delete 2016: Delete Mapping (Edit)\n---\nAdd Input 2011 ctrl + I: Add Input Mapping (Edit)\n"
               "Add Ouput 2012 ctrl + shift + O: Add Output Mapping (Edit)\n---\nEdit Controller Info 2010: Edit current Controller Info (General)\n"
               "Source Editor 2020 ctrl + E: Show Source Editor (General)\n---\nBug Reporter 2021 ctrl + B: Show Bug Reporter (General)");

    // Built afresh on every call, the File menu follows the document and the recent files at once.
    const juce::String fileMenu ("New 2000 ctrl + N: Create a new empty Mapping (File)\n---\nOpen Recent 0 [off]\nOpen 2003 ctrl + O: Open a Mapping (File)\n---\n"
                                 "Save 2001 ctrl + S: Save current Mapping to File (File)\nSave as 2002 ctrl + shift + S: Save current Mapping new File (File) [off]");
    EXPECT_EQ (describeMenu (view().getMenuForIndex (0, "File")), fileMenu);
    const auto file = writeMappingsFile ("a.mappings", 1);
    ASSERT_TRUE (document().loadFrom (file));
    inspect().recentFiles().addFile (file);
    EXPECT_EQ (describeMenu (view().getMenuForIndex (0, "File")), fileMenu.replace (" [off]", "").replace ("Open Recent 0", "Open Recent 0\na.mappings 1"));
    document().loadFromXmlText (document().toXmlString()); // a document taken from text has no file
    EXPECT_TRUE (describeMenu (view().getMenuForIndex (0, "File")).endsWith ("(File) [off]"));

    for (auto id : { 0, 0x1fff, 0x2004, 0x2017, 0x2022, 0x2031 })
        EXPECT_FALSE (view().perform (juce::ApplicationCommandTarget::InvocationInfo (id))) << id;
}

// The delete key acts before its press returns; the overlays come to the front and go back, the
// source editor only once the document takes its text.
TEST_F (MainViewCommands, DeleteKeyAndOverlayCommandsActAtOnce)
{
    for (auto name : { "deck_a", "deck_b", "deck_c" })
        document().createInputMapping (name);
    view().updateMappingList();
    inspect().table().selectRow (1);
    inspect().table().grabKeyboardFocus();
    EXPECT_TRUE (pressKey (juce::KeyPress::deleteKey));
    EXPECT_EQ (numRows(), 2);

    auto& reporter = inspect().bugReporter();
    auto& editor = inspect().editorView();
    EXPECT_TRUE (pressKey ('B', ctrl) && reporter.isVisible() && view().getIndexOfChildComponent (&reporter) == view().getNumChildComponents() - 1);
    EXPECT_TRUE (invoke (CommandIds::bugReporter) && ! reporter.isVisible() && view().getIndexOfChildComponent (&reporter) == 0);
    EXPECT_TRUE (pressKey ('E', ctrl) && editor.isVisible() && view().getIndexOfChildComponent (&editor) == view().getNumChildComponents() - 1);
    ControllerDocument accepted;
    accepted.createInputMapping ("deck_z");
    for (auto text : { juce::String ("<main/>"), accepted.toXmlString() })
    {
        EditorViewInspector (editor).codeDocument().replaceAllContent (text);
        Sequence save ({ Sequence::Step { 1 } });
        EXPECT_TRUE (pressKey ('E', ctrl) && save.ended().isNotEmpty());
    }
    EXPECT_TRUE (! editor.isVisible() && view().getIndexOfChildComponent (&editor) == 0);
    EXPECT_EQ (numRows(), 1); // the rows are rebuilt from the text taken
}

//==============================================================================
// Each row starts from the document the row before left ("keep"), or from a new one ("") or the named
// file, given an unsaved mapping. The question's Save goes on to the chooser where there is no file;
// a save that fails is reported, and the command that asked stops with the changes kept.
TEST_F (MainViewCommands, NewOpenSaveAndSaveAsAskAboutChangesReportFailuresAndRecordTheirFiles)
{
    const auto readOnly = writeMappingsFile ("read-only.mappings", 2), asked = folder.getChildFile ("asked.mappings"), other = writeMappingsFile ("other.mappings", 3),
               copy = folder.getChildFile ("copy.mappings"), refused = folder.getChildFile ("refused.mappings");
    ASSERT_TRUE (refused.replaceWithText ("<main><version/><controller kind=\"MIDI\"/></main>") && readOnly.setReadOnly (true));
    const auto one = readOnly.getFullPathName(), three = other.getFullPathName() + "\n" + asked.getFullPathName() + "\n" + one, four = copy.getFullPathName() + "\n" + three;
    const auto ask = [] (const char* name) { return "Do you want to save the changes you made in the document \"" + juce::String (name) + ".mappings\"?: Your changes will be lost you dont't save them."; };
    const juce::String save ("Save mappings file ..."), open ("Open mappings file ..."), error ("Error: The mappings could not be saved.\nThe file is read-only");

    // state: rows, document name, window title, "*" when changed; written: the files holding the unsaved mapping
    const struct { const char* what; const char* from; int key, mods; std::vector<Sequence::Step> answers; juce::String dialogs; const char* state; const char* written; juce::String recent; } cases[] = {
        { "New, Cancel", "", 'N', ctrl, { { 0 } }, ask ("unnamed"), "1 unnamed.mappings Wirelace 0.8.62 *", "", "" },
        { "Open, Cancel shows no chooser", "", 'O', ctrl, { { 0 }, { 0 } }, ask ("unnamed"), "1 unnamed.mappings Wirelace 0.8.62 *", "", "" },
        { "Save as without a file does nothing", "keep", 'S', ctrl | shift, { { 0 } }, "not handled", "1 unnamed.mappings Wirelace 0.8.62 *", "", "" },
        { "New, Don't Save", "kept.mappings", 'N', ctrl, { { 2 } }, ask ("kept"), "0 unnamed.mappings Wirelace 0.8.62", "", "" },
        { "New, Save", "saved.mappings", 'N', ctrl, { { 1 } }, ask ("saved"), "0 unnamed.mappings Wirelace 0.8.62", "saved.mappings", "" },
        { "New, Save, the chooser cancelled: New goes on", "", 'N', ctrl, { { 1 }, { 0 } }, ask ("unnamed") + " | " + save, "0 unnamed.mappings Wirelace 0.8.62", "saved.mappings", "" },
        { "Save fails", "read-only.mappings", 'S', ctrl, { { 1 } }, error, "3 read-only.mappings Wirelace 0.8.62 *", "saved.mappings", "" },
        { "Save as fails", "keep", 'S', ctrl | shift, { { 1, readOnly }, { 1 } }, save + " | " + error, "3 read-only.mappings Wirelace 0.8.62 *", "saved.mappings", one },
        { "New, Save fails: New stops", "keep", 'N', ctrl, { { 1 }, { 1 }, { 0 } }, ask ("read-only") + " | " + error, "3 read-only.mappings Wirelace 0.8.62 *", "saved.mappings", one },
        { "Open, Save fails: Open stops", "keep", 'O', ctrl, { { 1 }, { 1 }, { 0 } }, ask ("read-only") + " | " + error, "3 read-only.mappings Wirelace 0.8.62 *", "saved.mappings", one },
        { "Save of a new document fails", "", 'S', ctrl, { { 1, readOnly }, { 1 } }, save + " | " + error, "1 unnamed.mappings Wirelace 0.8.62 *", "saved.mappings", one },
        { "New, Save as fails: New stops", "", 'N', ctrl, { { 1 }, { 1, readOnly }, { 1 }, { 0 } }, ask ("unnamed") + " | " + save + " | " + error, "1 unnamed.mappings Wirelace 0.8.62 *",
          "saved.mappings", one },
        { "Open, Save through the chooser, open", "", 'O', ctrl, { { 1 }, { 1, asked }, { 1, other } }, ask ("unnamed") + " | " + save + " | " + open, "3 other.mappings other.mappings",
          "asked.mappings saved.mappings", three },
        { "Open, unchanged", "keep", 'O', ctrl, { { 0 } }, open, "3 other.mappings other.mappings", "asked.mappings saved.mappings", three },
        { "Save as records at once, keeps the title", "keep", 'S', ctrl | shift, { { 1, copy } }, save, "3 copy.mappings other.mappings", "asked.mappings saved.mappings", four },
        { "Open of a refused file: kept mappings, nothing recorded", "keep", 'O', ctrl, { { 1, refused } }, open, "3 copy.mappings copy.mappings", "asked.mappings saved.mappings", four },
        { "New, unchanged", "keep", 'N', ctrl, { { 0 } }, "", "0 unnamed.mappings copy.mappings", "asked.mappings saved.mappings", four },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        if (juce::String (c.from) != "keep")
        {
            if (*c.from == 0)
                document().newDocument();
            else
                ASSERT_TRUE (document().loadFrom (folder.getChildFile (c.from).existsAsFile() ? folder.getChildFile (c.from) : writeMappingsFile (c.from, 0)));
            document().createInputMapping ("deck_unsaved");
            view().updateMappingList();
        }

        Sequence dialogs (c.answers);
        const auto handled = pressKey (c.key, c.mods);
        EXPECT_EQ ((handled ? "" : "not handled") + dialogs.ended(), c.dialogs);
        EXPECT_EQ (juce::String (numRows()) + " " + document().getName() + " " + window->getName() + (document().hasChangedSinceSaved() ? " *" : ""), c.state);
        juce::StringArray written;
        for (auto& file : folder.getFolder().findChildFiles (juce::File::findFiles, false, "*.mappings"))
            written.add (file.loadFileAsString().contains ("deck_unsaved") ? file.getFileName() : "");
        written.removeEmptyStrings();
        written.sort (false);
        EXPECT_EQ (written.joinIntoString (" "), c.written);
        EXPECT_EQ (recentListOnDisk() + "|" + inspect().recentFiles().toString(), c.recent + "|" + c.recent);
    }
    TestHelpers::writeSnapshot (*window, "commands-after-new");
    readOnly.setReadOnly (false);
}

// Open Recent lists the ten newest files that still exist with ids 1 to 10 (gaps kept) and opens
// without asking; a file gone since the menu was built, and ids past the list, do nothing.
TEST_F (MainViewCommands, OpenRecentKeepsTheTenNewestFilesAndOpensWithoutAsking)
{
    juce::StringArray expected;
    for (int i = 0; i < 11; ++i)
    {
        const auto file = writeMappingsFile ("file" + juce::String (i) + ".mappings", i);
        Sequence open ({ { 1, file } });
        invoke (CommandIds::open);
        expected.insert (0, file.getFullPathName());
    }
    expected.removeRange (10, 1);
    EXPECT_EQ (recentListOnDisk(), expected.joinIntoString ("\n"));
    openWindow(); // a new view reads the list from the settings
    EXPECT_EQ (inspect().recentFiles().toString(), expected.joinIntoString ("\n"));

    juce::File (expected[2]).deleteFile();
    EXPECT_TRUE (describeMenu (view().getMenuForIndex (0, "File")).contains ("file10.mappings 1\nfile9.mappings 2\nfile7.mappings 4\n"));
    document().createInputMapping ("deck_unsaved");
    view().updateMappingList();
    TestHelpers::ModalEnder menu (10, nullptr, "commands-file-menu");
    dynamic_cast<juce::MenuBarComponent*> (window->getMenuBarComponent())->showMenu (0);
    ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return menu.hasEnded(); }));
    TestHelpers::ModalEnder question (0); // a question would be cancelled
    TestHelpers::pumpMessages (200);
    EXPECT_FALSE (question.hasEnded());
    EXPECT_EQ (juce::String (numRows()) + " " + window->getName(), "1 file1.mappings");
    EXPECT_EQ (recentListOnDisk(), expected.joinIntoString ("\n"));

    juce::File (expected[8]).deleteFile();
    for (int id : { 9, (int) CommandIds::newDocument, 11, 0 })
        view().menuItemSelected (id, 0);
    EXPECT_EQ (juce::String (numRows()) + " " + window->getName(), "1 file1.mappings");
}
