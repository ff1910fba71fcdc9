#include <gtest/gtest.h>

#include "support/TestHelpers.h"

// The helper that ends real modal components is what the dialog tests of the whole editor rely
// on; these cases prove it on JUCE's own question box and popup menu.

TEST (ModalEnder, EndsJuceQuestionBoxWithTheGivenResultAndReadsItsTexts)
{
    for (int result : { 1, 2, 0 })
    {
        TestHelpers::ModalEnder ender (result, nullptr, "modal-ender-question-box");

        const auto answer = juce::AlertWindow::showYesNoCancelBox (juce::MessageBoxIconType::QuestionIcon,
                                                                   "Save changes?",
                                                                   "The document has changed.",
                                                                   "Save", "Don't Save", "Cancel");

        EXPECT_EQ (answer, result);
        EXPECT_TRUE (ender.hasEnded());
        EXPECT_EQ (ender.getEndedComponentName(), "Save changes?");
        EXPECT_EQ (ender.getAlertTexts(), juce::StringArray ({ "Save changes?", "The document has changed." }));
        EXPECT_EQ (ender.getAlertButtons(), juce::StringArray ({ "Save", "Don't Save", "Cancel" }));
        EXPECT_EQ (juce::Component::getCurrentlyModalComponent(), nullptr);
    }
}

TEST (ModalEnder, ActionSeesTheModalComponentBeforeItIsEnded)
{
    juce::String seenName;
    bool wasShowing = false;
    TestHelpers::ModalEnder ender (1, [&] (juce::Component& modal)
                                   {
                                       seenName = modal.getName();
                                       wasShowing = modal.isShowing();
                                   });

    EXPECT_TRUE (juce::AlertWindow::showOkCancelBox (juce::MessageBoxIconType::NoIcon, "Error", "Bad reply", "OK", "Cancel"));
    EXPECT_EQ (seenName, "Error");
    EXPECT_TRUE (wasShowing);
}

TEST (ModalEnder, EndsAPopupMenuWithTheChosenItem)
{
    juce::PopupMenu menu;
    menu.addItem (1, "Derive Output");
    menu.addItem (2, "Invert");

    TestHelpers::ModalEnder ender (2);
    EXPECT_EQ (menu.show(), 2);
    EXPECT_TRUE (ender.hasEnded());
}

TEST (ModalEnder, WaitsWhileNothingIsModal)
{
    TestHelpers::ModalEnder ender (1);
    TestHelpers::pumpMessages (200);
    EXPECT_FALSE (ender.hasEnded());
}
