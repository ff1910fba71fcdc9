#pragma once

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "app/WirelaceApplication.h"
#include "model/ControlCatalogue.h"
#include "model/InputMapping.h"
#include "panels/InputMappingComponent.h"
#include "panels/InputMidiCellComponent.h"
#include "support/TestHelpers.h"
#include "support/TestMidiDevices.h"

/**
    An input-mapping panel on a mapping element of its own, with the built-in catalogue and the test
    MIDI layer: inputs "Pad" (enabled, so the default input) and "Keys".
*/
class InputPanelFixture : public ::testing::Test
{
protected:
    static constexpr const char* fxOnOff = "fam(Fx)[0x1].OnOff"; ///< a "Logic" control

    InputPanelFixture() : devices ({ "Pad", "Keys" })
    {
        devices->setInputEnabled ("Pad", true);

        if (controlCatalogue == nullptr)
        {
            controlCatalogue = std::make_unique<ControlCatalogue>();
            controlCatalogue->load();
        }
    }

    /** "<midi type=... parameter=... channel=.../>" */
    static juce::String midi (const juce::String& type, int parameter, int channel)
    {
        return "<midi type=\"" + type + "\" parameter=\"" + juce::String (parameter) + "\" channel=\"" + juce::String (channel) + "\"/>";
    }

    /** A panel showing a new mapping of these events, alias and preset element (empty: none). */
    std::unique_ptr<InputMappingComponent> makePanel (const juce::String& events, const juce::String& alias = fxOnOff,
                                                      const juce::String& presetName = {})
    {
        element = TestHelpers::parse ("<input-mappings><mapping><events>" + events + "</events><controls><control alias=\""
                                      + alias + "\"/></controls></mapping></input-mappings>").getChild (0);

        if (presetName.isNotEmpty())
            InputMapping (element).setPreset (presetName);

        auto panel = std::make_unique<InputMappingComponent>();
        panel->setInputMapping (new InputMapping (element));
        return panel;
    }

    /** The child of that component name (the first, depth first); a missing one fails the test. */
    template <typename Type>
    static Type& child (juce::Component& parent, const juce::String& name)
    {
        if (auto* found = find<Type> (parent, name))
            return *found;

        throw std::runtime_error ("no child named " + name.toStdString());
    }

    template <typename Type>
    static Type* find (juce::Component& parent, const juce::String& name)
    {
        for (auto* c : parent.getChildren())
        {
            if (auto* typed = dynamic_cast<Type*> (c); typed != nullptr && c->getName() == name)
                return typed;

            if (auto* deeper = find<Type> (*c, name))
                return deeper;
        }

        return nullptr;
    }

    /** The names of the property components that the options panel shows, in order. */
    static juce::StringArray optionNames (juce::Component& parent)
    {
        juce::StringArray names;

        for (auto* c : parent.getChildren())
        {
            if (auto* property = dynamic_cast<juce::PropertyComponent*> (c))
                names.add (property->getName());
            else
                names.addArray (optionNames (*c));
        }

        return names;
    }

    static juce::TableListBox& table (InputMappingComponent& panel) { return child<juce::TableListBox> (panel, "new component"); }

    static InputMidiCellComponent* cell (InputMappingComponent& panel, int row)
    {
        return dynamic_cast<InputMidiCellComponent*> (table (panel).getCellComponent (1, row));
    }

    /**
        Delivers a message to the cell from a real second thread that holds the MIDI callback lock
        while it calls the cell, as JUCE's MIDI thread does, and runs the message loop meanwhile.
    */
    void deliver (juce::MidiInputCallback& callback, const juce::String& inputName, const juce::MidiMessage& message)
    {
        auto* source = const_cast<juce::MidiInput*> (devices->getSource (inputName));
        std::atomic<bool> done { false };

        std::thread midiThread ([&] {
            const juce::ScopedLock sl (deviceManager->getMidiCallbackLock());
            callback.handleIncomingMidiMessage (source, message);
            done = true;
        });

        EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return done.load(); }));
        midiThread.join();
        TestHelpers::pumpMessages (20); // the combo box's asynchronous change notifications
    }

    ScopedTestMidiDevices devices;
    juce::ValueTree element;
};
