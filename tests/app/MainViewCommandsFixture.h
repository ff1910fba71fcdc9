#pragma once

#include "app/CommandIds.h"
#include "app/MainViewTestFixture.h"

/** File choosers and series of dialogs, ended as a person's clicks would end them. */
namespace CommandTestHelpers
{
    /** The file browser inside a file chooser dialog box, or nullptr. */
    inline juce::FileBrowserComponent* findFileBrowser (juce::Component& component) { return TestHelpers::findChild<juce::FileBrowserComponent> (component); }

    /** A modal action that types the given file's full path into a file chooser's file name box. */
    inline TestHelpers::ModalEnder::Action chooseFile (const juce::File& file)
    {
        return [file] (juce::Component& modal)
        {
            if (auto* browser = findFileBrowser (modal); browser != nullptr && file != juce::File())
                browser->setFileName (file.getFullPathName());
        };
    }

    /** One answer to a modal component: the result it is ended with, and a file to type into a chooser. */
    struct Step { int result; juce::File file = {}; };

    /** Runs the action while the modal components it shows one after the other (a question, a chooser,
        an alert) are ended by the steps, any more cancelled. Returns what was ended, joined by " | " (a chooser's name, an
        alert's title and message), after "not handled" when the action returns false. */
    inline juce::String answering (const std::vector<Step>& steps, const std::function<bool()>& action)
    {
        std::vector<std::unique_ptr<TestHelpers::ModalEnder>> enders;
        std::function<void (size_t)> start = [&] (size_t i)
        {
            const auto step = i < steps.size() ? steps[i] : Step { 0 }; // any more are cancelled, and show in the result
            enders.push_back (std::make_unique<TestHelpers::ModalEnder> (step.result, [&, i, step] (juce::Component& modal) { chooseFile (step.file) (modal); start (i + 1); }));
        };
        start (0);
        juce::StringArray ended (action() ? "" : "not handled");
        for (auto& ender : enders)
            if (ender->hasEnded())
                ended.add (ender->getAlertTexts().isEmpty() ? ender->getEndedComponentName() : ender->getAlertTexts().joinIntoString (": "));
        ended.removeEmptyStrings();
        return ended.joinIntoString (" | ");
    }
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
        window = std::make_unique<WirelaceApplication::MainWindow>();
        WirelaceApplication::placeMainWindow (*window, "Wirelace 0.8.62");
        // Under Xvfb no window manager hands the focus back after a dialog: the view is named the first target.
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
    juce::String rowsAndTitle() const { return juce::String (view().getNumRows()) + " " + window->getName(); }
    bool pressKey (int key, int modifiers = 0) const { return window->getPeer()->handleKeyPress (juce::KeyPress (key, modifiers, 0)); }

    juce::String recentListOnDisk() const { return juce::PropertiesFile (appProperties.getUserSettings()->getFile(), appProperties.getStorageParameters()).getValue ("recentlyOpenedFilesList"); }

    juce::File writeMappingsFile (const juce::String& name, int numInputMappings) const
    {
        ControllerDocument source;
        for (int i = 0; i < numInputMappings; ++i)
            source.createInputMapping ("deck_" + juce::String (i));
        return source.saveAs (folder.getChildFile (name)) ? folder.getChildFile (name) : juce::File();
    }

    TestHelpers::TemporaryFolder folder;
    std::unique_ptr<WirelaceApplication::MainWindow> window;
    juce::PropertiesFile::Options previousOptions;
    juce::File previousWorkingDirectory;
    std::unique_ptr<juce::ApplicationCommandManager> previousCommandManager;
};
