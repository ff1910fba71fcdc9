#pragma once

#include <unordered_map>

#include <juce_core/juce_core.h>

/**
    A hash index over the keys of one juce::PropertySet, so that a stored answer is found with
    one hash lookup instead of the linear scan of the keys that juce::PropertySet makes.

    The set stays the one place where the answers live: the index only remembers where each key
    stands among the set's keys, and reads the text from the set itself, so an entry written to
    the set directly is found too. Keys are only ever appended to the set (juce::StringPairArray
    keeps them in the order they came), so the index catches up with the keys added since it last
    looked; should keys have been removed from the set, it is built anew.
*/
class CacheIndex
{
public:
    /** Indexes the given set, which must outlive the index. Keys compare case-sensitively. */
    explicit CacheIndex (juce::PropertySet& cacheToIndex);

    /** The text stored under the key, or nullptr when the key is not stored. */
    const juce::String* find (const juce::String& key);

    /**
        Stores a value under a key, as juce::PropertySet::setValue does: as text (true reads back
        as "1", a void value as the empty text), a new key after the others, and never under the
        empty key. A new key costs no scan of the keys already stored.
    */
    void store (const juce::String& key, const juce::var& value);

private:
    void catchUp();

    juce::PropertySet& cache;
    std::unordered_map<juce::String, int> positions;
    int numIndexed = 0;
    juce::String lastIndexedKey;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CacheIndex)
};
