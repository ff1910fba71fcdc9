#include "support/StandInUploadService.h"

StandInUploadService::StandInUploadService (const juce::String& mode, int status, const juce::String& body)
{
    if (mode == "none")
    {
        // A port that was free a moment ago and that nobody listens on.
        juce::StreamingSocket unused;
        unused.createListener (0, "127.0.0.1");
        port = unused.getBoundPort();
        return;
    }

    const auto script = juce::File (WIRELACE_SOURCE_DIR).getChildFile ("tests/support/stand_in_upload_service.py");

    if (! process.start (juce::StringArray { "python3", script.getFullPathName(), record.getFile().getFullPathName(),
                                             mode, juce::String (status), body },
                         juce::ChildProcess::wantStdOut))
        return;

    // The script prints its port once it listens; reading blocks until then (or until it dies).
    juce::String line;
    char c = 0;

    while (process.readProcessOutput (&c, 1) == 1 && c != '\n')
        line += c;

    port = line.getIntValue();
}

StandInUploadService::~StandInUploadService()
{
    process.kill();
    process.waitForProcessToFinish (10000);
}

juce::String StandInUploadService::getHost() const
{
    return port > 0 ? "127.0.0.1:" + juce::String (port) : juce::String();
}

juce::Array<juce::var> StandInUploadService::getRequests() const
{
    juce::Array<juce::var> requests;
    juce::StringArray lines;
    record.getFile().readLines (lines);

    for (const auto& line : lines)
        if (line.isNotEmpty())
            requests.add (juce::JSON::parse (line));

    return requests;
}

juce::MemoryBlock StandInUploadService::getPartBytes (const juce::var& part)
{
    juce::MemoryBlock bytes;
    bytes.loadFromHexString (part["hex"].toString());
    return bytes;
}
