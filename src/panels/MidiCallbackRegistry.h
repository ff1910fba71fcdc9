#pragma once

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_events/juce_events.h>

/**
    Registers and removes the MIDI cells' input callbacks without deadlocking with them.

    deviceManager holds its MIDI callback lock while a callback runs, and adding or removing a
    callback takes the same lock. A cell's callback waits for the message-thread lock, so the
    message thread must never wait for the callback lock while such a wait is pending. Every add
    and remove here therefore first makes all pending waits give up (their messages are dropped)
    and keeps new waits from starting until it is done; only then does it call deviceManager.
    One registry serves every MIDI cell of both mapping panels.
*/
namespace MidiCallbackRegistry
{
    /** On the message thread: registers the callback with deviceManager for the default input (empty identifier). */
    void add (juce::MidiInputCallback* callback);

    /** On the message thread: removes the callback; returns once no call of it is running. */
    void remove (juce::MidiInputCallback* callback);

    /**
        On a MIDI input thread, inside a cell's callback: waits for the message-thread lock and holds
        it while this object lives, unless an add or remove makes the wait give up, or one is under
        way so that the wait never starts. Check lockWasGained before touching anything.
    */
    class ScopedMessageThreadLock
    {
    public:
        ScopedMessageThreadLock();
        ~ScopedMessageThreadLock();

        bool lockWasGained() const noexcept { return gained; }

    private:
        juce::MessageManager::Lock lock;
        bool gained = false;

        JUCE_DECLARE_NON_COPYABLE (ScopedMessageThreadLock)
    };
}
