#include "support/StandInUploadService.h"

TEST (ServiceUpload, EndsTheWholeExchangeAtTheTimeBoundWhateverThePaceAndFollowsNoRedirect)
{
    // The stand-in's mode and status (see StandInUploadService), then the status the caller sees (0: none). With curl's stall time-out
    // at 10 s, only the 2 s bound ends a silent reply ("slow") and the drips of 64 bytes every 0.3 s (not one read of 8 KiB in 2 s);
    // the margin is for the reading thread's last wait on its socket. A redirect's body "OK" is never the reply.
    const struct { const char* mode; int status, seen; } rows[] = {
        { "slow", 200, 0 },
        { "drip", 200, 200 },
        { "drip-headers", 200, 0 },
        { "redirect", 301, 301 },
        { "redirect", 302, 302 },
        { "redirect", 303, 303 },
        { "redirect", 307, 307 },
        { "redirect", 308, 308 },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (juce::String (row.mode) + " " + juce::String (row.status));
        StandInUploadService service (row.mode, row.status, "OK", { ServiceUpload::connectionTimeoutMs, 2000, ServiceUpload::maxReplyBytes });
        const auto upload = service.temporaryFolder.getFolder().getChildFile ("upload.txt");
        upload.replaceWithText ("sent");

        int status = -2;
        const auto started = juce::Time::getMillisecondCounter();
        const auto reply = ServiceUpload::uploadFile ("/wirelace/report.php", "report", upload, "text/plain", &status);
        const auto elapsed = juce::Time::getMillisecondCounter() - started;

        EXPECT_EQ (reply, "");
        EXPECT_EQ (juce::jmax (0, status), row.seen);
        EXPECT_EQ (elapsed >= 2000, juce::String (row.mode) != "redirect"); // a redirect fails at once, the rest runs into the bound
        EXPECT_LT (elapsed, 3000u);
        EXPECT_EQ (service.getRecord(), "/wirelace/report.php report *.txt text/plain\nsent\n"); // the redirect's target never asked
    }
}
