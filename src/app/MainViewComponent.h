#pragma once

#include <memory>

#include <juce_data_structures/juce_data_structures.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include "app/WirelaceApplication.h"

class ControllerDocument;
class BugReporterComponent;
class EditorViewComponent;

/**
    Orders two table rows (handles on "mapping" elements) by one column of the main table.

    Built on the stack for one sort: compareElements makes short-lived mapping views on the
    two rows and compares their keys, text case-sensitively by code point, "IO" as inputs
    before outputs and "Modifier" as integers; the result is multiplied by the direction.
*/
class MappingSorter
{
public:
    MappingSorter (int columnIdToSortBy, bool forwards) noexcept;

    /** -1, 0 or +1 (times the direction) for the two rows. */
    int compareElements (juce::ValueTree* a, juce::ValueTree* b) const;

    /**
        Sorts the rows into exactly the order that sorting them with compareElements gives (the
        same unstable sort, fed the same answers), but finds each row's key once instead of once
        per comparison: a large table then sorts without making views and asking the catalogue
        again for every pair.
    */
    void sort (juce::OwnedArray<juce::ValueTree, juce::CriticalSection>& rows) const;

    int columnId;
    int direction;
};

/**
    The content of the main window: the header with filters and buttons, the mapping table of
    the open document, the right-hand editor panel and the two full-size overlays (bug reporter
    and source editor).

    It owns the open ControllerDocument; the table rows are handles on the document's "mapping"
    elements, rebuilt in full by updateMappingList after every change of the document's lists.
    It is also the menu-bar model and the command target of the main window.
*/
class MainViewComponent : public juce::Component,
                          public juce::MenuBarModel,
                          public juce::TableListBoxModel,
                          public juce::ApplicationCommandTarget,
                          public juce::Button::Listener,
                          public juce::ComboBox::Listener
{
public:
    MainViewComponent();
    ~MainViewComponent() override;

    //==============================================================================
    /** Rebuilds the rows from the document (filtered and sorted), refills the group filter
        combo, clears the selection and refreshes the table. */
    void updateMappingList();

    /** Replaces the right-hand panel by a new controller information panel. */
    void showControllerInfo();

    /** Selects, alone, the first row whose element is equivalent to the given one. */
    void selectMappingRow (const juce::ValueTree& mapping);

    //==============================================================================
    // Commands, menus and files
    /** Stores the window whose title names the document last opened. */
    void setMainWindow (WirelaceApplication::MainWindow* window);

    /**
        Asks whether to save the unsaved changes (Save runs the save road). True when the
        command that asked must stop: for Cancel, and for Save when the file could not be
        written (the user has been told why, and the changes stay). A cancelled save chooser
        still lets the command go on.
    */
    bool askToSaveChanges();

    /**
        The question before unsaved changes of the named document are given up: a modal box with
        "Save", "Don't Save" and "Cancel". Returns 1 for Save, 2 for Don't Save, 0 for Cancel.
    */
    static int askSaveDontSaveCancel (const juce::String& documentName);

    /**
        Asks for a file, saves the document there and puts it at the head of the recent files.
        A file that cannot be written is reported in an alert titled "Error", with the reason;
        the result is then false (a cancelled chooser is no failure).
    */
    bool saveAs();

    /** Asks for a ".mappings" file and opens it; an accepted file joins the recent files. */
    void openFile();

private:
    void createNewDocument();
    bool saveDocument();
    void showSaveError();
    void openDocument();
    void openRecentFile (int index);
    void toggleBugReporter();
    void showDocumentNameInTitle();
    void showLoadedDocument();

public:

    //==============================================================================
    // Adding, deriving, clipboard and deletion
    void addInputMapping();
    void addOutputMapping();
    void copySelectedMappings();

    /** Pastes the system clipboard's text (see pasteMappingsFromText). */
    void pasteMappings();

    /**
        Adds the mappings of a clipboard text to the document, or replaces the document by the
        controller the text holds. Text that is not well-formed XML, or nested deeper than the
        document's bound, changes nothing. Returns true when the row list was rebuilt.
    */
    bool pasteMappingsFromText (const juce::String& clipboardText);

    /** The text with every "<MIDI" (in any case, as juce::String::replace with ignoreCase
        matches it) written as "<midi", in one pass over the text. */
    static juce::String lowerCaseMidiTags (const juce::String& text);

    void deleteSelectedMappings();
    void toggleSourceEditor();

    //==============================================================================
    void paint (juce::Graphics&) override;
    void resized() override;

    juce::StringArray getMenuBarNames() override;
    juce::PopupMenu getMenuForIndex (int topLevelMenuIndex, const juce::String& menuName) override;
    void menuItemSelected (int menuItemID, int topLevelMenuIndex) override;

    int getNumRows() override;
    void paintRowBackground (juce::Graphics&, int rowNumber, int width, int height, bool rowIsSelected) override;
    void paintCell (juce::Graphics&, int rowNumber, int columnId, int width, int height, bool rowIsSelected) override;
    void selectedRowsChanged (int lastRowSelected) override;
    void sortOrderChanged (int newSortColumnId, bool isForwards) override;
    void cellClicked (int rowNumber, int columnId, const juce::MouseEvent&) override;
    void deleteKeyPressed (int lastRowSelected) override;

    juce::ApplicationCommandTarget* getNextCommandTarget() override;
    void getAllCommands (juce::Array<juce::CommandID>& commands) override;
    void getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) override;
    bool perform (const juce::ApplicationCommandTarget::InvocationInfo& info) override;

    void buttonClicked (juce::Button*) override;
    void comboBoxChanged (juce::ComboBox*) override;

    /** While an overlay is shown, the focus that the view hands out (when the other overlay hides,
        say) goes into the frontmost shown overlay, never to a component it covers. */
    std::unique_ptr<juce::ComponentTraverser> createKeyboardFocusTraverser() override;

private:
    friend struct MainViewInspector; // lets the tests look at the rows, filters and children

    /** The element of a row, or an invalid tree for a row outside the list; takes the rows' lock. */
    juce::ValueTree getRowTree (int rowNumber) const;

    /** Removes the right-hand panel and deletes it; call it before the next panel is made, so
        the two (and their MIDI cells) never exist side by side. A controller information panel
        first writes the fields the user has edited. */
    void removeRightPanel();

    /** Makes the given component the right-hand panel, deleting a previous one still shown. The
        panel goes behind a shown overlay (source editor, bug reporter), in front of the rest. */
    void setRightPanel (juce::Component* newPanel);

    /** The source editor and the bug reporter, those shown, from back to front. */
    juce::Array<juce::Component*> getShownOverlays() const;

    /** Has a controller information panel write the fields the user has edited but not yet
        left, before the document is saved, shown as text or replaced. */
    void writePendingControllerInfo();

    /** After the whole document was replaced: rebuilds the row list and, when that kept the
        controller information panel of the old document, builds a new one. */
    void showReplacedDocument();

    static void setUpImageButton (juce::ImageButton& button, const juce::String& text,
                                  const juce::String& imageBaseName);

    //==============================================================================
    WirelaceApplication::MainWindow* mainWindow = nullptr;
    juce::RecentlyOpenedFilesList recentFiles;
    std::unique_ptr<ControllerDocument> document;
    juce::OwnedArray<juce::ValueTree, juce::CriticalSection> rows;
    int sortColumnId = 2;
    bool sortForwards = true;
    int numRows = 0;
    int ioFilter = 1;
    juce::String groupFilter { "all" };
    juce::Image outputIcon;
    juce::Image inputIcon;
    juce::PropertiesFile* settings = nullptr;
    std::unique_ptr<BugReporterComponent> bugReporter;
    std::unique_ptr<EditorViewComponent> editorView;
    std::unique_ptr<juce::Component> rightPanel;
    std::unique_ptr<juce::TableListBox> table;
    std::unique_ptr<juce::ImageButton> addInputButton;
    std::unique_ptr<juce::ImageButton> addOutputButton;
    std::unique_ptr<juce::ComboBox> groupFilterCombo;
    std::unique_ptr<juce::ComboBox> ioFilterCombo;
    std::unique_ptr<juce::ImageButton> editControllerInfoButton;
    std::unique_ptr<juce::ImageButton> shareButton;
    std::unique_ptr<juce::ImageButton> cloudButton;
    std::unique_ptr<juce::TextButton> bugReportButton;
    juce::Image logo;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainViewComponent)
};
