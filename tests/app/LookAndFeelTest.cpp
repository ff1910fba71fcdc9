#include <gtest/gtest.h>

#include "app/MacOsXLookAndFeel.h"
#include "app/MultiSelectionComponent.h"
#include "support/TestHelpers.h"

namespace
{
    using TestHelpers::near;

    std::string describe (juce::Colour c)
    {
        return c.toDisplayString (true).toStdString();
    }

    #define EXPECT_COLOUR(image, x, y, expected) \
        EXPECT_TRUE (near ((image).getPixelAt (x, y), juce::Colour (expected))) \
            << "at (" << (x) << ", " << (y) << "): " << describe ((image).getPixelAt (x, y))

    juce::Image drawComboBox (MacOsXLookAndFeel& lookAndFeel, juce::ComboBox& box, int w, int h, int bx, int by, int bw, int bh)
    {
        juce::Image image (juce::Image::ARGB, w, h, true);
        juce::Graphics g (image);
        lookAndFeel.drawComboBox (g, w, h, false, bx, by, bw, bh, box);
        return image;
    }

    juce::Image drawHeader (MacOsXLookAndFeel& lookAndFeel, juce::TableHeaderComponent& header)
    {
        juce::Image image (juce::Image::ARGB, header.getWidth(), header.getHeight(), true);
        juce::Graphics g (image);
        lookAndFeel.drawTableHeaderBackground (g, header);
        return image;
    }

    int countPixelsOf (const juce::Image& image, juce::Colour colour)
    {
        int count = 0;

        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (near (image.getPixelAt (x, y), colour, 8))
                    ++count;

        return count;
    }
}

//==============================================================================
TEST (MacOsXLookAndFeel, ComboBoxBodyIsARoundedWhiteToGreyGradientWithGreyOutline)
{
    MacOsXLookAndFeel lookAndFeel;
    juce::ComboBox box;
    auto image = drawComboBox (lookAndFeel, box, 200, 40, 160, 0, 40, 40);

    EXPECT_COLOUR (image, 80, 1, 0xfffefefe);  // just below the top: nearly white
    EXPECT_COLOUR (image, 80, 20, 0xffeeeeee); // the gradient ends at half height ...
    EXPECT_COLOUR (image, 80, 35, 0xffeeeeee); // ... and stays flat below
    EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0);     // rounded corners leave the corner empty
    EXPECT_EQ (image.getPixelAt (199, 39).getAlpha(), 0);

    // The one-pixel outline runs along the edges, half inside the box, in 0xff909090 over the body.
    const auto edge = image.getPixelAt (80, 39);
    EXPECT_LT (edge.getBrightness(), image.getPixelAt (80, 35).getBrightness() - 0.05f) << describe (edge);
    EXPECT_EQ (edge.getRed(), edge.getBlue());
    EXPECT_LT (image.getPixelAt (0, 20).getBrightness(), 0.85f);
}

TEST (MacOsXLookAndFeel, EnabledComboBoxDrawsBothArrowsInItsArrowColourInsideTheButton)
{
    MacOsXLookAndFeel lookAndFeel;
    juce::ComboBox box;
    box.setColour (juce::ComboBox::arrowColourId, juce::Colours::red);
    auto image = drawComboBox (lookAndFeel, box, 200, 40, 160, 0, 40, 40);
    TestHelpers::writeSnapshot (image, "look-and-feel-combo-box-enabled");

    // Upward triangle: apex (180, 10), base at y 18 from x 168 to 192.
    EXPECT_COLOUR (image, 180, 15, 0xffff0000);
    EXPECT_COLOUR (image, 180, 17, 0xffff0000);
    // Downward triangle: base at y 22, apex (180, 30).
    EXPECT_COLOUR (image, 180, 23, 0xffff0000);
    EXPECT_COLOUR (image, 180, 26, 0xffff0000);
    // Between the two triangles and outside them the body shows.
    EXPECT_COLOUR (image, 180, 20, 0xffeeeeee);
    EXPECT_COLOUR (image, 170, 12, image.getPixelAt (150, 12).getARGB());
    EXPECT_COLOUR (image, 180, 8, image.getPixelAt (150, 8).getARGB());
    EXPECT_COLOUR (image, 180, 32, 0xffeeeeee);

    // No arrow colour left of the button area.
    const auto left = image.getClippedImage ({ 0, 0, 160, 40 });
    EXPECT_EQ (countPixelsOf (left, juce::Colours::red), 0);

    // Both triangles are of the same size: 0.7 - 0.3 of the width by 0.2 of the height each.
    const auto upper = countPixelsOf (image.getClippedImage ({ 160, 0, 40, 20 }), juce::Colours::red);
    const auto lower = countPixelsOf (image.getClippedImage ({ 160, 20, 40, 20 }), juce::Colours::red);
    EXPECT_GT (upper, 50);
    EXPECT_NEAR (upper, lower, 6);
}

TEST (MacOsXLookAndFeel, DisabledComboBoxDrawsNoArrows)
{
    MacOsXLookAndFeel lookAndFeel;
    juce::ComboBox box;
    box.setColour (juce::ComboBox::arrowColourId, juce::Colours::red);
    box.setEnabled (false);
    auto image = drawComboBox (lookAndFeel, box, 200, 40, 160, 0, 40, 40);

    EXPECT_EQ (countPixelsOf (image, juce::Colours::red), 0);
    EXPECT_COLOUR (image, 180, 15, image.getPixelAt (150, 15).getARGB());
    EXPECT_COLOUR (image, 180, 25, 0xffeeeeee);
}

TEST (MacOsXLookAndFeel, ArrowColourIsTheBoxOwnNotItsParents)
{
    MacOsXLookAndFeel lookAndFeel;
    juce::Component parent;
    juce::ComboBox box;
    box.setLookAndFeel (&lookAndFeel);
    parent.addAndMakeVisible (box);
    parent.setColour (juce::ComboBox::arrowColourId, juce::Colours::red);

    auto image = drawComboBox (lookAndFeel, box, 200, 40, 160, 0, 40, 40);

    // The box has no colour of its own, so its look and feel's arrow colour is used, not the parent's red.
    EXPECT_EQ (countPixelsOf (image, juce::Colours::red), 0);
    const auto arrow = lookAndFeel.findColour (juce::ComboBox::arrowColourId);
    EXPECT_COLOUR (image, 180, 15, image.getPixelAt (150, 15).overlaidWith (arrow).getARGB());
    box.setLookAndFeel (nullptr);
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

    // The gradient runs from 0xfff6f6f6 at the top to 0xffd9d9d9 at y 10 and is flat below.
    EXPECT_COLOUR (image, 50, 0, 0xfff6f6f6);
    EXPECT_COLOUR (image, 50, 10, 0xffd9d9d9);
    EXPECT_COLOUR (image, 50, 15, 0xffd9d9d9);
    EXPECT_COLOUR (image, 50, 18, 0xffd9d9d9);
    const auto middle = image.getPixelAt (50, 5);
    EXPECT_GT (middle.getRed(), 0xd9 + 4);
    EXPECT_LT (middle.getRed(), 0xf6 - 4);

    // Bottom line: 0x33000000 over the flat colour, along the whole width.
    const auto bottom = juce::Colour (0xffd9d9d9).overlaidWith (juce::Colour (0x33000000));

    for (int x : { 0, 99, 150, 349, 399 })
        EXPECT_COLOUR (image, x, 19, bottom.getARGB());

    // The hidden column takes no place: "Name" spans x 100 to 250.
    for (int y = 0; y < 19; ++y)
    {
        EXPECT_COLOUR (image, 99, y, (y < 10 ? juce::Colour (0xffdddddd).interpolatedWith (juce::Colour (0xffdcdcdc), (float) y / 10.0f)
                                              : juce::Colour (0xffdcdcdc)).getARGB());
        EXPECT_COLOUR (image, 249, y, image.getPixelAt (99, y).getARGB());
    }

    // Nowhere else a separator: right of the last column and where the hidden one would end.
    for (int x : { 98, 100, 159, 248, 250, 320 })
        EXPECT_COLOUR (image, x, 2, image.getPixelAt (50, 2).getARGB());
}

TEST (MacOsXLookAndFeel, TableHeaderWithNoVisibleColumnsGetsOnlyGradientAndBottomLine)
{
    MacOsXLookAndFeel lookAndFeel;
    juce::TableHeaderComponent header;
    header.addColumn ("Hidden", 1, 100, 30, -1, juce::TableHeaderComponent::resizable);
    header.setSize (300, 24);

    auto image = drawHeader (lookAndFeel, header);

    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 300; ++x)
            ASSERT_EQ (image.getPixelAt (x, y), image.getPixelAt (0, y)) << "row " << y << " is not uniform at x " << x;

    EXPECT_COLOUR (image, 10, 0, 0xfff6f6f6);
    EXPECT_COLOUR (image, 10, 12, 0xffd9d9d9);
    EXPECT_COLOUR (image, 10, 23, juce::Colour (0xffd9d9d9).overlaidWith (juce::Colour (0x33000000)).getARGB());
}

TEST (MacOsXLookAndFeel, RealTableListBoxAndComboBoxPaintThroughIt)
{
    MacOsXLookAndFeel lookAndFeel;
    juce::Component holder;
    holder.setLookAndFeel (&lookAndFeel);
    holder.setSize (420, 140);

    juce::TableListBox table;
    table.getHeader().addColumn ("Alias", 1, 200);
    table.getHeader().addColumn ("Type", 2, 150);
    table.setHeaderHeight (20);
    table.setBounds (10, 50, 400, 80);
    holder.addAndMakeVisible (table);

    juce::ComboBox box;
    box.addItem ("all", 1);
    box.setSelectedId (1, juce::dontSendNotification);
    box.setBounds (10, 10, 250, 24);
    holder.addAndMakeVisible (box);

    auto image = TestHelpers::renderComponent (holder);
    TestHelpers::writeSnapshot (image, "look-and-feel-table-and-combo");

    // The header of the real table is drawn by this look and feel: its separator after "Alias".
    EXPECT_COLOUR (image, 10 + 199, 50 + 12, 0xffdcdcdc);
    EXPECT_COLOUR (image, 10 + 50, 50 + 15, 0xffd9d9d9);
    // The real combo box's body gradient.
    EXPECT_COLOUR (image, 10 + 200, 10 + 20, 0xffeeeeee);

    holder.setLookAndFeel (nullptr);
}

//==============================================================================
TEST (MultiSelectionComponent, DrawsHeaderAndBodyOnTheLeft300PixelsAndWhiteBeyond)
{
    MultiSelectionComponent panel;
    EXPECT_EQ (panel.getWidth(), 600);
    EXPECT_EQ (panel.getHeight(), 400);
    EXPECT_EQ (panel.getNumChildComponents(), 0);

    panel.setSize (500, 200);
    auto image = TestHelpers::renderComponent (panel);
    TestHelpers::writeSnapshot (image, "multi-selection-panel");

    // Header strip: 0xfff6f6f6 at the top to 0xffd9d9d9 at y 14, flat to y 26.
    EXPECT_COLOUR (image, 150, 0, 0xfff6f6f6);
    EXPECT_COLOUR (image, 150, 14, 0xffd9d9d9);
    EXPECT_COLOUR (image, 150, 26, 0xffd9d9d9);
    EXPECT_COLOUR (image, 0, 20, 0xffd9d9d9);   // the header strip is not framed

    // Body from y 27, framed on the left, top and right in 0x33000000 over the body colour.
    const auto frame = juce::Colour (0xffdfdfdf).overlaidWith (juce::Colour (0x33000000));
    EXPECT_COLOUR (image, 150, 100, 0xffdfdfdf);
    EXPECT_COLOUR (image, 150, 27, frame.getARGB());
    EXPECT_COLOUR (image, 0, 100, frame.getARGB());
    EXPECT_COLOUR (image, 299, 100, frame.getARGB());
    // The lower frame edge lies below the panel.
    EXPECT_COLOUR (image, 150, 199, 0xffdfdfdf);

    // Right of x 300 everything stays white, header height included.
    for (int y = 0; y < 200; y += 3)
        for (int x = 300; x < 500; x += 9)
            ASSERT_EQ (image.getPixelAt (x, y), juce::Colour (0xffffffff)) << "at (" << x << ", " << y << ")";
}
