#include <gtest/gtest.h>

#include "app/PanelDrawing.h"
#include "support/PixelProbes.h"

namespace
{
    using TestHelpers::expectPixels;

    /** A white image with what draw paints over it. */
    juce::Image drawOnWhite (int w, int h, const std::function<void (juce::Graphics&)>& draw)
    {
        juce::Image image (juce::Image::ARGB, w, h, true);
        juce::Graphics g (image);
        g.fillAll (juce::Colours::white);
        draw (g);
        return image;
    }
}

TEST (PanelDrawing, SectionBarRunsBetweenItsGradientPointsAndIsFramed)
{
    auto image = drawOnWhite (320, 80, [] (juce::Graphics& g) { PanelDrawing::drawSectionBar (g, { 0, 27, 300, 20 }, 32.0f, 48.0f); });
    TestHelpers::writeSnapshot (image, "panel-drawing-section-bar");

    const juce::uint32 frame = 0xff999999;
    expectPixels (image, { { 150, 27, frame }, { 150, 46, frame }, { 0, 37, frame }, { 299, 37, frame },
                           { 150, 30, 0xffecedf9 }, // plain above the gradient start
                           { 150, 45, juce::Colour (0xffecedf9).interpolatedWith (juce::Colour (0xffbec0d2), 13.5f / 16.0f).getARGB() },
                           { 150, 26, 0xffffffff }, { 150, 47, 0xffffffff }, { 305, 37, 0xffffffff } });
}

TEST (PanelDrawing, TableRowsAreSelectedBlueOddStripedAndEvenWhiteWithASeparator)
{
    for (int row : { 0, 1, 2, 3 })
    {
        for (bool selected : { false, true })
        {
            SCOPED_TRACE ("row " + juce::String (row) + (selected ? " selected" : ""));
            auto image = drawOnWhite (100, 20, [&] (juce::Graphics& g)
                                      {
                                          g.setColour (juce::Colours::red);
                                          g.fillRect (50, 10, 1, 1);
                                          PanelDrawing::drawTableRowBackground (g, row, 100, 20, selected);
                                          PanelDrawing::drawCellSeparator (g, 100, 20);
                                      });
            const auto fill = selected ? juce::Colour (75, 150, 230) : (row % 2 != 0 ? juce::Colour (240, 245, 250) : juce::Colours::white);
            const auto separator = fill.overlaidWith (juce::Colours::black.withAlpha (0.2f)).getARGB();
            expectPixels (image, { { 50, 10, fill.getARGB() }, { 98, 10, fill.getARGB() }, { 99, 0, separator }, { 99, 19, separator } });
        }
    }
}

TEST (PanelDrawing, TitleHeaderIsDarkWithLogoAndWhiteTitle)
{
    juce::Image logo (juce::Image::ARGB, 16, 16, true);
    juce::Graphics (logo).fillAll (juce::Colours::red);

    auto image = drawOnWhite (400, 60, [&] (juce::Graphics& g) { PanelDrawing::drawTitleHeader (g, 400, logo); });
    TestHelpers::writeSnapshot (image, "panel-drawing-title-header");

    // Dark to y 40, the logo scaled into (10, 0, 40, 40), the title in white between x 60 and 184.
    const juce::uint32 dark = 0xff6b6b6b;
    expectPixels (image, { { 5, 20, dark }, { 399, 39, dark }, { 200, 40, 0xffffffff }, { 30, 20, 0xffff0000 },
                           { 11, 1, 0xffff0000 }, { 52, 20, dark } });
    EXPECT_GT (TestHelpers::countPixels (image, juce::Colours::white, { 60, 0, 124, 40 }, 10), 100);
    EXPECT_EQ (TestHelpers::countPixels (image, juce::Colour (dark), { 190, 0, 210, 40 }), 210 * 40);

    // Without a logo only the header and the title are drawn.
    auto noLogo = drawOnWhite (400, 60, [] (juce::Graphics& g) { PanelDrawing::drawTitleHeader (g, 400, {}); });
    expectPixels (noLogo, { { 30, 20, dark } });
}
