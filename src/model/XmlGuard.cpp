#include "model/XmlGuard.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
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

    /** An attribute value that the guard decodes itself, since the parser would take quadratic
        time over it (see ParseWalk::decodeValue). */
    struct DecodedValue
    {
        size_t element = 0;                 // the element's index, counting elements from the root in document order
        std::string name;                   // the attribute's name
        size_t replacedStart = 0;           // the bytes of the text replaced by a stand-in
        size_t replacedEnd = 0;
        bool replacedReportsError = false;  // the replaced pieces hold a reference the parser reports
        std::string bytes;                  // the value as the parser makes it: what the juce::String holds

        /** What the text handed to the parser holds in place of the replaced bytes. */
        const char* getStandIn() const noexcept { return replacedReportsError ? "&#;" : ""; }
    };

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
            endlessLoop,
            nameTooLong,
            valueTooLong,
            tooManyReferences,
            tooManyItems,
            tooManyNames,
            repeatedAttribute,
            impossibleBinary
        };

        ParseWalk (const juce::String& textToWalk, int maxDepthToAllow)
            : text (textToWalk), maxDepth (maxDepthToAllow)
        {
        }

        Verdict run()
        {
            input = text.getCharPointer();
            textBegin = input.getAddress();

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

        /** The values that run() decoded itself, in document order. */
        std::vector<DecodedValue>& getDecodedValues() noexcept { return decodedValues; }

        /** The number of elements the parser makes of the text. */
        size_t getNumElements() const noexcept { return numElements; }

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
            size_t textRunBytes = 0;        // children: bytes of the text run so far
            juce::String entityText;        // entity: the text being read
            CharPointer savedInput { nullptr };
            bool savedOutOfData = false;
        };

        /** An attribute value being decoded: what the parser appends, piece by piece. A piece
            is one turn of the parser's loop over the value (a reference or a run of text). */
        struct Decoding
        {
            struct Mark
            {
                const char* position = nullptr;
                bool reportsErrorBefore = false;
            };

            std::string bytes;
            bool reportsError = false;
            Mark lastPiece, pieceBeforeLast;

            void startPiece (CharPointer position) noexcept
            {
                pieceBeforeLast = lastPiece;
                lastPiece = { position.getAddress(), reportsError };
            }

            /** A character reference's code, appended as juce::String::operator+= (juce_wchar)
                appends it: a zero appends nothing, and any other code is written as UTF-8 would
                write it, whatever its value (surrogate halves and codes beyond Unicode alike). */
            void appendCharacter (juce::juce_wchar character)
            {
                if (character == 0)
                    return;

                char encoded[8] = {};
                juce::CharPointer_UTF8 writer (encoded);
                writer.write (character);
                bytes.append (encoded, (size_t) (writer.getAddress() - encoded));
            }
        };

        //==============================================================================
        void noteElement()
        {
            if (openElements + 1 > maxDepth)
            {
                verdict = Verdict::tooDeep;
                return;
            }

            countItem();
            currentElement = numElements++;
        }

        /** Every element, attribute and text run becomes an object of its own in the parsed
            tree and again in a juce::ValueTree: their number bounds the memory a text takes. */
        void countItem()
        {
            if (++numItems > maxItems)
                verdict = Verdict::tooManyItems;
        }

        static size_t bytesBetween (CharPointer start, CharPointer end) noexcept
        {
            return (size_t) (end.getAddress() - start.getAddress());
        }

        /** Element and attribute names: each distinct one is kept in JUCE's global string pool
            for as long as it is used, and the pool inserts every new one into a sorted array. */
        void noteName (CharPointer start, CharPointer end)
        {
            const auto numBytes = bytesBetween (start, end);

            if (numBytes > maxNameLength)
            {
                verdict = Verdict::nameTooLong;
                return;
            }

            if (distinctNames.emplace (start.getAddress(), numBytes).second && distinctNames.size() > maxDistinctNames)
                verdict = Verdict::tooManyNames;
        }

        /** The attributes of the tag just read: the same name twice (also "x" beside "base64:x",
            which juce::ValueTree::fromXml both makes property "x") is refused. Sorting keeps
            this linear in the text, unlike asking the parsed element for attribute i. */
        void checkTagAttributes()
        {
            if (tagAttributeNames.size() < 2)
                return;

            std::sort (tagAttributeNames.begin(), tagAttributeNames.end());

            if (std::adjacent_find (tagAttributeNames.begin(), tagAttributeNames.end()) != tagAttributeNames.end())
                verdict = Verdict::repeatedAttribute;
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

        /** Moves past a reference that starts at '&'; gives the text the parser would put in its
            place when that is markup (an unknown entity's name that begins with '<'). While a
            value is being decoded, the reference's text is appended to it as the parser appends it. */
        juce::String readEntity()
        {
            ++input;

            static constexpr std::pair<const char*, char> namedReferences[] = { { "amp;", '&' }, { "quot;", '"' }, { "apos;", '\'' },
                                                                                { "lt;", '<' }, { "gt;", '>' } };

            // Each name compared as the parser compares it; a first character that none of them
            // begins with (in upper case, as the comparison takes it) spares the comparisons.
            // Below 'A' no character has another upper case.
            const auto first = *input < 'A' ? *input : juce::CharacterFunctions::toUpperCase (*input);
            const bool mayBeNamed = first == 'A' || first == 'Q' || first == 'L' || first == 'G';

            for (auto& [name, character] : namedReferences)
            {
                if (! mayBeNamed)
                    break;

                auto length = (int) std::strlen (name);

                if (input.compareIgnoreCaseUpTo (juce::CharPointer_ASCII (name), length) == 0)
                {
                    input += length;

                    if (decoding != nullptr)
                        decoding->bytes += character;

                    return {}; // one character, never markup
                }
            }

            if (*input == '#')
            {
                ++input;
                juce::int64 charCode = 0;

                if (*input == 'x' || *input == 'X')
                {
                    ++input;
                    int numChars = 0;

                    while (input[0] != ';')
                    {
                        const auto hexValue = juce::CharacterFunctions::getHexDigitValue (input[0]);

                        if (hexValue < 0 || ++numChars > 8)
                        {
                            noteReportedReference();
                            break;
                        }

                        charCode = (charCode << 4) | hexValue;
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
                        const auto firstChar = input[0];

                        if (firstChar == 0)
                        {
                            noteReportedReference();
                            return {};
                        }

                        if (firstChar == ';')
                            break;

                        if (++numChars > 12)
                        {
                            noteReportedReference();
                            break;
                        }

                        // Whatever the character, as the parser counts it.
                        charCode = charCode * 10 + ((int) firstChar - '0');
                        ++input;
                    }

                    ++input;
                }
                else
                {
                    noteReportedReference();

                    if (decoding != nullptr)
                        decoding->bytes += '&';

                    return {}; // "&", never markup
                }

                if (decoding != nullptr)
                    decoding->appendCharacter ((juce::juce_wchar) charCode);

                return {}; // one character, never markup
            }

            auto closingSemiColon = input.indexOf ((juce::juce_wchar) ';');

            if (closingSemiColon < 0)
            {
                outOfData = true;

                if (decoding != nullptr)
                    decoding->bytes += '&';

                return {}; // "&", never markup
            }

            // Without a document type declaration every other name is unknown, and the
            // parser puts the name itself in the reference's place.
            const auto nameStart = input;
            input += closingSemiColon;
            const auto nameEnd = input;
            ++input;

            if (decoding != nullptr)
            {
                noteReportedReference();
                decoding->bytes.append (nameStart.getAddress(), bytesBetween (nameStart, nameEnd));
            }

            // Read as elements in a text run when it begins with '<' and holds more.
            if (*nameStart == '<' && closingSemiColon > 1)
                return { nameStart, nameEnd };

            return {};
        }

        /** A reference the parser reports as an error and then reads on past. */
        void noteReportedReference() noexcept
        {
            if (decoding != nullptr)
                decoding->reportsError = true;
        }

        /** Reads a quoted attribute value as the parser does; gives the number of references in it.
            While a value is being decoded, its plain runs are appended as the parser appends them. */
        size_t readQuotedString()
        {
            size_t numReferences = 0;
            auto quote = readNextChar();

            while (! outOfData)
            {
                if (decoding != nullptr)
                    decoding->startPiece (input);

                auto c = readNextChar();

                if (c == quote)
                    break;

                --input;

                if (c == '&')
                {
                    ++numReferences;
                    readEntity();

                    if (verdict != Verdict::fine)
                        return numReferences;
                }
                else
                {
                    const auto runStart = input;

                    for (;;)
                    {
                        auto character = *input;

                        if (character == quote)
                        {
                            appendDecoded (runStart, input);
                            ++input;
                            return numReferences;
                        }

                        if (character == '&')
                        {
                            appendDecoded (runStart, input);
                            break;
                        }

                        if (character == 0)
                        {
                            outOfData = true;
                            break;
                        }

                        ++input;
                    }
                }
            }

            return numReferences;
        }

        void appendDecoded (CharPointer start, CharPointer end)
        {
            if (decoding != nullptr)
                decoding->bytes.append (start.getAddress(), bytesBetween (start, end));
        }

        /** Checks one attribute value that readQuotedString has just read from valueStart. */
        void checkValue (CharPointer nameStart, CharPointer nameEnd, CharPointer valueStart, bool outOfDataBefore, size_t numReferences)
        {
            const auto numBytes = bytesBetween (valueStart, input);

            if (numBytes > maxValueLength)
            {
                verdict = Verdict::valueTooLong;
                return;
            }

            if (numReferences * numBytes > maxReferenceWork)
            {
                decodeValue (nameStart, nameEnd, valueStart, outOfDataBefore);

                if (verdict != Verdict::fine)
                    return;
            }

            std::string_view name (nameStart.getAddress(), bytesBetween (nameStart, nameEnd));
            static constexpr std::string_view binaryPrefixText ("base64:");

            if (name.substr (0, binaryPrefixText.size()) == binaryPrefixText)
            {
                name.remove_prefix (binaryPrefixText.size());

                // Memory-block text never holds a reference, so the value is its raw text between
                // the quotes; a value cut off by the end of the text has no closing quote.
                const auto* textStart = valueStart.getAddress();
                const auto* textEnd = input.getAddress();

                if (textStart < textEnd)
                {
                    const auto quote = *textStart++;

                    if (textStart < textEnd && textEnd[-1] == quote)
                        --textEnd;
                }

                const juce::String text { juce::CharPointer_UTF8 (textStart), juce::CharPointer_UTF8 (textEnd) };

                if (numReferences > 0 || ! isSafeMemoryBlockText (text))
                {
                    verdict = Verdict::impossibleBinary;
                    return;
                }
            }

            tagAttributeNames.push_back (name);
        }

        /**
            The parser appends to a value once per reference, and every append copies the whole
            value so far, so many references in a long value would take time in proportion to
            their number times the value's length. Such a value is decoded here instead, in one
            pass that appends exactly what the parser appends. All of its pieces but the last two
            are then replaced, in the text handed to the parser, by a stand-in after which the
            parser is where it would have been (the stand-in holds a reference the parser reports
            and reads on past when the replaced pieces held one, as such a report clears an
            earlier error). The last two pieces stay, so that whatever the parser does at the
            end of the value or of the text is done on the same characters. The decoded value
            takes the stand-in's place in the parsed tree.
        */
        void decodeValue (CharPointer nameStart, CharPointer nameEnd, CharPointer valueStart, bool outOfDataBefore)
        {
            // An entity's text is parsed from a string of its own, which cannot be rewritten.
            if (std::any_of (frames.begin(), frames.end(), [] (const Frame& frame) { return frame.isEntity; }))
            {
                verdict = Verdict::tooManyReferences;
                return;
            }

            const auto endOfValue = input;
            const auto outOfDataAfter = outOfData;

            Decoding value;
            value.bytes.reserve (bytesBetween (valueStart, endOfValue));
            input = valueStart;
            outOfData = outOfDataBefore;
            decoding = &value;
            readQuotedString();
            decoding = nullptr;

            jassert (input == endOfValue && outOfData == outOfDataAfter);
            input = endOfValue;
            outOfData = outOfDataAfter;

            const auto* replacedStart = valueStart.getAddress() + 1; // after the opening quote
            const auto& keptPieces = value.pieceBeforeLast;

            if (keptPieces.position == nullptr || keptPieces.position <= replacedStart)
                return; // two pieces at most: the parser appends no more than that

            DecodedValue decoded;
            decoded.element = currentElement;
            decoded.name.assign (nameStart.getAddress(), bytesBetween (nameStart, nameEnd));
            decoded.replacedStart = (size_t) (replacedStart - textBegin);
            decoded.replacedEnd = (size_t) (keptPieces.position - textBegin);
            decoded.replacedReportsError = keptPieces.reportsErrorBefore;
            decoded.bytes = std::move (value.bytes);
            decodedValues.push_back (std::move (decoded));
        }

        /** The parser's readNextElement up to the point where it would read the children. */
        Tag readTag()
        {
            tagAttributeNames.clear();
            const auto tag = readTagAndAttributes();

            if (verdict == Verdict::fine)
                checkTagAttributes();

            return tag;
        }

        Tag readTagAndAttributes()
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

            noteName (input, endOfToken);

            if (verdict == Verdict::fine)
                noteElement();

            if (verdict != Verdict::fine)
                return Tag::closed;

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
                    const auto nameStart = input;
                    input = findEndOfToken (input);
                    const auto nameEnd = input;
                    skipNextWhiteSpace();

                    if (readNextChar() != '=')
                        return Tag::closed;

                    skipNextWhiteSpace();
                    auto nextChar = *input;

                    if (nextChar == '"' || nextChar == '\'')
                    {
                        noteName (nameStart, nameEnd);

                        if (verdict == Verdict::fine)
                            countItem();

                        if (verdict != Verdict::fine)
                            return Tag::closed;

                        const auto valueStart = input;
                        const auto outOfDataBefore = outOfData;
                        const auto numReferences = readQuotedString();

                        if (verdict == Verdict::fine)
                            checkValue (nameStart, nameEnd, valueStart, outOfDataBefore, numReferences);

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
                frame.textRunBytes = 0;
                countItem();
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

            const auto runStart = input;

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
                {
                    auto& frame = frames.back();
                    frame.textRunBytes += bytesBetween (runStart, input);

                    if (frame.textRunBytes > maxValueLength)
                        verdict = Verdict::valueTooLong;

                    return;
                }

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
        size_t numItems = 0;
        size_t numElements = 0;
        size_t currentElement = 0;
        const char* textBegin = nullptr;
        Decoding* decoding = nullptr; // the value being decoded, if any
        std::vector<DecodedValue> decodedValues;
        std::unordered_set<std::string> distinctNames;
        std::vector<std::string_view> tagAttributeNames;
    };

    /** The bytes as a juce::String, taken as they are (the guard has checked them to be UTF-8). */
    juce::String toText (const std::string& bytes)
    {
        return { juce::CharPointer_UTF8 (bytes.c_str()), juce::CharPointer_UTF8 (bytes.c_str() + bytes.size()) };
    }

    /** The text with each decoded value's replaced bytes exchanged for its stand-in. */
    juce::String replaceDecodedValues (const juce::String& text, const std::vector<DecodedValue>& decodedValues)
    {
        const auto* bytes = text.toRawUTF8();
        std::string rewritten;
        rewritten.reserve (std::strlen (bytes));
        size_t copied = 0;

        for (auto& value : decodedValues)
        {
            rewritten.append (bytes + copied, value.replacedStart - copied);
            rewritten.append (value.getStandIn());
            copied = value.replacedEnd;
        }

        rewritten.append (bytes + copied);
        return toText (rewritten);
    }

    /**
        Gives each decoded value to its attribute in the parsed tree, in place of what the
        parser made of the stand-in and the pieces after it. Elements are visited in the order
        the parser made them, which is the order the guard counted them in; false when the tree
        does not have the elements and attributes the guard counted (which would be a fault of
        the guard's walk), so that no value lands elsewhere.
    */
    bool putBackDecodedValues (juce::XmlElement& root, std::vector<DecodedValue>& decodedValues, size_t numElements)
    {
        if (decodedValues.empty())
            return true;

        size_t elementIndex = 0, next = 0;
        bool fits = true;

        std::function<void (juce::XmlElement&)> visit = [&] (juce::XmlElement& element)
        {
            if (element.isTextElement())
                return;

            const auto index = elementIndex++;

            for (; next < decodedValues.size() && decodedValues[next].element == index; ++next)
            {
                auto& value = decodedValues[next];
                const juce::Identifier name (toText (value.name));
                const auto numAttributes = element.getNumAttributes();

                // Setting an attribute the element does not have would add one.
                element.setAttribute (name, toText (value.bytes));
                fits = fits && element.getNumAttributes() == numAttributes;
                std::string().swap (value.bytes);
            }

            for (auto* child : element.getChildIterator())
                visit (*child);
        };

        visit (root);
        return fits && next == decodedValues.size() && elementIndex == numElements;
    }

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

    /**
        True when the bytes are UTF-8 as it is defined for interchange: every character in its
        shortest form, none beyond U+10FFFF and no UTF-16 surrogate halves.
        juce::CharPointer_UTF8::isValidString lets overlong forms through ("C0 AF" decodes
        to "/"), so a text could hide markup characters from anything that looks at its bytes.
    */
    bool isStrictUtf8 (const juce::uint8* bytes, size_t numBytes) noexcept
    {
        size_t i = 0;

        while (i < numBytes)
        {
            const auto lead = bytes[i];

            if (lead < 0x80)
            {
                ++i;
                continue;
            }

            size_t length = 0;
            juce::uint8 low = 0x80, high = 0xbf; // allowed range of the second byte

            if (lead >= 0xc2 && lead <= 0xdf)       { length = 2; }
            else if (lead == 0xe0)                  { length = 3; low = 0xa0; }
            else if (lead == 0xed)                  { length = 3; high = 0x9f; }
            else if (lead >= 0xe1 && lead <= 0xef)  { length = 3; }
            else if (lead == 0xf0)                  { length = 4; low = 0x90; }
            else if (lead >= 0xf1 && lead <= 0xf3)  { length = 4; }
            else if (lead == 0xf4)                  { length = 4; high = 0x8f; }
            else                                    { return false; }

            if (numBytes - i < length || bytes[i + 1] < low || bytes[i + 1] > high)
                return false;

            for (size_t k = 2; k < length; ++k)
                if ((bytes[i + k] & 0xc0) != 0x80)
                    return false;

            i += length;
        }

        return true;
    }

    /** A juce::String made with String::fromUTF8 keeps whatever bytes it was given. Counted
        as bytes (JUCE's own count stops at the first broken sequence), they must all be UTF-8. */
    bool isValidUtf8 (const juce::String& text)
    {
        auto* bytes = text.toRawUTF8();
        return isStrictUtf8 (reinterpret_cast<const juce::uint8*> (bytes), std::strlen (bytes));
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

    ParseWalk walk (text, maxNestingDepth);

    switch (walk.run())
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

        case ParseWalk::Verdict::nameTooLong:
            error = "An element or attribute name is longer than " + juce::String (maxNameLength) + " bytes";
            return {};

        case ParseWalk::Verdict::valueTooLong:
            error = "An attribute value or text is longer than " + juce::String (maxValueLength) + " bytes";
            return {};

        case ParseWalk::Verdict::tooManyReferences:
            error = "An attribute value holds too many character or entity references for its length";
            return {};

        case ParseWalk::Verdict::tooManyItems:
            error = "The XML holds more than " + juce::String (maxItems) + " elements, attributes and texts";
            return {};

        case ParseWalk::Verdict::tooManyNames:
            error = "The XML uses more than " + juce::String (maxDistinctNames) + " different element and attribute names";
            return {};

        case ParseWalk::Verdict::repeatedAttribute:
            error = "An element gives the same attribute twice";
            return {};

        case ParseWalk::Verdict::impossibleBinary:
            error = "The binary data of a \"base64:\" attribute has an impossible size";
            return {};
    }

    auto& decodedValues = walk.getDecodedValues();
    std::unique_ptr<juce::XmlElement> element;

    {
        juce::XmlDocument document (decodedValues.empty() ? text : replaceDecodedValues (text, decodedValues));
        element = document.getDocumentElement();

        if (element == nullptr)
        {
            error = document.getLastParseError();

            if (error.isEmpty())
                error = "No XML element found";

            return {};
        }
    }

    if (! putBackDecodedValues (*element, decodedValues, walk.getNumElements()))
    {
        error = "The XML cannot be read: its decoded attribute values do not fit the parsed elements";
        return {};
    }

    if (! closingTagsMatch (text))
    {
        error = juce::String (mismatchedTagError);
        return {};
    }

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

    if (! isStrictUtf8 (reinterpret_cast<const juce::uint8*> (start), numBytes))
    {
        error = "The text is not valid UTF-8";
        return false;
    }

    text = juce::String::fromUTF8 (start, (int) numBytes);
    return true;
}
} // namespace XmlGuard
