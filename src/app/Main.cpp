#include "app/WirelaceApplication.h"

static juce::JUCEApplicationBase* createApplication()
{
    return new WirelaceApplication();
}

int main (int argc, char* argv[])
{
    juce::JUCEApplicationBase::createInstance = &createApplication;
    return juce::JUCEApplicationBase::main (argc, (const char**) argv);
}
