#pragma once

#include <memory>

#include <juce_core/juce_core.h>

/**
    The one gate through which XML text from outside (files, the clipboard, network replies)
    reaches juce::XmlDocument.

    juce::XmlDocument, juce::ValueTree::fromXml and the XML writer recurse once per level of
    element nesting, so a text that nests a hundred thousand elements overflows the stack and
    takes the program down. Before anything is parsed, the guard walks the text the way the
    parser will and refuses it when its elements nest deeper than maxNestingDepth. While it is
    at it, it also refuses the few other texts that the parser cannot handle safely: text that
    is not valid UTF-8, a document type declaration (the parser's entity expansion can recurse
    without end), a hexadecimal character reference cut off by the end of the text (the parser
    then reads past the end), and a processing instruction followed by text inside an element
    (the parser never gets past it). Texts that are not well formed in ways the parser lets
    through are refused as well: a closing tag that names another element than the one it
    closes, an element that gives one attribute twice, and a binary ("base64:") attribute
    whose byte count its text cannot hold.

    Like libxml2 for untrusted input, the guard bounds a single name, a single attribute value
    or text, and the nesting; and it bounds what the parsed text costs: the number of
    elements, attributes and texts (each becomes an object of the juce::XmlElement tree and
    again of the juce::ValueTree made from it) and the number of distinct names (each stays in
    JUCE's global string pool). Every check walks the text once, so the guard takes time in
    proportion to the text.

    The parser itself takes quadratic time over an attribute value with many character or
    entity references (it copies the value once per reference), and the XML writer writes every
    character beyond ASCII and each of & < > " as one. So that every value the writer can write
    is read back, the guard decodes such values itself, in one pass, exactly as the parser would
    (see maxReferenceWork).
*/
namespace XmlGuard
{
    /** The deepest element nesting that is parsed. Mapping files nest about 8 deep. */
    constexpr int maxNestingDepth = 256;

    /** The longest element or attribute name, in bytes (libxml2's bound as well). */
    constexpr size_t maxNameLength = 50000;

    /**
        The longest single attribute value or text, in bytes. The largest value of a real
        mapping file is the icon's "Data": a 4096 by 4096 pixel RGBA picture stored as a PNG
        that does not compress at all takes 4096 * (1 + 4096 * 4) bytes of image data plus
        about 0.01 % for its zlib blocks and chunks (67.2 MB), written as memory-block text in
        4/3 as many characters (89.6 MB). 96 MiB leaves room above that.
    */
    constexpr size_t maxValueLength = 96 * 1024 * 1024;

    /**
        The most work the parser is left with for one attribute value: its references times its
        length in bytes (JUCE copies the value once per reference it appends). A value past this
        is decoded by the guard: the parser is handed a stand-in for most of it, and the value
        decoded by the guard takes the stand-in's place in the parsed tree, so the result is what
        the parser would have made of it. Only a value inside the text that an unknown entity
        stands for (which the parser reads as markup) cannot be handed over so; past this bound,
        such a text is refused.
    */
    constexpr size_t maxReferenceWork = 4 * 1024 * 1024;

    /**
        The most elements, attributes and texts one text may hold. Parsed and then taken into
        a juce::ValueTree, they take about 150 bytes each at most (measured), so with the file size
        bound of the document this keeps a text within the memory budget. A mapping takes 5
        to 16 of them; 4,000,000 is room for about 300,000 mappings.
    */
    constexpr size_t maxItems = 4000000;

    /** The most distinct element and attribute names; a mapping file uses about forty. */
    constexpr size_t maxDistinctNames = 10000;

    /** The start of the error text given for a text that nests too deeply. */
    extern const char* const tooDeepError;

    /** The error text given for a closing tag that names another element than the one it closes. */
    extern const char* const mismatchedTagError;

    /**
        True when parsing the text would open elements more than maxDepth deep (the root
        element counts as depth 1).

        The walk follows juce::XmlDocument's own reading rules (comments, CDATA sections,
        quoted attribute values, character and entity references, and the parser's recovery
        from malformed input), so the depth it finds is the depth the parser would reach.
        Text that is not valid UTF-8 cannot be walked safely and is reported as too deep.
    */
    bool isNestedDeeperThan (const juce::String& text, int maxDepth);

    /**
        True when the text is JUCE's memory-block text ("<byte count>.<characters>") with a
        count of plain digits that the characters after the dot can hold.
        juce::MemoryBlock::fromBase64Encoding trusts the count and allocates it at once: a
        negative one throws std::bad_alloc and a huge one takes that much memory.
    */
    bool isSafeMemoryBlockText (const juce::String& text);

    /**
        Parses XML text with juce::XmlDocument once the checks above have passed.

        Returns the document element, or nullptr with error set to the reason: the guard's
        own refusal ("The XML nests elements too deeply ...") or the parser's error text.
        error is emptied when the text parses.
    */
    std::unique_ptr<juce::XmlElement> parse (const juce::String& text, juce::String& error);

    /**
        Turns the bytes of a file or a network reply into text for parse().

        UTF-16 with a byte-order mark is converted; otherwise the bytes must be UTF-8 (a
        leading byte-order mark is skipped). Bytes that hold a zero byte or are not valid
        UTF-8 are refused: the result is false, text is emptied and error says why.
    */
    bool decodeText (const void* data, size_t numBytes, juce::String& text, juce::String& error);
}
