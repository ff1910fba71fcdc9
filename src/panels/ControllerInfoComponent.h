#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class ControllerDocument;

/**
    The right-hand panel that shows and edits the controller's information. The main view makes
    a new one whenever no mapping is selected and hands it the open document, which outlives it.
*/
class ControllerInfoComponent : public juce::Component
{
public:
    ControllerInfoComponent();
    ~ControllerInfoComponent() override;

    /** Shows the document's information; the document is not owned. */
    void setDocument (ControllerDocument* documentToShow);

private:
    ControllerDocument* document = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ControllerInfoComponent)
};
