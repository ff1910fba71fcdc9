#include <gtest/gtest.h>

#include "support/TestHelpers.h"

#include <cmath>

#include "model/OutputMapping.h"

namespace
{
    using TestHelpers::parse;

    /** An output mapping inside its list: a "control" and the given messages (and marker). */
    juce::ValueTree makeOutputMapping (const juce::String& children,
                                       const juce::String& control = "<control alias=\"fam(Fx)[0x1].OnOff\" value=\"true\"/>")
    {
        return parse ("<output-mappings><mapping>" + control + children + "</mapping></output-mappings>").getChild (0);
    }

    /** A mapping with n plain controller messages, parameters 1..n. */
    juce::ValueTree makeWithMessages (int n)
    {
        juce::String messages;

        for (int i = 1; i <= n; ++i)
            messages << "<midi type=\"CC\" parameter=\"" << i << "\" channel=\"1\" value=\"127\"/>";

        return makeOutputMapping (messages);
    }

    juce::String parametersInOrder (const OutputMapping& mapping)
    {
        juce::StringArray list;

        for (int i = 0; i < mapping.getNumMidi(); ++i)
            list.add (juce::String (mapping.getParameter (i)));

        return list.joinIntoString (",");
    }

    /** The mode a mapping is in, by reading its getters, checked against the element's shape. */
    juce::String modeOf (const OutputMapping& mapping)
    {
        juce::StringArray on;

        if (mapping.isLooped())     on.add ("loop");
        if (mapping.isMap())        on.add ("map");
        if (mapping.isSimpleMap())  on.add ("simpleMap");
        if (mapping.isFillingMap()) on.add ("fillingMap");

        return on.isEmpty() ? "default" : on.joinIntoString ("+");
    }

    int countMarkers (const juce::ValueTree& element)
    {
        int count = 0;

        for (const auto& child : element)
            for (auto name : { "loop", "map", "simpleMap", "fillingMap" })
                if (child.hasProperty (name))
                    ++count;

        return count;
    }

    void setMode (OutputMapping& mapping, const juce::String& mode, bool on)
    {
        if (mode == "loop")            mapping.setLooped (on);
        else if (mode == "map")        mapping.setMap (on);
        else if (mode == "simpleMap")  mapping.setSimpleMap (on);
        else if (mode == "fillingMap") mapping.setFillingMap (on);
    }

    juce::String durations (const OutputMapping& mapping)
    {
        juce::StringArray list;

        for (int i = 0; i < mapping.getNumMidi(); ++i)
            list.add (mapping.getMidi (i).hasProperty ("duration") ? mapping.getMidi (i)["duration"].toString() : "-");

        return list.joinIntoString (",");
    }

    bool sameBytes (const juce::MidiMessage& a, const juce::MidiMessage& b)
    {
        return a.getRawDataSize() == b.getRawDataSize()
            && std::memcmp (a.getRawData(), b.getRawData(), (size_t) a.getRawDataSize()) == 0;
    }
}

//==============================================================================
TEST (OutputMappingFields, NewMappingReadsAsTheDocumentCreatesIt)
{
    auto element = makeOutputMapping ("<midi type=\"CC\" parameter=\"0x01\" channel=\"0x01\"/>",
                                      "<control alias=\"fam(Mixer).MasterMeter\" value=\"%\"/>");
    OutputMapping mapping (element);

    EXPECT_EQ (modeOf (mapping), "default");
    EXPECT_EQ (mapping.getNumMidi(), 1);
    EXPECT_EQ (mapping.getValue (0), "0");
    EXPECT_EQ (mapping.getDuration (0), 0);
    EXPECT_EQ (mapping.getDescription(), "CH 1, CC 1, ");
    EXPECT_EQ (mapping.getAlias(), "fam(Mixer).MasterMeter");
    EXPECT_EQ (mapping.getControlValue(), "%");
    EXPECT_EQ (mapping.getModifier(), -1);
    EXPECT_EQ (mapping.getModifiers(), "");
    EXPECT_EQ (mapping.getType (0), 0);
    EXPECT_EQ (mapping.getParameter (0), 1);
    EXPECT_EQ (mapping.getChannel (0), 1);

    mapping.setControlValue ("false");
    EXPECT_EQ (element.getChild (0)["value"].toString(), "false");
}

TEST (OutputMappingFields, TypedSettersClampWhileSetMidiAndAddMidiDoNot)
{
    auto element = makeWithMessages (1);
    OutputMapping mapping (element);
    auto message = mapping.getMidi (0);

    mapping.setParameter (0, 200);
    mapping.setChannel (0, 0);
    EXPECT_EQ (message["parameter"].toString(), "0x7f");
    EXPECT_EQ (message["channel"].toString(), "0x1");
    mapping.setParameter (0, -3);
    mapping.setChannel (0, 40);
    EXPECT_EQ (message["parameter"].toString(), "0x0");
    EXPECT_EQ (message["channel"].toString(), "0x10");

    mapping.setType (0, 1);
    EXPECT_EQ (message["type"].toString(), "Note");
    mapping.setType (0, 2); // no pitch wheel in output mappings
    EXPECT_EQ (message["type"].toString(), "Note");
    mapping.setType (0, 0);
    EXPECT_EQ (message["type"].toString(), "CC");

    mapping.setMidi (0, 1, 200, 17, 300);
    EXPECT_EQ (message["type"].toString(), "Note");
    EXPECT_EQ (message["parameter"].toString(), "0xc8");
    EXPECT_EQ (message["channel"].toString(), "0x11");
    EXPECT_EQ (message["value"].toString(), "0x12c");
    mapping.setMidi (0, -1, 1, 1, 1);
    EXPECT_EQ (message["type"].toString(), "Note");

    mapping.addMidi (1, 300, -2, 1000);
    mapping.addMidi (5, 1, 2, 3);
    ASSERT_EQ (mapping.getNumMidi(), 3);
    EXPECT_EQ (mapping.getType (1), 1);
    EXPECT_EQ (mapping.getParameter (1), 300);
    EXPECT_EQ (mapping.getChannel (1), -2);
    EXPECT_EQ (mapping.getValue (1), "1000");
    EXPECT_FALSE (mapping.getMidi (2).hasProperty ("type"));
    EXPECT_EQ (mapping.getType (2), -1);

    // Appended messages hold plain integers, which the file shows in decimal.
    EXPECT_TRUE (mapping.getMidi (1)["parameter"].isInt());
    auto xml = mapping.getMidi (1).createXml();
    EXPECT_EQ (xml->getStringAttribute ("parameter"), "300");
    EXPECT_EQ (xml->getStringAttribute ("channel"), "-2");
    EXPECT_EQ (xml->getStringAttribute ("value"), "1000");
}

TEST (OutputMappingFields, AddedMessagesFromMidi)
{
    auto element = makeOutputMapping ({});
    OutputMapping mapping (element);

    mapping.addDefaultMidi();
    mapping.addMidiMessage (juce::MidiMessage::noteOn (3, 62, (juce::uint8) 90));
    mapping.addMidiMessage (juce::MidiMessage::controllerEvent (16, 20, 5));
    mapping.addMidiMessage (juce::MidiMessage::programChange (2, 4));
    mapping.addMidiMessage (juce::MidiMessage::pitchWheel (5, 8192));
    mapping.addMidiMessage (juce::MidiMessage::pitchWheel (6, 0x3fff));

    // Messages that are neither notes nor controllers store their third byte as the value
    // (a pitch wheel's high byte: 64 in the middle); a two-byte message has none and stores 0.
    ASSERT_EQ (mapping.getNumMidi(), 6);
    EXPECT_EQ (mapping.getDescription(), "CH 1, CC 1, 127 & CH 3, Note D4 (62), 90 & CH 16, CC 20, 5 & CH 2,  -1, 0"
                                         " & CH 5,  -1, 64 & CH 6,  -1, 127");
}

TEST (OutputMappingFields, ValueTextClampsAndKeepsPercent)
{
    auto element = makeWithMessages (1);
    OutputMapping mapping (element);
    auto message = mapping.getMidi (0);

    mapping.setValue (0, "%");
    EXPECT_EQ (message["value"].toString(), "%");
    EXPECT_EQ (mapping.getValue (0), "%");

    mapping.setValue (0, "300");
    EXPECT_EQ (message["value"].toString(), "0x7f");
    EXPECT_EQ (mapping.getValue (0), "127");

    mapping.setValue (0, "-4");
    EXPECT_EQ (message["value"].toString(), "0x0");
    EXPECT_EQ (mapping.getValue (0), "0");

    mapping.setValue (0, "64");
    EXPECT_EQ (message["value"].toString(), "0x40");
    EXPECT_EQ (mapping.getValue (0), "64");

    mapping.setValue (0, "loud");
    EXPECT_EQ (message["value"].toString(), "0x0");
    mapping.setValue (0, "12abc");
    EXPECT_EQ (message["value"].toString(), "0xc");
    mapping.setValue (0, "0x20"); // hexadecimal typed here reads as its leading 0
    EXPECT_EQ (message["value"].toString(), "0x0");
    mapping.setValue (0, "99999999999");
    EXPECT_EQ (message["value"].toString(), "0x7f");
    mapping.setValue (0, "% ");
    EXPECT_EQ (message["value"].toString(), "0x0");

    // A value that is a number with a percent sign after it is a number.
    message.setProperty ("value", "50%", nullptr);
    EXPECT_EQ (mapping.getValue (0), "50");
}

TEST (OutputMappingFields, MessagesAsMidi)
{
    auto element = makeOutputMapping ("<midi type=\"Note\" parameter=\"0x3c\" channel=\"0x2\" value=\"%\"/>"
                                      "<midi type=\"CC\" parameter=\"7\" channel=\"3\" value=\"0x64\"/>"
                                      "<midi type=\"Note\" parameter=\"0x40\" channel=\"0x1\" value=\"0x180\"/>");
    OutputMapping mapping (element);

    EXPECT_TRUE (sameBytes (mapping.getMidiMessage (0), juce::MidiMessage::noteOn (2, 60, (juce::uint8) 0)));
    EXPECT_TRUE (sameBytes (mapping.getMidiMessage (1), juce::MidiMessage::controllerEvent (3, 7, 100)));
    EXPECT_TRUE (sameBytes (mapping.getMidiMessage (2), juce::MidiMessage::noteOn (1, 64, (juce::uint8) 127)));
    EXPECT_TRUE (sameBytes (mapping.getMidiMessage (3), juce::MidiMessage()));
}

TEST (OutputMappingFields, RemoveMidiTakesOnlyAnExistingMessage)
{
    auto element = makeWithMessages (3);
    OutputMapping mapping (element);

    mapping.removeMidi (5);
    mapping.removeMidi (-1);
    EXPECT_EQ (parametersInOrder (mapping), "1,2,3");

    mapping.removeMidi (1);
    EXPECT_EQ (parametersInOrder (mapping), "1,3");

    // A marker is never taken for a message.
    mapping.setMap (true);
    mapping.removeMidi (0);
    EXPECT_EQ (parametersInOrder (mapping), "3");
    EXPECT_TRUE (mapping.isMap());
}

//==============================================================================
TEST (OutputMappingModes, EveryTransitionOfTheModeTable)
{
    const juce::StringArray modes { "default", "loop", "map", "simpleMap", "fillingMap" };
    const juce::StringArray setters { "loop", "map", "simpleMap", "fillingMap" };

    for (auto& from : modes)
    {
        for (auto& setter : setters)
        {
            for (bool on : { true, false })
            {
                auto element = makeWithMessages (2);
                OutputMapping mapping (element);

                if (from != "default")
                    setMode (mapping, from, true);

                ASSERT_EQ (modeOf (mapping), from);
                setMode (mapping, setter, on);

                const juce::String context = from + " -> set " + setter + (on ? "(true)" : "(false)");

                juce::String expected = from;

                if (on)
                    expected = setter;
                else if (setter == from)
                    expected = "default";

                EXPECT_EQ (modeOf (mapping), expected) << context;
                EXPECT_EQ (mapping.getNumMidi(), 2) << context;
                EXPECT_EQ (parametersInOrder (mapping), "1,2") << context;
                EXPECT_EQ (element.getChild (0).getType().toString(), "control") << context;

                if (expected == "default")
                {
                    EXPECT_EQ (countMarkers (element), 0) << context;
                    EXPECT_EQ (element.getNumChildren(), 3) << context;
                }
                else
                {
                    EXPECT_EQ (countMarkers (element), 1) << context;
                    EXPECT_EQ (element.getNumChildren(), 4) << context;
                    auto marker = element.getChild (1);
                    EXPECT_EQ (marker.getNumProperties(), 1) << context;
                    EXPECT_EQ (marker[juce::Identifier (expected)].toString(), "true") << context;
                }

                EXPECT_EQ (durations (mapping), expected == "loop" ? "500,500" : "-,-") << context;
            }
        }
    }
}

TEST (OutputMappingModes, LoopGivesEveryMessageFiveHundredMilliseconds)
{
    auto element = makeWithMessages (2);
    OutputMapping mapping (element);

    mapping.setDuration (0, 120);
    mapping.setLooped (true);
    EXPECT_EQ (element.getChild (1)["loop"].toString(), "true");
    EXPECT_EQ (mapping.getNumMidi(), 2);
    EXPECT_TRUE (mapping.getMidi (0)["duration"].isString());
    EXPECT_EQ (mapping.getDuration (0), 500);
    EXPECT_EQ (mapping.getDuration (1), 500);

    // Switching loop on again changes nothing; a message added now has no duration.
    mapping.setDuration (0, 250);
    mapping.setLooped (true);
    EXPECT_EQ (mapping.getDuration (0), 250);
    mapping.addDefaultMidi();
    EXPECT_EQ (mapping.getDuration (2), 0);
    EXPECT_TRUE (mapping.getMidi (0)["duration"].isInt());

    mapping.setDuration (1, -7); // unclamped
    EXPECT_EQ (mapping.getDuration (1), -7);

    mapping.setLooped (false);
    EXPECT_EQ (countMarkers (element), 0);
    EXPECT_EQ (durations (mapping), "-,-,-");
}

TEST (OutputMappingModes, AnyMarkerTextCountsAndOtherSwitchOffsChangeNothing)
{
    auto element = makeOutputMapping ("<midi map=\"no\"/><midi type=\"CC\" parameter=\"1\" channel=\"1\"/>");
    OutputMapping mapping (element);

    EXPECT_TRUE (mapping.isMap());
    EXPECT_EQ (mapping.getNumMidi(), 1);

    auto before = element.createXml()->toString();
    mapping.setSimpleMap (false);
    mapping.setLooped (false);
    mapping.setFillingMap (false);
    mapping.setMap (true);
    EXPECT_EQ (element.createXml()->toString(), before);
}

TEST (OutputMappingModes, MoveMidiKeepsTheMarkerInPlace)
{
    auto element = makeWithMessages (3);
    OutputMapping mapping (element);
    mapping.setLooped (true);

    mapping.moveMidi (0, 2);
    EXPECT_EQ (parametersInOrder (mapping), "2,3,1");
    EXPECT_TRUE (mapping.isLooped());
    EXPECT_EQ (element.getChild (1)["loop"].toString(), "true");

    mapping.moveMidi (2, 0);
    EXPECT_EQ (parametersInOrder (mapping), "1,2,3");

    mapping.moveMidi (1, 1);
    EXPECT_EQ (parametersInOrder (mapping), "1,2,3");

    mapping.moveMidi (0, 10);
    EXPECT_EQ (parametersInOrder (mapping), "2,3,1");

    mapping.moveMidi (1, 0);
    EXPECT_EQ (parametersInOrder (mapping), "3,2,1");

    // Indices without a message move nothing.
    mapping.moveMidi (3, 0);
    mapping.moveMidi (-1, 0);
    mapping.moveMidi (0, -1);
    EXPECT_EQ (parametersInOrder (mapping), "3,2,1");
    EXPECT_EQ (element.getChild (0).getType().toString(), "control");
    EXPECT_EQ (element.getChild (1)["loop"].toString(), "true");
}

//==============================================================================
TEST (OutputMappingRanges, MapRangesFollowTheTableOfResults)
{
    struct Case { const char* mode; int messages; std::vector<std::pair<float, float>> ranges; };

    const std::vector<Case> cases {
        { "simpleMap", 3, { { 0.0f, 0.5f }, { 0.5f, 1.0f }, { 1.0f, 1.5f } } },
        { "simpleMap", 4, { { 0.0f, 0.33f }, { 0.33f, 0.66f }, { 0.66f, 1.0f }, { 1.0f, 1.33f } } },
        { "map", 4, { { 0.0f, 0.5f }, { 0.5f, 1.0f }, { 0.0f, 0.5f }, { 0.5f, 1.0f } } },
        { "fillingMap", 4, { { 0.0f, 0.5f }, { 0.5f, 1.0f }, { 0.0f, 0.5f }, { 0.5f, 1.0f } } },
        { "map", 5, { { 0.0f, 0.5f }, { 0.5f, 1.0f }, { 0.0f, 0.5f }, { 0.5f, 1.0f }, { 1.0f, 1.5f } } },
        { "map", 6, { { 0.0f, 0.33f }, { 0.33f, 0.66f }, { 0.66f, 1.0f }, { 0.0f, 0.33f }, { 0.33f, 0.66f }, { 0.66f, 1.0f } } },
        { "map", 2, { { 0.0f, 1.0f }, { 0.0f, 1.0f } } },
        { "simpleMap", 2, { { 0.0f, 1.0f }, { 1.0f, 2.0f } } },
    };

    for (auto& c : cases)
    {
        auto element = makeWithMessages (c.messages);
        OutputMapping mapping (element);
        setMode (mapping, c.mode, true);

        for (int i = 0; i < c.messages; ++i)
        {
            EXPECT_FLOAT_EQ (mapping.getMapRangeStart (i), c.ranges[(size_t) i].first) << c.mode << " " << c.messages << " #" << i;
            EXPECT_FLOAT_EQ (mapping.getMapRangeEnd (i), c.ranges[(size_t) i].second) << c.mode << " " << c.messages << " #" << i;
        }
    }
}

TEST (OutputMappingRanges, LoneMessageCoversTheWholeRange)
{
    for (auto mode : { "map", "simpleMap", "fillingMap", "loop", "default" })
    {
        auto element = makeWithMessages (1);
        OutputMapping mapping (element);
        setMode (mapping, mode, true);

        EXPECT_TRUE (std::isfinite (mapping.getMapRangeStart (0))) << mode;
        EXPECT_TRUE (std::isfinite (mapping.getMapRangeEnd (0))) << mode;
        EXPECT_FLOAT_EQ (mapping.getMapRangeStart (0), 0.0f) << mode;
        EXPECT_FLOAT_EQ (mapping.getMapRangeEnd (0), 1.0f) << mode;
    }

    OutputMapping empty (makeOutputMapping ({}));
    EXPECT_TRUE (std::isfinite (empty.getMapRangeStart (0)));
    EXPECT_TRUE (std::isfinite (empty.getMapRangeEnd (0)));
}

//==============================================================================
TEST (OutputMappingModifiers, ListIsRewrittenInAscendingOrder)
{
    auto element = makeWithMessages (1);
    OutputMapping mapping (element);
    auto control = element.getChild (0);

    control.setProperty ("modifiers", "ML1", nullptr);
    mapping.setModifier (3, true);
    EXPECT_EQ (mapping.getModifiers(), "ML1,ML3");
    EXPECT_TRUE (mapping.hasModifier (1));
    EXPECT_FALSE (mapping.hasModifier (2));
    EXPECT_TRUE (mapping.hasModifier (3));

    mapping.setModifier (1, false);
    EXPECT_EQ (mapping.getModifiers(), "ML3");

    mapping.setModifier (3, false);
    EXPECT_FALSE (control.hasProperty ("modifiers"));
    EXPECT_EQ (mapping.getModifiers(), "");

    control.setProperty ("modifiers", "ML3,ML1,ML3", nullptr);
    mapping.setModifier (2, true);
    EXPECT_EQ (mapping.getModifiers(), "ML1,ML2,ML3");

    control.setProperty ("modifiers", "ML0,ML,xx9,ML5", nullptr);
    EXPECT_FALSE (mapping.hasModifier (0));
    EXPECT_TRUE (mapping.hasModifier (9));
    EXPECT_TRUE (mapping.hasModifier (5));
    mapping.setModifier (9, true);
    EXPECT_EQ (mapping.getModifiers(), "ML5,ML9");

    mapping.setModifier (0, true);
    mapping.setModifier (10, true);
    EXPECT_EQ (mapping.getModifiers(), "ML5,ML9");
    EXPECT_FALSE (mapping.hasModifier (0));
    EXPECT_FALSE (mapping.hasModifier (10));
    EXPECT_FALSE (mapping.hasModifier (-1));
}

//==============================================================================
class OutputMappingLearn : public ::testing::Test
{
protected:
    void SetUp() override { OutputMapping::learnFlipCount = 0; }
    void TearDown() override { OutputMapping::learnFlipCount = 0; }
};

TEST_F (OutputMappingLearn, EveryThirdFlipInARowIsStoredAs127)
{
    auto element = makeOutputMapping ("<midi type=\"CC\" parameter=\"0x7\" channel=\"0x1\" value=\"0x7f\"/>");
    OutputMapping mapping (element);
    auto message = mapping.getMidi (0);

    const char* expected[] = { "0x0", "0x7f", "0x7f", "0x0" };
    const int values[] = { 0, 127, 0, 0 };
    const int counts[] = { 1, 2, 0, 1 };

    for (int i = 0; i < 4; ++i)
    {
        mapping.setMidiMessage (0, juce::MidiMessage::controllerEvent (1, 7, values[i]));
        EXPECT_EQ (message["value"].toString(), expected[i]) << i;
        EXPECT_EQ (OutputMapping::learnFlipCount, counts[i]) << i;
    }
}

TEST_F (OutputMappingLearn, AnythingButAFlipBreaksTheRun)
{
    auto element = makeOutputMapping ("<midi type=\"CC\" parameter=\"0x7\" channel=\"0x1\" value=\"0x7f\"/>"
                                      "<midi type=\"CC\" parameter=\"0x8\" channel=\"0x1\" value=\"0\"/>");
    OutputMapping mapping (element);

    mapping.setMidiMessage (0, juce::MidiMessage::controllerEvent (1, 7, 0));
    EXPECT_EQ (OutputMapping::learnFlipCount, 1);

    // Another channel, controller or kind is no flip.
    mapping.setMidiMessage (0, juce::MidiMessage::controllerEvent (2, 7, 127));
    EXPECT_EQ (OutputMapping::learnFlipCount, 0);
    mapping.setMidiMessage (0, juce::MidiMessage::controllerEvent (2, 7, 0));
    EXPECT_EQ (OutputMapping::learnFlipCount, 1);
    mapping.setMidiMessage (0, juce::MidiMessage::controllerEvent (2, 9, 127));
    EXPECT_EQ (OutputMapping::learnFlipCount, 0);
    mapping.setMidiMessage (0, juce::MidiMessage::noteOn (2, 9, (juce::uint8) 0));
    EXPECT_EQ (OutputMapping::learnFlipCount, 0);

    // Flips on two mappings (here two messages) count together.
    OutputMapping::learnFlipCount = 0;
    mapping.setMidiMessage (1, juce::MidiMessage::controllerEvent (1, 8, 127));
    mapping.setMidiMessage (0, juce::MidiMessage::noteOn (2, 9, (juce::uint8) 127));
    EXPECT_EQ (OutputMapping::learnFlipCount, 2);
    mapping.setMidiMessage (1, juce::MidiMessage::controllerEvent (1, 8, 0));
    EXPECT_EQ (OutputMapping::learnFlipCount, 0);
    EXPECT_EQ (mapping.getValue (1), "127");

    // A stored "%" reads as 0.
    mapping.setValue (1, "%");
    mapping.setMidiMessage (1, juce::MidiMessage::controllerEvent (1, 8, 127));
    EXPECT_EQ (OutputMapping::learnFlipCount, 1);
}

TEST_F (OutputMappingLearn, NoteAndOtherMessagesAreWrittenUnclamped)
{
    auto element = makeOutputMapping ("<midi type=\"CC\" parameter=\"0x7\" channel=\"0x1\"/>");
    OutputMapping mapping (element);
    auto message = mapping.getMidi (0);

    mapping.setMidiMessage (0, juce::MidiMessage::noteOn (10, 60, (juce::uint8) 100));
    EXPECT_EQ (message["type"].toString(), "Note");
    EXPECT_EQ (message["parameter"].toString(), "0x3c");
    EXPECT_EQ (message["channel"].toString(), "0xa");
    EXPECT_EQ (message["value"].toString(), "0x64");

    mapping.setMidiMessage (0, juce::MidiMessage::programChange (4, 3));
    EXPECT_EQ (message["type"].toString(), "Note");
    EXPECT_EQ (message["parameter"].toString(), "0xffffffff");
    EXPECT_EQ (message["channel"].toString(), "0x4");
    EXPECT_EQ (message["value"].toString(), "0xffffffff");

    mapping.setMidiMessage (0, juce::MidiMessage::pitchWheel (2, 100));
    EXPECT_EQ (message["type"].toString(), "Note");
    EXPECT_EQ (mapping.getValue (0), "-1");

    mapping.setMidiMessage (0, juce::MidiMessage::midiStart());
    EXPECT_EQ (message["channel"].toString(), "0x0");
}

//==============================================================================
TEST (OutputMappingDescription, LoopedMapAndPlainMappings)
{
    auto element = makeOutputMapping ("<midi loop=\"true\"/>"
                                      "<midi type=\"CC\" parameter=\"0x7\" channel=\"0x1\" value=\"0x7f\"/>"
                                      "<midi type=\"Note\" parameter=\"0x3c\" channel=\"0x2\" value=\"%\"/>");
    OutputMapping mapping (element);
    EXPECT_EQ (mapping.getDescription(), "Looped: CH 1, CC 7, 0x7f & CH 2, Note C4 (60), %");

    mapping.setMap (true);
    EXPECT_EQ (mapping.getDescription(), "CH 1, CC 7, 0x7f & CH 2, Note C4 (60), %");

    mapping.setMap (false);
    mapping.setMidi (0, 1, 0, 16, 1);
    EXPECT_EQ (mapping.getDescription(), "CH 16, Note C-1 (0), 0x1 & CH 2, Note C4 (60), %");

    // A loop marker whose text does not read true is no loop in the description.
    OutputMapping quiet (makeOutputMapping ("<midi loop=\"no\"/><midi type=\"CC\" parameter=\"1\" channel=\"1\" value=\"5\"/>"));
    EXPECT_TRUE (quiet.isLooped());
    EXPECT_EQ (quiet.getDescription(), "CH 1, CC 1, 5");
}
