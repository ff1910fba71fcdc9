#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The editor's look and feel: JUCE's classic look with its own drawing of combo boxes
    (a light rounded body with a pair of up and down arrows) and of table-header
    backgrounds (a light gradient with one-pixel column separators). Installed as JUCE's
    default look and feel for the whole run, so every combo box and table header uses it.
*/
class MacOsXLookAndFeel : public juce::LookAndFeel_V2
{
public:
    MacOsXLookAndFeel() = default;
    ~MacOsXLookAndFeel() override = default;

    /** Draws a rounded white-to-light-grey body with a grey outline and, on an enabled box, two arrows in the button area. */
    void drawComboBox (juce::Graphics& g, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox& box) override;

    /** Draws the header's gradient, its bottom line and a separator at the right edge of each visible column. */
    void drawTableHeaderBackground (juce::Graphics& g, juce::TableHeaderComponent& header) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MacOsXLookAndFeel)
};
