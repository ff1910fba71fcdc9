#include <gtest/gtest.h>

#include "model/ControlCatalogue.h"
#include "model/InputMapping.h"
#include "support/TestHelpers.h"

namespace
{
    /** An input mapping inside its list, as a document holds it. */
    juce::ValueTree makeInput (const juce::String& events, const juce::String& rest = R"(<controls><control alias="fam(Fx)[0x1].OnOff"/></controls>)")
    {
        return TestHelpers::parse ("<input-mappings><mapping><events>" + events + "</events>" + rest + "</mapping></input-mappings>").getChild (0);
    }
}

TEST (InputMappingEvent, TypedSettersClampWhileSetMidiAndLearningWriteRawNumbers)
{
    InputMapping mapping (makeInput (R"(<comment/><midi type="CC" parameter="0x01" channel="0x01"/>)"));
    // In sequence on event 1 (by position among the children of "events", as is the " & "): the edit, then the event, its kind, parameter, channel and description.
    const std::tuple<std::function<void()>, const char*, const char*> steps[] = {
        { [&] { mapping.setParameter (1, 200); }, R"(<midi type="CC" parameter="0x7f" channel="0x01"/>)", "0 127 1| & CH 1, CC, 127" },
        { [&] { mapping.setParameter (1, -3); mapping.setChannel (1, 0); }, R"(<midi type="CC" parameter="0x0" channel="0x1"/>)", "0 0 1| & CH 1, CC, 0" },
        { [&] { mapping.setChannel (1, 17); mapping.setParameter (1, 60); mapping.setType (1, 1); }, R"(<midi type="Note" parameter="0x3c" channel="0x10"/>)", "1 60 16| & CH 16, Note, C4 (60)" },
        { [&] { mapping.setType (1, 2); mapping.setType (1, 3); }, R"(<midi type="PW" parameter="0x3c" channel="0x10"/>)", "2 60 16| & CH 16, PW, 60" },
        { [&] { mapping.setMidi (1, 1, 0, 20); }, R"(<midi type="Note" parameter="0x0" channel="0x14"/>)", "1 0 20| & CH 20, Note, C-1 (0)" },
        // A learned pitch wheel has no number; the next learn writes it again, after the channel.
        { [&] { mapping.setMidiMessage (1, juce::MidiMessage::pitchWheel (3, 9000)); }, R"(<midi type="PW" channel="0x3"/>)", "2 0 3| & CH 3, PW, 0" },
        { [&] { mapping.setMidiMessage (1, juce::MidiMessage::controllerEvent (4, 11, 0)); }, R"(<midi type="CC" channel="0x4" parameter="0xb"/>)", "0 11 4| & CH 4, CC, 11" },
        { [&] { mapping.setMidiMessage (1, juce::MidiMessage::noteOff (5, 61, (juce::uint8) 40)); }, R"(<midi type="Note" channel="0x5" parameter="0x3d"/>)", "1 61 5| & CH 5, Note, C#4 (61)" },
        // Any other message keeps the type and stores -1 as its number.
        { [&] { mapping.setMidiMessage (1, juce::MidiMessage::programChange (9, 5)); }, R"(<midi type="Note" channel="0x9" parameter="0xffffffff"/>)", "1 -1 9| & CH 9, Note,  (-1)" },
    };

    for (auto& [edit, xml, read] : steps)
    {
        edit();
        EXPECT_EQ (mapping.getMidi (1).toXmlString (juce::XmlElement::TextFormat().singleLine().withoutHeader()), xml);
        EXPECT_EQ (juce::String (mapping.getType (1)) + " " + juce::String (mapping.getParameter (1)) + " " + juce::String (mapping.getChannel (1)) + "|" + mapping.getDescription(), read);
    }
}

TEST (InputMappingEvent, EventsAreDescribedAndSentInOrderAndTheFirstModifiersTextGivesTheModifier)
{
    InputMapping mapping (makeInput (R"(<midi type="Note" parameter="0x3c" channel="0x2" value="0x64"/><midi type="CC" parameter="7" channel="3" value="90"/>)"
                                     R"(<midi type="PW" channel="0x4"/><midi type="Note" parameter="0x40" channel="0x1" value="0x105"/>)",
                                     R"x(<controls><control alias="a"/><control alias="mod(ShiftLogic1)"/></controls>)x"));
    juce::String sent;

    for (int i = 0; i < mapping.getNumMidi(); ++i)
        sent << "|" << juce::String::toHexString (mapping.getMidiMessage (i).getRawData(), mapping.getMidiMessage (i).getRawDataSize());

    EXPECT_EQ (mapping.getAlias() + ": " + mapping.getDescription() + sent, "mod(ShiftLogic1): CH 2, Note, C4 (60) & CH 3, CC, 7 & CH 4, PW, 0 & CH 1, Note, E4 (64)|91 3c 64|b2 07 5a|b3 00 00|90 40 05"); // a pitch wheel goes as controller 0, a velocity is the value's low byte

    for (auto [events, modifier] : { std::pair<const char*, int> { R"(<midi modifiers="ML3"/>)", 3 }, { R"(<midi modifiers=""/>)", 0 }, { R"(<midi modifiers="MLx"/>)", 0 },
                                     { R"(<midi type="CC"/>)", -1 }, { R"(<midi/><midi modifiers="ML7"/><midi modifiers="ML2"/>)", 7 } })
        EXPECT_EQ (InputMapping (makeInput (events)).getModifier(), modifier) << events;
}

TEST (InputMappingPreset, OptionsGetOneEditorEachBoundToTheDocumentAndAPresetChosenIsCopiedFromTheCatalogueInPlaceOfTheFirst)
{
    auto element = makeInput (R"(<midi type="Note" parameter="0x3c" channel="0x1"/>)", R"(<controls><control alias="fam(Fx)[0x1].OnOff"/></controls><preset name="old"><parameters>)"
                                  R"(<parameter object="action-0" key="modifier" value="1"/><parameter object="dispatch" key="interpretCCasNote" value="on"/><parameter object="invert" key="on" value="yes"/>)"
                                  R"(<parameter object="metronom" key="Start Time" value="500"/><parameter object="range" key="range end" value="x"/></parameters></preset><preset name="older"/>)");
    InputMapping mapping (element);
    juce::OwnedArray<juce::PropertyComponent> components;
    components.addArray (mapping.createPropertyComponents());
    juce::StringArray names;

    for (auto* component : components)
        names.add (component->getName());

    // An "invert" option is shown under that name, ticked by a text that reads true; a "dispatch" option has no editor.
    ASSERT_EQ (names.joinIntoString ("|"), "modifier|invert|Start Time|range end");
    EXPECT_TRUE (dynamic_cast<juce::Button&> (*components[1]->getChildComponent (0)).getToggleState());
    dynamic_cast<juce::Slider&> (*components[2]->getChildComponent (0)).setValue (1250.0);
    EXPECT_EQ (element.getChild (2).getChild (0).getChild (3)["value"].toString(), "1250.0");

    // In sequence on a "Logic" control ("Holder Button" a note preset, "Logic Fader/Knob" a controller one): the event's kind (unless -1) and the preset chosen, then the first preset's name and the number of children.
    auto previousCatalogue = std::exchange (controlCatalogue, std::make_unique<ControlCatalogue>());
    controlCatalogue->load();
    const std::tuple<int, const char*, const char*> steps[] = {
        { -1, "Holder Button", "older/4" }, { -1, "Holder Button", "Holder Button/4" }, { -1, "Logic Fader/Knob", "Holder Button/3" }, { -1, "Trigger Button", "/2" },
        { 0, "Logic Fader/Knob", "Logic Fader/Knob/3" }, { 1, "", "/2" }, { 2, "Toggler Fader/Knob", "Toggler Fader/Knob/3" }, { -2, "Holder Button", "/2" }, // without a catalogue
    };

    for (auto& [kind, name, expected] : steps)
    {
        if (kind == -2)
            controlCatalogue.reset();

        mapping.setType (0, kind);
        mapping.setPreset (name);
        EXPECT_EQ (mapping.getPreset() + "/" + juce::String (mapping.getValueTree().getNumChildren()), expected) << name;
    }

    controlCatalogue = std::move (previousCatalogue);
    EXPECT_TRUE (mapping.createPropertyComponents().isEmpty());
}
