#pragma once

#include <memory>

#include <juce_gui_basics/juce_gui_basics.h>

class InputMapping;

/**
    The right-hand panel that edits one input mapping: the control's alias as its title, one table
    row per MIDI event (each an InputMidiCellComponent with its menus and MIDI learn), the behaviour
    presets that the catalogue offers for the mapping, and the options of the chosen preset.

    The main view makes a new panel for every selection of an input row and hands it a view on that
    row's element, which the panel owns. Every edit goes straight into the document through the view.
*/
class InputMappingComponent : public juce::Component,
                              public juce::TableListBoxModel,
                              public juce::ValueTree::Listener,
                              public juce::ComboBox::Listener
{
public:
    InputMappingComponent();
    ~InputMappingComponent() override;

    /**
        Takes ownership of the view (deleting a different one held before), shows its alias, preset
        list and options, and selects the last MIDI row, which arms MIDI learn for it.
    */
    void setInputMapping (InputMapping* mappingToEdit);

    /**
        Rebuilds the preset list and the options for the mapping's alias and first event. A cell
        calls it after a MIDI learn, on a MIDI input thread that holds the message-thread lock.
    */
    void refreshPresets();

    /** The view being edited, or nullptr before setInputMapping. */
    InputMapping* getInputMapping() const noexcept { return mapping.get(); }

    //==============================================================================
    void paint (juce::Graphics& g) override;
    void resized() override;

    int getNumRows() override;
    void paintRowBackground (juce::Graphics& g, int rowNumber, int width, int height, bool rowIsSelected) override;
    void paintCell (juce::Graphics& g, int rowNumber, int columnId, int width, int height, bool rowIsSelected) override;
    juce::Component* refreshComponentForCell (int rowNumber, int columnId, bool isRowSelected,
                                              juce::Component* existingComponentToUpdate) override;

    // The panel listens to no tree; these do nothing.
    void valueTreePropertyChanged (juce::ValueTree&, const juce::Identifier&) override;
    void valueTreeChildAdded (juce::ValueTree&, juce::ValueTree&) override;
    void valueTreeChildRemoved (juce::ValueTree&, juce::ValueTree&, int) override;
    void valueTreeChildOrderChanged (juce::ValueTree&, int, int) override;
    void valueTreeParentChanged (juce::ValueTree&) override;

    void comboBoxChanged (juce::ComboBox* changed) override;

private:
    /** Adds the catalogue's preset names for the alias and first event's kind, with ids 1, 2, ... */
    void addPresetNames();

    /** Fills the options panel with the editors of the mapping's current preset. */
    void addOptions();

    std::unique_ptr<InputMapping> mapping;
    int numRows = 0;

    std::unique_ptr<juce::Label> aliasLabel;
    std::unique_ptr<juce::TableListBox> table;
    std::unique_ptr<juce::Label> typeLabel;
    std::unique_ptr<juce::Label> presetLabel;
    std::unique_ptr<juce::ComboBox> presetComboBox;
    std::unique_ptr<juce::Label> optionsLabel;
    std::unique_ptr<juce::PropertyPanel> optionsPanel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InputMappingComponent)
};
