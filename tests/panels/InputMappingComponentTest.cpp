#include "app/MacOsXLookAndFeel.h"
#include "panels/InputPanelFixture.h"

namespace
{
    juce::StringArray itemTexts (const juce::ComboBox& combo)
    {
        juce::StringArray texts;

        for (int i = 0; i < combo.getNumItems(); ++i)
            texts.add (combo.getItemText (i) + "=" + juce::String (combo.getItemId (i)));

        return texts;
    }

    const juce::Colour orange (235, 135, 25), blue (40, 110, 200), darkRed (150, 25, 30);
}

class InputMappingPanel : public InputPanelFixture
{
protected:
    juce::ComboBox& combo (InputMappingComponent& panel) { return child<juce::ComboBox> (panel, "preset combo box"); }
    juce::PropertyPanel& options (InputMappingComponent& panel) { return child<juce::PropertyPanel> (panel, "options property panel"); }
};

//==============================================================================
TEST_F (InputMappingPanel, ShowsAliasRowsPresetsAndOptionsOfTheMapping)
{
    const juce::String controllerNames = "Logic Fader/Knob=1,Holder Fader/Knob=2,Toggler Fader/Knob=3";
    const juce::String range = "invert,range begin,range end";

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
        { "three events, a known preset", midi ("CC", 7, 1) + midi ("Note", 60, 2) + midi ("PW", 0, 3), fxOnOff,
          "Toggler Fader/Knob", 3, controllerNames, "Toggler Fader/Knob", 3, range },
        { "no preset", midi ("CC", 7, 1), fxOnOff, {}, 1, controllerNames, "", 0, "" },
        { "note presets for a note", midi ("Note", 1, 1), fxOnOff, "Holder Button", 1,
          "Holder Button=1,Toggler Button=2", "Holder Button", 1, "invert" },
        { "a pitch wheel gets the controller presets", midi ("PW", 0, 1), fxOnOff, "Logic Fader/Knob", 1,
          controllerNames, "Logic Fader/Knob", 1, range },
        { "unknown alias", midi ("CC", 7, 1), "no.such.control", {}, 1, "", "", 0, "" },
        { "no events", {}, fxOnOff, {}, 0, "", "", 0, "" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        auto panel = makePanel (c.events, c.alias, c.preset);

        EXPECT_EQ (child<juce::Label> (*panel, "alias label").getText(), c.alias);
        EXPECT_EQ (table (*panel).getNumRows(), c.rows);
        EXPECT_EQ (table (*panel).getSelectedRow(), c.rows - 1);

        for (int row = 0; row < c.rows; ++row)
        {
            ASSERT_NE (cell (*panel, row), nullptr);
            EXPECT_EQ (table (*panel).isRowSelected (row), row == c.rows - 1);
        }

        EXPECT_EQ (itemTexts (combo (*panel)).joinIntoString (","), c.names);
        EXPECT_EQ (combo (*panel).getText(), c.text);
        EXPECT_EQ (combo (*panel).getSelectedId(), c.selectedId);
        EXPECT_EQ (optionNames (options (*panel)).joinIntoString (","), c.options);
    }
}

TEST_F (InputMappingPanel, AStoredPresetTheCatalogueDoesNotOfferIsShownAsTextWithItsOptions)
{
    auto panel = makePanel (midi ("CC", 7, 1));
    element.appendChild (TestHelpers::parse ("<preset name=\"hand made\"><parameters><parameter object=\"invert\" key=\"on\" value=\"on\"/>"
                                             "</parameters></preset>"), nullptr);
    panel->setInputMapping (new InputMapping (element));

    EXPECT_EQ (combo (*panel).getText(), "hand made");
    EXPECT_EQ (combo (*panel).getSelectedId(), 0);
    EXPECT_EQ (optionNames (options (*panel)), juce::StringArray ("invert"));
}

TEST_F (InputMappingPanel, ChoosingAPresetWritesTheCatalogueCopyAndReselectingWritesNothing)
{
    auto panel = makePanel (midi ("CC", 7, 1), fxOnOff, "Logic Fader/Knob");
    auto firstValue = [&] { return element.getChildWithName ("preset").getChildWithName ("parameters").getChild (0)["value"].toString(); };

    element.getChildWithName ("preset").getChildWithName ("parameters").getChild (0).setProperty ("value", "on", nullptr);
    combo (*panel).setSelectedId (1, juce::sendNotification); // already selected: no notification
    TestHelpers::pumpMessages();
    EXPECT_EQ (firstValue(), "on");

    combo (*panel).setSelectedId (3, juce::sendNotification);
    TestHelpers::pumpMessages();
    EXPECT_EQ (InputMapping (element).getPreset(), "Toggler Fader/Knob");
    EXPECT_EQ (firstValue(), "off");
    EXPECT_EQ (optionNames (options (*panel)).joinIntoString (","), "invert,range begin,range end");
}

TEST_F (InputMappingPanel, PaintsBarsRowsBadgesAndTheSelectedLastRow)
{
    MacOsXLookAndFeel lookAndFeel; // the editor's own, as the application installs it
    auto panel = makePanel (midi ("Note", 60, 1) + midi ("CC", 7, 2) + midi ("PW", 0, 16), fxOnOff, "Holder Button");
    panel->setLookAndFeel (&lookAndFeel);
    panel->setSize (300, 400);
    const auto image = TestHelpers::renderComponent (*panel);
    TestHelpers::writeSnapshot (image, "input_mapping_panel");

    // Rows start at y 47 (the header is hidden), 22 pixels each; the table starts at x 1.
    auto rowY = [] (int row, int y) { return 47 + 22 * row + y; };

    struct Probe
    {
        const char* what;
        int x, y;
        juce::Colour expected;
    };

    const Probe probes[] = {
        { "header strip top", 150, 0, juce::Colour (0xfff6f6f6) },
        { "header strip below its gradient", 150, 20, juce::Colour (0xffd9d9d9) },
        { "first bar frame", 150, 27, juce::Colour (0xff999999) },
        { "second bar frame", 150, 119, juce::Colour (0xff999999) },
        { "second bar below its gradient", 150, 137, juce::Colour (0xffbec0d2) },
        { "third bar top", 150, 181, juce::Colour (0xffecedf9) },
        { "body", 150, 170, juce::Colour (0xffe8e8e8) },
        { "unselected row", 250, rowY (0, 11), juce::Colours::white },
        { "selected last row", 250, rowY (2, 11), juce::Colour (75, 150, 230) },
        { "note badge", 1 + 8, rowY (0, 6), orange },
        { "CC badge", 1 + 8, rowY (1, 6), blue },
        { "PW badge", 1 + 8, rowY (2, 6), darkRed },
        { "no number arrow on the pitch-wheel row", 1 + 115 + 8, rowY (2, 3 + 5), juce::Colour (75, 150, 230) },
    };

    for (const auto& p : probes)
    {
        SCOPED_TRACE (p.what);
        const auto actual = image.getPixelAt (p.x, p.y);
        EXPECT_TRUE (TestHelpers::near (actual, p.expected, 3)) << actual.toDisplayString (true).toStdString();
    }

    // The grey arrows beside the channel menu on every row, beside the number menu but on the pitch-wheel row.
    for (int row = 0; row < 3; ++row)
    {
        SCOPED_TRACE (row);
        EXPECT_LT (image.getPixelAt (1 + 64 + 8, rowY (row, 3 + 5)).getBrightness(), 0.6f);
        if (row < 2)
        {
            EXPECT_LT (image.getPixelAt (1 + 115 + 8, rowY (row, 3 + 5)).getBrightness(), 0.6f);
        }
    }

    EXPECT_EQ (child<juce::Label> (*cell (*panel, 2), "midi channel label").getText(), "CH 16");
    EXPECT_FALSE (child<juce::Label> (*cell (*panel, 2), "midi note or cc number label").isVisible());
    EXPECT_EQ (child<juce::Label> (*cell (*panel, 0), "midi note or cc number label").getText(), "60");
}
