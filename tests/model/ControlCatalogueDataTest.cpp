#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>

#include "model/ControlCatalogueInspector.h"
#include "resources/Resources.h"

// Recounts the three embedded catalogue documents, both from their texts and from the trees the
// catalogue builds out of them, so that an edit of a document cannot break them unnoticed.

namespace
{
    struct Group { const char* heading; const char* title; const char* aliasPrefix; int inOut, inOnly, outOnly; };

    const Group groups[] = {
        { "MODIFIERS:", "Modifiers ", "mod(", 10, 0, 0 },
        { "SYNCTOOLS:", "Synctools ", "fam(SyncTools).", 5, 0, 0 },
        { "EXTERNAL CONTROL:", "External Control ", "fam(AudioController).", 2, 1, 0 },
        { "FX 1:", "Fx 1 ", "fam(Fx)[0x1].", 7, 0, 1 },
        { "FX 2:", "Fx 2 ", "fam(Fx)[0x2].", 7, 0, 1 },
        { "ACTIVE FX:", "Active Fx ", "fam(Fx)[@].", 7, 0, 1 },
        { "ALL FXS:", "All Fxs ", "fam(Fx)[*].", 0, 7, 0 },
        { "MIXER:", "Mixer ", "fam(Mixer).", 62, 0, 18 },
        { "PLAYER A:", "Player A ", "fam(Player)[0x1].", 35, 55, 41 },
        { "PLAYER B:", "Player B ", "fam(Player)[0x2].", 35, 55, 41 },
        { "PLAYER C:", "Player C ", "fam(Player)[0x3].", 35, 52, 39 },
        { "PLAYER D:", "Player D ", "fam(Player)[0x4].", 35, 52, 39 },
        { "ACTIVE PLAYER:", "Active Player ", "fam(Player)[@].", 35, 55, 41 },
        { "ALL PLAYERS:", "All Players ", "fam(Player)[*].", 0, 90, 0 },
        { "SAMPLER C:", "Sampler C ", "fam(Sampler)[0x1].", 79, 16, 20 },
        { "SAMPLER D:", "Sampler D ", "fam(Sampler)[0x2].", 79, 16, 20 },
        { "ACTIVE SAMPLER:", "Active Sampler ", "fam(Sampler)[@].", 79, 16, 20 },
        { "ALL SAMPLERS:", "All Samplers ", "fam(Sampler)[*].", 0, 95, 0 },
        { "RECORDER:", "Recorder ", "fam(Recorder).", 1, 0, 1 },
        { "TRACKER:", "Tracker ", "fam(Tracker).", 10, 23, 1 },
        { "APPLICATION:", "Application ", "app(", 0, 25, 0 },
        { "VIDEO:", "Video ", "fam(Video)[0x1].", 11, 5, 0 },
        { "REGISTERS:", "Registers ", "reg(", 8, 0, 0 },
        { "DEVICE-EVENTS names:", "Device-events names ", "", 0, 0, 0 },
    };

    enum Direction { inOutRow, inRow, outRow, notARow };

    Direction directionOf (const juce::String& line)
    {
        return line.startsWith ("In&Out") ? inOutRow : line.startsWith ("In    ") ? inRow : line.startsWith ("   Out") ? outRow : notARow;
    }

    /** The row's alias and its value type without parentheses (the direction field may hold blanks). */
    std::pair<juce::String, juce::String> aliasAndTypeOf (const juce::String& line)
    {
        auto tokens = juce::StringArray::fromTokens (line.substring (6), " ", "");
        tokens.removeEmptyStrings();
        return { tokens[0], tokens[1].substring (1).dropLastCharacters (1) };
    }

    /** A node as "tag name=value name=value ...", its properties in their order. */
    juce::String describe (const juce::ValueTree& node)
    {
        auto text = node.getType().toString();

        for (int i = 0; i < node.getNumProperties(); ++i)
            text << " " << node.getPropertyName (i).toString() << "=" << node[node.getPropertyName (i)].toString();

        return text;
    }

    juce::StringArray controlListLines()
    {
        juce::StringArray lines;
        lines.addLines (Resources::getText ("controls.txt"));
        return lines;
    }

    struct LoadedCatalogue : public ::testing::Test
    {
        LoadedCatalogue() { catalogue.load(); }
        ControlCatalogue catalogue;
        const juce::ValueTree& in = ControlCatalogueInspector::in (catalogue);
        const juce::ValueTree& out = ControlCatalogueInspector::out (catalogue);
    };
}

//==============================================================================
TEST (ControlCatalogueData, DocumentsAreNulTerminatedSevenBitAsciiWithTheirLineBreaks)
{
    for (auto* name : { "controls.txt", "types.xml", "ranges.xml" })
    {
        int size = 0;
        auto* data = Resources::getData (name, size);
        ASSERT_TRUE (data != nullptr && size > 0) << name;
        EXPECT_EQ (data[size], 0) << name;

        for (int i = 0; i < size; ++i)
        {
            ASSERT_TRUE (data[i] > 0 && (unsigned char) data[i] < 128) << name << " byte " << i;
            // The control list breaks its lines with CR LF only; the XML documents with LF only.
            if (juce::String (name) == "controls.txt")
                ASSERT_EQ (data[i] == '\r', i + 1 < size && data[i + 1] == '\n') << "at " << i;
            else
                ASSERT_TRUE (data[i] != '\r' && data[i] != '\t') << name << " byte " << i;
        }
    }

    EXPECT_TRUE (Resources::getText ("types.xml").startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Types>\n "));
    EXPECT_TRUE (Resources::getText ("ranges.xml").startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Ranges>"));

    const auto text = Resources::getText ("controls.txt");
    EXPECT_TRUE (text.startsWith ("\r\n"));
    EXPECT_TRUE (text.endsWith ("\r\nDEVICE-EVENTS names:\r\n\"Startup\"\r\n\"Shutdown\"\r\n\"StateRequest\""));
}

TEST_F (LoadedCatalogue, ControlListRowsPerGroupTypeAndDirectionEachGiveTheirNodes)
{
    const auto lines = controlListLines();
    ASSERT_EQ (lines.size(), 1479);
    ASSERT_EQ (in.getNumChildren(), (int) std::size (groups));
    ASSERT_EQ (out.getNumChildren(), (int) std::size (groups));

    std::vector<std::array<int, 3>> perGroup;
    std::map<juce::String, std::array<int, 3>> perType;
    std::set<juce::String> inAliases, outAliases;
    int empty = 0, other = 0, g = -1;

    for (auto& line : lines)
    {
        const auto direction = directionOf (line);

        if (line.endsWithChar (':'))
        {
            ASSERT_LT (++g, (int) std::size (groups)) << line;
            EXPECT_EQ (line, groups[g].heading);
            EXPECT_EQ (in.getChild (g)["title"].toString() + "|" + out.getChild (g)["title"].toString(), juce::String (groups[g].title) + "|" + groups[g].title);
            perGroup.push_back ({});
        }
        else if (direction == notARow)
        {
            ++(line.isEmpty() ? empty : other);
        }

        if (line.endsWithChar (':') || direction == notARow)
            continue;

        ASSERT_GE (g, 0) << "row before the first heading: " << line;
        auto [alias, type] = aliasAndTypeOf (line);
        auto& counts = perGroup.back();
        ++perType[type][(size_t) direction];

        // Every row: direction field, blank, alias, blank, (type), " == ", quoted title without "=".
        EXPECT_TRUE (line.matchesWildcard ("?????? * (*) == \"*\"", false)) << line;
        const auto title = line.fromFirstOccurrenceOf (" == \"", false, false).dropLastCharacters (1);
        EXPECT_EQ (title.indexOfChar ('='), -1) << line;
        EXPECT_FALSE (juce::CharacterFunctions::isDigit (alias.getLastCharacter())) << line;
        EXPECT_TRUE (alias.startsWith (groups[g].aliasPrefix)) << line;

        // The row's node, in the row's order, in each tree it belongs to: an "In&Out" row gives two distinct equal nodes.
        const auto expected = "value alias=" + alias + " title=" + groups[g].title + " " + title + " type=" + type + " group=" + groups[g].title;
        const auto inNode = in.getChild (g).getChild (counts[inOutRow] + counts[inRow]);
        const auto outNode = out.getChild (g).getChild (counts[inOutRow] + counts[outRow]);
        ++counts[(size_t) direction];

        EXPECT_TRUE (direction == outRow || (describe (inNode) == expected && inAliases.insert (alias).second)) << describe (inNode) << " for " << line;
        EXPECT_TRUE (direction == inRow || (describe (outNode) == expected && outAliases.insert (alias).second)) << describe (outNode) << " for " << line;
        EXPECT_TRUE (direction != inOutRow || inNode != outNode) << line;
    }

    EXPECT_EQ (empty, 63);
    EXPECT_EQ (other, 3); // the three quoted event names
    ASSERT_EQ (g + 1, (int) std::size (groups));

    for (size_t i = 0; i < std::size (groups); ++i)
    {
        const auto& e = groups[i];
        EXPECT_EQ (perGroup[i], (std::array<int, 3> { e.inOut, e.inOnly, e.outOnly })) << e.heading;
        EXPECT_EQ (in.getChild ((int) i).getNumChildren(), e.inOut + e.inOnly) << e.heading;
        EXPECT_EQ (out.getChild ((int) i).getNumChildren(), e.inOut + e.outOnly) << e.heading;
    }

    const std::map<juce::String, std::array<int, 3>> expectedPerType {
        { "Logic", { 312, 104, 182 } }, { "Trigger", { 5, 312, 1 } }, { "Integer", { 117, 76, 19 } },
        { "Normal", { 80, 37, 52 } },   { "Polar", { 27, 15, 0 } },   { "Scratch", { 0, 18, 0 } },
        { "String", { 0, 0, 30 } },     { "Modifier", { 1, 0, 0 } },  { "references", { 0, 1, 0 } },
    };
    EXPECT_EQ (perType, expectedPerType);

    for (auto* row : { "In&Out fam(Fx)[0x1].OnOff (Logic) == \"ON/OFF\"", "In     fam(Player)[0x1].CuePlay (Trigger) == \"Cue-Play\"",
                       "   Out fam(Player)[0x1].TrackTitle (String) == \"Track Title\"", "In&Out mod(ShiftSelector) (Modifier) == \"Shift Selector\"",
                       "In     fam(Player)[0x1].ComboJog (Scratch) == \"Combo Jog\"", "In     fam(Player)[0x1].PitchBend (Polar) == \"Pitch Bend\"",
                       "   Out fam(Mixer).MasterMeter (Normal) == \"Master Meter\"", "In     app(About) (Trigger) == \"About...\"",
                       "In&Out reg(RegisterLogic1) (Logic) == \"Register Logic 1\"", "In&Out mod(ShiftLogic1) (Logic) == \"Shift Logic 1\"",
                       "In     app(Plugin Preferences) (Trigger) == \"Plugin Preferences...\"" })
        EXPECT_TRUE (lines.contains (row)) << row;
}

//==============================================================================
namespace
{
    // The recurring parameter groups of the presets, written out.
    const juce::String I = "invert/on=off;";
    const juce::String U = "range/range begin=0;range/range end=1;";
    const juce::String M = "metronom/Repeat Acceleration=0.1;metronom/Repeat Time=0;metronom/Start Time=500;";
    const juce::String R = "map/backwardIntegerRange=-1 -64;map/backwardNormalRange=0.503937008 1;"
                           "map/forwardIntegerRange=1 64;map/forwardNormalRange=0 0.496062992;";
    const juce::String modOn = "action-0/modifier=1;dispatch/interpretCCasNote=on;";
    const juce::String modOff = "action-0/modifier=1;dispatch/interpretCCasNote=off;";
    const juce::String intOn = "action-0/integer=1;dispatch/interpretCCasNote=on;";
    const juce::String intOff = "action-0/integer=1;dispatch/interpretCCasNote=off;";
    const juce::String polar = "polar-action/polar=1;use-polar/on=on;";
    const juce::String polarMap = "map/negativeNormalRange=0 0.5;map/positiveNormalRange=0.5 1;";

    /** Every preset as "type|kind|name|object/key=value;...", in the document's order. */
    juce::StringArray expectedPresets()
    {
        return {
            "Logic|CC|Logic Fader/Knob|" + I + U,
            "Logic|CC|Holder Fader/Knob|" + I + U,
            "Logic|CC|Toggler Fader/Knob|" + I + U,
            "Logic|Note|Holder Button|" + I,
            "Logic|Note|Toggler Button|" + I,
            "Modifier|CC|Inc.-Dec. Modifier Button (as Note)|" + modOn + M,
            "Modifier|CC|Direct Modifier Button (as Note)|" + modOn,
            "Modifier|CC|Modifier Holder Button (as Note)|dispatch/interpretCCasNote=on;" + I + "modifier-value/incoming=1;",
            "Modifier|CC|Modifier Toggler Button (as Note)|" + modOn + I,
            "Modifier|Note|Inc.-Dec. Modifier Button|" + modOff + M,
            "Modifier|Note|Direct Modifier Button|" + modOff,
            "Modifier|Note|Modifier Holder Button|dispatch/interpretCCasNote=off;" + I + "modifier-value/incoming=1;",
            "Modifier|Note|Modifier Toggler Button|" + modOff + I,
            "Integer|CC|Inc.-Dec. Integer Fader/Knob|" + R + "step/factor=1;",
            "Integer|CC|Relative Integer Fader/Knob|" + I + "sensitivity-gate/flushValue=1;sensitivity-gate/gateValue=0;",
            "Integer|CC|Inc.-Dec. Button (as Note)|" + intOn + M,
            "Integer|CC|Direct Integer Button (as Note)|" + intOn,
            "Integer|CC|Integer Map Fader/Knob|map/backwardIntegerRange=0 0;map/backwardNormalRange=0 0;map/forwardIntegerRange=0 127;map/forwardNormalRange=0 1;",
            "Integer|Note|Inc.-Dec. Button|" + intOff + M,
            "Integer|Note|Direct Integer Button|" + intOff,
            "Integer|Note|Inc.-Dec. Integer Trigger|action-0/integer=1;",
            "Integer|Note|Direct Integer Trigger|action-0/integer=1;",
            "Normal|CC|Direct Fader/Knob|action-0/action=SetNormalTakeOver;dispatch/centerCCandPWvalueRange=64 64;dispatch/useCenteredCCandPW=off;" + I,
            "Normal|CC|Inc.-Dec. Normal Fader/Knob|" + I + R + "step/factor=0.01;",
            "Normal|Note|Direct Normal Button|action-0/normal=0.01;",
            "Normal|Note|Normal Inc. Button|add-normal-action/normal=1;" + M + "sub-normal/on=off;use-polar/on=off;",
            "Normal|Note|Normal Dec. Button|" + M + "sub-normal/on=on;sub-normal-action/normal=1;use-polar/on=off;",
            "Normal|Note|Normal Inc. Trigger|add-normal-action/normal=1;sub-normal/on=off;use-polar/on=off;",
            "Normal|Note|Normal Dec. Trigger|sub-normal/on=on;sub-normal-action/normal=1;use-polar/on=off;",
            "Trigger|CC|Trigger Fader/Knob|" + I + "on-the-edge/on=off;" + U,
            "Trigger|Note|Trigger Button|" + M,
            "Trigger|Note|Trigger Note|",
            "Polar|CC|Pitch Wheel|factor/factor=1;" + polarMap + "timeout/Repeat Time=100;",
            "Polar|CC|Polar Wheel|" + polarMap,
            "Polar|Note|Polar Inc.-Dec. Button|" + M + polar,
            "Polar|Note|Polar Inc.-Dec. Trigger|" + polar,
        };
    }
}

TEST_F (LoadedCatalogue, PresetsTreeHoldsThe36PresetsInOrder)
{
    juce::StringArray found;

    for (const auto& type : ControlCatalogueInspector::types (catalogue))
    {
        EXPECT_EQ (type.getNumChildren(), 2);

        for (const auto& kind : type)
        {
            for (const auto& preset : kind)
            {
                ASSERT_EQ (preset.getNumChildren(), 1);
                auto text = type.getType().toString() + "|" + kind.getType().toString() + "|" + preset["name"].toString() + "|";

                for (const auto& parameter : preset.getChildWithName ("parameters"))
                {
                    EXPECT_EQ (parameter.getType().toString() + juce::String (parameter.getNumProperties()), "parameter3");
                    text << parameter["object"].toString() << "/" << parameter["key"].toString() << "=" << parameter["value"].toString() << ";";
                }

                found.add (preset.getType().toString() + "|" + text);
            }
        }
    }

    auto expected = expectedPresets();

    for (auto& row : expected)
        row = "preset|" + row;

    EXPECT_EQ (found, expected);
}

TEST_F (LoadedCatalogue, RangesTreeHoldsThe16AliasesOfIntegerControls)
{
    const juce::String decks = "1=Deck A,2=Deck B,3=Deck C,4=Deck D,5=Master,";
    const juce::String effects = "1=LOW-PASS,2=HI-PASS,3=ECHO,4=DELAY,5=PHASER,6=X-PHASER,7=FLANGER,8=JET,"
                                 "9=TRANSFORM,10=CHOPPER,11=CRUSH,12=BLISS,13=BRAKE,14=ROLL,";
    const juce::StringArray expected {
        "mod(ShiftSelector) 0..8 0=Off,", "fam(SyncTools).SnapValue 0..3 ", "fam(SyncTools).QuantizeMode 0..6 ",
        "fam(Fx)[0x1].InputChannel 1..5 " + decks, "fam(Fx)[0x2].InputChannel 1..5 " + decks,
        "fam(Fx)[0x1].InputChannelOnOff 0..5 0=Off," + decks, "fam(Fx)[0x2].InputChannelOnOff 0..5 0=Off," + decks,
        "fam(Fx)[0x1].Select 1..14 " + effects, "fam(Fx)[0x2].Select 1..14 " + effects,
        "fam(Fx)[0x1].SelectAndToggle 0..14 0=OFF," + effects, "fam(Fx)[0x2].SelectAndToggle 0..14 0=OFF," + effects,
        "fam(Mixer).CrossfaderPreset 0..3 ", "fam(Player)[0x1].AutoLoopSelect 1..13 ", "fam(Player)[0x1].AutoLoopSelectAndTrigger 0..13 0=Off,",
        "fam(Player)[0x1].PitchRange 0..6 ", "fam(Player)[0x1].PitchMode 0..2 ",
    };

    juce::StringArray found;

    for (const auto& alias : ControlCatalogueInspector::ranges (catalogue))
    {
        auto text = alias["name"].toString() + " " + alias["min"].toString() + ".." + alias["max"].toString() + " ";

        for (const auto& key : alias)
            text << key["value"].toString() << "=" << key["name"].toString() << ",";

        found.add (alias.getType().toString() + " " + text);

        // Every ranged alias is a control of the list, an Integer one except the shift selector.
        auto name = alias["name"].toString();
        EXPECT_EQ (catalogue.getType (name), name == "mod(ShiftSelector)" ? "Modifier" : "Integer") << name;
    }

    auto withTags = expected;

    for (auto& row : withTags)
        row = "alias " + row;

    EXPECT_EQ (found, withTags);
}
