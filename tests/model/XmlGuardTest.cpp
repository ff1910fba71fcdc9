#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "model/XmlGuard.h"

namespace
{
    /** The depth the guard finds: the smallest bound the text does not exceed. */
    int guardDepth (const juce::String& text)
    {
        for (int depth = 0;; ++depth)
            if (depth == 1000 || ! XmlGuard::isNestedDeeperThan (text, depth))
                return depth;
    }

    /** Depth of the element tree the parser built (text nodes do not count). */
    int treeDepth (const juce::XmlElement& element)
    {
        int deepest = 0;

        for (auto* child : element.getChildIterator())
            if (! child->isTextElement())
                deepest = juce::jmax (deepest, treeDepth (*child));

        return 1 + deepest;
    }

    juce::String repeated (const juce::String& piece, int times) { return juce::String::repeatedString (piece, times); }

    /** Empty when the two trees are the same to the byte (names, attributes in order, values as
        the strings hold them, text elements), otherwise where they first differ. */
    std::string differenceBetween (const juce::XmlElement& a, const juce::XmlElement& b)
    {
        if (a.getTagName() != b.getTagName() || a.getNumAttributes() != b.getNumAttributes() || a.getNumChildElements() != b.getNumChildElements())
            return "element " + a.getTagName().toStdString() + " / " + b.getTagName().toStdString();

        for (int i = 0; i < a.getNumAttributes(); ++i)
            if (a.getAttributeName (i) != b.getAttributeName (i) || std::strcmp (a.getAttributeValue (i).toRawUTF8(), b.getAttributeValue (i).toRawUTF8()) != 0)
                return "attribute " + a.getAttributeName (i).toStdString() + " of " + a.getTagName().toStdString();

        for (int i = 0; i < a.getNumChildElements(); ++i)
        {
            auto difference = differenceBetween (*a.getChildElement (i), *b.getChildElement (i));

            if (! difference.empty())
                return difference;
        }

        return {};
    }

    /** One element with count distinct attributes (a stream: JUCE strings grow one append at a time). */
    juce::String manyAttributes (int count)
    {
        juce::MemoryOutputStream text;
        for (int i = 0; i < count; ++i)
            text << " a" << i << "=\"v\"";
        return "<r" + text.toString() + "/>";
    }
}

// The guard's depth must be the parser's: never less (the stack overflow comes back), and never more
// (no file is refused for nesting it does not have). On random texts of XML's pieces, most of them
// malformed, wherever the parser reads one through (mismatched closing tags are refused only after
// it has read them), its tree is as deep as the guard found.
TEST (XmlGuard, FindsTheDepthTheParserReaches)
{
    const char* pieces[] = { "<a>", "<b x=\"1\">", "<c y='2'>", "</a>", "</b>", "</c>", "<d/>", "<e z=\"&amp;\"/>",
                             " ", "\r\n", "text", "&amp;", "&#60;", "&#x3e;", "&", ";", "&<f>", "&<g/>", "<!--", "-->",
                             "<![CDATA[", "]]>", "<?p", "?>", "\"", "'", "=", ">", "<", "/>", "</", "x", "<h\n>" };
    std::mt19937 random (20240611);
    std::uniform_int_distribution<int> pick (0, (int) std::size (pieces) - 1), length (1, 40);
    int parsed = 0;

    for (int round = 0; round < 20000; ++round)
    {
        juce::String text ("<r>"), error;

        for (int i = length (random); --i >= 0;)
            text << pieces[pick (random)];

        text << (random() % 2 == 0 ? "</r>" : "");
        auto element = XmlGuard::parse (text, error);

        if (element == nullptr && error == XmlGuard::mismatchedTagError)
            element = juce::parseXML (text);

        if (element != nullptr)
        {
            ++parsed;
            ASSERT_EQ (guardDepth (text), treeDepth (*element)) << text;
        }
    }

    EXPECT_GT (parsed, 1000);
}

// Each text is refused with its reason (or read, when the reason is null), within a time far above the
// expected fraction of a second: the hostile ones took the parser minutes or gigabytes.
TEST (XmlGuard, RefusesEachUnsafeTextWithItsReasonAndReadsTheRestInLinearTime)
{
    // The icon of the largest picture a document shows: 4096 by 4096 RGBA pixels that PNG
    // cannot compress (a filter byte per row, and room for the chunks and zlib blocks).
    juce::MemoryBlock png (4096 * (1 + 4096 * 4) + 16384);
    juce::Random (4096).fillBitsRandomly (png.getData(), png.getSize());

    const auto value = [] (const juce::String& v) { return "<r a=\"" + v + "\"/>"; };
    const auto binary = [] (const juce::String& v) { return "<a base64:x=\"" + v + "\"/>"; };
    const char* const tooDeep = XmlGuard::tooDeepError, *mismatched = XmlGuard::mismatchedTagError, *accepted = nullptr;
    const char* const impossible = "impossible size", *tooLong = "value or text is longer";
    const int bound = XmlGuard::maxNestingDepth, maxValue = (int) XmlGuard::maxValueLength;

    std::vector<std::pair<juce::String, const char*>> cases {
        { repeated ("<a>", bound) + repeated ("</a>", bound), accepted }, { repeated ("<a>", bound + 1) + repeated ("</a>", bound + 1), tooDeep },
        { "<r>&" + repeated ("<a>", 100000) + ";</r>", tooDeep }, { "<!DOCTYPE x [<!ENTITY b \"&xb;\">]><x>&b;</x>", "Document type" },
        { "<a>&#x", "cut off" }, { "<r><?p?>x</r>", "processing instruction" }, { "<r><?p?> <!-- c --><a/> x</r>", accepted },
        { juce::String::fromUTF8 ("<a x=\"\xf0\x41\x41\x41\"/>"), "UTF-8" }, { "", "not enough input" }, { "<main><b>", "unmatched tags" },
        { "just words", "No XML element found" }, { "<midi type=\"CC\"></MIDI>", mismatched }, { "<main><a/></x></main>", mismatched },
        { "<main><a/></main><extra>", accepted }, { "<main/></x><y>", accepted }, // nothing after the root is read
        { "<a x=\"1\" X=\"2\"><!-- </b> --><![CDATA[</c>]]><b v=\"</d>\"/></a>", accepted },
        { "<a><b y='1' z='2' y='3'/></a>", "same attribute twice" }, { "<a x=\"1\" base64:x=\"0.\"/>", "same attribute twice" },
        { binary ("-5.AAAA"), impossible }, { binary ("200000000.AAAA"), impossible }, { binary ("7"), impossible }, { binary ("1.&#65;B"), impossible },
        { "<a base64:x=\"", impossible }, { binary (juce::MemoryBlock ("wirelace", 8).toBase64Encoding()), accepted },
        { manyAttributes (40000), "different element and attribute names" }, { manyAttributes (9000), accepted },
        { value (repeated ("&amp;", 800000)), accepted }, { value (repeated ("&lt;", 800) + "&#x41;&#66;"), accepted },
        { "<r>&<a x='" + repeated ("&#Z", 2000) + "'/>;</r>", "too many character or entity references" }, // markup an unknown entity stands for
        { value (png.toBase64Encoding()), accepted }, { value (repeated ("a", maxValue + 1)), tooLong }, { "<r>" + repeated ("a", maxValue + 1) + "</r>", tooLong },
        { "<r" + repeated ("n", (int) XmlGuard::maxNameLength + 1) + "/>", "name is longer" },
        { "<r>" + repeated ("<x/>", (int) XmlGuard::maxItems) + "</r>", "more than 4000000 elements" },
        { "<main><list>" + repeated ("<mapping><control alias=\"x\"/></mapping>", 100000) + "</list></main>", accepted },
    };

    // Deep nesting in every form, closing tags too where the parser does not read them as such.
    for (auto* level : { "<a>", "< a\r\n><!-- c --><?pi?>", "<a x=\"</a>\">", "<a><!--</a>-->", "<a><![CDATA[</a>]]>", "<a>&q</a>;" })
        cases.push_back ({ repeated (level, 100000), tooDeep });

    for (auto& [text, errorContains] : cases)
    {
        SCOPED_TRACE (text.substring (0, 60));
        juce::String error = "stale";
        const auto start = juce::Time::getMillisecondCounterHiRes();
        const auto parsed = XmlGuard::parse (text, error);
        EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 20000.0);
        EXPECT_TRUE (errorContains == nullptr ? parsed != nullptr && error.isEmpty() : parsed == nullptr && error.contains (errorContains)) << error;
    }
}

TEST (XmlGuard, DecodesBytesAsTheParserWouldAndRefusesWhatIsNotText)
{
    // Refused (with the reason after "!"): zero bytes; broken sequences; well-formed ones that are
    // not UTF-8: overlong forms ("/" as C0 AF or E0 80 AF), a surrogate half, a character beyond U+10FFFF.
    const std::pair<std::string, juce::String> cases[] = {
        { "<a x=\"Gr\xc3\xb6\xc3\x9f" "e\"/>", juce::String (juce::CharPointer_UTF8 ("<a x=\"Gr\xc3\xb6\xc3\x9f" "e\"/>")) }, { "", "" },
        { "\xef\xbb\xbf<a/>", "<a/>" }, { std::string ("\xff\xfe<\0a\0/\0>\0", 10), "<a/>" }, { std::string ("\xfe\xff\0<\0a\0/\0>", 10), "<a/>" },
        { std::string ("<a/>\0\x01\x02garbage", 15), "!zero bytes" }, { "<a x=\"\xff\xfe\"/>", "!UTF-8" }, { "<a/>\xe2\x82", "!UTF-8" },
        { "\xf8\x88\x80\x80\x80", "!UTF-8" }, { "<a x=\"\xc0\xaf\"/>", "!UTF-8" }, { "<a x=\"\xe0\x80\xaf\"/>", "!UTF-8" },
        { "<a x=\"\xed\xa0\x80\"/>", "!UTF-8" }, { "<a x=\"\xf4\x90\x80\x80\"/>", "!UTF-8" },
    };

    for (auto& [bytes, expected] : cases)
    {
        SCOPED_TRACE (bytes);
        juce::String text = "stale", error = "stale";
        const bool refused = expected.startsWithChar ('!');
        EXPECT_EQ (XmlGuard::decodeText (bytes.data(), bytes.size(), text, error), ! refused);
        EXPECT_EQ (text, refused ? juce::String() : expected);
        EXPECT_TRUE (refused ? error.contains (expected.substring (1)) : error.isEmpty()) << error;
    }
}

// Values with more references than the parser can take in linear time are decoded by the guard, and the
// tree must be the parser's own to the byte: every kind of reference, well formed or not (unknown
// entities, codes of surrogates, zero or beyond Unicode, digits cut short or too many), markup and other
// characters, values that end the text, a stand-in that must clear an earlier error as the original
// reference did (the "expected '='" before "<b"), and values short enough to be left to the parser.
TEST (XmlGuard, DecodesValuesFullOfReferencesExactlyAsTheParser)
{
    const char* pieces[] = { "a", "xyz ", "\xd0\x96", "\xf0\x9f\x98\x80", "&amp;", "&AMP;", "&quot;", "&apos;", "&lt;", "&Gt;", "&#1078;", "&#x416;",
                             "&#128512;", "&#X1f600;", "&#0;", "&#x;", "&#55296;", "&#xDC00;", "&#xFFFF;", "&#1114112;", "&#4294967295;",
                             "&#xFFFFFFFF;", "&#x80000000;", "&#1a;", "&#9\xd0\x96;", "&#12345678901234;", "&#xZ", "&#x123456789;", "&#Z",
                             "&#", "&foo;", "&;", "&#9;", "&#10;&#13;", "<", ">", "/>", "\r\n", "\t" };
    // Rarer: pieces that can end the value or reach far beyond it.
    const char* rarePieces[] = { "'", "\"", "&#x", "&", "&#1" };
    const char* documents[] = { "<r a=\"V\"/>", "<r><e x='V' y=\"V\"/>text &amp; more<f/><g z=\"V\">&lt;t&gt;</g></r>",
                                "<r><q><p a></p><b x=\"V\" y=\"V\"/></q></r>", "<r a='V' b=\"V\"", "<r a=\"V" };
    std::mt19937 random (20250301);
    std::uniform_int_distribution<int> pick (0, (int) std::size (pieces) - 1), pickRare (0, (int) std::size (rarePieces) - 1), length (0, 2000);
    int compared = 0, parsed = 0;

    // First the ends that matter most: the text ends in the value (after a reference, read again by the
    // parser; after one that skips the closing quote, which the parser then takes), a reference without
    // a semicolon after it, and the earlier error that only a reported reference clears.
    const auto many = repeated ("&amp;", 1500);
    std::vector<juce::String> texts { "<r a=\"" + many, "<r a=\"" + many + "&#x\"", "<r a=\"" + many + "&\" b='c'/>",
                                      "<r><q><p a></p><b x=\"&#Z" + many + "\"/></q></r>", "<r><q><p a></p><b x=\"" + many + "\"/></q></r>" };

    for (int round = 0; round < 400; ++round)
    {
        juce::String text (documents[round % (int) std::size (documents)]);

        for (int at; (at = text.indexOfChar ('V')) >= 0;)
        {
            std::string value;

            for (int i = length (random); --i >= 0;)
                value += random() % 1000 == 0 ? rarePieces[pickRare (random)] : pieces[pick (random)];

            text = text.substring (0, at) + juce::String::fromUTF8 (value.data(), (int) value.size()) + text.substring (at + 1);
        }

        texts.push_back (text);
    }

    for (auto& text : texts)
    {
        juce::String error;
        const auto guarded = XmlGuard::parse (text, error);

        if (guarded == nullptr && (error.contains ("cut off") || error == XmlGuard::mismatchedTagError || error.contains ("same attribute")))
            continue; // refused by the guard's own rules

        ++compared;
        juce::XmlDocument document (text);
        const auto direct = document.getDocumentElement();
        ASSERT_EQ (guarded != nullptr, direct != nullptr) << text.substring (0, 200) << " | " << error;

        if (direct == nullptr)
        {
            EXPECT_EQ (error, document.getLastParseError().isEmpty() ? juce::String ("No XML element found") : document.getLastParseError());
            continue;
        }

        ++parsed;
        ASSERT_EQ (differenceBetween (*guarded, *direct), "") << text.substring (0, 200);
    }

    EXPECT_GT (compared, 250);
    EXPECT_GT (parsed, 100);
}

// A value near the longest one taken, made of nothing but references, is read in linear time (the
// parser alone would copy the value once per reference: hours), and holds what they stand for. The
// bound leaves room for sanitized builds (a second or two here, 25 s with AddressSanitizer).
TEST (XmlGuard, ReadsTheLongestValueFullOfReferencesInLinearTime)
{
    const int maxValue = (int) XmlGuard::maxValueLength;
    // The longest value once; the other kinds of reference at an eighth of it, which a walk that
    // copies the value per reference would still take hours over.
    const struct { const char* reference; const char* character; int share; } rows[] = { { "&amp;", "&", 1 }, { "&#128512;", "\xf0\x9f\x98\x80", 8 }, { "&#Z", "&Z", 8 } };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.reference);
        const int count = maxValue / row.share / (int) std::strlen (row.reference) - 1;
        const auto text = "<r a=\"" + repeated (row.reference, count) + "\"/>";
        juce::String error;
        const auto start = juce::Time::getMillisecondCounterHiRes();
        const auto parsed = XmlGuard::parse (text, error);
        const auto elapsed = juce::Time::getMillisecondCounterHiRes() - start;
        ASSERT_TRUE (parsed != nullptr) << error;
        EXPECT_LT (elapsed, 60000.0);
        const auto& value = parsed->getStringAttribute ("a");
        const auto numBytes = std::strlen (row.character);
        ASSERT_EQ ((size_t) value.getNumBytesAsUTF8(), (size_t) count * numBytes);
        EXPECT_EQ (std::memcmp (value.toRawUTF8(), row.character, numBytes), 0);
        EXPECT_EQ (std::memcmp (value.toRawUTF8() + ((size_t) count - 1) * numBytes, row.character, numBytes), 0);
    }
}
