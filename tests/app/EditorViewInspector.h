#pragma once

#include "app/EditorViewComponent.h"

/** Reaches the source editor's members for the tests (the editor names it as a friend). */
struct EditorViewInspector
{
    explicit EditorViewInspector (EditorViewComponent& e) : editor (e) {}

    juce::CodeDocument& codeDocument() const { return *editor.codeDocument; }
    juce::CodeEditorComponent& codeEditor() const { return *editor.codeEditor; }
    juce::Label& infoLabel() const { return *editor.infoLabel; }
    juce::Button* button (int index) const { return dynamic_cast<juce::Button*> (editor.getChildComponent (index)); } ///< 1 validator, 2 next, 3 previous

    EditorViewComponent& editor;
};
