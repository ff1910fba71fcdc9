#pragma once

#include <memory>

#include <juce_gui_basics/juce_gui_basics.h>

class InputMapping;

/**
    The right-hand panel that edits one input mapping. The main view makes a new one for every
    selection of an input row and hands it a view on that row's element, which the panel owns.
*/
class InputMappingComponent : public juce::Component
{
public:
    InputMappingComponent();
    ~InputMappingComponent() override;

    /** Takes ownership of the view and shows its mapping. */
    void setInputMapping (InputMapping* mappingToEdit);

    /** The view being edited, or nullptr before setInputMapping. */
    InputMapping* getInputMapping() const noexcept { return mapping.get(); }

private:
    std::unique_ptr<InputMapping> mapping;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InputMappingComponent)
};
