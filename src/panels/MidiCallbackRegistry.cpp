#include "panels/MidiCallbackRegistry.h"

#include "app/WirelaceApplication.h"

namespace
{
    /** The waits under way and the number of adds and removes under way, under one lock. */
    struct RegistryState
    {
        juce::CriticalSection lock;
        juce::Array<const juce::MessageManager::Lock*> pendingWaits;
        int changesUnderWay = 0;
    };

    RegistryState& getState()
    {
        static RegistryState state;
        return state;
    }

    /** Makes every pending wait give up and keeps new ones from starting while it lives. */
    class ScopedChange
    {
    public:
        ScopedChange()
        {
            auto& state = getState();
            const juce::ScopedLock sl (state.lock);
            ++state.changesUnderWay;

            for (auto* wait : state.pendingWaits)
                wait->abort();
        }

        ~ScopedChange()
        {
            auto& state = getState();
            const juce::ScopedLock sl (state.lock);
            --state.changesUnderWay;
        }
    };
}

void MidiCallbackRegistry::add (juce::MidiInputCallback* callback)
{
    if (deviceManager == nullptr || callback == nullptr)
        return;

    const ScopedChange change;
    deviceManager->addMidiInputDeviceCallback ({}, callback);
}

void MidiCallbackRegistry::remove (juce::MidiInputCallback* callback)
{
    if (deviceManager == nullptr || callback == nullptr)
        return;

    const ScopedChange change;
    deviceManager->removeMidiInputDeviceCallback ({}, callback);
}

//==============================================================================
MidiCallbackRegistry::ScopedMessageThreadLock::ScopedMessageThreadLock()
{
    auto& state = getState();

    {
        const juce::ScopedLock sl (state.lock);

        if (state.changesUnderWay > 0)
            return;

        state.pendingWaits.add (&lock);
    }

    // An abort that comes before the wait begins still ends it: tryEnter then returns false at once.
    gained = lock.tryEnter();

    const juce::ScopedLock sl (state.lock);
    state.pendingWaits.removeFirstMatchingValue (&lock);
}

MidiCallbackRegistry::ScopedMessageThreadLock::~ScopedMessageThreadLock()
{
    if (gained)
        lock.exit();
}
