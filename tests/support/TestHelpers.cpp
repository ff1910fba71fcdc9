#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace TestHelpers
{
void pumpMessages (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

bool pumpUntil (const std::function<bool()>& condition, int timeoutMilliseconds)
{
    auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMilliseconds;

    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return condition();

        pumpMessages (10);
    }

    return true;
}

static juce::File getSnapshotFolder()
{
    auto folder = juce::File (WIRELACE_BINARY_DIR).getChildFile ("snapshots");
    folder.createDirectory();
    return folder;
}

juce::File writeSnapshot (const juce::Image& image, const juce::String& name)
{
    auto file = getSnapshotFolder().getChildFile (juce::File::createLegalFileName (name) + ".png");
    file.deleteFile();

    if (image.isValid())
    {
        juce::FileOutputStream stream (file);

        if (stream.openedOk())
            juce::PNGImageFormat().writeImageToStream (image, stream);
    }

    return file;
}

juce::File writeSnapshot (juce::Component& component, const juce::String& name)
{
    return writeSnapshot (renderComponent (component), name);
}

juce::ValueTree parse (const juce::String& xml)
{
    auto tree = juce::ValueTree::fromXml (xml);
    EXPECT_TRUE (tree.isValid()) << xml;
    return tree;
}

bool near (juce::Colour actual, juce::Colour expected, int tolerance)
{
    return std::abs (actual.getRed() - expected.getRed()) <= tolerance
        && std::abs (actual.getGreen() - expected.getGreen()) <= tolerance
        && std::abs (actual.getBlue() - expected.getBlue()) <= tolerance
        && std::abs (actual.getAlpha() - expected.getAlpha()) <= tolerance;
}

juce::Image renderComponent (juce::Component& component)
{
    if (component.getWidth() <= 0 || component.getHeight() <= 0)
        return {};

    juce::Image image (juce::Image::ARGB, component.getWidth(), component.getHeight(), true);
    juce::Graphics g (image);
    component.paintEntireComponent (g, true);
    return image;
}

//==============================================================================
ModalEnder::ModalEnder (int resultToGive, Action actionToRun, const juce::String& snapshot)
    : result (resultToGive), action (std::move (actionToRun)), snapshotName (snapshot)
{
    startTimer (20);
}

ModalEnder::~ModalEnder()
{
    stopTimer();
}

void ModalEnder::timerCallback()
{
    auto* modal = juce::Component::getCurrentlyModalComponent();

    if (modal == nullptr || ! modal->isShowing())
        return;

    stopTimer();
    endedName = modal->getName();

    if (auto* alert = dynamic_cast<juce::AlertWindow*> (modal))
    {
        // The alert keeps its message private; its accessible description is "<title>. <message>".
        alertTexts.add (alert->getName());
        alertTexts.add (alert->getDescription().fromFirstOccurrenceOf (alert->getName() + ". ", false, false));

        for (auto* child : alert->getChildren())
            if (auto* button = dynamic_cast<juce::TextButton*> (child))
                alertButtons.add (button->getButtonText());
    }

    if (snapshotName.isNotEmpty())
        writeSnapshot (*modal, snapshotName);

    if (action != nullptr)
        action (*modal);

    ended = true;
    modal->exitModalState (result);
}

//==============================================================================
juce::String runTestsInChildProcess (const juce::String& filter, int& exitCode,
                                     const juce::StringArray& wrapper, int timeoutMs)
{
    exitCode = -1;

    auto command = wrapper;
    command.add (juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName());
    command.add ("--gtest_filter=" + filter);
    command.add ("--gtest_also_run_disabled_tests");

    juce::ChildProcess child;

    if (! child.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        return {};

    // A watchdog ends a child that hangs, since reading its output blocks until it writes or ends.
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false, timedOut = false;

    std::thread watchdog ([&]
                          {
                              std::unique_lock<std::mutex> lock (mutex);

                              if (! finished.wait_for (lock, std::chrono::milliseconds (timeoutMs), [&] { return done; }))
                              {
                                  timedOut = true;
                                  child.kill();
                              }
                          });

    juce::MemoryOutputStream output;
    char buffer[4096];

    for (;;)
    {
        const auto numRead = child.readProcessOutput (buffer, (int) sizeof (buffer));

        if (numRead <= 0)
            break;

        output.write (buffer, (size_t) numRead);
    }

    child.waitForProcessToFinish (timeoutMs);

    {
        std::lock_guard<std::mutex> lock (mutex);
        done = true;
    }

    finished.notify_one();
    watchdog.join();

    if (timedOut || child.isRunning())
        return output.toString();

    exitCode = (int) child.getExitCode();
    return output.toString();
}

//==============================================================================
// The name is unique across the test processes that ctest runs side by side.
TemporaryFolder::TemporaryFolder()
    : folder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                  .getNonexistentChildFile ("wirelace-test-" + juce::Uuid().toString(), {}, false))
{
    folder.createDirectory();
}

TemporaryFolder::~TemporaryFolder()
{
    folder.deleteRecursively();
}
} // namespace TestHelpers
