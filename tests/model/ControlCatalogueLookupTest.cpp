#include <gtest/gtest.h>

#include "model/ControlCatalogueInspector.h"

using Cache = ControlCatalogueInspector::Cache;

namespace
{
    struct CatalogueLookup : public ::testing::Test
    {
        CatalogueLookup() { catalogue.load(); }

        juce::PropertySet& cache (Cache which) { return ControlCatalogueInspector::cache (catalogue, which); }

        ControlCatalogue catalogue;
    };

    const juce::String unknownAlias = "fam(Player)[0x1].NoSuchControl", selectFx = "fam(Fx)[0x1].Select";

    /** One lookup, named by its call, with its answer as text (a list joined by "|"). */
    struct Ask
    {
        const char* call;
        juce::String alias;
        int number;

        juce::String of (const ControlCatalogue& c) const
        {
            const juce::String name (call);

            if (name == "group")   return c.getGroupTitle (alias);
            if (name == "title")   return c.getTitle (alias);
            if (name == "type")    return c.getType (alias);
            if (name == "known")   return c.isKnownAlias (alias) ? "yes" : "no";
            if (name == "output")  return c.isOutputAlias (alias) ? "yes" : "no";
            if (name == "presets") return c.getPresetNames (alias, number).joinIntoString ("|");
            if (name == "preset")  return c.createPreset (alias, "Logic Fader/Knob", number).isValid() ? "yes" : "no";
            if (name == "range")   return c.hasRange (alias) ? "yes" : "no";
            if (name == "min")     return juce::String (c.getRangeMin (alias));
            if (name == "max")     return juce::String (c.getRangeMax (alias));
            if (name == "name")    return c.getRangeValueName (alias, number);
            return "no such call";
        }
    };

    /** The answers for aliases the catalogue lacks (and the empty alias), loaded or not. */
    const std::pair<Ask, const char*> misses[] = {
        { { "group", unknownAlias, 0 }, "unknown" }, { { "title", unknownAlias, 0 }, "unknown" },
        { { "type", unknownAlias, 0 }, "unknwon" }, { { "known", unknownAlias, 0 }, "no" },
        { { "output", unknownAlias, 0 }, "no" }, { { "presets", unknownAlias, 0 }, "" },
        { { "group", {}, 0 }, "unknown" }, { { "title", {}, 0 }, "unknown" }, { { "type", {}, 0 }, "unknwon" },
        { { "known", {}, 0 }, "no" }, { { "output", {}, 0 }, "no" }, { { "presets", {}, 0 }, "" },
        { { "preset", {}, 0 }, "no" }, { { "range", {}, 0 }, "no" }, { { "min", {}, 0 }, "0" },
        { { "max", {}, 0 }, "127" }, { { "name", {}, 3 }, "3" },
    };
}

//==============================================================================
// Every answer twice: once searched, once from the caches.
TEST_F (CatalogueLookup, LookupsGiveTheCataloguesAnswersAndTheMissesTheirFixedTexts)
{
    const std::pair<Ask, const char*> cases[] = {
        // titles hold the group title with its trailing blank; out-only controls are found too
        { { "group", "mod(ShiftLogic1)", 0 }, "Modifiers " }, { { "title", "mod(ShiftLogic1)", 0 }, "Modifiers  Shift Logic 1" },
        { { "title", "fam(Fx)[0x1].OnOff", 0 }, "Fx 1  ON/OFF" }, { { "group", "fam(Mixer).MasterMeter", 0 }, "Mixer " },
        { { "type", "mod(ShiftLogic1)", 0 }, "Logic" }, { { "type", "fam(Mixer).MasterMeter", 0 }, "Normal" },
        // the row whose alias holds a blank is known by its first word
        { { "known", "app(Plugin", 0 }, "yes" }, { { "known", "app(Plugin Preferences)", 0 }, "no" },
        { { "type", "app(Plugin", 0 }, "references" }, { { "title", "app(Plugin", 0 }, "Application  Plugin Preferences..." },
        // aliases compare case-sensitively
        { { "title", "mod(shiftlogic1)", 0 }, "unknown" }, { { "known", "MOD(SHIFTLOGIC1)", 0 }, "no" },
        { { "range", "FAM(FX)[0X1].SELECT", 0 }, "no" }, { { "name", "FAM(FX)[0X1].SELECT", 3 }, "3" },
        // outputs are "Out" and "In&Out" rows only
        { { "output", "fam(Player)[0x1].CuePlay", 0 }, "no" }, { { "output", "fam(Player)[0x1].TrackTitle", 0 }, "yes" },
        { { "output", "fam(Fx)[0x1].OnOff", 0 }, "yes" }, { { "known", "fam(Player)[0x1].CuePlay", 0 }, "yes" },
        // presets by type and MIDI kind (a pitch wheel takes the CC presets); types without presets give none
        { { "presets", "fam(Fx)[0x1].OnOff", 0 }, "Logic Fader/Knob|Holder Fader/Knob|Toggler Fader/Knob" },
        { { "presets", "fam(Fx)[0x1].OnOff", 2 }, "Logic Fader/Knob|Holder Fader/Knob|Toggler Fader/Knob" },
        { { "presets", "fam(Fx)[0x1].OnOff", 1 }, "Holder Button|Toggler Button" },
        { { "presets", "fam(Fx)[0x1].OnOff", -1 }, "" }, { { "presets", "fam(Fx)[0x1].OnOff", 3 }, "" },
        { { "presets", "mod(ShiftSelector)", 1 }, "Inc.-Dec. Modifier Button|Direct Modifier Button|Modifier Holder Button|Modifier Toggler Button" },
        { { "presets", "fam(Player)[0x1].CuePlay", 1 }, "Trigger Button|Trigger Note" },
        { { "presets", "fam(Player)[0x1].PitchBend", 2 }, "Pitch Wheel|Polar Wheel" },
        { { "presets", "fam(Player)[0x1].ComboJog", 0 }, "" }, { { "presets", "app(Plugin", 1 }, "" },
        { { "preset", "fam(Fx)[0x1].OnOff", 1 }, "no" }, { { "preset", "fam(Fx)[0x1].OnOff", 2 }, "yes" },
        // ranges: bounds and value names, or the defaults
        { { "range", selectFx, 0 }, "yes" }, { { "min", selectFx, 0 }, "1" }, { { "max", selectFx, 0 }, "14" },
        { { "name", selectFx, 3 }, "ECHO" }, { { "name", selectFx, 15 }, "15" },
        { { "name", selectFx, -1 }, "-1" }, { { "name", "fam(Fx)[0x2].SelectAndToggle", 0 }, "OFF" },
        { { "name", "fam(SyncTools).SnapValue", 2 }, "2" },
        { { "min", "mod(ShiftSelector)", 0 }, "0" }, { { "max", "mod(ShiftSelector)", 0 }, "8" },
        { { "range", "fam(Player)[0x1].PlayPause", 0 }, "no" }, { { "min", "fam(Player)[0x1].PlayPause", 0 }, "0" },
        { { "max", "fam(Player)[0x1].PlayPause", 0 }, "127" }, { { "name", "fam(Player)[0x1].PlayPause", 7 }, "7" },
    };

    auto check = [this] (const auto& table)
    {
        for (auto& [ask, expected] : table)
            EXPECT_EQ (ask.of (catalogue), expected) << ask.call << " " << ask.alias << " " << ask.number;
    };

    for (int round = 0; round < 2; ++round)
    {
        check (cases);
        check (misses);
    }
}

TEST (ControlCatalogueUnloaded, EveryLookupMissesWithoutFailing)
{
    ControlCatalogue catalogue;

    for (auto& [ask, expected] : misses)
    {
        const Ask loadedHit { ask.call, ask.alias.isEmpty() ? selectFx : ask.alias, ask.number };
        EXPECT_EQ (loadedHit.of (catalogue), expected) << ask.call;
    }
}

// Every cache holds exactly the entries its lookups store, in the order they were stored,
// however often the lookups are repeated; misses that are not stored stay out.
TEST_F (CatalogueLookup, CachesHoldExactlyWhatTheSequenceOfLookupsStores)
{
    const juce::String shift = "mod(ShiftLogic1)", meter = "fam(Mixer).MasterMeter", plain = "fam(Player)[0x1].PlayPause";
    const Ask sequence[] = {
        { "output", "fam(Player)[0x1].CuePlay", 0 }, { "group", shift, 0 }, { "group", unknownAlias, 0 }, { "group", {}, 0 },
        { "title", "fam(Fx)[0x1].OnOff", 0 },
        { "title", "FAM(FX)[0X1].ONOFF", 0 }, { "type", meter, 0 }, { "type", unknownAlias, 0 },
        { "presets", "reg(RegisterLogic1)", 1 }, { "known", "fam(Player)[0x1].CuePlay", 0 }, { "known", unknownAlias, 0 },
        { "output", "fam(Player)[0x1].TrackTitle", 0 }, { "output", "app(About)", 0 }, { "output", unknownAlias, 0 },
        { "range", selectFx, 0 }, { "range", shift, 0 }, { "min", selectFx, 0 }, { "min", shift, 0 }, { "max", selectFx, 0 },
        { "max", meter, 0 }, { "name", selectFx, 3 }, { "name", selectFx, 15 }, { "name", plain, 7 },
    };

    for (int round = 0; round < 2; ++round)
    {
        for (auto& ask : sequence)
            ask.of (catalogue);

        for (auto& [ask, expected] : misses)
            ask.of (catalogue);
    }

    const std::tuple<Cache, juce::StringArray, juce::StringArray> expected[] = {
        { Cache::groupTitle, { shift, unknownAlias }, { "Modifiers ", "unknown" } },
        { Cache::title, { "fam(Fx)[0x1].OnOff", "FAM(FX)[0X1].ONOFF", unknownAlias }, { "Fx 1  ON/OFF", "unknown", "unknown" } },
        { Cache::type, { meter, "reg(RegisterLogic1)" }, { "Normal", "Logic" } },
        { Cache::known, { "fam(Player)[0x1].CuePlay", unknownAlias, "fam(Player)[0x1].TrackTitle" }, { "1", "", "1" } },
        { Cache::hasRange, { selectFx }, { "1" } },
        { Cache::rangeMin, { selectFx }, { "1" } },
        { Cache::rangeMax, { selectFx }, { "14" } },
        { Cache::valueName, { selectFx + "3" }, { "ECHO" } },
    };

    for (auto& [which, keys, texts] : expected)
    {
        SCOPED_TRACE ((int) which);
        EXPECT_EQ (cache (which).getAllProperties().getAllKeys(), keys);
        EXPECT_EQ (cache (which).getAllProperties().getAllValues(), texts);
    }

    // An entry removed from a cache is searched and stored again; the others still answer.
    cache (Cache::title).removeValue ("fam(Fx)[0x1].OnOff");
    cache (Cache::title).setValue ("FAM(FX)[0X1].ONOFF", "changed");
    EXPECT_EQ (catalogue.getTitle ("FAM(FX)[0X1].ONOFF"), "changed");
    EXPECT_EQ (catalogue.getTitle ("fam(Fx)[0x1].OnOff"), "Fx 1  ON/OFF");
    EXPECT_EQ (cache (Cache::title).getAllProperties().getAllKeys(),
               juce::StringArray ("FAM(FX)[0X1].ONOFF", unknownAlias, "fam(Fx)[0x1].OnOff"));
}

// What a cache holds is the answer, searched or not; isOutputAlias alone never reads a cache.
TEST_F (CatalogueLookup, LookupsAnswerFromTheirCaches)
{
    const std::tuple<Cache, juce::String, const char*, Ask, const char*> cases[] = {
        { Cache::groupTitle, "mod(Shift)", "cached group", { "group", "mod(Shift)", 0 }, "cached group" },
        { Cache::title, "mod(Shift)", "cached title", { "title", "mod(Shift)", 0 }, "cached title" },
        { Cache::type, "mod(Shift)", "cached type", { "type", "mod(Shift)", 0 }, "cached type" },
        { Cache::known, unknownAlias, "1", { "known", unknownAlias, 0 }, "yes" },
        { Cache::known, "fam(Player)[0x1].CuePlay", "", { "known", "fam(Player)[0x1].CuePlay", 0 }, "no" },
        { Cache::known, "fam(Player)[0x1].CuePlay", "1", { "output", "fam(Player)[0x1].CuePlay", 0 }, "no" },
        { Cache::hasRange, unknownAlias, "1", { "range", unknownAlias, 0 }, "yes" },
        { Cache::rangeMin, selectFx, "5", { "min", selectFx, 0 }, "5" },
        { Cache::rangeMax, selectFx, "9", { "max", selectFx, 0 }, "9" },
        { Cache::valueName, selectFx + "4", "cached", { "name", selectFx, 4 }, "cached" },
    };

    for (auto& [which, key, text, ask, expected] : cases)
    {
        SCOPED_TRACE (ask.call);
        cache (which).setValue (key, text);
        EXPECT_EQ (ask.of (catalogue), expected);
        cache (which).clear();
    }

    // isOutputAlias stores a hit for the later isKnownAlias.
    EXPECT_TRUE (catalogue.isOutputAlias ("fam(Player)[0x1].TrackTitle"));
    cache (Cache::known).setValue ("fam(Player)[0x1].TrackTitle", "");
    EXPECT_FALSE (catalogue.isKnownAlias ("fam(Player)[0x1].TrackTitle"));
}

//==============================================================================
TEST_F (CatalogueLookup, CreatePresetGivesADeepCopyOrAnInvalidTree)
{
    for (auto& [name, kind] : { std::pair<const char*, int> { "Integer Map Fader/Knob", 1 }, { "Integer Map Fader/Knob", -1 },
                                { "integer map fader/knob", 0 } })
        EXPECT_FALSE (catalogue.createPreset (selectFx, name, kind).isValid()) << name << " " << kind;

    auto preset = catalogue.createPreset (selectFx, "Integer Map Fader/Knob", 0);
    ASSERT_TRUE (preset.isValid());
    EXPECT_FALSE (preset.getParent().isValid());
    auto parameters = preset.getChildWithName ("parameters");
    ASSERT_EQ (parameters.getNumChildren(), 4);
    EXPECT_EQ (parameters.getChild (2)["key"].toString() + " " + parameters.getChild (2)["value"].toString(), "forwardIntegerRange 0 127");

    // Changing the copy, down to its parameters, leaves the catalogue as it was.
    const auto typesBefore = ControlCatalogueInspector::types (catalogue).createCopy();
    preset.setProperty ("name", "changed", nullptr);
    parameters.getChild (2).setProperty ("value", "5 6", nullptr);
    parameters.removeChild (0, nullptr);
    EXPECT_TRUE (ControlCatalogueInspector::types (catalogue).isEquivalentTo (typesBefore));

    auto triggerNote = catalogue.createPreset ("app(About)", "Trigger Note", 1);
    EXPECT_EQ (triggerNote.createXml()->toString (juce::XmlElement::TextFormat().singleLine().withoutHeader()),
               "<preset name=\"Trigger Note\"><parameters/></preset>");
}

TEST_F (CatalogueLookup, RangeElementsWithMissingAttributesUseTheirDefaults)
{
    // A ranges document shaped to reach the rules the embedded one does not use.
    ControlCatalogueInspector::setRanges (catalogue, juce::ValueTree::fromXml (R"xml(<Ranges>
        <alias name="a(Bare)"><key name="minus one"/><key value="2"/></alias>
        <alias name="a(Twice)" min="3" max="4"><key value="1" name="first"/></alias>
        <alias name="a(Twice)" min="9" max="9"><key value="1" name="shadowed"/><key value="2" name="second"/></alias>
    </Ranges>)xml"));

    // A key without a value stands for -1, a key without a name is named by its value; the first
    // element of a name wins for the bounds, and value names look through every element of it.
    const std::pair<Ask, const char*> cases[] = {
        { { "range", "a(Bare)", 0 }, "yes" }, { { "min", "a(Bare)", 0 }, "0" }, { { "max", "a(Bare)", 0 }, "127" },
        { { "name", "a(Bare)", -1 }, "minus one" }, { { "name", "a(Bare)", 2 }, "2" },
        { { "min", "a(Twice)", 0 }, "3" }, { { "max", "a(Twice)", 0 }, "4" },
        { { "name", "a(Twice)", 1 }, "first" }, { { "name", "a(Twice)", 2 }, "second" },
    };

    for (auto& [ask, expected] : cases)
        EXPECT_EQ (ask.of (catalogue), expected) << ask.call << " " << ask.alias << " " << ask.number;

    EXPECT_EQ (cache (Cache::rangeMin).getValue ("a(Bare)", "absent"), "0");
    EXPECT_EQ (cache (Cache::rangeMax).getValue ("a(Bare)", "absent"), "127");
    EXPECT_EQ (cache (Cache::valueName).getValue ("a(Bare)2", "absent"), "2");
}
