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
      unknown critical chunk; its image data must inflate, row by row as libpng inflates it,
      to exactly the rows of the picture, each with a known filter, and end with a correct
      check sum. The reader is then handed a copy holding only the header, palette,
      transparency and image data chunks (the reader draws the picture from those alone), so
      no other chunk can meet the library's error paths;
    - a JPEG file must be a chain of whole marker segments up to its end marker: tables with
      known numbers and Huffman codes that fit their lengths, one 8-bit grey or three-component
      frame (baseline, extended or progressive, Huffman coded) whose sampling factors divide
      each other, and scans of that frame's components whose tables are defined;
    - a GIF file must hold, after its palettes and whole extensions, an image whose LZW data
      gives every pixel from codes the decoder has defined, each pixel an entry of the
      palette, and each code within the two bytes the reader keeps of one data block and
      the block that follows. JUCE's GIF reader checks none of this: a code size over 12 makes it write past
      its tables, and an undefined code makes it read past its palette or stack.
*/
namespace PictureGuard
{
    /** The largest width and height a picture may have. JUCE's readers allocate the whole
        picture from the size in its header before they read any pixel, so a header that
        claims a huge picture must not reach them. */
    constexpr juce::uint32 maxSide = 4096;

    /** The picture in a PNG, JPEG or GIF file of 1 to maxSide pixels each way, decoded by JUCE
        once the file has passed the checks above; a null image when it has not, or when it is
        no picture at all. */
    juce::Image decode (const juce::MemoryBlock& file);
}
