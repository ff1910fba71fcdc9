#include <gtest/gtest.h>

#include "model/ControlCatalogue.h"
#include "model/InputMapping.h"
#include "support/TestHelpers.h"

namespace
{
    using TestHelpers::parse;

    /** An input mapping inside its list, as a document holds it. */
    juce::ValueTree makeInputMapping (const juce::String& events = "<midi type=\"CC\" parameter=\"0x01\" channel=\"0x01\"/>",
                                      const juce::String& alias = "fam(Fx)[0x1].OnOff", const juce::String& preset = {})
    {
        return parse ("<input-mappings><mapping><events>" + events + "</events><controls><control alias=\"" + alias
                      + "\"/></controls>" + preset + "</mapping></input-mappings>").getChild (0);
    }

    /** The event's attributes in their order, as "name=value,...". */
    juce::String attributes (const juce::ValueTree& event)
    {
        juce::StringArray texts;

        for (int i = 0; i < event.getNumProperties(); ++i)
            texts.add (event.getPropertyName (i).toString() + "=" + event[event.getPropertyName (i)].toString());

        return texts.joinIntoString (",");
    }

    /** Collects what is written to the log while it is alive. */
    struct LogCapture : public juce::Logger
    {
        LogCapture() { juce::Logger::setCurrentLogger (this); }
        ~LogCapture() override { juce::Logger::setCurrentLogger (nullptr); }
        void logMessage (const juce::String& message) override { lines.add (message); }

        juce::StringArray lines;
    };

    /** The editor inside a property component: its one child. */
    template <typename Type>
    Type* editorOf (juce::PropertyComponent* component)
    {
        return dynamic_cast<Type*> (component->getChildComponent (0));
    }
}

//==============================================================================
TEST (InputMappingFields, TypedSettersClampWhileSetMidiWritesTheRawNumbers)
{
    auto element = makeInputMapping();
    InputMapping mapping (element);
    auto event = mapping.getMidi (0);
    EXPECT_EQ (mapping.getType (0), 0);
    EXPECT_EQ (mapping.getParameter (0), 1);
    EXPECT_EQ (mapping.getChannel (0), 1);

    struct Row { std::function<void()> write; const char* expected; };
    const Row rows[] = {
        { [&] { mapping.setParameter (0, 200); }, "type=CC,parameter=0x7f,channel=0x01" },
        { [&] { mapping.setParameter (0, -3); }, "type=CC,parameter=0x0,channel=0x01" },
        { [&] { mapping.setChannel (0, 0); }, "type=CC,parameter=0x0,channel=0x1" },
        { [&] { mapping.setChannel (0, 17); }, "type=CC,parameter=0x0,channel=0x10" },
        { [&] { mapping.setParameter (0, 64); mapping.setType (0, 1); }, "type=Note,parameter=0x40,channel=0x10" },
        { [&] { mapping.setType (0, 2); }, "type=PW,parameter=0x40,channel=0x10" }, // a typed pitch wheel keeps its number
        { [&] { mapping.setType (0, 3); mapping.setType (0, -1); }, "type=PW,parameter=0x40,channel=0x10" },
        { [&] { mapping.setMidi (0, 1, 300, 20); }, "type=Note,parameter=0x12c,channel=0x14" },
        { [&] { mapping.setMidi (0, 7, -1, 0); }, "type=Note,parameter=0xffffffff,channel=0x0" },
    };

    for (size_t i = 0; i < std::size (rows); ++i)
    {
        rows[i].write();
        EXPECT_EQ (attributes (event), rows[i].expected) << "row " << i;
    }

    EXPECT_EQ (mapping.getType (0), 1);
    EXPECT_EQ (mapping.getParameter (0), -1);
}

TEST (InputMappingFields, AliasIsTheLastControlsAndModifierTheLastDigitOfTheFirstModifiersText)
{
    auto element = makeInputMapping();
    auto controls = element.getChildWithName ("controls");
    controls.appendChild (parse ("<control alias=\"mod(ShiftLogic1)\"/>"), nullptr);
    EXPECT_EQ (InputMapping (element).getAlias(), "mod(ShiftLogic1)");
    controls.appendChild (parse ("<control/>"), nullptr);
    EXPECT_EQ (InputMapping (element).getAlias(), "");

    for (auto [events, modifier] : { std::pair<const char*, int> { "<midi modifiers=\"ML3\"/>", 3 }, { "<midi modifiers=\"\"/>", 0 },
                                     { "<midi modifiers=\"MLx\"/>", 0 }, { "<midi type=\"CC\"/>", -1 },
                                     { "<midi/><midi modifiers=\"ML7\"/><midi modifiers=\"ML2\"/>", 7 },
                                     { "<other modifiers=\"ML5\"/><midi/>", -1 } })
        EXPECT_EQ (InputMapping (makeInputMapping (events)).getModifier(), modifier) << events;
}

TEST (InputMappingDescription, ListsEveryEventWithNoteNames)
{
    for (auto [events, text] : { std::pair<const char*, const char*>
                                 { "<midi type=\"CC\" parameter=\"0x7\" channel=\"0x1\"/><midi type=\"Note\" parameter=\"0x3c\" channel=\"0x2\"/>",
                                   "CH 1, CC, 7 & CH 2, Note, C4 (60)" },
                                 { "<midi type=\"Note\" parameter=\"0\" channel=\"16\"/>", "CH 16, Note, C-1 (0)" },
                                 { "<midi type=\"Note\" parameter=\"127\" channel=\"1\"/>", "CH 1, Note, G9 (127)" },
                                 { "<midi type=\"Note\" parameter=\"200\" channel=\"1\"/>", "CH 1, Note,  (200)" },
                                 { "<midi type=\"Fader\" parameter=\"0x5\" channel=\"0x1\"/>", "CH 1, Fader, 5" },
                                 { "", "" },
                                 // The separator follows the event's position, not whether text was written before.
                                 { "<comment/><midi type=\"CC\" parameter=\"1\" channel=\"1\"/>", " & CH 1, CC, 1" } })
        EXPECT_EQ (InputMapping (makeInputMapping (events)).getDescription(), text);
}

//==============================================================================
TEST (InputMappingLearn, EachMessageWritesItsKindNumberAndChannel)
{
    auto element = makeInputMapping ("<midi type=\"Note\" parameter=\"0x3c\" channel=\"0x1\"/>");
    InputMapping mapping (element);
    auto event = mapping.getMidi (0);

    struct Row { juce::MidiMessage message; const char* expected; const char* description; };
    const Row rows[] = {
        { juce::MidiMessage::controllerEvent (2, 7, 100), "type=CC,parameter=0x7,channel=0x2", "CH 2, CC, 7" },
        { juce::MidiMessage::noteOff (5, 61, (juce::uint8) 40), "type=Note,parameter=0x3d,channel=0x5", "CH 5, Note, C#4 (61)" },
        { juce::MidiMessage::pitchWheel (3, 9000), "type=PW,channel=0x3", "CH 3, PW, 0" },
        // A later learn brings the parameter back, now after the channel.
        { juce::MidiMessage::controllerEvent (4, 11, 0), "type=CC,channel=0x4,parameter=0xb", "CH 4, CC, 11" },
        { juce::MidiMessage::noteOn (1, 60, 1.0f), "type=Note,channel=0x1,parameter=0x3c", "CH 1, Note, C4 (60)" },
        // Other messages keep the type and store -1 (and channel 0 for a system message).
        { juce::MidiMessage::programChange (9, 5), "type=Note,channel=0x9,parameter=0xffffffff", "CH 9, Note,  (-1)" },
        { juce::MidiMessage::midiClock(), "type=Note,channel=0x0,parameter=0xffffffff", "CH 0, Note,  (-1)" },
    };

    for (auto& row : rows)
    {
        mapping.setMidiMessage (0, row.message);
        EXPECT_EQ (attributes (event), row.expected);
        EXPECT_EQ (mapping.getDescription(), row.description);
    }
}

TEST (InputMappingLearn, EventAsMidiMessage)
{
    InputMapping mapping (makeInputMapping ("<midi type=\"Note\" parameter=\"0x3c\" channel=\"0x2\" value=\"0x64\"/>"
                                            "<midi type=\"CC\" parameter=\"7\" channel=\"3\" value=\"90\"/>"
                                            "<midi type=\"PW\" channel=\"0x4\"/>"
                                            "<midi type=\"Note\" parameter=\"0x3c\" channel=\"0x1\" value=\"0x105\"/>"));
    const juce::MidiMessage expected[] = { juce::MidiMessage::noteOn (2, 60, (juce::uint8) 100), juce::MidiMessage::controllerEvent (3, 7, 90),
                                           juce::MidiMessage::controllerEvent (4, 0, 0),
                                           juce::MidiMessage::noteOn (1, 60, (juce::uint8) 5), // the velocity is the value's low byte
                                           juce::MidiMessage() };

    for (int i = 0; i < (int) std::size (expected); ++i)
        EXPECT_EQ (juce::String::toHexString (mapping.getMidiMessage (i).getRawData(), mapping.getMidiMessage (i).getRawDataSize()),
                   juce::String::toHexString (expected[i].getRawData(), expected[i].getRawDataSize())) << i;
}

//==============================================================================
TEST (InputMappingOptions, OneComponentPerEditableObjectAndOneLogLinePerOption)
{
    auto element = makeInputMapping ({}, "a", "<preset name=\"hand made\"><parameters>"
                                              "<parameter object=\"action-0\" key=\"modifier\" value=\"1\"/>"
                                              "<parameter object=\"dispatch\" key=\"interpretCCasNote\" value=\"on\"/>"
                                              "<parameter object=\"invert\" key=\"on\" value=\"off\"/>"
                                              "<parameter object=\"metronom\" key=\"Start Time\" value=\"500\"/>"
                                              "<parameter object=\"range\" key=\"range end\" value=\"1\"/>"
                                              "<parameter object=\"map\" key=\"forwardNormalRange\" value=\"0 1\"/>"
                                              "</parameters></preset>");
    LogCapture log;
    juce::OwnedArray<juce::PropertyComponent> components;
    components.addArray (InputMapping (element).createPropertyComponents());

    EXPECT_EQ (log.lines.joinIntoString ("|"), "Key: modifier Value: 1|Key: interpretCCasNote Value: on|Key: on Value: off|"
                                               "Key: Start Time Value: 500|Key: range end Value: 1|Key: forwardNormalRange Value: 0 1");
    juce::StringArray names;

    for (auto* component : components)
        names.add (component->getName());

    ASSERT_EQ (names.joinIntoString ("|"), "modifier|invert|Start Time|range end");
    EXPECT_TRUE (InputMapping (makeInputMapping()).createPropertyComponents().isEmpty());
    EXPECT_EQ (log.lines.size(), 6) << "no preset, no log line";

    for (auto [index, max, step] : { std::tuple<int, double, double> { 0, 127.0, 1.0 }, { 2, 5000.0, 0.01 }, { 3, 1.0, 0.01 } })
    {
        auto* slider = editorOf<juce::Slider> (components[index]);
        ASSERT_NE (slider, nullptr) << index;
        EXPECT_DOUBLE_EQ (slider->getMinimum(), 0.0);
        EXPECT_DOUBLE_EQ (slider->getMaximum(), max);
        EXPECT_DOUBLE_EQ (slider->getInterval(), step);
        EXPECT_DOUBLE_EQ (slider->getSkewFactor(), 1.0);
    }

    auto* toggle = editorOf<juce::ToggleButton> (components[1]);
    ASSERT_NE (toggle, nullptr);
    EXPECT_EQ (toggle->getButtonText(), "Enable");
    EXPECT_FALSE (toggle->getToggleState());

    // The components edit the document directly.
    auto options = element.getChildWithName ("preset").getChildWithName ("parameters");
    auto* slider = editorOf<juce::Slider> (components[2]);
    EXPECT_DOUBLE_EQ (slider->getValue(), 500.0);
    slider->setValue (1250.0);
    EXPECT_DOUBLE_EQ ((double) options.getChild (3)["value"], 1250.0);
    toggle->setToggleState (true, juce::sendNotificationSync);
    EXPECT_EQ (options.getChild (2).createXml()->getStringAttribute ("value"), "1");
}

//==============================================================================
/** Preset tests run against the catalogue built into the program. */
class InputMappingPreset : public ::testing::Test
{
protected:
    InputMappingPreset() { controlCatalogue = std::make_unique<ControlCatalogue>(); controlCatalogue->load(); }
    ~InputMappingPreset() override { controlCatalogue = std::move (previousCatalogue); }

    static int countPresets (const juce::ValueTree& element)
    {
        int count = 0;

        for (const auto& child : element)
            count += child.hasType ("preset") ? 1 : 0;

        return count;
    }

    std::unique_ptr<ControlCatalogue> previousCatalogue = std::move (controlCatalogue);
    LogCapture log;
};

TEST_F (InputMappingPreset, PresetIsCopiedFromTheCatalogueForTheEventKindAndReplacedFromItsValues)
{
    // A "Logic" control: "Holder Button" is a note preset, "Logic Fader/Knob" a controller one.
    auto element = makeInputMapping ("<midi type=\"Note\" parameter=\"0x3c\" channel=\"0x1\"/>");
    InputMapping mapping (element);

    mapping.setPreset ("Holder Button");
    EXPECT_EQ (mapping.getPreset(), "Holder Button");
    ASSERT_EQ (countPresets (element), 1);
    auto option = element.getChild (element.getNumChildren() - 1).getChildWithName ("parameters").getChild (0);
    EXPECT_EQ (attributes (option), "object=invert,key=on,value=off");

    // Replacing starts again from the catalogue's values.
    option.setProperty ("value", "on", nullptr);
    mapping.setPreset ("Holder Button");
    ASSERT_EQ (countPresets (element), 1);
    EXPECT_EQ (element.getChildWithName ("preset").getChildWithName ("parameters").getChild (0)["value"].toString(), "off");

    // A preset of the other kind, or of another type, is none; an empty name removes.
    for (auto* name : { "Logic Fader/Knob", "Trigger Button", "Holder Button", "" })
    {
        mapping.setPreset (name);
        EXPECT_EQ (mapping.getPreset(), juce::String (name) == "Holder Button" ? name : "") << name;
        EXPECT_EQ (countPresets (element), mapping.getPreset().isEmpty() ? 0 : 1);
    }

    EXPECT_TRUE (mapping.createPropertyComponents().isEmpty());

    // The same name for a controller event; a pitch wheel takes the controller presets.
    mapping.setType (0, 0);
    mapping.setPreset ("Logic Fader/Knob");
    EXPECT_EQ (mapping.getPreset(), "Logic Fader/Knob");
    mapping.setType (0, 2);
    mapping.setPreset ("Toggler Fader/Knob");
    EXPECT_EQ (mapping.getPreset(), "Toggler Fader/Knob");
}

TEST_F (InputMappingPreset, OnlyTheFirstOfSeveralPresetsIsReplacedAndWithoutCatalogueNoneComes)
{
    auto element = makeInputMapping ("<midi type=\"CC\"/>", "fam(Fx)[0x1].OnOff", "<preset name=\"first\"/><preset name=\"second\"/>");
    InputMapping mapping (element);

    mapping.setPreset ("Logic Fader/Knob");
    ASSERT_EQ (countPresets (element), 2);
    EXPECT_EQ (mapping.getPreset(), "second");
    EXPECT_EQ (element.getChild (element.getNumChildren() - 1)["name"].toString(), "Logic Fader/Knob");

    controlCatalogue.reset();
    mapping.setPreset ("Logic Fader/Knob");
    mapping.setPreset ("Logic Fader/Knob");
    EXPECT_EQ (countPresets (element), 0);
}
