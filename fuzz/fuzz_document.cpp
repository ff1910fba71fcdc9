// Fuzz target: a controller document read from arbitrary bytes, as a file and as text.
//
// For every input: the bytes become text by XmlGuard::decodeText, which either gives text or
// an error, never both; loadFrom of a file holding the bytes accepts exactly when the decoded
// text is accepted, and then holds the same document under the file's path and name.
// isValidXmlText and loadFromXmlText must agree (a refused text leaves the
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
    ControllerDocument* fileDocument = nullptr;
    juce::String documentText;

    /** The file each input is written to for loadFrom, removed when the process ends. */
    const juce::File& getInputFile()
    {
        static juce::TemporaryFile inputFile (".mappings");
        return inputFile.getFile();
    }

    /** Reads the bytes as a file; checks the decoding on the way. Returns the decoded text. */
    juce::String checkFileReading (const std::uint8_t* data, std::size_t size)
    {
        juce::String text, error;
        const bool decoded = XmlGuard::decodeText (data, size, text, error);
        FuzzSupport::check (decoded == error.isEmpty(), "decodeText gave both text and an error, or neither", error);
        FuzzSupport::check (decoded || text.isEmpty(), "refused bytes gave text", text);

        const auto& file = getInputFile();
        const bool written = size == 0 ? (file.deleteFile() && file.create()) : file.replaceWithData (data, size);
        FuzzSupport::check (written, "the input could not be written to a file");

        const bool loaded = fileDocument->loadFrom (file);
        const bool accepted = decoded && rereadDocument->isValidXmlText (text);
        FuzzSupport::check (loaded == accepted, "loadFrom and the decoded text's acceptance disagree", fileDocument->getLastError());

        if (loaded)
        {
            FuzzSupport::check (fileDocument->getFilePath() == file.getFullPathName(), "a loaded file's path is not kept");
            FuzzSupport::check (! fileDocument->hasChangedSinceSaved(), "a loaded file is marked as changed");
        }
        else
        {
            FuzzSupport::check (fileDocument->getFilePath().isEmpty(), "a refused file left a path");
            FuzzSupport::check (fileDocument->getLastError().isNotEmpty() || decoded,
                                "bytes that are not text were refused without a reason");
        }

        return decoded ? text : juce::String();
    }

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
    fileDocument = new ControllerDocument();

    // A small accepted document to start from, so that the text compared after a refused
    // input stays short.
    document->loadFromXmlText ("<main><version/><controller kind=\"midi\"/></main>");
    documentText = document->toXmlString();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    const auto text = checkFileReading (data, size);
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
    FuzzSupport::check (fileDocument->toXmlString() == written, "the file and its text gave different documents",
                        "from the file:\n" + fileDocument->toXmlString() + "\nfrom the text:\n" + written);

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
