#pragma once

#include "support/TestHelpers.h"

/** Pixel probes for the drawing tests: a table of points with the colours expected there, and colour counts. */
namespace TestHelpers
{
    struct Probe { int x, y; juce::uint32 argb; };

    inline void expectPixels (const juce::Image& image, std::initializer_list<Probe> probes, int tolerance = 2)
    {
        for (const auto& p : probes)
            EXPECT_TRUE (near (image.getPixelAt (p.x, p.y), juce::Colour (p.argb), tolerance))
                << "at (" << p.x << ", " << p.y << "): " << image.getPixelAt (p.x, p.y).toDisplayString (true) << ", expected " << juce::Colour (p.argb).toDisplayString (true);
    }

    /** The number of pixels of the image (or of an area of it) near the colour. */
    inline int countPixels (const juce::Image& image, juce::Colour colour, juce::Rectangle<int> area = {}, int tolerance = 8)
    {
        int count = 0;

        for (auto r = area.isEmpty() ? image.getBounds() : area; ! r.isEmpty(); r.removeFromTop (1))
            for (int x = r.getX(); x < r.getRight(); ++x)
                count += near (image.getPixelAt (x, r.getY()), colour, tolerance) ? 1 : 0;

        return count;
    }
}
