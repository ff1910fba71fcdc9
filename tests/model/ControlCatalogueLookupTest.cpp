#include <gtest/gtest.h>

#include "model/ControlCatalogueInspector.h"

using Cache = ControlCatalogueInspector::Cache;

namespace
{
    struct CatalogueLookup : public ::testing::Test
    {
        CatalogueLookup() { catalogue.load(); }

        juce::PropertySet& cache (Cache which) { return ControlCatalogueInspector::cache (catalogue, which); }
        int entries (Cache which) { return cache (which).getAllProperties().size(); }

        ControlCatalogue catalogue;
    };

    const juce::String unknownAlias = "fam(Player)[0x1].NoSuchControl";
}

//==============================================================================
TEST_F (CatalogueLookup, TitlesHoldTheGroupTitleWithItsTrailingBlank)
{
    EXPECT_EQ (catalogue.getGroupTitle ("mod(ShiftLogic1)"), "Modifiers ");
    EXPECT_EQ (catalogue.getTitle ("mod(ShiftLogic1)"), "Modifiers  Shift Logic 1");
    EXPECT_EQ (catalogue.getType ("mod(ShiftLogic1)"), "Logic");

    EXPECT_EQ (catalogue.getGroupTitle ("fam(Player)[0x1].PlayPause"), "Player A ");
    EXPECT_EQ (catalogue.getTitle ("fam(Player)[0x1].PlayPause"), "Player A  Play / Pause");
    EXPECT_EQ (catalogue.getTitle ("fam(Fx)[0x1].OnOff"), "Fx 1  ON/OFF");

    // Out-only controls are found in the second tree.
    EXPECT_EQ (catalogue.getGroupTitle ("fam(Mixer).MasterMeter"), "Mixer ");
    EXPECT_EQ (catalogue.getType ("fam(Mixer).MasterMeter"), "Normal");
    EXPECT_EQ (catalogue.getType ("fam(Player)[0x1].TrackTitle"), "String");
    EXPECT_EQ (catalogue.getType ("fam(Player)[0x1].ComboJog"), "Scratch");
    EXPECT_EQ (catalogue.getType ("mod(ShiftSelector)"), "Modifier");

    // Found answers are remembered under the alias.
    EXPECT_EQ (cache (Cache::groupTitle).getValue ("mod(ShiftLogic1)"), "Modifiers ");
    EXPECT_EQ (cache (Cache::title).getValue ("mod(ShiftLogic1)"), "Modifiers  Shift Logic 1");
    EXPECT_EQ (cache (Cache::type).getValue ("fam(Mixer).MasterMeter"), "Normal");
}

TEST_F (CatalogueLookup, AliasWithABlankIsKnownByItsFirstWord)
{
    EXPECT_TRUE (catalogue.isKnownAlias ("app(Plugin"));
    EXPECT_FALSE (catalogue.isKnownAlias ("app(Plugin Preferences)"));
    EXPECT_EQ (catalogue.getType ("app(Plugin"), "references");
    EXPECT_EQ (catalogue.getGroupTitle ("app(Plugin"), "Application ");
    EXPECT_EQ (catalogue.getTitle ("app(Plugin"), "Application  Plugin Preferences...");
    EXPECT_TRUE (catalogue.getPresetNames ("app(Plugin", 1).isEmpty());
}

TEST_F (CatalogueLookup, AliasesCompareCaseSensitively)
{
    EXPECT_EQ (catalogue.getTitle ("mod(ShiftLogic1)"), "Modifiers  Shift Logic 1");
    EXPECT_EQ (catalogue.getTitle ("mod(shiftlogic1)"), "unknown");
    EXPECT_FALSE (catalogue.isKnownAlias ("MOD(SHIFTLOGIC1)"));
    EXPECT_FALSE (catalogue.hasRange ("FAM(FX)[0X1].SELECT"));
    EXPECT_EQ (catalogue.getRangeValueName ("FAM(FX)[0X1].SELECT", 3), "3");
}

//==============================================================================
TEST_F (CatalogueLookup, UnknownAliasGivesUnknownTitlesStoredButUnknwonTypeNotStored)
{
    for (int round = 0; round < 2; ++round)
    {
        EXPECT_EQ (catalogue.getType (unknownAlias), "unknwon");
        EXPECT_EQ (catalogue.getTitle (unknownAlias), "unknown");
        EXPECT_EQ (catalogue.getGroupTitle (unknownAlias), "unknown");
    }

    EXPECT_FALSE (cache (Cache::type).containsKey (unknownAlias));
    EXPECT_EQ (cache (Cache::title).getValue (unknownAlias, "absent"), "unknown");
    EXPECT_EQ (cache (Cache::groupTitle).getValue (unknownAlias, "absent"), "unknown");
}

TEST_F (CatalogueLookup, KnownCacheRemembersBothAnswers)
{
    EXPECT_TRUE (catalogue.isKnownAlias ("fam(Player)[0x1].CuePlay"));
    EXPECT_FALSE (catalogue.isKnownAlias (unknownAlias));

    EXPECT_EQ (cache (Cache::known).getValue ("fam(Player)[0x1].CuePlay", "absent"), "1");
    EXPECT_EQ (cache (Cache::known).getValue (unknownAlias, "absent"), ""); // stored as a void value

    // Later answers come from the cache, not from the trees.
    cache (Cache::known).setValue (unknownAlias, "1");
    cache (Cache::known).setValue ("fam(Player)[0x1].CuePlay", "");
    EXPECT_TRUE (catalogue.isKnownAlias (unknownAlias));
    EXPECT_FALSE (catalogue.isKnownAlias ("fam(Player)[0x1].CuePlay"));
}

TEST_F (CatalogueLookup, TitleLookupsAnswerFromTheirCaches)
{
    cache (Cache::title).setValue ("mod(Shift)", "cached title");
    cache (Cache::groupTitle).setValue ("mod(Shift)", "cached group");
    cache (Cache::type).setValue ("mod(Shift)", "cached type");

    EXPECT_EQ (catalogue.getTitle ("mod(Shift)"), "cached title");
    EXPECT_EQ (catalogue.getGroupTitle ("mod(Shift)"), "cached group");
    EXPECT_EQ (catalogue.getType ("mod(Shift)"), "cached type");
}

TEST_F (CatalogueLookup, OutputAliasSearchesOnlyTheOutputTreeAndReadsNoCache)
{
    // An "In" row: not an output, and nothing is stored.
    EXPECT_FALSE (catalogue.isOutputAlias ("fam(Player)[0x1].CuePlay"));
    EXPECT_FALSE (cache (Cache::known).containsKey ("fam(Player)[0x1].CuePlay"));
    EXPECT_FALSE (catalogue.isOutputAlias (unknownAlias));
    EXPECT_EQ (entries (Cache::known), 0);

    // "Out" and "In&Out" rows: outputs, stored as known.
    EXPECT_TRUE (catalogue.isOutputAlias ("fam(Player)[0x1].TrackTitle"));
    EXPECT_TRUE (catalogue.isOutputAlias ("fam(Fx)[0x1].OnOff"));
    EXPECT_EQ (cache (Cache::known).getValue ("fam(Player)[0x1].TrackTitle"), "1");
    EXPECT_EQ (cache (Cache::known).getValue ("fam(Fx)[0x1].OnOff"), "1");

    // The later isKnownAlias answers from that entry.
    cache (Cache::known).setValue ("fam(Player)[0x1].TrackTitle", "");
    EXPECT_FALSE (catalogue.isKnownAlias ("fam(Player)[0x1].TrackTitle"));

    // isOutputAlias itself never reads the cache.
    cache (Cache::known).setValue ("fam(Player)[0x1].CuePlay", "1");
    EXPECT_FALSE (catalogue.isOutputAlias ("fam(Player)[0x1].CuePlay"));
    EXPECT_TRUE (catalogue.isOutputAlias ("fam(Player)[0x1].TrackTitle"));
}

TEST_F (CatalogueLookup, EmptyAliasGivesMissAnswersAndStoresNothing)
{
    EXPECT_FALSE (catalogue.isKnownAlias ({}));
    EXPECT_FALSE (catalogue.isOutputAlias ({}));
    EXPECT_EQ (catalogue.getGroupTitle ({}), "unknown");
    EXPECT_EQ (catalogue.getTitle ({}), "unknown");
    EXPECT_EQ (catalogue.getType ({}), "unknwon");
    EXPECT_TRUE (catalogue.getPresetNames ({}, 0).isEmpty());
    EXPECT_FALSE (catalogue.createPreset ({}, "Logic Fader/Knob", 0).isValid());
    EXPECT_FALSE (catalogue.hasRange ({}));
    EXPECT_EQ (catalogue.getRangeMin ({}), 0);
    EXPECT_EQ (catalogue.getRangeMax ({}), 127);
    EXPECT_EQ (catalogue.getRangeValueName ({}, 3), "3");

    EXPECT_EQ (ControlCatalogueInspector::totalCacheEntries (catalogue), 0);
}

// Every cache holds exactly the entries its lookups store, in the order they were stored,
// however often the lookups are repeated; misses that are not stored stay out.
TEST_F (CatalogueLookup, CachesHoldExactlyWhatTheSequenceOfLookupsStores)
{
    const juce::String select = "fam(Fx)[0x1].Select", shift = "mod(ShiftLogic1)", meter = "fam(Mixer).MasterMeter";

    for (int round = 0; round < 2; ++round)
    {
        catalogue.getGroupTitle (shift);
        catalogue.getGroupTitle (unknownAlias);
        catalogue.getGroupTitle ({});
        catalogue.getTitle ("fam(Fx)[0x1].OnOff");
        catalogue.getTitle ("FAM(FX)[0X1].ONOFF");
        catalogue.getType (meter);
        catalogue.getType (unknownAlias);
        catalogue.getPresetNames ("reg(RegisterLogic1)", 1);
        catalogue.isKnownAlias ("fam(Player)[0x1].CuePlay");
        catalogue.isKnownAlias (unknownAlias);
        catalogue.isOutputAlias ("fam(Player)[0x1].TrackTitle");
        catalogue.isOutputAlias ("app(About)");
        catalogue.hasRange (select);
        catalogue.hasRange (shift);
        catalogue.getRangeMin (select);
        catalogue.getRangeMin (shift);
        catalogue.getRangeMax (select);
        catalogue.getRangeMax (meter);
        catalogue.getRangeValueName (select, 3);
        catalogue.getRangeValueName (select, 15);
    }

    struct Expected { Cache cache; juce::StringArray keys, texts; };

    const Expected expected[] = {
        { Cache::groupTitle, { shift, unknownAlias }, { "Modifiers ", "unknown" } },
        { Cache::title, { "fam(Fx)[0x1].OnOff", "FAM(FX)[0X1].ONOFF" }, { "Fx 1  ON/OFF", "unknown" } },
        { Cache::type, { meter, "reg(RegisterLogic1)" }, { "Normal", "Logic" } },
        { Cache::known, { "fam(Player)[0x1].CuePlay", unknownAlias, "fam(Player)[0x1].TrackTitle" }, { "1", "", "1" } },
        { Cache::hasRange, { select }, { "1" } },
        { Cache::rangeMin, { select }, { "1" } },
        { Cache::rangeMax, { select }, { "14" } },
        { Cache::valueName, { select + "3" }, { "ECHO" } },
    };

    for (auto& e : expected)
    {
        SCOPED_TRACE ((int) e.cache);
        EXPECT_EQ (cache (e.cache).getAllProperties().getAllKeys(), e.keys);
        EXPECT_EQ (cache (e.cache).getAllProperties().getAllValues(), e.texts);
    }

    // An entry removed from a cache is searched and stored again; the others still answer.
    cache (Cache::title).removeValue ("fam(Fx)[0x1].OnOff");
    cache (Cache::title).setValue ("FAM(FX)[0X1].ONOFF", "changed");
    EXPECT_EQ (catalogue.getTitle ("FAM(FX)[0X1].ONOFF"), "changed");
    EXPECT_EQ (catalogue.getTitle ("fam(Fx)[0x1].OnOff"), "Fx 1  ON/OFF");
    EXPECT_EQ (cache (Cache::title).getAllProperties().getAllKeys(), juce::StringArray ("FAM(FX)[0X1].ONOFF", "fam(Fx)[0x1].OnOff"));
}

TEST (ControlCatalogueUnloaded, EveryLookupMissesWithoutFailing)
{
    ControlCatalogue catalogue;

    EXPECT_EQ (ControlCatalogueInspector::in (catalogue).getNumChildren(), 0);
    EXPECT_FALSE (ControlCatalogueInspector::types (catalogue).isValid());
    EXPECT_FALSE (ControlCatalogueInspector::ranges (catalogue).isValid());

    EXPECT_FALSE (catalogue.isKnownAlias ("mod(Shift)"));
    EXPECT_EQ (catalogue.getTitle ("mod(Shift)"), "unknown");
    EXPECT_EQ (catalogue.getType ("mod(Shift)"), "unknwon");
    EXPECT_TRUE (catalogue.getPresetNames ("mod(Shift)", 0).isEmpty());
    EXPECT_FALSE (catalogue.createPreset ("mod(Shift)", "Logic Fader/Knob", 0).isValid());
    EXPECT_FALSE (catalogue.hasRange ("fam(Fx)[0x1].Select"));
    EXPECT_EQ (catalogue.getRangeMin ("fam(Fx)[0x1].Select"), 0);
    EXPECT_EQ (catalogue.getRangeMax ("fam(Fx)[0x1].Select"), 127);
    EXPECT_EQ (catalogue.getRangeValueName ("fam(Fx)[0x1].Select", 3), "3");
}

//==============================================================================
TEST_F (CatalogueLookup, PresetNamesFollowTypeAndMidiKind)
{
    const juce::String logic = "fam(Fx)[0x1].OnOff";
    const juce::StringArray faders ("Logic Fader/Knob", "Holder Fader/Knob", "Toggler Fader/Knob");

    EXPECT_EQ (catalogue.getPresetNames (logic, 0), faders);
    EXPECT_EQ (catalogue.getPresetNames (logic, 2), faders); // pitch wheel takes the CC presets
    EXPECT_EQ (catalogue.getPresetNames (logic, 1), juce::StringArray ("Holder Button", "Toggler Button"));
    EXPECT_TRUE (catalogue.getPresetNames (logic, -1).isEmpty());
    EXPECT_TRUE (catalogue.getPresetNames (logic, 3).isEmpty());

    EXPECT_EQ (catalogue.getPresetNames ("mod(ShiftSelector)", 1),
               juce::StringArray ("Inc.-Dec. Modifier Button", "Direct Modifier Button", "Modifier Holder Button", "Modifier Toggler Button"));
    EXPECT_EQ (catalogue.getPresetNames ("fam(Fx)[0x1].Select", 0).size(), 5);
    EXPECT_EQ (catalogue.getPresetNames ("fam(Player)[0x1].CuePlay", 1), juce::StringArray ("Trigger Button", "Trigger Note"));
    EXPECT_EQ (catalogue.getPresetNames ("fam(Player)[0x1].PitchBend", 2), juce::StringArray ("Pitch Wheel", "Polar Wheel"));

    // Types without presets, and unknown aliases, give nothing.
    EXPECT_TRUE (catalogue.getPresetNames ("fam(Player)[0x1].ComboJog", 0).isEmpty());
    EXPECT_TRUE (catalogue.getPresetNames ("fam(Player)[0x1].TrackTitle", 0).isEmpty());
    EXPECT_TRUE (catalogue.getPresetNames (unknownAlias, 0).isEmpty());

    // The type lookup behind it fills the type cache.
    EXPECT_EQ (cache (Cache::type).getValue (logic), "Logic");
}

TEST_F (CatalogueLookup, CreatePresetGivesADeepCopyOrAnInvalidTree)
{
    const juce::String integer = "fam(Fx)[0x1].Select";

    EXPECT_FALSE (catalogue.createPreset (integer, "Integer Map Fader/Knob", 1).isValid()); // a CC preset only
    EXPECT_FALSE (catalogue.createPreset (integer, "Integer Map Fader/Knob", -1).isValid());
    EXPECT_FALSE (catalogue.createPreset (integer, "integer map fader/knob", 0).isValid());
    EXPECT_FALSE (catalogue.createPreset (unknownAlias, "Integer Map Fader/Knob", 0).isValid());
    EXPECT_TRUE (catalogue.createPreset (integer, "Integer Map Fader/Knob", 2).isValid());

    auto preset = catalogue.createPreset (integer, "Integer Map Fader/Knob", 0);
    ASSERT_TRUE (preset.isValid());
    EXPECT_EQ (preset.getType().toString(), "preset");
    EXPECT_EQ (preset["name"].toString(), "Integer Map Fader/Knob");

    auto parameters = preset.getChildWithName ("parameters");
    ASSERT_EQ (parameters.getNumChildren(), 4);
    EXPECT_EQ (parameters.getChild (2)["key"].toString(), "forwardIntegerRange");
    EXPECT_EQ (parameters.getChild (2)["value"].toString(), "0 127");
    EXPECT_FALSE (preset.getParent().isValid());

    // Changing the copy, down to its parameters, leaves the catalogue as it was.
    const auto typesBefore = ControlCatalogueInspector::types (catalogue).createCopy();
    preset.setProperty ("name", "changed", nullptr);
    parameters.getChild (2).setProperty ("value", "5 6", nullptr);
    parameters.removeChild (0, nullptr);

    EXPECT_TRUE (ControlCatalogueInspector::types (catalogue).isEquivalentTo (typesBefore));
    auto again = catalogue.createPreset (integer, "Integer Map Fader/Knob", 0);
    EXPECT_EQ (again.getChildWithName ("parameters").getNumChildren(), 4);
    EXPECT_EQ (again.getChildWithName ("parameters").getChild (2)["value"].toString(), "0 127");

    auto triggerNote = catalogue.createPreset ("app(About)", "Trigger Note", 1);
    ASSERT_TRUE (triggerNote.isValid());
    EXPECT_EQ (triggerNote.getNumChildren(), 1);
    EXPECT_EQ (triggerNote.getChildWithName ("parameters").getNumChildren(), 0);
}

//==============================================================================
TEST_F (CatalogueLookup, RangesGiveBoundsAndValueNames)
{
    const juce::String select = "fam(Fx)[0x1].Select";

    EXPECT_TRUE (catalogue.hasRange (select));
    EXPECT_EQ (catalogue.getRangeMin (select), 1);
    EXPECT_EQ (catalogue.getRangeMax (select), 14);
    EXPECT_EQ (catalogue.getRangeValueName (select, 3), "ECHO");
    EXPECT_EQ (catalogue.getRangeValueName (select, 14), "ROLL");
    EXPECT_EQ (catalogue.getRangeValueName (select, 15), "15");
    EXPECT_EQ (catalogue.getRangeValueName (select, -1), "-1");
    EXPECT_EQ (catalogue.getRangeValueName ("fam(Fx)[0x2].SelectAndToggle", 0), "OFF");
    EXPECT_EQ (catalogue.getRangeValueName ("fam(Fx)[0x1].InputChannelOnOff", 5), "Master");
    EXPECT_EQ (catalogue.getRangeValueName ("fam(SyncTools).SnapValue", 2), "2");
    EXPECT_EQ (catalogue.getRangeMin ("mod(ShiftSelector)"), 0);
    EXPECT_EQ (catalogue.getRangeMax ("mod(ShiftSelector)"), 8);

    // Found answers are stored; the value-name key is the alias followed directly by the value.
    EXPECT_EQ (cache (Cache::hasRange).getValue (select), "1");
    EXPECT_EQ (cache (Cache::rangeMin).getValue (select), "1");
    EXPECT_EQ (cache (Cache::rangeMax).getValue (select), "14");
    EXPECT_EQ (cache (Cache::valueName).getValue (select + "3"), "ECHO");
    EXPECT_FALSE (cache (Cache::valueName).containsKey (select + "15"));
    EXPECT_FALSE (cache (Cache::valueName).containsKey ("fam(SyncTools).SnapValue2"));

    cache (Cache::valueName).setValue (select + "4", "cached");
    EXPECT_EQ (catalogue.getRangeValueName (select, 4), "cached");
}

TEST_F (CatalogueLookup, AliasWithoutRangeGivesDefaultsAndStoresNothing)
{
    const juce::String plain = "fam(Player)[0x1].PlayPause";

    for (int round = 0; round < 2; ++round)
    {
        EXPECT_FALSE (catalogue.hasRange (plain));
        EXPECT_EQ (catalogue.getRangeMin (plain), 0);
        EXPECT_EQ (catalogue.getRangeMax (plain), 127);
        EXPECT_EQ (catalogue.getRangeValueName (plain, 7), "7");
    }

    EXPECT_EQ (ControlCatalogueInspector::totalCacheEntries (catalogue), 0);
}

TEST_F (CatalogueLookup, RangeElementsWithMissingAttributesUseTheirDefaults)
{
    // A ranges document shaped to reach the rules the embedded one does not use.
    auto ranges = juce::ValueTree::fromXml (R"xml(<Ranges>
        <alias name="a(Bare)"><key name="minus one"/><key value="2"/></alias>
        <alias name="a(Twice)" min="3" max="4"><key value="1" name="first"/></alias>
        <alias name="a(Twice)" min="9" max="9"><key value="1" name="shadowed"/><key value="2" name="second"/></alias>
    </Ranges>)xml");
    ASSERT_TRUE (ranges.isValid());
    ControlCatalogueInspector::setRanges (catalogue, ranges);

    EXPECT_TRUE (catalogue.hasRange ("a(Bare)"));
    EXPECT_EQ (catalogue.getRangeMin ("a(Bare)"), 0);
    EXPECT_EQ (catalogue.getRangeMax ("a(Bare)"), 127);
    EXPECT_EQ (cache (Cache::rangeMin).getValue ("a(Bare)", "absent"), "0");
    EXPECT_EQ (cache (Cache::rangeMax).getValue ("a(Bare)", "absent"), "127");

    // A key without a value stands for -1; a key without a name is named by its value.
    EXPECT_EQ (catalogue.getRangeValueName ("a(Bare)", -1), "minus one");
    EXPECT_EQ (catalogue.getRangeValueName ("a(Bare)", 2), "2");
    EXPECT_EQ (cache (Cache::valueName).getValue ("a(Bare)2", "absent"), "2");

    // The first element of a name wins for the bounds; value names look through every element of it.
    EXPECT_EQ (catalogue.getRangeMin ("a(Twice)"), 3);
    EXPECT_EQ (catalogue.getRangeMax ("a(Twice)"), 4);
    EXPECT_EQ (catalogue.getRangeValueName ("a(Twice)", 1), "first");
    EXPECT_EQ (catalogue.getRangeValueName ("a(Twice)", 2), "second");
}
