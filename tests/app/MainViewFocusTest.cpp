#include "app/EditorViewInspector.h"
#include "app/MainViewCommandsFixture.h"
#include "panels/ControllerInfoComponent.h"

// Where the keys and the pending edits of the controller information fields go, in the real window:
// into a shown overlay, into the document before it is saved, shown as text or replaced, and never
// from a panel of a replaced document into the new one.

namespace
{
    constexpr int ctrl = juce::ModifierKeys::ctrlModifier;
}

struct MainViewFocus : MainViewCommandsFixture
{
    /** The field of the right-hand panel: 0 model, 1 manufacturer, 2 version, 3 publisher. */
    juce::TextEditor& field (int index) const { return dynamic_cast<juce::TextEditor&> (*inspect().rightPanel()->getChildComponent (2 + 2 * index)); }

    /** Types the text as the keyboard would, into whatever has the focus. */
    void type (const juce::String& text) const
    {
        for (auto c : text)
            window->getPeer()->handleKeyPress (juce::KeyPress ((int) c, 0, c));
    }

    /** Gives the focus to a field and types the text at its end, as a user would. */
    void typeInto (int index, const juce::String& text) const
    {
        field (index).grabKeyboardFocus();
        ASSERT_TRUE (field (index).hasKeyboardFocus (false));
        field (index).moveCaretToEnd();
        type (text);
    }

    /** A real left click at a point of a component, through the window. */
    void click (juce::Component& component, juce::Point<int> point) const
    {
        const auto inWindow = window->getLocalPoint (&component, point).toFloat();
        auto* peer = window->getPeer();
        const auto time = juce::Time::currentTimeMillis();
        peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, inWindow, juce::ModifierKeys::leftButtonModifier, 0.0f, 0.0f, time);
        peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, inWindow, juce::ModifierKeys(), 0.0f, 0.0f, time + 50);
    }

    juce::String fields() const { return document().getModel() + "|" + document().getManufacturer() + "|" + document().getVersion() + "|" + document().getPublisher() + (document().hasChangedSinceSaved() ? "*" : ""); }
    bool overlaysInFrontOfThePanel() const
    {
        const auto panel = view().getIndexOfChildComponent (inspect().rightPanel());
        for (auto* overlay : { static_cast<juce::Component*> (&inspect().bugReporter()), static_cast<juce::Component*> (&inspect().editorView()) })
            if (overlay->isVisible() && view().getIndexOfChildComponent (overlay) < panel)
                return false;
        return true;
    }
};

TEST_F (MainViewFocus, AShownOverlayTakesTheKeysThatWouldHaveGoneIntoTheFieldBehindIt)
{
    const struct { int key; const char* focused; } rows[] = { { 'B', "email text editor" }, { 'E', "debug editor" } };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.focused);
        view().showControllerInfo();
        document().setModel ("Model");
        view().showControllerInfo();
        field (0).grabKeyboardFocus();
        ASSERT_TRUE (field (0).hasKeyboardFocus (false));

        EXPECT_TRUE (pressKey (row.key, ctrl));
        auto* focused = juce::Component::getCurrentlyFocusedComponent();
        EXPECT_EQ (focused != nullptr ? focused->getName() : juce::String(), row.focused);
        type ("XYZ");
        TestHelpers::pumpMessages (50); // a focus loss of the field arrives
        EXPECT_EQ (field (0).getText() + " " + fields(), "Model Model||1.0|");
    }

    EXPECT_EQ (TestHelpers::findChild<juce::TextEditor> (inspect().bugReporter(), "email text editor")->getText(), "XYZ");
    EXPECT_TRUE (EditorViewInspector (inspect().editorView()).codeDocument().getAllContent().contains ("XYZ"));

    // The bug reporter closed in front of the editor hands the focus to the editor, not to what it covers.
    ASSERT_TRUE (pressKey ('B', ctrl) && pressKey ('B', ctrl)); // hidden from behind the editor, then shown in front of it
    ASSERT_TRUE (TestHelpers::findChild<juce::TextEditor> (inspect().bugReporter(), "email text editor")->hasKeyboardFocus (false));
    TestHelpers::findChild<juce::Button> (inspect().bugReporter(), "cancel button")->triggerClick();
    ASSERT_TRUE (TestHelpers::pumpUntil ([this] { return ! inspect().bugReporter().isVisible(); }));
    auto* focused = juce::Component::getCurrentlyFocusedComponent();
    EXPECT_TRUE (focused != nullptr && inspect().editorView().isParentOf (focused)) << (focused != nullptr ? focused->getName() : juce::String());
}

TEST_F (MainViewFocus, EditsStillInAFieldAreSavedShownAsTextAndKeptWhenARowIsClickedWithoutMarkingTheDocumentChanged)
{
    const auto file = folder.getChildFile ("typed.mappings");
    ASSERT_TRUE (document().saveAs (file));
    view().showControllerInfo();

    typeInto (0, "Typed");
    EXPECT_TRUE (pressKey ('S', ctrl));
    EXPECT_TRUE (file.loadFileAsString().contains ("Typed"));
    EXPECT_EQ (fields(), "Typed||1.0|");

    // A row clicked straight from the field: the panel goes before the field's focus loss is told.
    MainViewTestData::addInput (document(), MainViewTestData::makeInput ("deck_a_play"));
    view().updateMappingList();
    typeInto (1, "Maker");
    typeInto (3, "Pub"); // the focus moved on from the manufacturer field, whose notification is still on its way
    click (inspect().table(), inspect().table().getRowPosition (0, true).getCentre());
    EXPECT_EQ (inspect().table().getSelectedRow(), 0);
    EXPECT_EQ (fields(), "Typed|Maker|1.0|Pub");
    TestHelpers::pumpMessages (50);
    EXPECT_EQ (fields(), "Typed|Maker|1.0|Pub");

    // Shown as text: the source editor shows what was typed, and the file is the same.
    view().showControllerInfo();
    typeInto (2, ".1");
    EXPECT_TRUE (pressKey ('E', ctrl));
    EXPECT_TRUE (EditorViewInspector (inspect().editorView()).codeDocument().getAllContent().contains ("1.0.1"));
    EXPECT_EQ (fields(), "Typed|Maker|1.0.1|Pub");
}

// A new document taken from the source editor or from the clipboard: the panel shows it, and a focus
// loss of a field that was edited only in the old panel writes nothing old into it.
TEST_F (MainViewFocus, APanelIsRebuiltWhenTheDocumentIsReplacedAndNeverWritesTheOldValuesIntoTheNewOne)
{
    const struct { const char* what; bool fromEditor; } rows[] = { { "source editor", true }, { "pasted controller", false } };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.what);
        document().newDocument();
        document().setModel ("Old");
        view().showControllerInfo();
        field (0).grabKeyboardFocus();
        const juce::Component::SafePointer<juce::Component> oldPanel (inspect().rightPanel());

        const auto newText = document().toXmlString().replace ("\"Old\"", "\"New\"");
        if (row.fromEditor)
        {
            ASSERT_TRUE (pressKey ('E', ctrl));
            EditorViewInspector (inspect().editorView()).codeDocument().replaceAllContent (newText);
            EXPECT_TRUE (CommandTestHelpers::answering ({ { 1 } }, [this] { return pressKey ('E', ctrl); }).startsWith ("Do you want to save"));
        }
        else
        {
            ASSERT_TRUE (view().pasteMappingsFromText (newText));
        }

        EXPECT_TRUE (oldPanel == nullptr);
        EXPECT_EQ (field (0).getText() + " " + fields(), "New New||1.0|");
        field (0).grabKeyboardFocus();
        inspect().table().grabKeyboardFocus();
        TestHelpers::pumpMessages (50);
        EXPECT_EQ (fields(), "New||1.0|");
    }

    // An old panel left over beside a replaced document keeps its edit to itself.
    ControllerDocument doc;
    ControllerInfoComponent panel;
    panel.setDocument (&doc);
    dynamic_cast<juce::TextEditor&> (*panel.getChildComponent (2)).setText ("Edited");
    doc.loadFromXmlText (doc.toXmlString().replace ("Model=\"\"", "Model=\"Other\""));
    panel.writePendingFields();
    EXPECT_EQ (doc.getModel(), "Other");
}

TEST_F (MainViewFocus, ShownOverlaysStayInFrontInTheirOwnOrderWhateverReplacesTheRightHandPanel)
{
    MainViewTestData::addInput (document(), MainViewTestData::makeInput ("deck_a_play"));
    MainViewTestData::addOutput (document(), MainViewTestData::makeOutput ("deck_a_play"));
    view().updateMappingList();
    ASSERT_TRUE (pressKey ('E', ctrl));

    auto& table = inspect().table();
    const std::function<void()> swaps[] = {
        [&] { commandManager->invokeDirectly (CommandIds::editControllerInfo, false); },
        [&] { table.selectRow (0); },
        [&] { table.selectRow (1); },
        [&] { table.selectRangeOfRows (0, 1); },
        [&] { // Cancel in the close question: the row list is rebuilt, the editor stays
            table.selectRow (0);
            EditorViewInspector (inspect().editorView()).codeDocument().insertText (0, " ");
            CommandTestHelpers::answering ({ { 0 } }, [this] { return pressKey ('E', ctrl); });
        },
    };

    for (int withBugReporter = 0; withBugReporter < 2; ++withBugReporter)
    {
        if (withBugReporter == 1)
        {
            ASSERT_TRUE (pressKey ('B', ctrl)); // in front of the editor
        }

        for (size_t i = 0; i < std::size (swaps); ++i)
        {
            SCOPED_TRACE (juce::String ((int) i) + (withBugReporter ? " with the bug reporter" : ""));
            const juce::Component::SafePointer<juce::Component> before (inspect().rightPanel());
            swaps[i]();
            EXPECT_TRUE (before == nullptr); // replaced
            EXPECT_TRUE (inspect().editorView().isVisible() && overlaysInFrontOfThePanel());
            EXPECT_EQ (view().getIndexOfChildComponent (&inspect().editorView()), view().getNumChildComponents() - 1 - withBugReporter);
        }
    }

    TestHelpers::writeSnapshot (view(), "main-view-overlays-after-panel-swaps");
}

TEST_F (MainViewFocus, AButtonsTooltipShowsInADesktopWindowAfterHovering)
{
    // Away from where the other tests' windows and dialogs open, under the pointer moved onto the button.
    window->setTopLeftPosition (0, 0);
    TestHelpers::pumpMessages (50);
    auto* button = TestHelpers::findChild<juce::ImageButton> (view(), "edit controller info button");
    ASSERT_NE (button, nullptr);
    const auto position = button->getScreenBounds().getCentre();
    juce::Desktop::getInstance().setMousePosition (position);
    window->getPeer()->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, window->getLocalPoint (button, button->getLocalBounds().getCentre()).toFloat(),
                                         juce::ModifierKeys(), 0.0f, 0.0f, juce::Time::currentTimeMillis());

    juce::TooltipWindow* shown = nullptr;
    EXPECT_TRUE (TestHelpers::pumpUntil ([&] {
        for (int i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
            if (auto* tip = dynamic_cast<juce::TooltipWindow*> (juce::Desktop::getInstance().getComponent (i)); tip != nullptr && tip->isVisible())
                shown = tip;
        return shown != nullptr;
    }, 5000));
    ASSERT_NE (shown, nullptr);

    // The window sizes itself to the tip it shows: that of the button under the mouse.
    const auto expected = shown->getLookAndFeel().getTooltipBounds ("edit controller info", position, juce::Desktop::getInstance().getDisplays().getDisplayForPoint (position)->userArea);
    EXPECT_EQ (shown->getBounds(), expected);
    EXPECT_EQ (view().getIndexOfChildComponent (shown), -1);
    TestHelpers::writeSnapshot (*shown, "tooltip-edit-controller-info");
}
