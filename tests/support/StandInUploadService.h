#pragma once

#include "app/ServiceUpload.h"
#include "support/TestHelpers.h"

/**
    While it lives, the upload service is stand_in_upload_service.py on 127.0.0.1, the upload bounds are the given ones and the
    temporary folder is one of its own. The script parses each upload with a real multipart parser and records, per part, "path
    field *.extension content-type", a line end, the bytes and a line end. It answers the status and body ("{host}" stands for
    127.0.0.1:port) at once ("reply"), after a minute ("slow"), or followed by bytes without end as fast as they are read ("flood")
    or 512 every 20 ms ("trickle"). For "none" nothing runs: the port was free a moment ago, and nobody listens on it.
*/
struct StandInUploadService
{
    explicit StandInUploadService (const juce::String& mode, int status = 200, const juce::String& body = {}, ServiceUpload::Bounds bounds = {})
    {
        juce::StreamingSocket unused;
        if (mode == "none" && unused.createListener (0, "127.0.0.1"))
            port = unused.getBoundPort();
        else if (mode != "none" && process.start ({ "python3", WIRELACE_SOURCE_DIR "/tests/support/stand_in_upload_service.py", record.getFile().getFullPathName(), mode, juce::String (status), body }, juce::ChildProcess::wantStdOut))
            for (char c = 0; process.readProcessOutput (&c, 1) == 1 && c != '\n';) // blocks until it listens
                port = port * 10 + c - '0';

        ::setenv ("WIRELACE_SERVICE_HOST", ("127.0.0.1:" + juce::String (port)).toRawUTF8(), 1);
        ::setenv ("TMPDIR", temporaryFolder.getFolder().getFullPathName().toRawUTF8(), 1);
        ServiceUpload::setBounds (bounds);
    }

    ~StandInUploadService()
    {
        process.kill();
        process.waitForProcessToFinish (10000);
        ServiceUpload::setBounds ({});
        ::unsetenv ("WIRELACE_SERVICE_HOST");
        oldTemporaryFolder.isEmpty() ? ::unsetenv ("TMPDIR") : ::setenv ("TMPDIR", oldTemporaryFolder.toRawUTF8(), 1);
    }

    juce::String getRecord() const { return record.getFile().loadFileAsString(); }

    const juce::String oldTemporaryFolder = juce::SystemStats::getEnvironmentVariable ("TMPDIR", {});
    TestHelpers::TemporaryFolder temporaryFolder;
    juce::TemporaryFile record;
    juce::ChildProcess process;
    int port = 0;
};
