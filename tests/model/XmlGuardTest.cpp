#include <gtest/gtest.h>

#include <juce_data_structures/juce_data_structures.h>

#include <functional>
#include <random>

#include "model/XmlGuard.h"

// The guard stands between outside text and juce::XmlDocument, whose recursion per nesting
// level overflows the stack on deeply nested text. Its depth must be the parser's depth:
// never less (the crash comes back), and on ordinary text exactly that (no file is refused
// for nesting it does not have).

namespace
{
    /** The depth the guard finds: the smallest bound the text does not exceed. */
    int guardDepth (const juce::String& text)
    {
        for (int depth = 0; depth < 1000; ++depth)
            if (! XmlGuard::isNestedDeeperThan (text, depth))
                return depth;

        return 1000;
    }

    /** Depth of the element tree the parser built (text nodes do not count). */
    int treeDepth (const juce::XmlElement& element)
    {
        int deepestChild = 0;

        for (auto* child : element.getChildIterator())
            if (! child->isTextElement())
                deepestChild = juce::jmax (deepestChild, treeDepth (*child));

        return 1 + deepestChild;
    }

    juce::String repeated (const juce::String& piece, int times)
    {
        return juce::String::repeatedString (piece, times);
    }

    void expectRefusedAsTooDeep (const juce::String& text, const char* what)
    {
        SCOPED_TRACE (what);
        EXPECT_TRUE (XmlGuard::isNestedDeeperThan (text, XmlGuard::maxNestingDepth));

        juce::String error;
        EXPECT_EQ (XmlGuard::parse (text, error), nullptr);
        EXPECT_TRUE (error.startsWith (XmlGuard::tooDeepError)) << error;
        EXPECT_TRUE (error.contains ("too deep")) << error;
    }
}

TEST (XmlGuard, FindsTheDepthTheParserReaches)
{
    struct Case
    {
        const char* text;
        int depth;
    };

    const Case cases[] = {
        { "", 0 },
        { "plain words", 0 },
        { "<a/>", 1 },
        { "<a></a>", 1 },
        { "<a><b/></a>", 2 },
        { "<a><b><c/></b><d/></a>", 3 },
        { "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<a>\r\n  <b x=\"1\"\r\n     y=\"2\"/>\r\n</a>\r\n", 2 },
        { "<!-- lead --><?pi x?><a><!-- <b><c><d> --><b/></a>", 2 },
        { "< a ><b/></a>", 2 },
        // markup inside attribute values, comments and CDATA sections is text
        { "<a x=\"<b><c><d>\" y='</a><e>'/>", 1 },
        { "<a><![CDATA[<b><c><d>]]></a>", 1 },
        { "<a>&lt;b&gt;&lt;c&gt;</a>", 1 },
        // whatever follows the root element is never read
        { "<a/><b><c><d/></c></b>", 1 },
        // the parser takes the name of an unknown entity in its place, and reads it as elements
        { "<a>&<b><c/></b>;</a>", 3 },
        { "<a>text &<b><c><d/></c></b>; more</a>", 4 },
    };

    for (auto& c : cases)
    {
        EXPECT_EQ (guardDepth (c.text), c.depth) << c.text;

        juce::String error;
        auto element = XmlGuard::parse (c.text, error);

        if (element != nullptr)
        {
            EXPECT_EQ (treeDepth (*element), c.depth) << c.text;
        }
    }
}

TEST (XmlGuard, RefusesDeepNestingInEveryFormBeforeParsing)
{
    constexpr int levels = 100000;

    expectRefusedAsTooDeep (repeated ("<a>", levels) + repeated ("</a>", levels), "closed elements");
    expectRefusedAsTooDeep (repeated ("<a>", levels), "never closed");
    expectRefusedAsTooDeep (repeated ("<mapping kind=\"x\" n='1'>", levels), "with attributes");
    expectRefusedAsTooDeep (repeated ("< a\r\n><!-- c --><?pi?>", levels), "with blanks, comments and instructions");
    expectRefusedAsTooDeep ("<r>&" + repeated ("<a>", levels) + ";</r>", "inside an entity reference");

    // Closing tags that stand where the parser does not read them as closing tags
    expectRefusedAsTooDeep (repeated ("<a x=\"</a>\">", levels), "close tags in attribute values");
    expectRefusedAsTooDeep (repeated ("<a><!--</a>-->", levels), "close tags in comments");
    expectRefusedAsTooDeep (repeated ("<a><![CDATA[</a>]]>", levels), "close tags in CDATA sections");
    expectRefusedAsTooDeep (repeated ("<a>&q</a>;", levels), "close tags swallowed by an entity reference");
}

TEST (XmlGuard, BoundIsExactAndBreadthIsFree)
{
    constexpr int bound = XmlGuard::maxNestingDepth;
    juce::String error;

    auto atBound = repeated ("<a>", bound) + repeated ("</a>", bound);
    auto element = XmlGuard::parse (atBound, error);
    ASSERT_NE (element, nullptr) << error;
    EXPECT_EQ (treeDepth (*element), bound);
    EXPECT_TRUE (error.isEmpty());

    expectRefusedAsTooDeep (repeated ("<a>", bound + 1) + repeated ("</a>", bound + 1), "one past the bound");

    // A long file nests shallowly: a hundred thousand siblings are fine.
    auto wide = "<main><list>" + repeated ("<mapping><control alias=\"x\"/></mapping>", 100000) + "</list></main>";
    EXPECT_FALSE (XmlGuard::isNestedDeeperThan (wide, 4));
    EXPECT_TRUE (XmlGuard::isNestedDeeperThan (wide, 3));
    element = XmlGuard::parse (wide, error);
    ASSERT_NE (element, nullptr) << error;
    EXPECT_EQ (element->getChildElement (0)->getNumChildElements(), 100000);
}

TEST (XmlGuard, RefusesTextsTheParserCannotReadSafely)
{
    juce::String error;

    // A document type declaration: the parser's entity expansion would call itself for ever.
    EXPECT_EQ (XmlGuard::parse ("<!DOCTYPE x [<!ENTITY b \"&xb;\">]><x>&b;</x>", error), nullptr);
    EXPECT_TRUE (error.contains ("Document type")) << error;
    EXPECT_EQ (XmlGuard::parse ("<?xml version=\"1.0\"?>\n<!DOCTYPE main><main/>", error), nullptr);
    EXPECT_TRUE (error.contains ("Document type")) << error;

    // A hexadecimal character reference cut off by the end of the text: the parser reads on past it.
    for (auto* text : { "<a>&#x", "<a x=\"&#x12", "<r>&<a>&#x;</r>" })
    {
        EXPECT_EQ (XmlGuard::parse (text, error), nullptr) << text;
        EXPECT_TRUE (error.contains ("cut off")) << text << ": " << error;
    }

    // A processing instruction followed by text inside an element: the parser never gets past it.
    for (auto* text : { "<r><?p?>x</r>", "<r> <!-- c --> <?p x?> text</r>", "<r><a/><?p?>\n<?q?>x</r>" })
    {
        EXPECT_EQ (XmlGuard::parse (text, error), nullptr) << text;
        EXPECT_TRUE (error.contains ("processing instruction")) << text << ": " << error;
    }

    // Between elements an instruction is skipped, and so is an unclosed one at the end.
    for (auto* text : { "<r><?p?><a/></r>", "<r><?p?> <!-- c --><a/> x</r>" })
        EXPECT_NE (XmlGuard::parse (text, error), nullptr) << text << ": " << error;

    EXPECT_EQ (XmlGuard::parse ("<r>x<?p", error), nullptr);
    EXPECT_EQ (error, "unmatched tags");

    // Complete references are fine.
    auto element = XmlGuard::parse ("<a x=\"&#x41;&#66;\"/>", error);
    ASSERT_NE (element, nullptr) << error;
    EXPECT_EQ (element->getStringAttribute ("x"), "AB");

    // A string that holds bytes which are not UTF-8 (a lone lead byte in the middle).
    const char brokenBytes[] = "<a x=\"\xf0\x41\x41\x41\"/>";
    auto broken = juce::String::fromUTF8 (brokenBytes, (int) sizeof (brokenBytes) - 1);
    EXPECT_TRUE (XmlGuard::isNestedDeeperThan (broken, XmlGuard::maxNestingDepth));
    EXPECT_EQ (XmlGuard::parse (broken, error), nullptr);
    EXPECT_TRUE (error.contains ("UTF-8")) << error;
}

TEST (XmlGuard, HandsOnTheParserVerdictOtherwise)
{
    juce::String error = "stale";
    auto element = XmlGuard::parse ("<main a=\"1\"><b/></main>", error);
    ASSERT_NE (element, nullptr);
    EXPECT_TRUE (error.isEmpty());
    EXPECT_EQ (element->getTagName(), "main");

    // The parser's own error texts
    for (auto* text : { "", "<main><b>", "<main><!-- open", "<main><b x=\"1></b></main>" })
    {
        juce::XmlDocument reference (text);
        ASSERT_EQ (reference.getDocumentElement(), nullptr) << text;

        EXPECT_EQ (XmlGuard::parse (text, error), nullptr) << text;
        EXPECT_EQ (error, reference.getLastParseError()) << text;
        EXPECT_TRUE (error.isNotEmpty()) << text;
    }

    // Text without any element: the parser gives no reason, the guard names one.
    EXPECT_EQ (XmlGuard::parse ("just words", error), nullptr);
    EXPECT_EQ (error, "No XML element found");
}

TEST (XmlGuard, DecodesBytesAsTheParserWouldAndRefusesWhatIsNotText)
{
    juce::String text, error;

    auto decode = [&] (const std::string& bytes)
    {
        return XmlGuard::decodeText (bytes.data(), bytes.size(), text, error);
    };

    EXPECT_TRUE (decode ("<a x=\"Gr\xc3\xb6\xc3\x9f" "e\"/>"));
    EXPECT_EQ (text, juce::String (juce::CharPointer_UTF8 ("<a x=\"Gr\xc3\xb6\xc3\x9f" "e\"/>")));
    EXPECT_TRUE (error.isEmpty());

    EXPECT_TRUE (decode ("\xef\xbb\xbf<a/>"));
    EXPECT_EQ (text, "<a/>");

    EXPECT_TRUE (decode (std::string ("\xff\xfe<\0a\0/\0>\0", 10)));
    EXPECT_EQ (text, "<a/>");
    EXPECT_TRUE (decode (std::string ("\xfe\xff\0<\0a\0/\0>", 10)));
    EXPECT_EQ (text, "<a/>");

    EXPECT_TRUE (decode (""));
    EXPECT_TRUE (text.isEmpty());

    EXPECT_FALSE (decode (std::string ("<a/>\0\x01\x02garbage", 15)));
    EXPECT_TRUE (text.isEmpty());
    EXPECT_TRUE (error.contains ("zero bytes")) << error;

    // Broken sequences, and well-formed ones that are not UTF-8: overlong forms ("/" as C0 AF
    // or E0 80 AF), a UTF-16 surrogate half, and a character beyond U+10FFFF.
    for (auto* bytes : { "<a x=\"\xff\xfe\"/>", "<a x=\"\xc3\"/>", "<a/>\xe2\x82", "\xf8\x88\x80\x80\x80",
                         "<a x=\"\xc0\xaf\"/>", "<a x=\"\xe0\x80\xaf\"/>", "<a x=\"\xed\xa0\x80\"/>", "<a x=\"\xf4\x90\x80\x80\"/>" })
    {
        EXPECT_FALSE (decode (bytes)) << bytes;
        EXPECT_TRUE (error.contains ("UTF-8")) << error;
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
    std::uniform_int_distribution<int> pick (0, (int) juce::numElementsInArray (pieces) - 1);
    std::uniform_int_distribution<int> length (1, 40);

    int parsed = 0;

    for (int round = 0; round < 20000; ++round)
    {
        juce::String text ("<r>");
        auto count = length (random);

        for (int i = 0; i < count; ++i)
            text << pieces[pick (random)];

        if (random() % 2 == 0)
            text << "</r>";

        juce::String error;
        auto element = XmlGuard::parse (text, error);

        // Texts whose closing tags name other elements are refused after the parser read them;
        // the walk's depth is still the depth the parser built.
        if (element == nullptr && error == XmlGuard::mismatchedTagError)
            element = juce::parseXML (text);

        if (element == nullptr)
            continue;

        ++parsed;
        ASSERT_EQ (guardDepth (text), treeDepth (*element)) << text;
    }

    EXPECT_GT (parsed, 1000); // the comparison ran on enough texts to mean something
}

// The parser closes the open element at any closing tag and keeps an attribute given twice;
// neither text is well formed, and both are refused after parsing.
TEST (XmlGuard, RefusesMismatchedClosingTagsAndRepeatedAttributes)
{
    juce::String error;

    for (auto* text : { "<midi type=\"CC\"></MIDI>", "<a><b></a></b>", "<a><b/></c>" })
    {
        ASSERT_NE (juce::parseXML (text), nullptr) << "the parser itself lets this through: " << text;
        EXPECT_EQ (XmlGuard::parse (text, error), nullptr) << text;
        EXPECT_EQ (error, XmlGuard::mismatchedTagError) << text;
    }

    for (auto* text : { "<a x=\"1\" x=\"2\"/>", "<a><b y='1' z='2' y='3'/></a>" })
    {
        EXPECT_EQ (XmlGuard::parse (text, error), nullptr) << text;
        EXPECT_TRUE (error.contains ("same attribute twice")) << text << ": " << error;
    }

    // Names that only look alike, tags inside comments, CDATA and attribute values are fine.
    for (auto* text : { "<a x=\"1\" X=\"2\"><b x=\"1\"/></a>",
                        "<a><!-- </b> --><![CDATA[</c>]]><b v=\"</d>\"/></a>",
                        "<?xml version=\"1.0\"?>\r\n<a>\r\n  <b/>\r\n</a>\r\n" })
    {
        EXPECT_NE (XmlGuard::parse (text, error), nullptr) << text << ": " << error;
        EXPECT_TRUE (error.isEmpty());
    }
}

// The parser reads the root element and nothing after it, so what follows the root's closing
// tag is not checked either; a mismatched tag inside the root still is.
TEST (XmlGuard, ChecksClosingTagsOnlyUntilTheRootElementIsClosed)
{
    struct Case { const char* text; bool accepted; };

    const Case cases[] = {
        { "<main><a/></main><extra>", true },
        { "<main><a/></main></x>", true },
        { "<main/></x><y>", true },
        { "<?xml version=\"1.0\"?><!-- c --><main></main>\r\n</main>", true },
        { "<main><a></b></main><extra>", false },
        { "<main><a/></x></main>", false },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        ASSERT_NE (juce::parseXML (c.text), nullptr) << "the parser itself takes it";

        juce::String error;
        auto element = XmlGuard::parse (c.text, error);
        EXPECT_EQ (element != nullptr, c.accepted) << error;
        EXPECT_EQ (error.isEmpty(), c.accepted);

        EXPECT_EQ (element != nullptr ? element->getTagName() : juce::String ("main"), "main");
    }
}

// juce::ValueTree::fromXml turns a "base64:x" attribute into a binary property "x", allocating
// the byte count its text starts with.
TEST (XmlGuard, BinaryAttributesMustHoldTheirByteCountAndNameNoOtherAttribute)
{
    juce::String error;

    for (auto* value : { "-5.AAAA", "4444444444444.AAAA", "200000000.AAAA", "7", ".AAAA", "3x.AAAA" })
    {
        const auto text = juce::String ("<a base64:x=\"") + value + "\"/>";
        EXPECT_EQ (XmlGuard::parse (text, error), nullptr) << text;
        EXPECT_TRUE (error.contains ("impossible size")) << text << ": " << error;
    }

    // "x" beside "base64:x" would make two properties "x".
    EXPECT_EQ (XmlGuard::parse ("<a x=\"1\" base64:x=\"0.\"/>", error), nullptr);
    EXPECT_TRUE (error.contains ("same attribute twice")) << error;

    // A block JUCE itself wrote is read back whole.
    juce::MemoryBlock block ("wirelace", 8);
    const auto text = "<a base64:x=\"" + block.toBase64Encoding() + "\"/>";
    auto element = XmlGuard::parse (text, error);
    ASSERT_NE (element, nullptr) << error;
    const auto tree = juce::ValueTree::fromXml (*element);
    const auto* data = tree.getProperty ("x").getBinaryData();
    ASSERT_NE (data, nullptr);
    EXPECT_EQ (*data, block);

    EXPECT_TRUE (XmlGuard::isSafeMemoryBlockText (block.toBase64Encoding()));
    EXPECT_TRUE (XmlGuard::isSafeMemoryBlockText ("0."));
    EXPECT_FALSE (XmlGuard::isSafeMemoryBlockText ("9.AAAA"));
}

// Hostile texts that took the parser minutes or gigabytes: each is refused with its reason, or
// read, in time proportional to its size (the bound is far above the expected fraction of a
// second, so only a hang or a quadratic path fails it).
TEST (XmlGuard, HostileTextsAreRefusedOrReadInLinearTime)
{
    // JUCE's strings grow one append at a time; streams grow geometrically.
    auto attributes = [] (int count, int distinct, const char* tag = "r")
    {
        juce::MemoryOutputStream text;
        text << "<" << tag;

        for (int i = 0; i < count; ++i)
            text << " a" << (i % distinct) << "_" << (i / distinct) << "=\"v\"";

        text << "/>";
        return text.toString();
    };

    auto element = [] (const juce::String& attributeValue)
    {
        return "<r a=\"" + attributeValue + "\"/>";
    };

    // The icon of the largest picture a document shows: 4096 by 4096 RGBA pixels that PNG
    // cannot compress (a filter byte per row, and room for the chunks and zlib blocks).
    juce::MemoryBlock png (4096 * (1 + 4096 * 4) + 16384);
    juce::Random (4096).fillBitsRandomly (png.getData(), png.getSize());
    const auto iconText = png.toBase64Encoding();

    juce::MemoryOutputStream manyElements;
    manyElements << "<r>";
    for (int i = 0; i < 5000; ++i)
        manyElements << attributes (200, 200, "x");
    manyElements << "</r>";

    struct Case
    {
        const char* what;
        juce::String text;
        const char* errorContains; // nullptr: accepted
    };

    const Case cases[] = {
        { "40,000 attributes", attributes (40000, 40000), "different element and attribute names" },
        { "100,000 attributes", attributes (100000, 100000), "different element and attribute names" },
        { "9,000 attributes of one element", attributes (9000, 9000), nullptr },
        { "5,000 elements of 200 attributes", manyElements.toString(), nullptr },
        { "800,000 references in a value", element (repeated ("&amp;", 800000)), "too many character or entity references" },
        { "2,000,000 references in a value", element (repeated ("&amp;", 2000000)), "too many character or entity references" },
        { "800 references in a short value", element (repeated ("&lt;", 800)), nullptr },
        { "the largest icon", element (iconText), nullptr },
        { "a longer value", element (repeated ("a", (int) XmlGuard::maxValueLength + 1)), "value or text is longer" },
        { "a longer text", "<r>" + repeated ("a", (int) XmlGuard::maxValueLength + 1) + "</r>", "value or text is longer" },
        { "a longer name", "<r" + repeated ("n", (int) XmlGuard::maxNameLength + 1) + "/>", "name is longer" },
        { "more elements than the budget", "<r>" + repeated ("<x/>", (int) XmlGuard::maxItems) + "</r>", "more than 4000000 elements" },
        { "a binary value with references", "<r base64:a=\"1.&#65;B\"/>", "impossible size" },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        juce::String error;
        const auto start = juce::Time::getMillisecondCounterHiRes();
        const auto parsed = XmlGuard::parse (c.text, error);
        EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 20000.0);

        if (c.errorContains == nullptr)
        {
            EXPECT_NE (parsed, nullptr) << error;
        }
        else
        {
            EXPECT_EQ (parsed, nullptr);
            EXPECT_TRUE (error.contains (c.errorContains)) << error;
        }
    }
}
