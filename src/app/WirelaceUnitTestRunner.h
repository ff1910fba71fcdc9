#pragma once

#include <juce_core/juce_core.h>

/**
    Runs the registered unit tests at start-up and sends their messages to the log,
    each prefixed with "UnitTest: ". It never asks to abort and shows no progress.
*/
class WirelaceUnitTestRunner : public juce::UnitTestRunner
{
public:
    WirelaceUnitTestRunner() = default;
    ~WirelaceUnitTestRunner() override = default;

    void resultsUpdated() override;
    void logMessage (const juce::String& message) override;
    bool shouldAbortTests() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WirelaceUnitTestRunner)
};
