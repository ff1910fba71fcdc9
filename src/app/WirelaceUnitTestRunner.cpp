#include "app/WirelaceUnitTestRunner.h"

void WirelaceUnitTestRunner::resultsUpdated()
{
}

void WirelaceUnitTestRunner::logMessage (const juce::String& message)
{
    juce::Logger::writeToLog ("UnitTest: " + message);
}

bool WirelaceUnitTestRunner::shouldAbortTests()
{
    return false;
}
