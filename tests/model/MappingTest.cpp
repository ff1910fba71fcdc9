#include <gtest/gtest.h>

#include <limits>

#include "model/InputMapping.h"
#include "model/OutputMapping.h"

namespace
{
    juce::ValueTree parse (const char* xml)
    {
        auto tree = juce::ValueTree::fromXml (juce::String (xml));
        EXPECT_TRUE (tree.isValid()) << xml;
        return tree;
    }

    int readText (const char* text)
    {
        return Mapping::parseNumber (juce::var (juce::String (text)));
    }
}

TEST (MappingNumberText, HexTextIsLowerCaseWithoutLeadingZeros)
{
    EXPECT_EQ (Mapping::toHexString (0), "0x0");
    EXPECT_EQ (Mapping::toHexString (1), "0x1");
    EXPECT_EQ (Mapping::toHexString (16), "0x10");
    EXPECT_EQ (Mapping::toHexString (127), "0x7f");
    EXPECT_EQ (Mapping::toHexString (-1), "0xffffffff");
    EXPECT_EQ (Mapping::toHexString (std::numeric_limits<int>::min()), "0x80000000");
}

TEST (MappingNumberText, TextWithHexMarkerReadsAsHexElseAsLeadingDecimal)
{
    EXPECT_EQ (readText ("0x10"), 16);
    EXPECT_EQ (readText ("16"), 16);
    EXPECT_EQ (readText ("0x01"), 1);
    EXPECT_EQ (readText ("0x7F"), 127);
    EXPECT_EQ (readText ("0xffffffff"), -1);
    EXPECT_EQ (readText ("-5"), -5);
    EXPECT_EQ (readText (""), 0);
    EXPECT_EQ (readText ("%"), 0);
    EXPECT_EQ (readText ("12abc"), 12);
    EXPECT_EQ (readText ("  42"), 42);
    EXPECT_EQ (readText ("+5"), 0);

    // "0x" anywhere makes every hexadecimal digit count, other characters skipped.
    EXPECT_EQ (readText ("a0x1"), 0xa01);
    EXPECT_EQ (readText ("1 0x 2"), 0x102);

    // Only the lower-case marker counts.
    EXPECT_EQ (readText ("0X10"), 0);

    // Stored integers (plain messages, durations) and missing properties.
    EXPECT_EQ (Mapping::parseNumber (juce::var (500)), 500);
    EXPECT_EQ (Mapping::parseNumber (juce::var (-3)), -3);
    EXPECT_EQ (Mapping::parseNumber (juce::var()), 0);

    for (int n : { 0, 1, 9, 10, 127, 128, 65535, -1, -128, std::numeric_limits<int>::max(), std::numeric_limits<int>::min() })
        EXPECT_EQ (Mapping::parseNumber (Mapping::toHexString (n)), n) << n;
}

TEST (MappingNumberText, OverlongNumbersAreHeldNotWrapped)
{
    constexpr int maxInt = std::numeric_limits<int>::max();
    constexpr int minInt = std::numeric_limits<int>::min();

    EXPECT_EQ (readText ("2147483647"), maxInt);
    EXPECT_EQ (readText ("2147483648"), maxInt);
    EXPECT_EQ (readText ("4294967295"), maxInt);
    EXPECT_EQ (readText ("99999999999"), maxInt);
    EXPECT_EQ (readText ("999999999999999999999999999999"), maxInt);
    EXPECT_EQ (readText ("-2147483648"), minInt);
    EXPECT_EQ (readText ("-99999999999"), minInt);
    EXPECT_EQ (Mapping::parseNumber (juce::var ((juce::int64) 10000000000LL)), maxInt);

    // Hexadecimal text keeps its lowest eight digits.
    EXPECT_EQ (readText ("0xffffffffff"), -1);
    EXPECT_EQ (readText ("0x100000010"), 16);
}

TEST (MappingNumberText, ClampKeepsMidiNumbersInRange)
{
    EXPECT_EQ (Mapping::clampMidiValue (-1), 0);
    EXPECT_EQ (Mapping::clampMidiValue (std::numeric_limits<int>::min()), 0);
    EXPECT_EQ (Mapping::clampMidiValue (0), 0);
    EXPECT_EQ (Mapping::clampMidiValue (64), 64);
    EXPECT_EQ (Mapping::clampMidiValue (127), 127);
    EXPECT_EQ (Mapping::clampMidiValue (128), 127);
    EXPECT_EQ (Mapping::clampMidiValue (std::numeric_limits<int>::max()), 127);
}

TEST (MappingKind, ParentListDecidesTheKind)
{
    auto lists = parse ("<mappings><input-mappings><mapping/></input-mappings>"
                        "<output-mappings><mapping/></output-mappings><other><mapping/></other></mappings>");

    auto input = lists.getChild (0).getChild (0);
    auto output = lists.getChild (1).getChild (0);

    EXPECT_EQ (Mapping::getKind (input), 1);
    EXPECT_EQ (Mapping::getKind (output), 0);
    EXPECT_EQ (Mapping::getKind (lists.getChild (2).getChild (0)), -1);
    EXPECT_EQ (Mapping::getKind (parse ("<mapping/>")), -1);
    EXPECT_EQ (Mapping::getKind (juce::ValueTree()), -1);

    // A mapping taken out of its list is no longer of either kind, and its view still works.
    InputMapping view (input);
    lists.getChild (0).removeChild (input, nullptr);
    EXPECT_EQ (Mapping::getKind (view.getValueTree()), -1);
    EXPECT_EQ (view.getNumMidi(), 0);
}

TEST (MappingKind, ViewsAnswerTheirDirectionAndShareTheElement)
{
    auto element = parse ("<mapping><control alias=\"a\"/></mapping>");
    InputMapping input (element);
    OutputMapping output (element);

    EXPECT_TRUE (input.isInput());
    EXPECT_FALSE (input.isOutput());
    EXPECT_TRUE (input.isInputOrOutput());
    EXPECT_TRUE (output.isOutput());
    EXPECT_FALSE (output.isInput());
    EXPECT_TRUE (output.isInputOrOutput());

    EXPECT_EQ (input.getValueTree(), element);
    EXPECT_EQ (output.getValueTree(), element);
}
