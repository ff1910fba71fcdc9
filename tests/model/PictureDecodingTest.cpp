#include <gtest/gtest.h>
#include <zlib.h>

#include "model/ControllerDocument.h"
#include "resources/Resources.h"

TEST (PictureDecoding, DamagedPicturesAreRefusedAndGoodOnesDecodeAsBefore)
{
    int size = 0;
    const auto* icon = Resources::getData ("default_icon.png", size); // header chunk at 8, image data chunk at 33, its check sum at 8020
    juce::MemoryOutputStream jpegStream, gifStream; // the JPEG: frame header at 158, first Huffman table at 177
    juce::JPEGImageFormat().writeImageToStream (Resources::getImage ("logo.png"), jpegStream);
    juce::Base64::convertFromBase64 (gifStream, "R0lGODlhAwACAPEAAAAAAP8AAAD/AAAA/ywAAAAAAwACAAACBESoUSkAOw=="); // 3 x 2, LZW code size at 35
    const juce::MemoryBlock png (icon, (size_t) size), jpeg = jpegStream.getMemoryBlock(), gif = gifStream.getMemoryBlock();
    const auto pixels = [] (const juce::Image& image) { juce::MemoryOutputStream out; return image.isValid() && juce::PNGImageFormat().writeImageToStream (image, out) ? out.getMemoryBlock() : juce::MemoryBlock(); };
    const struct { const juce::MemoryBlock* picture; size_t at; int value; int mendedChunk; } rows[] = { // a new byte (-1: cut there), then the CRC of a PNG chunk mended
        { &png, 4000, 0x55, 0 }, { &png, 4020, -1, 0 }, { &png, 8028, -1, 0 }, { &png, 4000, 0x55, 33 }, { &png, 8020, 0x55, 33 }, // bad CRC, cut, no end, bad data, bad check sum
        { &png, 24, 3, 8 }, { &png, 25, 3, 8 }, { &png, 28, 2, 8 }, { &png, 37, 'J', 33 }, // bit depth, palette without PLTE, interlace, unknown critical chunk
        { &jpeg, 159, 0xc3, 0 }, { &jpeg, 182, 0xff, 0 }, { &jpeg, 460, -1, 0 }, { &gif, 35, 13, 0 }, { &gif, 36, 9, 0 }, // lossless, over-full table, cut, LZW code size, block length
    };
    for (auto& row : rows)
    {
        auto bytes = *row.picture;
        row.value < 0 ? bytes.setSize (row.at) : (void) (bytes[row.at] = (char) row.value);
        const auto length = row.mendedChunk > 0 ? juce::ByteOrder::bigEndianInt (bytes.begin() + row.mendedChunk) : 0u;
        const auto crc = juce::ByteOrder::swapIfLittleEndian ((juce::uint32) crc32 (0, (const Bytef*) bytes.begin() + row.mendedChunk + 4, length + 4));
        bytes.copyFrom (&crc, row.mendedChunk + 8 + (int) length, row.mendedChunk > 0 ? 4 : 0);
        EXPECT_TRUE (ControllerDocument::decodePicture (bytes).isNull()) << "byte " << row.at << " set to " << row.value;
    }
    // A scan that names the colour components out of the frame's order: libjpeg stops at an error that JUCE's reader reads on past.
    auto outOfOrder = jpeg;
    size_t scan = 0;
    while (scan + 10 < outOfOrder.getSize() && ! (outOfOrder[scan] == (char) 0xff && outOfOrder[scan + 1] == (char) 0xda))
        ++scan;
    ASSERT_EQ (juce::String::toHexString (outOfOrder.begin() + scan + 4, 7, 0), "03010002110311"); // three components, 1, 2, 3
    std::swap (outOfOrder[scan + 7], outOfOrder[scan + 9]); // 1, 3, 2
    EXPECT_TRUE (ControllerDocument::decodePicture (outOfOrder).isNull());
    juce::MemoryBlock found; // a progressive picture found by fuzzing, on which the reader crashed after that error
    ASSERT_TRUE (juce::File (WIRELACE_SOURCE_DIR "/tests/data/scan-components-out-of-order.jpg").loadFileAsData (found));
    EXPECT_TRUE (ControllerDocument::decodePicture (found).isNull());
    for (auto* good : { &png, &jpeg, &gif })
        EXPECT_EQ (pixels (ControllerDocument::decodePicture (*good)), pixels (juce::ImageFileFormat::loadFrom (good->getData(), good->getSize())));
}

namespace
{
    // Sanitized builds run the guard and JUCE's pixel loops up to about fifteen times slower.
   #if defined (__has_feature)
    constexpr double slowdown = __has_feature (address_sanitizer) || __has_feature (thread_sanitizer) ? 20 : 1;
   #else
    constexpr double slowdown = 1;
   #endif

    juce::MemoryBlock bytes (std::initializer_list<int> values)
    {
        juce::MemoryOutputStream out;
        for (auto value : values)
            out.writeByte ((char) value);
        return out.getMemoryBlock();
    }

    // A progressive grey JPEG: a DC scan, then acScans scans of the band 1 to acEnd, none with coded data:
    // libjpeg reads every coefficient as 0, but walks every block in each scan.
    juce::MemoryBlock progressiveJpeg (int width, int height, int acScans, int acEnd)
    {
        juce::MemoryOutputStream out;
        out << bytes ({ 0xff, 0xd8, 0xff, 0xdb, 0, 67, 0 }) << juce::String::repeatedString ("\x01", 64)
            << bytes ({ 0xff, 0xc2, 0, 11, 8, height >> 8, height & 255, width >> 8, width & 255, 1, 1, 0x11, 0 });
        for (int tableClass : { 0x00, 0x10 }) // one code of one bit, for the symbol 0
            out << bytes ({ 0xff, 0xc4, 0, 20, tableClass, 1 }) << juce::MemoryBlock (16, true);
        for (int scan = 0; scan <= acScans; ++scan)
            out << bytes ({ 0xff, 0xda, 0, 8, 1, 1, 0, scan == 0 ? 0 : 1, scan == 0 ? 0 : acEnd, 0 });
        out << bytes ({ 0xff, 0xd9 });
        return out.getMemoryBlock();
    }

    // An RGBA PNG of 16 bits a channel, every pixel 0, with surplus bytes after its compressed image data.
    juce::MemoryBlock blankPng (int width, int height, size_t surplus = 0)
    {
        juce::MemoryOutputStream out, pixels;
        {
            juce::GZIPCompressorOutputStream zlib (pixels, 1);
            const juce::MemoryBlock row ((size_t) (1 + 8 * width), true);
            for (int y = 0; y < height; ++y)
                zlib << row;
        }
        pixels.writeRepeatedByte (0, surplus);
        auto chunk = [&out] (juce::MemoryBlock typed)
        {
            out.writeIntBigEndian ((int) typed.getSize() - 4);
            out << typed;
            out.writeIntBigEndian ((int) crc32 (0, (const Bytef*) typed.getData(), (uInt) typed.getSize()));
        };
        out << bytes ({ 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' });
        chunk (bytes ({ 'I', 'H', 'D', 'R', 0, 0, width >> 8, width & 255, 0, 0, height >> 8, height & 255, 16, 6, 0, 0, 0 }));
        for (size_t at = 0; at < pixels.getDataSize(); at += 4000000) // chunks shorter than libpng's limit
        {
            auto data = bytes ({ 'I', 'D', 'A', 'T' });
            data.append (static_cast<const char*> (pixels.getData()) + at, std::min<size_t> (4000000, pixels.getDataSize() - at));
            chunk (data);
        }
        chunk (bytes ({ 'I', 'E', 'N', 'D' }));
        return out.getMemoryBlock();
    }

    // A GIF of noise in which every pixel is its own 8-bit LZW code, the costliest data to decode: each data
    // block holds a clear code, which keeps the codes at 8 bits, and 64 pixels.
    juce::MemoryBlock noiseGif (int width, int height)
    {
        juce::MemoryOutputStream out;
        out << bytes ({ 'G', 'I', 'F', '8', '9', 'a', width & 255, width >> 8, height & 255, height >> 8, 0xf6, 0, 0 }) << juce::MemoryBlock (3 * 128, true)
            << bytes ({ ',', 0, 0, 0, 0, width & 255, width >> 8, height & 255, height >> 8, 0, 7 });
        juce::Random random (1);
        for (juce::int64 pixels = 0; pixels < (juce::int64) width * height; pixels += 64)
        {
            out << bytes ({ 65, 128 });
            for (int i = 0; i < 64; ++i)
                out.writeByte ((char) random.nextInt (128));
        }
        out << bytes ({ 1, 129, 0, ';' });
        return out.getMemoryBlock();
    }
}

// Pictures whose decoding would keep the message thread busy for long are refused from their headers at once;
// every picture accepted, the largest and costliest included, decodes within about half a second.
TEST (PictureDecoding, CostlyPicturesAreRefusedAtOnceAndAcceptedOnesDecodeQuickly)
{
    auto written = [] (juce::ImageFileFormat&& format, int width, int height, juce::Image::PixelFormat pixelFormat)
    {
        juce::Image image (pixelFormat, width, height, true);
        juce::Graphics g (image);
        g.setGradientFill ({ juce::Colours::orange, 0, 0, juce::Colours::teal.withAlpha (0.5f), (float) width, (float) height, false });
        g.fillAll();
        juce::MemoryOutputStream out;
        return format.writeImageToStream (image, out) ? out.getMemoryBlock() : juce::MemoryBlock();
    };
    const struct { const char* what; juce::MemoryBlock picture; int width; } rows[] = { // width 0: refused
        { "4096 x 4096 JPEG, 1000 empty scans", progressiveJpeg (4096, 4096, 1000, 63), 0 },
        { "4096 x 3072 JPEG, 2000 empty scans", progressiveJpeg (4096, 3072, 2000, 63), 0 },
        { "JPEG, 100 scans", progressiveJpeg (1024, 1024, 99, 1), 1024 }, { "JPEG, 101 scans", progressiveJpeg (1024, 1024, 100, 1), 0 },
        { "JPEG, 25 million coefficients walked", progressiveJpeg (4096, 3072, 2, 63), 4096 },
        { "JPEG, 37 million coefficients walked", progressiveJpeg (4096, 3072, 3, 63), 0 },
        { "4096 x 4096 JPEG", progressiveJpeg (4096, 4096, 1, 63), 0 },
        { "4032 x 3024 JPEG (a phone photo)", written (juce::JPEGImageFormat(), 4032, 3024, juce::Image::RGB), 4032 },
        { "3000 x 2000 JPEG", written (juce::JPEGImageFormat(), 3000, 2000, juce::Image::RGB), 3000 },
        { "4096 x 4096 PNG, 16 bits", blankPng (4096, 4096), 0 }, { "2048 x 1025 PNG, 16 bits", blankPng (2048, 1025), 0 },
        { "2048 x 1024 PNG, 16 bits", blankPng (2048, 1024), 2048 },
        { "PNG, 8 MB of image data", blankPng (16, 16, 8000000), 16 }, { "PNG, 9 MB of image data", blankPng (16, 16, 9000000), 0 },
        { "1024 x 1024 RGBA PNG", written (juce::PNGImageFormat(), 1024, 1024, juce::Image::ARGB), 1024 },
        { "4096 x 1537 GIF", noiseGif (4096, 1537), 0 }, { "4096 x 1536 GIF", noiseGif (4096, 1536), 4096 },
    };

    for (auto& row : rows)
    {
        SCOPED_TRACE (row.what);
        const auto start = juce::Time::getMillisecondCounterHiRes();
        const auto image = ControllerDocument::decodePicture (row.picture);
        EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, (row.width == 0 ? 50.0 : 1000.0) * slowdown);
        EXPECT_EQ (image.getWidth(), row.width);
    }
}
