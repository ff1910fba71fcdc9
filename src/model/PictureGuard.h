#pragma once

#include <juce_core/juce_core.h>
#include <juce_graphics/juce_graphics.h>

/**
    The one gate through which picture files from outside reach JUCE's image readers.

    The PNG and JPEG libraries behind those readers stop at an error by jumping out of the
    reader, but JUCE's error handlers return instead, so the libraries carry on from a state
    they never meant to be in, or jump into a stack frame that is gone: a damaged file takes
    the program down. The guard therefore reads each file first and lets through only what
    the library will decode without an error:

    - a PNG file must hold a valid header first, a palette where the colour type needs one,
      consecutive image data chunks and an end chunk, every chunk with a correct CRC and no
      unknown critical chunk; its image data must inflate completely to at least the bytes
      of every row, each row with a known filter. The reader is then handed a copy holding
      only the header, palette, transparency and image data chunks (the reader draws the
      picture from those alone), so no other chunk can meet the library's error paths.
*/
namespace PictureGuard
{
    /** The picture in a PNG, JPEG or GIF file, decoded by JUCE once the file has passed the
        checks above; a null image when it has not, or when it is no picture at all. */
    juce::Image decode (const juce::MemoryBlock& file);

    /** The PNG file reduced to the chunks the reader draws the picture from, once every check
        has passed; an empty block otherwise. */
    juce::MemoryBlock rebuildPng (const juce::MemoryBlock& file);
}
