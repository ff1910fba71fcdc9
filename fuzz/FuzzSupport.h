#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <juce_gui_basics/juce_gui_basics.h>

#include "model/ControlCatalogue.h"
#include "model/XmlGuard.h"

/** What the fuzz targets share: JUCE start-up, the catalogue, turning bytes into text, and
    stopping with a message when a property of the program does not hold. */
namespace FuzzSupport
{
    inline juce::JUCEApplicationBase* createNoApplication() { return nullptr; }

    /** Starts JUCE's GUI support once for the whole fuzzing process.
        It is never shut down: libFuzzer ends the process with exit(), and JUCE's shutdown
        must not run after the static objects it uses have been destroyed. As in the test run,
        a factory is registered so that JUCE sets up X as it does for the editor (with its
        own X error handlers), although no application object is made. */
    inline void initialiseJuce()
    {
        static juce::ScopedJuceInitialiser_GUI* initialiser = nullptr;

        if (initialiser == nullptr)
        {
            juce::JUCEApplicationBase::createInstance = &createNoApplication;
            initialiser = new juce::ScopedJuceInitialiser_GUI(); // deliberately never deleted
        }
    }

    /** Makes and loads the process-wide control catalogue, as the application does at start-up. */
    inline void loadCatalogue()
    {
        if (controlCatalogue == nullptr)
        {
            controlCatalogue = std::make_unique<ControlCatalogue>();
            controlCatalogue->load();
        }
    }

    /** The bytes as a text from the clipboard arrives: JUCE's own reading of bytes (a
        byte-order mark picks UTF-16, otherwise UTF-8, broken sequences kept). */
    inline juce::String textFromBytes (const std::uint8_t* data, std::size_t size)
    {
        return juce::String::createStringFromData (data, (int) size);
    }

    /** The bytes as a file's bytes become text (XmlGuard::decodeText); empty when they are
        not text. */
    inline juce::String fileTextFromBytes (const std::uint8_t* data, std::size_t size)
    {
        juce::String text, error;
        XmlGuard::decodeText (data, size, text, error);
        return text;
    }

    /** Reports a broken property with the texts that show it, then aborts, so that libFuzzer
        saves the input as a crash. */
    [[noreturn]] inline void fail (const char* what, const juce::String& detail = {})
    {
        std::fprintf (stderr, "\n*** %s\n%s\n", what, detail.toRawUTF8());
        std::fflush (stderr);
        std::abort();
    }

    inline void check (bool condition, const char* what, const juce::String& detail = {})
    {
        if (! condition)
            fail (what, detail);
    }
}
