#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <vector>

#include "model/ControlCatalogueInspector.h"
#include "resources/Resources.h"

// Recounts the three embedded catalogue documents, both from their texts and from the trees the
// catalogue builds out of them, so that an edit of a document cannot break them unnoticed.

namespace
{
    struct GroupCounts
    {
        const char* heading;
        const char* title;
        int inOut, inOnly, outOnly, inTree, outTree;
    };

    const GroupCounts expectedGroups[] = {
        { "MODIFIERS:", "Modifiers ", 10, 0, 0, 10, 10 },
        { "SYNCTOOLS:", "Synctools ", 5, 0, 0, 5, 5 },
        { "EXTERNAL CONTROL:", "External Control ", 2, 1, 0, 3, 2 },
        { "FX 1:", "Fx 1 ", 7, 0, 1, 7, 8 },
        { "FX 2:", "Fx 2 ", 7, 0, 1, 7, 8 },
        { "ACTIVE FX:", "Active Fx ", 7, 0, 1, 7, 8 },
        { "ALL FXS:", "All Fxs ", 0, 7, 0, 7, 0 },
        { "MIXER:", "Mixer ", 62, 0, 18, 62, 80 },
        { "PLAYER A:", "Player A ", 35, 55, 41, 90, 76 },
        { "PLAYER B:", "Player B ", 35, 55, 41, 90, 76 },
        { "PLAYER C:", "Player C ", 35, 52, 39, 87, 74 },
        { "PLAYER D:", "Player D ", 35, 52, 39, 87, 74 },
        { "ACTIVE PLAYER:", "Active Player ", 35, 55, 41, 90, 76 },
        { "ALL PLAYERS:", "All Players ", 0, 90, 0, 90, 0 },
        { "SAMPLER C:", "Sampler C ", 79, 16, 20, 95, 99 },
        { "SAMPLER D:", "Sampler D ", 79, 16, 20, 95, 99 },
        { "ACTIVE SAMPLER:", "Active Sampler ", 79, 16, 20, 95, 99 },
        { "ALL SAMPLERS:", "All Samplers ", 0, 95, 0, 95, 0 },
        { "RECORDER:", "Recorder ", 1, 0, 1, 1, 2 },
        { "TRACKER:", "Tracker ", 10, 23, 1, 33, 11 },
        { "APPLICATION:", "Application ", 0, 25, 0, 25, 0 },
        { "VIDEO:", "Video ", 11, 5, 0, 16, 11 },
        { "REGISTERS:", "Registers ", 8, 0, 0, 8, 8 },
        { "DEVICE-EVENTS names:", "Device-events names ", 0, 0, 0, 0, 0 },
    };

    // Alias prefix of every group, in group order ("" for the group without controls).
    const char* const aliasPrefixes[] = {
        "mod(", "fam(SyncTools).", "fam(AudioController).", "fam(Fx)[0x1].", "fam(Fx)[0x2].", "fam(Fx)[@].",
        "fam(Fx)[*].", "fam(Mixer).", "fam(Player)[0x1].", "fam(Player)[0x2].", "fam(Player)[0x3].",
        "fam(Player)[0x4].", "fam(Player)[@].", "fam(Player)[*].", "fam(Sampler)[0x1].", "fam(Sampler)[0x2].",
        "fam(Sampler)[@].", "fam(Sampler)[*].", "fam(Recorder).", "fam(Tracker).", "app(", "fam(Video)[0x1].",
        "reg(", "",
    };

    enum Direction { inOutRow, inRow, outRow, notARow };

    Direction directionOf (const juce::String& line)
    {
        if (line.startsWith ("In&Out")) return inOutRow;
        if (line.startsWith ("In    ")) return inRow;
        if (line.startsWith ("   Out")) return outRow;
        return notARow;
    }

    juce::StringArray tokensOf (const juce::String& line)
    {
        juce::StringArray tokens;
        tokens.addTokens (line, " ", "");
        return tokens;
    }

    /** The value type as it stands at the row's token position, without its parentheses. */
    juce::String typeOf (const juce::String& line, Direction direction)
    {
        const int position = direction == inOutRow ? 2 : direction == inRow ? 6 : 5;
        return tokensOf (line)[position].substring (1).dropLastCharacters (1);
    }

    juce::String aliasOf (const juce::String& line, Direction direction)
    {
        const int position = direction == inOutRow ? 1 : direction == inRow ? 5 : 4;
        return tokensOf (line)[position];
    }

    juce::String embeddedText (const char* fileName)
    {
        int size = 0;
        auto* data = Resources::getData (fileName, size);

        if (data == nullptr)
            return {};

        return juce::String::fromUTF8 (data, size);
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
TEST (ControlCatalogueData, DocumentsAreNulTerminatedSevenBitAscii)
{
    for (auto* name : { "controls.txt", "types.xml", "ranges.xml" })
    {
        int size = 0;
        auto* data = Resources::getData (name, size);
        ASSERT_NE (data, nullptr) << name;
        ASSERT_GT (size, 0) << name;
        EXPECT_EQ (data[size], 0) << name;

        for (int i = 0; i < size; ++i)
            ASSERT_TRUE (data[i] > 0 && (unsigned char) data[i] < 128) << name << " byte " << i;
    }
}

TEST (ControlCatalogueData, ControlListHasItsLineStructure)
{
    auto text = embeddedText ("controls.txt");

    // Every line break is CR LF: each LF follows a CR and each CR comes before an LF.
    int size = 0;
    auto* data = Resources::getData ("controls.txt", size);
    ASSERT_NE (data, nullptr);
    int lineFeeds = 0;

    for (int i = 0; i < size; ++i)
    {
        if (data[i] == '\n')
        {
            ++lineFeeds;
            ASSERT_TRUE (i > 0 && data[i - 1] == '\r') << "lone LF at " << i;
        }
        else if (data[i] == '\r')
        {
            ASSERT_TRUE (i + 1 < size && data[i + 1] == '\n') << "lone CR at " << i;
        }
    }

    EXPECT_EQ (lineFeeds, 1478);
    EXPECT_TRUE (text.startsWith ("\r\n"));
    EXPECT_FALSE (text.endsWithChar ('\n'));
    EXPECT_TRUE (text.endsWith ("\r\n\"Startup\"\r\n\"Shutdown\"\r\n\"StateRequest\""));

    juce::StringArray lines;
    lines.addLines (text);
    ASSERT_EQ (lines.size(), 1479);

    int empty = 0, headings = 0, rows = 0, other = 0;

    for (auto& line : lines)
    {
        if (line.isEmpty()) ++empty;
        else if (line.endsWithChar (':')) ++headings;
        else if (directionOf (line) != notARow) ++rows;
        else ++other;
    }

    EXPECT_EQ (empty, 63);
    EXPECT_EQ (headings, 24);
    EXPECT_EQ (rows, 1389);
    EXPECT_EQ (other, 3); // the three quoted event names
}

TEST (ControlCatalogueData, ControlListRowsPerGroupAndDirection)
{
    juce::StringArray lines;
    lines.addLines (embeddedText ("controls.txt"));

    std::vector<std::array<int, 3>> counts;
    juce::StringArray headings;
    int totals[3] = {};

    for (auto& line : lines)
    {
        if (line.endsWithChar (':'))
        {
            headings.add (line);
            counts.push_back ({ 0, 0, 0 });
            continue;
        }

        auto direction = directionOf (line);

        if (direction == notARow)
            continue;

        ASSERT_FALSE (counts.empty()) << "row before the first heading: " << line;
        ++counts.back()[(size_t) direction];
        ++totals[direction];

        // Every row: direction field, blank, alias, blank, (type), " == ", quoted title.
        EXPECT_TRUE (line.matchesWildcard ("?????? * (*) == \"*\"", false)) << line;
        EXPECT_EQ (line.fromFirstOccurrenceOf (" == \"", false, false).indexOfChar ('='), -1) << line;

        auto alias = aliasOf (line, direction);
        EXPECT_FALSE (juce::CharacterFunctions::isDigit (alias.getLastCharacter())) << line;
        EXPECT_TRUE (alias.startsWith (aliasPrefixes[headings.size() - 1])) << line;
    }

    ASSERT_EQ (headings.size(), (int) std::size (expectedGroups));

    for (size_t g = 0; g < std::size (expectedGroups); ++g)
    {
        const auto& e = expectedGroups[g];
        EXPECT_EQ (headings[(int) g], e.heading);
        EXPECT_EQ (counts[g][0], e.inOut) << e.heading;
        EXPECT_EQ (counts[g][1], e.inOnly) << e.heading;
        EXPECT_EQ (counts[g][2], e.outOnly) << e.heading;
    }

    EXPECT_EQ (totals[inOutRow], 542);
    EXPECT_EQ (totals[inRow], 563);
    EXPECT_EQ (totals[outRow], 284);
}

TEST (ControlCatalogueData, ControlListRowsPerTypeAndDirection)
{
    const std::map<juce::String, std::array<int, 3>> expected {
        { "Logic", { 312, 104, 182 } },  { "Trigger", { 5, 312, 1 } }, { "Integer", { 117, 76, 19 } },
        { "Normal", { 80, 37, 52 } },    { "Polar", { 27, 15, 0 } },   { "Scratch", { 0, 18, 0 } },
        { "String", { 0, 0, 30 } },      { "Modifier", { 1, 0, 0 } },  { "references", { 0, 1, 0 } },
    };

    std::map<juce::String, std::array<int, 3>> counted;
    juce::StringArray lines;
    lines.addLines (embeddedText ("controls.txt"));

    for (auto& line : lines)
        if (auto direction = directionOf (line); direction != notARow)
            ++counted[typeOf (line, direction)][(size_t) direction];

    EXPECT_EQ (counted, expected);
}

TEST (ControlCatalogueData, ControlListHoldsTheKnownRowsVerbatim)
{
    juce::StringArray lines;
    lines.addLines (embeddedText ("controls.txt"));

    for (auto* row : { "In&Out fam(Fx)[0x1].OnOff (Logic) == \"ON/OFF\"",
                       "In     fam(Player)[0x1].CuePlay (Trigger) == \"Cue-Play\"",
                       "   Out fam(Player)[0x1].TrackTitle (String) == \"Track Title\"",
                       "In&Out mod(ShiftSelector) (Modifier) == \"Shift Selector\"",
                       "In     fam(Player)[0x1].ComboJog (Scratch) == \"Combo Jog\"",
                       "In     fam(Player)[0x1].PitchBend (Polar) == \"Pitch Bend\"",
                       "   Out fam(Mixer).MasterMeter (Normal) == \"Master Meter\"",
                       "In     app(About) (Trigger) == \"About...\"",
                       "In&Out reg(RegisterLogic1) (Logic) == \"Register Logic 1\"",
                       "In&Out mod(ShiftLogic1) (Logic) == \"Shift Logic 1\"",
                       "In     app(Plugin Preferences) (Trigger) == \"Plugin Preferences...\"" })
        EXPECT_TRUE (lines.contains (row)) << row;

    auto headingIndex = lines.indexOf ("DEVICE-EVENTS names:");
    ASSERT_GE (headingIndex, 0);
    EXPECT_EQ (lines.size() - headingIndex, 4);
    EXPECT_EQ (lines[headingIndex + 1], "\"Startup\"");
    EXPECT_EQ (lines[headingIndex + 2], "\"Shutdown\"");
    EXPECT_EQ (lines[headingIndex + 3], "\"StateRequest\"");
}

//==============================================================================
TEST_F (LoadedCatalogue, BothTreesHoldTheGroupsWithTheirNodeCounts)
{
    ASSERT_EQ (in.getType().toString(), "in");
    ASSERT_EQ (out.getType().toString(), "out");
    ASSERT_EQ (in.getNumChildren(), 24);
    ASSERT_EQ (out.getNumChildren(), 24);

    int inTotal = 0, outTotal = 0;
    juce::StringArray emptyIn, emptyOut;

    for (int g = 0; g < 24; ++g)
    {
        const auto& e = expectedGroups[g];
        auto inGroup = in.getChild (g), outGroup = out.getChild (g);

        EXPECT_EQ (inGroup.getType().toString(), "group");
        EXPECT_EQ (inGroup["title"].toString(), e.title);
        EXPECT_EQ (outGroup["title"].toString(), e.title);
        EXPECT_EQ (inGroup.getNumProperties(), 1);
        EXPECT_EQ (inGroup.getNumChildren(), e.inTree) << e.title;
        EXPECT_EQ (outGroup.getNumChildren(), e.outTree) << e.title;
        EXPECT_LE (outGroup.getNumChildren(), 99);
        EXPECT_LE (inGroup.getNumChildren(), 99);

        inTotal += inGroup.getNumChildren();
        outTotal += outGroup.getNumChildren();

        if (inGroup.getNumChildren() == 0) emptyIn.add (e.title);
        if (outGroup.getNumChildren() == 0) emptyOut.add (e.title);
    }

    EXPECT_EQ (inTotal, 1105);
    EXPECT_EQ (outTotal, 826);
    EXPECT_EQ (emptyIn, juce::StringArray ("Device-events names "));
    EXPECT_EQ (emptyOut, juce::StringArray ("All Fxs ", "All Players ", "All Samplers ", "Application ", "Device-events names "));
}

TEST_F (LoadedCatalogue, ValueNodesCarryAliasTitleTypeAndGroupInThatOrder)
{
    for (auto* tree : { &in, &out })
    {
        std::set<juce::String> aliases;

        for (const auto& group : *tree)
        {
            for (const auto& value : group)
            {
                ASSERT_EQ (value.getType().toString(), "value");
                ASSERT_EQ (value.getNumProperties(), 4);
                EXPECT_EQ (value.getPropertyName (0).toString(), "alias");
                EXPECT_EQ (value.getPropertyName (1).toString(), "title");
                EXPECT_EQ (value.getPropertyName (2).toString(), "type");
                EXPECT_EQ (value.getPropertyName (3).toString(), "group");
                EXPECT_EQ (value["group"].toString(), group["title"].toString());
                EXPECT_TRUE (value["title"].toString().startsWith (group["title"].toString() + " "));
                EXPECT_TRUE (aliases.insert (value["alias"].toString()).second) << "twice: " << value["alias"].toString();
            }
        }
    }

    // The heading words keep their first character; the title always ends in a blank.
    EXPECT_EQ (in.getChild (3)["title"].toString(), "Fx 1 ");
    EXPECT_EQ (in.getChild (8).getChild (0)["title"].toString(), "Player A  Play / Pause");
}

TEST_F (LoadedCatalogue, InOutRowsGiveTwoDistinctEqualNodes)
{
    auto inNode = in.getChild (3).getChild (0);
    auto outNode = out.getChild (3).getChild (0);

    EXPECT_EQ (inNode["alias"].toString(), "fam(Fx)[0x1].OnOff");
    EXPECT_EQ (inNode["title"].toString(), "Fx 1  ON/OFF");
    EXPECT_TRUE (inNode.isEquivalentTo (outNode));
    EXPECT_NE (inNode, outNode);

    // Every alias that both trees hold has equal nodes there.
    int shared = 0;

    for (int g = 0; g < 24; ++g)
    {
        for (const auto& outValue : out.getChild (g))
        {
            auto inValue = in.getChild (g).getChildWithProperty ("alias", outValue["alias"]);

            if (inValue.isValid())
            {
                ++shared;
                EXPECT_TRUE (inValue.isEquivalentTo (outValue));
            }
        }
    }

    EXPECT_EQ (shared, 542);
}

TEST_F (LoadedCatalogue, PluginPreferencesRowGivesTheTruncatedAliasAndType)
{
    auto application = in.getChild (20);
    ASSERT_EQ (application["title"].toString(), "Application ");

    auto node = application.getChildWithProperty ("alias", "app(Plugin");
    ASSERT_TRUE (node.isValid());
    EXPECT_EQ (node["type"].toString(), "references");
    EXPECT_EQ (node["title"].toString(), "Application  Plugin Preferences...");
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

    struct PresetRow { const char* type; const char* kind; const char* name; juce::String parameters; };

    std::vector<PresetRow> expectedPresets()
    {
        return {
            { "Logic", "CC", "Logic Fader/Knob", I + U },
            { "Logic", "CC", "Holder Fader/Knob", I + U },
            { "Logic", "CC", "Toggler Fader/Knob", I + U },
            { "Logic", "Note", "Holder Button", I },
            { "Logic", "Note", "Toggler Button", I },
            { "Modifier", "CC", "Inc.-Dec. Modifier Button (as Note)", modOn + M },
            { "Modifier", "CC", "Direct Modifier Button (as Note)", modOn },
            { "Modifier", "CC", "Modifier Holder Button (as Note)", "dispatch/interpretCCasNote=on;" + I + "modifier-value/incoming=1;" },
            { "Modifier", "CC", "Modifier Toggler Button (as Note)", modOn + I },
            { "Modifier", "Note", "Inc.-Dec. Modifier Button", modOff + M },
            { "Modifier", "Note", "Direct Modifier Button", modOff },
            { "Modifier", "Note", "Modifier Holder Button", "dispatch/interpretCCasNote=off;" + I + "modifier-value/incoming=1;" },
            { "Modifier", "Note", "Modifier Toggler Button", modOff + I },
            { "Integer", "CC", "Inc.-Dec. Integer Fader/Knob", R + "step/factor=1;" },
            { "Integer", "CC", "Relative Integer Fader/Knob", I + "sensitivity-gate/flushValue=1;sensitivity-gate/gateValue=0;" },
            { "Integer", "CC", "Inc.-Dec. Button (as Note)", intOn + M },
            { "Integer", "CC", "Direct Integer Button (as Note)", intOn },
            { "Integer", "CC", "Integer Map Fader/Knob", "map/backwardIntegerRange=0 0;map/backwardNormalRange=0 0;map/forwardIntegerRange=0 127;map/forwardNormalRange=0 1;" },
            { "Integer", "Note", "Inc.-Dec. Button", intOff + M },
            { "Integer", "Note", "Direct Integer Button", intOff },
            { "Integer", "Note", "Inc.-Dec. Integer Trigger", "action-0/integer=1;" },
            { "Integer", "Note", "Direct Integer Trigger", "action-0/integer=1;" },
            { "Normal", "CC", "Direct Fader/Knob", "action-0/action=SetNormalTakeOver;dispatch/centerCCandPWvalueRange=64 64;dispatch/useCenteredCCandPW=off;" + I },
            { "Normal", "CC", "Inc.-Dec. Normal Fader/Knob", I + R + "step/factor=0.01;" },
            { "Normal", "Note", "Direct Normal Button", "action-0/normal=0.01;" },
            { "Normal", "Note", "Normal Inc. Button", "add-normal-action/normal=1;" + M + "sub-normal/on=off;use-polar/on=off;" },
            { "Normal", "Note", "Normal Dec. Button", M + "sub-normal/on=on;sub-normal-action/normal=1;use-polar/on=off;" },
            { "Normal", "Note", "Normal Inc. Trigger", "add-normal-action/normal=1;sub-normal/on=off;use-polar/on=off;" },
            { "Normal", "Note", "Normal Dec. Trigger", "sub-normal/on=on;sub-normal-action/normal=1;use-polar/on=off;" },
            { "Trigger", "CC", "Trigger Fader/Knob", I + "on-the-edge/on=off;" + U },
            { "Trigger", "Note", "Trigger Button", M },
            { "Trigger", "Note", "Trigger Note", "" },
            { "Polar", "CC", "Pitch Wheel", "factor/factor=1;" + polarMap + "timeout/Repeat Time=100;" },
            { "Polar", "CC", "Polar Wheel", polarMap },
            { "Polar", "Note", "Polar Inc.-Dec. Button", M + polar },
            { "Polar", "Note", "Polar Inc.-Dec. Trigger", polar },
        };
    }
}

TEST (ControlCatalogueData, PresetsDocumentHasItsForm)
{
    auto text = embeddedText ("types.xml");
    EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Types>\n "));
    EXPECT_FALSE (text.containsChar ('\r'));
    EXPECT_FALSE (text.containsChar ('\t'));

    auto ranges = embeddedText ("ranges.xml");
    EXPECT_TRUE (ranges.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Ranges>"));
}

TEST_F (LoadedCatalogue, PresetsTreeHoldsThe36PresetsInOrder)
{
    const auto& types = ControlCatalogueInspector::types (catalogue);
    ASSERT_EQ (types.getType().toString(), "Types");

    juce::StringArray typeTags;
    juce::StringArray found;
    std::set<juce::String> objects;

    for (const auto& typeNode : types)
    {
        typeTags.add (typeNode.getType().toString());
        ASSERT_EQ (typeNode.getNumChildren(), 2);
        EXPECT_EQ (typeNode.getChild (0).getType().toString(), "CC");
        EXPECT_EQ (typeNode.getChild (1).getType().toString(), "Note");

        for (const auto& kindNode : typeNode)
        {
            for (const auto& preset : kindNode)
            {
                EXPECT_EQ (preset.getType().toString(), "preset");
                ASSERT_EQ (preset.getNumChildren(), 1);
                auto parameters = preset.getChild (0);
                EXPECT_EQ (parameters.getType().toString(), "parameters");

                juce::String text;

                for (const auto& parameter : parameters)
                {
                    EXPECT_EQ (parameter.getType().toString(), "parameter");
                    EXPECT_EQ (parameter.getNumProperties(), 3);
                    objects.insert (parameter["object"].toString());
                    text << parameter["object"].toString() << "/" << parameter["key"].toString() << "="
                         << parameter["value"].toString() << ";";
                }

                found.add (typeNode.getType().toString() + "|" + kindNode.getType().toString() + "|"
                           + preset["name"].toString() + "|" + text);
            }
        }
    }

    EXPECT_EQ (typeTags, juce::StringArray ("Logic", "Modifier", "Integer", "Normal", "Trigger", "Polar"));

    auto expected = expectedPresets();
    ASSERT_EQ ((size_t) found.size(), expected.size());

    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ (found[(int) i],
                   juce::String (expected[i].type) + "|" + expected[i].kind + "|" + expected[i].name + "|" + expected[i].parameters)
            << "preset " << i + 1;

    EXPECT_EQ (objects.size(), 17u);
}

TEST_F (LoadedCatalogue, RangesTreeHoldsThe16Aliases)
{
    const auto& ranges = ControlCatalogueInspector::ranges (catalogue);
    ASSERT_EQ (ranges.getType().toString(), "Ranges");

    const juce::String decks = "1=Deck A,2=Deck B,3=Deck C,4=Deck D,5=Master,";
    const juce::String effects = "1=LOW-PASS,2=HI-PASS,3=ECHO,4=DELAY,5=PHASER,6=X-PHASER,7=FLANGER,8=JET,"
                                 "9=TRANSFORM,10=CHOPPER,11=CRUSH,12=BLISS,13=BRAKE,14=ROLL,";

    const juce::StringArray expected {
        "mod(ShiftSelector) 0..8 0=Off,",
        "fam(SyncTools).SnapValue 0..3 ",
        "fam(SyncTools).QuantizeMode 0..6 ",
        "fam(Fx)[0x1].InputChannel 1..5 " + decks,
        "fam(Fx)[0x2].InputChannel 1..5 " + decks,
        "fam(Fx)[0x1].InputChannelOnOff 0..5 0=Off," + decks,
        "fam(Fx)[0x2].InputChannelOnOff 0..5 0=Off," + decks,
        "fam(Fx)[0x1].Select 1..14 " + effects,
        "fam(Fx)[0x2].Select 1..14 " + effects,
        "fam(Fx)[0x1].SelectAndToggle 0..14 0=OFF," + effects,
        "fam(Fx)[0x2].SelectAndToggle 0..14 0=OFF," + effects,
        "fam(Mixer).CrossfaderPreset 0..3 ",
        "fam(Player)[0x1].AutoLoopSelect 1..13 ",
        "fam(Player)[0x1].AutoLoopSelectAndTrigger 0..13 0=Off,",
        "fam(Player)[0x1].PitchRange 0..6 ",
        "fam(Player)[0x1].PitchMode 0..2 ",
    };

    juce::StringArray found;

    for (const auto& alias : ranges)
    {
        EXPECT_EQ (alias.getType().toString(), "alias");
        juce::String text;
        text << alias["name"].toString() << " " << alias["min"].toString() << ".." << alias["max"].toString() << " ";

        for (const auto& key : alias)
        {
            EXPECT_EQ (key.getType().toString(), "key");
            text << key["value"].toString() << "=" << key["name"].toString() << ",";
        }

        found.add (text);

        // Every ranged alias is a control of the list, an Integer one except the shift selector.
        auto name = alias["name"].toString();
        EXPECT_EQ (catalogue.getType (name), name == "mod(ShiftSelector)" ? "Modifier" : "Integer") << name;
    }

    EXPECT_EQ (found, expected);
}
