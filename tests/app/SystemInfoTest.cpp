#include <gtest/gtest.h>

#include "app/SystemInfo.h"
#include "support/TestHelpers.h"

namespace
{
    const char* const expectedLabels[] = {
        "Time and date: ",
        "User logon name: ",
        "Full user name: ",
        "Host name: ",
        "Operating system: ",
        "Locale: ",
        "Memory size: ",
        "Number of CPUs: ",
        "CPU vendor: ",
        "CPU speed: ",
        "CPU has MMX: ",
        "CPU has SSE: ",
        "CPU has SSE2: ",
        "CPU has 3DNOW: ",
        "Found network card MAC addresses: ",
        "Found IP addresses: ",
        "Current working directory: ",
        "Current executable file: ",
        "Current application file: ",
        "User home directory: ",
        "User documents directory: ",
        "User application data directory: ",
        "Common application data directory: ",
        "Temp directory: ",
    };

    /** Splits the block at "\r\n"; the block's final "\r\n\r\n" gives one empty line and an empty rest. */
    juce::StringArray splitLines (const juce::String& text)
    {
        juce::StringArray lines;
        auto rest = text;

        while (rest.contains ("\r\n"))
        {
            lines.add (rest.upToFirstOccurrenceOf ("\r\n", false, false));
            rest = rest.fromFirstOccurrenceOf ("\r\n", false, false);
        }

        lines.add (rest);
        return lines;
    }

    juce::String valueOf (const juce::StringArray& lines, int index)
    {
        return lines[index].substring (juce::String (expectedLabels[index]).length());
    }
}

TEST (SystemInfo, BlockHoldsTheTwentyFourLabelledLinesInOrderEndedByCrLfAndAnEmptyLine)
{
    const auto text = SystemInfo::getSystemInfoText();

    EXPECT_TRUE (text.endsWith ("\r\n\r\n"));
    EXPECT_FALSE (text.endsWith ("\r\n\r\n\r\n"));

    // No line break other than CR LF.
    EXPECT_EQ (text.replace ("\r\n", "").indexOfAnyOf ("\r\n"), -1);

    const auto lines = splitLines (text);
    ASSERT_EQ (lines.size(), 26); // 24 labelled lines, the empty line, and nothing after the last CR LF
    EXPECT_TRUE (lines[24].isEmpty());
    EXPECT_TRUE (lines[25].isEmpty());

    for (int i = 0; i < 24; ++i)
        EXPECT_TRUE (lines[i].startsWith (expectedLabels[i])) << "line " << i + 1 << ": " << lines[i];
}

TEST (SystemInfo, NumbersAreWrittenWithTheirUnitsAndNoBlank)
{
    const auto lines = splitLines (SystemInfo::getSystemInfoText());
    ASSERT_GE (lines.size(), 24);

    EXPECT_EQ (valueOf (lines, 6), juce::String (juce::SystemStats::getMemorySizeInMegabytes()) + "MB");
    EXPECT_EQ (valueOf (lines, 7), juce::String (juce::SystemStats::getNumCpus()));
    EXPECT_EQ (valueOf (lines, 9), juce::String (juce::SystemStats::getCpuSpeedInMegahertz()) + "MHz");
    EXPECT_FALSE (valueOf (lines, 6).contains (" "));
    EXPECT_FALSE (valueOf (lines, 9).contains (" "));

    for (int i = 10; i <= 13; ++i)
        EXPECT_TRUE (valueOf (lines, i) == "yes" || valueOf (lines, i) == "no") << lines[i];

    EXPECT_EQ (valueOf (lines, 5), juce::SystemStats::getUserLanguage() + "-" + juce::SystemStats::getUserRegion());
    EXPECT_EQ (valueOf (lines, 19), juce::File::getSpecialLocation (juce::File::userHomeDirectory).getFullPathName());
    EXPECT_EQ (valueOf (lines, 23), juce::File::getSpecialLocation (juce::File::tempDirectory).getFullPathName());
    EXPECT_EQ (valueOf (lines, 17), juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName());
}

TEST (SystemInfo, TimeIsTheLocalDateWithTwelveHourClockAndSeconds)
{
    const auto lines = splitLines (SystemInfo::getSystemInfoText());
    const auto value = valueOf (lines, 0);

    // For example "5 Dec 2026 2:07:09pm".
    const auto parts = juce::StringArray::fromTokens (value, " ", "");
    ASSERT_EQ (parts.size(), 4) << value;
    EXPECT_TRUE (parts[0].containsOnly ("0123456789"));
    EXPECT_EQ (parts[1].length(), 3);
    EXPECT_EQ (parts[2].length(), 4);
    EXPECT_TRUE (parts[3].endsWith ("am") || parts[3].endsWith ("pm")) << value;
    EXPECT_EQ (juce::StringArray::fromTokens (parts[3], ":", "").size(), 3) << value;
    EXPECT_LE (parts[3].upToFirstOccurrenceOf (":", false, false).getIntValue(), 12);
}

TEST (SystemInfo, AddressListsJoinEveryAddressFoundWithCommaAndBlank)
{
    juce::Array<juce::MACAddress> macs;
    juce::MACAddress::findAllAddresses (macs);
    juce::Array<juce::IPAddress> ips;
    juce::IPAddress::findAllAddresses (ips);

    const auto macList = SystemInfo::getMacAddressList();
    const auto ipList = SystemInfo::getIpAddressList();

    EXPECT_FALSE (macList.endsWith (", "));
    EXPECT_FALSE (ipList.endsWith (", "));
    EXPECT_FALSE (macList.startsWith (","));

    const auto macParts = juce::StringArray::fromTokens (macList, ",", "");
    EXPECT_EQ (macList.isEmpty() ? 0 : macParts.size(), macs.size()) << macList;

    for (int i = 0; i < macs.size(); ++i)
    {
        EXPECT_EQ (macParts[i].trimStart(), macs[i].toString());
        EXPECT_EQ (macParts[i].length(), i == 0 ? 17 : 18); // "00-11-22-33-44-55", later ones after a blank
    }

    const auto ipParts = juce::StringArray::fromTokens (ipList, ",", "");
    EXPECT_EQ (ipList.isEmpty() ? 0 : ipParts.size(), ips.size()) << ipList;

    for (int i = 0; i < ips.size(); ++i)
    {
        EXPECT_EQ (ipParts[i], (i == 0 ? "" : " ") + ips[i].toString());
        EXPECT_EQ (juce::StringArray::fromTokens (ipParts[i].trim(), ".", "").size(), 4);
    }

    // This machine has at least the loopback address, so the list is not empty and the block carries it.
    EXPECT_FALSE (ips.isEmpty());
    EXPECT_TRUE (SystemInfo::getSystemInfoText().contains ("\r\nFound IP addresses: " + ipList + "\r\n"));
}

// Run by the next case in a process without network interfaces.
TEST (SystemInfoWithoutNetwork, DISABLED_AddressLinesEndAfterTheirLabels)
{
    EXPECT_EQ (SystemInfo::getMacAddressList(), "");
    EXPECT_EQ (SystemInfo::getIpAddressList(), "");

    const auto text = SystemInfo::getSystemInfoText();
    EXPECT_TRUE (text.contains ("\r\nFound network card MAC addresses: \r\nFound IP addresses: \r\nCurrent working directory: ")) << text;
}

TEST (SystemInfo, MachineWithoutNetworkGivesEmptyAddressLines)
{
    int exitCode = 0;
    const auto output = TestHelpers::runTestsInChildProcess ("SystemInfoWithoutNetwork.*", exitCode, { "unshare", "-n" });

    if (output.startsWith ("unshare:") || (exitCode != 0 && ! output.contains ("[ RUN      ]")))
        GTEST_SKIP() << "no network namespace can be made here: " << output;

    EXPECT_EQ (exitCode, 0) << output;
    EXPECT_TRUE (output.contains ("[  PASSED  ] 1 test.")) << output;
}
