#include "app/MainViewCommandsFixture.h"

// The main view's command table, its menus and the commands that need no file: what the
// command manager learns from the view, what the menus show, and what the keys do.

namespace
{
    using Ids = juce::Array<juce::CommandID>;

    constexpr int command = juce::ModifierKeys::commandModifier;
    constexpr int ctrl = juce::ModifierKeys::ctrlModifier;
    constexpr int shift = juce::ModifierKeys::shiftModifier;

    /** One line per menu item: its text and id, "[off]" when greyed, "---" for a separator. */
    juce::StringArray describeMenuLines (const juce::PopupMenu& menu)
    {
        juce::StringArray lines;

        for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        {
            auto& item = it.getItem();

            if (item.isSeparator)
                lines.add ("---");
            else
                lines.add (item.text + " " + juce::String (item.itemID) + (item.isEnabled ? "" : " [off]")
                           + (item.subMenu != nullptr ? " >" : ""));
        }

        return lines;
    }

    std::string describeMenu (const juce::PopupMenu& menu)
    {
        return describeMenuLines (menu).joinIntoString ("\n").toStdString();
    }

    /** Records the commands that the command manager invokes, as they are invoked. */
    struct InvocationRecorder : public juce::ApplicationCommandManagerListener
    {
        void applicationCommandInvoked (const juce::ApplicationCommandTarget::InvocationInfo& info) override
        {
            invoked.add (info.commandID);
        }

        void applicationCommandListChanged() override {}

        Ids invoked;
    };
}

//==============================================================================
TEST_F (MainViewCommandsFixture, ListsTheFourteenCommandsInMenuGroupOrder)
{
    Ids commands;
    view().getAllCommands (commands);

    EXPECT_EQ (commands, Ids ({ 0x2000, 0x2001, 0x2002, 0x2003, 0x2010, 0x2011, 0x2012,
                                0x2020, 0x2021, 0x2030, 0x2013, 0x2014, 0x2015, 0x2016 }));
}

TEST_F (MainViewCommandsFixture, DescribesEveryCommandWithItsNamesCategoryAndDefaultKey)
{
    struct Expected
    {
        juce::CommandID id;
        const char* shortName;
        const char* description;
        const char* category;
        juce::Array<juce::KeyPress> keys;
    };

    // "Add Ouput" leaves ctrl+O to "Open" where the command key is Ctrl (here) and takes ctrl+shift+O.
    const Expected table[] =
    {
        { 0x2000, "New", "Create a new empty Mapping", "File", { juce::KeyPress ('N', command, 0) } },
        { 0x2001, "Save", "Save current Mapping to File", "File", { juce::KeyPress ('S', command, 0) } },
        { 0x2002, "Save as", "Save current Mapping new File", "File", { juce::KeyPress ('S', command | shift, 0) } },
        { 0x2003, "Open", "Open a Mapping", "File", { juce::KeyPress ('O', command, 0) } },
        { 0x2010, "Edit Controller Info", "Edit current Controller Info", "General", {} },
        { 0x2011, "Add Input", "Add Input Mapping", "Edit", { juce::KeyPress ('I', ctrl, 0) } },
        { 0x2012, "Add Ouput", "Add Output Mapping", "Edit", { juce::KeyPress ('O', ctrl | shift, 0) } },
        { 0x2013, "Cut", "Cut Mapping", "Edit", { juce::KeyPress ('X', command, 0) } },
        { 0x2014, "Copy", "Copy Mapping", "Edit", { juce::KeyPress ('C', command, 0) } },
        { 0x2015, "Past", "Past Mapping", "Edit", { juce::KeyPress ('V', command, 0) } },
        { 0x2016, "Delete", "Delete Mapping", "Edit", {} },
        { 0x2020, "Source Editor", "Show Source Editor", "General", { juce::KeyPress ('E', ctrl, 0) } },
        { 0x2021, "Bug Reporter", "Show Bug Reporter", "General", { juce::KeyPress ('B', ctrl, 0) } },
        { 0x2030, "Update View", "Update Mapping View", "View", {} },
    };

    for (auto& expected : table)
    {
        SCOPED_TRACE (expected.shortName);
        juce::ApplicationCommandInfo info (expected.id);
        view().getCommandInfo (expected.id, info);

        EXPECT_EQ (info.shortName, expected.shortName);
        EXPECT_EQ (info.description, expected.description);
        EXPECT_EQ (info.categoryName, expected.category);
        EXPECT_EQ (info.defaultKeypresses, expected.keys);

        // Only "Save as" is ever greyed, and only while the document has no file.
        EXPECT_EQ (info.flags, expected.id == 0x2002 ? juce::ApplicationCommandInfo::isDisabled : 0);

        // The window registered the same information with the command manager.
        auto* registered = commandManager->getCommandForID (expected.id);
        ASSERT_NE (registered, nullptr);
        EXPECT_EQ (registered->shortName, expected.shortName);
    }

    juce::ApplicationCommandInfo untouched (0x2017);
    view().getCommandInfo (0x2017, untouched);
    EXPECT_TRUE (untouched.shortName.isEmpty());
    EXPECT_TRUE (untouched.defaultKeypresses.isEmpty());
}

TEST_F (MainViewCommandsFixture, CtrlOOpensAndCtrlShiftOAddsAnOutput)
{
    auto* keys = commandManager->getKeyMappings();
    EXPECT_EQ (keys->findCommandForKeyPress (juce::KeyPress ('O', ctrl, 0)), CommandIds::open);
    EXPECT_EQ (keys->findCommandForKeyPress (juce::KeyPress ('O', ctrl | shift, 0)), CommandIds::addOutput);
    EXPECT_EQ (keys->getKeyPressesAssignedToCommand (CommandIds::open).size(), 1);

    // Every default key belongs to one command only.
    juce::Array<juce::KeyPress> seen;

    for (auto id : { 0x2000, 0x2001, 0x2002, 0x2003, 0x2011, 0x2012, 0x2013, 0x2014, 0x2015, 0x2020, 0x2021 })
        for (auto& key : keys->getKeyPressesAssignedToCommand (id))
        {
            EXPECT_FALSE (seen.contains (key)) << key.getTextDescription();
            seen.add (key);
        }

    // Pressing ctrl+O shows the open chooser (cancelled here).
    TestHelpers::ModalEnder ender (0, nullptr, "commands-ctrl-o-open-chooser");
    EXPECT_TRUE (pressKey (juce::KeyPress ('O', ctrl, 0)));
    EXPECT_TRUE (ender.hasEnded());
    EXPECT_EQ (ender.getEndedComponentName(), "Open mappings file ...");
    EXPECT_EQ (title(), "Wirelace 0.8.62");
}

TEST_F (MainViewCommandsFixture, MenuBarHasFileAndEditMenus)
{
    EXPECT_EQ (view().getMenuBarNames(), juce::StringArray ("File", "Edit"));

    EXPECT_EQ (describeMenu (view().getMenuForIndex (1, "Edit")),
               "Cut 8211\nCopy 8212\nPast 8213\nDelete 8214\n---\n"
               "Add Input 8209\nAdd Ouput 8210\n---\n"
               "Edit Controller Info 8208\nSource Editor 8224\n---\n"
               "Bug Reporter 8225");

    EXPECT_EQ (view().getMenuForIndex (2, "Help").getNumItems(), 0);
    EXPECT_EQ (view().getMenuForIndex (-1, {}).getNumItems(), 0);
}

TEST_F (MainViewCommandsFixture, FileMenuGreysSaveAsUntilTheDocumentHasAFile)
{
    // JUCE greys a submenu without items: the recent list is empty.
    EXPECT_EQ (describeMenu (view().getMenuForIndex (0, "File")),
               "New 8192\n---\nOpen Recent 0 [off] >\nOpen 8195\n---\nSave 8193\nSave as 8194 [off]");

    const auto file = writeMappingsFile ("greyed.mappings", 1);
    ASSERT_TRUE (document().loadFrom (file));
    inspect().recentFiles().addFile (file);

    // The menu is built afresh on every call, so it follows the document and the list at once.
    EXPECT_EQ (describeMenu (view().getMenuForIndex (0, "File")),
               "New 8192\n---\nOpen Recent 0 >\nOpen 8195\n---\nSave 8193\nSave as 8194");

    // A document taken from text has no file again.
    document().loadFromXmlText (document().toXmlString());
    EXPECT_EQ (describeMenuLines (view().getMenuForIndex (0, "File"))[6], "Save as 8194 [off]");
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

    EXPECT_TRUE (saveChooser.hasEnded());
    EXPECT_EQ (saveChooser.getEndedComponentName(), "Save mappings file ...");
    EXPECT_TRUE (target.existsAsFile());
    EXPECT_EQ (document().getFilePath(), target.getFullPathName());

    // Now that the document has a file, the Save as key shows the chooser.
    TestHelpers::ModalEnder saveAsChooser (0);
    EXPECT_TRUE (pressKey (juce::KeyPress ('S', command | shift, 0)));
    EXPECT_TRUE (saveAsChooser.hasEnded());
    EXPECT_EQ (saveAsChooser.getEndedComponentName(), "Save mappings file ...");
}

TEST_F (MainViewCommandsFixture, DeleteKeyOfTheTableDeletesTheSelectedMappingsAtOnce)
{
    document().createInputMapping ("deck_a");
    document().createInputMapping ("deck_b");
    document().createInputMapping ("deck_c");
    view().updateMappingList();
    ASSERT_EQ (numRows(), 3);

    InvocationRecorder recorder;
    commandManager->addListener (&recorder);

    auto& table = inspect().table();
    table.selectRow (1);
    table.grabKeyboardFocus();
    EXPECT_TRUE (pressKey (juce::KeyPress (juce::KeyPress::deleteKey)));

    // Performed before the key press returns: no message loop has run in between.
    EXPECT_EQ (recorder.invoked, Ids ({ CommandIds::deleteMappings }));
    EXPECT_EQ (numRows(), 2);
    EXPECT_EQ (MainViewTestData::inputList (document()).getNumChildren(), 2);

    commandManager->removeListener (&recorder);
}

TEST_F (MainViewCommandsFixture, BugReporterCommandShowsThenHidesTheReporter)
{
    auto& reporter = inspect().bugReporter();
    ASSERT_FALSE (reporter.isVisible());

    EXPECT_TRUE (invoke (CommandIds::bugReporter));
    EXPECT_TRUE (reporter.isVisible());
    EXPECT_EQ (view().getIndexOfChildComponent (&reporter), view().getNumChildComponents() - 1);
    TestHelpers::writeSnapshot (*window, "commands-bug-reporter-shown");

    EXPECT_TRUE (invoke (CommandIds::bugReporter));
    EXPECT_FALSE (reporter.isVisible());
    EXPECT_EQ (view().getIndexOfChildComponent (&reporter), 0);

    // Its key does the same.
    EXPECT_TRUE (pressKey (juce::KeyPress ('B', ctrl, 0)));
    EXPECT_TRUE (reporter.isVisible());
}

TEST_F (MainViewCommandsFixture, PerformRefusesAnUnknownCommandAndChangesNothing)
{
    document().createInputMapping ("deck_a");
    view().updateMappingList();

    TestHelpers::ModalEnder nothingExpected (0);

    for (auto id : { 0, 0x1001, 0x1fff, 0x2004, 0x2017, 0x2022, 0x2031 })
    {
        EXPECT_FALSE (view().perform (juce::ApplicationCommandTarget::InvocationInfo (id))) << id;
    }

    TestHelpers::pumpMessages (100);
    EXPECT_FALSE (nothingExpected.hasEnded());
    EXPECT_EQ (numRows(), 1);
    EXPECT_TRUE (document().hasChangedSinceSaved());
    EXPECT_FALSE (inspect().bugReporter().isVisible());
    EXPECT_EQ (title(), "Wirelace 0.8.62");

    // The known commands that need no dialog report success.
    EXPECT_TRUE (view().perform (juce::ApplicationCommandTarget::InvocationInfo (CommandIds::updateView)));
    EXPECT_TRUE (view().perform (juce::ApplicationCommandTarget::InvocationInfo (CommandIds::editControllerInfo)));
}
