#pragma once

#include <memory>

#include <juce_gui_basics/juce_gui_basics.h>

class OutputMapping;

/**
    The right-hand panel that edits one output mapping. The main view makes a new one for every
    selection of an output row and hands it a view on that row's element, which the panel owns.
*/
class OutputMappingComponent : public juce::Component
{
public:
    OutputMappingComponent();
    ~OutputMappingComponent() override;

    /** Takes ownership of the view (deleting any previous one) and shows its mapping. */
    void setMapping (OutputMapping* mappingToEdit);

    /** The view being edited, or nullptr before setMapping. */
    OutputMapping* getMapping() const noexcept { return mapping.get(); }

private:
    std::unique_ptr<OutputMapping> mapping;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OutputMappingComponent)
};
