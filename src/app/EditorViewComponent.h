#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class ControllerDocument;

/**
    The XML source editor of the open document. The main view owns one as a full-size overlay,
    hidden at start; it hands the editor the document (which outlives it) before showing it.
*/
class EditorViewComponent : public juce::Component
{
public:
    EditorViewComponent();
    ~EditorViewComponent() override;

    /** Shows the document's XML text; the document is not owned. */
    void setDocument (ControllerDocument* documentToEdit);

    /** Asked before the editor is hidden: true when it may close (no edits, or they were
        applied or dropped), false when the user cancelled. */
    bool askToApplyChanges();

private:
    ControllerDocument* document = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (EditorViewComponent)
};
