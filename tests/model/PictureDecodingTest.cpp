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
    for (auto* good : { &png, &jpeg, &gif })
        EXPECT_EQ (pixels (ControllerDocument::decodePicture (*good)), pixels (juce::ImageFileFormat::loadFrom (good->getData(), good->getSize())));
}
