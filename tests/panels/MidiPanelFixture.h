#pragma once

#include <functional>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "app/MacOsXLookAndFeel.h"
#include "model/ControlCatalogue.h"
#include "model/InputMapping.h"
#include "model/OutputMapping.h"
#include "panels/InputMappingComponent.h"
#include "panels/OutputMappingComponent.h"
#include "support/TestHelpers.h"
#include "support/TestMidiDevices.h"

/** Input and output panels on mappings of their own, in the editor's look, with the built-in catalogue, the enabled MIDI inputs "Pad" (the default input) and "Keys", and the default output "Pad". */
struct MidiPanelFixture : ::testing::Test
{
    MidiPanelFixture()
    {
        if (controlCatalogue == nullptr)
            (controlCatalogue = std::make_unique<ControlCatalogue>())->load();
        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
    }

    ~MidiPanelFixture() override { juce::LookAndFeel::setDefaultLookAndFeel (nullptr); }

    static juce::String midi (const juce::String& type, int parameter, int channel = 1, const juce::String& value = "0", int duration = 0)
    {
        return "<midi type=\"" + type + "\" parameter=\"" + juce::String (parameter) + "\" channel=\"" + juce::String (channel) + "\" value=\"" + value + "\" duration=\"" + juce::String (duration) + "\"/>";
    }

    /** An input panel on a new mapping of the "Logic" control Fx OnOff with the catalogue preset given. */
    std::unique_ptr<InputMappingComponent> makeInputPanel (const juce::String& events, const juce::String& preset = {})
    {
        element = TestHelpers::parse ("<mapping><events>" + events + "</events><controls><control alias=\"fam(Fx)[0x1].OnOff\"/></controls></mapping>");
        InputMapping (element).setPreset (preset);
        auto panel = std::make_unique<InputMappingComponent>();
        panel->setInputMapping (new InputMapping (element));
        return panel;
    }

    /** Shows an output mapping of the control (by default the "Normal" Fx DryWet) with the value over the "midi" elements as output, 300 by 640. */
    OutputMapping& openOutput (const juce::String& value, const juce::String& midiXml, int settleMs = 100, const juce::String& alias = "fam(Fx)[0x1].DryWet")
    {
        output.reset();
        devices->sent.clear();
        outputElement = TestHelpers::parse ("<mapping><control alias=\"" + alias + "\" value=\"" + value + "\"/>" + midiXml + "</mapping>");
        (output = std::make_unique<OutputMappingComponent>())->setMapping (new OutputMapping (outputElement));
        output->setSize (300, 640);
        table (*output).updateContent();
        TestHelpers::pumpMessages (settleMs);
        return *output->getMapping();
    }

    /** The first child of that type and name, breadth first; a missing one throws. */
    template <typename Type>
    static Type& child (juce::Component& parent, const juce::String& name)
    {
        if (auto* found = TestHelpers::findChild<Type> (parent, name))
            return *found;
        throw std::runtime_error ("no child named " + name.toStdString());
    }

    static juce::TableListBox& table (juce::Component& panel) { return child<juce::TableListBox> (panel, "new component"); }
    static juce::Component& cell (juce::Component& panel, int row) { return *table (panel).getCellComponent (1, row); }

    /** A row as the mapping stores it ("type parameter channel") and, given its cell, as the cell shows it. */
    static juce::String rowText (const Mapping& mapping, int row, juce::Component* cell = nullptr)
    {
        auto text = juce::String (mapping.getType (row)) + " " + juce::String (mapping.getParameter (row)) + " " + juce::String (mapping.getChannel (row));
        if (auto* number = cell != nullptr ? &child<juce::Label> (*cell, "midi note or cc number label") : nullptr)
            text << " | " << child<juce::Label> (*cell, "midi channel label").getText() << " " << (number->isVisible() ? number->getText() : "-");
        return text;
    }

    /** The rows that the mapping stores as text ("type parameter channel"), as "row row ...". */
    static juce::String rowsHolding (const Mapping& mapping, const juce::String& text)
    {
        juce::StringArray rows;
        for (int row = 0; row < mapping.getNumMidi(); ++row)
            if (rowText (mapping, row) == text)
                rows.add (juce::String (row));
        return rows.joinIntoString (" ");
    }

    /** Scrolls the table down a row at a time until it gives the cell another row, and returns that row. */
    static int scrollUntilTheCellShowsAnotherRow (juce::TableListBox& table, juce::Component& cell)
    {
        const auto rowOfCell = [&] {
            for (int row = 0; row < table.getNumRows(); ++row)
                if (table.getCellComponent (1, row) == &cell)
                    return row;
            return -1;
        };
        const int before = rowOfCell();
        for (int row = before; row < table.getNumRows() && rowOfCell() == before; ++row)
            table.scrollToEnsureRowIsOnscreen (row);
        const int after = rowOfCell();
        EXPECT_NE (after, before) << "the table kept the cell on its row";
        return after;
    }

    /** Calls the cell from a second thread that holds the MIDI callback lock, as JUCE's MIDI thread does, while the message loop runs.
        Given meanwhile, the message thread first stays busy until the cell has asked about the message's input, so that the cell waits
        for the message-thread lock, then runs meanwhile, and only then lets the wait end. */
    void deliver (juce::Component& cell, const juce::MidiInput* source, const juce::MidiMessage& message, const std::function<void()>& meanwhile = {})
    {
        const int questions = devices->defaultInputQuestions;
        auto midiThread = std::async (std::launch::async, [&] {
            const juce::ScopedLock sl (deviceManager->getMidiCallbackLock());
            dynamic_cast<juce::MidiInputCallback&> (cell).handleIncomingMidiMessage (const_cast<juce::MidiInput*> (source), message);
        });
        const auto done = [&] { return midiThread.wait_for (std::chrono::seconds (0)) == std::future_status::ready; };
        if (meanwhile)
        {
            for (const auto end = juce::Time::getMillisecondCounter() + 5000; devices->defaultInputQuestions == questions && juce::Time::getMillisecondCounter() < end;)
                std::this_thread::yield();
            EXPECT_FALSE (done()) << "the cell did not wait for the message thread";
            meanwhile();
        }
        EXPECT_TRUE (TestHelpers::pumpUntil (done));
        TestHelpers::pumpMessages (20); // the combo boxes' asynchronous change notifications
    }

    MacOsXLookAndFeel lookAndFeel;
    ScopedTestMidiDevices devices { { "Pad", "Keys" }, { "Pad" }, { "Pad", "Keys" }, "Pad" };
    juce::ValueTree element, outputElement;
    std::unique_ptr<OutputMappingComponent> output;
};
