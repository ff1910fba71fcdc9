#pragma once

#include <atomic>
#include <memory>

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_gui_basics/juce_gui_basics.h>

class InputMapping;
class InputMappingComponent;

/**
    One row of the input-mapping panel's MIDI table: one MIDI event of the mapping, shown as a kind
    badge, "CH <channel>" and its note or controller number, with a channel menu, a note-or-controller
    menu, and MIDI learn: while the row is selected, every controller change, note or pitch wheel that
    arrives from the default MIDI input is written into the event, the last one winning.

    The panel creates and binds the cells (refreshComponentForCell); the table owns them. A cell is
    registered as a MIDI input callback from construction to destruction, through MidiCallbackRegistry.
*/
class InputMidiCellComponent : public juce::Component,
                               public juce::MidiInputCallback,
                               public juce::Button::Listener
{
public:
    InputMidiCellComponent();
    ~InputMidiCellComponent() override;

    /** Binds the cell to an event of the mapping (none of the pointers is owned) and refreshes it. */
    void setup (InputMapping* mappingToEdit, int rowToShow, juce::TableListBox* tableOfRow, InputMappingComponent* panel);

    /** Follows the table's selection; a selected cell learns MIDI. */
    void setSelected (bool shouldBeSelected);

    /** Rewrites the channel and number labels from the mapping. */
    void refresh();

    //==============================================================================
    void paint (juce::Graphics& g) override;
    void resized() override;

    /** On a MIDI input thread: learns the message while the row is selected (see the class comment). */
    void handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message) override;

    void buttonClicked (juce::Button* button) override;

private:
    /** The kind code that a learned message writes: 0 controller, 1 note on or off, 2 pitch wheel, else -1. */
    static int kindOfMessage (const juce::MidiMessage& message);

    /** Selects the cell's row in the table, deselecting the others. */
    void selectRow();

    /** Hides the number label for a pitch wheel, else shows it with the event's number. */
    void updateNumberLabel();

    InputMapping* mapping = nullptr;
    juce::PopupMenu channelMenu;
    juce::PopupMenu noteOrCcMenu;
    juce::Image noteBadge, ccBadge, pwBadge;
    juce::TableListBox* table = nullptr;
    InputMappingComponent* owner = nullptr;
    int row = 0;
    std::atomic<bool> selected { false };
    std::atomic<bool> closing { false };

    /** The mapping and row of the last setup, for a learn to note before it waits for the
        message-thread lock: once the lock is gained it writes only if they are still the cell's. */
    std::atomic<InputMapping*> boundMapping { nullptr };
    std::atomic<int> boundRow { 0 };

    std::unique_ptr<juce::Label> infoLabel;
    std::unique_ptr<juce::ImageButton> selectHelperButton;
    std::unique_ptr<juce::Label> channelLabel;
    std::unique_ptr<juce::Label> numberLabel;
    std::unique_ptr<juce::ImageButton> channelButton;
    std::unique_ptr<juce::ImageButton> numberButton;
    juce::Image arrowImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InputMidiCellComponent)
};
