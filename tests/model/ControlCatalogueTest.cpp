#include <gtest/gtest.h>

#include "model/ControlCatalogueInspector.h"
#include "support/TestHelpers.h"

namespace
{
    struct Catalogue : public ::testing::Test
    {
        Catalogue() { catalogue.load(); }
        ControlCatalogue catalogue;
    };

    /** One lookup: its call, alias, number and expected answer as text (a list joined by "|"). */
    using Row = std::tuple<const char*, juce::String, int, const char*>;

    juce::String ask (const ControlCatalogue& c, const juce::String& call, const juce::String& alias, int number)
    {
        const auto yes = [] (bool b) { return juce::String (b ? "yes" : "no"); };

        if (call == "group")   return c.getGroupTitle (alias);
        if (call == "title")   return c.getTitle (alias);
        if (call == "type")    return c.getType (alias);
        if (call == "known")   return yes (c.isKnownAlias (alias));
        if (call == "output")  return yes (c.isOutputAlias (alias));
        if (call == "presets") return c.getPresetNames (alias, number).joinIntoString ("|");
        if (call == "range")   return yes (c.hasRange (alias));
        if (call == "min")     return juce::String (c.getRangeMin (alias));
        if (call == "max")     return juce::String (c.getRangeMax (alias));
        return c.getRangeValueName (alias, number);
    }

    void check (const ControlCatalogue& c, std::initializer_list<Row> rows)
    {
        for (auto& [call, alias, number, expected] : rows)
            EXPECT_EQ (ask (c, call, alias, number), expected) << call << " " << alias << " " << number;
    }

    const juce::String shift = "mod(ShiftLogic1)", meter = "fam(Mixer).MasterMeter", onOff = "fam(Fx)[0x1].OnOff",
                       selectFx = "fam(Fx)[0x1].Select", cuePlay = "fam(Player)[0x1].CuePlay", playPause = "fam(Player)[0x1].PlayPause",
                       trackTitle = "fam(Player)[0x1].TrackTitle", selector = "mod(ShiftSelector)", unknown = "fam(Player)[0x1].NoSuchControl";
}

// Every answer twice, searched and then cached, with the same result; then the caches hold exactly what
// the lookups stored: hits, the misses that are stored, never the empty key nor a missing type.
TEST_F (Catalogue, LookupsGiveTheSameAnswersFromTheCachesAndStoreWhatTheyFound)
{
    for (int round = 0; round < 2; ++round)
    {
        check (catalogue, {
            { "group", shift, 0, "Modifiers " }, { "title", shift, 0, "Modifiers  Shift Logic 1" }, { "title", onOff, 0, "Fx 1  ON/OFF" },
            { "type", meter, 0, "Normal" }, { "group", meter, 0, "Mixer " }, // an "Out" row
            { "known", "app(Plugin", 0, "yes" }, { "known", "app(Plugin Preferences)", 0, "no" }, { "type", "app(Plugin", 0, "references" },
            { "title", "mod(shiftlogic1)", 0, "unknown" }, { "range", "FAM(FX)[0X1].SELECT", 0, "no" }, // aliases are case-sensitive
            { "output", cuePlay, 0, "no" }, { "known", cuePlay, 0, "yes" }, { "group", cuePlay, 0, "Player A " }, { "output", trackTitle, 0, "yes" },
            { "presets", onOff, 0, "Logic Fader/Knob|Holder Fader/Knob|Toggler Fader/Knob" },
            { "presets", onOff, 2, "Logic Fader/Knob|Holder Fader/Knob|Toggler Fader/Knob" }, // a pitch wheel takes the CC presets
            { "presets", onOff, 1, "Holder Button|Toggler Button" }, { "presets", onOff, 3, "" },
            { "presets", "fam(Player)[0x1].PitchBend", 2, "Pitch Wheel|Polar Wheel" }, { "presets", "fam(Player)[0x1].ComboJog", 0, "" },
            { "range", selectFx, 0, "yes" }, { "min", selectFx, 0, "1" }, { "max", selectFx, 0, "14" }, { "max", selector, 0, "8" },
            { "name", selectFx, 3, "ECHO" }, { "name", selectFx, 15, "15" }, { "name", "fam(Fx)[0x2].SelectAndToggle", 0, "OFF" },
            { "range", playPause, 0, "no" }, { "min", playPause, 0, "0" }, { "max", playPause, 0, "127" }, { "name", playPause, 7, "7" },
            { "group", unknown, 0, "unknown" }, { "type", unknown, 0, "unknwon" }, { "known", unknown, 0, "no" }, { "output", unknown, 0, "no" },
            { "group", {}, 0, "unknown" }, { "title", {}, 0, "unknown" }, { "type", {}, 0, "unknwon" }, { "known", {}, 0, "no" }, { "name", {}, 3, "3" },
        });
    }

    const auto caches = ControlCatalogueInspector::caches (catalogue);
    juce::String texts;

    for (auto* cache : caches)
        texts << cache->getAllProperties().getDescription() << "\n";

    EXPECT_EQ (texts, shift + " = Modifiers , " + meter + " = Mixer , " + cuePlay + " = Player A , " + unknown + " = unknown, \n"
                      "app(Plugin = 1, app(Plugin Preferences) = , " + cuePlay + " = 1, " + trackTitle + " = 1, " + unknown + " = , \n"
                      + shift + " = Modifiers  Shift Logic 1, " + onOff + " = Fx 1  ON/OFF, mod(shiftlogic1) = unknown, \n"
                      + meter + " = Normal, app(Plugin = references, " + onOff + " = Logic, fam(Player)[0x1].PitchBend = Polar, fam(Player)[0x1].ComboJog = Scratch, \n"
                      + selectFx + " = 1, \n" + selectFx + " = 1, \n" + selectFx + " = 14, " + selector + " = 8, \n" + selectFx + "3 = ECHO, fam(Fx)[0x2].SelectAndToggle0 = OFF, \n");

    // The answers are read from the sets themselves: an entry written into one is found, one removed is searched again.
    caches[2]->removeValue (shift);
    caches[2]->setValue (onOff, "changed");
    caches[2]->setValue (cuePlay, "written");
    check (catalogue, { { "title", onOff, 0, "changed" }, { "title", cuePlay, 0, "written" }, { "title", shift, 0, "Modifiers  Shift Logic 1" } });
    EXPECT_EQ (caches[2]->getAllProperties().getAllKeys(), juce::StringArray (onOff, "mod(shiftlogic1)", cuePlay, shift));

    // A ranges document shaped to reach the rules the embedded one does not use: a key without a value stands
    // for -1, one without a name is named by its value; the first element of a name gives the bounds (stored
    // even when they are the defaults), and value names are looked up through every element of that name.
    ControlCatalogueInspector::setRanges (catalogue, juce::ValueTree::fromXml (R"xml(<Ranges>
        <alias name="a(Bare)"><key name="minus one"/><key value="2"/></alias>
        <alias name="a(Twice)" min="3" max="4"><key value="1" name="first"/></alias>
        <alias name="a(Twice)" min="9" max="9"><key value="1" name="shadowed"/><key value="2" name="second"/></alias></Ranges>)xml"));

    check (catalogue, { { "range", "a(Bare)", 0, "yes" }, { "min", "a(Bare)", 0, "0" }, { "max", "a(Bare)", 0, "127" },
                        { "name", "a(Bare)", -1, "minus one" }, { "name", "a(Bare)", 2, "2" }, { "min", "a(Twice)", 0, "3" },
                        { "max", "a(Twice)", 0, "4" }, { "name", "a(Twice)", 1, "first" }, { "name", "a(Twice)", 2, "second" } });

    EXPECT_EQ (caches[5]->getValue ("a(Bare)") + " " + caches[6]->getValue ("a(Bare)") + " " + caches[7]->getValue ("a(Bare)2"), "0 127 2");
}

TEST_F (Catalogue, CreatePresetGivesADeepCopyOfTheNamedPreset)
{
    // Names compare case-sensitively, and a note takes the note presets only.
    EXPECT_FALSE (catalogue.createPreset (selectFx, "integer map fader/knob", 0).isValid() || catalogue.createPreset (selectFx, "Integer Map Fader/Knob", 1).isValid());
    auto preset = catalogue.createPreset (selectFx, "Integer Map Fader/Knob", 0);
    EXPECT_FALSE (preset.getParent().isValid());

    // Changing the copy, down to its parameters, leaves the catalogue as it was.
    preset.getChildWithName ("parameters").getChild (2).setProperty ("value", "5 6", nullptr);
    preset = catalogue.createPreset (selectFx, "Integer Map Fader/Knob", 0).getChildWithName ("parameters").getChild (2);
    EXPECT_EQ (preset["key"].toString() + " " + preset["value"].toString(), "forwardIntegerRange 0 127");
}

//==============================================================================
// The control list's headings give the groups of both trees, and its rows their controls in "in", "out" or both.
// Item 1 + 100 g + v is control v of group g, titled as the control under its group's title; an empty group
// keeps its hundred ids but gets no submenu. Each menu is built when first shown, and then reused.
TEST_F (Catalogue, MenusOfferEveryControlByGroupAndGiveTheChosenAlias)
{
    const std::tuple<bool, int, const char*> choices[] = {
        { true, 1499, "fam(Sampler)[0x1].Slot8Loaded" }, { true, 2201, "reg(RegisterLogic1)" }, { false, 801, "fam(Player)[0x1].PlayPause" },
        { false, 101, "fam(SyncTools).Snap" }, { true, 0, "" }, { false, -1, "" }, { true, 100, "" }, { true, 2001, "" }, { false, 2401, "" },
    };

    for (auto& [isOut, result, alias] : choices)
    {
        TestHelpers::ModalEnder ender (result, nullptr, result == 1499 ? "catalogue-output-menu" : "");
        EXPECT_EQ (isOut ? catalogue.showOutputMenu() : catalogue.showInputMenu(), alias) << result;
        EXPECT_TRUE (ender.hasEnded());
    }

    for (auto [isOut, numSubmenus, numControls] : { std::tuple (true, 19, 542 + 284), std::tuple (false, 23, 542 + 563) })
    {
        const auto& tree = isOut ? ControlCatalogueInspector::out (catalogue) : ControlCatalogueInspector::in (catalogue);
        const auto& menu = ControlCatalogueInspector::menu (catalogue, isOut);
        EXPECT_EQ (menu.getNumItems(), numSubmenus);

        for (juce::PopupMenu::MenuItemIterator items (menu); items.next();)
        {
            for (juce::PopupMenu::MenuItemIterator subItems (*items.getItem().subMenu); subItems.next(); --numControls)
            {
                const auto& item = subItems.getItem();
                const auto group = tree.getChild (item.itemID / 100);
                EXPECT_EQ (items.getItem().text + "|" + item.text, group["title"].toString() + "|" + group.getChild (item.itemID % 100 - 1)["title"].toString());
            }
        }

        EXPECT_EQ (numControls, 0);
    }
}
