#include "panels/InputPanelFixture.h"

namespace
{
    /** The texts of the menu items of a shown popup menu (read through their accessibility titles). */
    void collectMenuItems (juce::Component& component, juce::StringArray& texts)
    {
        for (auto* child : component.getChildren())
        {
            if (auto* handler = child->getAccessibilityHandler())
                if (handler->getRole() == juce::AccessibilityRole::menuItem)
                    texts.add (handler->getTitle());

            collectMenuItems (*child, texts);
        }
    }

    /** Opens the sub-menu of the shown menu's item of that title, as a click would, and collects its item texts. */
    juce::StringArray openSubMenu (juce::Component& menu, const juce::String& title)
    {
        for (auto* item : menu.getChildren())
            if (auto* handler = item->getAccessibilityHandler(); handler != nullptr && handler->getTitle() == title)
                handler->getActions().invoke (juce::AccessibilityActionType::showMenu);

        juce::StringArray texts;
        if (auto* subMenu = juce::Component::getCurrentlyModalComponent(); subMenu != nullptr && subMenu != &menu)
            collectMenuItems (*subMenu, texts);
        return texts;
    }

    struct Event
    {
        int type, parameter, channel;
    };

    Event eventOf (const juce::ValueTree& element, int row)
    {
        InputMapping mapping (element);
        return { mapping.getType (row), mapping.getParameter (row), mapping.getChannel (row) };
    }
}

class InputMidiCell : public InputPanelFixture
{
protected:
    juce::Label& channelLabel (InputMidiCellComponent& c) { return child<juce::Label> (c, "midi channel label"); }
    juce::Label& numberLabel (InputMidiCellComponent& c) { return child<juce::Label> (c, "midi note or cc number label"); }

    void expectEvent (InputMidiCellComponent& c, int row, Event expected)
    {
        const auto actual = eventOf (element, row);
        EXPECT_EQ (actual.type, expected.type);
        EXPECT_EQ (actual.parameter, expected.parameter);
        EXPECT_EQ (actual.channel, expected.channel);
        EXPECT_EQ (channelLabel (c).getText(), "CH " + juce::String (expected.channel));
        EXPECT_EQ (numberLabel (c).isVisible(), expected.type != 2);
        if (expected.type != 2)
        {
            EXPECT_EQ (numberLabel (c).getText(), juce::String (expected.parameter));
        }
    }
};

//==============================================================================
TEST_F (InputMidiCell, MenusChosenThroughTheRealPopupWriteTheEvent)
{
    struct Case
    {
        const char* what;
        juce::String event, button;
        int result;
        Event expected;
        juce::String subMenu;               // opened before the menu ends, to read its items
        juce::StringArray expectedItems;    // items of the shown menu (or sub-menu) that must be there
    };

    const juce::String number = "midi note or cc number button", channel = "midi channel button";
    const Case cases[] = {
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
        TestHelpers::ModalEnder ender (c.result, [&] (juce::Component& menu) {
            shown = c.subMenu.isEmpty() ? juce::StringArray() : openSubMenu (menu, c.subMenu);
            if (c.subMenu.isEmpty())
                collectMenuItems (menu, shown);
        });
        child<juce::Button> (*first, c.button).triggerClick();
        TestHelpers::pumpUntil ([&] { return ender.hasEnded(); });
        TestHelpers::pumpMessages();

        EXPECT_TRUE (ender.hasEnded());
        EXPECT_EQ (table (*panel).getSelectedRow(), 0);   // the button selects its row first
        for (const auto& item : c.expectedItems)
            EXPECT_TRUE (shown.contains (item)) << item;
        expectEvent (*first, 0, c.expected);
    }
}

TEST_F (InputMidiCell, LearnsFromTheDefaultInputWhileItsRowIsSelected)
{
    struct Case
    {
        const char* what;
        juce::String event;
        bool selected;
        juce::String input;
        juce::MidiMessage message;
        Event expected;
        bool presetCleared;
    };

    const Case cases[] = {
        { "ignored when not selected", midi ("Note", 60, 1), false, "Pad", juce::MidiMessage::controllerEvent (3, 20, 5), { 1, 60, 1 }, false },
        { "a controller change turns a note row into CC", midi ("Note", 60, 1), true, "Pad",
          juce::MidiMessage::controllerEvent (3, 20, 5), { 0, 20, 3 }, false },
        { "a note off is learned like a note on", midi ("Note", 60, 1), true, "Pad",
          juce::MidiMessage::noteOff (2, 64), { 1, 64, 2 }, true },
        { "a note on with velocity 0", midi ("CC", 7, 1), true, "Pad", juce::MidiMessage::noteOn (5, 61, (juce::uint8) 0), { 1, 61, 5 }, false },
        { "a pitch wheel", midi ("CC", 7, 1), true, "Pad", juce::MidiMessage::pitchWheel (9, 8192), { 2, 0, 9 }, false },
        { "same kind on CC", midi ("CC", 7, 1), true, "Pad", juce::MidiMessage::controllerEvent (16, 1, 0), { 0, 1, 16 }, true },
        { "another enabled input is ignored", midi ("CC", 7, 1), true, "Keys", juce::MidiMessage::controllerEvent (3, 20, 5), { 0, 7, 1 }, false },
        { "a message of another kind is ignored", midi ("CC", 7, 1), true, "Pad", juce::MidiMessage::aftertouchChange (3, 20, 5), { 0, 7, 1 }, false },
    };

    devices->setInputEnabled ("Keys", true);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        // A controller first row, so that the preset list is the controller one before and after.
        auto panel = makePanel (midi ("CC", 1, 1) + c.event, fxOnOff, "Toggler Fader/Knob");
        if (! c.selected)
            table (*panel).deselectAllRows();
        auto* learning = cell (*panel, 1);
        ASSERT_NE (learning, nullptr);

        deliver (*learning, c.input, c.message);

        expectEvent (*learning, 1, c.expected);
        auto& combo = child<juce::ComboBox> (*panel, "preset combo box");
        EXPECT_EQ (InputMapping (element).getPreset(), c.presetCleared ? "" : "Toggler Fader/Knob");
        EXPECT_EQ (combo.getText(), c.presetCleared ? "" : "Toggler Fader/Knob");
        EXPECT_EQ (combo.getNumItems(), 3);
        EXPECT_EQ (combo.getItemText (2), "Toggler Fader/Knob");
        EXPECT_EQ (optionNames (child<juce::PropertyPanel> (*panel, "options property panel")).joinIntoString (","),
                   c.presetCleared ? "" : "invert,range begin,range end");
    }
}
