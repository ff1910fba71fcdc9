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
    if (key.isNotEmpty())
        cache.setValue (key, value);
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
