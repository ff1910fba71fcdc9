#include "app/MacOsXLookAndFeel.h"
#include "panels/MidiPanelFixture.h"
#include "support/PixelProbes.h"

using InputMappingPanel = MidiPanelFixture;

TEST_F (InputMappingPanel, ShowsTheAliasThePresetsOfTheFirstEventsKindAndTheOptionsAndSelectsTheLastRow)
{
    const juce::String controller = "Logic Fader/Knob#1,Holder Fader/Knob#2,Toggler Fader/Knob#3", range = "invert,range begin,range end";
    const juce::String handMade = "<preset name=\"hand made\"><parameters><parameter object=\"invert\" key=\"on\" value=\"on\"/></parameters></preset>";
    // Events, alias and preset; then the rows, the preset items, the preset shown with its id, and the options.
    const struct { juce::String events, alias, preset; int rows; juce::String items, shown, options; } cases[] = {
        { midi ("PW", 0, 3) + midi ("CC", 7) + midi ("Note", 60, 2), fxOnOff, "Toggler Fader/Knob", 3, controller, "Toggler Fader/Knob#3", range },
        { juce::String::repeatedString (midi ("Note", 1), 5), fxOnOff, "Holder Button", 5, "Holder Button#1,Toggler Button#2", "Holder Button#1", "invert" },
        { midi ("CC", 7), fxOnOff, handMade, 1, controller, "hand made#0", "invert" },
        { midi ("CC", 7), "no.such.control", {}, 1, "", "#0", "" },
        { {}, fxOnOff, {}, 0, "", "#0", "" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.events);
        auto panel = makeInputPanel (c.events, c.alias, c.preset);
        auto& combo = child<juce::ComboBox> (*panel, "preset combo box");
        EXPECT_EQ (child<juce::Label> (*panel, "alias label").getText(), c.alias);
        EXPECT_EQ (table (*panel).getNumRows() + 10 * table (*panel).getSelectedRow(), c.rows + 10 * (c.rows - 1));
        EXPECT_TRUE (c.rows == 0 || cell (*panel, c.rows - 1) != nullptr);
        EXPECT_EQ (table (*panel).getViewport()->getViewPositionY() > 0, c.rows > 3); // scrolled to the last row
        EXPECT_EQ (texts (combo) + " " + combo.getText() + "#" + juce::String (combo.getSelectedId()), c.items + " " + c.shown);
        EXPECT_EQ (texts (child<juce::PropertyPanel> (*panel, "options property panel")), c.options);
    }

    // Choosing a preset writes the catalogue's copy; choosing the one selected writes nothing.
    auto panel = makeInputPanel (midi ("CC", 7), fxOnOff, "Logic Fader/Knob");
    for (const auto& [id, expected] : { std::pair { 1, "Logic Fader/Knob on" }, { 3, "Toggler Fader/Knob off" } })
    {
        element.getChildWithName ("preset").getChildWithName ("parameters").getChild (0).setProperty ("value", "on", nullptr);
        child<juce::ComboBox> (*panel, "preset combo box").setSelectedId (id);
        TestHelpers::pumpMessages();
        EXPECT_EQ (InputMapping (element).getPreset() + " " + element.getChildWithName ("preset").getChildWithName ("parameters").getChild (0)["value"].toString(), expected);
    }
}

TEST_F (InputMappingPanel, PaintsBarsRowsBadgesAndArrows)
{
    MacOsXLookAndFeel lookAndFeel; // the editor's own, as the application installs it
    auto panel = makeInputPanel (midi ("Note", 60) + midi ("CC", 7, 2) + midi ("PW", 0, 16), fxOnOff, "Holder Button");
    panel->setLookAndFeel (&lookAndFeel);
    panel->setSize (300, 400);
    const auto image = TestHelpers::renderComponent (*panel);
    TestHelpers::writeSnapshot (image, "input_mapping_panel");
    const int row[] = { 47, 69, 91 }; // the header is hidden; rows of 22
    const juce::uint32 selected = 0xff4b96e6, grey = 0xff787878;
    TestHelpers::expectPixels (image, {
        { 150, 0, 0xfff6f6f6 }, { 150, 20, 0xffd9d9d9 }, { 150, 27, 0xff999999 }, { 150, 137, 0xffbec0d2 }, { 150, 181, 0xffecedf9 }, { 150, 170, 0xffe8e8e8 }, // header, bars, body
        { 250, row[0] + 11, 0xffffffff }, { 250, row[2] + 11, selected }, { 9, row[0] + 6, 0xffeb8719 }, { 9, row[1] + 6, 0xff286ec8 }, { 9, row[2] + 6, 0xff96191e }, // rows, badges
        { 73, row[2] + 8, grey }, { 124, row[1] + 8, grey }, { 124, row[2] + 8, selected }, // channel and number arrows, none on a pitch wheel
    }, 3);
    EXPECT_EQ (rowText (InputMapping (element), 0, cell (*panel, 0)) + ", " + rowText (InputMapping (element), 2, cell (*panel, 2)), "1 60 1 | CH 1 60, 2 0 16 | CH 16 -");
}
