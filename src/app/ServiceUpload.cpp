#include "app/ServiceUpload.h"

#include <thread>

namespace
{
    // The service is not part of this program; a reserved name that never resolves stands in for it.
    const char* const defaultHost = "wirelace.invalid";

    ServiceUpload::Bounds bounds;

    /** One request and its reply, read on a thread of its own so that the caller can give up on it at a fixed time. */
    struct Exchange
    {
        /** Connects and reads the reply to its end, or until it is past the size bound or the stream is cancelled. Runs on the reading thread. */
        void run (juce::WebInputStream& stream, int maxReplyBytes)
        {
            const auto connected = stream.connect (nullptr);
            statusCode = stream.getStatusCode();

            // Redirects are not followed (curl would send a GET without the upload to wherever one points): a 3xx reply is a failed upload.
            if (! connected || statusCode / 100 == 3)
                return;

            char buffer[8192];

            for (;;)
            {
                const auto numRead = stream.read (buffer, (int) sizeof (buffer));

                if (numRead <= 0)
                    break;

                reply.write (buffer, (size_t) numRead);

                if (reply.getDataSize() > (size_t) maxReplyBytes)
                    return;
            }

            // A reply cut off by curl (a stall, a dropped connection) or by a cancel is no reply.
            complete = ! stream.isError();
        }

        juce::MemoryOutputStream reply;
        int statusCode = 0;
        bool complete = false;
    };
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

    const auto limits = bounds;
    juce::WebInputStream stream (juce::URL (getUrl (path)).withFileToUpload (fieldName, file, mimeType), true);
    stream.withConnectionTimeout (limits.connectionTimeoutMs).withNumRedirectsToFollow (0);

    // curl bounds the connection and gives up on a stalled reply, but a reply that keeps trickling
    // keeps a read (or the headers) going for as long as it likes. The exchange runs on a thread of
    // its own; at the time limit it is cancelled, which closes the connection under the stream's own
    // lock, and the reading thread stops once its wait on the socket ends (a fraction of a second).
    // Everything it uses lives in this frame, and the thread has ended before this returns.
    Exchange exchange;
    juce::WaitableEvent finished;
    std::thread reader;

    try
    {
        reader = std::thread ([&] { exchange.run (stream, limits.maxReplyBytes); finished.signal(); });
    }
    catch (const std::system_error&)
    {
        return {};
    }

    const auto inTime = finished.wait (juce::jmax (0, limits.replyTimeLimitMs));

    if (! inTime)
        stream.cancel();

    reader.join();

    if (statusCode != nullptr)
        *statusCode = exchange.statusCode;

    if (! inTime || ! exchange.complete)
        return {};

    return juce::MemoryInputStream (exchange.reply.getData(), exchange.reply.getDataSize(), false).readEntireStreamAsString();
}
