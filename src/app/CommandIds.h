#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The ids of the main view's commands, grouped as the menus group them. */
namespace CommandIds
{
    enum : juce::CommandID
    {
        // File
        newDocument = 0x2000,
        save = 0x2001,
        saveAs = 0x2002,
        open = 0x2003,

        // Editing the controller and its mappings
        editControllerInfo = 0x2010,
        addInput = 0x2011,
        addOutput = 0x2012,
        cut = 0x2013,
        copy = 0x2014,
        paste = 0x2015,
        deleteMappings = 0x2016,

        // Overlays
        sourceEditor = 0x2020,
        bugReporter = 0x2021,

        // View
        updateView = 0x2030
    };
}
