#pragma once

#include <juce_core/juce_core.h>

/**
    A stand-in for the remote upload service: tests/support/stand_in_upload_service.py run by
    python3 on 127.0.0.1, on a port the system chooses, stopped with this object. It parses every
    upload as multipart/form-data and records it; see the script for the ways it answers.
*/
class StandInUploadService
{
public:
    /**
        mode: "reply" (with the status and body), "slow" (the same after a minute), "flood" or
        "trickle" (the body, then bytes without end), or "none": no service at all, only a free
        port on which nobody listens. "{host}" in the body stands for getHost().
    */
    explicit StandInUploadService (const juce::String& mode, int status = 200, const juce::String& body = {});
    ~StandInUploadService();

    /** "127.0.0.1:port", for WIRELACE_SERVICE_HOST; empty when the service did not start. */
    juce::String getHost() const;

    /** One object per request, in order: "path" and "parts", each part with "name", "filename", "type" and "hex". */
    juce::Array<juce::var> getRequests() const;

    /** The bytes of a part of a recorded request. */
    static juce::MemoryBlock getPartBytes (const juce::var& part);

private:
    juce::ChildProcess process;
    juce::TemporaryFile record;
    int port = 0;
};
