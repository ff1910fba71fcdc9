#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <set>
#include <vector>

#include "panels/InputPanelFixture.h"
#include "panels/OutputMappingTestSupport.h"

/*
    MIDI cells under load: MIDI threads deliver messages to the cells of every panel that exists while
    the message thread creates and destroys panels. Each delivering thread does what JUCE's MIDI thread
    does: it holds deviceManager's MIDI callback lock while it calls every registered cell. Registering
    and removing a cell take that same lock, so the run deadlocks unless those make the cells' pending
    waits for the message-thread lock give up; and a delivery may reach only a cell whose removal has
    not returned yet. ThreadSanitizer runs these tests too (scripts/test.sh).

    MidiCellStress::run serves any panel with MIDI cells: it takes how to make a panel and how to find
    its cells.
*/
namespace
{
    /**
        The cells that the delivering threads reach, as deviceManager's callback list would hold them.
        The message thread lists a panel's cells after making it and unlists them before destroying it;
        a thread takes its list while it holds the MIDI callback lock. Cells seen being deleted are
        remembered, so that a delivery to one of them is counted.
    */
    class LiveCells : private juce::ComponentListener
    {
    public:
        void add (const juce::Array<juce::MidiInputCallback*>& cells)
        {
            const juce::ScopedLock sl (lock);

            for (auto* cell : cells)
            {
                live.push_back (cell);
                deleted.erase (cell);

                if (auto* component = dynamic_cast<juce::Component*> (cell))
                    component->addComponentListener (this);
            }
        }

        void clear()
        {
            const juce::ScopedLock sl (lock);
            live.clear();
        }

        std::vector<juce::MidiInputCallback*> get() const
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

            if (auto* cell = dynamic_cast<juce::MidiInputCallback*> (&component))
                deleted.insert (cell);
        }

        juce::CriticalSection lock;
        std::vector<juce::MidiInputCallback*> live;
        std::set<juce::MidiInputCallback*> deleted;
    };

    /** Ends the process with a message when the run takes longer than its bound (a deadlock never returns). */
    class Watchdog
    {
    public:
        explicit Watchdog (int seconds)
            : thread ([this, seconds] {
                  std::unique_lock<std::mutex> l (mutex);
                  if (! done.wait_for (l, std::chrono::seconds (seconds), [this] { return finished; }))
                  {
                      std::fprintf (stderr, "MIDI cell stress run still busy after %d s: deadlock\n", seconds);
                      std::abort();
                  }
              })
        {
        }

        ~Watchdog()
        {
            {
                const std::lock_guard<std::mutex> l (mutex);
                finished = true;
            }
            done.notify_all();
            thread.join();
        }

    private:
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::thread thread;
    };
}

class MidiCellStress : public InputPanelFixture
{
protected:
    struct Result
    {
        int panels = 0;
        int deliveries[2] = {};
        int deliveriesToDeletedCells = 0;
    };

    /**
        Makes and destroys at least minimumPanels panels (each shown for a moment with the message loop
        running) while two threads deliver messages, each under the MIDI callback lock, to every listed
        cell, until each thread has made at least minimumDeliveries calls; afterPanel looks at a panel
        just before it goes.
    */
    Result run (const std::function<std::unique_ptr<juce::Component>()>& makePanel,
                const std::function<juce::Array<juce::MidiInputCallback*> (juce::Component&)>& cellsOf,
                const std::function<void (juce::Component&)>& afterPanel,
                int minimumPanels, int minimumDeliveries)
    {
        Result result;
        LiveCells cells;
        std::atomic<bool> stop { false };
        std::atomic<int> deliveries[2] {};
        std::atomic<int> toDeleted { 0 };

        // The default input and a second enabled one, whose messages the cells must ignore.
        devices->setInputEnabled ("Keys", true);
        juce::MidiInput* sources[] = { const_cast<juce::MidiInput*> (devices->getSource ("Pad")),
                                       const_cast<juce::MidiInput*> (devices->getSource ("Keys")) };

        auto deliver = [&] (int index) {
            for (int n = 0; ! stop; ++n)
            {
                const auto message = (n % 2) == 0 ? juce::MidiMessage::controllerEvent (5, 1 + n % 100, 64)
                                                  : juce::MidiMessage::noteOn (5, 1 + n % 100, (juce::uint8) 100);
                {
                    const juce::ScopedLock sl (deviceManager->getMidiCallbackLock());

                    for (auto* cell : cells.get())
                    {
                        if (cells.wasDeleted (cell))
                        {
                            ++toDeleted;
                            continue;
                        }

                        cell->handleIncomingMidiMessage (sources[(n % 7) == 0 ? 1 : 0], message);
                        ++deliveries[index];
                    }
                }

                std::this_thread::yield();
            }
        };

        {
            Watchdog watchdog (240);
            std::thread first (deliver, 0), second (deliver, 1);

            for (; result.panels < minimumPanels || deliveries[0] < minimumDeliveries || deliveries[1] < minimumDeliveries;
                 ++result.panels)
            {
                auto panel = makePanel();
                cells.add (cellsOf (*panel));
                TestHelpers::pumpMessages (result.panels % 3); // lets waiting cells gain the message-thread lock
                afterPanel (*panel);
                cells.clear();
                panel.reset();
            }

            stop = true;
            first.join();
            second.join();
        }

        result.deliveries[0] = deliveries[0];
        result.deliveries[1] = deliveries[1];
        result.deliveriesToDeletedCells = toDeleted;
        return result;
    }
};

//==============================================================================
TEST_F (MidiCellStress, InputPanelsComeAndGoWhileTwoMidiThreadsDeliverToTheirCells)
{
    int learnedPanels = 0;

    const auto start = juce::Time::getMillisecondCounterHiRes();
    const auto result = run (
        [this] { return std::unique_ptr<juce::Component> (makePanel (midi ("CC", 7, 1) + midi ("Note", 60, 1) + midi ("CC", 9, 1),
                                                                      fxOnOff, "Logic Fader/Knob")); },
        [] (juce::Component& panel) {
            juce::Array<juce::MidiInputCallback*> found;
            for (int row = 0; row < 3; ++row)
                if (auto* c = cell (static_cast<InputMappingComponent&> (panel), row))
                    found.add (c);
            return found;
        },
        [&] (juce::Component&) {
            // Everything the default input sends is on channel 5; the last row is the selected one.
            if (InputMapping (element).getChannel (2) == 5)
                ++learnedPanels;
            EXPECT_EQ (InputMapping (element).getChannel (0), 1);
        },
        300, 5000);
    const auto seconds = (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0;

    std::printf ("%d panels, %d + %d deliveries, %d panels learned, %.1f s\n", result.panels, result.deliveries[0],
                 result.deliveries[1], learnedPanels, seconds);
    EXPECT_GE (result.panels, 300);
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
