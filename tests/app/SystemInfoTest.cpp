#include "app/SystemInfo.h"
#include "support/TestHelpers.h"

TEST (SystemInfo, BlockHoldsTheTwentyFourLabelledLinesInOrderEndedByCrLfAndAnEmptyLine)
{
    using Stats = juce::SystemStats;
    const auto yesNo = [] (bool b) { return juce::String (b ? "yes" : "no"); };
    const auto path = [] (juce::File::SpecialLocationType type) { return juce::File::getSpecialLocation (type).getFullPathName(); };
    juce::StringArray macs, ips; // every address found, joined by ", "

    for (auto& mac : juce::MACAddress::getAllAddresses())
        macs.add (mac.toString());

    for (auto& ip : juce::IPAddress::getAllAddresses())
        ips.add (ip.toString());

    // The local time with a twelve-hour clock and seconds, such as "5 Dec 2026 2:07:09pm".
    const auto before = juce::Time::getCurrentTime().toString (true, true, true, false);
    const auto text = SystemInfo::getSystemInfoText();
    const auto time = text.upToFirstOccurrenceOf ("\r\n", false, false).fromFirstOccurrenceOf ("Time and date: ", false, false);
    EXPECT_TRUE (time == before || time == juce::Time::getCurrentTime().toString (true, true, true, false)) << time;

    EXPECT_EQ (text, "Time and date: " + time + "\r\n"
                     "User logon name: " + Stats::getLogonName() + "\r\n"
                     "Full user name: " + Stats::getFullUserName() + "\r\n"
                     "Host name: " + Stats::getComputerName() + "\r\n"
                     "Operating system: " + Stats::getOperatingSystemName() + "\r\n"
                     "Locale: " + Stats::getUserLanguage() + "-" + Stats::getUserRegion() + "\r\n"
                     "Memory size: " + juce::String (Stats::getMemorySizeInMegabytes()) + "MB\r\n"
                     "Number of CPUs: " + juce::String (Stats::getNumCpus()) + "\r\n"
                     "CPU vendor: " + Stats::getCpuVendor() + "\r\n"
                     "CPU speed: " + juce::String (Stats::getCpuSpeedInMegahertz()) + "MHz\r\n"
                     "CPU has MMX: " + yesNo (Stats::hasMMX()) + "\r\n"
                     "CPU has SSE: " + yesNo (Stats::hasSSE()) + "\r\n"
                     "CPU has SSE2: " + yesNo (Stats::hasSSE2()) + "\r\n"
                     "CPU has 3DNOW: " + yesNo (Stats::has3DNow()) + "\r\n"
                     "Found network card MAC addresses: " + macs.joinIntoString (", ") + "\r\n"
                     "Found IP addresses: " + ips.joinIntoString (", ") + "\r\n"
                     "Current working directory: " + juce::File::getCurrentWorkingDirectory().getFullPathName() + "\r\n"
                     "Current executable file: " + path (juce::File::currentExecutableFile) + "\r\n"
                     "Current application file: " + path (juce::File::currentApplicationFile) + "\r\n"
                     "User home directory: " + path (juce::File::userHomeDirectory) + "\r\n"
                     "User documents directory: " + path (juce::File::userDocumentsDirectory) + "\r\n"
                     "User application data directory: " + path (juce::File::userApplicationDataDirectory) + "\r\n"
                     "Common application data directory: " + path (juce::File::commonApplicationDataDirectory) + "\r\n"
                     "Temp directory: " + path (juce::File::tempDirectory) + "\r\n\r\n");
}
