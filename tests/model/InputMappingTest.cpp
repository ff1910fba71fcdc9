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

    juce::String xmlOf (const juce::ValueTree& tree) { return tree.toXmlString (juce::XmlElement::TextFormat().singleLine().withoutHeader()); }

    /** Collects what is written to the log while it is alive. */
    struct LogCapture : public juce::Logger
    {
        LogCapture() { juce::Logger::setCurrentLogger (this); }
        ~LogCapture() override { juce::Logger::setCurrentLogger (nullptr); }
        void logMessage (const juce::String& message) override { lines.add (message); }
        juce::StringArray lines;
    };
}

TEST (InputMappingEvent, TypedSettersClampWhileSetMidiAndLearningWriteRawNumbers)
{
    InputMapping mapping (makeInput (R"(<midi type="CC" parameter="0x01" channel="0x01"/>)"));
    using M = juce::MidiMessage;

    // In sequence on one event: the edit, then the event, and its kind, parameter, channel and description.
    const std::tuple<std::function<void()>, const char*, const char*> steps[] = {
        { [&] { mapping.setParameter (0, 200); }, R"(<midi type="CC" parameter="0x7f" channel="0x01"/>)", "0 127 1|CH 1, CC, 127" },
        { [&] { mapping.setParameter (0, -3); mapping.setChannel (0, 0); }, R"(<midi type="CC" parameter="0x0" channel="0x1"/>)", "0 0 1|CH 1, CC, 0" },
        { [&] { mapping.setChannel (0, 17); mapping.setParameter (0, 60); mapping.setType (0, 1); }, R"(<midi type="Note" parameter="0x3c" channel="0x10"/>)", "1 60 16|CH 16, Note, C4 (60)" },
        { [&] { mapping.setType (0, 2); mapping.setType (0, 3); }, R"(<midi type="PW" parameter="0x3c" channel="0x10"/>)", "2 60 16|CH 16, PW, 60" },
        { [&] { mapping.setMidi (0, 1, 0, 20); }, R"(<midi type="Note" parameter="0x0" channel="0x14"/>)", "1 0 20|CH 20, Note, C-1 (0)" },
        // A learned pitch wheel has no number; the next learn writes it again, after the channel.
        { [&] { mapping.setMidiMessage (0, M::pitchWheel (3, 9000)); }, R"(<midi type="PW" channel="0x3"/>)", "2 0 3|CH 3, PW, 0" },
        { [&] { mapping.setMidiMessage (0, M::controllerEvent (4, 11, 0)); }, R"(<midi type="CC" channel="0x4" parameter="0xb"/>)", "0 11 4|CH 4, CC, 11" },
        { [&] { mapping.setMidiMessage (0, M::noteOff (5, 61, (juce::uint8) 40)); }, R"(<midi type="Note" channel="0x5" parameter="0x3d"/>)", "1 61 5|CH 5, Note, C#4 (61)" },
        // Any other message keeps the type and stores -1 as its number.
        { [&] { mapping.setMidiMessage (0, M::programChange (9, 5)); }, R"(<midi type="Note" channel="0x9" parameter="0xffffffff"/>)", "1 -1 9|CH 9, Note,  (-1)" },
    };

    for (auto& [edit, xml, read] : steps)
    {
        edit();
        EXPECT_EQ (xmlOf (mapping.getMidi (0)), xml);
        EXPECT_EQ (juce::String (mapping.getType (0)) + " " + juce::String (mapping.getParameter (0)) + " " + juce::String (mapping.getChannel (0)) + "|" + mapping.getDescription(), read);
    }
}

TEST (InputMappingEvent, EventsAreDescribedAndSentInOrderAndTheFirstModifiersTextGivesTheModifier)
{
    InputMapping mapping (makeInput (R"(<midi type="Note" parameter="0x3c" channel="0x2" value="0x64"/><midi type="CC" parameter="7" channel="3" value="90"/>)"
                                     R"(<midi type="PW" channel="0x4"/><midi type="Note" parameter="0x40" channel="0x1" value="0x105"/>)",
                                     R"x(<controls><control alias="a"/><control alias="mod(ShiftLogic1)"/></controls>)x"));
    EXPECT_EQ (mapping.getAlias() + ": " + mapping.getDescription(), "mod(ShiftLogic1): CH 2, Note, C4 (60) & CH 3, CC, 7 & CH 4, PW, 0 & CH 1, Note, E4 (64)");

    // A pitch wheel is sent as controller 0; a velocity is the value's low byte.
    juce::StringArray sent;

    for (int i = 0; i < mapping.getNumMidi(); ++i)
        sent.add (juce::String::toHexString (mapping.getMidiMessage (i).getRawData(), mapping.getMidiMessage (i).getRawDataSize()));

    EXPECT_EQ (sent.joinIntoString ("|"), "91 3c 64|b2 07 5a|b3 00 00|90 40 05");

    // The separator follows the event's position, not whether text was written before.
    EXPECT_EQ (InputMapping (makeInput (R"(<comment/><midi type="CC" parameter="1" channel="1"/>)")).getDescription(), " & CH 1, CC, 1");

    for (auto [events, modifier] : { std::pair<const char*, int> { R"(<midi modifiers="ML3"/>)", 3 }, { R"(<midi modifiers=""/>)", 0 }, { R"(<midi modifiers="MLx"/>)", 0 },
                                     { R"(<midi type="CC"/>)", -1 }, { R"(<midi/><midi modifiers="ML7"/><midi modifiers="ML2"/>)", 7 } })
        EXPECT_EQ (InputMapping (makeInput (events)).getModifier(), modifier) << events;
}

TEST (InputMappingOptions, OneEditorPerEditableOptionWritingTheDocumentAndOneLogLinePerOption)
{
    auto element = makeInput ({}, R"(<preset name="p"><parameters><parameter object="action-0" key="modifier" value="1"/>)"
                                  R"(<parameter object="dispatch" key="interpretCCasNote" value="on"/><parameter object="invert" key="on" value="off"/>)"
                                  R"(<parameter object="metronom" key="Start Time" value="500"/><parameter object="range" key="range end" value="x"/></parameters></preset>)");
    LogCapture log;
    juce::OwnedArray<juce::PropertyComponent> components;
    components.addArray (InputMapping (element).createPropertyComponents());
    EXPECT_TRUE (InputMapping (makeInput ({})).createPropertyComponents().isEmpty());
    EXPECT_EQ (log.lines.joinIntoString ("|"), "Key: modifier Value: 1|Key: interpretCCasNote Value: on|Key: on Value: off|Key: Start Time Value: 500|Key: range end Value: x");
    juce::StringArray shown;

    for (auto* component : components)
    {
        auto* slider = dynamic_cast<juce::Slider*> (component->getChildComponent (0));
        auto* toggle = dynamic_cast<juce::ToggleButton*> (component->getChildComponent (0));
        shown.add (component->getName() + (slider != nullptr ? juce::String::formatted (" %g-%g/%g^%g=%g", slider->getMinimum(), slider->getMaximum(), slider->getInterval(), slider->getSkewFactor(), slider->getValue())
                                                             : " " + toggle->getButtonText() + (toggle->getToggleState() ? " on" : " off")));
    }

    ASSERT_EQ (shown.joinIntoString ("|"), "modifier 0-127/1^1=1|invert Enable off|Start Time 0-5000/0.01^1=500|range end 0-1/0.01^1=0");

    dynamic_cast<juce::Slider*> (components[2]->getChildComponent (0))->setValue (1250.0);
    dynamic_cast<juce::Button*> (components[1]->getChildComponent (0))->setToggleState (true, juce::sendNotificationSync);
    EXPECT_EQ (xmlOf (element.getChildWithName ("preset")), R"(<preset name="p"><parameters><parameter object="action-0" key="modifier" value="1"/>)"
                                                            R"(<parameter object="dispatch" key="interpretCCasNote" value="on"/><parameter object="invert" key="on" value="1"/>)"
                                                            R"(<parameter object="metronom" key="Start Time" value="1250.0"/><parameter object="range" key="range end" value="x"/></parameters></preset>)");
}

TEST (InputMappingPreset, CopiedFromTheCatalogueForTheEventKindReplacingTheFirstAndNoneWithoutACatalogue)
{
    auto previousCatalogue = std::move (controlCatalogue);
    controlCatalogue = std::make_unique<ControlCatalogue>();
    controlCatalogue->load();

    // A "Logic" control: "Holder Button" is a note preset, "Logic Fader/Knob" a controller one.
    auto element = makeInput (R"(<midi type="Note" parameter="0x3c" channel="0x1"/>)", R"(<controls><control alias="fam(Fx)[0x1].OnOff"/></controls><preset name="old"/><preset name="older"/>)");
    InputMapping mapping (element);

    // In sequence: the event's kind (unless -1) and the preset chosen, then the presets the element holds and its last child's options.
    const std::tuple<int, const char*, const char*> steps[] = {
        { -1, "Holder Button", "older;Holder Button;<parameters><parameter object=\"invert\" key=\"on\" value=\"off\"/></parameters>" },
        { -1, "Holder Button", "Holder Button;Holder Button;<parameters><parameter object=\"invert\" key=\"on\" value=\"off\"/></parameters>" },
        { -1, "Logic Fader/Knob", "Holder Button;" }, { -1, "Trigger Button", "" }, { 0, "Logic Fader/Knob", "Logic Fader/Knob;" }, { 1, "", "" },
        { 2, "Toggler Fader/Knob", "Toggler Fader/Knob;" }, { -2, "Holder Button", "" },
    };

    for (auto& [kind, name, expected] : steps)
    {
        if (kind == -2)
            controlCatalogue.reset();

        mapping.setType (0, kind);
        mapping.setPreset (name);
        juce::String presets;

        for (const auto& child : element)
            presets << (child.hasType ("preset") ? child["name"].toString() + ";" : "");

        const bool holder = presets.isNotEmpty() && juce::String (name) == "Holder Button";
        auto options = element.getChild (element.getNumChildren() - 1).getChild (0);
        EXPECT_EQ (presets + (holder ? xmlOf (options) : ""), juce::String (expected)) << name;
        EXPECT_EQ (mapping.getPreset(), presets.upToFirstOccurrenceOf (";", false, false));

        if (holder)
            options.getChild (0).setProperty ("value", "on", nullptr); // chosen again, it starts from the catalogue's values
    }

    controlCatalogue = std::move (previousCatalogue);
}
