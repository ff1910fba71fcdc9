#include <gtest/gtest.h>

#include "support/TestHelpers.h"

#include <cmath>
#include <functional>

#include "model/OutputMapping.h"

namespace
{
    const char* const onOffControl = "<control alias=\"fam(Fx)[0x1].OnOff\" value=\"true\"/>";

    /** An output mapping inside its list: a "control" and the given messages (and marker). */
    juce::ValueTree makeOutputMapping (const juce::String& children, const juce::String& control = onOffControl)
    {
        return TestHelpers::parse ("<output-mappings><mapping>" + control + children + "</mapping></output-mappings>").getChild (0);
    }

    /** A mapping with n plain controller messages, parameters 1..n. */
    juce::ValueTree makeWithMessages (int n)
    {
        juce::String messages;

        for (int i = 1; i <= n; ++i)
            messages << "<midi type=\"CC\" parameter=\"" << i << "\" channel=\"1\" value=\"127\"/>";

        return makeOutputMapping (messages);
    }

    /** A tree as one line of XML, without the declaration. */
    juce::String xmlOf (const juce::ValueTree& tree)
    {
        return tree.createXml()->toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());
    }

    /** The children after "control", one letter each: m for a message with parameter p written
        "m<p>" and its duration after a colon, or the marker's attribute name. */
    juce::String shape (const juce::ValueTree& element)
    {
        juce::StringArray children;

        for (int i = 1; i < element.getNumChildren(); ++i)
        {
            auto child = element.getChild (i);

            if (child.getNumProperties() == 1)
                children.add (child.getPropertyName (0).toString());
            else
                children.add ("m" + child["parameter"].toString() + (child.hasProperty ("duration") ? ":" + child["duration"].toString() : ""));
        }

        return children.joinIntoString (",");
    }

    juce::String modeOf (const OutputMapping& m)
    {
        return m.isLooped() ? "loop" : m.isMap() ? "map" : m.isSimpleMap() ? "simpleMap" : m.isFillingMap() ? "fillingMap" : "default";
    }

    void setMode (OutputMapping& mapping, const juce::String& mode, bool on)
    {
        if (mode == "loop")            mapping.setLooped (on);
        else if (mode == "map")        mapping.setMap (on);
        else if (mode == "simpleMap")  mapping.setSimpleMap (on);
        else if (mode == "fillingMap") mapping.setFillingMap (on);
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
    EXPECT_EQ (mapping.getDuration (1), -1);
    EXPECT_EQ (mapping.getDescription(), "CH 1, CC 1, ");
    EXPECT_EQ (mapping.getAlias(), "fam(Mixer).MasterMeter");
    EXPECT_EQ (mapping.getType (1), -1);

    mapping.setControlValue ("false");
    EXPECT_EQ (mapping.getControlValue(), "false");
    EXPECT_EQ (element.getChild (0)["value"].toString(), "false");
}

TEST (OutputMappingFields, TypedSettersClampWhileSetMidiAndLearningDoNot)
{
    using Edit = std::function<void (OutputMapping&)>;
    const std::tuple<Edit, const char*, const char*> cases[] = {
        { [] (auto& m) { m.setParameter (0, 200); },    "type=\"CC\" parameter=\"0x7f\" channel=\"1\" value=\"127\"", "127" },
        { [] (auto& m) { m.setParameter (0, -3); },     "type=\"CC\" parameter=\"0x0\" channel=\"1\" value=\"127\"", "127" },
        { [] (auto& m) { m.setChannel (0, 0); },        "type=\"CC\" parameter=\"1\" channel=\"0x1\" value=\"127\"", "127" },
        { [] (auto& m) { m.setChannel (0, 40); },       "type=\"CC\" parameter=\"1\" channel=\"0x10\" value=\"127\"", "127" },
        { [] (auto& m) { m.setType (0, 1); },           "type=\"Note\" parameter=\"1\" channel=\"1\" value=\"127\"", "127" },
        { [] (auto& m) { m.setType (0, 2); },           "type=\"CC\" parameter=\"1\" channel=\"1\" value=\"127\"", "127" },
        { [] (auto& m) { m.setMidi (0, 1, 200, 17, 300); }, "type=\"Note\" parameter=\"0xc8\" channel=\"0x11\" value=\"0x12c\"", "300" },
        { [] (auto& m) { m.setMidi (0, -1, 1, 1, 1); }, "type=\"CC\" parameter=\"0x1\" channel=\"0x1\" value=\"0x1\"", "1" },
        { [] (auto& m) { m.setValue (0, "%"); },        "type=\"CC\" parameter=\"1\" channel=\"1\" value=\"%\"", "%" },
        { [] (auto& m) { m.setValue (0, "300"); },      "type=\"CC\" parameter=\"1\" channel=\"1\" value=\"0x7f\"", "127" },
        { [] (auto& m) { m.setValue (0, "-4"); },       "type=\"CC\" parameter=\"1\" channel=\"1\" value=\"0x0\"", "0" },
        { [] (auto& m) { m.setValue (0, "loud"); },     "type=\"CC\" parameter=\"1\" channel=\"1\" value=\"0x0\"", "0" },
        { [] (auto& m) { m.setValue (0, "12abc"); },    "type=\"CC\" parameter=\"1\" channel=\"1\" value=\"0xc\"", "12" },
        { [] (auto& m) { m.setValue (0, "0x20"); },     "type=\"CC\" parameter=\"1\" channel=\"1\" value=\"0x0\"", "0" },
        { [] (auto& m) { m.setValue (0, "99999999999"); }, "type=\"CC\" parameter=\"1\" channel=\"1\" value=\"0x7f\"", "127" },
        { [] (auto& m) { m.setValue (0, "% "); },       "type=\"CC\" parameter=\"1\" channel=\"1\" value=\"0x0\"", "0" },
        { [] (auto& m) { m.getMidi (0).setProperty ("value", "50%", nullptr); }, "type=\"CC\" parameter=\"1\" channel=\"1\" value=\"50%\"", "50" },
        { [] (auto& m) { m.setParameter (1, 5); m.setValue (1, "5"); m.setMidi (1, 1, 1, 1, 1); },
          "type=\"CC\" parameter=\"1\" channel=\"1\" value=\"127\"", "127" },
        // learning writes unclamped "0x" text; a message of another kind keeps the type
        { [] (auto& m) { m.setMidiMessage (0, juce::MidiMessage::noteOn (10, 60, (juce::uint8) 100)); },
          "type=\"Note\" parameter=\"0x3c\" channel=\"0xa\" value=\"0x64\"", "100" },
        { [] (auto& m) { m.setMidiMessage (0, juce::MidiMessage::programChange (4, 3)); },
          "type=\"CC\" parameter=\"0xffffffff\" channel=\"0x4\" value=\"0xffffffff\"", "-1" },
        { [] (auto& m) { m.setMidiMessage (0, juce::MidiMessage::pitchWheel (2, 100)); },
          "type=\"CC\" parameter=\"0xffffffff\" channel=\"0x2\" value=\"0xffffffff\"", "-1" },
        { [] (auto& m) { m.setMidiMessage (0, juce::MidiMessage::midiStart()); },
          "type=\"CC\" parameter=\"0xffffffff\" channel=\"0x0\" value=\"0xffffffff\"", "-1" },
    };

    for (auto& [edit, attributes, value] : cases)
    {
        SCOPED_TRACE (attributes);
        auto element = makeWithMessages (1);
        OutputMapping mapping (element);
        edit (mapping);
        EXPECT_EQ (xmlOf (element.getChild (1)), "<midi " + juce::String (attributes) + "/>");
        EXPECT_EQ (mapping.getValue (0), value);
        EXPECT_EQ (element.getNumChildren(), 2);
    }
}

TEST (OutputMappingFields, AddedMessagesHoldUnclampedIntegersAndTheirKindWhenItIsOne)
{
    auto element = makeOutputMapping ({});
    OutputMapping mapping (element);

    mapping.addDefaultMidi();
    mapping.addMidi (1, 300, -2, 1000);
    mapping.addMidi (5, 1, 2, 3);
    mapping.addMidiMessage (juce::MidiMessage::noteOn (3, 62, (juce::uint8) 90));
    mapping.addMidiMessage (juce::MidiMessage::controllerEvent (16, 20, 5));
    mapping.addMidiMessage (juce::MidiMessage::programChange (2, 4));
    mapping.addMidiMessage (juce::MidiMessage::pitchWheel (5, 8192));
    mapping.addMidiMessage (juce::MidiMessage::pitchWheel (6, 0x3fff));

    // Messages that are neither notes nor controllers store their third byte as the value
    // (a pitch wheel's high byte: 64 in the middle); a two-byte message has none and stores 0.
    EXPECT_EQ (xmlOf (element), juce::String ("<mapping>") + onOffControl
                                    + "<midi type=\"CC\" parameter=\"1\" channel=\"1\" value=\"127\"/>"
                                      "<midi type=\"Note\" parameter=\"300\" channel=\"-2\" value=\"1000\"/>"
                                      "<midi parameter=\"1\" channel=\"2\" value=\"3\"/>"
                                      "<midi type=\"Note\" parameter=\"62\" channel=\"3\" value=\"90\"/>"
                                      "<midi type=\"CC\" parameter=\"20\" channel=\"16\" value=\"5\"/>"
                                      "<midi parameter=\"-1\" channel=\"2\" value=\"0\"/>"
                                      "<midi parameter=\"-1\" channel=\"5\" value=\"64\"/>"
                                      "<midi parameter=\"-1\" channel=\"6\" value=\"127\"/></mapping>");
    EXPECT_TRUE (mapping.getMidi (1)["parameter"].isInt());
    EXPECT_EQ (mapping.getType (2), -1);
}

TEST (OutputMappingFields, MessagesAsMidiAndRemovalOfExistingMessagesOnly)
{
    auto element = makeOutputMapping ("<midi type=\"Note\" parameter=\"0x3c\" channel=\"0x2\" value=\"%\"/>"
                                      "<midi type=\"CC\" parameter=\"7\" channel=\"3\" value=\"0x64\"/>"
                                      "<midi type=\"Note\" parameter=\"0x40\" channel=\"0x1\" value=\"0x180\"/>");
    OutputMapping mapping (element);

    EXPECT_TRUE (sameBytes (mapping.getMidiMessage (0), juce::MidiMessage::noteOn (2, 60, (juce::uint8) 0)));
    EXPECT_TRUE (sameBytes (mapping.getMidiMessage (1), juce::MidiMessage::controllerEvent (3, 7, 100)));
    EXPECT_TRUE (sameBytes (mapping.getMidiMessage (2), juce::MidiMessage::noteOn (1, 64, (juce::uint8) 127)));
    EXPECT_TRUE (sameBytes (mapping.getMidiMessage (3), juce::MidiMessage()));

    mapping.removeMidi (5);
    mapping.removeMidi (-1);
    EXPECT_EQ (shape (element), "m0x3c,m7,m0x40");
    mapping.removeMidi (1);
    EXPECT_EQ (shape (element), "m0x3c,m0x40");

    // A marker is never taken for a message.
    mapping.setMap (true);
    mapping.removeMidi (0);
    EXPECT_EQ (shape (element), "map,m0x40");
}

//==============================================================================
TEST (OutputMappingModes, EveryTransitionOfTheModeTable)
{
    const juce::StringArray modes { "default", "loop", "map", "simpleMap", "fillingMap" };

    for (auto& from : modes)
    {
        for (auto& setter : modes)
        {
            for (bool on : { true, false })
            {
                if (setter == "default")
                    continue;

                SCOPED_TRACE (from + " -> set " + setter + (on ? "(true)" : "(false)"));
                auto element = makeWithMessages (2);
                OutputMapping mapping (element);
                setMode (mapping, from, true);
                ASSERT_EQ (modeOf (mapping), from);
                setMode (mapping, setter, on);

                const auto expected = on ? setter : (setter == from ? juce::String ("default") : from);
                EXPECT_EQ (modeOf (mapping), expected);
                EXPECT_EQ (shape (element), expected == "default" ? "m1,m2" : expected == "loop" ? "loop,m1:500,m2:500" : expected + ",m1,m2");
                EXPECT_EQ (element.getChild (0).getType().toString(), "control");
                EXPECT_EQ (element.getChild (1)[juce::Identifier (expected == "default" ? "type" : expected)].toString(),
                           expected == "default" ? "CC" : "true");
            }
        }
    }
}

TEST (OutputMappingModes, LoopDurationsAreSetOnlyOnSwitchingAndAnyMarkerTextCounts)
{
    auto element = makeWithMessages (2);
    OutputMapping mapping (element);

    mapping.setDuration (0, 120);
    mapping.setLooped (true);
    EXPECT_TRUE (mapping.getMidi (0)["duration"].isString());
    EXPECT_EQ (mapping.getDuration (0), 500);

    // Switching loop on again changes nothing; a message added now has no duration.
    mapping.setDuration (0, -7); // unclamped
    mapping.setLooped (true);
    mapping.addDefaultMidi();
    EXPECT_EQ (shape (element), "loop,m1:-7,m2:500,m1");
    EXPECT_EQ (mapping.getDuration (2), 0);

    auto marked = makeOutputMapping ("<midi map=\"no\"/><midi type=\"CC\" parameter=\"1\" channel=\"1\"/>");
    OutputMapping map (marked);
    EXPECT_TRUE (map.isMap());
    EXPECT_EQ (map.getNumMidi(), 1);

    const auto before = xmlOf (marked);
    map.setSimpleMap (false);
    map.setLooped (false);
    map.setFillingMap (false);
    map.setMap (true);
    EXPECT_EQ (xmlOf (marked), before);
}

TEST (OutputMappingModes, MoveMidiKeepsTheMarkerInPlace)
{
    auto element = makeWithMessages (3);
    OutputMapping mapping (element);
    mapping.setMap (true);

    // Moves in sequence; indices without a message move nothing.
    const std::tuple<int, int, const char*> moves[] = {
        { 0, 2, "map,m2,m3,m1" }, { 2, 0, "map,m1,m2,m3" }, { 1, 1, "map,m1,m2,m3" }, { 0, 10, "map,m2,m3,m1" },
        { 1, 0, "map,m3,m2,m1" }, { 3, 0, "map,m3,m2,m1" }, { -1, 0, "map,m3,m2,m1" }, { 0, -1, "map,m3,m2,m1" },
    };

    for (auto& [from, to, expected] : moves)
    {
        mapping.moveMidi (from, to);
        EXPECT_EQ (shape (element), expected) << from << " -> " << to;
    }
}

//==============================================================================
TEST (OutputMappingRanges, MapRangesFollowTheTableOfResultsAndALoneMessageCoversTheWholeRange)
{
    struct Case { const char* mode; int messages; std::vector<float> bounds; };

    const Case cases[] = {
        { "simpleMap", 3, { 0.0f, 0.5f, 0.5f, 1.0f, 1.0f, 1.5f } },
        { "simpleMap", 4, { 0.0f, 0.33f, 0.33f, 0.66f, 0.66f, 1.0f, 1.0f, 1.33f } },
        { "map", 4, { 0.0f, 0.5f, 0.5f, 1.0f, 0.0f, 0.5f, 0.5f, 1.0f } },
        { "fillingMap", 4, { 0.0f, 0.5f, 0.5f, 1.0f, 0.0f, 0.5f, 0.5f, 1.0f } },
        { "map", 5, { 0.0f, 0.5f, 0.5f, 1.0f, 0.0f, 0.5f, 0.5f, 1.0f, 1.0f, 1.5f } },
        { "map", 6, { 0.0f, 0.33f, 0.33f, 0.66f, 0.66f, 1.0f, 0.0f, 0.33f, 0.33f, 0.66f, 0.66f, 1.0f } },
        { "map", 2, { 0.0f, 1.0f, 0.0f, 1.0f } },
        { "simpleMap", 2, { 0.0f, 1.0f, 1.0f, 2.0f } },
        { "map", 1, { 0.0f, 1.0f } }, { "simpleMap", 1, { 0.0f, 1.0f } }, { "fillingMap", 1, { 0.0f, 1.0f } },
        { "loop", 1, { 0.0f, 1.0f } }, { "default", 1, { 0.0f, 1.0f } },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.mode) + " " + juce::String (c.messages));
        OutputMapping mapping (makeWithMessages (c.messages));
        setMode (mapping, c.mode, true);

        for (int i = 0; i < c.messages; ++i)
        {
            EXPECT_FLOAT_EQ (mapping.getMapRangeStart (i), c.bounds[(size_t) (2 * i)]) << i;
            EXPECT_FLOAT_EQ (mapping.getMapRangeEnd (i), c.bounds[(size_t) (2 * i + 1)]) << i;
        }
    }

    OutputMapping empty (makeOutputMapping ({}));
    EXPECT_TRUE (std::isfinite (empty.getMapRangeStart (0)) && std::isfinite (empty.getMapRangeEnd (0)));
}

//==============================================================================
TEST (OutputMappingModifiers, ListIsRewrittenInAscendingOrder)
{
    // Steps in sequence: a stored list to start from (or null to go on), the modifier set, the result.
    const std::tuple<const char*, int, bool, const char*> steps[] = {
        { "ML1", 3, true, "ML1,ML3" }, { nullptr, 1, false, "ML3" }, { nullptr, 3, false, "" },
        { "ML3,ML1,ML3", 2, true, "ML1,ML2,ML3" }, { "ML0,ML,xx9,ML5", 9, true, "ML5,ML9" },
        { nullptr, 0, true, "ML5,ML9" }, { nullptr, 10, true, "ML5,ML9" },
    };

    auto element = makeWithMessages (1);
    OutputMapping mapping (element);
    auto control = element.getChild (0);

    for (auto& [stored, k, on, expected] : steps)
    {
        if (stored != nullptr)
            control.setProperty ("modifiers", stored, nullptr);

        mapping.setModifier (k, on);
        EXPECT_EQ (mapping.getModifiers(), expected) << k;
        EXPECT_EQ (control.hasProperty ("modifiers"), *expected != 0) << k;
    }

    control.setProperty ("modifiers", "ML0,ML,xx9,ML5", nullptr);
    juce::String flags;

    for (int k = -1; k <= 10; ++k)
        flags << (mapping.hasModifier (k) ? "1" : "0");

    EXPECT_EQ (flags, "000000100010");
}

//==============================================================================
class OutputMappingLearn : public ::testing::Test
{
protected:
    void SetUp() override { OutputMapping::learnFlipCount = 0; }
    void TearDown() override { OutputMapping::learnFlipCount = 0; }
};

TEST_F (OutputMappingLearn, EveryThirdFlipInARowIsStoredAs127AndAnythingElseBreaksTheRun)
{
    auto element = makeOutputMapping ("<midi type=\"CC\" parameter=\"0x7\" channel=\"0x1\" value=\"0x7f\"/>"
                                      "<midi type=\"CC\" parameter=\"0x8\" channel=\"0x1\" value=\"0\"/>");
    OutputMapping mapping (element);
    using M = juce::MidiMessage;

    // In sequence: the message index, the message learned, the stored value and the count after it.
    const std::tuple<int, M, const char*, int> steps[] = {
        { 0, M::controllerEvent (1, 7, 0), "0", 1 }, { 0, M::controllerEvent (1, 7, 127), "127", 2 },
        { 0, M::controllerEvent (1, 7, 0), "127", 0 }, { 0, M::controllerEvent (1, 7, 0), "0", 1 },
        // another channel, controller or kind is no flip
        { 0, M::controllerEvent (2, 7, 127), "127", 0 }, { 0, M::controllerEvent (2, 7, 0), "0", 1 },
        { 0, M::controllerEvent (2, 9, 127), "127", 0 }, { 0, M::noteOn (2, 9, (juce::uint8) 0), "0", 0 },
        // flips on two messages (as on two mappings) count together
        { 1, M::controllerEvent (1, 8, 127), "127", 1 }, { 0, M::noteOn (2, 9, (juce::uint8) 127), "127", 2 },
        { 1, M::controllerEvent (1, 8, 0), "127", 0 },
    };

    for (auto& [index, message, stored, count] : steps)
    {
        SCOPED_TRACE (message.getDescription());
        mapping.setMidiMessage (index, message);
        EXPECT_EQ (mapping.getValue (index), stored);
        EXPECT_EQ (OutputMapping::learnFlipCount, count);
    }

    // A stored "%" reads as 0.
    mapping.setValue (1, "%");
    mapping.setMidiMessage (1, M::controllerEvent (1, 8, 127));
    EXPECT_EQ (OutputMapping::learnFlipCount, 1);
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
