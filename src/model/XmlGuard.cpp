#include "model/XmlGuard.h"

#include <cstring>
#include <limits>
#include <vector>

namespace XmlGuard
{
const char* const tooDeepError = "The XML nests elements too deeply";
const char* const mismatchedTagError = "A closing tag does not match the element it closes";

namespace
{
    using CharPointer = juce::String::CharPointerType;

    /** The characters juce::XmlDocument takes for tag and attribute names. */
    bool isIdentifierChar (juce::juce_wchar c) noexcept
    {
        static const juce::uint32 legalChars[] = { 0, 0x7ff6000, 0x87fffffe, 0x7fffffe, 0 };

        if ((int) c < (int) juce::numElementsInArray (legalChars) * 32)
            return (legalChars[c >> 5] & (1u << (c & 31))) != 0;

        return juce::CharacterFunctions::isLetterOrDigit (c) || c == '_' || c == '-' || c == ':' || c == '.';
    }

    CharPointer findEndOfToken (CharPointer p) noexcept
    {
        while (isIdentifierChar (*p))
            ++p;

        return p;
    }

    /**
        Walks a text the way juce::XmlDocument::getDocumentElement reads it, step for step,
        without building anything and without recursion, and reports how deep the parser's
        recursion would go.

        Every step that moves through the text does exactly what the parser does at that
        point, including its recovery from malformed input (an entity reference skips to the
        next semicolon, a bad attribute ends the tag, an element name taken from an unknown
        entity is parsed as elements), so the depth found cannot fall short of the parser's.
    */
    class ParseWalk
    {
    public:
        enum class Verdict
        {
            fine,
            tooDeep,
            documentType,
            referenceCutOff,
            endlessLoop
        };

        ParseWalk (const juce::String& textToWalk, int maxDepthToAllow)
            : text (textToWalk), maxDepth (maxDepthToAllow)
        {
        }

        Verdict run()
        {
            input = text.getCharPointer();

            if (input.isEmpty() || ! parseHeader())
                return Verdict::fine;

            // The parser expands entities declared in a document type declaration, and that
            // expansion can call itself without end; mapping files never carry one.
            if (juce::CharacterFunctions::compareUpTo (input, juce::CharPointer_ASCII ("<!DOCTYPE"), 9) == 0)
                return Verdict::documentType;

            auto root = readTag();

            if (verdict != Verdict::fine || root != Tag::opened)
                return verdict;

            pushChildren();

            while (verdict == Verdict::fine && ! frames.empty())
            {
                if (frames.back().isEntity)
                    stepEntity();
                else
                    stepChildren();
            }

            return verdict;
        }

    private:
        enum class Tag
        {
            none,   // no element: the parser's readNextElement gives nullptr
            closed, // an element without children read ("/>", or a tag the parser gives up on)
            opened  // a start tag ended by ">": the parser goes on to read the children
        };

        /** One level of the parser's recursion: reading the children of an element, or the
            elements of an entity's text that the parser reads in place of a text run. */
        struct Frame
        {
            bool isEntity = false;
            bool inText = false;            // children: inside a run of text
            CharPointer lastTextStart { nullptr }; // children: where the last text run began
            juce::String entityText;        // entity: the text being read
            CharPointer savedInput { nullptr };
            bool savedOutOfData = false;
        };

        //==============================================================================
        void noteElement()
        {
            if (openElements + 1 > maxDepth)
                verdict = Verdict::tooDeep;
        }

        void pushChildren()
        {
            ++openElements;
            frames.push_back ({});
        }

        void pop()
        {
            if (! frames.back().isEntity)
                --openElements;

            frames.pop_back();
        }

        juce::juce_wchar readNextChar() noexcept
        {
            auto c = input.getAndAdvance();

            if (c == 0)
            {
                outOfData = true;
                --input;
            }

            return c;
        }

        bool parseHeader()
        {
            skipNextWhiteSpace();

            if (juce::CharacterFunctions::compareUpTo (input, juce::CharPointer_ASCII ("<?xml"), 5) == 0)
            {
                auto headerEnd = juce::CharacterFunctions::find (input, juce::CharPointer_ASCII ("?>"));

                if (headerEnd.isEmpty())
                    return false;

                input = headerEnd + 2;
                skipNextWhiteSpace();
            }

            return true;
        }

        void skipNextWhiteSpace()
        {
            for (;;)
            {
                input.incrementToEndOfWhitespace();

                if (input.isEmpty())
                {
                    outOfData = true;
                    break;
                }

                if (*input == '<')
                {
                    if (input[1] == '!' && input[2] == '-' && input[3] == '-')
                    {
                        input += 4;
                        auto closeComment = input.indexOf (juce::CharPointer_ASCII ("-->"));

                        if (closeComment < 0)
                        {
                            outOfData = true;
                            break;
                        }

                        input += closeComment + 3;
                        continue;
                    }

                    if (input[1] == '?')
                    {
                        input += 2;
                        auto closeBracket = input.indexOf (juce::CharPointer_ASCII ("?>"));

                        if (closeBracket < 0)
                        {
                            outOfData = true;
                            break;
                        }

                        input += closeBracket + 2;
                        continue;
                    }
                }

                break;
            }
        }

        /** Moves past a reference that starts at '&'; gives the text the parser would put in its place. */
        juce::String readEntity()
        {
            ++input;

            for (auto* name : { "amp;", "quot;", "apos;", "lt;", "gt;" })
            {
                auto length = (int) std::strlen (name);

                if (input.compareIgnoreCaseUpTo (juce::CharPointer_ASCII (name), length) == 0)
                {
                    input += length;
                    return {}; // one character, never markup
                }
            }

            if (*input == '#')
            {
                ++input;

                if (*input == 'x' || *input == 'X')
                {
                    ++input;
                    int numChars = 0;

                    while (input[0] != ';')
                    {
                        if (juce::CharacterFunctions::getHexDigitValue (input[0]) < 0 || ++numChars > 8)
                            break;

                        ++input;
                    }

                    // The parser steps over the character that ended the digits, even when
                    // that is the end of the text, and goes on reading beyond it.
                    if (*input == 0)
                    {
                        verdict = Verdict::referenceCutOff;
                        return {};
                    }

                    ++input;
                }
                else if (input[0] >= '0' && input[0] <= '9')
                {
                    int numChars = 0;

                    for (;;)
                    {
                        auto firstChar = input[0];

                        if (firstChar == 0)
                            return {};

                        if (firstChar == ';' || ++numChars > 12)
                            break;

                        ++input;
                    }

                    ++input;
                }
                else
                {
                    return "&";
                }

                return {}; // one character, never markup
            }

            auto closingSemiColon = input.indexOf ((juce::juce_wchar) ';');

            if (closingSemiColon < 0)
            {
                outOfData = true;
                return "&";
            }

            // Without a document type declaration every other name is unknown, and the
            // parser puts the name itself in the reference's place.
            juce::String name (input, (size_t) closingSemiColon);
            input += closingSemiColon + 1;
            return name;
        }

        void readQuotedString()
        {
            auto quote = readNextChar();

            while (! outOfData)
            {
                auto c = readNextChar();

                if (c == quote)
                    break;

                --input;

                if (c == '&')
                {
                    readEntity();

                    if (verdict != Verdict::fine)
                        return;
                }
                else
                {
                    for (;;)
                    {
                        auto character = *input;

                        if (character == quote)
                        {
                            ++input;
                            return;
                        }

                        if (character == '&')
                            break;

                        if (character == 0)
                        {
                            outOfData = true;
                            break;
                        }

                        ++input;
                    }
                }
            }
        }

        /** The parser's readNextElement up to the point where it would read the children. */
        Tag readTag()
        {
            skipNextWhiteSpace();

            if (outOfData || *input != '<')
                return Tag::none;

            ++input;
            auto endOfToken = findEndOfToken (input);

            if (endOfToken == input)
            {
                skipNextWhiteSpace();
                endOfToken = findEndOfToken (input);

                if (endOfToken == input)
                    return Tag::none;
            }

            noteElement();
            input = endOfToken;

            for (;;)
            {
                skipNextWhiteSpace();
                auto c = *input;

                if (c == '/' && input[1] == '>')
                {
                    input += 2;
                    return Tag::closed;
                }

                if (c == '>')
                {
                    ++input;
                    return Tag::opened;
                }

                if (isIdentifierChar (c))
                {
                    input = findEndOfToken (input);
                    skipNextWhiteSpace();

                    if (readNextChar() != '=')
                        return Tag::closed;

                    skipNextWhiteSpace();
                    auto nextChar = *input;

                    if (nextChar == '"' || nextChar == '\'')
                    {
                        readQuotedString();

                        if (verdict != Verdict::fine)
                            return Tag::closed;

                        continue;
                    }
                }

                return Tag::closed;
            }
        }

        /** Reads on until the next element opens, the element closes or a text run ends. */
        void stepChildren()
        {
            auto& frame = frames.back();

            if (frame.inText)
            {
                stepText();
                return;
            }

            auto preWhitespaceInput = input;
            skipNextWhiteSpace();

            if (outOfData)
            {
                pop();
                return;
            }

            if (*input != '<')
            {
                input = preWhitespaceInput;

                // The parser rolls back over what it skipped to read it as text. When that
                // begins with a processing instruction, the text run ends at once and the
                // parser skips the instruction again, for ever. Arriving at the same place a
                // second time without having moved on means exactly that.
                if (frame.lastTextStart == input)
                {
                    verdict = Verdict::endlessLoop;
                    return;
                }

                frame.lastTextStart = input;
                frame.inText = true;
                return;
            }

            auto c1 = input[1];

            if (c1 == '/')
            {
                auto closeTag = input.indexOf ((juce::juce_wchar) '>');

                if (closeTag >= 0)
                    input += closeTag + 1;

                pop();
                return;
            }

            if (c1 == '!' && juce::CharacterFunctions::compareUpTo (input + 2, juce::CharPointer_ASCII ("[CDATA["), 7) == 0)
            {
                input += 9;

                for (;;)
                {
                    auto c0 = *input;

                    if (c0 == 0)
                    {
                        outOfData = true;
                        break;
                    }

                    if (c0 == ']' && input[1] == ']' && input[2] == '>')
                    {
                        input += 3;
                        break;
                    }

                    ++input;
                }

                return;
            }

            switch (readTag())
            {
                case Tag::none:   pop(); break;
                case Tag::opened: pushChildren(); break;
                case Tag::closed: break;
            }
        }

        /** One piece of a text run between child elements. */
        void stepText()
        {
            auto c = *input;

            if (c == '<')
            {
                if (input[1] == '!' && input[2] == '-' && input[3] == '-')
                {
                    input += 4;
                    auto closeComment = input.indexOf (juce::CharPointer_ASCII ("-->"));

                    if (closeComment < 0)
                    {
                        outOfData = true;
                        pop();
                        return;
                    }

                    input += closeComment + 3;
                    return;
                }

                frames.back().inText = false;
                return;
            }

            if (c == 0)
            {
                outOfData = true;
                pop();
                return;
            }

            if (c == '&')
            {
                auto entity = readEntity();

                if (verdict == Verdict::fine && entity.startsWithChar ('<') && entity[1] != 0)
                {
                    Frame frame;
                    frame.isEntity = true;
                    frame.entityText = entity;
                    frame.savedInput = input;
                    frame.savedOutOfData = outOfData;
                    frames.push_back (frame);

                    input = frames.back().entityText.getCharPointer();
                    outOfData = false;
                }

                return;
            }

            for (;; ++input)
            {
                auto nextChar = *input;

                if (nextChar == '\r')
                {
                    nextChar = '\n';

                    if (input[1] == '\n')
                        continue;
                }

                if (nextChar == '<' || nextChar == '&')
                    return;

                if (nextChar == 0)
                {
                    outOfData = true;
                    pop();
                    return;
                }
            }
        }

        /** The parser reads elements from an entity's text for as long as it finds any. */
        void stepEntity()
        {
            switch (readTag())
            {
                case Tag::opened:
                    pushChildren();
                    break;

                case Tag::closed:
                    break;

                case Tag::none:
                {
                    auto& frame = frames.back();
                    input = frame.savedInput;
                    outOfData = frame.savedOutOfData;
                    pop();
                    break;
                }
            }
        }

        //==============================================================================
        const juce::String& text;
        const int maxDepth;
        CharPointer input { nullptr };
        bool outOfData = false;
        int openElements = 0;
        std::vector<Frame> frames;
        Verdict verdict = Verdict::fine;
    };

    /** Moves p past the next occurrence of the terminator; false when there is none. */
    bool skipPast (CharPointer& p, const char* terminator)
    {
        const int index = p.indexOf (juce::CharPointer_ASCII (terminator));

        if (index < 0)
            return false;

        p += index + (int) strlen (terminator);
        return true;
    }

    bool startsWith (CharPointer p, const char* prefix)
    {
        return p.compareUpTo (juce::CharPointer_ASCII (prefix), (int) strlen (prefix)) == 0;
    }

    /**
        True when every closing tag of the root element names the element it closes and every
        element is closed. juce::XmlDocument closes the open element at any closing tag, whatever
        name it carries, so "<midi ...></MIDI>" would parse although it is not well formed.
        The parser stops reading once the root element is closed, and so does this check: what
        follows the root is neither read nor refused. Comments, CDATA sections, processing
        instructions and quoted attribute values are stepped over as the parser steps over them.
    */
    bool closingTagsMatch (const juce::String& text)
    {
        std::vector<juce::String> openElements;
        auto p = text.getCharPointer();

        while (! p.isEmpty())
        {
            if (p.getAndAdvance() != '<')
                continue;

            if (startsWith (p, "!--"))
            {
                if (! skipPast (p, "-->"))
                    return false;
            }
            else if (startsWith (p, "![CDATA["))
            {
                if (! skipPast (p, "]]>"))
                    return false;
            }
            else if (*p == '?')
            {
                if (! skipPast (p, "?>"))
                    return false;
            }
            else if (*p == '!')
            {
                if (! skipPast (p, ">"))
                    return false;
            }
            else
            {
                const bool isClosingTag = *p == '/';

                if (isClosingTag)
                    ++p;

                const auto nameStart = p;

                while (! p.isEmpty() && ! p.isWhitespace() && *p != '>' && *p != '/')
                    ++p;

                const juce::String name (nameStart, p);
                bool selfClosing = false;
                juce::juce_wchar quote = 0;

                for (;;)
                {
                    if (p.isEmpty())
                        return false;

                    const auto c = p.getAndAdvance();

                    if (quote != 0)
                    {
                        if (c == quote)
                            quote = 0;
                    }
                    else if (c == '"' || c == '\'')
                    {
                        quote = c;
                    }
                    else if (c == '>')
                    {
                        break;
                    }
                    else
                    {
                        selfClosing = c == '/';
                    }
                }

                if (isClosingTag)
                {
                    if (openElements.empty() || openElements.back() != name)
                        return false;

                    openElements.pop_back();
                }
                else if (! selfClosing)
                {
                    openElements.push_back (name);
                }

                if (openElements.empty())
                    return true; // the root element is closed
            }
        }

        return openElements.empty();
    }

    /** The prefix of the attributes that juce::ValueTree::fromXml reads as binary data. */
    const juce::String binaryPrefix ("base64:");

    /**
        The reason why some element of the tree cannot be taken into a juce::ValueTree safely, or
        an empty text. juce::ValueTree::fromXml makes one property per attribute without looking
        for repeats, so an attribute given twice (or "x" beside "base64:x", both property "x")
        would be shown from the first and written from the last. It decodes a "base64:"
        attribute as binary data after allocating the byte count its text starts with, so that
        count must be one the text can hold.
    */
    juce::String findUnsafeAttribute (const juce::XmlElement& root)
    {
        std::vector<const juce::XmlElement*> pending { &root };

        while (! pending.empty())
        {
            const auto* element = pending.back();
            pending.pop_back();

            juce::StringArray propertyNames;

            for (int i = 0; i < element->getNumAttributes(); ++i)
            {
                auto name = element->getAttributeName (i);

                if (name.startsWith (binaryPrefix))
                {
                    if (! isSafeMemoryBlockText (element->getAttributeValue (i)))
                        return "The binary data of attribute \"" + name + "\" has an impossible size";

                    name = name.substring (binaryPrefix.length());
                }

                propertyNames.add (name);
            }

            propertyNames.sort (false);

            for (int i = 1; i < propertyNames.size(); ++i)
                if (propertyNames[i] == propertyNames[i - 1])
                    return "An element gives the same attribute twice";

            for (auto* child : element->getChildIterator())
                pending.push_back (child);
        }

        return {};
    }

    /** A juce::String made with String::fromUTF8 keeps whatever bytes it was given. Counted
        as bytes (JUCE's own count stops at the first broken sequence), they must all be UTF-8. */
    bool isValidUtf8 (const juce::String& text)
    {
        auto* bytes = text.toRawUTF8();
        auto numBytes = std::strlen (bytes);
        return numBytes <= (size_t) std::numeric_limits<int>::max()
            && juce::CharPointer_UTF8::isValidString (bytes, (int) numBytes);
    }
} // namespace

bool isNestedDeeperThan (const juce::String& text, int maxDepth)
{
    if (! isValidUtf8 (text))
        return true;

    return ParseWalk (text, maxDepth).run() == ParseWalk::Verdict::tooDeep;
}

bool isSafeMemoryBlockText (const juce::String& text)
{
    const auto dot = text.indexOfChar ('.');

    if (dot <= 0 || dot > 10 || ! text.substring (0, dot).containsOnly ("0123456789"))
        return false;

    const auto count = text.substring (0, dot).getLargeIntValue();
    const auto numChars = (juce::int64) text.length() - dot - 1;

    // n bytes take (8n + 5) / 6 characters.
    return count <= numChars * 6 / 8;
}

std::unique_ptr<juce::XmlElement> parse (const juce::String& text, juce::String& error)
{
    error.clear();

    if (! isValidUtf8 (text))
    {
        error = "The text is not valid UTF-8";
        return {};
    }

    switch (ParseWalk (text, maxNestingDepth).run())
    {
        case ParseWalk::Verdict::fine:
            break;

        case ParseWalk::Verdict::tooDeep:
            error = juce::String (tooDeepError) + " (more than " + juce::String (maxNestingDepth) + " levels)";
            return {};

        case ParseWalk::Verdict::documentType:
            error = "Document type declarations are not accepted";
            return {};

        case ParseWalk::Verdict::referenceCutOff:
            error = "A character reference is cut off by the end of the text";
            return {};

        case ParseWalk::Verdict::endlessLoop:
            error = "The XML cannot be read: a processing instruction inside an element stops the parser";
            return {};
    }

    juce::XmlDocument document (text);
    auto element = document.getDocumentElement();

    if (element == nullptr)
    {
        error = document.getLastParseError();

        if (error.isEmpty())
            error = "No XML element found";

        return {};
    }

    if (! closingTagsMatch (text))
    {
        error = juce::String (mismatchedTagError);
        return {};
    }

    error = findUnsafeAttribute (*element);

    if (error.isNotEmpty())
        return {};

    return element;
}

bool decodeText (const void* data, size_t numBytes, juce::String& text, juce::String& error)
{
    text.clear();
    error.clear();

    if (numBytes == 0)
        return true;

    if (data == nullptr || numBytes > (size_t) std::numeric_limits<int>::max())
    {
        error = "The data is too large to be read as text";
        return false;
    }

    auto* bytes = static_cast<const juce::uint8*> (data);

    if (numBytes >= 2 && (juce::CharPointer_UTF16::isByteOrderMarkBigEndian (bytes) || juce::CharPointer_UTF16::isByteOrderMarkLittleEndian (bytes)))
    {
        text = juce::String::createStringFromData (data, (int) numBytes);
        return true;
    }

    auto* start = reinterpret_cast<const char*> (bytes);

    if (numBytes >= 3 && juce::CharPointer_UTF8::isByteOrderMark (start))
    {
        start += 3;
        numBytes -= 3;
    }

    if (std::memchr (start, 0, numBytes) != nullptr)
    {
        error = "The data holds zero bytes, so it is not text";
        return false;
    }

    if (! juce::CharPointer_UTF8::isValidString (start, (int) numBytes))
    {
        error = "The text is not valid UTF-8";
        return false;
    }

    text = juce::String::fromUTF8 (start, (int) numBytes);
    return true;
}
} // namespace XmlGuard
