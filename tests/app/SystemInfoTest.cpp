#include <gtest/gtest.h>

#include "app/SystemInfo.h"
#include "support/TestHelpers.h"

TEST (SystemInfo, BlockHoldsTheTwentyFourLabelledLinesInOrderEndedByCrLfAndAnEmptyLine)
{
    using Stats = juce::SystemStats;
    auto yesNo = [] (bool b) { return juce::String (b ? "yes" : "no"); };
    auto path = [] (juce::File::SpecialLocationType type) { return juce::File::getSpecialLocation (type).getFullPathName(); };

    const std::pair<const char*, juce::String> rows[] = {
        { "Time and date: ", {} }, // checked below
        { "User logon name: ", Stats::getLogonName() },
        { "Full user name: ", Stats::getFullUserName() },
        { "Host name: ", Stats::getComputerName() },
        { "Operating system: ", Stats::getOperatingSystemName() },
        { "Locale: ", Stats::getUserLanguage() + "-" + Stats::getUserRegion() },
        { "Memory size: ", juce::String (Stats::getMemorySizeInMegabytes()) + "MB" },
        { "Number of CPUs: ", juce::String (Stats::getNumCpus()) },
        { "CPU vendor: ", Stats::getCpuVendor() },
        { "CPU speed: ", juce::String (Stats::getCpuSpeedInMegahertz()) + "MHz" },
        { "CPU has MMX: ", yesNo (Stats::hasMMX()) },
        { "CPU has SSE: ", yesNo (Stats::hasSSE()) },
        { "CPU has SSE2: ", yesNo (Stats::hasSSE2()) },
        { "CPU has 3DNOW: ", yesNo (Stats::has3DNow()) },
        { "Found network card MAC addresses: ", SystemInfo::getMacAddressList() },
        { "Found IP addresses: ", SystemInfo::getIpAddressList() },
        { "Current working directory: ", juce::File::getCurrentWorkingDirectory().getFullPathName() },
        { "Current executable file: ", path (juce::File::currentExecutableFile) },
        { "Current application file: ", path (juce::File::currentApplicationFile) },
        { "User home directory: ", path (juce::File::userHomeDirectory) },
        { "User documents directory: ", path (juce::File::userDocumentsDirectory) },
        { "User application data directory: ", path (juce::File::userApplicationDataDirectory) },
        { "Common application data directory: ", path (juce::File::commonApplicationDataDirectory) },
        { "Temp directory: ", path (juce::File::tempDirectory) },
    };

    const auto text = SystemInfo::getSystemInfoText();
    ASSERT_TRUE (text.endsWith ("\r\n\r\n") && ! text.endsWith ("\r\n\r\n\r\n"));
    EXPECT_EQ (text.replace ("\r\n", "").indexOfAnyOf ("\r\n"), -1) << "no line break but CR LF";

    auto lines = juce::StringArray::fromTokens (text.dropLastCharacters (4).replace ("\r\n", "\n"), "\n", "");
    ASSERT_EQ (lines.size(), (int) std::size (rows));

    for (int i = 1; i < lines.size(); ++i)
        EXPECT_EQ (lines[i], rows[i].first + rows[i].second);

    // The local date with a twelve-hour clock and seconds, such as "5 Dec 2026 2:07:09pm".
    const auto time = juce::StringArray::fromTokens (lines[0].fromFirstOccurrenceOf (rows[0].first, false, false), " ", "");
    ASSERT_EQ (time.size(), 4) << lines[0];
    EXPECT_TRUE (lines[0].startsWith (rows[0].first) && time[0].containsOnly ("0123456789") && time[1].length() == 3 && time[2].length() == 4);
    EXPECT_TRUE (time[3].matchesWildcard ("*:??:???m", false) && time[3].getIntValue() <= 12) << lines[0];

    // Every address found, joined with ", "; this machine has at least the loopback address.
    juce::Array<juce::IPAddress> ips;
    juce::IPAddress::findAllAddresses (ips);
    ASSERT_FALSE (ips.isEmpty());
    EXPECT_EQ (SystemInfo::getIpAddressList().indexOf (ips[0].toString() + (ips.size() > 1 ? ", " + ips[1].toString() : juce::String())), 0);
    juce::Array<juce::MACAddress> macs;
    juce::MACAddress::findAllAddresses (macs);
    EXPECT_EQ (SystemInfo::getMacAddressList().length(), macs.size() * 19 - (macs.isEmpty() ? 0 : 2));
}

// Run by the next case in a process without network interfaces.
TEST (SystemInfoWithoutNetwork, DISABLED_AddressLinesEndAfterTheirLabels)
{
    EXPECT_TRUE (SystemInfo::getSystemInfoText().contains ("\r\nFound network card MAC addresses: \r\nFound IP addresses: \r\nCurrent working directory: "));
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
