#include <gtest/gtest.h>

#include <climits>

#include "model/InputMapping.h"
#include "model/OutputMapping.h"
#include "support/TestHelpers.h"

// Mappings come from files that people edit by hand: whatever they hold, the getters read their
// defaults, the setters write nothing where there is nothing to write to, and nothing crashes.

// Each row: an input and an output mapping, their first events' kinds and their descriptions as read, and
// indices without an event in either, where getters give defaults and setters write nothing.
TEST (MappingBadInput, StrangeTreesReadAsDescribedAndIndicesWithoutAnEventWriteNothing)
{
    const struct { const char* input; const char* output; const char* read; std::initializer_list<int> indices; } cases[] = {
        { "<mapping><events/><controls/><preset/></mapping>", "<mapping><events/><controls/><preset/></mapping>", "-1 -1 |  | ", { 0 } },
        { "<mapping><events><midi type=\"Fader\" parameter=\"0x5\" channel=\"0x2\"/><midi type=\"cc\" parameter=\"6\"/></events></mapping>",
          "<mapping><midi type=\"PW\" parameter=\"0x5\" channel=\"0x2\" value=\"0x1\"/><midi parameter=\"1\" channel=\"1\"/></mapping>",
          "-1 -1 | CH 2, Fader, 5 & CH 0, cc, 6 | CH 2, PW 5, 0x1 & CH 1,  1, ", { 2, -1 } },
        { "<mapping><events><midi type=\"Note\" parameter=\"99999999999\" channel=\"zz\"/></events></mapping>",
          "<mapping><midi type=\"Note\" parameter=\"-99999999999\" channel=\"0xffffffffff\" value=\"zz\" duration=\"-\"/></mapping>",
          "1 1 | CH 0, Note,  (2147483647) | CH -1, Note  (-2147483648), zz", { 1, INT_MAX, INT_MIN } },
        { "<mapping><note-to-self/><events><comment/><midi type=\"CC\" parameter=\"7\" channel=\"1\"/></events><extra/></mapping>",
          "<mapping><junk/><tail/></mapping>", "-1 -1 |  & CH 1, CC, 7 | ", { 0, 2, INT_MAX } },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.input);
        const auto input = TestHelpers::parse (c.input), output = TestHelpers::parse (c.output);
        const auto before = input.toXmlString() + output.toXmlString();
        InputMapping in (input);
        OutputMapping out (output);
        EXPECT_EQ (juce::String (in.getType (0)) + " " + juce::String (out.getType (0)) + " | " + in.getDescription() + " | " + out.getDescription(), c.read);

        for (int index : c.indices)
        {
            SCOPED_TRACE (index);
            EXPECT_FALSE (in.getMidi (index).isValid() || out.getMidi (index).isValid());
            EXPECT_EQ (out.getValue (index) + " " + juce::String (out.getDuration (index)), "0 -1");

            for (Mapping* mapping : { (Mapping*) &in, (Mapping*) &out })
            {
                const auto message = mapping->getMidiMessage (index);
                EXPECT_EQ (juce::String (mapping->getType (index)) + " " + juce::String (mapping->getParameter (index)) + " " + juce::String (mapping->getChannel (index))
                               + " " + juce::String::toHexString (message.getRawData(), message.getRawDataSize()), "-1 0 0 f0 f7"); // JUCE's default message
                mapping->setType (index, 1);
                mapping->setParameter (index, 5);
                mapping->setChannel (index, 5);
                mapping->setMidiMessage (index, juce::MidiMessage::controllerEvent (5, 5, 5));
                mapping->removeMidi (index);
            }

            in.setMidi (index, 0, 5, 5);
            out.setMidi (index, 0, 5, 5, 5);
            out.setValue (index, "5");
            out.setDuration (index, 5);
            out.moveMidi (index, 0);
        }

        EXPECT_EQ (input.toXmlString() + output.toXmlString(), before);
    }
}

// A mode marker without "control" still leads the messages; one after them is no mode and no message.
TEST (MappingBadInput, MisplacedModeMarkersAreHandledByTheirPlaceAmongTheMessages)
{
    auto noControl = TestHelpers::parse ("<mapping><midi type=\"CC\" parameter=\"1\"/><midi type=\"CC\" parameter=\"2\"/></mapping>");
    OutputMapping first (noControl);
    first.setLooped (true);
    EXPECT_TRUE (first.isLooped() && first.getNumMidi() == 2 && first.getDuration (1) == 500 && noControl.getChild (0)["loop"].toString() == "true");

    auto misplaced = TestHelpers::parse ("<mapping><control alias=\"a\"/><midi type=\"CC\" parameter=\"1\"/><midi type=\"CC\" parameter=\"2\"/>"
                                         "<midi map=\"true\"/><tail/></mapping>");
    OutputMapping second (misplaced);
    EXPECT_TRUE (! second.isMap() && second.getNumMidi() == 2);
    second.setMap (false);
    second.moveMidi (0, 1); // a stranger after the messages stays last
    second.setFillingMap (true);
    EXPECT_EQ (misplaced.toXmlString (juce::XmlElement::TextFormat().singleLine().withoutHeader()),
               "<mapping><control alias=\"a\"/><midi fillingMap=\"true\"/><midi type=\"CC\" parameter=\"2\"/>"
               "<midi type=\"CC\" parameter=\"1\"/><midi map=\"true\"/><tail/></mapping>");
}
