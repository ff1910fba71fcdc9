#include "app/WirelaceApplication.h"

std::unique_ptr<juce::AudioDeviceManager> deviceManager;
std::unique_ptr<juce::ApplicationCommandManager> commandManager;
juce::ApplicationProperties appProperties;
