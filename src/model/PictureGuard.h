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

    Pictures are decoded on the message thread each time a panel shows one, only to be drawn
    into a small frame, so the guard also bounds the work a decoder would do, counted from the
    headers before any pixel is decoded: the number of pixels, the image data a PNG inflates,
    and the number of JPEG scans and the coefficients they walk. libjpeg walks every block of
    the picture once per scan, so a few bytes per scan can keep it busy for minutes. Within
    these bounds, the costliest pictures measured (noise, every pixel its own LZW code, scan
    scripts of refinements or of repeated scans) decode in 0.2 to 0.4 seconds in a release
    build, and the decoder holds at most about 110 MB while it works.
*/
namespace PictureGuard
{
    /** The largest width and height a picture may have. JUCE's readers allocate the whole
        picture from the size in its header before they read any pixel, so a header that
        claims a huge picture must not reach them. */
    constexpr juce::uint32 maxSide = 4096;

    /** The most pixels a picture may have: a twelve-megapixel photo (4000 x 3000, 4032 x 3024)
        fits, a 4096 x 4096 picture does not. */
    constexpr juce::uint64 maxPixels = 4096 * 3072;

    /** The most image data a PNG picture may inflate to: its rows as the file stores them,
        before the reader expands them to four 8-bit channels. That is 2048 x 2048 or 2560 x 1600
        pixels of 8-bit RGBA, 2560 x 2160 of 8-bit RGB, 2048 x 1024 of 16-bit RGBA, or maxPixels
        of 8-bit grey or palette colours. Inflating costs per byte, and the data is inflated
        twice, once here and once by the reader. */
    constexpr juce::uint64 maxPngImageBytes = 16 * 1024 * 1024;

    /** The most pixels a GIF picture may have: JUCE's reader, and the check here, decode each
        pixel's LZW code one by one. */
    constexpr juce::uint64 maxGifPixels = 4096 * 1536;

    /** The most scans a JPEG file may hold. A real progressive file has about ten. */
    constexpr int maxJpegScans = 100;

    /** The most coefficients the scans of a JPEG file may walk together: for each scan, the
        blocks it covers times the coefficients of its band (64 in a sequential scan). A
        sequential picture fits up to maxPixels with its colour at half the size each way or
        half the width (as cameras write it), and up to 11 megapixels with full-size colour. The
        usual progressive scan scripts walk each block's coefficients two to three and a half
        times: a progressive picture fits up to 11 megapixels in grey, 8.4 with colour at half
        the size each way, 4.8 with full-size colour. */
    constexpr juce::uint64 maxJpegCoefficientVisits = 32 * 1024 * 1024;

    /** The picture in a PNG, JPEG or GIF file of 1 to maxSide pixels each way and within the
        bounds above, decoded by JUCE once the file has passed the checks above; a null image
        when it has not, or when it is no picture at all. */
    juce::Image decode (const juce::MemoryBlock& file);
}
