#include "app/MainViewCommandsFixture.h"
#include "panels/ControllerInfoComponent.h"

// New, Open, Open Recent, Save and Save as through the real question box, file choosers and
// menu; the recent-files list in the settings file; and the window title.

namespace
{
    using Step = CommandTestHelpers::ModalSequence::Step;

    /** One step of a dialog series: end the next modal component with result, choosing file first. */
    Step answer (int result, const juce::File& file = {})
    {
        return { result, file == juce::File() ? nullptr : CommandTestHelpers::chooseFile (file) };
    }

    juce::String question (const juce::String& documentName)
    {
        return "Do you want to save the changes you made in the document \"" + documentName + "\"?";
    }

    const juce::String saveChooser ("Save mappings file ..."), openChooser ("Open mappings file ..."), mainTitle ("Wirelace 0.8.62");
    const juce::String unnamed ("unnamed.mappings");
}

//==============================================================================
// Each row starts from a document: "keep" the one the row before left, "" a new one with an
// unsaved mapping, or one opened from that file and then given an unsaved mapping.
TEST_F (MainViewCommandsFixture, NewOpenAndSaveAsFollowTheQuestionTheChoosersAndTheRecentList)
{
    const auto asked = folder.getChildFile ("asked.mappings"), other = writeMappingsFile ("other.mappings", 3),
               opened = writeMappingsFile ("opened.mappings", 4), copy = folder.getChildFile ("copy.mappings"),
               refused = folder.getChildFile ("refused.mappings");
    ASSERT_TRUE (refused.replaceWithText ("<main><version/><controller kind=\"MIDI\"/></main>"));
    const juce::StringArray recentAfterSaveAs (copy.getFullPathName(), opened.getFullPathName(), other.getFullPathName(), asked.getFullPathName());

    const struct
    {
        const char* what;
        const char* from;
        juce::CommandID command;
        std::vector<Step> answers;
        juce::StringArray dialogs;
        int rows;
        juce::String name, title;
        bool changed;
        const char* fileWithEdit; // the file the unsaved mapping was (or was not) written to
        bool written;
        juce::StringArray recent;
    } cases[] = {
        { "New, Cancel", "", CommandIds::newDocument, { answer (0) }, { question (unnamed) }, 1, unnamed, mainTitle, true, nullptr, false, {} },
        { "Open, Cancel shows no chooser", "", CommandIds::open, { answer (0), answer (0) }, { question (unnamed) }, 1, unnamed, mainTitle, true, nullptr, false, {} },
        { "New, Don't Save", "kept.mappings", CommandIds::newDocument, { answer (2) }, { question ("kept.mappings") }, 0, unnamed, mainTitle, false,
          "kept.mappings", false, {} },
        { "New, Save to the known file", "saved.mappings", CommandIds::newDocument, { answer (1) }, { question ("saved.mappings") }, 0, unnamed,
          mainTitle, false, "saved.mappings", true, {} },
        { "New, Save, the chooser cancelled: New goes on", "", CommandIds::newDocument, { answer (1), answer (0) }, { question (unnamed), saveChooser },
          0, unnamed, mainTitle, false, nullptr, false, {} },
        { "Open, Save through the chooser, then open", "", CommandIds::open, { answer (1), answer (1, asked), answer (1, other) },
          { question (unnamed), saveChooser, openChooser }, 3, "other.mappings", "other.mappings", false, "asked.mappings", true,
          { other.getFullPathName(), asked.getFullPathName() } },
        { "Open, Don't Save, then open", "", CommandIds::open, { answer (2), answer (1, opened) }, { question (unnamed), openChooser }, 4,
          "opened.mappings", "opened.mappings", false, nullptr, false, { opened.getFullPathName(), other.getFullPathName(), asked.getFullPathName() } },
        { "Open of an unchanged document, the chooser cancelled", "keep", CommandIds::open, { answer (0) }, { openChooser }, 4, "opened.mappings",
          "opened.mappings", false, nullptr, false, { opened.getFullPathName(), other.getFullPathName(), asked.getFullPathName() } },
        { "Save as records the file at once, not when the settings' timer fires, and keeps the title", "keep", CommandIds::saveAs,
          { answer (1, copy) }, { saveChooser }, 4, "copy.mappings", "opened.mappings", false, nullptr, false, recentAfterSaveAs },
        { "a refused file keeps the mappings and is not recorded", "keep", CommandIds::open, { answer (1, refused) }, { openChooser }, 4,
          "copy.mappings", "copy.mappings", false, nullptr, false, recentAfterSaveAs },
        { "New of an unchanged document asks nothing", "keep", CommandIds::newDocument, { answer (0) }, {}, 0, unnamed, "copy.mappings", false,
          nullptr, false, recentAfterSaveAs },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);

        if (juce::String (c.from) != "keep")
        {
            if (juce::String (c.from).isEmpty())
                document().newDocument();
            else
                ASSERT_TRUE (document().loadFrom (writeMappingsFile (c.from, 0)));

            document().createInputMapping ("deck_unsaved");
            view().updateMappingList();
        }

        CommandTestHelpers::ModalSequence dialogs (c.answers);
        EXPECT_TRUE (invoke (c.command));
        TestHelpers::pumpMessages (100);

        EXPECT_EQ (dialogs.getEndedNames(), c.dialogs);
        if (c.dialogs[0].startsWith ("Do you want"))
        {
            EXPECT_EQ (dialogs.getStep (0)->getAlertTexts(), juce::StringArray (c.dialogs[0], "Your changes will be lost you dont't save them."));
            EXPECT_EQ (dialogs.getStep (0)->getAlertButtons(), juce::StringArray ("Save", "Don't Save", "Cancel"));
        }

        EXPECT_EQ (numRows(), c.rows);
        EXPECT_EQ (document().getName(), c.name);
        EXPECT_EQ (title(), c.title);
        EXPECT_EQ (document().hasChangedSinceSaved(), c.changed);
        EXPECT_TRUE (c.fileWithEdit == nullptr || folder.getChildFile (c.fileWithEdit).loadFileAsString().contains ("deck_unsaved") == c.written);
        EXPECT_EQ (recentListOnDisk(), c.recent);
        EXPECT_EQ (inspect().recentFiles().toString(), c.recent.joinIntoString ("\n"));
        EXPECT_NE (dynamic_cast<ControllerInfoComponent*> (inspect().rightPanel()), nullptr);
    }

    TestHelpers::writeSnapshot (*window, "commands-after-new");
}

TEST_F (MainViewCommandsFixture, RecentListKeepsTheTenNewestFirstAndIsRestoredByTheNextView)
{
    juce::Array<juce::File> files;

    for (int i = 0; i < 13; ++i)
    {
        // The thirteenth open reopens a listed file, which moves it to the front.
        files.add (i < 12 ? writeMappingsFile ("file" + juce::String (i) + ".mappings", 1) : files[5]);
        CommandTestHelpers::ModalSequence open ({ answer (1, files.getLast()) });
        invoke (CommandIds::open);
    }

    juce::StringArray expected { files[5].getFullPathName() };
    for (int i = 11; expected.size() < 10; --i)
        if (i != 5)
            expected.add (files[i].getFullPathName());

    EXPECT_EQ (recentListOnDisk(), expected);

    // A new window's view restores the list from the settings.
    commandManager->setFirstCommandTarget (nullptr);
    window.reset();
    window = std::make_unique<WirelaceApplication::MainWindow>();
    commandManager->setFirstCommandTarget (window->getMainView());
    EXPECT_EQ (inspect().recentFiles().toString(), expected.joinIntoString ("\n"));
}

//==============================================================================
class OpenRecentTest : public MainViewCommandsFixture
{
protected:
    /** Puts files of 1, 2, 3 ... mappings into the recent list, the first one newest. */
    juce::Array<juce::File> listRecentFiles (const juce::StringArray& names)
    {
        juce::Array<juce::File> files;
        inspect().recentFiles().clear();

        for (int i = names.size(); --i >= 0;)
        {
            files.insert (0, names[i] == "gone" ? folder.getChildFile ("gone.mappings") : writeMappingsFile (names[i], i + 1));
            inspect().recentFiles().addFile (files[0]);
        }

        return files;
    }

    /** Opens the window's File menu as a click on it would and picks the item with that id. */
    void pickFromFileMenu (int itemId)
    {
        auto* menuBar = dynamic_cast<juce::MenuBarComponent*> (window->getMenuBarComponent());
        ASSERT_NE (menuBar, nullptr);

        TestHelpers::ModalEnder menu (itemId, nullptr, "commands-file-menu");
        menuBar->showMenu (0);
        ASSERT_TRUE (TestHelpers::pumpUntil ([&] { return menu.hasEnded(); }));

        // Any question that the pick raised would be answered with Cancel and show up here.
        TestHelpers::ModalEnder question (0);
        TestHelpers::pumpMessages (200);
        EXPECT_FALSE (question.hasEnded()) << question.getEndedComponentName();
    }
};

TEST_F (OpenRecentTest, ListsExistingFilesOnlyAndKeepsTheirIds)
{
    listRecentFiles ({ "a.mappings", "gone", "c.mappings" });
    const juce::PopupMenu* recentMenu = nullptr;
    const auto fileMenu = view().getMenuForIndex (0, "File");

    for (juce::PopupMenu::MenuItemIterator it (fileMenu); it.next();)
        if (it.getItem().text == "Open Recent")
            recentMenu = it.getItem().subMenu.get();

    ASSERT_NE (recentMenu, nullptr);
    juce::StringArray items;
    for (juce::PopupMenu::MenuItemIterator it (*recentMenu); it.next();)
        items.add (juce::String (it.getItem().itemID) + " " + it.getItem().text);

    EXPECT_EQ (items, juce::StringArray ("1 a.mappings", "3 c.mappings"));
}

TEST_F (OpenRecentTest, PickingTheTenthEntryLoadsItWithoutAskingAndLeavesTheListAlone)
{
    juce::StringArray names;
    for (int i = 0; i < 10; ++i)
        names.add ("recent" + juce::String (i) + ".mappings");
    const auto files = listRecentFiles (names);

    document().createInputMapping ("unsaved");
    view().updateMappingList();
    pickFromFileMenu (10);

    EXPECT_EQ (title(), "recent9.mappings");
    EXPECT_EQ (numRows(), 10);
    EXPECT_EQ (document().getFilePath(), files[9].getFullPathName());
    EXPECT_EQ (inspect().recentFiles().getFile (0), files[0]);
    EXPECT_TRUE (recentListOnDisk().isEmpty());
}

TEST_F (OpenRecentTest, AVanishedFileKeepsTheMappingsAndIdsOutsideTheListAreIgnored)
{
    const auto files = listRecentFiles ({ "a.mappings", "b.mappings", "c.mappings" });
    pickFromFileMenu (3);
    ASSERT_EQ (numRows(), 3);

    // The file goes after the menu was built: the document keeps its mappings and name.
    files[1].deleteFile();

    // A vanished file, command ids and ids past the list do nothing here.
    for (int id : { 2, (int) CommandIds::newDocument, 4, 11, 0 })
    {
        view().menuItemSelected (id, 0);
        EXPECT_EQ (numRows(), 3) << id;
        EXPECT_EQ (title(), "c.mappings") << id;
    }
}

// A save that fails is reported in an alert titled "Error" with the reason, from the menu's
// Save and Save as and from the question's Save; there the command that asked stops, and the
// document keeps its changes (and a new document records no file in the recent list).
TEST_F (MainViewCommandsFixture, FailedSaveIsReportedAndStopsTheCommandThatAsked)
{
    const struct
    {
        const char* what;
        bool documentHasFile;
        juce::CommandID command;
        bool questionFirst; // the question comes first and is answered Save
        bool chooserFirst;  // the save chooser comes before the alert
    } cases[] = {
        { "menu Save", true, CommandIds::save, false, false },
        { "menu Save as", true, CommandIds::saveAs, false, true },
        { "menu Save of a new document", false, CommandIds::save, false, true },
        { "Save in the question of New", true, CommandIds::newDocument, true, false },
        { "Save in the question of Open", true, CommandIds::open, true, false },
        { "Save as in the question of New", false, CommandIds::newDocument, true, true },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        const auto readOnly = writeMappingsFile (juce::String ("read-only ") + c.what + ".mappings", 2);
        const auto oldText = readOnly.loadFileAsString();
        ASSERT_TRUE (readOnly.setReadOnly (true));

        if (c.documentHasFile)
            ASSERT_TRUE (document().loadFrom (readOnly));
        else
            document().newDocument();

        document().createInputMapping ("deck_unsaved");
        view().updateMappingList();
        const auto rows = numRows();
        const auto path = document().getFilePath();
        const auto recentBefore = inspect().recentFiles().toString();

        std::vector<Step> steps;
        if (c.questionFirst)
            steps.push_back (answer (1));
        if (c.chooserFirst)
            steps.push_back (answer (1, readOnly));
        steps.push_back ({ 1, [] (juce::Component& alert) { TestHelpers::writeSnapshot (alert, "save_error_alert"); } });
        steps.push_back (answer (0)); // would end an open chooser, which must not come

        CommandTestHelpers::ModalSequence dialogs (steps);
        EXPECT_TRUE (invoke (c.command));

        const auto alertIndex = (int) steps.size() - 2;
        ASSERT_EQ (dialogs.getNumEnded(), alertIndex + 1) << dialogs.getEndedNames().joinIntoString (" | ");
        const auto alert = dialogs.getStep (alertIndex)->getAlertTexts();
        ASSERT_GE (alert.size(), 2);
        EXPECT_EQ (alert[0], "Error");
        EXPECT_TRUE (alert[1].contains ("read-only")) << alert[1];

        EXPECT_EQ (readOnly.loadFileAsString(), oldText);
        EXPECT_TRUE (document().hasChangedSinceSaved());
        EXPECT_EQ (numRows(), rows);
        EXPECT_EQ (document().getFilePath(), path);
        EXPECT_TRUE (c.documentHasFile || inspect().recentFiles().toString() == recentBefore) << inspect().recentFiles().toString();
        readOnly.setReadOnly (false);
    }
}
