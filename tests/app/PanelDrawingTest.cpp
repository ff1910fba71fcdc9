#include <gtest/gtest.h>

#include "app/PanelDrawing.h"
#include "support/TestHelpers.h"

namespace
{
    using TestHelpers::near;

    #define EXPECT_PIXEL(image, x, y, expected) \
        EXPECT_TRUE (near ((image).getPixelAt (x, y), juce::Colour (expected))) \
            << "at (" << (x) << ", " << (y) << "): " << (image).getPixelAt (x, y).toDisplayString (true)

    juce::Image whiteImage (int w, int h)
    {
        juce::Image image (juce::Image::ARGB, w, h, true);
        juce::Graphics (image).fillAll (juce::Colours::white);
        return image;
    }
}

TEST (PanelDrawing, SectionBarRunsBetweenItsGradientPointsAndIsFramed)
{
    auto image = whiteImage (320, 80);
    {
        juce::Graphics g (image);
        PanelDrawing::drawSectionBar (g, { 0, 27, 300, 20 }, 32.0f, 48.0f);
    }
    TestHelpers::writeSnapshot (image, "panel-drawing-section-bar");

    const auto frame = juce::Colour (0xff999999);
    EXPECT_PIXEL (image, 150, 27, frame.getARGB());   // top edge
    EXPECT_PIXEL (image, 150, 46, frame.getARGB());   // bottom edge
    EXPECT_PIXEL (image, 0, 37, frame.getARGB());     // left edge
    EXPECT_PIXEL (image, 299, 37, frame.getARGB());   // right edge
    EXPECT_PIXEL (image, 150, 30, 0xffecedf9);        // plain above the gradient start
    EXPECT_PIXEL (image, 150, 45, juce::Colour (0xffecedf9).interpolatedWith (juce::Colour (0xffbec0d2), 13.5f / 16.0f).getARGB());
    EXPECT_PIXEL (image, 150, 26, 0xffffffff);        // nothing outside the bar
    EXPECT_PIXEL (image, 150, 47, 0xffffffff);
    EXPECT_PIXEL (image, 305, 37, 0xffffffff);
}

TEST (PanelDrawing, PanelHeaderIsTheLightGradientFlatBelowY14AndUnframed)
{
    auto image = whiteImage (320, 40);
    {
        juce::Graphics g (image);
        PanelDrawing::drawPanelHeader (g);
    }

    EXPECT_PIXEL (image, 150, 0, 0xfff6f6f6);
    EXPECT_PIXEL (image, 150, 14, 0xffd9d9d9);
    EXPECT_PIXEL (image, 150, 26, 0xffd9d9d9);
    EXPECT_PIXEL (image, 0, 20, 0xffd9d9d9);
    EXPECT_PIXEL (image, 150, 27, 0xffffffff);
    EXPECT_PIXEL (image, 300, 10, 0xffffffff);
}

TEST (PanelDrawing, TableRowsAreSelectedBlueOddStripedAndEvenWhiteWithASeparator)
{
    for (int row : { 0, 1, 2, 3 })
    {
        for (bool selected : { false, true })
        {
            auto image = whiteImage (100, 20);
            juce::Image::BitmapData (image, juce::Image::BitmapData::writeOnly).setPixelColour (50, 10, juce::Colours::red);
            {
                juce::Graphics g (image);
                PanelDrawing::drawTableRowBackground (g, row, 100, 20, selected);
                PanelDrawing::drawCellSeparator (g, 100, 20);
            }

            const auto fill = selected ? juce::Colour (75, 150, 230)
                                       : (row % 2 != 0 ? juce::Colour (240, 245, 250) : juce::Colours::white);
            EXPECT_PIXEL (image, 50, 10, fill.getARGB()) << " row " << row << (selected ? " selected" : "");
            EXPECT_PIXEL (image, 99, 0, fill.overlaidWith (juce::Colours::black.withAlpha (0.2f)).getARGB());
            EXPECT_PIXEL (image, 99, 19, fill.overlaidWith (juce::Colours::black.withAlpha (0.2f)).getARGB());
            EXPECT_PIXEL (image, 98, 10, fill.getARGB());
        }
    }
}

TEST (PanelDrawing, TitleHeaderIsDarkWithLogoAndWhiteTitle)
{
    juce::Image logo (juce::Image::ARGB, 16, 16, true);
    juce::Graphics (logo).fillAll (juce::Colours::red);

    auto image = whiteImage (400, 60);
    {
        juce::Graphics g (image);
        PanelDrawing::drawTitleHeader (g, 400, logo);
    }
    TestHelpers::writeSnapshot (image, "panel-drawing-title-header");

    EXPECT_PIXEL (image, 5, 20, 0xff6b6b6b);
    EXPECT_PIXEL (image, 399, 39, 0xff6b6b6b);
    EXPECT_PIXEL (image, 200, 40, 0xffffffff);
    EXPECT_PIXEL (image, 30, 20, 0xffff0000);   // the logo scaled into (10, 0, 40, 40)
    EXPECT_PIXEL (image, 11, 1, 0xffff0000);
    EXPECT_PIXEL (image, 52, 20, 0xff6b6b6b);

    int whitePixels = 0;

    for (int y = 0; y < 40; ++y)
        for (int x = 60; x < 184; ++x)
            if (near (image.getPixelAt (x, y), juce::Colours::white, 10))
                ++whitePixels;

    EXPECT_GT (whitePixels, 100) << "the title is written in white";

    for (int y = 0; y < 40; ++y)
        for (int x = 190; x < 400; x += 5)
            EXPECT_PIXEL (image, x, y, 0xff6b6b6b);

    // Without a logo only the header and the title are drawn.
    auto noLogo = whiteImage (400, 60);
    {
        juce::Graphics g (noLogo);
        PanelDrawing::drawTitleHeader (g, 400, {});
    }
    EXPECT_PIXEL (noLogo, 30, 20, 0xff6b6b6b);
}
