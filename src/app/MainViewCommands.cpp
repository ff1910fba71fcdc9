#include "app/MainViewComponent.h"

#include "app/BugReporterComponent.h"
#include "app/CommandIds.h"
#include "model/ControllerDocument.h"

namespace
{
    /** One row of the command table: what getCommandInfo tells the command manager. */
    struct CommandEntry
    {
        juce::CommandID id;
        const char* shortName;
        const char* description;
        const char* category;
        int keyCode;   // 0 when the command has no default key
        int modifiers;
    };

    constexpr int command = juce::ModifierKeys::commandModifier;
    constexpr int ctrl = juce::ModifierKeys::ctrlModifier;
    constexpr int shift = juce::ModifierKeys::shiftModifier;

   #if JUCE_MAC
    constexpr int addOutputModifiers = ctrl;
   #else
    // Where the command key is Ctrl, ctrl+O already opens a file, so "Add Ouput" takes ctrl+shift+O.
    constexpr int addOutputModifiers = ctrl | shift;
   #endif

    /** The main view's commands, in the order in which getAllCommands lists them. */
    const CommandEntry commandTable[] =
    {
        { CommandIds::newDocument,        "New",                  "Create a new empty Mapping",    "File",    'N', command },
        { CommandIds::save,               "Save",                 "Save current Mapping to File",  "File",    'S', command },
        { CommandIds::saveAs,             "Save as",              "Save current Mapping new File", "File",    'S', command | shift },
        { CommandIds::open,               "Open",                 "Open a Mapping",                "File",    'O', command },
        { CommandIds::editControllerInfo, "Edit Controller Info", "Edit current Controller Info",  "General", 0,   0 },
        { CommandIds::addInput,           "Add Input",            "Add Input Mapping",             "Edit",    'I', ctrl },
        { CommandIds::addOutput,          "Add Ouput",            "Add Output Mapping",            "Edit",    'O', addOutputModifiers },
        { CommandIds::sourceEditor,       "Source Editor",        "Show Source Editor",            "General", 'E', ctrl },
        { CommandIds::bugReporter,        "Bug Reporter",         "Show Bug Reporter",             "General", 'B', ctrl },
        { CommandIds::updateView,         "Update View",          "Update Mapping View",           "View",    0,   0 },
        { CommandIds::cut,                "Cut",                  "Cut Mapping",                   "Edit",    'X', command },
        { CommandIds::copy,               "Copy",                 "Copy Mapping",                  "Edit",    'C', command },
        { CommandIds::paste,              "Past",                 "Past Mapping",                  "Edit",    'V', command },
        { CommandIds::deleteMappings,     "Delete",               "Delete Mapping",                "Edit",    0,   0 },
    };

    const CommandEntry* findCommand (juce::CommandID id)
    {
        for (auto& entry : commandTable)
            if (entry.id == id)
                return &entry;

        return nullptr;
    }

    const juce::String recentFilesKey ("recentlyOpenedFilesList");

    /**
        Puts a document's file at the head of the recent-files list and writes the list to the
        settings at once. A document without a file (new, refused on opening, or failed to save)
        has nothing to record.
    */
    void recordRecentFile (juce::RecentlyOpenedFilesList& recentFiles, juce::PropertiesFile* settings,
                           const juce::String& path)
    {
        if (path.isEmpty())
            return;

        recentFiles.addFile (juce::File (path));

        if (settings != nullptr)
        {
            settings->setValue (recentFilesKey, recentFiles.toString());
            settings->save();
        }
    }
}

//==============================================================================
juce::StringArray MainViewComponent::getMenuBarNames()
{
    return { "File", "Edit" };
}

juce::PopupMenu MainViewComponent::getMenuForIndex (int topLevelMenuIndex, const juce::String&)
{
    juce::PopupMenu menu;
    auto* manager = commandManager.get();

    if (manager == nullptr)
        return menu;

    if (topLevelMenuIndex == 0)
    {
        juce::PopupMenu recentMenu;
        recentFiles.createPopupMenuItems (recentMenu, 1, false, true, nullptr);

        menu.addCommandItem (manager, CommandIds::newDocument);
        menu.addSeparator();
        menu.addSubMenu ("Open Recent", recentMenu, true, juce::Image(), false);
        menu.addCommandItem (manager, CommandIds::open);
        menu.addSeparator();
        menu.addCommandItem (manager, CommandIds::save);
        menu.addCommandItem (manager, CommandIds::saveAs);
    }
    else if (topLevelMenuIndex == 1)
    {
        menu.addCommandItem (manager, CommandIds::cut);
        menu.addCommandItem (manager, CommandIds::copy);
        menu.addCommandItem (manager, CommandIds::paste);
        menu.addCommandItem (manager, CommandIds::deleteMappings);
        menu.addSeparator();
        menu.addCommandItem (manager, CommandIds::addInput);
        menu.addCommandItem (manager, CommandIds::addOutput);
        menu.addSeparator();
        menu.addCommandItem (manager, CommandIds::editControllerInfo);
        menu.addCommandItem (manager, CommandIds::sourceEditor);
        menu.addSeparator();
        menu.addCommandItem (manager, CommandIds::bugReporter);
    }

    return menu;
}

void MainViewComponent::menuItemSelected (int menuItemID, int)
{
    // Only the "Open Recent" items (1 + their index in the list) arrive here for handling;
    // the command manager performs the command items itself.
    if (menuItemID >= 1 && menuItemID <= recentFiles.getMaxNumberOfItems())
        openRecentFile (menuItemID - 1);
}

void MainViewComponent::deleteKeyPressed (int)
{
    if (commandManager != nullptr)
        commandManager->invokeDirectly (CommandIds::deleteMappings, false);
}

//==============================================================================
juce::ApplicationCommandTarget* MainViewComponent::getNextCommandTarget()
{
    return findFirstTargetParentComponent();
}

void MainViewComponent::getAllCommands (juce::Array<juce::CommandID>& commands)
{
    for (auto& entry : commandTable)
        commands.add (entry.id);
}

void MainViewComponent::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    auto* entry = findCommand (commandID);

    if (entry == nullptr)
        return;

    result.setInfo (entry->shortName, entry->description, entry->category, 0);

    if (entry->keyCode != 0)
        result.addDefaultKeypress (entry->keyCode, juce::ModifierKeys (entry->modifiers));

    if (commandID == CommandIds::saveAs)
        result.setActive (document->getFilePath().isNotEmpty());
}

bool MainViewComponent::perform (const juce::ApplicationCommandTarget::InvocationInfo& info)
{
    switch (info.commandID)
    {
        case CommandIds::newDocument:        createNewDocument(); return true;
        case CommandIds::save:               saveDocument(); return true;
        case CommandIds::saveAs:             saveAs(); return true;
        case CommandIds::open:               openDocument(); return true;
        case CommandIds::editControllerInfo: showControllerInfo(); return true;
        case CommandIds::addInput:           addInputMapping(); return true;
        case CommandIds::addOutput:          addOutputMapping(); return true;
        case CommandIds::cut:                copySelectedMappings(); deleteSelectedMappings(); return true;
        case CommandIds::copy:               copySelectedMappings(); return true;
        case CommandIds::paste:              pasteMappings(); return true;
        case CommandIds::deleteMappings:     deleteSelectedMappings(); return true;
        case CommandIds::sourceEditor:       toggleSourceEditor(); return true;
        case CommandIds::bugReporter:        toggleBugReporter(); return true;
        case CommandIds::updateView:         table->repaint(); return true;
        default:                             return false;
    }
}

//==============================================================================
void MainViewComponent::setMainWindow (WirelaceApplication::MainWindow* window)
{
    mainWindow = window;
}

int MainViewComponent::askSaveDontSaveCancel (const juce::String& documentName)
{
    return juce::AlertWindow::showYesNoCancelBox (juce::AlertWindow::QuestionIcon,
                                                  "Do you want to save the changes you made in the document \""
                                                      + documentName + "\"?",
                                                  "Your changes will be lost you dont't save them.",
                                                  "Save", "Don't Save", "Cancel",
                                                  nullptr, nullptr);
}

bool MainViewComponent::askToSaveChanges()
{
    const auto choice = askSaveDontSaveCancel (document->getName());

    // Save counts as Save even when its chooser is cancelled; but when the file cannot be
    // written, going on would lose the changes.
    if (choice == 1)
        return ! saveDocument();

    return choice == 0;
}

bool MainViewComponent::saveAs()
{
    writePendingControllerInfo();
    juce::FileChooser chooser ("Save mappings file ...", juce::File::getCurrentWorkingDirectory(), "*.mappings", true);

    if (! chooser.browseForFileToSave (false))
        return true;

    const bool written = document->saveAs (chooser.getResult());
    recordRecentFile (recentFiles, settings, document->getFilePath());

    if (! written)
        showSaveError();

    return written;
}

void MainViewComponent::openFile()
{
    juce::FileChooser chooser ("Open mappings file ...", juce::File::getCurrentWorkingDirectory(), "*.mappings", true);

    if (! chooser.browseForFileToOpen (nullptr))
        return;

    // A refused file keeps the current mappings and leaves the document without a path:
    // there is then nothing to record among the recent files.
    const bool accepted = document->loadFrom (chooser.getResult());
    showDocumentNameInTitle();

    if (accepted)
        recordRecentFile (recentFiles, settings, document->getFilePath());

    showLoadedDocument();
}

void MainViewComponent::createNewDocument()
{
    writePendingControllerInfo();

    if (document->hasChangedSinceSaved() && askToSaveChanges())
        return;

    document->newDocument();
    showControllerInfo();
    updateMappingList();
}

bool MainViewComponent::saveDocument()
{
    if (document->getFilePath().isEmpty())
        return saveAs();

    writePendingControllerInfo();

    if (document->save())
        return true;

    showSaveError();
    return false;
}

void MainViewComponent::showSaveError()
{
    juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::WarningIcon, "Error",
                                       "The mappings could not be saved.\n" + document->getSaveError(), "OK", this);
}

void MainViewComponent::openDocument()
{
    writePendingControllerInfo();

    if (document->hasChangedSinceSaved() && askToSaveChanges())
        return;

    openFile();
}

void MainViewComponent::openRecentFile (int index)
{
    // An id past the list's end names no file (the list may have shrunk since the menu was built).
    if (index >= recentFiles.getNumFiles())
        return;

    writePendingControllerInfo();

    document->loadFrom (recentFiles.getFile (index));
    showDocumentNameInTitle();
    showLoadedDocument();
}

void MainViewComponent::toggleBugReporter()
{
    if (bugReporter->isVisible())
    {
        bugReporter->toBack();
        bugReporter->setVisible (false);
        return;
    }

    // Only a visible component can take the keyboard focus, so it is shown first.
    bugReporter->setVisible (true);
    bugReporter->toFront (true);
}

void MainViewComponent::showDocumentNameInTitle()
{
    if (mainWindow != nullptr)
        mainWindow->setName (document->getName());
}

void MainViewComponent::showLoadedDocument()
{
    updateMappingList();
    showControllerInfo();
    table->scrollToEnsureRowIsOnscreen (1);
}
