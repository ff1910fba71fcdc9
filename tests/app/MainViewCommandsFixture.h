#pragma once

#include <cstdlib>

#include "app/CommandIds.h"
#include "app/MainViewTestFixture.h"

/** File choosers and series of dialogs, ended as a person's clicks would end them. */
namespace CommandTestHelpers
{
    /** The file browser inside a file chooser dialog box, or nullptr. */
    inline juce::FileBrowserComponent* findFileBrowser (juce::Component& component)
    {
        auto* browser = dynamic_cast<juce::FileBrowserComponent*> (&component);
        for (auto* child : component.getChildren())
            browser = browser != nullptr ? browser : findFileBrowser (*child);
        return browser;
    }

    /** A modal action that types the given file's full path into a file chooser's file name box. */
    inline TestHelpers::ModalEnder::Action chooseFile (const juce::File& file)
    {
        return [file] (juce::Component& modal)
        {
            if (auto* browser = findFileBrowser (modal); browser != nullptr && file != juce::File())
                browser->setFileName (file.getFullPathName());
        };
    }

    /** Ends a series of modal components (a question, a file chooser, an alert), each step with its
        result after typing its file into a chooser; a step's ender starts once the one before ended. */
    struct ModalSequence
    {
        struct Step
        {
            int result;
            juce::File file = {};
        };

        explicit ModalSequence (std::vector<Step> stepsToTake) : steps (std::move (stepsToTake)) { start (0); }

        void start (size_t index)
        {
            if (index < steps.size())
                enders.push_back (std::make_unique<TestHelpers::ModalEnder> (steps[index].result, [this, index] (juce::Component& modal)
                {
                    chooseFile (steps[index].file) (modal);
                    start (index + 1);
                }));
        }

        /** The components ended so far, joined by " | ": a chooser's name, an alert's title and message. */
        juce::String ended() const
        {
            juce::StringArray names;
            for (auto& ender : enders)
                if (ender->hasEnded())
                    names.add (ender->getAlertTexts().isEmpty() ? ender->getEndedComponentName() : ender->getAlertTexts().joinIntoString (": "));
            return names.joinIntoString (" | ");
        }

        std::vector<Step> steps;
        std::vector<std::unique_ptr<TestHelpers::ModalEnder>> enders;
    };
}

/** A real main window (main view, menu bar, key mappings) over a fresh command manager, with the user
    settings in a temporary folder that is also the working directory, where the file choosers start. */
class MainViewCommandsFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // JUCE looks once for zenity or kdialog, which would replace the chooser the tests drive.
        static const bool platformChooser = []
        {
            const juce::String path (std::getenv ("PATH"));
            setenv ("PATH", "/nonexistent", 1);
            const bool found = juce::FileChooser::isPlatformDialogAvailable();
            setenv ("PATH", path.toRawUTF8(), 1);
            return found;
        }();
        ASSERT_FALSE (platformChooser) << "a desktop file chooser would replace JUCE's own";
        if (controlCatalogue == nullptr)
            (controlCatalogue = std::make_unique<ControlCatalogue>())->load();

        previousOptions = appProperties.getStorageParameters();
        appProperties.closeFiles();
        auto options = WirelaceApplication::createSettingsOptions ("Wirelace");
        options.folderName = folder.getChildFile ("settings").getFullPathName();
        appProperties.setStorageParameters (options);
        previousWorkingDirectory = juce::File::getCurrentWorkingDirectory();
        folder.getFolder().setAsCurrentWorkingDirectory();
        previousCommandManager = std::exchange (commandManager, std::make_unique<juce::ApplicationCommandManager>());
        openWindow();
    }

    void TearDown() override
    {
        commandManager->setFirstCommandTarget (nullptr);
        window.reset();
        TestHelpers::pumpMessages (10);
        commandManager = std::move (previousCommandManager);
        appProperties.closeFiles();
        appProperties.setStorageParameters (previousOptions);
        previousWorkingDirectory.setAsCurrentWorkingDirectory();
    }

    /** Replaces the window by a new one. Under Xvfb no window manager hands the focus back to the
        window after a dialog, so the main view is named the first command target outright. */
    void openWindow()
    {
        commandManager->setFirstCommandTarget (nullptr);
        window.reset();
        window = std::make_unique<WirelaceApplication::MainWindow>();
        WirelaceApplication::placeMainWindow (*window, "Wirelace 0.8.62");
        window->toFront (true);
        commandManager->setFirstCommandTarget (window->getMainView());
    }

    MainViewComponent& view() const { return *window->getMainView(); }
    MainViewInspector inspect() const { return MainViewInspector (view()); }
    ControllerDocument& document() const { return inspect().document(); }
    int numRows() const { return view().getNumRows(); }
    bool invoke (juce::CommandID id) const { return commandManager->invokeDirectly (id, false); }
    bool pressKey (int key, int modifiers = 0) const { return window->getPeer()->handleKeyPress (juce::KeyPress (key, modifiers, 0)); }

    /** The recent-files list in the settings file on disk, one path a line. */
    juce::String recentListOnDisk() const
    {
        return juce::PropertiesFile (appProperties.getUserSettings()->getFile(), appProperties.getStorageParameters()).getValue ("recentlyOpenedFilesList");
    }

    /** Writes a ".mappings" file with the given number of input mappings into the folder. */
    juce::File writeMappingsFile (const juce::String& name, int numInputMappings) const
    {
        ControllerDocument source;
        for (int i = 0; i < numInputMappings; ++i)
            source.createInputMapping ("deck_" + juce::String (i));
        source.saveAs (folder.getChildFile (name));
        return folder.getChildFile (name);
    }

    TestHelpers::TemporaryFolder folder;
    std::unique_ptr<WirelaceApplication::MainWindow> window;

private:
    juce::PropertiesFile::Options previousOptions;
    juce::File previousWorkingDirectory;
    std::unique_ptr<juce::ApplicationCommandManager> previousCommandManager;
};
