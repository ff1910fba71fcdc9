#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/InputMapping.h"
#include "model/OutputMapping.h"
#include "support/TestHelpers.h"

// Mappings come from files that people edit by hand: whatever they hold, the getters give their
// defaults, the setters write nothing where there is nothing to write to, and nothing crashes.

namespace
{
    using TestHelpers::parse;

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
        return juce::String::toHexString (message.getRawData(), message.getRawDataSize())
            == juce::String::toHexString (defaultMessage.getRawData(), defaultMessage.getRawDataSize());
    }

    /** Reads every field of both views at index, expecting the defaults, then calls every index-taking setter there. */
    void readDefaultsAndWriteEveryField (InputMapping& in, OutputMapping& out, int index)
    {
        SCOPED_TRACE (index);
        EXPECT_FALSE (in.getMidi (index).isValid() || out.getMidi (index).isValid());

        for (Mapping* mapping : { (Mapping*) &in, (Mapping*) &out })
        {
            EXPECT_EQ (mapping->getType (index), -1);
            EXPECT_EQ (mapping->getParameter (index), 0);
            EXPECT_EQ (mapping->getChannel (index), 0);
            EXPECT_TRUE (isDefaultMessage (mapping->getMidiMessage (index)));
            mapping->setType (index, 1);
            mapping->setParameter (index, 5);
            mapping->setChannel (index, 5);
            mapping->setMidiMessage (index, juce::MidiMessage::controllerEvent (5, 5, 5));
            mapping->setMidiMessage (index, juce::MidiMessage::pitchWheel (5, 5));
            mapping->removeMidi (index);
        }

        EXPECT_EQ (out.getValue (index), "0");
        EXPECT_EQ (out.getDuration (index), -1);
        EXPECT_TRUE (std::isfinite (out.getMapRangeStart (index)) && std::isfinite (out.getMapRangeEnd (index)));
        in.setMidi (index, 0, 5, 5);
        in.addDefaultMidi();
        in.addMidiMessage (juce::MidiMessage::controllerEvent (5, 5, 5));
        out.setMidi (index, 0, 5, 5, 5);
        out.setValue (index, "5");
        out.setValue (index, "%");
        out.setDuration (index, 5);
        out.moveMidi (index, 0);
    }

    /** Runs readDefaultsAndWriteEveryField at each index and expects both trees unchanged. */
    void expectNothingWrittenAt (const juce::ValueTree& input, const juce::ValueTree& output, std::initializer_list<int> indices)
    {
        InputMapping in (input);
        OutputMapping out (output);
        const auto before = input.toXmlString() + output.toXmlString();

        for (int index : indices)
            readDefaultsAndWriteEveryField (in, out, index);

        EXPECT_EQ (input.toXmlString() + output.toXmlString(), before);
    }
}

TEST (MappingBadInput, UnknownTypeTextsReadAsNoKnownKind)
{
    InputMapping in (parse ("<mapping><events><midi type=\"Fader\" parameter=\"0x5\" channel=\"0x2\"/>"
                            "<midi type=\"cc\" parameter=\"6\" channel=\"1\"/><midi parameter=\"7\" channel=\"1\"/></events></mapping>"));
    OutputMapping out (parse ("<mapping><control alias=\"a\"/><midi type=\"PW\" parameter=\"0x5\" channel=\"0x2\" value=\"0x1\"/>"
                              "<midi type=\"Fader\" parameter=\"1\" channel=\"1\"/></mapping>"));

    for (int i : { 0, 1, 2 })
        EXPECT_EQ (in.getType (i), -1) << i;

    EXPECT_EQ (in.getDescription(), "CH 2, Fader, 5 & CH 1, cc, 6 & CH 1, , 7");
    EXPECT_TRUE (in.getMidiMessage (0).isControllerOfType (5));
    EXPECT_EQ (out.getType (0), -1); // no pitch wheel in output mappings
    EXPECT_EQ (out.getType (1), -1);
    EXPECT_EQ (out.getDescription(), "CH 2, PW 5, 0x1 & CH 1, Fader 1, ");
    EXPECT_TRUE (out.getMidiMessage (0).isControllerOfType (5));
}

TEST (MappingBadInput, BrokenNumbersReadAsTheirDefaults)
{
    constexpr int maxInt = std::numeric_limits<int>::max(), minInt = std::numeric_limits<int>::min();

    for (auto [text, number] : { std::pair<const char*, int> { "0x", 0 }, { "zz", 0 }, { "-", 0 }, { "", 0 }, { "%", 0 },
                                 { "99999999999", maxInt }, { "0xffffffffff", -1 }, { "-99999999999", minInt } })
    {
        SCOPED_TRACE (text);
        const juce::String attributes = juce::String ("parameter=\"") + text + "\" channel=\"" + text + "\" value=\"" + text
                                      + "\" duration=\"" + text + "\"";
        InputMapping in (parse ("<mapping><events><midi type=\"Note\" " + attributes + "/></events></mapping>"));
        OutputMapping out (parse ("<mapping><control/><midi type=\"CC\" " + attributes + "/></mapping>"));

        for (Mapping* mapping : { (Mapping*) &in, (Mapping*) &out })
        {
            EXPECT_EQ (mapping->getParameter (0), number);
            EXPECT_EQ (mapping->getChannel (0), number);
            EXPECT_FALSE (mapping->getDescription().isEmpty());
        }

        EXPECT_TRUE (in.getMidiMessage (0).isNoteOn (true));
        EXPECT_TRUE (out.getMidiMessage (0).isController());
        EXPECT_EQ (out.getDuration (0), number);
        EXPECT_EQ (out.getValue (0), juce::String (text) == "%" ? juce::String ("%") : juce::String (number));
        EXPECT_TRUE (out.getDescription().endsWith (text));

        // Learning over such a message reads the stored value safely.
        OutputMapping::learnFlipCount = 0;
        out.setMidiMessage (0, juce::MidiMessage::controllerEvent (1, 1, 0));
        EXPECT_EQ (out.getValue (0), "0");

        // The typed setters still clamp.
        in.setParameter (0, in.getParameter (0));
        in.setChannel (0, in.getChannel (0));
        EXPECT_TRUE (juce::isPositiveAndNotGreaterThan (in.getParameter (0), 127) && in.getChannel (0) >= 1 && in.getChannel (0) <= 16);
    }

    OutputMapping::learnFlipCount = 0;
}

TEST (MappingBadInput, MissingChildrenGiveDefaultsAndSettersWriteNothing)
{
    SilentLog silentLog;

    // No "events", "controls", "preset" or "control"; then each of them hollow.
    for (auto* xml : { "<mapping/>", "<mapping><events/><controls/><preset/></mapping>" })
    {
        SCOPED_TRACE (xml);
        InputMapping in (parse (xml));
        OutputMapping out (parse (xml));

        EXPECT_EQ (in.getNumMidi() + out.getNumMidi(), 0);
        EXPECT_EQ (in.getAlias() + in.getDescription() + in.getPreset() + out.getAlias() + out.getControlValue()
                       + out.getModifiers() + out.getDescription(), "");
        EXPECT_EQ (in.getModifier(), -1);
        EXPECT_TRUE (in.createPropertyComponents().isEmpty());
        EXPECT_FALSE (out.hasModifier (1) || out.isLooped() || out.isMap() || out.isSimpleMap() || out.isFillingMap());
        expectNothingWrittenAt (in.getValueTree(), out.getValueTree(), { 0 });

        const auto before = out.getValueTree().toXmlString();
        out.setControlValue ("true");
        out.setModifier (3, true);
        out.setLooped (false);
        out.setMap (false);
        EXPECT_EQ (out.getValueTree().toXmlString(), before);
    }

    // The options are the children of "parameters", whatever their name; one without attributes gets no component.
    juce::OwnedArray<juce::PropertyComponent> components;
    components.addArray (InputMapping (parse ("<mapping><preset name=\"p\"><parameters><parameter/><junk object=\"invert\"/>"
                                              "</parameters></preset></mapping>")).createPropertyComponents());
    ASSERT_EQ (components.size(), 1);
    EXPECT_EQ (components[0]->getName(), "invert");
}

TEST (MappingBadInput, ModeMarkerWithoutControlStillLeadsTheMessages)
{
    auto element = parse ("<mapping><midi type=\"CC\" parameter=\"1\" channel=\"1\"/><midi type=\"CC\" parameter=\"2\" channel=\"1\"/></mapping>");
    OutputMapping mapping (element);

    mapping.setLooped (true);
    EXPECT_TRUE (mapping.isLooped());
    EXPECT_EQ (element.getChild (0)["loop"].toString(), "true");
    EXPECT_EQ (mapping.getNumMidi(), 2);
    EXPECT_EQ (mapping.getDuration (1), 500);

    mapping.setSimpleMap (true);
    EXPECT_TRUE (mapping.isSimpleMap() && ! mapping.isLooped());
    EXPECT_EQ (element.getNumChildren(), 3);
    EXPECT_EQ (mapping.getDuration (0), 0);

    mapping.setSimpleMap (false);
    EXPECT_EQ (element.getNumChildren(), 2);
}

TEST (MappingBadInput, MarkerInTheWrongPlaceIsNoModeAndNoMessage)
{
    auto element = parse ("<mapping><control alias=\"a\"/><midi type=\"CC\" parameter=\"1\" channel=\"1\" value=\"1\"/>"
                          "<midi map=\"true\"/><midi type=\"CC\" parameter=\"2\" channel=\"1\" value=\"2\"/></mapping>");
    OutputMapping mapping (element);

    EXPECT_FALSE (mapping.isMap());
    EXPECT_EQ (mapping.getNumMidi(), 2);
    EXPECT_EQ (mapping.getDescription(), "CH 1, CC 1, 1 & CH 1, CC 2, 2");

    const auto before = element.toXmlString();
    mapping.setMap (false);
    EXPECT_EQ (element.toXmlString(), before);

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
    auto input = parse ("<mapping><note-to-self/><events><comment/><midi type=\"CC\" parameter=\"7\" channel=\"1\"/></events>"
                        "<controls><control alias=\"a\"/></controls><extra/></mapping>");
    InputMapping in (input);

    EXPECT_EQ (in.getNumMidi(), 1);
    EXPECT_EQ (in.getParameter (1), 7);
    EXPECT_EQ (in.getAlias(), "a");
    expectNothingWrittenAt (input, parse ("<mapping/>"), { 0, 2 });

    // Output: strangers before, between and after the messages stay where they are.
    auto output = parse ("<mapping><control alias=\"a\"/><midi loop=\"true\"/><junk/><midi type=\"CC\" parameter=\"1\" channel=\"1\"/>"
                         "<junk2/><midi type=\"CC\" parameter=\"2\" channel=\"1\"/><midi type=\"CC\" parameter=\"3\" channel=\"1\"/><tail/></mapping>");
    OutputMapping out (output);

    EXPECT_EQ (out.getNumMidi(), 3);
    out.moveMidi (0, 2);
    EXPECT_EQ (100 * out.getParameter (0) + 10 * out.getParameter (1) + out.getParameter (2), 231);
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
    expectNothingWrittenAt (parse ("<input-mappings><mapping><events><midi type=\"CC\" parameter=\"0x01\" channel=\"0x01\"/></events>"
                                   "<controls><control alias=\"a\"/></controls></mapping></input-mappings>").getChild (0),
                            parse ("<output-mappings><mapping><control alias=\"a\" value=\"%\"/><midi simpleMap=\"true\"/>"
                                   "<midi type=\"CC\" parameter=\"0x01\" channel=\"0x01\"/></mapping></output-mappings>").getChild (0),
                            { -1, 1, 2, std::numeric_limits<int>::min(), std::numeric_limits<int>::max() });
}
