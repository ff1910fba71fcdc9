#include <cstdio>

#include "panels/MidiCallbackRegistry.h"
#include "panels/MidiPanelFixture.h"

TEST (MidiCallbackRegistry, AddingAndRemovingMakeAPendingWaitGiveUpAndAWaitWithNoChangeGainsTheLock)
{
    ScopedTestMidiDevices devices;
    struct : juce::MidiInputCallback { void handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage&) override {} } callback;

    for (const juce::String change : { "add", "remove", "none" })
    {
        std::atomic<int> gained { -1 };
        auto midi = std::async (std::launch::async, [&] { // it holds the MIDI callback lock while it waits for the message thread, as JUCE's MIDI thread does
            const juce::ScopedLock sl (deviceManager->getMidiCallbackLock());
            gained = -2;
            gained = MidiCallbackRegistry::ScopedMessageThreadLock().lockWasGained() ? 1 : 0;
        });
        while (gained == -1)
            std::this_thread::yield();
        juce::Thread::sleep (200); // long enough for the thread to be inside its wait; the message loop is not run meanwhile
        if (change != "none") // both take the lock that the thread holds: they return only once its wait gives up
            change == "add" ? MidiCallbackRegistry::add (&callback) : MidiCallbackRegistry::remove (&callback);
        EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return gained >= 0; }));
        EXPECT_EQ (gained, change == "none" ? 1 : 0) << change;
    }
}

// Two threads deliver to the cells of live panels under the MIDI callback lock while panels come and go: adding and removing a cell take that lock too.
using MidiCellStress = MidiPanelFixture;

TEST_F (MidiCellStress, InputAndOutputPanelsComeAndGoWhileTwoMidiThreadsDeliverToTheirCells)
{
    std::atomic<bool> stop { false };
    std::atomic<int> deliveries[2] {};
    juce::CriticalSection listLock;
    std::vector<juce::Component*> listed; // the cells, as deviceManager's callback list holds them
    auto list = [&] (const std::vector<juce::Component*>& cells) { const juce::ScopedLock sl (listLock); listed = cells; };
    auto listedNow = [&] { const juce::ScopedLock sl (listLock); return listed; };
    juce::MidiInput* sources[] = { const_cast<juce::MidiInput*> (devices->getSource ("Pad")), const_cast<juce::MidiInput*> (devices->getSource ("Keys")) };
    std::thread watchdog ([&] {
        for (int tenths = 0; ! stop; ++tenths, juce::Thread::sleep (100))
            if (tenths > 2400)
                std::fprintf (stderr, "MIDI cell stress run still busy after 240 s: deadlock\n"), std::abort();
    });

    auto deliver = [&] (int index) { // the default input sends everything on channel 5; "Keys", whose messages are not learned, every seventh
        for (int n = 0; ! stop; ++n, std::this_thread::yield())
        {
            const auto message = n % 2 == 0 ? juce::MidiMessage::controllerEvent (5, 1 + n % 100, 64) : juce::MidiMessage::noteOn (5, 1 + n % 100, (juce::uint8) 100);
            const juce::ScopedLock sl (deviceManager->getMidiCallbackLock());
            for (auto* cell : listedNow())
                dynamic_cast<juce::MidiInputCallback*> (cell)->handleIncomingMidiMessage (sources[n % 7 == 0 ? 1 : 0], message), ++deliveries[index];
        }
    };

    int panels = 0, learned[2] = {};
    std::thread first (deliver, 0), second (deliver, 1);
    for (; panels < 300 || deliveries[0] < 3000 || deliveries[1] < 3000; ++panels)
    {
        auto input = makeInputPanel (midi ("CC", 7) + midi ("Note", 60) + midi ("CC", 9)); // it selects its last row itself
        openOutput ("%", midi ("CC", 7) + midi ("Note", 60) + midi ("CC", 9), 0);
        table (*output).selectRow (2);
        list ({ &cell (*input, 0), &cell (*input, 1), &cell (*input, 2), &cell (*output, 0), &cell (*output, 1), &cell (*output, 2) });
        TestHelpers::pumpMessages (panels % 3); // waiting cells may gain the message-thread lock
        learned[0] += InputMapping (element).getChannel (2) == 5 ? 1 : 0;
        learned[1] += OutputMapping (outputElement).getChannel (2) == 5 ? 1 : 0;
        EXPECT_EQ (InputMapping (element).getChannel (0) + OutputMapping (outputElement).getChannel (0), 2); // unselected rows learn nothing
        list ({});
        output.reset();
    }

    stop = true;
    first.join();
    second.join();
    watchdog.join();
    EXPECT_GT (learned[0] * learned[1], 0) << learned[0] << " input and " << learned[1] << " output panels learned"; // the waits did gain the lock
}
