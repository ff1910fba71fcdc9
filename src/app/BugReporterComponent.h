#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The panel in which the user writes and sends a bug report. The main view owns one as a
    full-size overlay, hidden at start, and shows or hides it from outside.
*/
class BugReporterComponent : public juce::Component
{
public:
    BugReporterComponent();
    ~BugReporterComponent() override;

    void paint (juce::Graphics&) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BugReporterComponent)
};
