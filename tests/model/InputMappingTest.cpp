#include <gtest/gtest.h>

#include "model/ControlCatalogue.h"
#include "support/TestHelpers.h"
#include "model/InputMapping.h"

namespace
{
    using TestHelpers::parse;

    /** An input mapping inside its list, as a document holds it. */
    juce::ValueTree makeInputMapping (const juce::String& events,
                                      const juce::String& alias = "fam(Fx)[0x1].OnOff",
                                      const juce::String& rest = {})
    {
        auto list = parse ("<input-mappings><mapping><events>" + events + "</events>"
                           "<controls><control alias=\"" + alias + "\"/></controls>" + rest + "</mapping></input-mappings>");
        return list.getChild (0);
    }

    juce::ValueTree makeNewInputMapping()
    {
        return makeInputMapping ("<midi type=\"CC\" parameter=\"0x01\" channel=\"0x01\"/>");
    }

    juce::StringArray propertyNames (const juce::ValueTree& tree)
    {
        juce::StringArray names;

        for (int i = 0; i < tree.getNumProperties(); ++i)
            names.add (tree.getPropertyName (i).toString());

        return names;
    }

    bool sameBytes (const juce::MidiMessage& a, const juce::MidiMessage& b)
    {
        return a.getRawDataSize() == b.getRawDataSize()
            && std::memcmp (a.getRawData(), b.getRawData(), (size_t) a.getRawDataSize()) == 0;
    }

    /** Collects what is written to the log while it is alive. */
    struct LogCapture : public juce::Logger
    {
        LogCapture() { juce::Logger::setCurrentLogger (this); }
        ~LogCapture() override { juce::Logger::setCurrentLogger (nullptr); }
        void logMessage (const juce::String& message) override { lines.add (message); }

        juce::StringArray lines;
    };

    template <typename Type>
    Type* findChild (juce::Component& parent)
    {
        for (auto* child : parent.getChildren())
            if (auto* found = dynamic_cast<Type*> (child))
                return found;

        return nullptr;
    }
}

//==============================================================================
TEST (InputMappingFields, TypedSettersClampAndWriteHexText)
{
    auto element = makeNewInputMapping();
    InputMapping mapping (element);
    auto event = element.getChild (0).getChild (0);

    EXPECT_EQ (mapping.getNumMidi(), 1);
    EXPECT_EQ (mapping.getType (0), 0);
    EXPECT_EQ (mapping.getParameter (0), 1);
    EXPECT_EQ (mapping.getChannel (0), 1);

    mapping.setParameter (0, 200);
    EXPECT_EQ (event["parameter"].toString(), "0x7f");
    mapping.setParameter (0, -3);
    EXPECT_EQ (event["parameter"].toString(), "0x0");
    mapping.setParameter (0, 64);
    EXPECT_EQ (event["parameter"].toString(), "0x40");
    EXPECT_EQ (mapping.getParameter (0), 64);

    mapping.setChannel (0, 0);
    EXPECT_EQ (event["channel"].toString(), "0x1");
    mapping.setChannel (0, 17);
    EXPECT_EQ (event["channel"].toString(), "0x10");
    EXPECT_EQ (mapping.getChannel (0), 16);

    mapping.setType (0, 1);
    EXPECT_EQ (event["type"].toString(), "Note");
    EXPECT_EQ (mapping.getType (0), 1);
    mapping.setType (0, 2);
    EXPECT_EQ (event["type"].toString(), "PW");
    EXPECT_EQ (mapping.getType (0), 2);
    EXPECT_EQ (event["parameter"].toString(), "0x40"); // a typed pitch wheel keeps its number
    mapping.setType (0, 3);
    mapping.setType (0, -1);
    EXPECT_EQ (event["type"].toString(), "PW");

    // The order of the attributes never changes through the typed setters.
    EXPECT_EQ (propertyNames (event).joinIntoString (","), "type,parameter,channel");
}

TEST (InputMappingFields, SetMidiWritesUnclamped)
{
    auto element = makeNewInputMapping();
    InputMapping mapping (element);
    auto event = mapping.getMidi (0);

    mapping.setMidi (0, 1, 300, 20);
    EXPECT_EQ (event["type"].toString(), "Note");
    EXPECT_EQ (event["parameter"].toString(), "0x12c");
    EXPECT_EQ (event["channel"].toString(), "0x14");

    mapping.setMidi (0, 7, -1, 0);
    EXPECT_EQ (event["type"].toString(), "Note");
    EXPECT_EQ (event["parameter"].toString(), "0xffffffff");
    EXPECT_EQ (event["channel"].toString(), "0x0");
}

TEST (InputMappingFields, AliasComesFromTheLastControl)
{
    auto element = makeNewInputMapping();
    EXPECT_EQ (InputMapping (element).getAlias(), "fam(Fx)[0x1].OnOff");

    auto controls = element.getChildWithName ("controls");
    controls.appendChild (parse ("<control alias=\"mod(ShiftLogic1)\"/>"), nullptr);
    EXPECT_EQ (InputMapping (element).getAlias(), "mod(ShiftLogic1)");

    controls.appendChild (parse ("<control/>"), nullptr);
    EXPECT_EQ (InputMapping (element).getAlias(), "");
}

TEST (InputMappingFields, ModifierIsTheLastCharacterOfTheFirstEventThatHasOne)
{
    auto withModifier = [] (const juce::String& events)
    {
        return InputMapping (makeInputMapping (events)).getModifier();
    };

    EXPECT_EQ (withModifier ("<midi type=\"CC\" modifiers=\"ML3\"/>"), 3);
    EXPECT_EQ (withModifier ("<midi type=\"CC\" modifiers=\"\"/>"), 0);
    EXPECT_EQ (withModifier ("<midi type=\"CC\" modifiers=\"MLx\"/>"), 0);
    EXPECT_EQ (withModifier ("<midi type=\"CC\"/>"), -1);
    EXPECT_EQ (withModifier ("<midi type=\"CC\"/><midi type=\"CC\" modifiers=\"ML7\"/><midi modifiers=\"ML2\"/>"), 7);
    EXPECT_EQ (withModifier ("<other modifiers=\"ML5\"/><midi type=\"CC\"/>"), -1);
}

//==============================================================================
TEST (InputMappingDescription, ListsEveryEventWithNoteNames)
{
    auto describe = [] (const juce::String& events)
    {
        return InputMapping (makeInputMapping (events)).getDescription();
    };

    EXPECT_EQ (describe ("<midi type=\"CC\" parameter=\"0x7\" channel=\"0x1\"/>"), "CH 1, CC, 7");
    EXPECT_EQ (describe ("<midi type=\"CC\" parameter=\"0x7\" channel=\"0x1\"/>"
                         "<midi type=\"Note\" parameter=\"0x3c\" channel=\"0x2\"/>"),
               "CH 1, CC, 7 & CH 2, Note, C4 (60)");
    EXPECT_EQ (describe ("<midi type=\"Note\" parameter=\"0\" channel=\"16\"/>"), "CH 16, Note, C-1 (0)");
    EXPECT_EQ (describe ("<midi type=\"Note\" parameter=\"127\" channel=\"1\"/>"), "CH 1, Note, G9 (127)");
    EXPECT_EQ (describe ("<midi type=\"Note\" parameter=\"200\" channel=\"1\"/>"), "CH 1, Note,  (200)");
    EXPECT_EQ (describe ("<midi type=\"Fader\" parameter=\"0x5\" channel=\"0x1\"/>"), "CH 1, Fader, 5");
    EXPECT_EQ (describe (""), "");

    // The separator follows the event's position, not whether text was written before.
    EXPECT_EQ (describe ("<comment/><midi type=\"CC\" parameter=\"1\" channel=\"1\"/>"), " & CH 1, CC, 1");
}

TEST (InputMappingDescription, LearnedPitchWheelShowsParameterZero)
{
    auto element = makeNewInputMapping();
    InputMapping mapping (element);
    mapping.setMidiMessage (0, juce::MidiMessage::pitchWheel (3, 9000));

    EXPECT_EQ (mapping.getDescription(), "CH 3, PW, 0");
}

//==============================================================================
TEST (InputMappingLearn, ControllerNoteAndPitchWheelWriteTheirEvent)
{
    auto element = makeNewInputMapping();
    InputMapping mapping (element);
    auto event = mapping.getMidi (0);

    mapping.setMidiMessage (0, juce::MidiMessage::controllerEvent (2, 7, 100));
    EXPECT_EQ (event["type"].toString(), "CC");
    EXPECT_EQ (event["parameter"].toString(), "0x7");
    EXPECT_EQ (event["channel"].toString(), "0x2");
    EXPECT_FALSE (event.hasProperty ("value"));

    mapping.setMidiMessage (0, juce::MidiMessage::noteOff (5, 61, (juce::uint8) 40));
    EXPECT_EQ (event["type"].toString(), "Note");
    EXPECT_EQ (event["parameter"].toString(), "0x3d");
    EXPECT_EQ (event["channel"].toString(), "0x5");
    EXPECT_FALSE (event.hasProperty ("value"));

    mapping.setMidiMessage (0, juce::MidiMessage::pitchWheel (3, 0));
    EXPECT_EQ (event["type"].toString(), "PW");
    EXPECT_FALSE (event.hasProperty ("parameter"));
    EXPECT_EQ (event["channel"].toString(), "0x3");
    EXPECT_EQ (mapping.getParameter (0), 0);
    EXPECT_EQ (mapping.getType (0), 2);

    // A later learn brings the parameter back, now after the channel.
    mapping.setMidiMessage (0, juce::MidiMessage::controllerEvent (4, 11, 0));
    EXPECT_EQ (event["type"].toString(), "CC");
    EXPECT_EQ (event["parameter"].toString(), "0xb");
    EXPECT_EQ (event["channel"].toString(), "0x4");
    EXPECT_EQ (propertyNames (event).joinIntoString (","), "type,channel,parameter");
}

TEST (InputMappingLearn, OtherMessagesKeepTheTypeAndStoreMinusOne)
{
    auto element = makeInputMapping ("<midi type=\"Note\" parameter=\"0x3c\" channel=\"0x1\"/>");
    InputMapping mapping (element);
    auto event = mapping.getMidi (0);

    mapping.setMidiMessage (0, juce::MidiMessage::programChange (9, 5));
    EXPECT_EQ (event["type"].toString(), "Note");
    EXPECT_EQ (event["parameter"].toString(), "0xffffffff");
    EXPECT_EQ (event["channel"].toString(), "0x9");
    EXPECT_EQ (mapping.getParameter (0), -1);

    mapping.setMidiMessage (0, juce::MidiMessage::midiClock());
    EXPECT_EQ (event["type"].toString(), "Note");
    EXPECT_EQ (event["channel"].toString(), "0x0");

    // The description survives the odd numbers.
    EXPECT_EQ (mapping.getDescription(), "CH 0, Note,  (-1)");
}

TEST (InputMappingLearn, EventAsMidiMessage)
{
    auto element = makeInputMapping ("<midi type=\"Note\" parameter=\"0x3c\" channel=\"0x2\" value=\"0x64\"/>"
                                     "<midi type=\"CC\" parameter=\"7\" channel=\"3\" value=\"90\"/>"
                                     "<midi type=\"PW\" channel=\"0x4\"/>"
                                     "<midi type=\"Note\" parameter=\"0x3c\" channel=\"0x1\" value=\"0x105\"/>");
    InputMapping mapping (element);

    EXPECT_TRUE (sameBytes (mapping.getMidiMessage (0), juce::MidiMessage::noteOn (2, 60, (juce::uint8) 100)));
    EXPECT_TRUE (sameBytes (mapping.getMidiMessage (1), juce::MidiMessage::controllerEvent (3, 7, 90)));
    EXPECT_TRUE (sameBytes (mapping.getMidiMessage (2), juce::MidiMessage::controllerEvent (4, 0, 0)));
    // The velocity is the low byte of the value.
    EXPECT_TRUE (sameBytes (mapping.getMidiMessage (3), juce::MidiMessage::noteOn (1, 60, (juce::uint8) 5)));
    EXPECT_TRUE (sameBytes (mapping.getMidiMessage (4), juce::MidiMessage()));
}

//==============================================================================
TEST (InputMappingOptions, NoPresetGivesNoComponentsAndNoLog)
{
    LogCapture log;
    InputMapping mapping (makeNewInputMapping());

    EXPECT_TRUE (mapping.createPropertyComponents().isEmpty());
    EXPECT_TRUE (log.lines.isEmpty());
}

TEST (InputMappingOptions, OneComponentPerEditableObjectAndOneLogLinePerOption)
{
    auto element = makeNewInputMapping ();
    element.appendChild (parse ("<preset name=\"hand made\"><parameters>"
                                "<parameter object=\"action-0\" key=\"modifier\" value=\"1\"/>"
                                "<parameter object=\"dispatch\" key=\"interpretCCasNote\" value=\"on\"/>"
                                "<parameter object=\"invert\" key=\"on\" value=\"off\"/>"
                                "<parameter object=\"metronom\" key=\"Start Time\" value=\"500\"/>"
                                "<parameter object=\"range\" key=\"range end\" value=\"1\"/>"
                                "<parameter object=\"map\" key=\"forwardNormalRange\" value=\"0 1\"/>"
                                "</parameters></preset>"),
                         nullptr);
    InputMapping mapping (element);

    LogCapture log;
    juce::OwnedArray<juce::PropertyComponent> components;
    components.addArray (mapping.createPropertyComponents());

    EXPECT_EQ (log.lines.joinIntoString ("|"),
               "Key: modifier Value: 1|Key: interpretCCasNote Value: on|Key: on Value: off|"
               "Key: Start Time Value: 500|Key: range end Value: 1|Key: forwardNormalRange Value: 0 1");

    ASSERT_EQ (components.size(), 4);
    EXPECT_EQ (components[0]->getName(), "modifier");
    EXPECT_EQ (components[1]->getName(), "invert");
    EXPECT_EQ (components[2]->getName(), "Start Time");
    EXPECT_EQ (components[3]->getName(), "range end");

    struct Expected { int index; double min, max, step; };

    for (auto expected : { Expected { 0, 0.0, 127.0, 1.0 }, Expected { 2, 0.0, 5000.0, 0.01 }, Expected { 3, 0.0, 1.0, 0.01 } })
    {
        auto* slider = findChild<juce::Slider> (*components[expected.index]);
        ASSERT_NE (slider, nullptr) << expected.index;
        EXPECT_DOUBLE_EQ (slider->getMinimum(), expected.min);
        EXPECT_DOUBLE_EQ (slider->getMaximum(), expected.max);
        EXPECT_DOUBLE_EQ (slider->getInterval(), expected.step);
        EXPECT_DOUBLE_EQ (slider->getSkewFactor(), 1.0);
    }

    auto* toggle = findChild<juce::ToggleButton> (*components[1]);
    ASSERT_NE (toggle, nullptr);
    EXPECT_EQ (toggle->getButtonText(), "Enable");
    EXPECT_FALSE (toggle->getToggleState());

    // The components edit the document directly.
    auto options = element.getChildWithName ("preset").getChildWithName ("parameters");
    auto* slider = findChild<juce::Slider> (*components[2]);
    EXPECT_DOUBLE_EQ (slider->getValue(), 500.0);
    slider->setValue (1250.0);
    EXPECT_DOUBLE_EQ ((double) options.getChild (3)["value"], 1250.0);

    toggle->setToggleState (true, juce::sendNotificationSync);
    EXPECT_TRUE (options.getChild (2)["value"].isBool());
    EXPECT_TRUE ((bool) options.getChild (2)["value"]);
    EXPECT_EQ (options.getChild (2).createXml()->getStringAttribute ("value"), "1");
}

TEST (InputMappingOptions, InvertShowsTickedForTextThatReadsTrue)
{
    for (auto [text, ticked] : { std::pair<const char*, bool> { "off", false }, { "0", false }, { "", false },
                                 { "1", true }, { "true", true }, { "YES", true }, { "7", true } })
    {
        LogCapture log;
        auto element = makeNewInputMapping();
        element.appendChild (parse (juce::String ("<preset name=\"p\"><parameters><parameter object=\"invert\" key=\"on\" value=\"")
                                    + text + "\"/></parameters></preset>"),
                             nullptr);

        juce::OwnedArray<juce::PropertyComponent> components;
        components.addArray (InputMapping (element).createPropertyComponents());
        ASSERT_EQ (components.size(), 1);
        EXPECT_EQ (findChild<juce::ToggleButton> (*components[0])->getToggleState(), ticked) << text;
    }
}

TEST (InputMappingOptions, DispatchOnlyPresetGivesNoComponentsButLogsEachOption)
{
    auto element = makeNewInputMapping();
    element.appendChild (parse ("<preset name=\"p\"><parameters>"
                                "<parameter object=\"dispatch\" key=\"interpretCCasNote\" value=\"on\"/>"
                                "<parameter object=\"dispatch\" key=\"useCenteredCCandPW\" value=\"off\"/>"
                                "</parameters></preset>"),
                         nullptr);

    LogCapture log;
    EXPECT_TRUE (InputMapping (element).createPropertyComponents().isEmpty());
    EXPECT_EQ (log.lines.joinIntoString ("|"), "Key: interpretCCasNote Value: on|Key: useCenteredCCandPW Value: off");
}

//==============================================================================
/** Preset tests run against the catalogue built into the program. */
class InputMappingPreset : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previousCatalogue = std::move (controlCatalogue);
        controlCatalogue = std::make_unique<ControlCatalogue>();
        controlCatalogue->load();
    }

    void TearDown() override
    {
        controlCatalogue = std::move (previousCatalogue);
    }

    static int countPresets (const juce::ValueTree& element)
    {
        int count = 0;

        for (const auto& child : element)
            if (child.hasType ("preset"))
                ++count;

        return count;
    }

private:
    std::unique_ptr<ControlCatalogue> previousCatalogue;
};

TEST_F (InputMappingPreset, PresetIsCopiedFromTheCatalogueForTheEventKind)
{
    LogCapture log;
    // A "Logic" control: "Holder Button" is a note preset, "Logic Fader/Knob" a controller one.
    auto element = makeInputMapping ("<midi type=\"Note\" parameter=\"0x3c\" channel=\"0x1\"/>");
    InputMapping mapping (element);

    mapping.setPreset ("Holder Button");
    EXPECT_EQ (mapping.getPreset(), "Holder Button");
    ASSERT_EQ (countPresets (element), 1);
    EXPECT_EQ (element.getChild (element.getNumChildren() - 1).getType().toString(), "preset");

    auto option = element.getChildWithName ("preset").getChildWithName ("parameters").getChild (0);
    EXPECT_EQ (option["object"].toString(), "invert");
    EXPECT_EQ (option["key"].toString(), "on");
    EXPECT_EQ (option["value"].toString(), "off");

    // An invert option is shown as "invert", whatever its key.
    juce::OwnedArray<juce::PropertyComponent> components;
    components.addArray (mapping.createPropertyComponents());
    ASSERT_EQ (components.size(), 1);
    EXPECT_EQ (components[0]->getName(), "invert");

    mapping.setPreset ("Logic Fader/Knob");
    EXPECT_EQ (countPresets (element), 0);
    EXPECT_EQ (mapping.getPreset(), "");

    // The same name for a controller event.
    mapping.setType (0, 0);
    mapping.setPreset ("Logic Fader/Knob");
    EXPECT_EQ (mapping.getPreset(), "Logic Fader/Knob");

    // A pitch wheel takes the controller presets.
    mapping.setType (0, 2);
    mapping.setPreset ("Toggler Fader/Knob");
    EXPECT_EQ (mapping.getPreset(), "Toggler Fader/Knob");
    EXPECT_EQ (countPresets (element), 1);
}

TEST_F (InputMappingPreset, ReplacingStartsFromTheCatalogueValuesAndEmptyNameRemoves)
{
    auto element = makeNewInputMapping();
    InputMapping mapping (element);

    mapping.setPreset ("Trigger Fader/Knob"); // not a preset of a "Logic" control
    EXPECT_EQ (mapping.getPreset(), "");

    mapping.setPreset ("Holder Fader/Knob");
    auto options = element.getChildWithName ("preset").getChildWithName ("parameters");
    ASSERT_GT (options.getNumChildren(), 0);
    options.getChild (0).setProperty ("value", "on", nullptr);

    mapping.setPreset ("Holder Fader/Knob");
    EXPECT_EQ (countPresets (element), 1);
    EXPECT_EQ (element.getChildWithName ("preset").getChildWithName ("parameters").getChild (0)["value"].toString(), "off");

    // The copy in the document is not the catalogue's own node.
    InputMapping other (makeNewInputMapping());
    other.setPreset ("Holder Fader/Knob");
    EXPECT_EQ (other.getValueTree().getChildWithName ("preset").getChildWithName ("parameters").getChild (0)["value"].toString(), "off");

    mapping.setPreset ({});
    EXPECT_EQ (countPresets (element), 0);
    EXPECT_EQ (mapping.getPreset(), "");
    EXPECT_TRUE (mapping.createPropertyComponents().isEmpty());
}

TEST_F (InputMappingPreset, OptionEditorsOfACataloguePresetFillAPropertyPanel)
{
    // A "Modifier" control with a note event: action-0, dispatch and three metronom options.
    auto element = makeInputMapping ("<midi type=\"Note\" parameter=\"0x24\" channel=\"0x1\"/>", "mod(ShiftSelector)");
    InputMapping mapping (element);
    mapping.setPreset ("Inc.-Dec. Modifier Button");
    ASSERT_EQ (mapping.getPreset(), "Inc.-Dec. Modifier Button");

    LogCapture log;
    auto components = mapping.createPropertyComponents();
    EXPECT_EQ (log.lines.size(), 5);
    ASSERT_EQ (components.size(), 4);

    juce::PropertyPanel panel;
    panel.addProperties (components); // the panel owns the components from here on
    panel.setSize (300, 160);
    TestHelpers::writeSnapshot (panel, "input_mapping_preset_options");

    juce::StringArray names;

    for (int i = 0; i < components.size(); ++i)
        names.add (components[i]->getName());

    EXPECT_EQ (names.joinIntoString ("|"), "modifier|Repeat Acceleration|Repeat Time|Start Time");
    EXPECT_TRUE (panel.isParentOf (components[3]));
    EXPECT_GT (components[3]->getHeight(), 0);
    EXPECT_DOUBLE_EQ (findChild<juce::Slider> (*components[3])->getValue(), 500.0);
    EXPECT_DOUBLE_EQ (findChild<juce::Slider> (*components[1])->getValue(), 0.1);
}

TEST_F (InputMappingPreset, OnlyTheFirstOfSeveralPresetsIsReplaced)
{
    auto element = makeNewInputMapping();
    element.appendChild (parse ("<preset name=\"first\"/>"), nullptr);
    element.appendChild (parse ("<preset name=\"second\"/>"), nullptr);
    InputMapping mapping (element);

    mapping.setPreset ("Logic Fader/Knob");
    ASSERT_EQ (countPresets (element), 2);
    EXPECT_EQ (mapping.getPreset(), "second");
    EXPECT_EQ (element.getChild (element.getNumChildren() - 1)["name"].toString(), "Logic Fader/Knob");
}

TEST (InputMappingPresetWithoutCatalogue, OldPresetGoesAndNoneComes)
{
    auto previousCatalogue = std::move (controlCatalogue);

    auto element = makeNewInputMapping();
    element.appendChild (parse ("<preset name=\"Holder Button\"/>"), nullptr);
    InputMapping mapping (element);

    mapping.setPreset ("Holder Button");
    EXPECT_FALSE (element.getChildWithName ("preset").isValid());

    controlCatalogue = std::move (previousCatalogue);
}
