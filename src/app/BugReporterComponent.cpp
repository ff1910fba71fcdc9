#include "app/BugReporterComponent.h"

BugReporterComponent::BugReporterComponent()
{
    setSize (600, 400);
}

BugReporterComponent::~BugReporterComponent() = default;

void BugReporterComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::white);
}
