#pragma once

#include <array>
#include <memory>

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_gui_basics/juce_gui_basics.h>

class OutputMapping;

/**
    The right-hand panel that edits one output mapping: its control value, its mode, its MIDI
    messages (one OutputMappingMidiCellComponent per table row), the nine modifier conditions, and
    a MIDI test that sends the messages to the default MIDI output, all at once or, for a looped
    mapping, one after another on the panel's timer.

    The main view makes a new panel for every selection of an output row and hands it a view on
    that row's element, which the panel owns. Every edit goes through the view into the document;
    only a change of the control value asks the main view to repaint its table ("Update View").
    The panel is the drag-and-drop container in which the cells drag rows to reorder them.
*/
class OutputMappingComponent : public juce::Component,
                               public juce::Timer,
                               public juce::TableListBoxModel,
                               public juce::DragAndDropContainer,
                               public juce::ComboBox::Listener,
                               public juce::Button::Listener,
                               public juce::Slider::Listener
{
public:
    OutputMappingComponent();
    ~OutputMappingComponent() override;

    /** Takes ownership of the view (deleting a different previous one) and fills the panel from it. */
    void setMapping (OutputMapping* mappingToEdit);

    /** The view being edited, or nullptr before setMapping. */
    OutputMapping* getMapping() const noexcept { return mapping.get(); }

    //==============================================================================
    void paint (juce::Graphics&) override;
    void resized() override;

    int getNumRows() override;
    void paintRowBackground (juce::Graphics&, int rowNumber, int width, int height, bool rowIsSelected) override;
    void paintCell (juce::Graphics&, int rowNumber, int columnId, int width, int height, bool rowIsSelected) override;
    juce::Component* refreshComponentForCell (int rowNumber, int columnId, bool isRowSelected,
                                              juce::Component* existingComponentToUpdate) override;
    void selectedRowsChanged (int lastRowSelected) override;

    void timerCallback() override;
    void comboBoxChanged (juce::ComboBox*) override;
    void buttonClicked (juce::Button*) override;
    void sliderValueChanged (juce::Slider*) override;

private:
    friend struct OutputMappingInspector; // lets the tests reach the children

    void typeComboBoxChanged();
    void valueComboBoxChanged();
    void testButtonClicked();

    /** The catalogue type of the mapping's alias ("unknwon" when the catalogue does not know it). */
    juce::String getCatalogueType() const;

    /** The message with the slider's value as its velocity or controller value; others unchanged. */
    juce::MidiMessage applyTestValue (const juce::MidiMessage& message) const;

    /** Sends the message at once on the default MIDI output; nothing while none is open. */
    static void sendNow (const juce::MidiMessage& message);

    std::unique_ptr<OutputMapping> mapping;
    int numRows = 0;
    int loopStep = 0;

    std::unique_ptr<juce::Label> aliasLabel;
    std::unique_ptr<juce::Label> valueTitleLabel;
    std::unique_ptr<juce::Label> typeTitleLabel;
    std::unique_ptr<juce::ComboBox> typeComboBox;
    std::unique_ptr<juce::Label> midiTitleLabel;
    std::unique_ptr<juce::ComboBox> valueComboBox;
    std::unique_ptr<juce::TableListBox> midiTable;
    std::unique_ptr<juce::TextButton> addMidiButton;
    std::unique_ptr<juce::Label> mappingTitleLabel;
    std::unique_ptr<juce::Label> testTitleLabel;
    std::unique_ptr<juce::Slider> testSlider;
    std::unique_ptr<juce::TextButton> testButton;
    std::unique_ptr<juce::Label> modifierTitleLabel;
    std::array<std::unique_ptr<juce::ToggleButton>, 9> modifierToggles;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OutputMappingComponent)
};
