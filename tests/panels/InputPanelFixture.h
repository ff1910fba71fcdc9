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

/** Input-mapping panels on mapping elements of their own, with the built-in catalogue and MIDI inputs
    "Pad" (enabled: the default input) and "Keys". */
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

    static juce::String midi (const juce::String& type, int parameter, int channel)
    {
        return "<midi type=\"" + type + "\" parameter=\"" + juce::String (parameter) + "\" channel=\"" + juce::String (channel) + "\"/>";
    }

    /** A panel on a new mapping; preset is a catalogue preset's name or, starting with '<', a preset element. */
    std::unique_ptr<InputMappingComponent> makePanel (const juce::String& events, const juce::String& alias = fxOnOff,
                                                      const juce::String& preset = {})
    {
        element = TestHelpers::parse ("<input-mappings><mapping><events>" + events + "</events><controls><control alias=\""
                                      + alias + "\"/></controls>" + (preset.startsWith ("<") ? preset : juce::String())
                                      + "</mapping></input-mappings>").getChild (0);

        if (preset.isNotEmpty() && ! preset.startsWith ("<"))
            InputMapping (element).setPreset (preset);

        auto panel = std::make_unique<InputMappingComponent>();
        panel->setInputMapping (new InputMapping (element));
        return panel;
    }

    /** The first child of that type and component name, depth first; a missing one fails the test. */
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
            if (auto* found = c->getName() == name ? dynamic_cast<Type*> (c) : find<Type> (*c, name))
                return found;

        return nullptr;
    }

    /** The names of the property components that the options panel shows, in order. */
    static juce::String optionNames (juce::Component& parent)
    {
        juce::StringArray names;

        for (auto* c : parent.getChildren())
            names.add (dynamic_cast<juce::PropertyComponent*> (c) != nullptr ? c->getName() : optionNames (*c));

        names.removeEmptyStrings();
        return names.joinIntoString (",");
    }

    static juce::TableListBox& table (InputMappingComponent& panel) { return child<juce::TableListBox> (panel, "new component"); }

    static InputMidiCellComponent* cell (InputMappingComponent& panel, int row)
    {
        return dynamic_cast<InputMidiCellComponent*> (table (panel).getCellComponent (1, row));
    }

    /** Calls the callback from a real second thread that holds the MIDI callback lock, as JUCE's MIDI
        thread does, while the message loop runs. */
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
