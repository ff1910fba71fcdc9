#pragma once

#include "app/ServiceUpload.h"
#include "support/TestHelpers.h"

/** While it lives, the upload service is stand_in_upload_service.py on 127.0.0.1 (see there for its modes and its record), or for "none"
    a port that was free a moment ago and that nobody listens on; the upload bounds are the given ones, the temporary folder one of its own. */
struct StandInUploadService
{
    explicit StandInUploadService (const juce::String& mode, int status = 200, const juce::String& body = {}, ServiceUpload::Bounds bounds = {})
    {
        if (juce::StreamingSocket unused; mode == "none" && unused.createListener (0, "127.0.0.1"))
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
