#include <gtest/gtest.h>

#include <regex>

#include "model/OutputMapping.h"
#include "support/TestHelpers.h"

namespace
{
    using M = juce::MidiMessage;
    const juce::StringArray modes { "default", "loop", "map", "simpleMap", "fillingMap" };

    /** An output mapping inside its list: a "control", then n controller messages on channel 1, parameters 1..n, value 127, after the given children. */
    juce::ValueTree makeOutput (int n, juce::String children = {})
    {
        for (int i = 1; i <= n; ++i)
            children << R"(<midi type="CC" parameter=")" << i << R"(" channel="1" value="127"/>)";

        return TestHelpers::parse (R"(<output-mappings><mapping><control alias="a" value="true"/>)" + children + "</mapping></output-mappings>").getChild (0);
    }

    /** The mode, then the children as XML with the attribute values only. */
    juce::String dump (const OutputMapping& m)
    {
        const auto xml = m.getValueTree().toXmlString (juce::XmlElement::TextFormat().singleLine().withoutHeader()).toStdString();
        return modes[m.isLooped() ? 1 : m.isMap() ? 2 : m.isSimpleMap() ? 3 : m.isFillingMap() ? 4 : 0] + ": "
             + juce::String (std::regex_replace (xml, std::regex (R"re( \w+="([^"]*)")re"), " $1")).fromFirstOccurrenceOf ("<mapping>", false, false).upToLastOccurrenceOf ("</mapping>", false, false);
    }

    /** Switches modes in turn: 1..4 (loop, map, simple map, filling map) on, -1..-4 off. */
    void switchModes (OutputMapping& m, std::initializer_list<int> switches)
    {
        void (OutputMapping::*const setters[])(bool) = { &OutputMapping::setLooped, &OutputMapping::setMap, &OutputMapping::setSimpleMap, &OutputMapping::setFillingMap };

        for (int mode : switches)
            (m.*setters[std::abs (mode) - 1]) (mode > 0);
    }
}

TEST (OutputMappingEdits, SettersClampMovesKeepTheMarkerAndModesRewriteTheChildren)
{
    OutputMapping m (makeOutput (3));

    const std::pair<std::function<void()>, const char*> steps[] = {
        { [&] { m.setParameter (0, 200); m.setChannel (1, 0); m.setParameter (2, -3); }, "default: <control a true/><midi CC 0x7f 1 127/><midi CC 2 0x1 127/><midi CC 0x0 1 127/>" },
        { [&] { m.setChannel (0, 40); m.setType (1, 1); m.setType (2, 2); }, "default: <control a true/><midi CC 0x7f 0x10 127/><midi Note 2 0x1 127/><midi CC 0x0 1 127/>" },
        { [&] { m.setMidi (0, 1, 200, 17, 300); m.setMidi (1, -1, 1, 1, 1); m.setMidi (3, 1, 1, 1, 1); }, "default: <control a true/><midi Note 0xc8 0x11 0x12c/><midi Note 0x1 0x1 0x1/><midi CC 0x0 1 127/>" },
        { [&] { m.setValue (0, "300"); m.setValue (1, "-4"); m.setValue (2, "%"); }, "default: <control a true/><midi Note 0xc8 0x11 0x7f/><midi Note 0x1 0x1 0x0/><midi CC 0x0 1 %/>" },
        { [&] { m.setValue (0, "12abc"); m.setValue (1, "0x20"); m.setControlValue ("false"); }, "default: <control a false/><midi Note 0xc8 0x11 0xc/><midi Note 0x1 0x1 0x0/><midi CC 0x0 1 %/>" },
        // Loop gives every message 500 ms when it is switched on, and only then.
        { [&] { m.setDuration (0, 120); m.setLooped (true); m.setDuration (0, -7); m.setLooped (true); m.addMidi (0, 4, 1, 0); }, "loop: <control a false/><midi true/><midi Note 0xc8 0x11 0xc -7/><midi Note 0x1 0x1 0x0 500/><midi CC 0x0 1 % 500/><midi CC 4 1 0/>" },
        { [&] { m.moveMidi (0, 2); }, "loop: <control a false/><midi true/><midi Note 0x1 0x1 0x0 500/><midi CC 0x0 1 % 500/><midi Note 0xc8 0x11 0xc -7/><midi CC 4 1 0/>" },
        { [&] { m.moveMidi (2, 0); m.moveMidi (4, 0); m.moveMidi (-1, 0); m.moveMidi (0, -1); m.moveMidi (1, 10); }, "loop: <control a false/><midi true/><midi Note 0xc8 0x11 0xc -7/><midi CC 0x0 1 % 500/><midi CC 4 1 0/><midi Note 0x1 0x1 0x0 500/>" },
        { [&] { m.setFillingMap (true); m.removeMidi (4); m.removeMidi (-1); m.removeMidi (0); }, "fillingMap: <control a false/><midi true/><midi CC 0x0 1 %/><midi CC 4 1 0/><midi Note 0x1 0x1 0x0/>" },
        // Each mode switched on, and off again; other modes' setters with false change nothing.
        { [&] { switchModes (m, { -1, 2, -3, -2, 3, -4, -3, 4, -1, -4, 1, -2, -1 }); }, "default: <control a false/><midi CC 0x0 1 %/><midi CC 4 1 0/><midi Note 0x1 0x1 0x0/>" },
        // Modifiers are rewritten in ascending order, without repetitions or tokens that name none.
        { [&] { m.setModifier (3, true); m.setModifier (1, true); m.setModifier (0, true); m.setModifier (10, true); }, "default: <control a false ML1,ML3/><midi CC 0x0 1 %/><midi CC 4 1 0/><midi Note 0x1 0x1 0x0/>" },
        { [&] { m.setModifier (1, false); m.setModifier (3, false); }, "default: <control a false/><midi CC 0x0 1 %/><midi CC 4 1 0/><midi Note 0x1 0x1 0x0/>" },
        { [&] { m.getValueTree().getChild (0).setProperty ("modifiers", "ML3,ML1,ML3", nullptr); m.setModifier (2, true); }, "default: <control a false ML1,ML2,ML3/><midi CC 0x0 1 %/><midi CC 4 1 0/><midi Note 0x1 0x1 0x0/>" },
        { [&] { m.getValueTree().getChild (0).setProperty ("modifiers", "ML0,ML,xx9,ML5", nullptr); m.setModifier (6, false); }, "default: <control a false ML5,ML9/><midi CC 0x0 1 %/><midi CC 4 1 0/><midi Note 0x1 0x1 0x0/>" },
    };

    for (auto& [edit, expected] : steps)
    {
        edit();
        EXPECT_EQ (dump (m), expected);
    }

    EXPECT_TRUE (m.hasModifier (5) && m.hasModifier (9) && ! m.hasModifier (6) && ! m.hasModifier (0) && ! m.hasModifier (10));

    // Through every switch from one mode to another: one marker at a time, and durations only in loop.
    for (int mode : { 3, 1, 2, 4, 3, 4, 1, 3, 2, 1, 4, 2, 3 })
    {
        switchModes (m, { mode });
        EXPECT_EQ (dump (m), modes[mode] + ": <control a false ML5,ML9/><midi true/>" + (mode == 1 ? "<midi CC 0x0 1 % 500/><midi CC 4 1 0 500/><midi Note 0x1 0x1 0x0 500/>" : "<midi CC 0x0 1 %/><midi CC 4 1 0/><midi Note 0x1 0x1 0x0/>"));
    }
}

TEST (OutputMappingMessages, NewAddedSentAndDescribedMessages)
{
    OutputMapping mapping (makeOutput (0, R"(<midi type="CC" parameter="0x01" channel="0x01"/>)"));

    // As the document creates it: no value, no duration, a description that ends in a comma and a blank.
    EXPECT_EQ (mapping.getValue (0) + " " + juce::String (mapping.getDuration (0)) + " " + juce::String (mapping.getDuration (1)) + " " + mapping.getDescription() + "/", "0 0 -1 CH 1, CC 1, /");

    // Plain unclamped integers; a message neither note nor controller keeps its third byte (a pitch wheel's high byte) as the value, or 0.
    mapping.addDefaultMidi();
    mapping.addMidi (1, 300, -2, 1000);

    for (auto& message : { M::noteOff (3, 62, (juce::uint8) 90), M::controllerEvent (16, 20, 5), M::programChange (2, 4), M::pitchWheel (5, 8192) })
        mapping.addMidiMessage (message);

    EXPECT_EQ (dump (mapping), "default: <control a true/><midi CC 0x01 0x01/><midi CC 1 1 127/><midi Note 300 -2 1000/><midi Note 62 3 90/><midi CC 20 16 5/><midi -1 2 0/><midi -1 5 64/>");

    // A loop's description begins with "Looped: " when its marker reads true; a marker is never described as a message.
    OutputMapping looped (makeOutput (0, R"(<midi loop="true"/><midi type="CC" parameter="0x7" channel="0x1" value="0x7f"/><midi type="Note" parameter="0x3c" channel="0x2" value="%"/>)"));
    OutputMapping quiet (makeOutput (1, R"(<midi loop="no"/>)"));
    EXPECT_EQ (looped.getDescription() + " / " + dump (quiet) + " / " + quiet.getDescription(), "Looped: CH 1, CC 7, 0x7f & CH 2, Note C4 (60), % / loop: <control a true/><midi no/><midi CC 1 1 127/> / CH 1, CC 1, 127");
}

TEST (OutputMappingRanges, MessagesShareTheControlRangeInHalvesOrWholeInSimpleMapAndALoneMessageCoversIt)
{
    for (auto [mode, n, expected] : { std::tuple<int, int, const char*> { 3, 3, "0-0.5 0.5-1 1-1.5" }, { 3, 4, "0-0.33 0.33-0.66 0.66-1 1-1.33" }, { 3, 1, "0-1" }, { 2, 1, "0-1" },
                                      { 2, 5, "0-0.5 0.5-1 0-0.5 0.5-1 1-1.5" }, { 4, 6, "0-0.33 0.33-0.66 0.66-1 0-0.33 0.33-0.66 0.66-1" } })
    {
        OutputMapping mapping (makeOutput (n));
        switchModes (mapping, { mode });
        juce::String ranges;

        for (int i = 0; i < n; ++i)
            ranges << juce::String::formatted ("%g-%g ", mapping.getMapRangeStart (i), mapping.getMapRangeEnd (i));

        EXPECT_EQ (ranges.trimEnd(), expected) << modes[mode];
    }
}

TEST (OutputMappingLearn, EveryThirdFlipInARowIsStoredAs127AndAnythingElseBreaksTheRun)
{
    OutputMapping mapping (makeOutput (0, R"(<midi type="CC" parameter="0x7" channel="0x1" value="0x7f"/><midi type="CC" parameter="0x8" channel="0x1" value="%"/>)"));
    OutputMapping::learnFlipCount = 0;

    // In sequence: the message index and the message learned, then the stored value and the count; "%" reads 0, and flips on two messages (as on two mappings) count together.
    const std::tuple<int, M, const char*> steps[] = {
        { 0, M::controllerEvent (1, 7, 0), "0 1" }, { 0, M::controllerEvent (1, 7, 127), "127 2" }, { 0, M::controllerEvent (1, 7, 0), "127 0" },
        { 0, M::controllerEvent (1, 7, 0), "0 1" }, { 0, M::controllerEvent (2, 7, 127), "127 0" }, { 0, M::controllerEvent (2, 7, 0), "0 1" },
        { 0, M::controllerEvent (2, 9, 127), "127 0" }, { 0, M::noteOn (2, 9, (juce::uint8) 0), "0 0" },
        { 1, M::controllerEvent (1, 8, 127), "127 1" }, { 0, M::noteOn (2, 9, (juce::uint8) 127), "127 2" }, { 1, M::controllerEvent (1, 8, 0), "127 0" },
        { 1, M::noteOn (10, 60, (juce::uint8) 100), "100 0" }, { 1, M::pitchWheel (2, 100), "-1 0" },
    };

    for (auto& [index, message, expected] : steps)
    {
        mapping.setMidiMessage (index, message);
        EXPECT_EQ (mapping.getValue (index) + " " + juce::String (OutputMapping::learnFlipCount), expected) << message.getDescription();
    }

    EXPECT_EQ (dump (mapping), "default: <control a true/><midi Note 0x9 0x2 0x7f/><midi Note 0xffffffff 0x2 0xffffffff/>"); // unclamped; another kind keeps the type
}
