#pragma once

#include <juce_core/juce_core.h>

/**
    The block of text that describes the machine and the program's surroundings, written to
    the log at every start so that a bug report tells on what system it was made.
    Every value is read from JUCE's system services at the moment of the call.
*/
namespace SystemInfo
{
    /**
        The whole block: 24 lines of a label and a value, each ended by "\r\n", followed by one
        more "\r\n". Values JUCE returns empty leave their label alone on its line.
    */
    juce::String getSystemInfoText();

    /** Every network card MAC address JUCE finds ("00-11-22-33-44-55"), joined by ", "; empty when there is none. */
    juce::String getMacAddressList();

    /** Every IPv4 address JUCE finds ("192.168.0.2"), joined by ", "; empty when there is none. */
    juce::String getIpAddressList();
}
