#include "panels/InputPanelFixture.h"

namespace
{
    /** The titles of the menu items that a shown popup menu holds. */
    void collectMenuItems (juce::Component& component, juce::StringArray& texts)
    {
        for (auto* child : component.getChildren())
        {
            if (auto* handler = child->getAccessibilityHandler(); handler != nullptr && handler->getRole() == juce::AccessibilityRole::menuItem)
                texts.add (handler->getTitle());

            collectMenuItems (*child, texts);
        }
    }

    /** The items of the shown menu or, when subMenu is given, of that sub-menu, opened as a click would. */
    juce::StringArray shownItems (juce::Component& menu, const juce::String& subMenu)
    {
        juce::StringArray texts;
        collectMenuItems (menu, texts);

        if (subMenu.isEmpty())
            return texts;

        for (auto* item : menu.getChildren())
            if (auto* handler = item->getAccessibilityHandler(); handler != nullptr && handler->getTitle() == subMenu)
                handler->getActions().invoke (juce::AccessibilityActionType::showMenu);

        texts.clear();
        if (auto* opened = juce::Component::getCurrentlyModalComponent(); opened != &menu)
            collectMenuItems (*opened, texts);
        return texts;
    }

    struct Event
    {
        int type, parameter, channel;
    };
}

class InputMidiCell : public InputPanelFixture
{
protected:
    /** The row's event in the document and on the cell's labels. */
    void expectEvent (InputMidiCellComponent& c, int row, Event expected)
    {
        InputMapping mapping (element);
        EXPECT_EQ (mapping.getType (row), expected.type);
        EXPECT_EQ (mapping.getParameter (row), expected.parameter);
        EXPECT_EQ (mapping.getChannel (row), expected.channel);
        EXPECT_EQ (child<juce::Label> (c, "midi channel label").getText(), "CH " + juce::String (expected.channel));
        auto& number = child<juce::Label> (c, "midi note or cc number label");
        EXPECT_EQ (number.isVisible(), expected.type != 2);
        EXPECT_TRUE (expected.type == 2 || number.getText() == juce::String (expected.parameter)) << number.getText();
    }
};

TEST_F (InputMidiCell, MenusChosenThroughTheRealPopupWriteTheEvent)
{
    const juce::String number = "midi note or cc number button", channel = "midi channel button";
    const struct
    {
        const char* what;
        juce::String event, button;
        int result;
        Event expected;
        juce::String subMenu;
        juce::StringArray someItems;
    } cases[] = {
        { "CC 7", midi ("Note", 60, 1), number, 7000, { 0, 7, 1 }, "CC", { "1", "7", "127" } },
        { "note 60", midi ("CC", 7, 1), number, 60, { 1, 60, 1 }, "Note", { "1: C#-5", "60: C0", "127: G5" } },
        { "channel 10", midi ("CC", 7, 1), channel, 10, { 0, 7, 10 }, {}, { "1", "10", "16" } },
        { "a pitch wheel turned into a note", midi ("PW", 0, 4), number, 64, { 1, 64, 4 }, {}, { "Note", "CC" } },
        { "a pitch wheel turned into CC", midi ("PW", 0, 4), number, 5000, { 0, 5, 4 }, {}, {} },
        { "dismissed", midi ("Note", 60, 3), number, 0, { 1, 60, 3 }, {}, {} },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        auto panel = makePanel (c.event + midi ("CC", 1, 1)); // the second row is selected on opening
        auto* first = cell (*panel, 0);
        ASSERT_NE (first, nullptr);

        juce::StringArray shown;
        TestHelpers::ModalEnder ender (c.result, [&] (juce::Component& menu) { shown = shownItems (menu, c.subMenu); });
        child<juce::Button> (*first, c.button).triggerClick();
        EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return ender.hasEnded(); }));
        TestHelpers::pumpMessages();

        EXPECT_EQ (table (*panel).getSelectedRow(), 0); // the button selects its row first
        for (const auto& item : c.someItems)
            EXPECT_TRUE (shown.contains (item)) << item;
        expectEvent (*first, 0, c.expected);
    }
}

TEST_F (InputMidiCell, LearnsFromTheDefaultInputWhileItsRowIsSelected)
{
    using M = juce::MidiMessage;
    const struct
    {
        const char* what;
        juce::String event;
        bool selected;
        juce::String input;
        M message;
        Event expected;
        bool presetCleared;
    } cases[] = {
        { "ignored when not selected", midi ("Note", 60, 1), false, "Pad", M::controllerEvent (3, 20, 5), { 1, 60, 1 }, false },
        { "a controller change turns a note into CC", midi ("Note", 60, 1), true, "Pad", M::controllerEvent (3, 20, 5), { 0, 20, 3 }, false },
        { "a note off is learned like a note on", midi ("Note", 60, 1), true, "Pad", M::noteOff (2, 64), { 1, 64, 2 }, true },
        { "a note on of velocity 0", midi ("CC", 7, 1), true, "Pad", M::noteOn (5, 61, (juce::uint8) 0), { 1, 61, 5 }, false },
        { "a pitch wheel", midi ("CC", 7, 1), true, "Pad", M::pitchWheel (9, 8192), { 2, 0, 9 }, false },
        { "CC on CC", midi ("CC", 7, 1), true, "Pad", M::controllerEvent (16, 1, 0), { 0, 1, 16 }, true },
        { "another enabled input is ignored", midi ("CC", 7, 1), true, "Keys", M::controllerEvent (3, 20, 5), { 0, 7, 1 }, false },
        { "aftertouch is ignored", midi ("CC", 7, 1), true, "Pad", M::aftertouchChange (3, 20, 5), { 0, 7, 1 }, false },
    };

    devices->setInputEnabled ("Keys", true);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        // A controller first row: the preset list is the controller one before and after.
        auto panel = makePanel (midi ("CC", 1, 1) + c.event, fxOnOff, "Toggler Fader/Knob");
        if (! c.selected)
            table (*panel).deselectAllRows();
        ASSERT_NE (cell (*panel, 1), nullptr);
        auto& combo = child<juce::ComboBox> (*panel, "preset combo box");
        combo.addItem ("stale", 99); // gone only if the list is rebuilt

        deliver (*cell (*panel, 1), c.input, c.message);

        expectEvent (*cell (*panel, 1), 1, c.expected);
        const juce::String preset = c.presetCleared ? "" : "Toggler Fader/Knob";
        EXPECT_EQ (InputMapping (element).getPreset(), preset);
        EXPECT_EQ (combo.getText(), preset);
        EXPECT_EQ (combo.getNumItems(), c.presetCleared ? 3 : 4);
        EXPECT_EQ (optionNames (child<juce::PropertyPanel> (*panel, "options property panel")),
                   c.presetCleared ? "" : "invert,range begin,range end");
    }
}
