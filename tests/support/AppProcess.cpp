#include "support/AppProcess.h"

#include "support/TestHelpers.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace TestHelpers
{
AppProcess::AppProcess (const juce::StringArray& environmentChanges, const juce::File& workFolder)
{
    std::vector<std::string> environment;

    for (auto** entry = environ; *entry != nullptr; ++entry)
    {
        const juce::String line (*entry);
        const auto name = line.upToFirstOccurrenceOf ("=", true, false);
        bool replaced = false;

        for (auto& change : environmentChanges)
            replaced = replaced || change.startsWith (name);

        if (! replaced)
            environment.push_back (line.toStdString());
    }

    for (auto& change : environmentChanges)
        environment.push_back (change.toStdString());

    std::vector<char*> envp;

    for (auto& line : environment)
        envp.push_back (line.data());

    envp.push_back (nullptr);

    std::string path (WIRELACE_APP_PATH);
    char* argv[] = { path.data(), nullptr };

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init (&actions);
    posix_spawn_file_actions_addopen (&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

    const auto folder = workFolder.getFullPathName().toStdString();

    if (! folder.empty())
        posix_spawn_file_actions_addchdir_np (&actions, folder.c_str());

    if (posix_spawn (&pid, path.c_str(), &actions, nullptr, argv, envp.data()) != 0)
        pid = -1;

    posix_spawn_file_actions_destroy (&actions);
}

AppProcess::~AppProcess()
{
    if (pid > 0 && ! exited)
    {
        ::kill (pid, SIGKILL);
        waitpid (pid, nullptr, 0);
    }
}

bool AppProcess::waitForExit (int timeoutMilliseconds)
{
    if (pid <= 0)
        return false;

    return pumpUntil ([this]
                      {
                          if (! exited && waitpid (pid, &status, WNOHANG) == pid)
                              exited = true;

                          return exited;
                      },
                      timeoutMilliseconds);
}

bool AppProcess::exitedNormallyWith (int code) const
{
    return exited && WIFEXITED (status) && WEXITSTATUS (status) == code;
}

//==============================================================================
bool canDriveApps()
{
    return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty()
        && juce::File ("/usr/bin/xdotool").existsAsFile();
}

juce::String runTool (const juce::StringArray& command)
{
    juce::ChildProcess process;

    if (! process.start (command, juce::ChildProcess::wantStdOut))
        return {};

    auto output = process.readAllProcessOutput();
    process.waitForProcessToFinish (5000);
    return output.trim();
}

juce::StringArray findWindows (const AppProcess& app, const juce::String& title)
{
    auto ids = juce::StringArray::fromLines (runTool ({ "/usr/bin/xdotool", "search", "--all", "--onlyvisible",
                                                        "--pid", juce::String (app.getPid()), "--name",
                                                        "^" + title.replace (".", "\\.") + "$" }));
    ids.removeEmptyStrings();

    // xdotool also lists windows without a name of their own; keep those that carry the title.
    juce::StringArray titled;

    for (auto& id : ids)
        if (runTool ({ "/usr/bin/xdotool", "getwindowname", id }) == title)
            titled.add (id);

    return titled;
}

juce::String waitForWindow (AppProcess& app, const juce::String& title, int timeoutMilliseconds)
{
    juce::String found;
    pumpUntil ([&]
               {
                   found = findWindows (app, title)[0];
                   return found.isNotEmpty() || app.hasExited();
               },
               timeoutMilliseconds);
    return found;
}

juce::StringPairArray windowGeometry (const juce::String& windowId)
{
    juce::StringPairArray values;

    for (auto& line : juce::StringArray::fromLines (runTool ({ "/usr/bin/xdotool", "getwindowgeometry", "--shell", windowId })))
        if (line.contains ("="))
            values.set (line.upToFirstOccurrenceOf ("=", false, false), line.fromFirstOccurrenceOf ("=", false, false));

    return values;
}

void typeKeys (const juce::String& windowId, const juce::StringArray& keys)
{
    juce::StringArray command { "/usr/bin/xdotool" };

    if (windowId.isNotEmpty())
        command.addArray ({ "windowfocus", "--sync", windowId });

    command.addArray ({ "key", "--clearmodifiers", "--delay", "50" });
    command.addArray (keys);
    runTool (command);
}
} // namespace TestHelpers
