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

    juce::ValueTree rootOf (const ControllerDocument& document)
    {
        juce::String error;
        auto xml = XmlGuard::parse (document.toXmlString(), error);
        return xml != nullptr ? juce::ValueTree::fromXml (*xml) : juce::ValueTree();
    }

    juce::StringArray childTypes (const juce::ValueTree& tree)
    {
        juce::StringArray types;

        for (auto child : tree)
            types.add (child.getType().toString());

        return types;
    }

    juce::StringArray propertyNames (const juce::ValueTree& tree)
    {
        juce::StringArray names;

        for (int i = 0; i < tree.getNumProperties(); ++i)
            names.add (tree.getPropertyName (i).toString());

        return names;
    }

    juce::ValueTree inputList (const ControllerDocument& document)
    {
        return document.getMappings().getChildWithName ("input-mappings");
    }

    juce::ValueTree outputList (const ControllerDocument& document)
    {
        return document.getMappings().getChildWithName ("output-mappings");
    }

    /** An input mapping element as pasted: events, controls and, when asked, a preset. */
    juce::ValueTree pastedInputMapping (const juce::String& alias, bool withPreset)
    {
        auto xml = juce::String ("<mapping><events><midi type=\"Note\" parameter=\"0x24\" channel=\"0x2\"/></events>")
                 + "<controls><control alias=\"" + alias + "\"/></controls>"
                 + (withPreset ? "<preset name=\"Toggle\"><parameters/></preset>" : "")
                 + "</mapping>";
        return juce::ValueTree::fromXml (xml);
    }

    juce::ValueTree pastedOutputMapping (const juce::String& alias)
    {
        return juce::ValueTree::fromXml ("<mapping><control alias=\"" + alias + "\" value=\"%\"/><midi type=\"CC\" parameter=\"7\" channel=\"1\"/></mapping>");
    }

    /** Decodes memory-block text by the rule alone: character k holds bits 6k to 6k + 5 of the
        block, bit 0 being the lowest bit of the first byte. */
    juce::MemoryBlock decodeByTheRule (const juce::String& text)
    {
        const juce::String alphabet (".ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+");
        auto count = (size_t) text.upToFirstOccurrenceOf (".", false, false).getLargeIntValue();
        auto characters = text.fromFirstOccurrenceOf (".", false, false);

        juce::MemoryBlock block (count, true);
        auto* bytes = static_cast<juce::uint8*> (block.getData());

        for (int k = 0; k < characters.length(); ++k)
        {
            auto value = alphabet.indexOfChar (characters[k]);

            for (int bit = 0; bit < 6; ++bit)
            {
                auto position = (size_t) (6 * k + bit);

                if ((value >> bit) & 1 && position / 8 < count)
                    bytes[position / 8] = (juce::uint8) (bytes[position / 8] | (1 << (position % 8)));
            }
        }

        return block;
    }

    void writeBigEndian (juce::uint8* destination, juce::uint32 value)
    {
        for (int i = 0; i < 4; ++i)
            destination[i] = (juce::uint8) (value >> (24 - 8 * i));
    }

    /** The CRC-32 that PNG chunks carry. */
    juce::uint32 crc32 (const juce::uint8* data, size_t size)
    {
        juce::uint32 crc = 0xffffffff;

        for (size_t i = 0; i < size; ++i)
        {
            crc ^= data[i];

            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ ((crc & 1) != 0 ? 0xedb88320u : 0u);
        }

        return crc ^ 0xffffffff;
    }

    void setIconData (ControllerDocument& document, const juce::String& data)
    {
        document.getMappings().getParent().getChildWithName ("icon").setProperty ("Data", data, nullptr);
    }
}

//==============================================================================
TEST (ControllerDocument, NewDocumentHasTheSkeletonInOrder)
{
    ControllerDocument document;
    EXPECT_EQ (document.getName(), "unnamed.mappings");
    EXPECT_TRUE (document.getFilePath().isEmpty());
    EXPECT_FALSE (document.hasChangedSinceSaved());
    EXPECT_TRUE (document.getLastError().isEmpty());

    auto mappings = document.getMappings();
    ASSERT_TRUE (mappings.isValid());
    auto controller = mappings.getParent();
    auto root = controller.getParent();

    EXPECT_EQ (root.getType().toString(), "main");
    EXPECT_EQ (childTypes (root), juce::StringArray ({ "version", "controller" }));

    auto version = root.getChild (0);
    EXPECT_EQ (propertyNames (version), juce::StringArray ({ "major", "minor" }));
    EXPECT_TRUE (version["major"].isInt()); // numbers in a new tree, written as decimal text
    EXPECT_EQ ((int) version["major"], 1);
    EXPECT_TRUE (version["minor"].isInt());
    EXPECT_EQ ((int) version["minor"], 0);

    EXPECT_EQ (propertyNames (controller), juce::StringArray ({ "kind" }));
    EXPECT_EQ (controller["kind"].toString(), "midi");
    EXPECT_EQ (childTypes (controller), juce::StringArray ({ "id", "properties", "icon", "mappings" }));

    auto id = controller.getChildWithName ("id")["ID"].toString();
    EXPECT_EQ (id.length(), 32);
    EXPECT_TRUE (id.containsOnly ("0123456789abcdef")) << id;

    auto properties = controller.getChildWithName ("properties");
    EXPECT_EQ (propertyNames (properties), juce::StringArray ({ "Model", "Manufacturer", "Version", "Publisher" }));
    EXPECT_EQ (document.getModel(), "");
    EXPECT_EQ (document.getManufacturer(), "");
    EXPECT_EQ (document.getVersion(), "1.0");
    EXPECT_EQ (document.getPublisher(), "");
    EXPECT_EQ (document.getMacDevice(), "");

    EXPECT_EQ (propertyNames (controller.getChildWithName ("icon")), juce::StringArray ({ "Data" }));
    EXPECT_EQ (childTypes (mappings), juce::StringArray ({ "input-mappings", "output-mappings" }));
    EXPECT_EQ (inputList (document).getNumChildren(), 0);
    EXPECT_EQ (outputList (document).getNumChildren(), 0);

    // The text form carries the same skeleton.
    auto text = document.toXmlString();
    EXPECT_TRUE (text.contains ("<version major=\"1\" minor=\"0\"/>")) << text;
    EXPECT_TRUE (text.contains ("<properties Model=\"\" Manufacturer=\"\" Version=\"1.0\" Publisher=\"\"/>")) << text;
}

TEST (ControllerDocument, EveryNewDocumentGetsItsOwnId)
{
    ControllerDocument document;
    auto idOf = [&] { return document.getMappings().getParent().getChildWithName ("id")["ID"].toString(); };

    auto first = idOf();
    document.newDocument();
    EXPECT_NE (idOf(), first);
    EXPECT_NE (idOf(), ControllerDocument().getMappings().getParent().getChildWithName ("id")["ID"].toString());
}

TEST (ControllerDocument, NewDocumentResetsEverythingButTheLastError)
{
    ControllerDocument document;
    document.loadFromXmlText ("<other><version/><controller kind=\"midi\"><mappings><input-mappings/><output-mappings/></mappings></controller></other>");
    document.createOutputMapping ("deck.a.play", "Logic");
    document.loadFromXmlText ("<main><version/>");
    auto error = document.getLastError();
    ASSERT_TRUE (error.isNotEmpty());
    ASSERT_TRUE (document.hasChangedSinceSaved());

    document.newDocument();
    EXPECT_EQ (rootOf (document).getType().toString(), "main");
    EXPECT_EQ (outputList (document).getNumChildren(), 0);
    EXPECT_EQ (document.getName(), "unnamed.mappings");
    EXPECT_TRUE (document.getFilePath().isEmpty());
    EXPECT_FALSE (document.hasChangedSinceSaved());
    EXPECT_EQ (document.getLastError(), error);
}

//==============================================================================
TEST (ControllerDocument, DefaultIconIsStoredAsAFreshPngEncodingOfTheEmbeddedPicture)
{
    ControllerDocument document;
    auto data = document.getMappings().getParent().getChildWithName ("icon")["Data"].toString();

    // Memory-block text: byte count, ".", (8n + 5) / 6 characters of JUCE's alphabet.
    auto count = data.upToFirstOccurrenceOf (".", false, false);
    ASSERT_TRUE (count.containsOnly ("0123456789") && count.isNotEmpty()) << data.substring (0, 40);
    auto n = count.getLargeIntValue();
    auto characters = data.fromFirstOccurrenceOf (".", false, false);
    EXPECT_EQ ((juce::int64) characters.length(), (8 * n + 5) / 6);
    EXPECT_TRUE (characters.containsOnly (".ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+"));

    juce::MemoryBlock decoded;
    ASSERT_TRUE (decoded.fromBase64Encoding (data));
    EXPECT_EQ ((juce::int64) decoded.getSize(), n);
    EXPECT_EQ (decodeByTheRule (data), decoded);

    // The stored bytes are a PNG, but not the embedded file's own bytes: the picture was
    // decoded and encoded again.
    static const char pngSignature[] = "\x89PNG\r\n\x1a\n";
    ASSERT_GT (decoded.getSize(), 8u);
    EXPECT_EQ (std::memcmp (decoded.getData(), pngSignature, 8), 0);

    int embeddedSize = 0;
    auto* embedded = Resources::getData ("default_icon.png", embeddedSize);
    ASSERT_NE (embedded, nullptr);
    EXPECT_NE (decoded, juce::MemoryBlock (embedded, (size_t) embeddedSize));

    auto icon = document.getIcon();
    ASSERT_TRUE (icon.isValid());
    EXPECT_EQ (icon.getWidth(), 256);
    EXPECT_EQ (icon.getHeight(), 256);

    // The same picture; edge pixels that are partly transparent may differ by rounding, as
    // JUCE holds pictures with premultiplied alpha.
    auto original = Resources::getImage ("default_icon.png");
    ASSERT_EQ (original.getWidth(), 256);
    ASSERT_EQ (original.getHeight(), 256);
    int differing = 0;

    for (int y = 0; y < 256; ++y)
    {
        for (int x = 0; x < 256; ++x)
        {
            auto a = icon.getPixelAt (x, y), b = original.getPixelAt (x, y);
            auto far = [] (juce::uint8 p, juce::uint8 q) { return std::abs ((int) p - (int) q) > 3; };

            if (far (a.getAlpha(), b.getAlpha()) || far (a.getRed(), b.getRed()) || far (a.getGreen(), b.getGreen()) || far (a.getBlue(), b.getBlue()))
                ++differing;
        }
    }

    EXPECT_EQ (differing, 0);
}

TEST (ControllerDocument, EmbeddedIconIsA256Square8BitRgbaPng)
{
    int size = 0;
    auto* bytes = reinterpret_cast<const juce::uint8*> (Resources::getData ("default_icon.png", size));
    ASSERT_NE (bytes, nullptr);
    ASSERT_GT (size, 33);

    EXPECT_EQ (std::memcmp (bytes + 12, "IHDR", 4), 0);
    EXPECT_EQ (juce::ByteOrder::bigEndianInt (bytes + 16), 256u);
    EXPECT_EQ (juce::ByteOrder::bigEndianInt (bytes + 20), 256u);
    EXPECT_EQ (bytes[24], 8);   // bit depth
    EXPECT_EQ (bytes[25], 6);   // colour type: RGBA
}

TEST (ControllerDocument, IconThatIsMissingOrNotAPictureGivesANullImage)
{
    juce::MemoryOutputStream png;
    juce::Image small (juce::Image::ARGB, 3, 2, true);
    ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (small, png));
    auto validData = png.getMemoryBlock().toBase64Encoding();

    // A PNG whose header (with a correct checksum) claims a huge picture: JUCE's reader would
    // allocate that much and write through a null pointer when it cannot.
    auto hugeHeader = png.getMemoryBlock();
    auto* header = static_cast<juce::uint8*> (hugeHeader.getData());
    writeBigEndian (header + 16, 100000);
    writeBigEndian (header + 20, 100000);
    writeBigEndian (header + 29, crc32 (header + 12, 17)); // over chunk type and data

    juce::MemoryBlock notAPicture ("just some bytes, no picture", 27);

    const juce::String badData[] = {
        "",
        "garbage",
        "12.ABC",                                       // fewer characters than the count needs
        "-1.AAAAAAAA",                                  // JUCE's decoder throws on a negative count
        "99999999999.AAAA",                             // or allocates whatever the count says
        validData.fromFirstOccurrenceOf (".", false, false),     // no count
        notAPicture.toBase64Encoding(),
        hugeHeader.toBase64Encoding(),
        validData.substring (0, validData.length() / 2),         // a truncated PNG
    };

    ControllerDocument document;
    setIconData (document, validData);
    ASSERT_TRUE (document.getIcon().isValid());
    EXPECT_EQ (document.getIcon().getWidth(), 3);

    for (auto& data : badData)
    {
        setIconData (document, data);
        EXPECT_FALSE (document.getIcon().isValid()) << data.substring (0, 60);
    }

    document.getMappings().getParent().getChildWithName ("icon").removeProperty ("Data", nullptr);
    EXPECT_FALSE (document.getIcon().isValid());

    document.loadFromXmlText (minimalController);
    EXPECT_FALSE (document.getIcon().isValid());
}

// JPEG and GIF icons are shown too; a header of any format that claims a picture of more than
// 4096 pixels a side gives a null image instead of reaching a reader that allocates it whole.
TEST (ControllerDocument, IconOfEveryReadableFormatDecodesUnlessItClaimsAnEnormousSize)
{
    juce::MemoryOutputStream jpegStream;
    ASSERT_TRUE (juce::JPEGImageFormat().writeImageToStream (juce::Image (juce::Image::RGB, 5, 3, true), jpegStream));
    const auto jpeg = jpegStream.getMemoryBlock();

    // The frame header (marker 0xffc0) holds the height, then the width, after its length and precision.
    auto hugeJpeg = jpeg;
    auto* jpegBytes = static_cast<juce::uint8*> (hugeJpeg.getData());
    auto* frame = std::search (jpegBytes, jpegBytes + hugeJpeg.getSize(), "\xff\xc0", "\xff\xc0" + 2,
                               [] (juce::uint8 a, char b) { return a == (juce::uint8) b; });
    ASSERT_LT (frame, jpegBytes + hugeJpeg.getSize());
    frame[5] = frame[6] = frame[7] = frame[8] = 0xf0;

    // A 1 by 1 GIF: screen descriptor, two-colour palette, graphic control extension, then the
    // image descriptor (",") whose width and height (little-endian at bytes 32 and 34) the reader allocates.
    const juce::uint8 gifBytes[] = { 'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 255, 255, 255, 0, 0, 0,
                                     '!', 0xf9, 4, 1, 0, 0, 0, 0, ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, ';' };
    const juce::MemoryBlock gif (gifBytes, sizeof (gifBytes));
    auto hugeGif = gif;
    static_cast<juce::uint8*> (hugeGif.getData())[33] = 0xff; // 65281 pixels wide

    struct Case { const char* what; juce::MemoryBlock data; int width, height; };

    const Case cases[] = {
        { "JPEG", jpeg, 5, 3 },
        { "JPEG claiming 61680 by 61680", hugeJpeg, 0, 0 },
        { "GIF", gif, 1, 1 },
        { "GIF claiming 65281 by 1", hugeGif, 0, 0 },
    };

    ControllerDocument document;

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        setIconData (document, c.data.toBase64Encoding());
        const auto icon = document.getIcon();
        EXPECT_EQ (icon.getWidth(), c.width);
        EXPECT_EQ (icon.getHeight(), c.height);
    }
}

//==============================================================================
TEST (ControllerDocument, AcceptsAnyRootWithVersionAndAMidiController)
{
    ControllerDocument document;

    const char* accepted[] = {
        "<main><version/><controller kind=\"midi\"/></main>",
        "<anything><controller kind=\"midi\"/><version major=\"9\"/></anything>",
        "<?xml version=\"1.0\"?><x><other/><version/><controller kind=\"midi\" extra=\"1\"/></x>",
    };

    for (auto* text : accepted)
    {
        EXPECT_TRUE (document.isValidXmlText (text)) << text;
        document.loadFromXmlText (text);
        EXPECT_TRUE (rootOf (document).isEquivalentTo (juce::ValueTree::fromXml (text))) << text;
    }

    const char* refused[] = {
        "<main><version/><controller kind=\"MIDI\"/></main>",
        "<main><version/><controller kind=\"midi \"/></main>",
        "<main><version/><controller/></main>",
        "<main><controller kind=\"midi\"/></main>",
        "<main><version/><other><controller kind=\"midi\"/></other></main>",
        "<main><other><version/></other><controller kind=\"midi\"/></main>",
        "<controller kind=\"midi\"><version/></controller>",
    };

    document.loadFromXmlText (minimalController);
    auto before = document.toXmlString();

    for (auto* text : refused)
    {
        EXPECT_FALSE (document.isValidXmlText (text)) << text;
        document.loadFromXmlText (text);
        EXPECT_EQ (document.toXmlString(), before) << text;
    }
}

TEST (ControllerDocument, TakingTextFollowsTheStateTable)
{
    ControllerDocument document;
    juce::TemporaryFile file (".mappings");
    ASSERT_TRUE (document.saveAs (file.getFile()));
    document.createInputMapping ("deck.a.play");
    auto before = document.toXmlString();

    // Unparsable: only the error changes.
    document.loadFromXmlText ("<main><version/>");
    EXPECT_TRUE (document.getLastError().isNotEmpty());
    EXPECT_EQ (document.toXmlString(), before);
    EXPECT_EQ (document.getFilePath(), file.getFile().getFullPathName());
    EXPECT_EQ (document.getName(), file.getFile().getFileName());
    EXPECT_TRUE (document.hasChangedSinceSaved());

    // Well-formed but no controller: nothing changes, not even the error.
    auto error = document.getLastError();
    document.loadFromXmlText ("<main><version/><controller kind=\"osc\"/></main>");
    EXPECT_EQ (document.getLastError(), error);
    EXPECT_EQ (document.toXmlString(), before);
    EXPECT_TRUE (document.getFilePath().isNotEmpty());
    EXPECT_TRUE (document.hasChangedSinceSaved());

    // Accepted: the text's tree, no file, the default name, unchanged, no error.
    document.loadFromXmlText (minimalController);
    EXPECT_TRUE (rootOf (document).isEquivalentTo (juce::ValueTree::fromXml (minimalController)));
    EXPECT_TRUE (document.getFilePath().isEmpty());
    EXPECT_EQ (document.getName(), "unnamed.mappings");
    EXPECT_FALSE (document.hasChangedSinceSaved());
    EXPECT_TRUE (document.getLastError().isEmpty());
}

TEST (ControllerDocument, ValidityTestLeavesTheDocumentAlone)
{
    ControllerDocument document;
    juce::TemporaryFile file (".mappings");
    ASSERT_TRUE (document.saveAs (file.getFile()));
    document.createOutputMapping ("deck.a.play", "Trigger");
    auto before = document.toXmlString();

    auto expectUntouched = [&]
    {
        EXPECT_EQ (document.toXmlString(), before);
        EXPECT_EQ (document.getFilePath(), file.getFile().getFullPathName());
        EXPECT_TRUE (document.hasChangedSinceSaved());
    };

    EXPECT_FALSE (document.isValidXmlText ("not xml at all <"));
    auto error = document.getLastError();
    EXPECT_TRUE (error.isNotEmpty());
    expectUntouched();

    EXPECT_FALSE (document.isValidXmlText ("<main><version/></main>"));
    EXPECT_EQ (document.getLastError(), error);
    expectUntouched();

    EXPECT_TRUE (document.isValidXmlText (minimalController));
    EXPECT_TRUE (document.getLastError().isEmpty());
    expectUntouched();

    // Deep nesting is refused with a reason, before the parser could overflow the stack.
    auto deep = "<main><version/><controller kind=\"midi\">" + juce::String::repeatedString ("<a>", 100000) + "</controller></main>";
    EXPECT_FALSE (document.isValidXmlText (deep));
    EXPECT_TRUE (document.getLastError().startsWith (XmlGuard::tooDeepError)) << document.getLastError();
    document.loadFromXmlText (deep);
    EXPECT_TRUE (document.getLastError().contains ("too deep")) << document.getLastError();
    expectUntouched();
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

    auto text = document.toXmlString();
    ControllerDocument copy;
    copy.loadFromXmlText (text);

    EXPECT_EQ (copy.toXmlString(), text);
    EXPECT_TRUE (rootOf (copy).isEquivalentTo (rootOf (document)));
    EXPECT_EQ (copy.getModel(), document.getModel());
    EXPECT_EQ (copy.getManufacturer(), document.getManufacturer());
    EXPECT_EQ (copy.getMacDevice(), "Line one\nLine two\tend");
    EXPECT_TRUE (copy.getFilePath().isEmpty());
    EXPECT_EQ (copy.getName(), "unnamed.mappings");
    EXPECT_FALSE (copy.hasChangedSinceSaved());

    // The same holds when the document takes its own text.
    document.loadFromXmlText (text);
    EXPECT_EQ (document.toXmlString(), text);
    EXPECT_TRUE (document.getFilePath().isEmpty());
    EXPECT_EQ (document.getName(), "unnamed.mappings");
}

//==============================================================================
TEST (ControllerDocument, AddMappingRoutesByChildrenAndLeavesTheFlag)
{
    ControllerDocument document;

    // "events" with "preset": an input mapping, inserted itself at the index.
    auto first = pastedInputMapping ("deck.a.play", true);
    EXPECT_EQ (document.addMapping (first, -1), first);
    auto second = pastedInputMapping ("deck.b.play", true);
    EXPECT_EQ (document.addMapping (second, 0), second);
    auto third = pastedInputMapping ("deck.c.play", true);
    EXPECT_EQ (document.addMapping (third, 99), third);
    EXPECT_EQ (inputList (document).getNumChildren(), 3);
    EXPECT_EQ (inputList (document).getChild (0), second);
    EXPECT_EQ (inputList (document).getChild (1), first);
    EXPECT_EQ (inputList (document).getChild (2), third);

    // "events" without "preset" (as a new input mapping is made): nothing added.
    EXPECT_FALSE (document.addMapping (pastedInputMapping ("deck.d.play", false), -1).isValid());
    EXPECT_EQ (inputList (document).getNumChildren(), 3);

    // "control": an output mapping, whatever the element is called.
    auto output = pastedOutputMapping ("deck.a.cue");
    EXPECT_EQ (document.addMapping (output, -1), output);
    auto renamed = juce::ValueTree::fromXml ("<thing><control alias=\"x\"/></thing>");
    EXPECT_EQ (document.addMapping (renamed, 0), renamed);
    EXPECT_EQ (outputList (document).getNumChildren(), 2);
    EXPECT_EQ (outputList (document).getChild (0), renamed);

    // Neither: ignored.
    EXPECT_FALSE (document.addMapping (juce::ValueTree::fromXml ("<mapping><midi/></mapping>"), -1).isValid());
    EXPECT_FALSE (document.addMapping (juce::ValueTree(), -1).isValid());
    EXPECT_EQ (inputList (document).getNumChildren() + outputList (document).getNumChildren(), 5);

    EXPECT_FALSE (document.hasChangedSinceSaved());
    document.createInputMapping ("x");
    document.addMapping (pastedOutputMapping ("y"), -1);
    EXPECT_TRUE (document.hasChangedSinceSaved());
}

TEST (ControllerDocument, CreateInputMappingAppendsTheDefaultEvent)
{
    ControllerDocument document;
    document.addMapping (pastedInputMapping ("deck.a.play", true), -1);

    auto mapping = document.createInputMapping ("mixer.crossfader");
    EXPECT_TRUE (document.hasChangedSinceSaved());
    EXPECT_EQ (mapping.getParent(), inputList (document));
    EXPECT_EQ (inputList (document).indexOf (mapping), 1);

    EXPECT_EQ (mapping.getType().toString(), "mapping");
    EXPECT_EQ (childTypes (mapping), juce::StringArray ({ "events", "controls" }));
    auto midi = mapping.getChildWithName ("events").getChild (0);
    EXPECT_EQ (midi.getType().toString(), "midi");
    EXPECT_EQ (propertyNames (midi), juce::StringArray ({ "type", "parameter", "channel" }));
    EXPECT_EQ (midi["type"].toString(), "CC");
    EXPECT_EQ (midi["parameter"].toString(), "0x01");
    EXPECT_EQ (midi["channel"].toString(), "0x01");
    auto control = mapping.getChildWithName ("controls").getChild (0);
    EXPECT_EQ (control.getType().toString(), "control");
    EXPECT_EQ (control["alias"].toString(), "mixer.crossfader");
    EXPECT_FALSE (mapping.getChildWithName ("preset").isValid());
}

TEST (ControllerDocument, CreateOutputMappingChoosesItsValueByType)
{
    struct Case
    {
        const char* type;
        const char* value;
    };

    for (auto c : { Case { "Logic", "true" }, Case { "Trigger", "true" }, Case { "Integer", "%" },
                    Case { "", "%" }, Case { "logic", "%" }, Case { "Normal", "%" } })
    {
        ControllerDocument document;
        auto mapping = document.createOutputMapping ("deck.a.play", c.type);

        EXPECT_TRUE (document.hasChangedSinceSaved());
        EXPECT_EQ (mapping.getParent(), outputList (document));
        EXPECT_EQ (childTypes (mapping), juce::StringArray ({ "control", "midi" }));

        auto control = mapping.getChild (0);
        EXPECT_EQ (propertyNames (control), juce::StringArray ({ "alias", "value" }));
        EXPECT_EQ (control["alias"].toString(), "deck.a.play");
        EXPECT_EQ (control["value"].toString(), c.value) << "type " << c.type;

        auto midi = mapping.getChild (1);
        EXPECT_EQ (propertyNames (midi), juce::StringArray ({ "type", "parameter", "channel" }));
        EXPECT_EQ (midi["type"].toString(), "CC");
        EXPECT_EQ (midi["parameter"].toString(), "0x01");
        EXPECT_EQ (midi["channel"].toString(), "0x01");
    }
}

TEST (ControllerDocument, AddOutputMappingAppendsWhateverItIsGiven)
{
    ControllerDocument document;
    document.createOutputMapping ("a", "Logic");
    ASSERT_TRUE (document.saveAs (juce::TemporaryFile (".mappings").getFile()));
    ASSERT_FALSE (document.hasChangedSinceSaved());

    juce::ValueTree anything ("whatever");
    EXPECT_EQ (document.addOutputMapping (anything), anything);
    EXPECT_EQ (outputList (document).getNumChildren(), 2);
    EXPECT_EQ (outputList (document).getChild (1), anything);
    EXPECT_TRUE (document.hasChangedSinceSaved());
}

//==============================================================================
TEST (ControllerDocument, PropertiesAreTextAndLeaveTheFlag)
{
    ControllerDocument document;

    document.setModel ("Twister");
    document.setManufacturer ("Acme");
    document.setVersion ("2.0");
    document.setPublisher ("Me");
    document.setMacDevice ("Twister MIDI 1");

    EXPECT_EQ (document.getModel(), "Twister");
    EXPECT_EQ (document.getManufacturer(), "Acme");
    EXPECT_EQ (document.getVersion(), "2.0");
    EXPECT_EQ (document.getPublisher(), "Me");
    EXPECT_EQ (document.getMacDevice(), "Twister MIDI 1");
    EXPECT_FALSE (document.hasChangedSinceSaved());

    // "MacDevice" comes after the others; setting again keeps each attribute's place.
    document.setModel ("Twister 2");
    auto properties = document.getMappings().getParent().getChildWithName ("properties");
    EXPECT_EQ (propertyNames (properties), juce::StringArray ({ "Model", "Manufacturer", "Version", "Publisher", "MacDevice" }));
    EXPECT_TRUE (properties["Model"].isString());
}

TEST (ControllerDocument, AcceptedFileWithoutTheUsualElementsDegradesQuietly)
{
    ControllerDocument document;
    document.loadFromXmlText (minimalController);
    ASSERT_TRUE (document.getLastError().isEmpty());

    EXPECT_FALSE (document.getMappings().isValid());
    EXPECT_EQ (document.getModel(), "");
    document.setModel ("ignored");
    EXPECT_EQ (document.getModel(), "");
    EXPECT_FALSE (document.getIcon().isValid());

    auto input = document.createInputMapping ("a");
    EXPECT_TRUE (input.isValid());
    EXPECT_FALSE (input.getParent().isValid());
    EXPECT_TRUE (document.hasChangedSinceSaved());
    EXPECT_TRUE (document.createOutputMapping ("b", "Logic").isValid());
    EXPECT_FALSE (document.addMapping (pastedOutputMapping ("c"), -1).getParent().isValid());

    EXPECT_TRUE (rootOf (document).isEquivalentTo (juce::ValueTree::fromXml (minimalController)));
}
