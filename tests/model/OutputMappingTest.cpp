#include <gtest/gtest.h>

#include "model/OutputMapping.h"
#include "support/TestHelpers.h"

namespace
{
    using M = juce::MidiMessage;
    const juce::StringArray modes { "default", "loop", "map", "simpleMap", "fillingMap" };

    /** An output mapping inside its list: a "control", then n controller messages on channel 1, parameters 1..n, value 127. */
    juce::ValueTree makeOutput (int n, juce::String children = {})
    {
        for (int i = 1; i <= n; ++i)
            children << R"(<midi type="CC" parameter=")" << i << R"(" channel="1" value="127"/>)";

        return TestHelpers::parse (R"(<output-mappings><mapping><control alias="a" value="true"/>)" + children + "</mapping></output-mappings>").getChild (0);
    }

    /** The mode, then every child's attribute values ("|" between children; a mode by its name, a duration in ms). */
    juce::String dump (const OutputMapping& mapping)
    {
        juce::String text = modes[mapping.isLooped() ? 1 : mapping.isMap() ? 2 : mapping.isSimpleMap() ? 3 : mapping.isFillingMap() ? 4 : 0] + ":";

        for (const auto& child : mapping.getValueTree())
        {
            for (int i = 0; i < child.getNumProperties(); ++i)
            {
                const auto name = child.getPropertyName (i).toString();
                text << " " << (modes.contains (name) ? name + "=" : juce::String()) << child[child.getPropertyName (i)].toString() << (name == "duration" ? "ms" : "");
            }

            text << " |";
        }

        return text.dropLastCharacters (2);
    }
}

TEST (OutputMappingEdits, SettersClampMovesKeepTheMarkerAndModesRewriteTheChildren)
{
    OutputMapping m (makeOutput (3));
    auto control = m.getValueTree().getChild (0);
    void (OutputMapping::*const setters[])(bool) = { nullptr, &OutputMapping::setLooped, &OutputMapping::setMap, &OutputMapping::setSimpleMap, &OutputMapping::setFillingMap };

    // In sequence on one mapping: the edit, then the mapping.
    const std::pair<std::function<void()>, const char*> steps[] = {
        { [&] { m.setParameter (0, 200); m.setChannel (1, 0); m.setParameter (2, -3); }, "default: a true | CC 0x7f 1 127 | CC 2 0x1 127 | CC 0x0 1 127" },
        { [&] { m.setChannel (0, 40); m.setType (1, 1); m.setType (2, 2); }, "default: a true | CC 0x7f 0x10 127 | Note 2 0x1 127 | CC 0x0 1 127" },
        { [&] { m.setMidi (0, 1, 200, 17, 300); m.setMidi (1, -1, 1, 1, 1); m.setMidi (3, 1, 1, 1, 1); }, "default: a true | Note 0xc8 0x11 0x12c | Note 0x1 0x1 0x1 | CC 0x0 1 127" },
        { [&] { m.setValue (0, "300"); m.setValue (1, "-4"); m.setValue (2, "%"); }, "default: a true | Note 0xc8 0x11 0x7f | Note 0x1 0x1 0x0 | CC 0x0 1 %" },
        { [&] { m.setValue (0, "12abc"); m.setValue (1, "0x20"); m.setControlValue ("false"); }, "default: a false | Note 0xc8 0x11 0xc | Note 0x1 0x1 0x0 | CC 0x0 1 %" },
        // Loop gives every message 500 ms when it is switched on, and only then.
        { [&] { m.setDuration (0, 120); m.setLooped (true); m.setDuration (0, -7); m.setLooped (true); m.addMidi (0, 4, 1, 0); }, "loop: a false | loop=true | Note 0xc8 0x11 0xc -7ms | Note 0x1 0x1 0x0 500ms | CC 0x0 1 % 500ms | CC 4 1 0" },
        { [&] { m.moveMidi (0, 2); }, "loop: a false | loop=true | Note 0x1 0x1 0x0 500ms | CC 0x0 1 % 500ms | Note 0xc8 0x11 0xc -7ms | CC 4 1 0" },
        { [&] { m.moveMidi (2, 0); m.moveMidi (4, 0); m.moveMidi (-1, 0); m.moveMidi (0, -1); m.moveMidi (1, 10); }, "loop: a false | loop=true | Note 0xc8 0x11 0xc -7ms | CC 0x0 1 % 500ms | CC 4 1 0 | Note 0x1 0x1 0x0 500ms" },
        { [&] { m.setMap (true); m.setSimpleMap (false); m.setLooped (false); }, "map: a false | map=true | Note 0xc8 0x11 0xc | CC 0x0 1 % | CC 4 1 0 | Note 0x1 0x1 0x0" },
        { [&] { m.setSimpleMap (true); m.setFillingMap (true); m.removeMidi (4); m.removeMidi (-1); m.removeMidi (0); }, "fillingMap: a false | fillingMap=true | CC 0x0 1 % | CC 4 1 0 | Note 0x1 0x1 0x0" },
        { [&] { m.setLooped (true); m.setFillingMap (false); m.setLooped (false); }, "default: a false | CC 0x0 1 % | CC 4 1 0 | Note 0x1 0x1 0x0" },
        // Modifiers are rewritten in ascending order, without repetitions or tokens that name none.
        { [&] { m.setModifier (3, true); m.setModifier (1, true); m.setModifier (0, true); m.setModifier (10, true); }, "default: a false ML1,ML3 | CC 0x0 1 % | CC 4 1 0 | Note 0x1 0x1 0x0" },
        { [&] { m.setModifier (1, false); m.setModifier (3, false); }, "default: a false | CC 0x0 1 % | CC 4 1 0 | Note 0x1 0x1 0x0" },
        { [&] { control.setProperty ("modifiers", "ML3,ML1,ML3", nullptr); m.setModifier (2, true); }, "default: a false ML1,ML2,ML3 | CC 0x0 1 % | CC 4 1 0 | Note 0x1 0x1 0x0" },
        { [&] { control.setProperty ("modifiers", "ML0,ML,xx9,ML5", nullptr); m.setModifier (6, false); }, "default: a false ML5,ML9 | CC 0x0 1 % | CC 4 1 0 | Note 0x1 0x1 0x0" },
    };

    for (auto& [edit, expected] : steps)
    {
        edit();
        EXPECT_EQ (dump (m), expected);
    }

    EXPECT_EQ (m.getValue (0), "%");
    juce::String flags;

    for (int k = -1; k <= 10; ++k)
        flags << (m.hasModifier (k) ? "1" : "0");

    EXPECT_EQ (flags, "000000100010");

    // Every transition of the mode table, on two messages.
    for (int from = 0; from < 5; ++from)
    {
        for (int to = 1; to < 5; ++to)
        {
            for (bool on : { true, false })
            {
                OutputMapping mapping (makeOutput (2));

                if (from > 0)
                    (mapping.*setters[from]) (true);

                (mapping.*setters[to]) (on);
                const auto mode = on ? modes[to] : to == from ? "default" : modes[from];
                EXPECT_EQ (dump (mapping), mode + ": a true" + (mode == "default" ? "" : " | " + mode + "=true") + (mode == "loop" ? " | CC 1 1 127 500ms | CC 2 1 127 500ms" : " | CC 1 1 127 | CC 2 1 127"))
                    << modes[from] << " -> " << modes[to] << " " << on;
            }
        }
    }
}

TEST (OutputMappingMessages, NewAddedAndSentMessages)
{
    OutputMapping mapping (makeOutput (0, R"(<midi type="CC" parameter="0x01" channel="0x01"/>)"));

    // As the document creates it: no value, no duration, a description that ends in a comma and a blank.
    EXPECT_EQ (mapping.getValue (0) + " " + juce::String (mapping.getDuration (0)) + " " + juce::String (mapping.getDuration (1)) + " " + mapping.getDescription() + "/", "0 0 -1 CH 1, CC 1, /");

    // Plain unclamped integers; a message neither note nor controller keeps its third byte (a pitch wheel's high byte) as the value, or 0.
    mapping.addDefaultMidi();
    mapping.addMidi (1, 300, -2, 1000);
    mapping.addMidi (5, 1, 2, 3);

    for (auto& message : { M::noteOff (3, 62, (juce::uint8) 90), M::controllerEvent (16, 20, 5), M::programChange (2, 4), M::pitchWheel (5, 8192) })
        mapping.addMidiMessage (message);

    EXPECT_EQ (dump (mapping), "default: a true | CC 0x01 0x01 | CC 1 1 127 | Note 300 -2 1000 | 1 2 3 | Note 62 3 90 | CC 20 16 5 | -1 2 0 | -1 5 64");

    // A note is sent as note-on with the value's low byte as velocity ("%" reads 0), anything else as a controller change.
    mapping.setValue (4, "%");
    mapping.setMidi (3, 1, 60, 2, 0x105);
    juce::StringArray sent;

    for (int i : { 1, 3, 4, 5 })
        sent.add (juce::String::toHexString (mapping.getMidiMessage (i).getRawData(), mapping.getMidiMessage (i).getRawDataSize()));

    EXPECT_EQ (sent.joinIntoString ("|"), "b0 01 7f|91 3c 05|92 3e 00|bf 14 05");
}

TEST (OutputMappingRanges, MessagesShareTheControlRangeInHalvesOrWholeInSimpleMapAndALoneMessageCoversIt)
{
    for (auto [mode, n, expected] : { std::tuple<int, int, const char*> { 3, 3, "0-0.5 0.5-1 1-1.5" }, { 3, 4, "0-0.33 0.33-0.66 0.66-1 1-1.33" },
                                      { 2, 5, "0-0.5 0.5-1 0-0.5 0.5-1 1-1.5" }, { 4, 6, "0-0.33 0.33-0.66 0.66-1 0-0.33 0.33-0.66 0.66-1" },
                                      { 3, 1, "0-1" }, { 2, 1, "0-1" } })
    {
        OutputMapping mapping (makeOutput (n));
        mapping.setMap (mode == 2);
        mapping.setSimpleMap (mode == 3);
        mapping.setFillingMap (mode == 4);
        juce::StringArray ranges;

        for (int i = 0; i < n; ++i)
            ranges.add (juce::String::formatted ("%g-%g", mapping.getMapRangeStart (i), mapping.getMapRangeEnd (i)));

        EXPECT_EQ (ranges.joinIntoString (" "), expected) << modes[mode];
    }
}

TEST (OutputMappingLearn, EveryThirdFlipInARowIsStoredAs127AndAnythingElseBreaksTheRun)
{
    OutputMapping mapping (makeOutput (0, R"(<midi type="CC" parameter="0x7" channel="0x1" value="0x7f"/><midi type="CC" parameter="0x8" channel="0x1" value="%"/>)"));
    OutputMapping::learnFlipCount = 0;

    // In sequence: the message index, the message learned, then the stored value and the count.
    const std::tuple<int, M, const char*> steps[] = {
        { 0, M::controllerEvent (1, 7, 0), "0 1" }, { 0, M::controllerEvent (1, 7, 127), "127 2" }, { 0, M::controllerEvent (1, 7, 0), "127 0" },
        { 0, M::controllerEvent (1, 7, 0), "0 1" }, { 0, M::controllerEvent (2, 7, 127), "127 0" }, { 0, M::controllerEvent (2, 7, 0), "0 1" },
        { 0, M::controllerEvent (2, 9, 127), "127 0" }, { 0, M::noteOn (2, 9, (juce::uint8) 0), "0 0" },
        // "%" reads 0; flips on two messages (as on two mappings) count together.
        { 1, M::controllerEvent (1, 8, 127), "127 1" }, { 0, M::noteOn (2, 9, (juce::uint8) 127), "127 2" }, { 1, M::controllerEvent (1, 8, 0), "127 0" },
        // Learning writes unclamped "0x" text; a message of another kind keeps the type.
        { 1, M::noteOn (10, 60, (juce::uint8) 100), "100 0" }, { 1, M::pitchWheel (2, 100), "-1 0" },
    };

    for (auto& [index, message, expected] : steps)
    {
        mapping.setMidiMessage (index, message);
        EXPECT_EQ (mapping.getValue (index) + " " + juce::String (OutputMapping::learnFlipCount), expected) << message.getDescription();
    }

    EXPECT_EQ (dump (mapping), "default: a true | Note 0x9 0x2 0x7f | Note 0xffffffff 0x2 0xffffffff");
    OutputMapping::learnFlipCount = 0;
}

TEST (OutputMappingDescription, LoopedMapAndPlainMappings)
{
    OutputMapping mapping (makeOutput (0, R"(<midi loop="true"/><midi type="CC" parameter="0x7" channel="0x1" value="0x7f"/><midi type="Note" parameter="0x3c" channel="0x2" value="%"/>)"));
    EXPECT_EQ (mapping.getDescription(), "Looped: CH 1, CC 7, 0x7f & CH 2, Note C4 (60), %");
    mapping.setMap (true);
    EXPECT_EQ (mapping.getDescription(), "CH 1, CC 7, 0x7f & CH 2, Note C4 (60), %");

    // Any marker text gives the mode; only "true" gives the loop its word.
    OutputMapping quiet (makeOutput (1, R"(<midi loop="no"/>)"));
    EXPECT_EQ (dump (quiet) + " / " + quiet.getDescription(), "loop: a true | loop=no | CC 1 1 127 / CH 1, CC 1, 127");
}
