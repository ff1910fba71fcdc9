#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include <juce_gui_basics/juce_gui_basics.h>

#include "app/CommandIds.h"
#include "app/WirelaceApplication.h"
#include "app/MainViewTestFixture.h"
#include "support/TestHelpers.h"

/** Helpers of the command, menu and file tests: file choosers, dialog series, key presses. */
namespace CommandTestHelpers
{
    /** JUCE looks once per process for zenity or kdialog and would show one instead of its own file
        chooser, which the tests drive: the first look runs with an empty PATH. True if JUCE's is used. */
    inline bool useJuceFileChooser()
    {
        static const bool juceChooser = []
        {
            static TestHelpers::TemporaryFolder emptyFolder;
            const juce::String oldPath (std::getenv ("PATH") != nullptr ? std::getenv ("PATH") : "");

            setenv ("PATH", emptyFolder.getFolder().getFullPathName().toRawUTF8(), 1);
            const bool platformDialog = juce::FileChooser::isPlatformDialogAvailable();
            setenv ("PATH", oldPath.toRawUTF8(), 1);

            return ! platformDialog;
        }();

        return juceChooser;
    }

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
            if (auto* browser = findFileBrowser (modal))
                browser->setFileName (file.getFullPathName());
        };
    }

    /** Ends a series of modal components (a question, then a file chooser) as clicks would, each step
        with its own result and action, its ender started once the step before has ended. */
    class ModalSequence
    {
    public:
        struct Step
        {
            int result;
            TestHelpers::ModalEnder::Action action = nullptr;
        };

        explicit ModalSequence (std::vector<Step> stepsToTake) : steps (std::move (stepsToTake))
        {
            startStep (0);
        }

        /** The names of the components ended so far (a dialog's title). */
        juce::StringArray getEndedNames() const
        {
            juce::StringArray names;
            for (auto& ender : enders)
                if (ender->hasEnded())
                    names.add (ender->getEndedComponentName());
            return names;
        }

        /** The ender of one step (to read an alert's texts and buttons), or nullptr if not begun. */
        const TestHelpers::ModalEnder* getStep (int index) const { return enders[(size_t) index].get(); }

        int getNumEnded() const { return getEndedNames().size(); }

    private:
        void startStep (size_t index)
        {
            if (index >= steps.size())
                return;

            enders.resize (steps.size());
            auto userAction = steps[index].action;
            enders[index] = std::make_unique<TestHelpers::ModalEnder> (steps[index].result, [this, index, userAction] (juce::Component& modal)
            {
                if (userAction != nullptr)
                    userAction (modal);
                startStep (index + 1);
            });
        }

        std::vector<Step> steps;
        std::vector<std::unique_ptr<TestHelpers::ModalEnder>> enders;
    };

    /** Reads the recent-files list straight from a settings file on disk (empty when absent). */
    inline juce::StringArray readRecentListFromDisk (const juce::File& settingsFile)
    {
        juce::StringArray paths;
        if (auto xml = juce::XmlDocument::parse (settingsFile))
            for (auto* value : xml->getChildWithTagNameIterator ("VALUE"))
                if (value->getStringAttribute ("name").equalsIgnoreCase ("recentlyOpenedFilesList"))
                    paths.addLines (value->getStringAttribute ("val"));

        paths.removeEmptyStrings();
        return paths;
    }

    /** Writes a ".mappings" file with the given number of input mappings and returns it. */
    inline juce::File writeMappingsFile (const juce::File& file, int numInputMappings)
    {
        ControllerDocument source;
        for (int i = 0; i < numInputMappings; ++i)
            source.createInputMapping ("deck_" + juce::String (i));
        source.saveAs (file);
        return file;
    }
}

/** A real main window (main view, menu bar, key mappings) over a fresh command manager, with the user
    settings in a temporary folder that is also the working directory, where the file choosers start. */
class MainViewCommandsFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (CommandTestHelpers::useJuceFileChooser()) << "a desktop file chooser would replace JUCE's own";

        if (controlCatalogue == nullptr)
        {
            controlCatalogue = std::make_unique<ControlCatalogue>();
            controlCatalogue->load();
        }

        previousOptions = appProperties.getStorageParameters();
        appProperties.closeFiles();
        auto options = WirelaceApplication::createSettingsOptions ("Wirelace");
        options.folderName = folder.getChildFile ("settings").getFullPathName();
        appProperties.setStorageParameters (options);

        previousWorkingDirectory = juce::File::getCurrentWorkingDirectory();
        folder.getFolder().setAsCurrentWorkingDirectory();

        previousCommandManager = std::move (commandManager);
        commandManager = std::make_unique<juce::ApplicationCommandManager>();

        window = std::make_unique<WirelaceApplication::MainWindow>();
        WirelaceApplication::placeMainWindow (*window, "Wirelace 0.8.62");
        window->toFront (true);

        // In the running editor the main view is the first command target as the content of the
        // active window. Under Xvfb no window manager hands the focus back to the window after
        // a dialog has closed, so the tests name the main view as the first target outright.
        commandManager->setFirstCommandTarget (window->getMainView());
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

    MainViewComponent& view() const { return *window->getMainView(); }
    MainViewInspector inspect() const { return MainViewInspector (view()); }
    ControllerDocument& document() const { return inspect().document(); }
    juce::String title() const { return window->getName(); }

    juce::File settingsFile() const { return appProperties.getUserSettings()->getFile(); }
    juce::StringArray recentListOnDisk() const { return CommandTestHelpers::readRecentListFromDisk (settingsFile()); }

    juce::File writeMappingsFile (const juce::String& name, int numInputMappings) const
    {
        return CommandTestHelpers::writeMappingsFile (folder.getChildFile (name), numInputMappings);
    }

    /** Sends a key press to the window as the keyboard would (focused component first, then up). */
    bool pressKey (const juce::KeyPress& key) const
    {
        auto* peer = window->getPeer();
        return peer != nullptr && peer->handleKeyPress (key);
    }

    /** Invokes a command through the command manager, as a menu item or a key would. */
    bool invoke (juce::CommandID id) const
    {
        return commandManager->invokeDirectly (id, false);
    }

    int numRows() const { return view().getNumRows(); }

    TestHelpers::TemporaryFolder folder;
    std::unique_ptr<WirelaceApplication::MainWindow> window;

private:
    juce::PropertiesFile::Options previousOptions;
    juce::File previousWorkingDirectory;
    std::unique_ptr<juce::ApplicationCommandManager> previousCommandManager;
};
