#include "panels/ControllerInfoComponent.h"

ControllerInfoComponent::ControllerInfoComponent()
{
    setSize (600, 400);
}

ControllerInfoComponent::~ControllerInfoComponent()
{
    document = nullptr;
}

void ControllerInfoComponent::setDocument (ControllerDocument* documentToShow)
{
    document = documentToShow;
}
