#include "app/MainViewComponent.h"

#include "app/CommandIds.h"

juce::StringArray MainViewComponent::getMenuBarNames()
{
    return { "File", "Edit" };
}

juce::PopupMenu MainViewComponent::getMenuForIndex (int, const juce::String&)
{
    return {};
}

void MainViewComponent::menuItemSelected (int, int)
{
}

void MainViewComponent::deleteKeyPressed (int)
{
}

juce::ApplicationCommandTarget* MainViewComponent::getNextCommandTarget()
{
    return findFirstTargetParentComponent();
}

void MainViewComponent::getAllCommands (juce::Array<juce::CommandID>&)
{
}

void MainViewComponent::getCommandInfo (juce::CommandID, juce::ApplicationCommandInfo&)
{
}

bool MainViewComponent::perform (const juce::ApplicationCommandTarget::InvocationInfo&)
{
    return false;
}

void MainViewComponent::setMainWindow (WirelaceApplication::MainWindow* window)
{
    mainWindow = window;
}

bool MainViewComponent::askToSaveChanges()
{
    return false;
}

void MainViewComponent::saveAs()
{
}

void MainViewComponent::openFile()
{
}
