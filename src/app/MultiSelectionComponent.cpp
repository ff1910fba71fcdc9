#include "app/MultiSelectionComponent.h"

#include "app/PanelDrawing.h"

MultiSelectionComponent::MultiSelectionComponent()
{
    setSize (600, 400);
}

void MultiSelectionComponent::paint (juce::Graphics& g)
{
    using namespace PanelDrawing;

    g.fillAll (Colours::background);

    // The body is as high as the whole panel, so its lower part and frame edge fall below it.
    drawFramedBody (g, { 0, panelHeaderHeight, panelWidth, getHeight() }, Colours::infoBody, Colours::infoFrame);
    drawPanelHeader (g);
}

void MultiSelectionComponent::resized()
{
}
