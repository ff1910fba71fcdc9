#include "resources/Resources.h"

#include <WirelaceBinaryData.h>

namespace Resources
{
const char* getData (const juce::String& fileName, int& sizeInBytes)
{
    sizeInBytes = 0;

    for (int i = 0; i < WirelaceBinaryData::namedResourceListSize; ++i)
    {
        if (fileName == WirelaceBinaryData::originalFilenames[i])
            return WirelaceBinaryData::getNamedResource (WirelaceBinaryData::namedResourceList[i], sizeInBytes);
    }

    return nullptr;
}

juce::String getText (const juce::String& fileName)
{
    int size = 0;

    if (auto* data = getData (fileName, size))
        return juce::String::fromUTF8 (data, size);

    return {};
}

juce::Image getImage (const juce::String& fileName)
{
    int size = 0;

    if (auto* data = getData (fileName, size))
        return juce::ImageFileFormat::loadFrom (data, (size_t) size);

    return {};
}

juce::Image getCachedImage (const juce::String& fileName)
{
    int size = 0;

    if (auto* data = getData (fileName, size))
        return juce::ImageCache::getFromMemory (data, size);

    return {};
}

juce::StringArray getFileNames()
{
    juce::StringArray names;

    for (int i = 0; i < WirelaceBinaryData::namedResourceListSize; ++i)
        names.add (WirelaceBinaryData::originalFilenames[i]);

    return names;
}
} // namespace Resources
