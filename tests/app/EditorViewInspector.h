#pragma once

#include "app/EditorViewComponent.h"

/** Reaches the source editor's members for the tests (the editor names it as a friend). */
struct EditorViewInspector
{
    explicit EditorViewInspector (EditorViewComponent& e) : editor (e) {}

    juce::CodeDocument& codeDocument() const { return *editor.codeDocument; }
    juce::CodeEditorComponent& codeEditor() const { return *editor.codeEditor; }
    juce::Label& infoLabel() const { return *editor.infoLabel; }
    juce::ImageButton& cloudValidatorButton() const { return *editor.cloudValidatorButton; }
    juce::ImageButton& nextErrorButton() const { return *editor.nextErrorButton; }
    juce::ImageButton& previousErrorButton() const { return *editor.previousErrorButton; }
    const juce::StringArray& errorMessages() const { return editor.errorMessages; }
    int currentError() const { return editor.currentError; }

    /** The caret as (line, index), both counted from 0. */
    juce::Point<int> caret() const
    {
        const auto pos = editor.codeEditor->getCaretPos();
        return { pos.getLineNumber(), pos.getIndexInLine() };
    }

    EditorViewComponent& editor;
};
