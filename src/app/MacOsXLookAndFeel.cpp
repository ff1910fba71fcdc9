#include "app/MacOsXLookAndFeel.h"

#include "app/PanelDrawing.h"

void MacOsXLookAndFeel::drawComboBox (juce::Graphics& g, int width, int height, bool /*isButtonDown*/,
                                      int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox& box)
{
    const auto w = (float) width;
    const auto h = (float) height;

    g.setGradientFill (juce::ColourGradient (juce::Colour (0xffffffff), 0.0f, 0.0f,
                                             juce::Colour (0xffeeeeee), 0.0f, h * 0.5f, false));
    g.fillRoundedRectangle (0.0f, 0.0f, w, h, 7.0f);

    g.setColour (juce::Colour (0xff909090));
    g.drawRoundedRectangle (0.0f, 0.0f, w, h, 7.0f, 1.0f);

    if (! box.isEnabled())
        return;

    const auto bx = (float) buttonX;
    const auto by = (float) buttonY;
    const auto bw = (float) buttonW;
    const auto bh = (float) buttonH;

    // The upper apex sits at the single-precision number just below a quarter (bits 0x3e7fffff).
    juce::Path arrows;
    arrows.addTriangle (bx + bw * 0.5f, by + bh * 0.2499999851f,
                        bx + bw * 0.7f, by + bh * 0.45f,
                        bx + bw * 0.3f, by + bh * 0.45f);
    arrows.addTriangle (bx + bw * 0.5f, by + bh * 0.75f,
                        bx + bw * 0.7f, by + bh * 0.55f,
                        bx + bw * 0.3f, by + bh * 0.55f);

    g.setColour (box.findColour (juce::ComboBox::arrowColourId, false));
    g.fillPath (arrows);
}

void MacOsXLookAndFeel::drawTableHeaderBackground (juce::Graphics& g, juce::TableHeaderComponent& header)
{
    const auto w = header.getWidth();
    const auto h = header.getHeight();

    g.fillAll (juce::Colour (0xffffffff));

    PanelDrawing::drawHeaderStrip (g, { 0, 0, w, h }, 0.0f, (float) h * 0.5f);

    g.setColour (juce::Colour (0x33000000));
    g.fillRect (0, h - 1, w, 1);

    g.setGradientFill (juce::ColourGradient (juce::Colour (0xffdddddd), 0.0f, 0.0f,
                                             juce::Colour (0xffdcdcdc), 0.0f, (float) h * 0.5f, false));

    for (int i = header.getNumColumns (true); --i >= 0;)
    {
        const auto r = header.getColumnPosition (i);
        g.fillRect (r.getX() + r.getWidth() - 1, 0, 1, h - 1);
    }
}
