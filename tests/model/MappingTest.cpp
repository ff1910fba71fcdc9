#include <gtest/gtest.h>

#include <limits>

#include "model/InputMapping.h"
#include "model/OutputMapping.h"
#include "support/TestHelpers.h"

namespace
{
    constexpr int maxInt = std::numeric_limits<int>::max(), minInt = std::numeric_limits<int>::min();
}

TEST (MappingNumberText, HexIsWrittenLowerCaseAndTextIsReadAsHexWhenItHoldsTheMarkerElseAsLeadingDecimal)
{
    for (auto [number, text] : { std::pair<int, const char*> { 0, "0x0" }, { 16, "0x10" }, { 127, "0x7f" },
                                 { -1, "0xffffffff" }, { minInt, "0x80000000" }, { maxInt, "0x7fffffff" } })
    {
        EXPECT_EQ (Mapping::toHexString (number), text);
        EXPECT_EQ (Mapping::parseNumber (Mapping::toHexString (number)), number) << text;
    }

    struct Row { const char* text; int number; };

    // Hex: every hex digit counts once "0x" is anywhere (only the lower-case marker), the lowest
    // eight digits are kept. Decimal: leading blanks, a sign "-", then digits, held at the int range.
    for (auto row : { Row { "0x01", 1 }, { "0x7F", 127 }, { "a0x1", 0xa01 }, { "1 0x 2", 0x102 }, { "0X10", 0 },
                      { "0xffffffffff", -1 }, { "0x100000010", 16 }, { "16", 16 }, { "-5", -5 }, { "", 0 },
                      { "%", 0 }, { "12abc", 12 }, { "  42", 42 }, { "+5", 0 }, { "2147483648", maxInt },
                      { "999999999999999999999999999999", maxInt }, { "-2147483648", minInt }, { "-99999999999", minInt } })
        EXPECT_EQ (Mapping::parseNumber (juce::String (row.text)), row.number) << row.text;

    // Stored integers (plain messages, durations) and missing properties.
    EXPECT_EQ (Mapping::parseNumber (500), 500);
    EXPECT_EQ (Mapping::parseNumber (juce::var ((juce::int64) 10000000000LL)), maxInt);
    EXPECT_EQ (Mapping::parseNumber (juce::var()), 0);
}

TEST (MappingKind, ParentListDecidesTheKindAndTheViewsShareTheElement)
{
    auto lists = TestHelpers::parse ("<mappings><input-mappings><mapping/></input-mappings>"
                                     "<output-mappings><mapping/></output-mappings><other><mapping/></other></mappings>");
    auto input = lists.getChild (0).getChild (0);

    EXPECT_EQ (Mapping::getKind (input), 1);
    EXPECT_EQ (Mapping::getKind (lists.getChild (1).getChild (0)), 0);
    EXPECT_EQ (Mapping::getKind (lists.getChild (2).getChild (0)), -1);
    EXPECT_EQ (Mapping::getKind (juce::ValueTree()), -1);

    InputMapping inputView (input);
    OutputMapping outputView (input);
    EXPECT_TRUE (inputView.isInput() && ! inputView.isOutput() && inputView.isInputOrOutput());
    EXPECT_TRUE (outputView.isOutput() && ! outputView.isInput() && outputView.isInputOrOutput());
    EXPECT_EQ (outputView.getValueTree(), input);

    // A mapping taken out of its list is of neither kind, and its view still works.
    lists.getChild (0).removeChild (input, nullptr);
    EXPECT_EQ (Mapping::getKind (inputView.getValueTree()), -1);
    EXPECT_EQ (inputView.getNumMidi(), 0);
}
