#include "app/ServiceUpload.h"

namespace
{
    // The service is not part of this program; a reserved name that never resolves stands in for it.
    const char* const defaultHost = "wirelace.invalid";

    ServiceUpload::Bounds bounds;
}

ServiceUpload::Bounds ServiceUpload::getBounds()
{
    return bounds;
}

void ServiceUpload::setBounds (const Bounds& newBounds)
{
    bounds = newBounds;
}

juce::String ServiceUpload::getHost()
{
    const auto fromEnvironment = juce::SystemStats::getEnvironmentVariable ("WIRELACE_SERVICE_HOST", {}).trim();
    return fromEnvironment.isNotEmpty() ? fromEnvironment : juce::String (defaultHost);
}

juce::String ServiceUpload::getUrl (const juce::String& path)
{
    return "http://" + getHost() + path;
}

juce::String ServiceUpload::uploadFile (const juce::String& path, const juce::String& fieldName,
                                        const juce::File& file, const juce::String& mimeType,
                                        int* statusCode)
{
    if (statusCode != nullptr)
        *statusCode = 0;

    const auto url = juce::URL (getUrl (path)).withFileToUpload (fieldName, file, mimeType);
    const auto stream = url.createInputStream (juce::URL::InputStreamOptions (juce::URL::ParameterHandling::inPostData)
                                                   .withConnectionTimeoutMs (bounds.connectionTimeoutMs)
                                                   .withStatusCode (statusCode));

    if (stream == nullptr)
        return {};

    // curl gives up on a stalled reply after the connection time-out; a reply that trickles on
    // for ever, or grows without end, is cut off here.
    const auto started = juce::Time::getMillisecondCounter();
    juce::MemoryOutputStream reply;
    char buffer[8192];

    while (! stream->isExhausted())
    {
        const auto numRead = stream->read (buffer, (int) sizeof (buffer));

        if (numRead <= 0)
        {
            if (stream->isExhausted())
                break;

            return {};
        }

        reply.write (buffer, (size_t) numRead);

        if (reply.getDataSize() > (size_t) bounds.maxReplyBytes
            || juce::Time::getMillisecondCounter() - started > (juce::uint32) bounds.replyTimeLimitMs)
            return {};
    }

    return juce::MemoryInputStream (reply.getData(), reply.getDataSize(), false).readEntireStreamAsString();
}
