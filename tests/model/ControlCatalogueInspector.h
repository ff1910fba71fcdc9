#pragma once

#include "model/ControlCatalogue.h"

/** Lets the catalogue's tests look at (and, for a few edge cases, replace) its trees, caches and menus. */
struct ControlCatalogueInspector
{
    enum class Cache { groupTitle, known, title, type, hasRange, rangeMin, rangeMax, valueName };

    static const juce::ValueTree& in (const ControlCatalogue& c) { return c.in; }
    static const juce::ValueTree& out (const ControlCatalogue& c) { return c.out; }
    static const juce::ValueTree& types (const ControlCatalogue& c) { return c.types; }
    static const juce::ValueTree& ranges (const ControlCatalogue& c) { return c.ranges; }

    static void setRanges (ControlCatalogue& c, const juce::ValueTree& tree) { c.ranges = tree; }

    static juce::PropertySet& cache (const ControlCatalogue& c, Cache which)
    {
        switch (which)
        {
            case Cache::groupTitle: return c.groupTitleCache;
            case Cache::known:      return c.knownCache;
            case Cache::title:      return c.titleCache;
            case Cache::type:       return c.typeCache;
            case Cache::hasRange:   return c.hasRangeCache;
            case Cache::rangeMin:   return c.rangeMinCache;
            case Cache::rangeMax:   return c.rangeMaxCache;
            case Cache::valueName:  return c.valueNameCache;
        }

        return c.valueNameCache;
    }

    static const juce::PopupMenu& inMenu (const ControlCatalogue& c) { return c.inMenu; }
    static const juce::PopupMenu& outMenu (const ControlCatalogue& c) { return c.outMenu; }

    static juce::PopupMenu buildMenu (const juce::ValueTree& tree)
    {
        juce::PopupMenu menu;
        ControlCatalogue::buildMenu (tree, menu);
        return menu;
    }

    static juce::String aliasForMenuResult (const juce::ValueTree& tree, int result)
    {
        return ControlCatalogue::aliasForMenuResult (tree, result);
    }
};
