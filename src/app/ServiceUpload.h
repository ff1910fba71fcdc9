#pragma once

#include <juce_core/juce_core.h>

/**
    Uploads a file to the remote service that validates mappings and takes bug reports, and reads
    its reply. The request and its multipart body are JUCE's (juce::URL with a file to upload,
    curl underneath); what this adds is the host, the bounds on the exchange and the refusal of
    redirects.
*/
namespace ServiceUpload
{
    enum Limits
    {
        connectionTimeoutMs = 10000,     ///< the wait for the connection, and for a stalled reply
        replyTimeLimitMs = 30000,        ///< the whole exchange, from connecting to the reply's last byte, ends within this time
        maxReplyBytes = 4 * 1024 * 1024  ///< a longer reply is not read to its end
    };

    /** The bounds uploadFile works with; the defaults are the Limits above. */
    struct Bounds
    {
        int connectionTimeoutMs = Limits::connectionTimeoutMs;
        int replyTimeLimitMs = Limits::replyTimeLimitMs;
        int maxReplyBytes = Limits::maxReplyBytes;
    };

    /** The bounds in force. */
    Bounds getBounds();

    /** Replaces the bounds, so that tests can wait seconds instead of half a minute. Message thread only. */
    void setBounds (const Bounds& newBounds);

    /** The service's host, with an optional ":port": WIRELACE_SERVICE_HOST when set and not empty, else a fixed default. */
    juce::String getHost();

    /** "http://" + getHost() + path, path starting with "/". */
    juce::String getUrl (const juce::String& path);

    /**
        Posts the file as a "multipart/form-data" body with one file part (the field name, the
        file's name, the MIME type and the file's bytes) to getUrl (path), and returns the whole
        reply body as text. Returns "" when the request fails, when the reply is a redirect (a 3xx
        status: no redirect is followed), when the exchange has not ended within the reply time limit,
        whatever the reply's pace, or when the reply is longer than the reply size limit of getBounds().
        Blocks the calling thread for at most about the reply time limit. When statusCode is given, it
        receives the reply's HTTP status (0 or less when there was no reply).
    */
    juce::String uploadFile (const juce::String& path, const juce::String& fieldName,
                             const juce::File& file, const juce::String& mimeType,
                             int* statusCode = nullptr);
}
