// Fuzz target: a controller document read from arbitrary text.
//
// For every input: isValidXmlText and loadFromXmlText must agree (a refused text leaves the
// document exactly as it was); an accepted text becomes a document without a file, named
// "unnamed.mappings" and unchanged; the document written back with toXmlString is accepted
// again, holds a tree equivalent to the one the input described, and writing that second
// document gives the same text once more.

#include "FuzzSupport.h"

#include "model/ControllerDocument.h"
#include "model/XmlGuard.h"

namespace
{
    ControllerDocument* document = nullptr;
    ControllerDocument* rereadDocument = nullptr;
    juce::String documentText;

    /** The tree that the document should hold after taking the text. */
    juce::ValueTree treeOfText (const juce::String& text)
    {
        juce::String error;
        auto xml = XmlGuard::parse (text, error);
        return xml != nullptr ? juce::ValueTree::fromXml (*xml) : juce::ValueTree();
    }

    void checkTakenAsNewFromText (const ControllerDocument& doc, const char* which)
    {
        FuzzSupport::check (doc.getName() == "unnamed.mappings", which, "name: " + doc.getName());
        FuzzSupport::check (doc.getFilePath().isEmpty(), which, "path: " + doc.getFilePath());
        FuzzSupport::check (! doc.hasChangedSinceSaved(), which, "marked as changed");
    }
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    FuzzSupport::initialiseJuce();

    // Both documents live until the process ends; each input is loaded into them in turn.
    document = new ControllerDocument();
    rereadDocument = new ControllerDocument();

    // A small accepted document to start from, so that the text compared after a refused
    // input stays short.
    document->loadFromXmlText ("<main><version/><controller kind=\"midi\"/></main>");
    documentText = document->toXmlString();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    const auto text = FuzzSupport::textFromBytes (data, size);
    const bool valid = document->isValidXmlText (text);

    document->loadFromXmlText (text);
    const auto written = document->toXmlString();

    if (! valid)
    {
        FuzzSupport::check (written == documentText, "a refused text changed the document", text);
        return 0;
    }

    checkTakenAsNewFromText (*document, "an accepted text did not give a new document without a file");
    documentText = written;

    // Round trip: the written text is accepted again and describes the same tree.
    FuzzSupport::check (rereadDocument->isValidXmlText (written), "the written document is refused", written);
    rereadDocument->loadFromXmlText (written);
    checkTakenAsNewFromText (*rereadDocument, "the written document did not give a new document without a file");

    const auto original = treeOfText (text);
    const auto reread = treeOfText (written);
    FuzzSupport::check (original.isValid() && reread.isValid(), "an accepted text does not parse", written);
    FuzzSupport::check (original.isEquivalentTo (reread), "writing and reading the document changed its tree",
                        "input:\n" + original.toXmlString() + "\nafter the round trip:\n" + reread.toXmlString());

    const auto writtenAgain = rereadDocument->toXmlString();
    FuzzSupport::check (writtenAgain == written, "writing the reread document gives another text",
                        "first:\n" + written + "\nsecond:\n" + writtenAgain);
    return 0;
}
