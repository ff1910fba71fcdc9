#include <gtest/gtest.h>

#include "app/MacOsXLookAndFeel.h"
#include "app/MultiSelectionComponent.h"
#include "support/PixelProbes.h"

namespace
{
    using TestHelpers::countPixels;
    using TestHelpers::expectPixels;

    constexpr juce::uint32 red = 0xffff0000, flat = 0xffd9d9d9;
    const juce::uint32 headerBottomLine = juce::Colour (flat).overlaidWith (juce::Colour (0x33000000)).getARGB();

    juce::Image drawHeader (MacOsXLookAndFeel& lookAndFeel, juce::TableHeaderComponent& header)
    {
        juce::Image image (juce::Image::ARGB, header.getWidth(), header.getHeight(), true);
        juce::Graphics g (image);
        lookAndFeel.drawTableHeaderBackground (g, header);
        return image;
    }
}

//==============================================================================
TEST (MacOsXLookAndFeel, ComboBoxIsARoundedGradientWithBothArrowsInTheBoxOwnColourOnlyWhenEnabled)
{
    MacOsXLookAndFeel lookAndFeel;
    juce::Component parent;
    juce::ComboBox box;
    parent.addAndMakeVisible (box);

    auto draw = [&]
    {
        juce::Image image (juce::Image::ARGB, 200, 40, true);
        juce::Graphics g (image);
        lookAndFeel.drawComboBox (g, 200, 40, false, 160, 0, 40, 40, box);
        return image;
    };

    // A colour of the parent's is not the box's: the arrow colour of the box's look and feel is used.
    parent.setColour (juce::ComboBox::arrowColourId, juce::Colour (red));
    auto image = draw();
    EXPECT_EQ (countPixels (image, juce::Colour (red)), 0);
    expectPixels (image, { { 180, 15, image.getPixelAt (150, 15).overlaidWith (box.getLookAndFeel().findColour (juce::ComboBox::arrowColourId)).getARGB() } });

    box.setColour (juce::ComboBox::arrowColourId, juce::Colour (red));
    image = draw();
    TestHelpers::writeSnapshot (image, "look-and-feel-combo-box-enabled");

    // White to grey down to half height, flat below, corners left empty; the arrows, apexes at
    // y 10 and 30, bases at y 18 and 22, with the body showing between and around them.
    expectPixels (image, { { 80, 1, 0xfffefefe }, { 80, 20, 0xffeeeeee }, { 80, 35, 0xffeeeeee }, { 0, 0, 0 }, { 199, 39, 0 },
                           { 180, 15, red }, { 180, 17, red }, { 180, 23, red }, { 180, 26, red }, { 180, 20, 0xffeeeeee },
                           { 180, 32, 0xffeeeeee }, { 170, 12, image.getPixelAt (150, 12).getARGB() },
                           { 180, 8, image.getPixelAt (150, 8).getARGB() } });

    // The grey outline runs along the edges.
    EXPECT_LT (image.getPixelAt (80, 39).getBrightness(), image.getPixelAt (80, 35).getBrightness() - 0.05f);
    EXPECT_LT (image.getPixelAt (0, 20).getBrightness(), 0.85f);

    // Both triangles are of the same size, and inside the button area only.
    const auto upper = countPixels (image, juce::Colour (red), { 160, 0, 40, 20 });
    EXPECT_GT (upper, 50);
    EXPECT_NEAR (upper, countPixels (image, juce::Colour (red), { 160, 20, 40, 20 }), 6);
    EXPECT_EQ (countPixels (image, juce::Colour (red), { 0, 0, 160, 40 }), 0);

    box.setEnabled (false);
    image = draw();
    EXPECT_EQ (countPixels (image, juce::Colour (red)), 0);
    expectPixels (image, { { 180, 15, image.getPixelAt (150, 15).getARGB() }, { 180, 25, 0xffeeeeee } });
}

//==============================================================================
TEST (MacOsXLookAndFeel, TableHeaderHasGradientBottomLineAndSeparatorsThatStopAboveIt)
{
    MacOsXLookAndFeel lookAndFeel;
    juce::TableHeaderComponent header;
    header.addColumn ("Alias", 1, 100);
    header.addColumn ("Hidden", 2, 60, 30, -1, juce::TableHeaderComponent::resizable);
    header.addColumn ("Name", 3, 150);
    header.setSize (400, 20);

    auto image = drawHeader (lookAndFeel, header);
    TestHelpers::writeSnapshot (image, "look-and-feel-table-header");

    // From 0xfff6f6f6 at the top to the flat colour at y 10; the bottom line along the whole width.
    expectPixels (image, { { 50, 0, 0xfff6f6f6 }, { 50, 10, flat }, { 50, 18, flat }, { 0, 19, headerBottomLine },
                           { 99, 19, headerBottomLine }, { 249, 19, headerBottomLine }, { 399, 19, headerBottomLine } });
    EXPECT_TRUE (image.getPixelAt (50, 5).getRed() > 0xd9 + 4 && image.getPixelAt (50, 5).getRed() < 0xf6 - 4);

    // Separators of their own gradient after "Alias" and "Name" (the hidden column takes no place),
    // stopping above the bottom line; nowhere else.
    for (int y = 0; y < 19; ++y)
    {
        const auto separator = juce::Colour (0xffdddddd).interpolatedWith (juce::Colour (0xffdcdcdc), juce::jmin (1.0f, (float) y / 10.0f));
        expectPixels (image, { { 99, y, separator.getARGB() }, { 249, y, separator.getARGB() } });
    }

    for (int x : { 98, 100, 159, 248, 250, 320 })
        expectPixels (image, { { x, 2, image.getPixelAt (50, 2).getARGB() } });

    // With no visible column, only the gradient and the bottom line.
    header.setColumnVisible (1, false);
    header.setColumnVisible (3, false);
    header.setSize (300, 24);
    image = drawHeader (lookAndFeel, header);

    for (int y = 0; y < 24; ++y)
        ASSERT_EQ (countPixels (image, image.getPixelAt (0, y), { 0, y, 300, 1 }, 0), 300) << "row " << y;

    expectPixels (image, { { 10, 0, 0xfff6f6f6 }, { 10, 12, flat }, { 10, 23, headerBottomLine } });
}

//==============================================================================
TEST (MultiSelectionComponent, DrawsHeaderAndBodyOnTheLeft300PixelsAndWhiteBeyond)
{
    MultiSelectionComponent panel;
    EXPECT_EQ (panel.getBounds(), juce::Rectangle<int> (600, 400));

    panel.setSize (500, 200);
    auto image = TestHelpers::renderComponent (panel);
    TestHelpers::writeSnapshot (image, "multi-selection-panel");

    // The header strip, unframed: 0xfff6f6f6 at the top to the flat colour at y 14, flat to y 26.
    // The body from y 27, framed on the left, top and right; its lower edge lies below the panel.
    const auto frame = juce::Colour (0xffdfdfdf).overlaidWith (juce::Colour (0x33000000)).getARGB();
    expectPixels (image, { { 150, 0, 0xfff6f6f6 }, { 150, 14, flat }, { 150, 26, flat }, { 0, 20, flat }, { 150, 100, 0xffdfdfdf },
                           { 150, 27, frame }, { 0, 100, frame }, { 299, 100, frame }, { 150, 199, 0xffdfdfdf } });

    // Right of x 300 everything stays white, header height included.
    EXPECT_EQ (countPixels (image, juce::Colours::white, { 300, 0, 200, 200 }, 0), 200 * 200);
}
