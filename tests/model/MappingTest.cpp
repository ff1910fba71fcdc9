#include <gtest/gtest.h>

#include <limits>

#include "model/Mapping.h"
#include "support/TestHelpers.h"

TEST (MappingNumberText, HexIsWrittenLowerCaseAndReadWhereverTheTextHoldsTheMarkerElseTheLeadingDecimalHeldInRange)
{
    constexpr int maxInt = std::numeric_limits<int>::max(), minInt = std::numeric_limits<int>::min();

    for (auto [number, text] : { std::pair<int, const char*> { 0, "0x0" }, { 127, "0x7f" }, { -1, "0xffffffff" }, { minInt, "0x80000000" } })
        EXPECT_EQ (Mapping::toHexString (number) + " " + juce::String (Mapping::parseNumber (juce::String (text))), text + juce::String (" ") + juce::String (number));

    for (auto [text, number] : { std::pair<const char*, int> { "0x7F", 127 }, { "a 0x1", 0xa01 }, { "0X10", 0 }, { "0x100000010", 16 }, { "  -5x", -5 }, { "", 0 },
                                 { "%", 0 }, { "12abc", 12 }, { "+5", 0 }, { "2147483648", maxInt }, { "-99999999999", minInt } })
        EXPECT_EQ (Mapping::parseNumber (juce::String (text)), number) << text;
}

TEST (MappingKind, ParentListDecidesTheKindOfAMappingElement)
{
    auto lists = TestHelpers::parse ("<m><input-mappings><mapping/></input-mappings><output-mappings><mapping/></output-mappings><other><mapping/></other></m>");

    for (int i = 0; i < 3; ++i)
        EXPECT_EQ (Mapping::getKind (lists.getChild (i).getChild (0)), 1 - i) << i; // 1 input, 0 output, -1 neither
}
