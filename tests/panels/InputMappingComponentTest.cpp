#include "panels/MidiPanelFixture.h"
#include "support/PixelProbes.h"

using InputMappingPanel = MidiPanelFixture;

TEST_F (InputMappingPanel, OffersThePresetsOfTheFirstEventsKindAndPaintsRowsBadgesAndArrows)
{
    auto panel = makeInputPanel (midi ("Note", 60) + midi ("CC", 7, 2) + midi ("PW", 0, 16), "Holder Button");
    panel->setSize (300, 400);
    TestHelpers::writeSnapshot (*panel, "input_mapping_panel");
    // Bars at 27 and 137; rows of 22 from 47, the last selected; the note, CC and pitch wheel badges; channel and number arrows, none on a pitch wheel.
    TestHelpers::expectPixels (TestHelpers::renderComponent (*panel), { { 150, 27, 0xff999999 }, { 150, 137, 0xffbec0d2 }, { 250, 58, 0xffffffff }, { 250, 102, 0xff4b96e6 }, { 9, 53, 0xffeb8719 },
                                                                        { 9, 75, 0xff286ec8 }, { 9, 97, 0xff96191e }, { 73, 99, 0xff787878 }, { 124, 77, 0xff787878 }, { 124, 99, 0xff4b96e6 } }, 3);
    EXPECT_EQ (child<juce::ComboBox> (*panel, "preset combo box").getText() + " of " + juce::String (child<juce::ComboBox> (*panel, "preset combo box").getNumItems()) + ", " + rowText (InputMapping (element), 2, &cell (*panel, 2)), "Holder Button of 2, 2 0 16 | CH 16 -");
}
