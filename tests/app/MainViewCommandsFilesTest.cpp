#include "app/MainViewCommandsFixture.h"
#include "panels/ControllerInfoComponent.h"

// New, Open, Open Recent, Save and Save as through the real question box, file choosers and
// menu; the recent-files list in the settings file; and the window title.

namespace
{
    /** One step of a dialog series: end the next modal component with result, after action. */
    CommandTestHelpers::ModalSequence::Step answer (int result, TestHelpers::ModalEnder::Action action = nullptr)
    {
        return { result, std::move (action) };
    }

    const juce::String questionMessage ("Your changes will be lost you dont't save them.");

    juce::String questionTitle (const juce::String& documentName)
    {
        return "Do you want to save the changes you made in the document \"" + documentName + "\"?";
    }
}

//==============================================================================
TEST_F (MainViewCommandsFixture, NewWithUnsavedChangesAsksAndCancelKeepsEverything)
{
    document().createInputMapping ("deck_a");
    view().updateMappingList();

    CommandTestHelpers::ModalSequence dialogs ({ answer (0) });
    EXPECT_TRUE (invoke (CommandIds::newDocument));

    ASSERT_EQ (dialogs.getNumEnded(), 1);
    EXPECT_EQ (dialogs.getStep (0)->getAlertTexts(), juce::StringArray (questionTitle ("unnamed.mappings"), questionMessage));
    EXPECT_EQ (dialogs.getStep (0)->getAlertButtons(), juce::StringArray ("Save", "Don't Save", "Cancel"));
    EXPECT_EQ (numRows(), 1);
    EXPECT_TRUE (document().hasChangedSinceSaved());
}

TEST_F (MainViewCommandsFixture, NewWithUnsavedChangesDiscardsThemOnDontSave)
{
    const auto file = writeMappingsFile ("kept.mappings", 2);
    ASSERT_TRUE (document().loadFrom (file));
    document().createInputMapping ("deck_z");
    view().updateMappingList();
    ASSERT_EQ (numRows(), 3);

    CommandTestHelpers::ModalSequence dialogs ({ answer (2) });
    EXPECT_TRUE (invoke (CommandIds::newDocument));

    EXPECT_EQ (dialogs.getEndedNames(), juce::StringArray (questionTitle ("kept.mappings")));
    EXPECT_EQ (numRows(), 0);
    EXPECT_FALSE (document().hasChangedSinceSaved());
    EXPECT_TRUE (document().getFilePath().isEmpty());
    EXPECT_EQ (document().getName(), "unnamed.mappings");

    // The file was not written, and New leaves the title alone.
    EXPECT_FALSE (file.loadFileAsString().contains ("deck_z"));
    EXPECT_EQ (title(), "Wirelace 0.8.62");

    // An unchanged document is replaced without a question.
    CommandTestHelpers::ModalSequence none ({ answer (0) });
    EXPECT_TRUE (invoke (CommandIds::newDocument));
    TestHelpers::pumpMessages (100);
    EXPECT_EQ (none.getNumEnded(), 0);
}

TEST_F (MainViewCommandsFixture, SaveAnswerWritesAKnownFileThenGoesOn)
{
    const auto file = writeMappingsFile ("saved.mappings", 1);
    ASSERT_TRUE (document().loadFrom (file));
    document().createInputMapping ("deck_saved");

    CommandTestHelpers::ModalSequence dialogs ({ answer (1) });
    EXPECT_TRUE (invoke (CommandIds::newDocument));

    EXPECT_EQ (dialogs.getNumEnded(), 1);
    EXPECT_TRUE (file.loadFileAsString().contains ("deck_saved"));
    EXPECT_EQ (numRows(), 0);

    // A plain save to the known file leaves the recent list alone.
    EXPECT_EQ (inspect().recentFiles().getNumFiles(), 0);
}

TEST_F (MainViewCommandsFixture, SaveAnswerWithoutAFileAsksForOneAndGoesOnEvenWhenThatIsCancelled)
{
    document().createInputMapping ("deck_a");
    view().updateMappingList();

    // New: Save, then the save chooser is cancelled; the new document still replaces the old one.
    CommandTestHelpers::ModalSequence dialogs ({ answer (1), answer (0) });
    EXPECT_TRUE (invoke (CommandIds::newDocument));

    EXPECT_EQ (dialogs.getEndedNames(), juce::StringArray (questionTitle ("unnamed.mappings"), "Save mappings file ..."));
    EXPECT_EQ (numRows(), 0);
    EXPECT_FALSE (document().hasChangedSinceSaved());
    EXPECT_EQ (inspect().recentFiles().getNumFiles(), 0);

    // Open: Save, the chooser writes the changes to a file, then the open chooser comes.
    document().createInputMapping ("deck_b");
    const auto saved = folder.getChildFile ("asked.mappings");
    const auto toOpen = writeMappingsFile ("other.mappings", 3);

    CommandTestHelpers::ModalSequence openDialogs ({ answer (1),
                                                     answer (1, CommandTestHelpers::chooseFile (saved)),
                                                     answer (1, CommandTestHelpers::chooseFile (toOpen)) });
    EXPECT_TRUE (invoke (CommandIds::open));

    EXPECT_EQ (openDialogs.getEndedNames(), juce::StringArray (questionTitle ("unnamed.mappings"),
                                                                 "Save mappings file ...", "Open mappings file ..."));
    EXPECT_TRUE (saved.loadFileAsString().contains ("deck_b"));
    EXPECT_EQ (numRows(), 3);
    EXPECT_EQ (title(), "other.mappings");
    EXPECT_EQ (recentListOnDisk(), juce::StringArray (toOpen.getFullPathName(), saved.getFullPathName()));
}

TEST_F (MainViewCommandsFixture, OpenWithUnsavedChangesAsksAndCancelShowsNoChooser)
{
    document().createInputMapping ("deck_a");
    view().updateMappingList();

    CommandTestHelpers::ModalSequence dialogs ({ answer (0), answer (0) });
    EXPECT_TRUE (invoke (CommandIds::open));
    TestHelpers::pumpMessages (100);

    EXPECT_EQ (dialogs.getEndedNames(), juce::StringArray (questionTitle ("unnamed.mappings")));
    EXPECT_EQ (numRows(), 1);
    EXPECT_TRUE (document().hasChangedSinceSaved());
    EXPECT_EQ (title(), "Wirelace 0.8.62");
}

TEST_F (MainViewCommandsFixture, OpenLoadsTheChosenFileTitlesTheWindowAndRecordsIt)
{
    const auto file = writeMappingsFile ("opened.mappings", 4);

    // Don't Save discards the unsaved mapping and goes on to the chooser.
    document().createInputMapping ("deck_a");
    CommandTestHelpers::ModalSequence dialogs ({ answer (2), answer (1, CommandTestHelpers::chooseFile (file)) });
    EXPECT_TRUE (invoke (CommandIds::open));

    EXPECT_EQ (dialogs.getNumEnded(), 2);
    EXPECT_EQ (numRows(), 4);
    EXPECT_EQ (title(), "opened.mappings");
    EXPECT_EQ (document().getFilePath(), file.getFullPathName());
    EXPECT_EQ (inspect().recentFiles().getFile (0), file);
    EXPECT_EQ (recentListOnDisk(), juce::StringArray (file.getFullPathName()));
    EXPECT_NE (dynamic_cast<ControllerInfoComponent*> (inspect().rightPanel()), nullptr);
    TestHelpers::writeSnapshot (*window, "commands-opened-file");

    // A cancelled chooser changes nothing.
    CommandTestHelpers::ModalSequence cancelled ({ answer (0) });
    EXPECT_TRUE (invoke (CommandIds::open));
    EXPECT_EQ (cancelled.getEndedNames(), juce::StringArray ("Open mappings file ..."));
    EXPECT_EQ (numRows(), 4);
    EXPECT_EQ (document().getFilePath(), file.getFullPathName());
}

TEST_F (MainViewCommandsFixture, RefusedOpenKeepsTheMappingsAndRecordsNoRecentFile)
{
    const auto good = writeMappingsFile ("good.mappings", 2);
    const auto bad = folder.getChildFile ("bad.mappings");
    bad.replaceWithText ("<main><version/><controller kind=\"MIDI\"/></main>");

    CommandTestHelpers::ModalSequence first ({ answer (1, CommandTestHelpers::chooseFile (good)) });
    invoke (CommandIds::open);
    ASSERT_EQ (numRows(), 2);

    CommandTestHelpers::ModalSequence second ({ answer (1, CommandTestHelpers::chooseFile (bad)) });
    EXPECT_TRUE (invoke (CommandIds::open));
    EXPECT_EQ (second.getNumEnded(), 1);

    // The mappings and the name stay (the title shows the unchanged name), the path is gone,
    // and the recent list neither gains an empty entry nor loses its order.
    EXPECT_EQ (numRows(), 2);
    EXPECT_EQ (title(), "good.mappings");
    EXPECT_TRUE (document().getFilePath().isEmpty());
    EXPECT_EQ (inspect().recentFiles().getNumFiles(), 1);
    EXPECT_EQ (recentListOnDisk(), juce::StringArray (good.getFullPathName()));
}

TEST_F (MainViewCommandsFixture, SaveAsRecordsTheNewFileAtOnceButKeepsTheTitle)
{
    const auto fileA = writeMappingsFile ("a.mappings", 1);
    const auto fileB = folder.getChildFile ("b.mappings");

    CommandTestHelpers::ModalSequence open ({ answer (1, CommandTestHelpers::chooseFile (fileA)) });
    invoke (CommandIds::open);
    ASSERT_EQ (title(), "a.mappings");

    CommandTestHelpers::ModalSequence saveAs ({ answer (1, CommandTestHelpers::chooseFile (fileB)) });
    EXPECT_TRUE (invoke (CommandIds::saveAs));

    EXPECT_EQ (saveAs.getEndedNames(), juce::StringArray ("Save mappings file ..."));
    EXPECT_TRUE (fileB.existsAsFile());
    EXPECT_EQ (title(), "a.mappings");
    EXPECT_EQ (document().getName(), "b.mappings");

    // Written at once, not when the settings' save timer fires.
    EXPECT_EQ (recentListOnDisk(), juce::StringArray (fileB.getFullPathName(), fileA.getFullPathName()));
}

TEST_F (MainViewCommandsFixture, FailedSaveAsOfANewDocumentRecordsNoRecentFile)
{
    document().createInputMapping ("deck_a");
    const auto unwritable = folder.getChildFile ("missing folder").getChildFile ("x.mappings");

    CommandTestHelpers::ModalSequence dialogs ({ answer (1, CommandTestHelpers::chooseFile (unwritable)), answer (1) });
    EXPECT_TRUE (invoke (CommandIds::save));

    EXPECT_EQ (dialogs.getEndedNames(), juce::StringArray ("Save mappings file ...", "Error"));
    EXPECT_FALSE (unwritable.exists());
    EXPECT_TRUE (document().getFilePath().isEmpty());
    EXPECT_TRUE (document().hasChangedSinceSaved());
    EXPECT_EQ (inspect().recentFiles().getNumFiles(), 0);
    EXPECT_TRUE (recentListOnDisk().isEmpty());
}

TEST_F (MainViewCommandsFixture, RecentListKeepsTheTenNewestFirstAndIsRestoredByTheNextView)
{
    juce::Array<juce::File> files;

    for (int i = 0; i < 12; ++i)
    {
        files.add (writeMappingsFile ("file" + juce::String (i) + ".mappings", 1));
        CommandTestHelpers::ModalSequence open ({ answer (1, CommandTestHelpers::chooseFile (files.getLast())) });
        invoke (CommandIds::open);
    }

    // Reopening a listed file moves it to the front.
    CommandTestHelpers::ModalSequence reopen ({ answer (1, CommandTestHelpers::chooseFile (files[5])) });
    invoke (CommandIds::open);

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
    /** Puts the files into the recent list, the first one newest. */
    void listRecentFiles (const juce::Array<juce::File>& files)
    {
        auto& recent = inspect().recentFiles();
        recent.clear();

        for (int i = files.size(); --i >= 0;)
            recent.addFile (files[i]);
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
    const auto a = writeMappingsFile ("a.mappings", 1);
    const auto missing = folder.getChildFile ("gone.mappings");
    const auto c = writeMappingsFile ("c.mappings", 1);
    listRecentFiles ({ a, missing, c });

    const auto fileMenu = view().getMenuForIndex (0, "File");
    const juce::PopupMenu* recentMenu = nullptr;

    for (juce::PopupMenu::MenuItemIterator it (fileMenu); it.next();)
        if (it.getItem().text == "Open Recent")
            recentMenu = it.getItem().subMenu.get();

    ASSERT_NE (recentMenu, nullptr);
    juce::StringArray items;

    for (juce::PopupMenu::MenuItemIterator it (*recentMenu); it.next();)
        items.add (juce::String (it.getItem().itemID) + " " + it.getItem().text);

    EXPECT_EQ (items, juce::StringArray ("1 a.mappings", "3 c.mappings"));
}

TEST_F (OpenRecentTest, PickingAnEntryLoadsItWithoutAskingAndLeavesTheListAlone)
{
    const auto a = writeMappingsFile ("a.mappings", 1);
    const auto b = writeMappingsFile ("b.mappings", 2);
    listRecentFiles ({ a, b });

    document().createInputMapping ("unsaved");
    view().updateMappingList();

    pickFromFileMenu (2);

    EXPECT_EQ (title(), "b.mappings");
    EXPECT_EQ (numRows(), 2);
    EXPECT_EQ (document().getFilePath(), b.getFullPathName());
    EXPECT_EQ (inspect().recentFiles().getFile (0), a);
    EXPECT_TRUE (recentListOnDisk().isEmpty());
}

TEST_F (OpenRecentTest, TheTenthEntryLoads)
{
    juce::Array<juce::File> files;

    for (int i = 0; i < 10; ++i)
        files.add (writeMappingsFile ("recent" + juce::String (i) + ".mappings", i + 1));

    listRecentFiles (files);
    ASSERT_EQ (inspect().recentFiles().getNumFiles(), 10);

    pickFromFileMenu (10);

    EXPECT_EQ (title(), "recent9.mappings");
    EXPECT_EQ (numRows(), 10);
}

TEST_F (OpenRecentTest, AVanishedFileKeepsTheMappingsAndIdsOutsideTheListAreIgnored)
{
    const auto a = writeMappingsFile ("a.mappings", 3);
    const auto b = writeMappingsFile ("b.mappings", 1);
    listRecentFiles ({ a, b });
    pickFromFileMenu (1);
    ASSERT_EQ (numRows(), 3);

    // The file goes after the menu was built: the document keeps its mappings and name.
    b.deleteFile();
    view().menuItemSelected (2, 0);
    EXPECT_EQ (numRows(), 3);
    EXPECT_EQ (title(), "a.mappings");

    // Command ids and ids past the list do nothing here.
    view().menuItemSelected (CommandIds::newDocument, 0);
    view().menuItemSelected (3, 0);
    view().menuItemSelected (11, 0);
    view().menuItemSelected (0, 0);
    EXPECT_EQ (numRows(), 3);
    EXPECT_EQ (title(), "a.mappings");
}

// A save that fails is reported in an alert titled "Error" with the reason, from the menu's
// Save and Save as and from the question's Save; there the command that asked stops, and the
// document keeps its changes.
TEST_F (MainViewCommandsFixture, FailedSaveIsReportedAndStopsTheCommandThatAsked)
{
    struct Case
    {
        const char* what;
        bool documentHasFile;
        juce::CommandID command;
        int questionAnswers; // 1: the question comes first and is answered Save
        bool chooserFirst;   // the save chooser comes before the alert
    };

    const Case cases[] = {
        { "menu Save", true, CommandIds::save, 0, false },
        { "menu Save as", true, CommandIds::saveAs, 0, true },
        { "menu Save of a new document", false, CommandIds::save, 0, true },
        { "Save in the question of New", true, CommandIds::newDocument, 1, false },
        { "Save in the question of Open", true, CommandIds::open, 1, false },
        { "Save as in the question of New", false, CommandIds::newDocument, 1, true },
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

        std::vector<CommandTestHelpers::ModalSequence::Step> steps;
        if (c.questionAnswers == 1)
            steps.push_back (answer (1));
        if (c.chooserFirst)
            steps.push_back (answer (1, CommandTestHelpers::chooseFile (readOnly)));
        steps.push_back (answer (1, [] (juce::Component& alert) { TestHelpers::writeSnapshot (alert, "save_error_alert"); }));
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
        readOnly.setReadOnly (false);
    }
}
