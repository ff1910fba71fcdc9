#include "app/WirelaceApplication.h"
#include "model/ControlCatalogue.h"

std::unique_ptr<juce::AudioDeviceManager> deviceManager;
std::unique_ptr<juce::ApplicationCommandManager> commandManager;
juce::ApplicationProperties appProperties;
std::unique_ptr<ControlCatalogue> controlCatalogue;
