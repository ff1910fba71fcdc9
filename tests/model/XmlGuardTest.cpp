#include <gtest/gtest.h>

#include <juce_data_structures/juce_data_structures.h>

#include <random>

#include "model/XmlGuard.h"

// The guard's depth must be the parser's depth: never less (the stack overflow comes back), and
// on ordinary text exactly that (no file is refused for nesting it does not have).

namespace
{
    /** The depth the guard finds: the smallest bound the text does not exceed. */
    int guardDepth (const juce::String& text)
    {
        int depth = 0;

        while (depth < 1000 && XmlGuard::isNestedDeeperThan (text, depth))
            ++depth;

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

    /** One element with count distinct attributes (a stream: JUCE strings grow one append at a time). */
    juce::String manyAttributes (int count, const char* tag = "r")
    {
        juce::MemoryOutputStream text;
        text << "<" << tag;

        for (int i = 0; i < count; ++i)
            text << " a" << i << "=\"v\"";

        text << "/>";
        return text.toString();
    }
}

TEST (XmlGuard, FindsTheDepthTheParserReaches)
{
    const std::pair<const char*, int> cases[] = {
        { "", 0 }, { "plain words", 0 }, { "<a/>", 1 }, { "<a><b><c/></b><d/></a>", 3 },
        { "<?xml version=\"1.0\"?>\r\n<a>\r\n  <b x=\"1\"\r\n     y=\"2\"/>\r\n</a>\r\n", 2 },
        { "<!-- lead --><?pi x?><a><!-- <b><c><d> --><b/></a>", 2 },
        { "< a ><b/></a>", 2 },
        // markup inside attribute values, comments and CDATA sections is text
        { "<a x=\"<b><c><d>\" y='</a><e>'/>", 1 },
        { "<a><![CDATA[<b><c><d>]]></a>", 1 },
        { "<a/><b><c><d/></c></b>", 1 }, // nothing after the root element is read
        // the parser takes the name of an unknown entity in its place, and reads it as elements
        { "<a>text &<b><c><d/></c></b>; more</a>", 4 },
    };

    for (auto& [text, depth] : cases)
    {
        SCOPED_TRACE (text);
        EXPECT_EQ (guardDepth (text), depth);

        juce::String error;

        if (auto element = XmlGuard::parse (text, error))
        {
            EXPECT_EQ (treeDepth (*element), depth);
        }
    }
}

// Random texts built from the pieces XML is made of, most of them malformed: wherever the
// parser reads a text through, the depth of what it built is the depth the guard found.
TEST (XmlGuard, AgreesWithTheParserOnRandomTexts)
{
    const char* pieces[] = { "<a>", "<b x=\"1\">", "<c y='2'>", "</a>", "</b>", "</c>", "<d/>", "<e z=\"&amp;\"/>",
                             " ", "\r\n", "text", "&amp;", "&#60;", "&#x3e;", "&", ";", "&<f>", "&<g/>", "<!--", "-->",
                             "<![CDATA[", "]]>", "<?p", "?>", "\"", "'", "=", ">", "<", "/>", "</", "x", "<h\n>" };

    std::mt19937 random (20240611);
    std::uniform_int_distribution<int> pick (0, (int) juce::numElementsInArray (pieces) - 1), length (1, 40);
    int parsed = 0;

    for (int round = 0; round < 20000; ++round)
    {
        juce::String text ("<r>"), error;

        for (int i = length (random); --i >= 0;)
            text << pieces[pick (random)];

        if (random() % 2 == 0)
            text << "</r>";

        // Mismatched closing tags are refused after the parser read them; its tree still counts.
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

// Each row is refused with its reason (or read, when the reason is null), within a time far above
// the expected fraction of a second: the hostile texts took the parser minutes or gigabytes.
TEST (XmlGuard, RefusesEachUnsafeTextWithItsReasonAndReadsTheRestInLinearTime)
{
    // The icon of the largest picture a document shows: 4096 by 4096 RGBA pixels that PNG
    // cannot compress (a filter byte per row, and room for the chunks and zlib blocks).
    juce::MemoryBlock png (4096 * (1 + 4096 * 4) + 16384);
    juce::Random (4096).fillBitsRandomly (png.getData(), png.getSize());

    juce::MemoryOutputStream manyElements;
    manyElements << "<r>";
    for (int i = 0; i < 5000; ++i)
        manyElements << manyAttributes (200, "x");
    manyElements << "</r>";

    const juce::MemoryBlock block ("wirelace", 8);
    const char brokenBytes[] = "<a x=\"\xf0\x41\x41\x41\"/>";
    const auto value = [] (const juce::String& v) { return "<r a=\"" + v + "\"/>"; };
    const juce::String mismatched (XmlGuard::mismatchedTagError);
    const char* const tooDeep = XmlGuard::tooDeepError;
    constexpr int levels = 100000, bound = XmlGuard::maxNestingDepth;
    const char* const twice = "same attribute twice", *impossible = "impossible size";
    const char* const accepted = nullptr;

    const std::pair<juce::String, const char*> cases[] = {
        // deep nesting in every form, closing tags too where the parser does not read them as such
        { repeated ("<a>", bound) + repeated ("</a>", bound), accepted },
        { repeated ("<a>", bound + 1) + repeated ("</a>", bound + 1), tooDeep },
        { repeated ("<a>", levels), tooDeep }, { repeated ("<mapping kind=\"x\" n='1'>", levels), tooDeep },
        { repeated ("< a\r\n><!-- c --><?pi?>", levels), tooDeep }, { "<r>&" + repeated ("<a>", levels) + ";</r>", tooDeep },
        { repeated ("<a x=\"</a>\">", levels), tooDeep }, { repeated ("<a><!--</a>-->", levels), tooDeep },
        { repeated ("<a><![CDATA[</a>]]>", levels), tooDeep }, { repeated ("<a>&q</a>;", levels), tooDeep },
        // entity expansion that calls itself; a cut-off hexadecimal reference (read past the end);
        // an instruction followed by text inside an element (an endless loop)
        { "<!DOCTYPE x [<!ENTITY b \"&xb;\">]><x>&b;</x>", "Document type" },
        { "<?xml version=\"1.0\"?>\n<!DOCTYPE main><main/>", "Document type" },
        { "<a>&#x", "cut off" }, { "<a x=\"&#x12", "cut off" }, { "<r>&<a>&#x;</r>", "cut off" },
        { "<r><?p?>x</r>", "processing instruction" }, { "<r><a/><?p?>\n<?q?>x</r>", "processing instruction" },
        { "<r><?p?> <!-- c --><a/> x</r>", accepted },
        { "<r>x<?p", "unmatched tags" },
        { juce::String::fromUTF8 (brokenBytes, (int) sizeof (brokenBytes) - 1), "UTF-8" },
        // not well formed, yet let through by the parser
        { "<midi type=\"CC\"></MIDI>", mismatched.toRawUTF8() }, { "<a><b></a></b>", mismatched.toRawUTF8() },
        { "<main><a/></x></main>", mismatched.toRawUTF8() },
        { "<a><b y='1' z='2' y='3'/></a>", twice }, { "<a x=\"1\" base64:x=\"0.\"/>", twice },
        { "<a x=\"1\" X=\"2\"><!-- </b> --><![CDATA[</c>]]><b v=\"</d>\"/></a>", accepted },
        // after the root element nothing is checked, as nothing is read
        { "<main><a/></main><extra>", accepted }, { "<main/></x><y>", accepted },
        { "<?xml version=\"1.0\"?><!-- c --><main></main>\r\n</main>", accepted },
        // a binary attribute whose byte count its text cannot hold would be allocated at once
        { "<a base64:x=\"-5.AAAA\"/>", impossible }, { "<a base64:x=\"4444444444444.AAAA\"/>", impossible },
        { "<a base64:x=\"200000000.AAAA\"/>", impossible }, { "<a base64:x=\"7\"/>", impossible },
        { "<a base64:x=\"3x.AAAA\"/>", impossible }, { "<a base64:x=\".AAAA\"/>", impossible },
        { "<r base64:a=\"1.&#65;B\"/>", impossible },
        // a binary value cut off by the end of the text, right after its opening quote or inside it
        { "<a base64:x=\"", impossible }, { "<a base64:x='4.AA", impossible },
        { "<a base64:x=\"" + block.toBase64Encoding() + "\"/>", accepted },
        // hostile sizes: quadratic paths and memory blow-ups
        { manyAttributes (40000), "different element and attribute names" },
        { manyAttributes (100000), "different element and attribute names" },
        { manyAttributes (9000), accepted },
        { manyElements.toString(), accepted },
        { value (repeated ("&amp;", 800000)), "too many character or entity references" },
        { value (repeated ("&amp;", 2000000)), "too many character or entity references" },
        { value (repeated ("&lt;", 800)), accepted },
        { value (png.toBase64Encoding()), accepted },
        { value (repeated ("a", (int) XmlGuard::maxValueLength + 1)), "value or text is longer" },
        { "<r>" + repeated ("a", (int) XmlGuard::maxValueLength + 1) + "</r>", "value or text is longer" },
        { "<r" + repeated ("n", (int) XmlGuard::maxNameLength + 1) + "/>", "name is longer" },
        { "<r>" + repeated ("<x/>", (int) XmlGuard::maxItems) + "</r>", "more than 4000000 elements" },
        { "<main><list>" + repeated ("<mapping><control alias=\"x\"/></mapping>", 100000) + "</list></main>", accepted },
    };

    for (auto& [text, errorContains] : cases)
    {
        SCOPED_TRACE (text.substring (0, 60));
        juce::String error = "stale";
        const auto start = juce::Time::getMillisecondCounterHiRes();
        const auto parsed = XmlGuard::parse (text, error);
        EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 20000.0);
        EXPECT_EQ (parsed == nullptr, errorContains != nullptr) << error;
        EXPECT_TRUE (errorContains == nullptr ? error.isEmpty() : error.contains (errorContains)) << error;
        EXPECT_TRUE (errorContains != tooDeep || error.startsWith (tooDeep)) << error;
    }
}

TEST (XmlGuard, HandsOnTheParserVerdictOtherwise)
{
    for (auto* text : { "", "<main><b>", "<main><!-- open", "<main><b x=\"1></b></main>" })
    {
        juce::String error;
        juce::XmlDocument reference (text);
        ASSERT_EQ (reference.getDocumentElement(), nullptr) << text;
        EXPECT_EQ (XmlGuard::parse (text, error), nullptr) << text;
        EXPECT_EQ (error, reference.getLastParseError()) << text;
    }

    // Text without any element: the parser gives no reason, the guard names one.
    juce::String error;
    EXPECT_EQ (XmlGuard::parse ("just words", error), nullptr);
    EXPECT_EQ (error, "No XML element found");
    const auto references = XmlGuard::parse ("<a x=\"&#x41;&#66;\"/>", error);
    ASSERT_NE (references, nullptr) << error;
    EXPECT_EQ (references->getStringAttribute ("x"), "AB");
}

TEST (XmlGuard, DecodesBytesAsTheParserWouldAndRefusesWhatIsNotText)
{
    // Refused (with the reason after "!"): zero bytes; broken sequences; well-formed ones that are
    // not UTF-8: overlong forms ("/" as C0 AF or E0 80 AF), a surrogate half, a character beyond U+10FFFF.
    const std::pair<std::string, juce::String> cases[] = {
        { "<a x=\"Gr\xc3\xb6\xc3\x9f" "e\"/>", juce::String (juce::CharPointer_UTF8 ("<a x=\"Gr\xc3\xb6\xc3\x9f" "e\"/>")) },
        { "\xef\xbb\xbf<a/>", "<a/>" }, { std::string ("\xff\xfe<\0a\0/\0>\0", 10), "<a/>" },
        { std::string ("\xfe\xff\0<\0a\0/\0>", 10), "<a/>" }, { "", "" },
        { std::string ("<a/>\0\x01\x02garbage", 15), "!zero bytes" },
        { "<a x=\"\xff\xfe\"/>", "!UTF-8" }, { "<a x=\"\xc3\"/>", "!UTF-8" }, { "<a/>\xe2\x82", "!UTF-8" },
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
