#include "model/CacheIndex.h"

CacheIndex::CacheIndex (juce::PropertySet& cacheToIndex)
    : cache (cacheToIndex)
{
}

const juce::String* CacheIndex::find (const juce::String& key)
{
    catchUp();
    const auto position = positions.find (key);

    if (position == positions.end())
        return nullptr;

    return &cache.getAllProperties().getAllValues().getReference (position->second);
}

void CacheIndex::store (const juce::String& key, const juce::var& value)
{
    // juce::PropertySet ignores an empty key (and asserts on it).
    if (key.isEmpty())
        return;

    if (find (key) != nullptr)
    {
        cache.setValue (key, value);
        return;
    }

    // A new key goes at the end, as juce::PropertySet::setValue would put it, but without the
    // two scans of every key that setValue and juce::StringPairArray::set make to look for it
    // (the index has just said it is not there). The set's own key and value lists are its
    // members, reached through its const getters; the set itself is not const. A plain
    // juce::PropertySet does nothing when a property changes, so no notification is missed.
    const juce::ScopedLock lock (cache.getLock());
    auto& properties = cache.getAllProperties();
    const_cast<juce::StringArray&> (properties.getAllKeys()).add (key);
    const_cast<juce::StringArray&> (properties.getAllValues()).add (value.toString());
}

void CacheIndex::catchUp()
{
    const auto& keys = cache.getAllProperties().getAllKeys();

    // Appending never moves a key; anything else (a key removed) makes the positions stale.
    // The last key indexed normally still shares its text with the copy kept here, so the check
    // costs a pointer comparison.
    const auto lastKeyMoved = [&]
    {
        const auto& last = keys.getReference (numIndexed - 1);
        return last.getCharPointer() != lastIndexedKey.getCharPointer() && last != lastIndexedKey;
    };

    if (keys.size() < numIndexed || (numIndexed > 0 && lastKeyMoved()))
    {
        positions.clear();
        numIndexed = 0;
    }

    if (numIndexed == keys.size())
        return;

    for (; numIndexed < keys.size(); ++numIndexed)
        positions.emplace (keys[numIndexed], numIndexed);

    lastIndexedKey = keys[numIndexed - 1];
}
