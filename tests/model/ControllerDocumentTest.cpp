#include <gtest/gtest.h>

#include <algorithm>

#include "model/ControllerDocument.h"
#include "model/XmlGuard.h"
#include "resources/Resources.h"

// The document in memory: its default tree, taking and refusing XML text, the mapping lists,
// the properties and the icon. The file side lives in ControllerDocumentFileTest.cpp.

namespace
{
    const char* const minimalController = "<main><version/><controller kind=\"midi\"/></main>";

    /** A tree as one line of XML, without the declaration. */
    juce::String xmlOf (const juce::ValueTree& tree)
    {
        return tree.createXml()->toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());
    }

    juce::ValueTree rootOf (const ControllerDocument& document)
    {
        return document.getMappings().isValid() ? document.getMappings().getParent().getParent()
                                                : juce::ValueTree::fromXml (document.toXmlString());
    }

    juce::ValueTree listOf (const ControllerDocument& document, const char* name)
    {
        return document.getMappings().getChildWithName (name);
    }

    juce::ValueTree pastedInputMapping (const juce::String& alias, bool withPreset)
    {
        return juce::ValueTree::fromXml ("<mapping><events><midi type=\"Note\" parameter=\"0x24\" channel=\"0x2\"/></events>"
                                         "<controls><control alias=\"" + alias + "\"/></controls>"
                                         + (withPreset ? "<preset name=\"Toggle\"><parameters/></preset>" : "") + "</mapping>");
    }

    juce::ValueTree pastedOutputMapping (const juce::String& alias)
    {
        return juce::ValueTree::fromXml ("<mapping><control alias=\"" + alias + "\" value=\"%\"/>"
                                         "<midi type=\"CC\" parameter=\"7\" channel=\"1\"/></mapping>");
    }

    /** The CRC-32 that PNG chunks carry. */
    juce::uint32 crc32 (const juce::uint8* data, size_t size)
    {
        juce::uint32 crc = 0xffffffff;

        for (size_t i = 0; i < size; ++i)
            for (int bit = 0, byte = data[i]; bit < 8; ++bit, byte >>= 1)
                crc = (crc >> 1) ^ (((crc ^ (juce::uint32) byte) & 1) != 0 ? 0xedb88320u : 0u);

        return crc ^ 0xffffffff;
    }

    juce::MemoryBlock encoded (juce::ImageFileFormat&& format, const juce::Image& image)
    {
        juce::MemoryOutputStream stream;
        EXPECT_TRUE (format.writeImageToStream (image, stream));
        return stream.getMemoryBlock();
    }

    void setIconData (ControllerDocument& document, const juce::String& data)
    {
        document.getMappings().getParent().getChildWithName ("icon").setProperty ("Data", data, nullptr);
    }
}

//==============================================================================
TEST (ControllerDocument, NewDocumentHasTheSkeletonInOrderAndItsOwnId)
{
    ControllerDocument document;
    EXPECT_EQ (document.getName(), "unnamed.mappings");
    EXPECT_TRUE (document.getFilePath().isEmpty());
    EXPECT_FALSE (document.hasChangedSinceSaved());

    auto root = rootOf (document);
    auto controller = root.getChildWithName ("controller");
    const auto id = controller.getChildWithName ("id")["ID"].toString();
    EXPECT_EQ (id.length(), 32);
    EXPECT_TRUE (id.containsOnly ("0123456789abcdef")) << id;
    EXPECT_TRUE (root.getChild (0)["major"].isInt()); // numbers in a new tree, written as decimal text

    auto skeleton = root.createCopy();
    skeleton.getChild (1).getChildWithName ("id").setProperty ("ID", "X", nullptr);
    skeleton.getChild (1).getChildWithName ("icon").setProperty ("Data", "D", nullptr);
    EXPECT_EQ (xmlOf (skeleton), "<main><version major=\"1\" minor=\"0\"/><controller kind=\"midi\"><id ID=\"X\"/>"
                                 "<properties Model=\"\" Manufacturer=\"\" Version=\"1.0\" Publisher=\"\"/><icon Data=\"D\"/>"
                                 "<mappings><input-mappings/><output-mappings/></mappings></controller></main>");

    document.newDocument();
    EXPECT_NE (rootOf (document).getChild (1).getChildWithName ("id")["ID"].toString(), id);
    EXPECT_NE (rootOf (ControllerDocument()).getChild (1).getChildWithName ("id")["ID"].toString(), id);
}

//==============================================================================
TEST (ControllerDocument, DefaultIconIsAFreshPngEncodingOfTheEmbedded256Square8BitRgbaPicture)
{
    int embeddedSize = 0;
    auto* embedded = reinterpret_cast<const juce::uint8*> (Resources::getData ("default_icon.png", embeddedSize));
    ASSERT_GT (embeddedSize, 33);
    EXPECT_EQ (std::memcmp (embedded + 12, "IHDR\0\0\1\0\0\0\1\0\x08\x06", 14), 0); // 256 x 256, 8 bits, RGBA

    ControllerDocument document;
    juce::MemoryBlock stored;
    ASSERT_TRUE (stored.fromBase64Encoding (rootOf (document).getChild (1).getChildWithName ("icon")["Data"].toString()));
    ASSERT_GT (stored.getSize(), 8u);
    EXPECT_EQ (std::memcmp (stored.getData(), "\x89PNG\r\n\x1a\n", 8), 0);
    EXPECT_NE (stored, juce::MemoryBlock (embedded, (size_t) embeddedSize)); // decoded and encoded again

    // The same picture; partly transparent pixels may differ by the rounding of premultiplied alpha.
    const auto icon = document.getIcon(), original = Resources::getImage ("default_icon.png");
    ASSERT_EQ (icon.getBounds(), juce::Rectangle<int> (256, 256));
    ASSERT_EQ (original.getBounds(), icon.getBounds());
    int differing = 0;

    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            for (int shift = 0, a = (int) icon.getPixelAt (x, y).getARGB(), b = (int) original.getPixelAt (x, y).getARGB(); shift < 32; shift += 8)
                differing += std::abs (((a >> shift) & 255) - ((b >> shift) & 255)) > 3 ? 1 : 0;

    EXPECT_EQ (differing, 0);
}

// JPEG and GIF icons are shown too; a header of any format that claims a picture of more than
// 4096 pixels a side gives a null image instead of reaching a reader that allocates it whole.
TEST (ControllerDocument, IconDecodesInEveryReadableFormatAndAnythingElseGivesANullImage)
{
    const auto png = encoded (juce::PNGImageFormat(), juce::Image (juce::Image::ARGB, 3, 2, true));
    const auto jpeg = encoded (juce::JPEGImageFormat(), juce::Image (juce::Image::RGB, 5, 3, true));
    const juce::uint8 gifBytes[] = { 'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 255, 255, 255, 0, 0, 0,
                                     '!', 0xf9, 4, 1, 0, 0, 0, 0, ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, ';' };
    const juce::MemoryBlock gif (gifBytes, sizeof (gifBytes));

    // Headers (with correct checksums) that claim enormous sizes: PNG's IHDR, JPEG's frame
    // header (height, then width, after its length and precision), GIF's image descriptor.
    auto hugePng = png, hugeJpeg = jpeg, hugeGif = gif;
    auto* ihdr = static_cast<juce::uint8*> (hugePng.getData());
    ihdr[17] = ihdr[21] = 0x10;
    const auto crc = crc32 (ihdr + 12, 17);
    for (int i = 0; i < 4; ++i)
        ihdr[29 + i] = (juce::uint8) (crc >> (24 - 8 * i));

    auto* jpegBytes = static_cast<juce::uint8*> (hugeJpeg.getData());
    auto* frame = std::search (jpegBytes, jpegBytes + hugeJpeg.getSize(), "\xff\xc0", "\xff\xc0" + 2,
                               [] (juce::uint8 a, char b) { return a == (juce::uint8) b; });
    ASSERT_LT (frame, jpegBytes + hugeJpeg.getSize());
    frame[5] = frame[6] = frame[7] = frame[8] = 0xf0;
    static_cast<juce::uint8*> (hugeGif.getData())[33] = 0xff;

    const auto pngText = png.toBase64Encoding();
    const std::tuple<const char*, juce::String, int> cases[] = {
        { "PNG", pngText, 3 }, { "JPEG", jpeg.toBase64Encoding(), 5 }, { "GIF", gif.toBase64Encoding(), 1 },
        { "PNG claiming 1M by 1M", hugePng.toBase64Encoding(), 0 },
        { "JPEG claiming 61680 by 61680", hugeJpeg.toBase64Encoding(), 0 },
        { "GIF claiming 65281 by 1", hugeGif.toBase64Encoding(), 0 },
        { "empty", "", 0 }, { "garbage", "garbage", 0 },
        { "fewer characters than the count needs", "12.ABC", 0 },
        { "negative count (JUCE's decoder throws)", "-1.AAAAAAAA", 0 },
        { "huge count (JUCE's decoder allocates it)", "99999999999.AAAA", 0 },
        { "no count", pngText.fromFirstOccurrenceOf (".", false, false), 0 },
        { "not a picture", juce::MemoryBlock ("just some bytes, no picture", 27).toBase64Encoding(), 0 },
        { "truncated PNG", pngText.substring (0, pngText.length() / 2), 0 },
    };

    ControllerDocument document;

    for (auto& [what, data, width] : cases)
    {
        SCOPED_TRACE (what);
        setIconData (document, data);
        EXPECT_EQ (document.getIcon().getWidth(), width);
    }

    document.getMappings().getParent().getChildWithName ("icon").removeProperty ("Data", nullptr);
    EXPECT_FALSE (document.getIcon().isValid());
    document.loadFromXmlText (minimalController);
    EXPECT_FALSE (document.getIcon().isValid());
}

//==============================================================================
TEST (ControllerDocument, AcceptsAnyRootWithVersionAndAMidiControllerAsDirectChildren)
{
    const std::pair<const char*, bool> cases[] = {
        { "<main><version/><controller kind=\"midi\"/></main>", true },
        { "<anything><controller kind=\"midi\"/><version major=\"9\"/></anything>", true },
        { "<?xml version=\"1.0\"?><x><other/><version/><controller kind=\"midi\" extra=\"1\"/></x>", true },
        { "<main><version/><controller kind=\"MIDI\"/></main>", false },
        { "<main><version/><controller kind=\"midi \"/></main>", false },
        { "<main><version/><controller/></main>", false },
        { "<main><controller kind=\"midi\"/></main>", false },
        { "<main><version/><other><controller kind=\"midi\"/></other></main>", false },
        { "<main><other><version/></other><controller kind=\"midi\"/></main>", false },
        { "<controller kind=\"midi\"><version/></controller>", false },
    };

    for (auto& [text, accepted] : cases)
    {
        SCOPED_TRACE (text);
        ControllerDocument document;
        const auto before = document.toXmlString();
        EXPECT_EQ (document.isValidXmlText (text), accepted);
        document.loadFromXmlText (text);
        EXPECT_EQ (rootOf (document).isEquivalentTo (juce::ValueTree::fromXml (text)), accepted);
        EXPECT_EQ (document.toXmlString() == before, ! accepted);
    }
}

// Each row starts from a document with a file, a change and an error of its own.
TEST (ControllerDocument, TakingAndTestingTextFollowTheStateTable)
{
    const auto deep = "<main><version/><controller kind=\"midi\">" + juce::String::repeatedString ("<a>", 100000) + "</controller></main>";
    const char* const kept = nullptr, *parserError = "?";

    // error: kept, emptied (""), the parser's new error ("?"), or the guard's named one.
    struct Case { bool take; juce::String text; const char* error; bool taken; };
    const Case cases[] = {
        { true, "<main><version/>", parserError, false },
        { true, deep, XmlGuard::tooDeepError, false },
        { true, "<main><version/><controller kind=\"osc\"/></main>", kept, false },
        { true, minimalController, "", true },
        { false, "not xml at all <", parserError, false },
        { false, deep, XmlGuard::tooDeepError, false },
        { false, "<main><version/></main>", kept, false },
        { false, minimalController, "", false },
    };

    juce::TemporaryFile file (".mappings");

    for (auto& c : cases)
    {
        SCOPED_TRACE ((c.take ? "take " : "test ") + c.text.substring (0, 60));
        ControllerDocument document;
        ASSERT_TRUE (document.saveAs (file.getFile()));
        document.createInputMapping ("deck.a.play");
        document.loadFromXmlText ("<!DOCTYPE main><main/>");
        const auto error = document.getLastError(), before = document.toXmlString();
        ASSERT_TRUE (error.isNotEmpty());

        if (c.take)
            document.loadFromXmlText (c.text);
        else
            EXPECT_EQ (document.isValidXmlText (c.text), c.text == minimalController);

        const auto now = document.getLastError();

        if (c.error == kept)
            EXPECT_EQ (now, error);
        else if (c.error == parserError)
            EXPECT_TRUE (now.isNotEmpty() && now != error) << now;
        else
            EXPECT_TRUE (juce::String (c.error).isEmpty() ? now.isEmpty() : now.startsWith (c.error)) << now;

        EXPECT_EQ (rootOf (document).isEquivalentTo (juce::ValueTree::fromXml (minimalController)), c.taken);
        EXPECT_EQ (document.toXmlString() == before, ! c.taken);
        EXPECT_EQ (document.getFilePath(), c.taken ? juce::String() : file.getFile().getFullPathName());
        EXPECT_EQ (document.getName(), c.taken ? "unnamed.mappings" : file.getFile().getFileName());
        EXPECT_EQ (document.hasChangedSinceSaved(), ! c.taken);

        // A new document resets everything but the last error.
        const auto lastError = document.getLastError();
        document.newDocument();
        EXPECT_EQ (listOf (document, "input-mappings").getNumChildren(), 0);
        EXPECT_EQ (document.getName(), "unnamed.mappings");
        EXPECT_TRUE (document.getFilePath().isEmpty());
        EXPECT_FALSE (document.hasChangedSinceSaved());
        EXPECT_EQ (document.getLastError(), lastError);
    }
}

TEST (ControllerDocument, TextRoundTripKeepsEveryElementButDropsTheFile)
{
    ControllerDocument document;
    juce::TemporaryFile file (".mappings");
    ASSERT_TRUE (document.saveAs (file.getFile()));

    document.setModel ("Twister \"Pro\" <2> & more");
    document.setManufacturer (juce::String (juce::CharPointer_UTF8 ("Gr\xc3\xb6\xc3\x9f" "e \xe2\x99\xaa")));
    document.setMacDevice ("Line one\nLine two\tend");
    document.createInputMapping ("deck.a.play");
    document.createOutputMapping ("deck.a.cue", "Integer");
    document.addMapping (pastedInputMapping ("deck.b.play", true), -1);

    const auto text = document.toXmlString();
    ControllerDocument copy;
    copy.loadFromXmlText (text);
    EXPECT_EQ (copy.toXmlString(), text);
    EXPECT_TRUE (rootOf (copy).isEquivalentTo (rootOf (document)));
    EXPECT_EQ (copy.getMacDevice(), "Line one\nLine two\tend");
    EXPECT_EQ (copy.getManufacturer(), document.getManufacturer());

    // The same holds when the document takes its own text.
    document.loadFromXmlText (text);
    EXPECT_EQ (document.toXmlString(), text);
    EXPECT_TRUE (document.getFilePath().isEmpty());
    EXPECT_EQ (document.getName(), "unnamed.mappings");
    EXPECT_FALSE (document.hasChangedSinceSaved());
}

//==============================================================================
TEST (ControllerDocument, AddMappingRoutesByChildrenInsertsItselfAndLeavesTheFlag)
{
    ControllerDocument document;
    auto inputs = listOf (document, "input-mappings"), outputs = listOf (document, "output-mappings");

    // "events" with "preset": an input mapping, inserted itself at the index.
    auto first = pastedInputMapping ("a", true), second = pastedInputMapping ("b", true), third = pastedInputMapping ("c", true);
    EXPECT_EQ (document.addMapping (first, -1), first);
    EXPECT_EQ (document.addMapping (second, 0), second);
    EXPECT_EQ (document.addMapping (third, 99), third);
    EXPECT_TRUE (inputs.getChild (0) == second && inputs.getChild (1) == first && inputs.getChild (2) == third);

    // "control": an output mapping, whatever the element is called.
    auto output = pastedOutputMapping ("d"), renamed = juce::ValueTree::fromXml ("<thing><control alias=\"x\"/></thing>");
    EXPECT_EQ (document.addMapping (output, -1), output);
    EXPECT_EQ (document.addMapping (renamed, 0), renamed);
    EXPECT_EQ (outputs.getChild (0), renamed);

    // "events" without "preset" (as a new input mapping is made), and neither: nothing added.
    EXPECT_FALSE (document.addMapping (pastedInputMapping ("e", false), -1).isValid());
    EXPECT_FALSE (document.addMapping (juce::ValueTree::fromXml ("<mapping><midi/></mapping>"), -1).isValid());
    EXPECT_FALSE (document.addMapping (juce::ValueTree(), -1).isValid());
    EXPECT_EQ (inputs.getNumChildren() + outputs.getNumChildren(), 5);
    EXPECT_FALSE (document.hasChangedSinceSaved());

    // addOutputMapping appends whatever it is given, and marks the document changed.
    juce::ValueTree anything ("whatever");
    EXPECT_EQ (document.addOutputMapping (anything), anything);
    EXPECT_EQ (outputs.getChild (2), anything);
    EXPECT_TRUE (document.hasChangedSinceSaved());
}

TEST (ControllerDocument, CreatedMappingsAreAppendedWithTheDefaultMessageAndMarkTheChange)
{
    ControllerDocument document;
    document.addMapping (pastedInputMapping ("deck.a.play", true), -1);
    auto input = document.createInputMapping ("mixer.crossfader");
    EXPECT_TRUE (document.hasChangedSinceSaved());
    EXPECT_EQ (listOf (document, "input-mappings").indexOf (input), 1);
    EXPECT_EQ (xmlOf (input), "<mapping><events><midi type=\"CC\" parameter=\"0x01\" channel=\"0x01\"/></events>"
                              "<controls><control alias=\"mixer.crossfader\"/></controls></mapping>");

    const std::pair<const char*, const char*> cases[] = {
        { "Logic", "true" }, { "Trigger", "true" }, { "Integer", "%" }, { "", "%" }, { "logic", "%" }, { "Normal", "%" }
    };

    for (auto& [type, value] : cases)
    {
        SCOPED_TRACE (type);
        ControllerDocument fresh;
        auto output = fresh.createOutputMapping ("deck.a.play", type);
        EXPECT_TRUE (fresh.hasChangedSinceSaved());
        EXPECT_EQ (output.getParent(), listOf (fresh, "output-mappings"));
        EXPECT_EQ (xmlOf (output), "<mapping><control alias=\"deck.a.play\" value=\"" + juce::String (value)
                                   + "\"/><midi type=\"CC\" parameter=\"0x01\" channel=\"0x01\"/></mapping>");
    }
}

//==============================================================================
TEST (ControllerDocument, PropertiesAreTextInTheirPlacesAndLeaveTheFlag)
{
    ControllerDocument document;
    document.setMacDevice ("Twister MIDI 1");
    document.setModel ("Twister");
    document.setManufacturer ("Acme");
    document.setVersion ("2.0");
    document.setPublisher ("Me");

    EXPECT_EQ (document.getModel() + document.getManufacturer() + document.getVersion() + document.getPublisher()
                   + document.getMacDevice(), "TwisterAcme2.0MeTwister MIDI 1");
    EXPECT_EQ (xmlOf (document.getMappings().getParent().getChildWithName ("properties")),
               "<properties Model=\"Twister\" Manufacturer=\"Acme\" Version=\"2.0\" Publisher=\"Me\" MacDevice=\"Twister MIDI 1\"/>");
    EXPECT_FALSE (document.hasChangedSinceSaved());
}

TEST (ControllerDocument, AcceptedFileWithoutTheUsualElementsDegradesQuietly)
{
    ControllerDocument document;
    document.loadFromXmlText (minimalController);
    ASSERT_TRUE (document.getLastError().isEmpty());

    EXPECT_FALSE (document.getMappings().isValid());
    document.setModel ("ignored");
    EXPECT_EQ (document.getModel(), "");

    auto input = document.createInputMapping ("a");
    EXPECT_TRUE (input.isValid());
    EXPECT_FALSE (input.getParent().isValid());
    EXPECT_TRUE (document.hasChangedSinceSaved());
    EXPECT_TRUE (document.createOutputMapping ("b", "Logic").isValid());
    EXPECT_FALSE (document.addMapping (pastedOutputMapping ("c"), -1).getParent().isValid());
    EXPECT_TRUE (rootOf (document).isEquivalentTo (juce::ValueTree::fromXml (minimalController)));
}
