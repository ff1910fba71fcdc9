#pragma once

#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include "app/BugReporterComponent.h"
#include "app/EditorViewComponent.h"
#include "app/MainViewComponent.h"
#include "app/WirelaceApplication.h"
#include "model/ControlCatalogue.h"
#include "model/ControllerDocument.h"
#include "support/TestHelpers.h"

/** Reaches the main view's members for the tests (the main view names it as a friend). */
struct MainViewInspector
{
    explicit MainViewInspector (MainViewComponent& v) : view (v) {}

    ControllerDocument& document() const { return *view.document; }
    int numRows() const { return view.numRows; }
    juce::String groupFilter() const { return view.groupFilter; }
    juce::TableListBox& table() const { return *view.table; }
    juce::ComboBox& groupFilterCombo() const { return *view.groupFilterCombo; }
    juce::ComboBox& ioFilterCombo() const { return *view.ioFilterCombo; }
    juce::Component* rightPanel() const { return view.rightPanel.get(); }
    BugReporterComponent& bugReporter() const { return *view.bugReporter; }
    EditorViewComponent& editorView() const { return *view.editorView; }
    juce::RecentlyOpenedFilesList& recentFiles() const { return view.recentFiles; }

    /** The element of a table row (an invalid tree outside the rows). */
    juce::ValueTree row (int index) const { return juce::isPositiveAndBelow (index, view.rows.size()) ? *view.rows[index] : juce::ValueTree(); }

    /** The table index of the row holding exactly this element, or -1. */
    int indexOf (const juce::ValueTree& element) const
    {
        for (int i = 0; i < view.rows.size(); ++i)
            if (*view.rows[i] == element)
                return i;
        return -1;
    }

    MainViewComponent& view;
};

/** Builds "mapping" elements for the main view's tests ("midi" channel and parameter as hexadecimal text). */
namespace MainViewTestData
{
    inline juce::ValueTree makeMidi (const juce::String& type, int channel, int parameter) { return juce::ValueTree ("midi", { { "type", type }, { "parameter", "0x" + juce::String::toHexString (parameter) }, { "channel", "0x" + juce::String::toHexString (channel) } }); }

    /** An input mapping: one event (its "modifiers" text ends in the modifier's number), the control's alias and a preset. */
    inline juce::ValueTree makeInput (const juce::String& alias, int channel = 1, int parameter = 1, const juce::String& type = "CC", const juce::String& preset = {}, const juce::String& modifiers = {})
    {
        auto midi = makeMidi (type, channel, parameter);
        if (modifiers.isNotEmpty())
            midi.setProperty ("modifiers", modifiers, nullptr);
        juce::ValueTree mapping ("mapping", {}, { juce::ValueTree ("events", {}, { midi }), juce::ValueTree ("controls", {}, { juce::ValueTree ("control", { { "alias", alias } }) }) });
        if (preset.isNotEmpty())
            mapping.appendChild (juce::ValueTree ("preset", { { "name", preset } }, { juce::ValueTree ("parameters") }), nullptr);
        return mapping;
    }

    inline juce::ValueTree makeOutput (const juce::String& alias, const juce::String& controlValue = "true", const juce::String& modifiers = {}, int channel = 1, int parameter = 1, const juce::String& value = "0x7f", const juce::String& type = "CC")
    {
        juce::ValueTree control ("control", { { "alias", alias }, { "value", controlValue } });
        if (modifiers.isNotEmpty())
            control.setProperty ("modifiers", modifiers, nullptr);
        auto midi = makeMidi (type, channel, parameter);
        if (value.isNotEmpty())
            midi.setProperty ("value", value, nullptr);
        return juce::ValueTree ("mapping", {}, { control, midi });
    }

    inline juce::ValueTree inputList (ControllerDocument& d) { return d.getMappings().getChildWithName ("input-mappings"); }
    inline juce::ValueTree outputList (ControllerDocument& d) { return d.getMappings().getChildWithName ("output-mappings"); }
    inline juce::ValueTree addInput (ControllerDocument& d, const juce::ValueTree& m) { inputList (d).appendChild (m, nullptr); return m; }
    inline juce::ValueTree addOutput (ControllerDocument& d, const juce::ValueTree& m) { outputList (d).appendChild (m, nullptr); return m; }
}

/** Makes the process-wide catalogue and settings the main view needs, and one main view per test. */
class MainViewFixture : public ::testing::Test
{
public:
    static void SetUpTestSuite()
    {
        if (controlCatalogue == nullptr)
        {
            controlCatalogue = std::make_unique<ControlCatalogue>();
            controlCatalogue->load();
        }

        if (appProperties.getStorageParameters().applicationName.isEmpty())
        {
            static TestHelpers::TemporaryFolder settingsFolder;
            auto options = WirelaceApplication::createSettingsOptions ("Wirelace");
            options.folderName = settingsFolder.getFolder().getFullPathName();
            appProperties.setStorageParameters (options);
        }
    }

protected:
    void SetUp() override { view = std::make_unique<MainViewComponent>(); view->setSize (1100, 700); }
    void TearDown() override { view.reset(); TestHelpers::pumpMessages (10); }

    MainViewInspector inspect() const { return MainViewInspector (*view); }
    ControllerDocument& document() const { return inspect().document(); }

    std::unique_ptr<MainViewComponent> view;
};
