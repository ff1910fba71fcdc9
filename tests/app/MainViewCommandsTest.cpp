#include "app/EditorViewInspector.h"
#include "app/MainViewCommandsFixture.h"

// The main view's commands, menus and keys, and its files through the real dialogs, recent list and title.

using MainViewCommands = MainViewCommandsFixture;
using CommandTestHelpers::answering;

namespace
{
    constexpr int ctrl = juce::ModifierKeys::ctrlModifier, shift = juce::ModifierKeys::shiftModifier;

    /** One line per menu item: text, id, keys, description and category, "[off]" when greyed. */
    juce::String describeMenu (const juce::PopupMenu& menu)
    {
        juce::String lines;
        for (juce::PopupMenu::MenuItemIterator it (menu, true); it.next();)
        {
            auto& item = it.getItem();
            lines << (item.isSeparator ? "\n---" : "\n" + item.text + " " + juce::String (item.itemID));
            for (auto& key : commandManager->getKeyMappings()->getKeyPressesAssignedToCommand (item.itemID))
                lines << " " << key.getTextDescription();
            if (auto* info = commandManager->getCommandForID (item.itemID))
                lines << ": " << info->description << " (" << info->categoryName << ")";
            lines << (item.isEnabled ? "" : " [off]");
        }
        return lines.substring (1);
    }
}

// "Add Ouput" leaves ctrl+O to "Open" where the command key is Ctrl; the menus follow the document at once.
TEST_F (MainViewCommands, MenusKeysAndOpenRecentReachTheirCommands)
{
    EXPECT_EQ (view().getMenuBarNames().joinIntoString (" ") + "\n" + describeMenu (view().getMenuForIndex (1, "Edit")),
               "File Edit\nCut 8211 ctrl + X: Cut Mapping (Edit)\nCopy 8212 ctrl + C: Copy Mapping (Edit)\nPast 8213 ctrl + V: Past Mapping (Edit)\nDelete 8214: Delete Mapping (Edit)\n---\n"
               "Add Input 8209 ctrl + I: Add Input Mapping (Edit)\nAdd Ouput 8210 ctrl + shift + O: Add Output Mapping (Edit)\n---\nEdit Controller Info 8208: Edit current Controller Info (General)\n"
               "Source Editor 8224 ctrl + E: Show Source Editor (General)\n---\nBug Reporter 8225 ctrl + B: Show Bug Reporter (General)");
    const juce::String fileMenu ("New 8192 ctrl + N: Create a new empty Mapping (File)\n---\nOpen Recent 0 [off]\nOpen 8195 ctrl + O: Open a Mapping (File)\n---\n"
                                 "Save 8193 ctrl + S: Save current Mapping to File (File)\nSave as 8194 ctrl + shift + S: Save current Mapping new File (File) [off]");
    EXPECT_EQ (describeMenu (view().getMenuForIndex (0, "File")), fileMenu);

    // Nine files listed, the second gone, ids kept. Open Recent opens without asking; other ids and a
    // file gone since the menu was built change nothing.
    for (int i = 1; i < 10; ++i)
        inspect().recentFiles().addFile (writeMappingsFile ("file" + juce::String (i) + ".mappings", i));
    folder.getChildFile ("file8.mappings").deleteFile();
    ASSERT_TRUE (document().loadFrom (folder.getChildFile ("file9.mappings")));
    EXPECT_EQ (describeMenu (view().getMenuForIndex (0, "File")), fileMenu.replace (" [off]", "").replace ("Open Recent 0", "Open Recent 0\nfile9.mappings 1\nfile7.mappings 3\nfile6.mappings 4\nfile5.mappings 5\nfile4.mappings 6\nfile3.mappings 7\nfile2.mappings 8\nfile1.mappings 9"));
    document().createInputMapping ("deck_unsaved");
    const auto pick = [this] (int id) { return answering ({}, [this, id] { view().menuItemSelected (id, 0); return true; }); };
    EXPECT_EQ (pick (9), "");
    EXPECT_EQ (pick (10) + pick (11) + pick (0) + pick (0x2000), ""); // in any order: none opens a file
    EXPECT_EQ (rowsAndTitle() + " " + document().getFilePath(), "1 file1.mappings " + folder.getChildFile ("file1.mappings").getFullPathName());
    folder.getChildFile ("file7.mappings").deleteFile();
    EXPECT_EQ (pick (3) + rowsAndTitle() + recentListOnDisk(), "1 file1.mappings");
    // The delete key acts at once; ctrl+B and ctrl+E show their overlay in front and hide it, the editor once its text is taken.
    inspect().table().selectRow (0);
    inspect().table().grabKeyboardFocus();
    EXPECT_TRUE (pressKey (juce::KeyPress::deleteKey) && view().getNumRows() == 0);
    const auto inFront = [this] (juce::Component& overlay) { return overlay.isVisible() && view().getIndexOfChildComponent (&overlay) == view().getNumChildComponents() - 1; };
    const auto behind = [this] (juce::Component& overlay) { return ! overlay.isVisible() && view().getIndexOfChildComponent (&overlay) == 0; };
    EXPECT_TRUE (pressKey ('B', ctrl) && inFront (inspect().bugReporter()));
    EXPECT_TRUE (pressKey ('B', ctrl) && behind (inspect().bugReporter()));
    EXPECT_TRUE (pressKey ('E', ctrl) && inFront (inspect().editorView()));
    const auto closeEditorWith = [this] (const juce::String& text) { EditorViewInspector (inspect().editorView()).codeDocument().replaceAllContent (text); return answering ({ { 1 } }, [this] { return pressKey ('E', ctrl); }); };
    EXPECT_TRUE (closeEditorWith ("<main/>").isNotEmpty() && inFront (inspect().editorView())); // refused: it stays
    EXPECT_TRUE (closeEditorWith (document().toXmlString().replace ("<input-mappings/>", "<input-mappings><mapping/></input-mappings>")).isNotEmpty() && behind (inspect().editorView()) && view().getNumRows() == 1);
    for (auto id : { 0, 0x1fff, 0x2004, 0x2017, 0x2022, 0x2031 })
        EXPECT_FALSE (view().perform (juce::ApplicationCommandTarget::InvocationInfo (id))) << id;
}

// Each row starts from the document the row before left ("keep"), or from a new one ("") or the named file
// given an unsaved mapping. A failed save is reported, and the command that asked stops with the changes kept.
// The state: rows, window title, document name, "*" when changed.
TEST_F (MainViewCommands, NewOpenSaveAndSaveAsAskAboutChangesReportFailuresAndRecordTheirFiles)
{
    const auto readOnly = writeMappingsFile ("read-only.mappings", 2), asked = folder.getChildFile ("asked.mappings"), other = writeMappingsFile ("other.mappings", 3),
               copy = folder.getChildFile ("copy.mappings"), refused = folder.getChildFile ("refused.mappings");
    ASSERT_TRUE (refused.replaceWithText ("<main><version/><controller kind=\"MIDI\"/></main>") && readOnly.setReadOnly (true));
    const auto one = readOnly.getFullPathName(), three = other.getFullPathName() + "\n" + asked.getFullPathName() + "\n" + one, four = copy.getFullPathName() + "\n" + three;
    const auto ask = [] (const char* name) { return "Do you want to save the changes you made in the document \"" + juce::String (name) + ".mappings\"?: Your changes will be lost you dont't save them."; };
    const juce::String save ("Save mappings file ..."), open ("Open mappings file ..."), error ("Error: The mappings could not be saved.\nThe file is read-only");

    const struct { const char* what; const char* from; int key, mods; std::vector<CommandTestHelpers::Step> answers; juce::String dialogs; const char* state; juce::String recent; } cases[] = {
        { "New, Cancel", "", 'N', ctrl, { { 0 } }, ask ("unnamed"), "1 Wirelace 0.8.62 unnamed.mappings *", "" },
        { "Open, Cancel shows no chooser", "", 'O', ctrl, { { 0 } }, ask ("unnamed"), "1 Wirelace 0.8.62 unnamed.mappings *", "" },
        { "Save as without a file does nothing", "keep", 'S', ctrl | shift, {}, "not handled", "1 Wirelace 0.8.62 unnamed.mappings *", "" },
        { "New, Don't Save", "kept.mappings", 'N', ctrl, { { 2 } }, ask ("kept"), "0 Wirelace 0.8.62 unnamed.mappings", "" },
        { "New, Save", "saved.mappings", 'N', ctrl, { { 1 } }, ask ("saved"), "0 Wirelace 0.8.62 unnamed.mappings", "" },
        { "New, Save, the chooser cancelled: New goes on", "", 'N', ctrl, { { 1 }, { 0 } }, ask ("unnamed") + " | " + save, "0 Wirelace 0.8.62 unnamed.mappings", "" },
        { "Save fails", "read-only.mappings", 'S', ctrl, { { 1 } }, error, "3 Wirelace 0.8.62 read-only.mappings *", "" },
        { "Save as fails", "keep", 'S', ctrl | shift, { { 1, readOnly }, { 1 } }, save + " | " + error, "3 Wirelace 0.8.62 read-only.mappings *", one },
        { "New, Save fails: New stops", "keep", 'N', ctrl, { { 1 }, { 1 } }, ask ("read-only") + " | " + error, "3 Wirelace 0.8.62 read-only.mappings *", one },
        { "Open, Save fails: Open stops", "keep", 'O', ctrl, { { 1 }, { 1 } }, ask ("read-only") + " | " + error, "3 Wirelace 0.8.62 read-only.mappings *", one },
        { "Save of a new document fails", "", 'S', ctrl, { { 1, readOnly }, { 1 } }, save + " | " + error, "1 Wirelace 0.8.62 unnamed.mappings *", one },
        { "New, Save as fails: New stops", "", 'N', ctrl, { { 1 }, { 1, readOnly }, { 1 } }, ask ("unnamed") + " | " + save + " | " + error, "1 Wirelace 0.8.62 unnamed.mappings *", one },
        { "Open, Save through the chooser, open", "", 'O', ctrl, { { 1 }, { 1, asked }, { 1, other } }, ask ("unnamed") + " | " + save + " | " + open, "3 other.mappings other.mappings", three },
        { "Open, unchanged", "keep", 'O', ctrl, { { 0 } }, open, "3 other.mappings other.mappings", three },
        { "Save as records at once, keeps the title", "keep", 'S', ctrl | shift, { { 1, copy } }, save, "3 other.mappings copy.mappings", four },
        { "Open of a refused file: kept mappings, nothing recorded", "keep", 'O', ctrl, { { 1, refused } }, open, "3 copy.mappings copy.mappings", four },
        { "New, unchanged", "keep", 'N', ctrl, {}, "", "0 copy.mappings unnamed.mappings", four },
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
        EXPECT_EQ (answering (c.answers, [&] { return pressKey (c.key, c.mods); }), c.dialogs);
        EXPECT_EQ (rowsAndTitle() + " " + document().getName() + (document().hasChangedSinceSaved() ? " *" : ""), c.state);
        EXPECT_EQ (recentListOnDisk() + "|" + inspect().recentFiles().toString(), c.recent + "|" + c.recent);
    }

    const auto holdsEdit = [this] (const char* name) { return folder.getChildFile (name).loadFileAsString().contains ("deck_unsaved"); };
    EXPECT_TRUE (holdsEdit ("saved.mappings") && holdsEdit ("asked.mappings") && ! holdsEdit ("kept.mappings") && ! holdsEdit ("read-only.mappings"));
    MainViewComponent next; // reads the list from the settings
    EXPECT_EQ (MainViewInspector (next).recentFiles().toString(), four);
}
