#include "app/MainViewCommandsFixture.h"

// The main view's command table, its menus and the commands that need no file: what the
// command manager learns from the view, what the menus show, and what the keys do.

namespace
{
    constexpr int command = juce::ModifierKeys::commandModifier;
    constexpr int ctrl = juce::ModifierKeys::ctrlModifier;
    constexpr int shift = juce::ModifierKeys::shiftModifier;

    /** One line per menu item: its text and id, "[off]" when greyed, "---" for a separator. */
    juce::String describeMenu (const juce::PopupMenu& menu)
    {
        juce::StringArray lines;
        for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        {
            auto& item = it.getItem();
            lines.add (item.isSeparator ? juce::String ("---")
                                        : item.text + " " + juce::String (item.itemID) + (item.isEnabled ? "" : " [off]")
                                              + (item.subMenu != nullptr ? " >" : ""));
        }
        return lines.joinIntoString ("\n");
    }
}

//==============================================================================
// In the order getAllCommands lists them. "Add Ouput" leaves ctrl+O to "Open" where the command
// key is Ctrl (here) and takes ctrl+shift+O.
TEST_F (MainViewCommandsFixture, ListsAndDescribesTheFourteenCommandsWithTheirKeys)
{
    const std::tuple<juce::CommandID, const char*, const char*, const char*, juce::Array<juce::KeyPress>> table[] = {
        { 0x2000, "New", "Create a new empty Mapping", "File", { juce::KeyPress ('N', command, 0) } },
        { 0x2001, "Save", "Save current Mapping to File", "File", { juce::KeyPress ('S', command, 0) } },
        { 0x2002, "Save as", "Save current Mapping new File", "File", { juce::KeyPress ('S', command | shift, 0) } },
        { 0x2003, "Open", "Open a Mapping", "File", { juce::KeyPress ('O', command, 0) } },
        { 0x2010, "Edit Controller Info", "Edit current Controller Info", "General", {} },
        { 0x2011, "Add Input", "Add Input Mapping", "Edit", { juce::KeyPress ('I', ctrl, 0) } },
        { 0x2012, "Add Ouput", "Add Output Mapping", "Edit", { juce::KeyPress ('O', ctrl | shift, 0) } },
        { 0x2020, "Source Editor", "Show Source Editor", "General", { juce::KeyPress ('E', ctrl, 0) } },
        { 0x2021, "Bug Reporter", "Show Bug Reporter", "General", { juce::KeyPress ('B', ctrl, 0) } },
        { 0x2030, "Update View", "Update Mapping View", "View", {} },
        { 0x2013, "Cut", "Cut Mapping", "Edit", { juce::KeyPress ('X', command, 0) } },
        { 0x2014, "Copy", "Copy Mapping", "Edit", { juce::KeyPress ('C', command, 0) } },
        { 0x2015, "Past", "Past Mapping", "Edit", { juce::KeyPress ('V', command, 0) } },
        { 0x2016, "Delete", "Delete Mapping", "Edit", {} },
    };

    juce::Array<juce::CommandID> commands;
    view().getAllCommands (commands);
    ASSERT_EQ (commands.size(), 14);
    auto* keys = commandManager->getKeyMappings();

    for (int i = 0; i < 14; ++i)
    {
        auto& [id, shortName, description, category, defaultKeys] = table[i];
        SCOPED_TRACE (shortName);
        EXPECT_EQ (commands[i], id);

        juce::ApplicationCommandInfo info (id);
        view().getCommandInfo (id, info);
        EXPECT_EQ (info.shortName, shortName);
        EXPECT_EQ (info.description, description);
        EXPECT_EQ (info.categoryName, category);
        EXPECT_EQ (info.defaultKeypresses, defaultKeys);
        EXPECT_EQ (info.flags, id == 0x2002 ? juce::ApplicationCommandInfo::isDisabled : 0); // no file yet

        // The window registered them; each key belongs to this command alone.
        ASSERT_NE (commandManager->getCommandForID (id), nullptr);
        for (auto& key : defaultKeys)
            EXPECT_EQ (keys->findCommandForKeyPress (key), id);
    }

    juce::ApplicationCommandInfo untouched (0x2017);
    view().getCommandInfo (0x2017, untouched);
    EXPECT_TRUE (untouched.shortName.isEmpty() && untouched.defaultKeypresses.isEmpty());

    // Pressing ctrl+O shows the open chooser (cancelled here).
    TestHelpers::ModalEnder ender (0, nullptr, "commands-ctrl-o-open-chooser");
    EXPECT_TRUE (pressKey (juce::KeyPress ('O', ctrl, 0)));
    EXPECT_EQ (ender.getEndedComponentName(), "Open mappings file ...");
    EXPECT_EQ (title(), "Wirelace 0.8.62");
}

// The menus are built afresh on every call, so "Save as" and "Open Recent" follow the document
// and the list at once (JUCE greys a submenu without items).
TEST_F (MainViewCommandsFixture, MenuBarHasFileAndEditMenusWithSaveAsGreyedUntilTheDocumentHasAFile)
{
    EXPECT_EQ (view().getMenuBarNames(), juce::StringArray ("File", "Edit"));
    EXPECT_EQ (describeMenu (view().getMenuForIndex (1, "Edit")),
               "Cut 8211\nCopy 8212\nPast 8213\nDelete 8214\n---\nAdd Input 8209\nAdd Ouput 8210\n---\n"
               "Edit Controller Info 8208\nSource Editor 8224\n---\nBug Reporter 8225");
    EXPECT_EQ (view().getMenuForIndex (2, "Help").getNumItems(), 0);

    const juce::String greyed ("New 8192\n---\nOpen Recent 0 [off] >\nOpen 8195\n---\nSave 8193\nSave as 8194 [off]");
    EXPECT_EQ (describeMenu (view().getMenuForIndex (0, "File")), greyed);

    const auto file = writeMappingsFile ("greyed.mappings", 1);
    ASSERT_TRUE (document().loadFrom (file));
    inspect().recentFiles().addFile (file);
    EXPECT_EQ (describeMenu (view().getMenuForIndex (0, "File")), greyed.replace (" [off]", ""));

    // A document taken from text has no file again.
    document().loadFromXmlText (document().toXmlString());
    EXPECT_TRUE (describeMenu (view().getMenuForIndex (0, "File")).endsWith ("Save as 8194 [off]"));
}

TEST_F (MainViewCommandsFixture, SaveAsKeyDoesNothingForANewDocumentWhileSaveKeyAsksForAFile)
{
    {
        TestHelpers::ModalEnder nothingExpected (0);
        EXPECT_FALSE (pressKey (juce::KeyPress ('S', command | shift, 0)));
        EXPECT_FALSE (invoke (CommandIds::saveAs));
        TestHelpers::pumpMessages (100);
        EXPECT_FALSE (nothingExpected.hasEnded());
    }

    const auto target = folder.getChildFile ("by-save-key.mappings");
    TestHelpers::ModalEnder saveChooser (1, CommandTestHelpers::chooseFile (target), "commands-save-chooser");
    EXPECT_TRUE (pressKey (juce::KeyPress ('S', command, 0)));
    EXPECT_EQ (saveChooser.getEndedComponentName(), "Save mappings file ...");
    EXPECT_EQ (document().getFilePath(), target.getFullPathName());
    EXPECT_TRUE (target.existsAsFile());

    TestHelpers::ModalEnder saveAsChooser (0); // now that the document has a file
    EXPECT_TRUE (pressKey (juce::KeyPress ('S', command | shift, 0)));
    EXPECT_EQ (saveAsChooser.getEndedComponentName(), "Save mappings file ...");
}

TEST_F (MainViewCommandsFixture, DeleteKeyOfTheTableDeletesTheSelectedMappingsAtOnce)
{
    for (auto name : { "deck_a", "deck_b", "deck_c" })
        document().createInputMapping (name);
    view().updateMappingList();

    inspect().table().selectRow (1);
    inspect().table().grabKeyboardFocus();
    EXPECT_TRUE (pressKey (juce::KeyPress (juce::KeyPress::deleteKey)));

    // Performed before the key press returns: no message loop has run in between.
    EXPECT_EQ (numRows(), 2);
    EXPECT_EQ (MainViewTestData::inputList (document()).getNumChildren(), 2);
}

TEST_F (MainViewCommandsFixture, BugReporterCommandAndKeyShowThenHideTheReporter)
{
    auto& reporter = inspect().bugReporter();

    EXPECT_TRUE (invoke (CommandIds::bugReporter));
    EXPECT_TRUE (reporter.isVisible());
    EXPECT_EQ (view().getIndexOfChildComponent (&reporter), view().getNumChildComponents() - 1);
    TestHelpers::writeSnapshot (*window, "commands-bug-reporter-shown");

    EXPECT_TRUE (invoke (CommandIds::bugReporter));
    EXPECT_FALSE (reporter.isVisible());
    EXPECT_EQ (view().getIndexOfChildComponent (&reporter), 0);

    EXPECT_TRUE (pressKey (juce::KeyPress ('B', ctrl, 0)));
    EXPECT_TRUE (reporter.isVisible());
}

TEST_F (MainViewCommandsFixture, PerformRefusesAnUnknownCommandAndChangesNothing)
{
    document().createInputMapping ("deck_a");
    view().updateMappingList();
    TestHelpers::ModalEnder nothingExpected (0);

    for (auto id : { 0, 0x1001, 0x1fff, 0x2004, 0x2017, 0x2022, 0x2031 })
        EXPECT_FALSE (view().perform (juce::ApplicationCommandTarget::InvocationInfo (id))) << id;

    TestHelpers::pumpMessages (100);
    EXPECT_FALSE (nothingExpected.hasEnded());
    EXPECT_EQ (numRows(), 1);
    EXPECT_TRUE (document().hasChangedSinceSaved());
    EXPECT_FALSE (inspect().bugReporter().isVisible());

    // The known commands that need no dialog report success.
    for (auto id : { CommandIds::updateView, CommandIds::editControllerInfo })
        EXPECT_TRUE (view().perform (juce::ApplicationCommandTarget::InvocationInfo (id)));
}
