#pragma once

#include <juce_core/juce_core.h>
#include <juce_graphics/juce_graphics.h>

/** The one way into the files embedded in the program (pictures and catalogue documents).

    Files are found by their original file name ("default_icon.png", "controls.txt").
*/
namespace Resources
{
    /** The bytes of an embedded file, or nullptr (and a size of 0) when there is none of that name. */
    const char* getData (const juce::String& fileName, int& sizeInBytes);

    /** The embedded file as text (its bytes read as UTF-8), or an empty string. */
    juce::String getText (const juce::String& fileName);

    /** The embedded picture decoded, or a null image. */
    juce::Image getImage (const juce::String& fileName);

    /** The embedded picture through JUCE's image cache (decoded once, then shared), or a null image. */
    juce::Image getCachedImage (const juce::String& fileName);

    /** The original file names of every embedded file, in the order they were compiled in. */
    juce::StringArray getFileNames();
}
