#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

// The test run never starts an application through JUCE's main, but it registers a factory so
// that JUCE sets itself up as it does for the editor: Xlib thread support and JUCE's X error
// handlers. Without those, the first window on a bare Xvfb (no window manager, so atoms such as
// WM_PROTOCOLS were never made) ends the run with Xlib's default "BadAtom" handler. It also lets
// a test make the application object itself.
static juce::JUCEApplicationBase* createNoApplication()
{
    return nullptr;
}

// One JUCE GUI initialisation for the whole run: every test runs on this thread,
// which is JUCE's message thread.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    juce::JUCEApplicationBase::createInstance = &createNoApplication;
    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    return RUN_ALL_TESTS();
}
