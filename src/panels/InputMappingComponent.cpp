#include "panels/InputMappingComponent.h"

#include "model/InputMapping.h"

InputMappingComponent::InputMappingComponent()
{
    setSize (600, 400);
}

InputMappingComponent::~InputMappingComponent() = default;

void InputMappingComponent::setInputMapping (InputMapping* mappingToEdit)
{
    mapping.reset (mappingToEdit);
}
