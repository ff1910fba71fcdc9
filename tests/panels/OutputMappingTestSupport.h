#pragma once

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "app/CommandIds.h"
#include "app/WirelaceApplication.h"
#include "model/ControlCatalogue.h"
#include "model/OutputMapping.h"
#include "panels/OutputMappingComponent.h"
#include "panels/OutputMappingMidiCellComponent.h"
#include "resources/Resources.h"
#include "support/TestHelpers.h"
#include "support/TestMidiDevices.h"

/** Reaches the output panel's and its cells' children for the tests (both name it as a friend). */
struct OutputMappingInspector
{
    using Cell = OutputMappingMidiCellComponent;

    OutputMappingComponent& panel;

    juce::ComboBox& valueBox() const      { return *panel.valueComboBox; }
    juce::ComboBox& typeBox() const       { return *panel.typeComboBox; }
    juce::TableListBox& table() const     { return *panel.midiTable; }
    juce::Slider& slider() const          { return *panel.testSlider; }
    juce::TextButton& testButton() const  { return *panel.testButton; }
    juce::TextButton& addMidiButton() const { return *panel.addMidiButton; }
    juce::ToggleButton& modifier (int n) const { return *panel.modifierToggles[(size_t) n - 1]; }

    Cell& cell (int row) const
    {
        auto* cell = dynamic_cast<Cell*> (panel.midiTable->getCellComponent (1, row));
        EXPECT_NE (cell, nullptr) << "no cell for row " << row;
        return *cell;
    }

    static juce::Label& channelLabel (Cell& c)  { return *c.channelLabel; }
    static juce::Label& numberLabel (Cell& c)   { return *c.numberLabel; }
    static juce::Label& valueLabel (Cell& c)    { return *c.valueLabel; }
    static juce::Label& durationLabel (Cell& c) { return *c.durationOrRangeLabel; }
    static juce::Button& channelButton (Cell& c) { return *c.channelButton; }
    static juce::Button& numberButton (Cell& c)  { return *c.numberButton; }
    static const juce::PopupMenu& noteOrCcMenu (Cell& c) { return c.noteOrCcMenu; }
    static bool isSelected (Cell& c)             { return c.selected; }
};

/**
    An output-mapping panel (300 by 640) over a one-mapping output list, with test MIDI devices
    ("Pad" and "Other" enabled, "Pad" the default input and output) and a command target that
    counts the "Update View" commands the panel asks for.
*/
class OutputPanelFixture : public ::testing::Test
{
protected:
    struct UpdateViewCounter : juce::ApplicationCommandTarget
    {
        juce::ApplicationCommandTarget* getNextCommandTarget() override { return nullptr; }
        void getAllCommands (juce::Array<juce::CommandID>& ids) override { ids.add (CommandIds::updateView); }
        void getCommandInfo (juce::CommandID id, juce::ApplicationCommandInfo& info) override { info = juce::ApplicationCommandInfo (id); }
        bool perform (const InvocationInfo&) override { ++count; return true; }
        int count = 0;
    };

    void SetUp() override
    {
        if (controlCatalogue == nullptr)
        {
            controlCatalogue = std::make_unique<ControlCatalogue>();
            controlCatalogue->load();
        }

        devices->setInputEnabled ("Pad", true);
        devices->setInputEnabled ("Other", true);
        devices->setDefaultOutput ("Pad");
        previousCommandManager = std::move (commandManager);
        commandManager = std::make_unique<juce::ApplicationCommandManager>();
        commandManager->registerAllCommandsForTarget (&updateViews);
        commandManager->setFirstCommandTarget (&updateViews);
    }

    void TearDown() override
    {
        panel.reset();
        TestHelpers::pumpMessages (10);
        commandManager = std::move (previousCommandManager);
    }

    /** Shows a mapping of the alias with the control value and the XML of its "midi" children,
        and lets the panel's asynchronous combo box changes settle. */
    OutputMapping& open (const juce::String& alias, const juce::String& controlValue, const juce::String& midiXml)
    {
        panel.reset();
        devices->clearSentMessages();
        updateViews.count = 0;
        list = TestHelpers::parse ("<output-mappings><mapping><control alias=\"" + alias + "\" value=\""
                                   + controlValue + "\"/>" + midiXml + "</mapping></output-mappings>");
        panel = std::make_unique<OutputMappingComponent>();
        panel->setMapping (new OutputMapping (list.getChild (0)));
        panel->setSize (300, 640);
        TestHelpers::pumpMessages (100);
        return *panel->getMapping();
    }

    OutputMappingInspector inspect() const { return { *panel }; }
    std::vector<TestMidiDevices::SentMessage> sent() const { return devices->getSentMessages(); }

    ScopedTestMidiDevices devices { { "Pad", "Other" }, { "Pad" } };
    UpdateViewCounter updateViews;
    juce::ValueTree list;
    std::unique_ptr<OutputMappingComponent> panel;

private:
    std::unique_ptr<juce::ApplicationCommandManager> previousCommandManager;
};

namespace OutputMappingTestData
{
    const juce::String integerAlias ("fam(SyncTools).MasterDeck");     // "Integer", no range
    const juce::String rangeAlias ("fam(Fx)[0x1].InputChannelOnOff"); // "Integer", range 0..5
    const juce::String normalAlias ("fam(Fx)[0x1].DryWet");            // "Normal"
    const juce::String triggerAlias ("fam(Player)[0x1].TapTempo");     // "Trigger"

    /** A "midi" element, with a duration when one is given. */
    inline juce::String midi (const juce::String& type, int parameter, const juce::String& value, int channel = 1, int duration = -1)
    {
        return "<midi type=\"" + type + "\" parameter=\"" + juce::String (parameter) + "\" channel=\"" + juce::String (channel)
             + "\" value=\"" + value + "\"" + (duration >= 0 ? " duration=\"" + juce::String (duration) + "\"" : "") + "/>";
    }

    /** True when the 16 by 16 area of the image at topLeft holds the picture drawn one to one on the background. */
    inline bool showsPicture (const juce::Image& image, juce::Point<int> topLeft, const juce::Image& picture, juce::Colour background = {})
    {
        juce::Image expected (juce::Image::ARGB, 16, 16, true);
        juce::Graphics g (expected);
        g.fillAll (background);
        g.drawImageAt (picture, 0, 0);

        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (! TestHelpers::near (image.getPixelAt (topLeft.x + x, topLeft.y + y), expected.getPixelAt (x, y)))
                    return false;

        return picture.isValid();
    }
}
