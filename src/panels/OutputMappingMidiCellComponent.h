#pragma once

#include <atomic>
#include <memory>

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_gui_basics/juce_gui_basics.h>

class OutputMapping;

/**
    One row of the output-mapping panel's MIDI table: one MIDI message of the mapping, with its
    kind badge, channel, note or controller number, value and, by the mapping's mode, its duration
    (loop) or the part of the control's range it covers (map modes).

    It offers a channel menu and a note-or-controller menu, edits the value and the duration in
    place, selects its row when clicked, drags its row onto another row to reorder the messages
    (the panel is the drag-and-drop container), and learns: while its row is selected, every
    message of the default MIDI input is written into the row, the last one winning.

    The cell is registered as a MIDI input callback from construction to destruction, through
    MidiCallbackRegistry, so that its callback's wait for the message-thread lock never blocks the
    message thread. The panel makes and rebinds the cells; the table owns them.
*/
class OutputMappingMidiCellComponent : public juce::Component,
                                       public juce::MidiInputCallback,
                                       public juce::DragAndDropTarget,
                                       public juce::Button::Listener,
                                       public juce::Label::Listener
{
public:
    OutputMappingMidiCellComponent();
    ~OutputMappingMidiCellComponent() override;

    /** Binds the cell to a message of the panel's view and to the table; rewrites the labels. */
    void setMapping (OutputMapping* mappingToShow, int rowNumber, juce::TableListBox* owningTable);

    /** Arms or disarms MIDI learn and the highlight. */
    void setSelected (bool isSelected);

    /** Rewrites the four labels from the mapping. */
    void updateLabels();

    //==============================================================================
    void mouseDrag (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void resized() override;

    /** On a MIDI input thread: learns the message into the row while the row is selected. */
    void handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message) override;

    bool isInterestedInDragSource (const SourceDetails&) override;
    void itemDragEnter (const SourceDetails&) override;
    void itemDragMove (const SourceDetails&) override;
    void itemDragExit (const SourceDetails&) override;
    void itemDropped (const SourceDetails&) override;

    void buttonClicked (juce::Button*) override;
    void labelTextChanged (juce::Label*) override;

private:
    friend struct OutputMappingInspector; // lets the tests reach the children

    void selectOwnRow();

    OutputMapping* mapping = nullptr;
    int row = 0;
    juce::PopupMenu channelMenu;
    juce::PopupMenu noteOrCcMenu;
    juce::Image noteBadge, ccBadge, loopIcon, firstHalfIcon, secondHalfIcon;
    std::atomic<bool> selected { false };
    std::atomic<bool> closing { false };

    /** The mapping and row of the last setMapping, for a learn to note before it waits for the
        message-thread lock: once the lock is gained it writes only if they are still the cell's. */
    std::atomic<OutputMapping*> boundMapping { nullptr };
    std::atomic<int> boundRow { 0 };

    juce::TableListBox* table = nullptr;
    bool dragOver = false;

    std::unique_ptr<juce::ImageButton> selectHelperButton;
    std::unique_ptr<juce::Label> channelLabel;
    std::unique_ptr<juce::Label> numberLabel;
    std::unique_ptr<juce::Label> valueLabel;
    std::unique_ptr<juce::Label> durationOrRangeLabel;
    std::unique_ptr<juce::ImageButton> channelButton;
    std::unique_ptr<juce::ImageButton> numberButton;
    juce::Image reorderIcon, channelArrows, numberArrows;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OutputMappingMidiCellComponent)
};
