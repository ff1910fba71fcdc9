#include "app/MacOsXLookAndFeel.h"
#include "panels/MidiPanelFixture.h"
#include "support/PixelProbes.h"

using InputMappingPanel = MidiPanelFixture;

TEST_F (InputMappingPanel, ShowsTheAliasThePresetsOfTheFirstEventsKindAndTheOptionsAndSelectsAndShowsTheLastRow)
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
        EXPECT_EQ ((c.rows == 0 || cell (*panel, c.rows - 1) != nullptr) + 2 * (table (*panel).getViewport()->getViewPositionY() > 0), 1 + 2 * (c.rows > 3)); // scrolled to it
        EXPECT_EQ (texts (combo) + " " + combo.getText() + "#" + juce::String (combo.getSelectedId()), c.items + " " + c.shown);
        EXPECT_EQ (texts (child<juce::PropertyPanel> (*panel, "options property panel")), c.options);
    }

    auto panel = makeInputPanel (midi ("CC", 7), fxOnOff, "Logic Fader/Knob"); // a preset chosen is the catalogue's copy
    element.getChildWithName ("preset").getChildWithName ("parameters").getChild (0).setProperty ("value", "on", nullptr);
    child<juce::ComboBox> (*panel, "preset combo box").setSelectedId (3);
    TestHelpers::pumpMessages();
    EXPECT_EQ (InputMapping (element).getPreset() + " " + element.getChildWithName ("preset").getChildWithName ("parameters").getChild (0)["value"].toString(), "Toggler Fader/Knob off");
}

TEST_F (InputMappingPanel, PaintsBarsRowsBadgesAndArrows)
{
    MacOsXLookAndFeel lookAndFeel; // the editor's own, as the application installs it
    auto panel = makeInputPanel (midi ("Note", 60) + midi ("CC", 7, 2) + midi ("PW", 0, 16), fxOnOff, "Holder Button");
    panel->setLookAndFeel (&lookAndFeel);
    panel->setSize (300, 400);
    const auto image = TestHelpers::renderComponent (*panel);
    TestHelpers::writeSnapshot (image, "input_mapping_panel");
    // Bars at 27 and 137 below the header strip; rows of 22 from 47, the last selected; the note, CC and pitch wheel badges; channel and number arrows, none on a pitch wheel.
    TestHelpers::expectPixels (image, {
        { 150, 20, 0xffd9d9d9 }, { 150, 27, 0xff999999 }, { 150, 137, 0xffbec0d2 }, { 150, 170, 0xffe8e8e8 }, { 250, 58, 0xffffffff }, { 250, 102, 0xff4b96e6 },
        { 9, 53, 0xffeb8719 }, { 9, 75, 0xff286ec8 }, { 9, 97, 0xff96191e }, { 73, 99, 0xff787878 }, { 124, 77, 0xff787878 }, { 124, 99, 0xff4b96e6 },
    }, 3);
    EXPECT_EQ (rowText (InputMapping (element), 0, cell (*panel, 0)) + ", " + rowText (InputMapping (element), 2, cell (*panel, 2)), "1 60 1 | CH 1 60, 2 0 16 | CH 16 -");
}
