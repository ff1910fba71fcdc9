#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "app/WirelaceApplication.h"
#include "panels/MidiCallbackRegistry.h"
#include "support/TestHelpers.h"
#include "support/TestMidiDevices.h"

namespace
{
    struct IgnoringCallback : juce::MidiInputCallback
    {
        void handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage&) override {}
    };

    /**
        Starts a thread that, like JUCE's MIDI thread, holds the MIDI callback lock while it waits
        for the message-thread lock; gained becomes 1 or 0 when the wait is over.
    */
    struct WaitingMidiThread
    {
        WaitingMidiThread()
            : thread ([this] {
                  const juce::ScopedLock sl (deviceManager->getMidiCallbackLock());
                  started = true;
                  const MidiCallbackRegistry::ScopedMessageThreadLock lock;
                  gained = lock.lockWasGained() ? 1 : 0;
              })
        {
            while (! started)
                std::this_thread::yield();

            // Long enough for the thread to be inside its wait; the message loop is not run meanwhile.
            juce::Thread::sleep (200);
        }

        ~WaitingMidiThread()
        {
            TestHelpers::pumpUntil ([this] { return gained >= 0; });
            thread.join();
        }

        std::atomic<bool> started { false };
        std::atomic<int> gained { -1 };
        std::thread thread;
    };
}

TEST (MidiCallbackRegistry, AddingAndRemovingMakeAPendingWaitGiveUpInsteadOfDeadlocking)
{
    ScopedTestMidiDevices devices;
    IgnoringCallback callback;

    for (const bool adding : { true, false })
    {
        SCOPED_TRACE (adding ? "add" : "remove");
        WaitingMidiThread midi;

        // Both take the MIDI callback lock that the thread holds: they return only if its wait gives up.
        if (adding)
            MidiCallbackRegistry::add (&callback);
        else
            MidiCallbackRegistry::remove (&callback);

        TestHelpers::pumpUntil ([&] { return midi.gained >= 0; });
        EXPECT_EQ (midi.gained, 0);
    }
}

TEST (MidiCallbackRegistry, AWaitWithNoChangeUnderWayGainsTheLock)
{
    ScopedTestMidiDevices devices;
    WaitingMidiThread midi;

    EXPECT_TRUE (TestHelpers::pumpUntil ([&] { return midi.gained >= 0; }));
    EXPECT_EQ (midi.gained, 1);
}
