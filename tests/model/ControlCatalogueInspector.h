#pragma once

#include <array>

#include "model/ControlCatalogue.h"

/** Lets the catalogue's tests look at its trees, caches and menus, and replace its ranges. */
struct ControlCatalogueInspector
{
    static const juce::ValueTree& in (const ControlCatalogue& c) { return c.in; }
    static const juce::ValueTree& out (const ControlCatalogue& c) { return c.out; }
    static const juce::PopupMenu& menu (const ControlCatalogue& c, bool output) { return output ? c.outMenu : c.inMenu; }
    static void setRanges (ControlCatalogue& c, const juce::ValueTree& tree) { c.ranges = tree; }

    /** The eight caches: group title, known, title, type, has range, range min, range max, value name. */
    static std::array<juce::PropertySet*, 8> caches (const ControlCatalogue& c)
    {
        return { &c.groupTitleCache, &c.knownCache, &c.titleCache, &c.typeCache,
                 &c.hasRangeCache, &c.rangeMinCache, &c.rangeMaxCache, &c.valueNameCache };
    }
};
