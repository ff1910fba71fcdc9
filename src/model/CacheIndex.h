#pragma once

#include <cstring>
#include <string_view>
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
    /** Hashes a key by its UTF-8 bytes (quicker than juce::String::hash, which decodes them). */
    struct KeyHash
    {
        size_t operator() (const juce::String& key) const noexcept
        {
            return std::hash<std::string_view>() (std::string_view (key.toRawUTF8()));
        }
    };

    /** Compares two keys byte by byte: equal UTF-8 bytes are equal texts, case-sensitively. */
    struct KeyEqual
    {
        bool operator() (const juce::String& a, const juce::String& b) const noexcept
        {
            const auto* textA = a.toRawUTF8();
            const auto* textB = b.toRawUTF8();
            return textA == textB || std::strcmp (textA, textB) == 0;
        }
    };

    template <typename Value>
    using Map = std::unordered_map<juce::String, Value, KeyHash, KeyEqual>;

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
    Map<int> positions;
    int numIndexed = 0;
    juce::String lastIndexedKey;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CacheIndex)
};
