#include "panels/OutputMappingComponent.h"

#include "model/OutputMapping.h"

OutputMappingComponent::OutputMappingComponent()
{
    setSize (600, 400);
}

OutputMappingComponent::~OutputMappingComponent() = default;

void OutputMappingComponent::setMapping (OutputMapping* mappingToEdit)
{
    mapping.reset (mappingToEdit);
}
