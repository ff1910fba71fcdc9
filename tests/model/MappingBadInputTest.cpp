#include <gtest/gtest.h>

#include "support/TestHelpers.h"

#include <cmath>
#include <limits>

#include "model/InputMapping.h"
#include "model/OutputMapping.h"

// Mappings come from files that people edit by hand: whatever they hold, the getters give their
// defaults, the setters write nothing where there is nothing to write to, and nothing crashes.

namespace
{
    using TestHelpers::parse;

    juce::String snapshot (const juce::ValueTree& tree)
    {
        return tree.toXmlString();
    }

    /** Keeps the option log lines of these tests out of the test output. */
    struct SilentLog : public juce::Logger
    {
        SilentLog() { juce::Logger::setCurrentLogger (this); }
        ~SilentLog() override { juce::Logger::setCurrentLogger (nullptr); }
        void logMessage (const juce::String&) override {}
    };

    bool isDefaultMessage (const juce::MidiMessage& message)
    {
        const juce::MidiMessage defaultMessage;
        return message.getRawDataSize() == defaultMessage.getRawDataSize()
            && std::memcmp (message.getRawData(), defaultMessage.getRawData(), (size_t) message.getRawDataSize()) == 0;
    }

    /** Calls every index-taking setter of an input mapping at index. */
    void writeEveryInputField (InputMapping& mapping, int index)
    {
        mapping.setType (index, 1);
        mapping.setParameter (index, 5);
        mapping.setChannel (index, 5);
        mapping.setMidi (index, 0, 5, 5);
        mapping.setMidiMessage (index, juce::MidiMessage::controllerEvent (5, 5, 5));
        mapping.setMidiMessage (index, juce::MidiMessage::pitchWheel (5, 5));
        mapping.addDefaultMidi();
        mapping.addMidiMessage (juce::MidiMessage::controllerEvent (5, 5, 5));
        mapping.removeMidi (index);
    }

    /** Calls every index-taking setter of an output mapping at index. */
    void writeEveryOutputField (OutputMapping& mapping, int index)
    {
        mapping.setType (index, 1);
        mapping.setParameter (index, 5);
        mapping.setChannel (index, 5);
        mapping.setMidi (index, 0, 5, 5, 5);
        mapping.setMidiMessage (index, juce::MidiMessage::controllerEvent (5, 5, 5));
        mapping.setValue (index, "5");
        mapping.setValue (index, "%");
        mapping.setDuration (index, 5);
        mapping.removeMidi (index);
        mapping.moveMidi (index, 0);
    }

    void expectInputDefaults (const InputMapping& mapping, int index)
    {
        SCOPED_TRACE (index);
        EXPECT_FALSE (mapping.getMidi (index).isValid());
        EXPECT_EQ (mapping.getType (index), -1);
        EXPECT_EQ (mapping.getParameter (index), 0);
        EXPECT_EQ (mapping.getChannel (index), 0);
        EXPECT_TRUE (isDefaultMessage (mapping.getMidiMessage (index)));
    }

    void expectOutputDefaults (const OutputMapping& mapping, int index)
    {
        SCOPED_TRACE (index);
        EXPECT_FALSE (mapping.getMidi (index).isValid());
        EXPECT_EQ (mapping.getType (index), -1);
        EXPECT_EQ (mapping.getParameter (index), 0);
        EXPECT_EQ (mapping.getChannel (index), 0);
        EXPECT_EQ (mapping.getValue (index), "0");
        EXPECT_EQ (mapping.getDuration (index), -1);
        EXPECT_TRUE (isDefaultMessage (mapping.getMidiMessage (index)));
        EXPECT_TRUE (std::isfinite (mapping.getMapRangeStart (index)));
        EXPECT_TRUE (std::isfinite (mapping.getMapRangeEnd (index)));
    }
}

TEST (MappingBadInput, UnknownTypeTextsReadAsNoKnownKind)
{
    auto input = parse ("<mapping><events>"
                        "<midi type=\"Fader\" parameter=\"0x5\" channel=\"0x2\"/>"
                        "<midi type=\"cc\" parameter=\"6\" channel=\"1\"/>"
                        "<midi parameter=\"7\" channel=\"1\"/>"
                        "</events></mapping>");
    InputMapping in (input);

    EXPECT_EQ (in.getType (0), -1);
    EXPECT_EQ (in.getType (1), -1);
    EXPECT_EQ (in.getType (2), -1);
    EXPECT_EQ (in.getDescription(), "CH 2, Fader, 5 & CH 1, cc, 6 & CH 1, , 7");
    EXPECT_TRUE (in.getMidiMessage (0).isControllerOfType (5));

    auto output = parse ("<mapping><control alias=\"a\"/>"
                         "<midi type=\"PW\" parameter=\"0x5\" channel=\"0x2\" value=\"0x1\"/>"
                         "<midi type=\"Fader\" parameter=\"1\" channel=\"1\"/></mapping>");
    OutputMapping out (output);

    EXPECT_EQ (out.getType (0), -1); // no pitch wheel in output mappings
    EXPECT_EQ (out.getType (1), -1);
    EXPECT_EQ (out.getDescription(), "CH 2, PW 5, 0x1 & CH 1, Fader 1, ");
    EXPECT_TRUE (out.getMidiMessage (0).isControllerOfType (5));
}

TEST (MappingBadInput, BrokenNumbersReadAsTheirDefaults)
{
    constexpr int maxInt = std::numeric_limits<int>::max();

    struct Case { const char* text; int number; };
    const Case cases[] = { { "0x", 0 }, { "zz", 0 }, { "-", 0 }, { "", 0 }, { "%", 0 },
                           { "99999999999", maxInt }, { "0xffffffffff", -1 }, { "-99999999999", std::numeric_limits<int>::min() } };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        const juce::String attributes = juce::String ("parameter=\"") + c.text + "\" channel=\"" + c.text
                                      + "\" value=\"" + c.text + "\" duration=\"" + c.text + "\"";

        InputMapping in (parse ("<mapping><events><midi type=\"Note\" " + attributes + "/></events></mapping>"));
        EXPECT_EQ (in.getParameter (0), c.number);
        EXPECT_EQ (in.getChannel (0), c.number);
        EXPECT_FALSE (in.getDescription().isEmpty());
        EXPECT_TRUE (in.getMidiMessage (0).isNoteOn (true));

        OutputMapping out (parse ("<mapping><control/><midi type=\"CC\" " + attributes + "/></mapping>"));
        EXPECT_EQ (out.getParameter (0), c.number);
        EXPECT_EQ (out.getChannel (0), c.number);
        EXPECT_EQ (out.getDuration (0), c.number);
        EXPECT_EQ (out.getValue (0), juce::String (c.text) == "%" ? juce::String ("%") : juce::String (c.number));
        EXPECT_TRUE (out.getMidiMessage (0).isController());
        EXPECT_TRUE (out.getDescription().endsWith (c.text));

        // Learning over such a message reads the stored value safely.
        OutputMapping::learnFlipCount = 0;
        out.setMidiMessage (0, juce::MidiMessage::controllerEvent (1, 1, 0));
        EXPECT_EQ (out.getValue (0), "0");

        // The typed setters still clamp.
        in.setParameter (0, in.getParameter (0));
        in.setChannel (0, in.getChannel (0));
        EXPECT_GE (in.getParameter (0), 0);
        EXPECT_LE (in.getParameter (0), 127);
        EXPECT_GE (in.getChannel (0), 1);
        EXPECT_LE (in.getChannel (0), 16);
    }

    OutputMapping::learnFlipCount = 0;
}

TEST (MappingBadInput, MissingChildrenGiveDefaultsAndSettersWriteNothing)
{
    SilentLog silentLog;

    // An input mapping without "events", "controls" and "preset".
    auto bareInput = parse ("<mapping/>");
    InputMapping in (bareInput);
    const auto inputBefore = snapshot (bareInput);

    EXPECT_EQ (in.getNumMidi(), 0);
    EXPECT_EQ (in.getAlias(), "");
    EXPECT_EQ (in.getModifier(), -1);
    EXPECT_EQ (in.getDescription(), "");
    EXPECT_EQ (in.getPreset(), "");
    EXPECT_TRUE (in.createPropertyComponents().isEmpty());
    expectInputDefaults (in, 0);
    writeEveryInputField (in, 0);
    EXPECT_EQ (snapshot (bareInput), inputBefore);

    // "controls" without "control", "events" without "midi", "preset" without "parameters".
    auto hollowInput = parse ("<mapping><events/><controls/><preset/></mapping>");
    InputMapping hollow (hollowInput);
    const auto hollowBefore = snapshot (hollowInput);

    EXPECT_EQ (hollow.getAlias(), "");
    EXPECT_EQ (hollow.getNumMidi(), 0);
    EXPECT_EQ (hollow.getPreset(), "");
    EXPECT_TRUE (hollow.createPropertyComponents().isEmpty());
    expectInputDefaults (hollow, 0);
    writeEveryInputField (hollow, 0);
    EXPECT_EQ (snapshot (hollowInput), hollowBefore);

    // An option without any attribute gets no component.
    auto strangeOption = parse ("<mapping><events/><preset name=\"p\"><parameters><parameter/><junk object=\"invert\"/></parameters></preset></mapping>");
    juce::OwnedArray<juce::PropertyComponent> components;
    components.addArray (InputMapping (strangeOption).createPropertyComponents());
    ASSERT_EQ (components.size(), 1); // the options are the children, whatever their name
    EXPECT_EQ (components[0]->getName(), "invert");

    // An output mapping without "control" and without messages.
    auto bareOutput = parse ("<mapping/>");
    OutputMapping out (bareOutput);
    const auto outputBefore = snapshot (bareOutput);

    EXPECT_EQ (out.getNumMidi(), 0);
    EXPECT_EQ (out.getAlias(), "");
    EXPECT_EQ (out.getControlValue(), "");
    EXPECT_EQ (out.getModifiers(), "");
    EXPECT_FALSE (out.hasModifier (1));
    EXPECT_EQ (out.getDescription(), "");
    EXPECT_FALSE (out.isLooped() || out.isMap() || out.isSimpleMap() || out.isFillingMap());
    expectOutputDefaults (out, 0);
    writeEveryOutputField (out, 0);
    out.setControlValue ("true");
    out.setModifier (3, true);
    out.setLooped (false);
    out.setMap (false);
    EXPECT_EQ (snapshot (bareOutput), outputBefore);
}

TEST (MappingBadInput, ModeMarkerWithoutControlStillLeadsTheMessages)
{
    auto element = parse ("<mapping><midi type=\"CC\" parameter=\"1\" channel=\"1\"/>"
                          "<midi type=\"CC\" parameter=\"2\" channel=\"1\"/></mapping>");
    OutputMapping mapping (element);

    mapping.setLooped (true);
    EXPECT_TRUE (mapping.isLooped());
    EXPECT_EQ (element.getChild (0)["loop"].toString(), "true");
    EXPECT_EQ (mapping.getNumMidi(), 2);
    EXPECT_EQ (mapping.getDuration (1), 500);

    mapping.setSimpleMap (true);
    EXPECT_FALSE (mapping.isLooped());
    EXPECT_TRUE (mapping.isSimpleMap());
    EXPECT_EQ (element.getNumChildren(), 3);
    EXPECT_EQ (mapping.getDuration (0), 0);

    mapping.setSimpleMap (false);
    EXPECT_EQ (element.getNumChildren(), 2);
}

TEST (MappingBadInput, MarkerInTheWrongPlaceIsNoModeAndNoMessage)
{
    auto element = parse ("<mapping><control alias=\"a\"/>"
                          "<midi type=\"CC\" parameter=\"1\" channel=\"1\" value=\"1\"/>"
                          "<midi map=\"true\"/>"
                          "<midi type=\"CC\" parameter=\"2\" channel=\"1\" value=\"2\"/></mapping>");
    OutputMapping mapping (element);

    EXPECT_FALSE (mapping.isMap());
    EXPECT_EQ (mapping.getNumMidi(), 2);
    EXPECT_EQ (mapping.getParameter (1), 2);
    EXPECT_EQ (mapping.getDescription(), "CH 1, CC 1, 1 & CH 1, CC 2, 2");

    const auto before = snapshot (element);
    mapping.setMap (false);
    EXPECT_EQ (snapshot (element), before);

    mapping.moveMidi (0, 1);
    EXPECT_EQ (mapping.getParameter (0), 2);
    EXPECT_EQ (mapping.getParameter (1), 1);
    EXPECT_EQ (element.getChild (0).getType().toString(), "control");

    // Switching a mode on puts a proper marker right after "control".
    mapping.setFillingMap (true);
    EXPECT_TRUE (mapping.isFillingMap());
    EXPECT_EQ (element.getChild (1)["fillingMap"].toString(), "true");
    EXPECT_EQ (mapping.getNumMidi(), 2);
}

TEST (MappingBadInput, UnknownChildrenAreNeverTakenForEventsOrMessages)
{
    // Input: the event index is the position among the children of "events".
    auto input = parse ("<mapping><note-to-self/><events><comment/>"
                        "<midi type=\"CC\" parameter=\"7\" channel=\"1\"/></events>"
                        "<controls><control alias=\"a\"/></controls><extra/></mapping>");
    InputMapping in (input);

    EXPECT_EQ (in.getNumMidi(), 1);
    EXPECT_FALSE (in.getMidi (0).isValid());
    EXPECT_EQ (in.getType (0), -1);
    EXPECT_EQ (in.getParameter (1), 7);
    EXPECT_EQ (in.getAlias(), "a");

    const auto before = snapshot (input);
    writeEveryInputField (in, 0);
    writeEveryInputField (in, 2);
    EXPECT_EQ (snapshot (input), before);

    // Output: strangers before, between and after the messages stay where they are.
    auto output = parse ("<mapping><control alias=\"a\"/><midi loop=\"true\"/><junk/>"
                         "<midi type=\"CC\" parameter=\"1\" channel=\"1\"/><junk2/>"
                         "<midi type=\"CC\" parameter=\"2\" channel=\"1\"/>"
                         "<midi type=\"CC\" parameter=\"3\" channel=\"1\"/><tail/></mapping>");
    OutputMapping out (output);

    EXPECT_EQ (out.getNumMidi(), 3);
    out.moveMidi (0, 2);
    EXPECT_EQ (out.getParameter (0), 2);
    EXPECT_EQ (out.getParameter (1), 3);
    EXPECT_EQ (out.getParameter (2), 1);
    out.moveMidi (2, 0);
    EXPECT_EQ (out.getParameter (0), 1);

    juce::StringArray types;

    for (const auto& child : output)
        types.add (child.getType().toString());

    EXPECT_EQ (types.joinIntoString (","), "control,midi,junk,junk2,midi,midi,midi,tail");
    EXPECT_TRUE (out.isLooped());
}

TEST (MappingBadInput, IndicesOutsideTheListReadDefaultsAndWriteNothing)
{
    auto input = parse ("<input-mappings><mapping><events><midi type=\"CC\" parameter=\"0x01\" channel=\"0x01\"/></events>"
                        "<controls><control alias=\"a\"/></controls></mapping></input-mappings>").getChild (0);
    InputMapping in (input);
    const auto inputBefore = snapshot (input);

    for (int index : { -1, 1, 2, std::numeric_limits<int>::min(), std::numeric_limits<int>::max() })
    {
        expectInputDefaults (in, index);
        writeEveryInputField (in, index);
    }

    EXPECT_EQ (snapshot (input), inputBefore);

    auto output = parse ("<output-mappings><mapping><control alias=\"a\" value=\"%\"/><midi simpleMap=\"true\"/>"
                         "<midi type=\"CC\" parameter=\"0x01\" channel=\"0x01\"/></mapping></output-mappings>").getChild (0);
    OutputMapping out (output);
    const auto outputBefore = snapshot (output);

    for (int index : { -1, 1, 2, std::numeric_limits<int>::min(), std::numeric_limits<int>::max() })
    {
        expectOutputDefaults (out, index);
        writeEveryOutputField (out, index);
    }

    EXPECT_EQ (snapshot (output), outputBefore);
}
