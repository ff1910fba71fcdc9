#include "app/EditorViewComponent.h"

EditorViewComponent::EditorViewComponent()
{
    setSize (600, 400);
}

EditorViewComponent::~EditorViewComponent() = default;

void EditorViewComponent::setDocument (ControllerDocument* documentToEdit)
{
    document = documentToEdit;
}

bool EditorViewComponent::askToApplyChanges()
{
    return true;
}
