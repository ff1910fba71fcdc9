#include "app/PanelDrawing.h"

namespace PanelDrawing
{
void fillVerticalGradient (juce::Graphics& g, juce::Rectangle<int> area,
                           juce::Colour top, float topY, juce::Colour bottom, float bottomY)
{
    g.setGradientFill (juce::ColourGradient (top, 0.0f, topY, bottom, 0.0f, bottomY, false));
    g.fillRect (area);
}

void drawHeaderStrip (juce::Graphics& g, juce::Rectangle<int> area, float gradientStartY, float gradientEndY)
{
    fillVerticalGradient (g, area, Colours::headerTop, gradientStartY, Colours::headerBottom, gradientEndY);
}

void drawPanelHeader (juce::Graphics& g)
{
    drawHeaderStrip (g, { 0, 0, panelWidth, panelHeaderHeight }, 0.0f, 14.0f);
}

void drawSectionBar (juce::Graphics& g, juce::Rectangle<int> area, float gradientStartY, float gradientEndY)
{
    fillVerticalGradient (g, area, Colours::sectionTop, gradientStartY, Colours::sectionBottom, gradientEndY);
    g.setColour (Colours::sectionFrame);
    g.drawRect (area, 1);
}

void drawFramedBody (juce::Graphics& g, juce::Rectangle<int> area, juce::Colour fill, juce::Colour frame)
{
    g.setColour (fill);
    g.fillRect (area);
    g.setColour (frame);
    g.drawRect (area, 1);
}

void drawTitleHeader (juce::Graphics& g, int width, const juce::Image& logo)
{
    g.setColour (Colours::darkHeader);
    g.fillRect (0, 0, width, titleHeaderHeight);

    if (logo.isValid())
        g.drawImage (logo, 10, 0, 40, 40, 0, 0, logo.getWidth(), logo.getHeight());

    g.setColour (Colours::titleText);
    g.setFont (juce::Font (26.2f, juce::Font::bold));
    g.drawText ("Wirelace", 60, 0, 124, 40, juce::Justification::centredLeft, true);
}

void drawTableRowBackground (juce::Graphics& g, int rowNumber, int width, int height, bool isSelected)
{
    if (isSelected)
        g.setColour (Colours::tableSelection);
    else if ((rowNumber % 2) != 0)
        g.setColour (Colours::oddRow);
    else
        g.setColour (Colours::background);

    g.fillRect (0, 0, width, height);
}

void drawCellSeparator (juce::Graphics& g, int width, int height)
{
    g.setColour (Colours::cellSeparator);
    g.fillRect (width - 1, 0, 1, height);
}
} // namespace PanelDrawing
