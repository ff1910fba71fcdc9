#pragma once

#include "app/EditorViewComponent.h"

/** Reaches the source editor's code document for the tests (the editor names it as a friend); its children are public. */
struct EditorViewInspector
{
    explicit EditorViewInspector (EditorViewComponent& e) : editor (e) {}
    juce::CodeDocument& codeDocument() const { return *editor.codeDocument; }
    EditorViewComponent& editor;
};
