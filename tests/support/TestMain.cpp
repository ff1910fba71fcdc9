#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

// One JUCE GUI initialisation for the whole run: every test runs on this thread,
// which is JUCE's message thread.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    return RUN_ALL_TESTS();
}
