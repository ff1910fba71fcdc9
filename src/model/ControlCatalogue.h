#pragma once

#include <memory>

#include <juce_core/juce_core.h>
#include <juce_data_structures/juce_data_structures.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "model/CacheIndex.h"

/**
    The host application's controls, behaviour presets and value ranges, read from the three
    documents built into the program.

    After load() the four trees never change; the lookups only fill their caches, and the two
    alias menus are built the first time they are shown. An alias the catalogue lacks gives fixed
    answers: "unknown" from getGroupTitle and getTitle, "unknwon" from getType, false, 0, 127, the
    value in decimal, an empty list or an invalid tree from the others.

    The catalogue takes no lock: call it on the message thread, or while holding the message
    manager's lock.
*/
class ControlCatalogue
{
public:
    /** Makes empty "in" and "out" trees; the presets and ranges stay invalid until load(). */
    ControlCatalogue();
    ~ControlCatalogue();

    /** Reads the embedded control list, presets and ranges. Call it once, right after construction. */
    void load();

    //==============================================================================
    /** True when the alias names a control that a MIDI input or a MIDI output can reach. */
    bool isKnownAlias (const juce::String& alias) const;

    /** True when the alias names a control whose value can be sent out as MIDI. */
    bool isOutputAlias (const juce::String& alias) const;

    /** The title of the control's group (it ends in one blank), or "unknown". */
    juce::String getGroupTitle (const juce::String& alias) const;

    /** The control's title (group title, a blank, the control's own text), or "unknown". */
    juce::String getTitle (const juce::String& alias) const;

    /** The control's value type ("Logic", "Trigger", "Integer", ...), or "unknwon". */
    juce::String getType (const juce::String& alias) const;

    /** Names of the presets that fit the control for a MIDI kind (0 controller change, 1 note,
        2 pitch wheel; other kinds get none), in document order. */
    juce::StringArray getPresetNames (const juce::String& alias, int midiKind) const;

    /** A deep copy of the named preset of the control's type and MIDI kind, or an invalid tree. */
    juce::ValueTree createPreset (const juce::String& alias, const juce::String& presetName, int midiKind) const;

    /** Pops up the menu of every control a MIDI input can drive; returns the chosen alias, or
        an empty string when the menu was dismissed. */
    juce::String showInputMenu();

    /** Pops up the menu of every control whose value can be sent as MIDI; returns the chosen
        alias, or an empty string when the menu was dismissed. */
    juce::String showOutputMenu();

    /** True when the control has a named value range. */
    bool hasRange (const juce::String& alias) const;

    /** The lowest value of the control's range, or 0. */
    int getRangeMin (const juce::String& alias) const;

    /** The highest value of the control's range, or 127. */
    int getRangeMax (const juce::String& alias) const;

    /** The name of a value of the control's range, or the value in decimal. */
    juce::String getRangeValueName (const juce::String& alias, int value) const;

private:
    friend struct ControlCatalogueInspector; // lets the tests look at the trees, caches and menus

    void loadControlList (const juce::String& text);
    void indexControls();
    juce::ValueTree findControl (const juce::String& alias) const;
    juce::ValueTree findOutput (const juce::String& alias) const;
    juce::ValueTree findRange (const juce::String& alias) const;
    static juce::Identifier kindIdentifier (int midiKind);
    static void buildMenu (const juce::ValueTree& tree, juce::PopupMenu& menu);
    static juce::String showMenu (const juce::ValueTree& tree, juce::PopupMenu& menu);
    static juce::String aliasForMenuResult (const juce::ValueTree& tree, int result);

    juce::ValueTree in, out;
    juce::ValueTree types, ranges;

    // The caches only grow; what they remember never changes, so they may fill in const lookups.
    mutable juce::PropertySet groupTitleCache { false }, knownCache { false }, titleCache { false },
        typeCache { false }, hasRangeCache { false }, rangeMinCache { false }, rangeMaxCache { false },
        valueNameCache { false };

    juce::PopupMenu inMenu, outMenu;

    // Hash indexes over the caches' keys and over the aliases of the two trees (the first node
    // of each alias, "in" before "out"), so that neither a cached answer nor a search scans.
    mutable CacheIndex groupTitleIndex { groupTitleCache }, knownIndex { knownCache }, titleIndex { titleCache },
        typeIndex { typeCache }, hasRangeIndex { hasRangeCache }, rangeMinIndex { rangeMinCache },
        rangeMaxIndex { rangeMaxCache }, valueNameIndex { valueNameCache };

    CacheIndex::Map<juce::ValueTree> controlsByAlias, outputsByAlias;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ControlCatalogue)
};

/** The process-wide catalogue, made and loaded by the application at start-up. */
extern std::unique_ptr<ControlCatalogue> controlCatalogue;
