#pragma once

#include <gtest/gtest.h>

#include <juce_data_structures/juce_data_structures.h>
#include <juce_gui_basics/juce_gui_basics.h>

/** Helpers shared by the tests: the message loop, pictures, modal components and temporary folders. */
namespace TestHelpers
{
    /** Runs the message loop for the given time, or until the condition holds (giving its last value), so that asynchronous JUCE notifications arrive. */
    inline void pumpMessages (int milliseconds = 50) { juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds); }

    inline bool pumpUntil (const std::function<bool()>& condition, int timeoutMilliseconds = 5000)
    {
        for (const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMilliseconds; ! condition(); pumpMessages (10))
            if (juce::Time::getMillisecondCounter() > end)
                return condition();

        return true;
    }

    inline juce::Image renderComponent (juce::Component& component)
    {
        if (component.getBounds().isEmpty())
            return {};

        juce::Image image (juce::Image::ARGB, component.getWidth(), component.getHeight(), true);
        juce::Graphics g (image);
        component.paintEntireComponent (g, true);
        return image;
    }

    /** Writes the image, or the component as it paints itself (also as an ARGB image for probes), as build/snapshots/<name>.png. */
    inline juce::File writeSnapshot (const juce::Image& image, const juce::String& name)
    {
        const auto file = juce::File (WIRELACE_BINARY_DIR "/snapshots").getChildFile (juce::File::createLegalFileName (name) + ".png");

        if (file.deleteFile() && image.isValid() && file.create().wasOk())
            juce::PNGImageFormat().writeImageToStream (image, *file.createOutputStream());

        return file;
    }

    inline juce::File writeSnapshot (juce::Component& component, const juce::String& name) { return writeSnapshot (renderComponent (component), name); }

    /** The first component of that type (and name, when one is given) below the parent, breadth first, or nullptr. */
    template <typename Type>
    Type* findChild (juce::Component& parent, const juce::String& name = {})
    {
        juce::Array<juce::Component*> all { &parent };
        for (int i = 0; i < all.size(); all.addArray (all[i++]->getChildren()))
            if (auto* found = dynamic_cast<Type*> (all[i]); found != nullptr && i > 0 && (name.isEmpty() || all[i]->getName() == name))
                return found;
        return nullptr;
    }

    /** True when the two colours differ by at most the tolerance in each channel, alpha included. */
    inline bool near (juce::Colour actual, juce::Colour expected, int tolerance = 2)
    {
        return std::abs (actual.getRed() - expected.getRed()) <= tolerance && std::abs (actual.getGreen() - expected.getGreen()) <= tolerance
            && std::abs (actual.getBlue() - expected.getBlue()) <= tolerance && std::abs (actual.getAlpha() - expected.getAlpha()) <= tolerance;
    }

    /** The tree of an XML text, with a test failure when the text does not parse. */
    inline juce::ValueTree parse (const juce::String& xml)
    {
        auto tree = juce::ValueTree::fromXml (xml);
        EXPECT_TRUE (tree.isValid()) << xml;
        return tree;
    }

    /** Ends the next modal component that shows (alert, popup menu, file chooser) as a click would: a timer waits for it,
        writes its snapshot when named, lets the action look at it (say, fill in a file name) and exits its modal state
        with the result. Keep the object alive while the modal loop runs. */
    struct ModalEnder : private juce::Timer
    {
        using Action = std::function<void (juce::Component& modal)>;

        explicit ModalEnder (int resultToGive, Action actionToRun = nullptr, const juce::String& snapshot = {})
            : result (resultToGive), action (std::move (actionToRun)), snapshotName (snapshot) { startTimer (20); }

        /** Whether it ended one; the name of that component (an alert's title); for an alert its title and message, and its buttons. */
        bool hasEnded() const noexcept { return ended; }
        juce::String getEndedComponentName() const { return endedName; }
        juce::StringArray getAlertTexts() const { return alertTexts; }
        juce::StringArray getAlertButtons() const { return alertButtons; }

        void timerCallback() override
        {
            auto* modal = juce::Component::getCurrentlyModalComponent();

            if (modal == nullptr || ! modal->isShowing())
                return;

            stopTimer();
            endedName = modal->getName();

            if (auto* alert = dynamic_cast<juce::AlertWindow*> (modal))
            {
                // The alert keeps its message private; its accessible description is "<title>. <message>".
                alertTexts = { endedName, alert->getDescription().fromFirstOccurrenceOf (endedName + ". ", false, false) };

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

        int result;
        Action action;
        juce::String snapshotName, endedName;
        juce::StringArray alertTexts, alertButtons;
        bool ended = false;
    };

    /** A new, empty folder under the temporary folder, named uniquely across processes, deleted with this object. */
    struct TemporaryFolder
    {
        TemporaryFolder() { folder.createDirectory(); }
        ~TemporaryFolder() { folder.deleteRecursively(); }
        const juce::File& getFolder() const noexcept { return folder; }
        juce::File getChildFile (const juce::String& name) const { return folder.getChildFile (name); }

        const juce::File folder { juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("wirelace-test-" + juce::Uuid().toString()) };
    };
}
