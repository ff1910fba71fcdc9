#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

#include "panels/InputPanelFixture.h"
#include "panels/OutputMappingTestSupport.h"

/*
    MIDI cells under load: two threads deliver messages to the cells of the panels that exist while the
    message thread creates and destroys an input and an output panel together. Each thread does what
    JUCE's MIDI thread does: it holds deviceManager's MIDI callback lock while it calls the cells.
    Registering and removing a cell take that lock too, so the run deadlocks unless they make the cells'
    waits for the message-thread lock give up; and a delivery must never reach a deleted cell.
    scripts/test.sh also runs this test under ThreadSanitizer.
*/
class MidiCellStress : public InputPanelFixture, private juce::ComponentListener
{
protected:
    // The cells that the threads call, as deviceManager's callback list would hold them: the message
    // thread lists a panel's cells after making it and unlists them before destroying it.
    void list (const juce::Array<juce::MidiInputCallback*>& cells)
    {
        const juce::ScopedLock sl (lock);
        live.assign (cells.begin(), cells.end());

        for (auto* cell : cells)
        {
            deleted.erase (cell);
            dynamic_cast<juce::Component*> (cell)->addComponentListener (this);
        }
    }

    std::vector<juce::MidiInputCallback*> listed() const
    {
        const juce::ScopedLock sl (lock);
        return live;
    }

    bool wasDeleted (juce::MidiInputCallback* cell) const
    {
        const juce::ScopedLock sl (lock);
        return deleted.count (cell) > 0;
    }

private:
    void componentBeingDeleted (juce::Component& component) override
    {
        const juce::ScopedLock sl (lock);
        deleted.insert (dynamic_cast<juce::MidiInputCallback*> (&component));
    }

    juce::CriticalSection lock;
    std::vector<juce::MidiInputCallback*> live;
    std::set<juce::MidiInputCallback*> deleted;
};

TEST_F (MidiCellStress, InputAndOutputPanelsComeAndGoWhileTwoMidiThreadsDeliverToTheirCells)
{
    std::atomic<bool> stop { false }, finished { false };
    std::atomic<int> deliveries[2] {}, toDeleted { 0 };
    devices->setInputEnabled ("Keys", true); // a second enabled input, whose messages are not learned
    juce::MidiInput* sources[] = { const_cast<juce::MidiInput*> (devices->getSource ("Pad")),
                                   const_cast<juce::MidiInput*> (devices->getSource ("Keys")) };

    std::thread watchdog ([&] {
        for (int tenths = 0; ! finished; ++tenths, juce::Thread::sleep (100))
        {
            if (tenths > 2400)
            {
                std::fprintf (stderr, "MIDI cell stress run still busy after 240 s: deadlock\n");
                std::abort();
            }
        }
    });

    // Everything the default input sends is on channel 5; messages of "Keys" are not learned.
    auto deliver = [&] (int index) {
        for (int n = 0; ! stop; ++n, std::this_thread::yield())
        {
            const auto message = (n % 2) == 0 ? juce::MidiMessage::controllerEvent (5, 1 + n % 100, 64)
                                              : juce::MidiMessage::noteOn (5, 1 + n % 100, (juce::uint8) 100);
            const juce::ScopedLock sl (deviceManager->getMidiCallbackLock());

            for (auto* cell : listed())
            {
                if (wasDeleted (cell))
                    ++toDeleted;
                else
                    cell->handleIncomingMidiMessage (sources[(n % 7) == 0 ? 1 : 0], message);

                ++deliveries[index];
            }
        }
    };

    const auto start = juce::Time::getMillisecondCounterHiRes();
    const auto outputRows = OutputMappingTestData::midi ("CC", 7, "0") + OutputMappingTestData::midi ("Note", 60, "0")
                          + OutputMappingTestData::midi ("CC", 9, "0");
    int panels = 0, learned[2] = {};
    std::thread first (deliver, 0), second (deliver, 1);

    for (; panels < 300 || deliveries[0] < 5000 || deliveries[1] < 5000; ++panels)
    {
        auto input = makePanel (midi ("CC", 7, 1) + midi ("Note", 60, 1) + midi ("CC", 9, 1));
        auto outputList = TestHelpers::parse ("<output-mappings><mapping><control alias=\"" + OutputMappingTestData::normalAlias
                                              + "\" value=\"%\"/>" + outputRows + "</mapping></output-mappings>");
        auto output = std::make_unique<OutputMappingComponent>();
        output->setMapping (new OutputMapping (outputList.getChild (0)));
        output->setSize (300, 640);
        OutputMappingInspector outputCells { *output };
        outputCells.table().updateContent();
        outputCells.table().selectRow (2); // the input panel selects its last row itself

        juce::Array<juce::MidiInputCallback*> cells;
        for (int row = 0; row < 3; ++row)
            cells.add (cell (*input, row), &outputCells.cell (row));
        cells.removeAllInstancesOf (nullptr);
        list (cells);

        TestHelpers::pumpMessages (panels % 3); // waiting cells may gain the message-thread lock
        learned[0] += InputMapping (element).getChannel (2) == 5 ? 1 : 0;
        learned[1] += OutputMapping (outputList.getChild (0)).getChannel (2) == 5 ? 1 : 0;
        EXPECT_EQ (InputMapping (element).getChannel (0), 1);
        EXPECT_EQ (OutputMapping (outputList.getChild (0)).getChannel (0), 1);

        list ({});
        output.reset();
        input.reset();
    }

    stop = true;
    first.join();
    second.join();
    finished = true;
    watchdog.join();

    const auto seconds = (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0;
    std::printf ("%d panel pairs, %d + %d deliveries, %d input and %d output panels learned, %.1f s\n", panels,
                 deliveries[0].load(), deliveries[1].load(), learned[0], learned[1], seconds);
    EXPECT_EQ (toDeleted, 0);
    EXPECT_GT (learned[0], 0); // the waits did gain the lock, not only give up
    EXPECT_GT (learned[1], 0);
    EXPECT_LT (seconds, 200.0);
}
