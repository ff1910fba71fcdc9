#include "app/SystemInfo.h"

namespace SystemInfo
{
static const char* const lineEnd = "\r\n";

static juce::String yesNo (bool value)
{
    return value ? "yes" : "no";
}

static juce::String pathOf (juce::File::SpecialLocationType location)
{
    return juce::File::getSpecialLocation (location).getFullPathName();
}

juce::String getSystemInfoText()
{
    using Stats = juce::SystemStats;
    juce::String text;

    text << "Time and date: " << juce::Time::getCurrentTime().toString (true, true, true, false) << lineEnd;
    text << "User logon name: " << Stats::getLogonName() << lineEnd;
    text << "Full user name: " << Stats::getFullUserName() << lineEnd;
    text << "Host name: " << Stats::getComputerName() << lineEnd;
    text << "Operating system: " << Stats::getOperatingSystemName() << lineEnd;
    text << "Locale: " << Stats::getUserLanguage() << "-" << Stats::getUserRegion() << lineEnd;
    text << "Memory size: " << Stats::getMemorySizeInMegabytes() << "MB" << lineEnd;
    text << "Number of CPUs: " << Stats::getNumCpus() << lineEnd;
    text << "CPU vendor: " << Stats::getCpuVendor() << lineEnd;
    text << "CPU speed: " << Stats::getCpuSpeedInMegahertz() << "MHz" << lineEnd;
    text << "CPU has MMX: " << yesNo (Stats::hasMMX()) << lineEnd;
    text << "CPU has SSE: " << yesNo (Stats::hasSSE()) << lineEnd;
    text << "CPU has SSE2: " << yesNo (Stats::hasSSE2()) << lineEnd;
    text << "CPU has 3DNOW: " << yesNo (Stats::has3DNow()) << lineEnd;
    text << "Found network card MAC addresses: " << getMacAddressList() << lineEnd;
    text << "Found IP addresses: " << getIpAddressList() << lineEnd;
    text << "Current working directory: " << juce::File::getCurrentWorkingDirectory().getFullPathName() << lineEnd;
    text << "Current executable file: " << pathOf (juce::File::currentExecutableFile) << lineEnd;
    text << "Current application file: " << pathOf (juce::File::currentApplicationFile) << lineEnd;
    text << "User home directory: " << pathOf (juce::File::userHomeDirectory) << lineEnd;
    text << "User documents directory: " << pathOf (juce::File::userDocumentsDirectory) << lineEnd;
    text << "User application data directory: " << pathOf (juce::File::userApplicationDataDirectory) << lineEnd;
    text << "Common application data directory: " << pathOf (juce::File::commonApplicationDataDirectory) << lineEnd;
    text << "Temp directory: " << pathOf (juce::File::tempDirectory) << lineEnd;
    text << lineEnd;

    return text;
}

/** Every address found, as its toString gives it, joined by ", ". */
template <typename AddressType>
static juce::String joinAllAddresses()
{
    juce::Array<AddressType> found;
    AddressType::findAllAddresses (found);

    juce::StringArray addresses;

    for (auto& address : found)
        addresses.add (address.toString());

    return addresses.joinIntoString (", ");
}

juce::String getMacAddressList()
{
    return joinAllAddresses<juce::MACAddress>();
}

juce::String getIpAddressList()
{
    return joinAllAddresses<juce::IPAddress>();
}
} // namespace SystemInfo
