#include "app/MainViewComponent.h"

void MainViewComponent::cellClicked (int, int, const juce::MouseEvent&)
{
}

void MainViewComponent::addInputMapping()
{
}

void MainViewComponent::addOutputMapping()
{
}

void MainViewComponent::copySelectedMappings()
{
}

void MainViewComponent::pasteMappings()
{
    pasteMappingsFromText (juce::SystemClipboard::getTextFromClipboard());
}

bool MainViewComponent::pasteMappingsFromText (const juce::String&)
{
    return false;
}

void MainViewComponent::deleteSelectedMappings()
{
}

void MainViewComponent::toggleSourceEditor()
{
}
