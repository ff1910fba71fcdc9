#include "app/MacOsXLookAndFeel.h"
#include "panels/InputPanelFixture.h"

class InputMappingPanel : public InputPanelFixture
{
protected:
    juce::ComboBox& combo (InputMappingComponent& panel) { return child<juce::ComboBox> (panel, "preset combo box"); }
    juce::PropertyPanel& options (InputMappingComponent& panel) { return child<juce::PropertyPanel> (panel, "options property panel"); }
};

TEST_F (InputMappingPanel, ShowsAliasRowsPresetsAndOptionsAndSelectsTheLastRow)
{
    const juce::String controller = "Logic Fader/Knob,Holder Fader/Knob,Toggler Fader/Knob", range = "invert,range begin,range end";
    const juce::String handMade = "<preset name=\"hand made\"><parameters><parameter object=\"invert\" key=\"on\" value=\"on\"/></parameters></preset>";

    struct Case
    {
        const char* what;
        juce::String events, alias, preset;
        int rows;
        juce::String names, text;
        int selectedId;
        juce::String options;
    };

    const Case cases[] = {
        { "three events", midi ("CC", 7, 1) + midi ("Note", 60, 2) + midi ("PW", 0, 3), fxOnOff, "Toggler Fader/Knob", 3,
          controller, "Toggler Fader/Knob", 3, range },
        { "five events scroll", juce::String::repeatedString (midi ("Note", 1, 1), 5), fxOnOff, "Holder Button", 5,
          "Holder Button,Toggler Button", "Holder Button", 1, "invert" },
        { "no preset", midi ("CC", 7, 1), fxOnOff, {}, 1, controller, "", 0, "" },
        { "a preset not offered", midi ("CC", 7, 1), fxOnOff, handMade, 1, controller, "hand made", 0, "invert" },
        { "a pitch wheel is offered controller presets", midi ("PW", 0, 1), fxOnOff, "Logic Fader/Knob", 1, controller,
          "Logic Fader/Knob", 1, range },
        { "unknown alias", midi ("CC", 7, 1), "no.such.control", {}, 1, "", "", 0, "" },
        { "no events", {}, fxOnOff, {}, 0, "", "", 0, "" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        auto panel = makePanel (c.events, c.alias, c.preset);
        juce::StringArray names;
        for (int i = 0; i < combo (*panel).getNumItems(); ++i)
            names.add (combo (*panel).getItemText (i) + (combo (*panel).getItemId (i) == i + 1 ? "" : "(bad id)"));

        EXPECT_EQ (child<juce::Label> (*panel, "alias label").getText(), c.alias);
        EXPECT_EQ (table (*panel).getNumRows(), c.rows);
        EXPECT_EQ (table (*panel).getSelectedRow(), c.rows - 1);
        ASSERT_TRUE (c.rows == 0 || cell (*panel, c.rows - 1) != nullptr);
        EXPECT_EQ (table (*panel).getViewport()->getViewPositionY() > 0, c.rows > 3);
        EXPECT_EQ (names.joinIntoString (","), c.names);
        EXPECT_EQ (combo (*panel).getText(), c.text);
        EXPECT_EQ (combo (*panel).getSelectedId(), c.selectedId);
        EXPECT_EQ (optionNames (options (*panel)), c.options);
    }
}

TEST_F (InputMappingPanel, ChoosingAPresetWritesTheCatalogueCopyAndReselectingWritesNothing)
{
    auto panel = makePanel (midi ("CC", 7, 1), fxOnOff, "Logic Fader/Knob");
    auto firstOption = [&] { return element.getChildWithName ("preset").getChildWithName ("parameters").getChild (0); };

    firstOption().setProperty ("value", "on", nullptr);
    combo (*panel).setSelectedId (1, juce::sendNotification); // already selected: no notification
    TestHelpers::pumpMessages();
    EXPECT_EQ (firstOption()["value"].toString(), "on");

    combo (*panel).setSelectedId (3, juce::sendNotification);
    TestHelpers::pumpMessages();
    EXPECT_EQ (InputMapping (element).getPreset(), "Toggler Fader/Knob");
    EXPECT_EQ (firstOption()["value"].toString(), "off");
    EXPECT_EQ (optionNames (options (*panel)), "invert,range begin,range end");
}

TEST_F (InputMappingPanel, PaintsBarsRowsBadgesAndArrows)
{
    MacOsXLookAndFeel lookAndFeel; // the editor's own, as the application installs it
    auto panel = makePanel (midi ("Note", 60, 1) + midi ("CC", 7, 2) + midi ("PW", 0, 16), fxOnOff, "Holder Button");
    panel->setLookAndFeel (&lookAndFeel);
    panel->setSize (300, 400);
    const auto image = TestHelpers::renderComponent (*panel);
    TestHelpers::writeSnapshot (image, "input_mapping_panel");

    auto rowY = [] (int row, int y) { return 47 + 22 * row + y; }; // the header is hidden; rows of 22 from y 47
    const juce::Colour selected (75, 150, 230), grey (120, 120, 120);
    const struct { const char* what; int x, y; juce::Colour expected; } probes[] = {
        { "header strip top", 150, 0, juce::Colour (0xfff6f6f6) },
        { "header strip below its gradient", 150, 20, juce::Colour (0xffd9d9d9) },
        { "first bar frame", 150, 27, juce::Colour (0xff999999) },
        { "second bar below its gradient", 150, 137, juce::Colour (0xffbec0d2) },
        { "third bar top", 150, 181, juce::Colour (0xffecedf9) },
        { "body", 150, 170, juce::Colour (0xffe8e8e8) },
        { "unselected row", 250, rowY (0, 11), juce::Colours::white },
        { "selected last row", 250, rowY (2, 11), selected },
        { "note badge", 1 + 8, rowY (0, 6), juce::Colour (235, 135, 25) },
        { "CC badge", 1 + 8, rowY (1, 6), juce::Colour (40, 110, 200) },
        { "PW badge", 1 + 8, rowY (2, 6), juce::Colour (150, 25, 30) },
        { "channel arrow", 1 + 64 + 8, rowY (2, 8), grey },
        { "number arrow", 1 + 115 + 8, rowY (1, 8), grey },
        { "no number arrow on a pitch wheel", 1 + 115 + 8, rowY (2, 8), selected },
    };

    for (const auto& p : probes)
    {
        SCOPED_TRACE (p.what);
        const auto actual = image.getPixelAt (p.x, p.y);
        EXPECT_TRUE (TestHelpers::near (actual, p.expected, 3)) << actual.toDisplayString (true);
    }

    EXPECT_EQ (child<juce::Label> (*cell (*panel, 2), "midi channel label").getText(), "CH 16");
    EXPECT_FALSE (child<juce::Label> (*cell (*panel, 2), "midi note or cc number label").isVisible());
    EXPECT_EQ (child<juce::Label> (*cell (*panel, 0), "midi note or cc number label").getText(), "60");
}
