#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <vector>

#include "panels/InputPanelFixture.h"
#include "panels/OutputMappingTestSupport.h"

/*
    MIDI cells under load: two threads deliver messages to the cells of the panel that exists while the
    message thread creates and destroys panels. Each thread does what JUCE's MIDI thread does: it holds
    deviceManager's MIDI callback lock while it calls the cells. Registering and removing a cell take
    that lock too, so the run deadlocks unless they make the cells' waits for the message-thread lock
    give up; and a delivery must never reach a deleted cell. scripts/test.sh also runs these tests under
    ThreadSanitizer. MidiCellStress::run serves any panel with MIDI cells.
*/
class MidiCellStress : public InputPanelFixture, private juce::ComponentListener
{
protected:
    struct Result
    {
        int panels = 0, deliveries[2] = {}, deliveriesToDeletedCells = 0;
    };

    /**
        Makes and destroys at least minimumPanels panels, each shown for a moment with the message loop
        running, until each thread has called cells minimumDeliveries times; looks at each panel with
        check before it goes. A run that has not ended after four minutes ends the process.
    */
    Result run (const std::function<std::unique_ptr<juce::Component>()>& makeOne,
                const std::function<juce::Array<juce::MidiInputCallback*> (juce::Component&)>& cellsOf,
                const std::function<void (juce::Component&)>& check, int minimumPanels, int minimumDeliveries)
    {
        std::atomic<bool> stop { false }, finished { false };
        std::atomic<int> deliveries[2] {}, toDeleted { 0 };
        devices->setInputEnabled ("Keys", true); // a second enabled input, whose messages are not learned
        juce::MidiInput* sources[] = { const_cast<juce::MidiInput*> (devices->getSource ("Pad")),
                                       const_cast<juce::MidiInput*> (devices->getSource ("Keys")) };

        std::thread watchdog ([&] {
            for (int tenths = 0; ! finished; ++tenths)
            {
                if (tenths > 2400)
                {
                    std::fprintf (stderr, "MIDI cell stress run still busy after 240 s: deadlock\n");
                    std::abort();
                }
                juce::Thread::sleep (100);
            }
        });

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

        Result result;
        std::thread first (deliver, 0), second (deliver, 1);

        for (; result.panels < minimumPanels || deliveries[0] < minimumDeliveries || deliveries[1] < minimumDeliveries; ++result.panels)
        {
            auto panel = makeOne();
            list (cellsOf (*panel));
            TestHelpers::pumpMessages (result.panels % 3); // waiting cells may gain the message-thread lock
            check (*panel);
            list ({});
            panel.reset();
        }

        stop = true;
        first.join();
        second.join();
        finished = true;
        watchdog.join();

        result.deliveries[0] = deliveries[0];
        result.deliveries[1] = deliveries[1];
        result.deliveriesToDeletedCells = toDeleted;
        return result;
    }

private:
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

    void componentBeingDeleted (juce::Component& component) override
    {
        const juce::ScopedLock sl (lock);
        deleted.insert (dynamic_cast<juce::MidiInputCallback*> (&component));
    }

    juce::CriticalSection lock;
    std::vector<juce::MidiInputCallback*> live;
    std::set<juce::MidiInputCallback*> deleted;
};

TEST_F (MidiCellStress, InputPanelsComeAndGoWhileTwoMidiThreadsDeliverToTheirCells)
{
    int learnedPanels = 0;
    const auto start = juce::Time::getMillisecondCounterHiRes();
    const auto result = run (
        [this] { return makePanel (midi ("CC", 7, 1) + midi ("Note", 60, 1) + midi ("CC", 9, 1), fxOnOff, "Logic Fader/Knob"); },
        [] (juce::Component& panel) {
            juce::Array<juce::MidiInputCallback*> cells;
            for (int row = 0; row < 3; ++row)
                cells.add (cell (static_cast<InputMappingComponent&> (panel), row));
            cells.removeAllInstancesOf (nullptr);
            return cells;
        },
        [&] (juce::Component&) {
            // The default input sends on channel 5; only the last, selected row learns.
            learnedPanels += InputMapping (element).getChannel (2) == 5 ? 1 : 0;
            EXPECT_EQ (InputMapping (element).getChannel (0), 1);
        },
        300, 5000);
    const auto seconds = (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0;

    std::printf ("%d panels, %d + %d deliveries, %d panels learned, %.1f s\n", result.panels, result.deliveries[0],
                 result.deliveries[1], learnedPanels, seconds);
    EXPECT_EQ (result.deliveriesToDeletedCells, 0);
    EXPECT_GT (learnedPanels, 0); // the waits did gain the lock, not only give up
    EXPECT_LT (seconds, 200.0);
}

TEST_F (MidiCellStress, InputAndOutputPanelsComeAndGoTogetherWhileTwoMidiThreadsDeliverToTheirCells)
{
    /** Both kinds of panel at once, so that both kinds of cell register, learn and go together. */
    struct BothPanels : juce::Component
    {
        std::unique_ptr<InputMappingComponent> input;
        juce::ValueTree outputList;
        std::unique_ptr<OutputMappingComponent> output;
    };

    const auto outputRows = OutputMappingTestData::midi ("CC", 7, "0") + OutputMappingTestData::midi ("Note", 60, "0")
                          + OutputMappingTestData::midi ("CC", 9, "0");
    int learned[2] = {};

    const auto result = run (
        [&] {
            auto both = std::make_unique<BothPanels>();
            both->input = makePanel (midi ("CC", 7, 1) + midi ("Note", 60, 1) + midi ("CC", 9, 1));
            both->outputList = TestHelpers::parse ("<output-mappings><mapping><control alias=\"" + OutputMappingTestData::normalAlias
                                                   + "\" value=\"%\"/>" + outputRows + "</mapping></output-mappings>");
            both->output = std::make_unique<OutputMappingComponent>();
            both->output->setMapping (new OutputMapping (both->outputList.getChild (0)));
            both->output->setSize (300, 640);

            // The output panel selects no row of its own: its last row is armed here.
            OutputMappingInspector output { *both->output };
            output.table().updateContent();
            output.table().selectRow (2);
            return std::unique_ptr<juce::Component> (std::move (both));
        },
        [] (juce::Component& component) {
            auto& both = static_cast<BothPanels&> (component);
            juce::Array<juce::MidiInputCallback*> found;
            for (int row = 0; row < 3; ++row)
            {
                found.add (cell (*both.input, row));
                found.add (&OutputMappingInspector { *both.output }.cell (row));
            }
            found.removeAllInstancesOf (nullptr);
            return found;
        },
        [&] (juce::Component& component) {
            // Everything the default input sends is on channel 5; only the last rows are selected.
            OutputMapping output (static_cast<BothPanels&> (component).outputList.getChild (0));
            learned[0] += InputMapping (element).getChannel (2) == 5 ? 1 : 0;
            learned[1] += output.getChannel (2) == 5 ? 1 : 0;
            EXPECT_EQ (InputMapping (element).getChannel (0), 1);
            EXPECT_EQ (output.getChannel (0), 1);
        },
        300, 5000);

    std::printf ("%d panel pairs, %d + %d deliveries, %d input and %d output panels learned\n", result.panels,
                 result.deliveries[0], result.deliveries[1], learned[0], learned[1]);
    EXPECT_GE (result.panels, 300);
    EXPECT_EQ (result.deliveriesToDeletedCells, 0);
    EXPECT_GT (learned[0], 0);
    EXPECT_GT (learned[1], 0);
}
