// Fuzz target: the typed mapping views on every mapping of an arbitrary accepted document.
//
// Every getter and description of InputMapping and OutputMapping runs on every child of
// "input-mappings" and "output-mappings" (what the main view's table does for each row), for
// the indices around the existing events and messages, together with the catalogue questions
// the table and panels ask about the mapping's alias. Reading must never change the document,
// map ranges must be finite, and the option editors of an input mapping's preset must build.

#include <cmath>

#include "FuzzSupport.h"

#include "model/ControllerDocument.h"
#include "model/InputMapping.h"
#include "model/OutputMapping.h"

namespace
{
    ControllerDocument* document = nullptr;

    /** Swallows what the views write to the log, so that the run is not slowed by it. */
    struct SilentLogger : public juce::Logger
    {
        void logMessage (const juce::String&) override {}
    };

    // Results go here so that the calls cannot be optimised away.
    volatile std::size_t sink = 0;

    void use (const juce::String& text)         { sink = sink + (std::size_t) text.length(); }
    void use (int number)                       { sink = sink + (std::size_t) number; }
    void use (bool flag)                        { sink = sink + (flag ? 1u : 0u); }
    void use (const juce::MidiMessage& message) { sink = sink + (std::size_t) message.getRawDataSize(); }
    void use (const juce::StringArray& texts)   { sink = sink + (std::size_t) texts.size(); }
    void use (const juce::ValueTree& tree)      { sink = sink + (tree.isValid() ? 1u : 0u); }

    void askCatalogue (const juce::String& alias, int midiKind)
    {
        use (controlCatalogue->isKnownAlias (alias));
        use (controlCatalogue->isOutputAlias (alias));
        use (controlCatalogue->getGroupTitle (alias));
        use (controlCatalogue->getTitle (alias));
        use (controlCatalogue->getType (alias));
        use (controlCatalogue->getPresetNames (alias, midiKind));
        use (controlCatalogue->hasRange (alias));

        const auto low = controlCatalogue->getRangeMin (alias);
        const auto high = controlCatalogue->getRangeMax (alias);
        use (controlCatalogue->getRangeValueName (alias, low));
        use (controlCatalogue->getRangeValueName (alias, high));
    }

    void readBase (const Mapping& view)
    {
        use (view.isOutput());
        use (view.isInput());
        use (view.isInputOrOutput());
        use (view.getAlias());
        use (view.getModifier());
        use (view.getDescription());

        const auto count = view.getNumMidi();
        FuzzSupport::check (count >= 0, "negative number of MIDI events", juce::String (count));

        for (int i = -1; i <= count + 1; ++i)
        {
            use (view.getType (i));
            use (view.getParameter (i));
            use (view.getChannel (i));
            use (view.getMidiMessage (i));
        }
    }

    void readInput (const juce::ValueTree& element)
    {
        InputMapping view (element);
        readBase (view);
        use (view.getPreset());

        for (int i = -1; i <= view.getNumMidi() + 1; ++i)
            use (view.getMidi (i));

        askCatalogue (view.getAlias(), view.getType (0));
    }

    void readOutput (const juce::ValueTree& element)
    {
        OutputMapping view (element);
        readBase (view);

        FuzzSupport::check (view.getModifier() == -1, "an output mapping gave a modifier");
        use (view.getControlValue());
        use (view.getModifiers());
        use (view.isLooped());
        use (view.isMap());
        use (view.isSimpleMap());
        use (view.isFillingMap());

        for (int k = -1; k <= 10; ++k)
            use (view.hasModifier (k));

        for (int i = -1; i <= view.getNumMidi() + 1; ++i)
        {
            use (view.getMidi (i));
            use (view.getValue (i));
            use (view.getDuration (i));

            if (i >= 0 && i < view.getNumMidi())
            {
                const auto start = view.getMapRangeStart (i);
                const auto end = view.getMapRangeEnd (i);
                FuzzSupport::check (std::isfinite (start) && std::isfinite (end), "a map range is not finite",
                                    juce::String (start) + " .. " + juce::String (end) + " for message " + juce::String (i)
                                        + " of\n" + element.toXmlString());
            }
        }

        askCatalogue (view.getAlias(), view.getType (0));
    }

    /** The option editors of an input mapping's preset; built and thrown away as the panel does. */
    void buildOptionEditors (const juce::ValueTree& element)
    {
        InputMapping view (element);
        juce::OwnedArray<juce::PropertyComponent> editors;
        editors.addArray (view.createPropertyComponents());

        for (auto* editor : editors)
        {
            editor->setBounds (0, 0, 300, editor->getPreferredHeight());
            editor->refresh();
        }
    }
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    FuzzSupport::initialiseJuce();
    FuzzSupport::loadCatalogue();

    // Both live until the process ends.
    juce::Logger::setCurrentLogger (new SilentLogger());
    document = new ControllerDocument();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    const auto text = FuzzSupport::fileTextFromBytes (data, size);

    if (! document->isValidXmlText (text))
        return 0;

    document->loadFromXmlText (text);
    const auto mappings = document->getMappings();

    if (! mappings.isValid())
        return 0;

    const auto before = mappings.createCopy();
    const auto inputs = mappings.getChildWithName ("input-mappings");
    const auto outputs = mappings.getChildWithName ("output-mappings");

    for (const auto& element : inputs)
    {
        FuzzSupport::check (Mapping::getKind (element) == 1, "an element under input-mappings is not of kind 1");
        readInput (element);
    }

    for (const auto& element : outputs)
    {
        FuzzSupport::check (Mapping::getKind (element) == 0, "an element under output-mappings is not of kind 0");
        readOutput (element);
    }

    FuzzSupport::check (mappings.isEquivalentTo (before), "reading the mapping views changed the document",
                        "before:\n" + before.toXmlString() + "\nafter:\n" + mappings.toXmlString());

    // Last, since editors bound to option values may bring those values into their ranges.
    for (const auto& element : inputs)
        buildOptionEditors (element);

    return 0;
}
