#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The right-hand panel shown while two or more mappings are selected in the table:
    an empty body under a header strip, drawn 300 pixels wide, with no children.
*/
class MultiSelectionComponent : public juce::Component
{
public:
    MultiSelectionComponent();
    ~MultiSelectionComponent() override = default;

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MultiSelectionComponent)
};
