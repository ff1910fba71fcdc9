#include "model/PictureGuard.h"

#define ZLIB_CONST // zlib then takes its input through pointers to const
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{
    const juce::uint8 pngSignature[] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' };

    /** libpng refuses a chunk longer than this, except image data that the picture's size allows. */
    constexpr juce::uint64 maxPngChunkSize = 8000000;

    /** What a PNG header says; the fields the checks need. */
    struct PngHeader
    {
        juce::uint32 width = 0, height = 0;
        int bitDepth = 0, colourType = 0;
        bool interlaced = false;

        int getChannels() const { return colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1; }
        size_t getRowBytes (juce::uint32 columns) const { return ((size_t) columns * (size_t) (getChannels() * bitDepth) + 7) / 8; }
    };

    /** True when a picture of this size is within the pixel bounds of PictureGuard. */
    bool isWithinSize (juce::uint64 width, juce::uint64 height, juce::uint64 maxPixels)
    {
        return width >= 1 && width <= PictureGuard::maxSide && height >= 1 && height <= PictureGuard::maxSide
            && width * height <= maxPixels;
    }

    bool readPngHeader (const juce::uint8* data, juce::uint32 length, PngHeader& header)
    {
        if (length != 13)
            return false;

        header.width = juce::ByteOrder::bigEndianInt (data);
        header.height = juce::ByteOrder::bigEndianInt (data + 4);
        header.bitDepth = data[8];
        header.colourType = data[9];
        header.interlaced = data[12] == 1;

        const auto depth = header.bitDepth;
        const bool depthFits = header.colourType == 0 ? (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)
                             : header.colourType == 3 ? (depth == 1 || depth == 2 || depth == 4 || depth == 8)
                             : (header.colourType == 2 || header.colourType == 4 || header.colourType == 6) && (depth == 8 || depth == 16);

        return depthFits && isWithinSize (header.width, header.height, PictureGuard::maxPixels)
            && (juce::uint64) header.height * header.getRowBytes (header.width) <= PictureGuard::maxPngImageBytes
            && data[10] == 0 && data[11] == 0 && data[12] <= 1;
    }

    /** The longest image data chunk libpng accepts for this picture (its own estimate of the
        compressed size, or the general chunk limit when that is larger). */
    juce::uint64 getMaxImageDataChunk (const PngHeader& header)
    {
        const auto rowFactor = (juce::uint64) header.width * (juce::uint64) header.getChannels() * (header.bitDepth > 8 ? 2u : 1u)
                             + 1 + (header.interlaced ? 6u : 0u);
        auto limit = (juce::uint64) header.height * rowFactor;
        limit += 6 + 5 * (limit / std::min<juce::uint64> (rowFactor, 32566) + 1);
        return std::max (maxPngChunkSize, limit);
    }

    /** True when a palette or grey picture's transparency chunk is one libpng takes as it is. */
    bool isUsableTransparency (const PngHeader& header, juce::uint32 length, juce::uint32 paletteEntries)
    {
        switch (header.colourType)
        {
            case 0: return length == 2;
            case 2: return length == 6;
            case 3: return length >= 1 && length <= paletteEntries;
            default: return false;
        }
    }

    /** The rows of the picture's image data as the reader walks them: all rows at once, or
        the seven passes of an interlaced picture; calls visit (rowBytes, rows) for each. */
    template <typename Visit>
    void forEachPass (const PngHeader& header, Visit&& visit)
    {
        if (! header.interlaced)
        {
            visit (header.getRowBytes (header.width), (size_t) header.height);
            return;
        }

        static const juce::uint32 startX[] = { 0, 4, 0, 2, 0, 1, 0 }, stepX[] = { 8, 8, 4, 4, 2, 2, 1 };
        static const juce::uint32 startY[] = { 0, 0, 4, 0, 2, 0, 1 }, stepY[] = { 8, 8, 8, 4, 4, 2, 2 };

        for (int pass = 0; pass < 7; ++pass)
        {
            const auto columns = header.width > startX[pass] ? (header.width - startX[pass] + stepX[pass] - 1) / stepX[pass] : 0;
            const auto rows = header.height > startY[pass] ? (header.height - startY[pass] + stepY[pass] - 1) / stepY[pass] : 0;

            if (columns > 0 && rows > 0)
                visit (header.getRowBytes (columns), (size_t) rows);
        }
    }

    /** True when the zlib stream inflates, row by row as libpng inflates it, to exactly the
        rows of the picture, each starting with a known filter byte, and then ends with a
        correct check sum. libpng takes the window size from the stream's header and inflates
        each row into its own buffer, so a row can only refer back as far as that window
        reaches: inflating in one piece would let through references that libpng refuses. */
    bool isSoundImageData (const PngHeader& header, const juce::MemoryBlock& compressed)
    {
        z_stream stream {};

        if (inflateInit2 (&stream, 0) != Z_OK)
            return false;

        stream.next_in = static_cast<const Bytef*> (compressed.getData());
        stream.avail_in = (uInt) compressed.getSize();
        std::vector<juce::uint8> row;
        bool sound = true;

        forEachPass (header, [&] (size_t rowBytes, size_t rows)
        {
            row.resize (1 + rowBytes);

            for (size_t i = 0; i < rows && sound; ++i)
            {
                stream.next_out = row.data();
                stream.avail_out = (uInt) row.size();
                const auto result = inflate (&stream, Z_NO_FLUSH);
                sound = (result == Z_OK || result == Z_STREAM_END) && stream.avail_out == 0 && row[0] <= 4;
            }
        });

        juce::uint8 spare = 0; // a stream that holds more than the rows is refused as well
        stream.next_out = &spare;
        stream.avail_out = 1;
        sound = sound && inflate (&stream, Z_FINISH) == Z_STREAM_END && stream.avail_out == 1;
        inflateEnd (&stream);
        return sound;
    }

    bool isLetter (juce::uint8 c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

    /** The PNG file reduced to the chunks the reader draws the picture from, once every check
        has passed; an empty block otherwise. */
    juce::MemoryBlock rebuildPng (const juce::MemoryBlock& file)
    {
        auto* bytes = static_cast<const juce::uint8*> (file.getData());
        const auto size = file.getSize();

        if (size < sizeof (pngSignature) || std::memcmp (bytes, pngSignature, sizeof (pngSignature)) != 0)
            return {};

        juce::MemoryOutputStream rebuilt;
        rebuilt.write (pngSignature, sizeof (pngSignature));
        juce::MemoryBlock imageData;
        juce::uint64 maxImageData = 0; // all image data chunks together: what the rows can need, with room to spare
        PngHeader header;
        bool haveHeader = false, havePalette = false, haveTransparency = false, inImageData = false, afterImageData = false;
        juce::uint32 paletteEntries = 0;

        for (size_t position = sizeof (pngSignature);;)
        {
            if (size - position < 12)
                return {};

            const auto length = juce::ByteOrder::bigEndianInt (bytes + position);
            const auto* type = bytes + position + 4;
            const auto* data = type + 4;

            if (length > size - position - 12 || length > 0x7fffffffu)
                return {};

            if (crc32 (0, type, length + 4) != juce::ByteOrder::bigEndianInt (data + length))
                return {};

            if (! (isLetter (type[0]) && isLetter (type[1]) && isLetter (type[2]) && isLetter (type[3])))
                return {};

            const juce::String name ((const char*) type, 4);
            const bool critical = (type[0] & 0x20) == 0;
            bool keep = false;

            if (! haveHeader && name != "IHDR")
                return {};

            if (name == "IHDR")
            {
                if (haveHeader || ! readPngHeader (data, length, header))
                    return {};

                haveHeader = keep = true;
                maxImageData = getMaxImageDataChunk (header) * 65 / 64;
            }
            else if (name == "PLTE")
            {
                if (havePalette || inImageData || afterImageData || (header.colourType & 2) == 0
                    || length == 0 || length % 3 != 0 || length > 3 * 256)
                    return {};

                havePalette = keep = true;
                paletteEntries = length / 3;
            }
            else if (name == "IDAT")
            {
                if (afterImageData || (header.colourType == 3 && ! havePalette) || length > getMaxImageDataChunk (header)
                    || length > maxImageData - imageData.getSize())
                    return {};

                inImageData = keep = true;
                imageData.append (data, length);
            }
            else if (name == "IEND")
            {
                if (! inImageData && ! afterImageData)
                    return {};

                break;
            }
            else if (critical)
            {
                return {};
            }
            else if (name == "tRNS" && ! haveTransparency && ! inImageData && ! afterImageData
                     && (header.colourType != 3 || havePalette) && isUsableTransparency (header, length, paletteEntries))
            {
                haveTransparency = keep = true;
            }

            if (inImageData && name != "IDAT")
            {
                inImageData = false;
                afterImageData = true;
            }

            if (keep)
                rebuilt.write (bytes + position, length + 12);

            position += length + 12;
        }

        if (! isSoundImageData (header, imageData))
            return {};

        static const juce::uint8 endChunk[] = { 0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xae, 0x42, 0x60, 0x82 };
        rebuilt.write (endChunk, sizeof (endChunk));
        return rebuilt.getMemoryBlock();
    }

    //==============================================================================
    /** True when a quantisation table segment holds whole tables with known numbers. */
    bool readJpegQuantTables (const juce::uint8* data, size_t length, bool (&defined)[4])
    {
        for (size_t i = 0; i < length;)
        {
            const auto precision = data[i] >> 4, number = data[i] & 15;
            const size_t tableSize = precision == 0 ? 64 : 128;

            if (precision > 1 || number > 3 || length - i - 1 < tableSize)
                return false;

            defined[number] = true;
            i += 1 + tableSize;
        }

        return length > 0;
    }

    /** True when a Huffman table segment holds whole tables with known numbers whose codes the
        decoder can build (no length over-full, DC symbols of at most 15 bits). */
    bool readJpegHuffmanTables (const juce::uint8* data, size_t length, bool (&defined)[2][4])
    {
        for (size_t i = 0; i < length;)
        {
            const auto tableClass = data[i] >> 4, number = data[i] & 15;

            if (tableClass > 1 || number > 3 || length - i < 17)
                return false;

            size_t count = 0;
            juce::int64 code = 0;

            for (int bits = 1; bits <= 16; ++bits)
            {
                count += data[i + (size_t) bits];
                code = code + data[i + (size_t) bits];

                if (code >= ((juce::int64) 1 << bits))
                    return false;

                code <<= 1;
            }

            if (count > 256 || length - i - 17 < count)
                return false;

            for (size_t symbol = 0; symbol < count; ++symbol)
                if (tableClass == 0 && data[i + 17 + symbol] > 15)
                    return false;

            defined[tableClass][number] = true;
            i += 17 + count;
        }

        return length > 0;
    }

    struct JpegComponent
    {
        int id = 0, horizontal = 0, vertical = 0, quantTable = 0;
        juce::uint64 blocks = 0; ///< the 8 x 8 blocks a scan of this component alone covers
    };

    /** What the frame header says; the fields the checks need. */
    struct JpegFrame
    {
        std::vector<JpegComponent> components;
        juce::uint64 mcus = 0; ///< the units of a scan of several components
        bool progressive = false;
    };

    juce::uint64 divideRoundingUp (juce::uint64 a, juce::uint64 b) { return (a + b - 1) / b; }

    /** True when a frame header describes an 8-bit grey or three-component picture whose
        sampling factors the decoder can scale between. */
    bool readJpegFrame (const juce::uint8* data, size_t length, JpegFrame& frame)
    {
        auto& components = frame.components;

        if (length < 6 || data[0] != 8 || (data[5] != 1 && data[5] != 3) || length != 6 + 3 * (size_t) data[5])
            return false;

        const auto height = juce::ByteOrder::bigEndianShort (data + 1), width = juce::ByteOrder::bigEndianShort (data + 3);

        if (! isWithinSize (width, height, PictureGuard::maxPixels))
            return false;

        int maxHorizontal = 1, maxVertical = 1;

        for (size_t c = 0; c < data[5]; ++c)
        {
            const auto* field = data + 6 + 3 * c;
            JpegComponent component { field[0], field[1] >> 4, field[1] & 15, field[2] };

            if (component.horizontal < 1 || component.horizontal > 4 || component.vertical < 1 || component.vertical > 4
                || component.quantTable > 3)
                return false;

            for (auto& other : components)
                if (other.id == component.id)
                    return false;

            components.push_back (component);
            maxHorizontal = std::max (maxHorizontal, component.horizontal);
            maxVertical = std::max (maxVertical, component.vertical);
        }

        // The block counts as libjpeg takes them: a component's size is the picture's scaled by
        // its sampling factors and rounded up, and an interleaved scan covers whole units.
        for (auto& component : components)
        {
            if (maxHorizontal % component.horizontal != 0 || maxVertical % component.vertical != 0)
                return false;

            component.blocks = divideRoundingUp (divideRoundingUp ((juce::uint64) width * (juce::uint64) component.horizontal, (juce::uint64) maxHorizontal), 8)
                             * divideRoundingUp (divideRoundingUp ((juce::uint64) height * (juce::uint64) component.vertical, (juce::uint64) maxVertical), 8);
        }

        frame.mcus = divideRoundingUp (width, 8 * (juce::uint64) maxHorizontal) * divideRoundingUp (height, 8 * (juce::uint64) maxVertical);
        return true;
    }

    /** True when a scan header names components of the frame in the frame's order (as the
        standard asks; libjpeg's lookup refuses some other orders with an error that JUCE's
        reader does not stop at), whose quantisation
        and Huffman tables are defined, in a band the decoder accepts; adds the coefficients the
        decoder walks in it to coefficientVisits. */
    bool isSoundJpegScan (const juce::uint8* data, size_t length, const JpegFrame& frame,
                          const bool (&quantDefined)[4], const bool (&huffmanDefined)[2][4], juce::uint64& coefficientVisits)
    {
        const auto& components = frame.components;
        const auto progressive = frame.progressive;

        if (length < 1 || data[0] < 1 || data[0] > components.size() || length != 4 + 2 * (size_t) data[0])
            return false;

        const auto count = (size_t) data[0];
        const auto start = data[1 + 2 * count], end = data[2 + 2 * count];
        const auto high = data[3 + 2 * count] >> 4, low = data[3 + 2 * count] & 15;
        const bool dcBand = start == 0;

        if (progressive ? ((dcBand ? end != 0 : (start > end || end > 63 || count != 1)) || (high != 0 && low != high - 1) || low > 13)
                        : (start != 0 || end != 63 || high != 0 || low != 0))
            return false;

        int blocks = 0;
        juce::uint64 scanBlocks = 0;
        std::ptrdiff_t previousIndex = -1; // in the frame

        for (size_t c = 0; c < count; ++c)
        {
            const int id = data[1 + 2 * c], dcTable = data[2 + 2 * c] >> 4, acTable = data[2 + 2 * c] & 15;
            auto component = std::find_if (components.begin(), components.end(), [id] (auto& k) { return k.id == id; });

            if (component == components.end() || component - components.begin() <= previousIndex
                || dcTable > 3 || acTable > 3 || ! quantDefined[component->quantTable])
                return false;

            const bool needsDc = ! progressive || (dcBand && high == 0);
            const bool needsAc = ! progressive || ! dcBand;

            if ((needsDc && ! huffmanDefined[0][dcTable]) || (needsAc && ! huffmanDefined[1][acTable]))
                return false;

            previousIndex = component - components.begin();
            blocks += component->horizontal * component->vertical;
            scanBlocks = component->blocks;
        }

        if (count > 1)
            scanBlocks = frame.mcus * (juce::uint64) blocks;

        coefficientVisits += scanBlocks * (juce::uint64) (end - start + 1);
        return count == 1 || blocks <= 10;
    }

    /** True when every marker segment of a JPEG file up to its end marker is one the decoder
        reads without an error: tables, an 8-bit baseline, extended or progressive Huffman
        frame, and scans that the frame and tables allow. */
    bool isSoundJpeg (const juce::uint8* bytes, size_t size)
    {
        if (size < 4 || bytes[0] != 0xff || bytes[1] != 0xd8)
            return false;

        JpegFrame frame;
        bool quantDefined[4] = {}, huffmanDefined[2][4] = {}, scanned = false;
        int scans = 0;
        juce::uint64 coefficientVisits = 0;

        for (size_t i = 2;;)
        {
            if (i >= size || bytes[i] != 0xff)
                return false;

            while (i < size && bytes[i] == 0xff)
                ++i;

            if (i >= size)
                return false;

            const auto marker = bytes[i++];

            if (marker == 0xd9)
                return scanned;

            if (size - i < 2)
                return false;

            const size_t length = juce::ByteOrder::bigEndianShort (bytes + i);

            if (length < 2 || length > size - i)
                return false;

            const auto* data = bytes + i + 2;
            i += length;

            if ((marker >= 0xe0 && marker <= 0xef) || marker == 0xfe || (marker == 0xdd && length == 4))
                continue;

            if (marker >= 0xc0 && marker <= 0xc2 && frame.components.empty())
                frame.progressive = marker == 0xc2;

            if (marker == 0xdb ? ! readJpegQuantTables (data, length - 2, quantDefined)
                : marker == 0xc4 ? ! readJpegHuffmanTables (data, length - 2, huffmanDefined)
                : marker >= 0xc0 && marker <= 0xc2 ? ! frame.components.empty() || ! readJpegFrame (data, length - 2, frame)
                : marker == 0xda ? ! isSoundJpegScan (data, length - 2, frame, quantDefined, huffmanDefined, coefficientVisits)
                : true)
                return false;

            if (marker != 0xda)
                continue;

            if (++scans > PictureGuard::maxJpegScans || coefficientVisits > PictureGuard::maxJpegCoefficientVisits)
                return false;

            scanned = true;

            // The entropy-coded data runs up to the first marker that is neither a stuffed
            // zero nor a restart marker.
            for (; i < size; ++i)
            {
                if (bytes[i] != 0xff)
                    continue;

                auto next = i + 1;

                while (next < size && bytes[next] == 0xff)
                    ++next;

                if (next < size && bytes[next] != 0 && (bytes[next] < 0xd0 || bytes[next] > 0xd7))
                    break;

                i = next;
            }
        }
    }

    //==============================================================================
    /** Reads the codes of GIF image data from its data blocks the way JUCE's GIF reader does:
        it keeps only the last two bytes of one block when it reads the next, so a code must
        lie within those and the next block. Gives -1 where the data ends, is cut short, or
        holds a code that the reader would take from bytes it does not have. */
    class GifCodeReader
    {
    public:
        GifCodeReader (const juce::uint8* data, size_t size) : bytes (data), numBytes (size) {}

        int read (int codeSize)
        {
            if (bit + codeSize >= endBit)
            {
                if (ended || position >= numBytes || bytes[position] > numBytes - position - 1)
                    return -1;

                const auto blockSize = (int) bytes[position];
                const juce::uint8 kept[] = { window[std::max (0, endBit / 8 - 2)], window[std::max (0, endBit / 8 - 1)] };
                std::memcpy (window, kept, 2);
                std::memcpy (window + 2, bytes + position + 1, (size_t) blockSize);
                position += 1 + (size_t) blockSize;
                ended = blockSize == 0;
                bit += 16 - endBit;
                endBit = (2 + blockSize) * 8;

                if (bit + codeSize > endBit)
                    return -1;
            }

            int code = 0;

            for (int i = 0; i < codeSize; ++i, ++bit)
                code |= ((window[bit >> 3] >> (bit & 7)) & 1) << i;

            return code;
        }

    private:
        const juce::uint8* bytes;
        size_t numBytes, position = 0;
        juce::uint8 window[2 + 255] = {};
        int bit = 0, endBit = 0;
        bool ended = false;
    };

    /** True when LZW image data decodes to at least the picture's pixels, each an entry of
        the palette, before it ends: every code is one the decoder has defined. */
    bool isSoundGifImageData (const juce::uint8* bytes, size_t size, size_t numPixels, int paletteSize)
    {
        if (size < 1 || bytes[0] < 2 || bytes[0] > 8)
            return false;

        const int clearCode = 1 << bytes[0], maxCodes = 4096;
        std::vector<int> lengths ((size_t) maxCodes, 1), highest ((size_t) maxCodes), first ((size_t) maxCodes);

        for (int code = 0; code < clearCode; ++code)
            highest[(size_t) code] = first[(size_t) code] = code;

        GifCodeReader reader (bytes + 1, size - 1);
        int codeSize = bytes[0] + 1, nextCode = clearCode + 2, previous = -1;

        for (size_t pixels = 0; pixels < numPixels;)
        {
            const auto code = reader.read (codeSize);

            // After a clear code in the middle of the data, the reader takes the next code as a
            // pixel whatever it is; only at the start does it skip further clear codes.
            if (code == clearCode && (previous >= 0 || pixels == 0))
            {
                codeSize = bytes[0] + 1;
                nextCode = clearCode + 2;
                previous = -1;
                continue;
            }

            if (code < 0 || code == clearCode + 1 || code > nextCode || (previous < 0 && code >= clearCode)
                || (code == nextCode && nextCode == maxCodes))
                return false;

            const auto known = (size_t) (code == nextCode ? previous : code);
            const auto lead = first[(size_t) (code == nextCode ? previous : code)];

            if (std::max (highest[known], lead) >= paletteSize)
                return false;

            pixels += (size_t) lengths[known] + (code == nextCode ? 1u : 0u);

            if (previous >= 0 && nextCode < maxCodes)
            {
                lengths[(size_t) nextCode] = lengths[(size_t) previous] + 1;
                highest[(size_t) nextCode] = std::max (highest[(size_t) previous], lead);
                first[(size_t) nextCode] = first[(size_t) previous];

                if (++nextCode == 1 << codeSize && codeSize < 12)
                    ++codeSize;
            }

            previous = code;
        }

        return true;
    }

    /** True when a GIF file holds, after its header, palette and extensions, an image whose
        data decodes as isSoundGifImageData demands, each block where its length says. */
    bool isSoundGif (const juce::uint8* bytes, size_t size)
    {
        if (size < 13 || juce::ByteOrder::littleEndianShort (bytes + 6) == 0 || juce::ByteOrder::littleEndianShort (bytes + 8) == 0)
            return false;

        auto paletteSize = (bytes[10] & 0x80) != 0 ? 2 << (bytes[10] & 7) : 0;
        size_t i = 13 + 3 * (size_t) paletteSize;

        while (i < size)
        {
            const auto introducer = bytes[i++];

            if (introducer == '!')
            {
                // The reader takes a graphic control extension's fields from its first block.
                if (i >= size || (bytes[i] == 0xf9 && (i + 1 >= size || bytes[i + 1] != 4)))
                    return false;

                for (++i; i < size && bytes[i] != 0; i += 1 + (size_t) bytes[i])
                {}

                if (i++ >= size)
                    return false;

                continue;
            }

            if (introducer != ',' || size - i < 9)
                return false;

            const auto width = juce::ByteOrder::littleEndianShort (bytes + i + 4);
            const auto height = juce::ByteOrder::littleEndianShort (bytes + i + 6);
            const auto flags = bytes[i + 8];
            i += 9;

            if ((flags & 0x80) != 0)
            {
                paletteSize = 2 << (flags & 7);
                i += 3 * (size_t) paletteSize;
            }

            return isWithinSize (width, height, PictureGuard::maxGifPixels)
                && i < size
                && isSoundGifImageData (bytes + i, size - i, (size_t) width * height, paletteSize);
        }

        return false;
    }
} // namespace

juce::Image PictureGuard::decode (const juce::MemoryBlock& file)
{
    const auto png = rebuildPng (file);

    if (! png.isEmpty())
    {
        juce::MemoryInputStream stream (png, false);
        return juce::PNGImageFormat().decodeImage (stream);
    }

    auto* bytes = static_cast<const juce::uint8*> (file.getData());
    const auto size = file.getSize();

    if (size > 3 && bytes[0] == 0xff && bytes[1] == 0xd8 && bytes[2] == 0xff && isSoundJpeg (bytes, size))
    {
        juce::MemoryInputStream stream (file, false);
        return juce::JPEGImageFormat().decodeImage (stream);
    }

    if (size > 6 && (std::memcmp (bytes, "GIF87a", 6) == 0 || std::memcmp (bytes, "GIF89a", 6) == 0) && isSoundGif (bytes, size))
    {
        juce::MemoryInputStream stream (file, false);
        return juce::GIFImageFormat().decodeImage (stream);
    }

    return {};
}
