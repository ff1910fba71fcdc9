#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "model/ControllerDocument.h"
#include "model/XmlGuard.h"
#include "resources/Resources.h"
#include "support/TestHelpers.h"

// The document (its default tree, icon and mapping lists) and its file or XML text: what is taken, refused and written.

namespace
{
    juce::File testFile() { return juce::File (WIRELACE_SOURCE_DIR).getChildFile ("tests/data/two_mappings.mappings"); }

    juce::String xmlOf (const juce::ValueTree& tree) { return tree.toXmlString (juce::XmlElement::TextFormat().singleLine().withoutHeader()); }

    juce::ValueTree childOf (const ControllerDocument& document, const char* name) { return document.getMappings().getParent().getChildWithName (name); }

    /** Everything the state table speaks of (the tree by its hash, to keep failures readable). */
    juce::StringArray stateOf (const ControllerDocument& d)
    {
        return { juce::String (d.toXmlString().hashCode64()), d.getFilePath(), d.getName(), d.hasChangedSinceSaved() ? "changed" : "unchanged", d.getLastError() };
    }

    /** Loads a copy of the test file (in the writer's format: header, CR LF, indents of two, lines wrapped
        at 60), then gives the document a change, a text to escape and a last error of its own. */
    void prepare (ControllerDocument& document, const TestHelpers::TemporaryFolder& folder)
    {
        auto file = folder.getChildFile ("current.mappings");
        EXPECT_TRUE (testFile().copyFileTo (file) && document.loadFrom (file));
        EXPECT_EQ (document.toXmlString(), file.loadFileAsString());
        document.createInputMapping ("deck.b.play");
        document.setModel (juce::String (juce::CharPointer_UTF8 ("Contr\xc3\xb4leur \xf0\x9f\x8e\x9b \"<&>'\"\t\r\n")));
        document.loadFromXmlText ("<!DOCTYPE main><main/>");
    }

    /** The file's type and permission bits (links followed); 0 when there is nothing. */
    unsigned modeOf (const juce::File& file)
    {
        struct stat info {};
        return stat (file.getFullPathName().toRawUTF8(), &info) == 0 ? (unsigned) info.st_mode : 0u;
    }

    int numberOfFilesIn (const TestHelpers::TemporaryFolder& folder) { return folder.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories); }

    juce::String encoded (juce::ImageFileFormat&& format, const juce::Image& image)
    {
        juce::MemoryOutputStream stream;
        EXPECT_TRUE (format.writeImageToStream (image, stream));
        return stream.getMemoryBlock().toBase64Encoding();
    }
}

TEST (ControllerDocument, NewDocumentIsTheSkeletonWithAFreshIdAndTheIconShowsOnlyPicturesOfModestSize)
{
    TestHelpers::TemporaryFolder folder;
    ControllerDocument document;
    prepare (document, folder);
    const auto error = document.getLastError();
    document.newDocument();
    EXPECT_EQ (stateOf (document), juce::StringArray (stateOf (document)[0], "", "unnamed.mappings", "unchanged", error));
    EXPECT_FALSE (document.save()); // no file

    auto id = childOf (document, "id"), icon = childOf (document, "icon");
    const auto idText = id["ID"].toString();
    EXPECT_TRUE (idText.length() == 32 && idText.containsOnly ("0123456789abcdef")) << idText;
    EXPECT_EQ (icon["Data"].toString(), encoded (juce::PNGImageFormat(), Resources::getImage ("default_icon.png"))); // not its bytes
    EXPECT_EQ (document.getIcon().getBounds(), juce::Rectangle<int> (256, 256));

    id.setProperty ("ID", "X", nullptr);
    icon.setProperty ("Data", "D", nullptr);
    EXPECT_EQ (xmlOf (document.getMappings().getParent().getParent()),
               "<main><version major=\"1\" minor=\"0\"/><controller kind=\"midi\"><id ID=\"X\"/><properties Model=\"\" Manufacturer=\"\" "
               "Version=\"1.0\" Publisher=\"\"/><icon Data=\"D\"/><mappings><input-mappings/><output-mappings/></mappings></controller></main>");
    document.newDocument();
    EXPECT_NE (childOf (document, "id")["ID"].toString(), idText);

    // PNG, JPEG and GIF icons are shown; a header that claims more than 4096 pixels a side, or a text
    // that is not a memory block, gives a null image instead of reaching a reader that allocates it whole.
    auto picture = [] (int width, int height) { return juce::Image (juce::Image::RGB, width, height, true); };
    const auto png = encoded (juce::PNGImageFormat(), picture (3, 2));
    const juce::uint8 gif[] = { 'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 255, 255, 255, 0, 0, 0,
                                '!', 0xf9, 4, 1, 0, 0, 0, 0, ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, ';' };
    juce::MemoryBlock hugeGif (gif, sizeof (gif));
    hugeGif[33] = (char) 0xff; // the image descriptor's width: 65281

    const std::tuple<const char*, juce::String, int> cases[] = {
        { "PNG", png, 3 }, { "JPEG", encoded (juce::JPEGImageFormat(), picture (5, 3)), 5 }, { "GIF", juce::MemoryBlock (gif, sizeof (gif)).toBase64Encoding(), 1 },
        { "PNG 4096 wide", encoded (juce::PNGImageFormat(), picture (4096, 1)), 4096 }, { "PNG 4097 wide", encoded (juce::PNGImageFormat(), picture (4097, 1)), 0 },
        { "JPEG 4097 high", encoded (juce::JPEGImageFormat(), picture (1, 4097)), 0 }, { "GIF 65281 wide", hugeGif.toBase64Encoding(), 0 },
        { "empty", "", 0 }, { "garbage", "garbage", 0 }, { "negative count", "-1.AAAAAAAA", 0 }, { "huge count", "99999999999.AAAA", 0 },
        { "no count", png.fromFirstOccurrenceOf (".", false, false), 0 }, { "truncated PNG", png.dropLastCharacters (20), 0 },
    };

    for (auto& [what, data, width] : cases)
    {
        childOf (document, "icon").setProperty ("Data", data, nullptr);
        EXPECT_EQ (document.getIcon().getWidth(), width) << what;
    }
}

// Each row is read from a file and, where it is text, taken and tested as text. A root of any name with "version" and
// a "controller" of kind "midi" as direct children is taken; a refusal keeps the tree, name and flag (a file's empties the path).
TEST (ControllerDocument, TakesOnlyAControllerAndARefusalKeepsTheDocumentAndSaysWhy)
{
    TestHelpers::TemporaryFolder folder;
    const juce::String good = testFile().loadFileAsString(), head ("<main><version/><controller kind=\"midi\">"), tail ("</controller></main>");
    auto write = [&] (const char* name, const std::string& bytes, juce::int64 sparseSize = 0)
    {
        auto file = folder.getChildFile (name); // replaceWithData would delete the file for no bytes
        EXPECT_TRUE (file.replaceWithText ({}) && file.appendData (bytes.data(), bytes.size()) && (sparseSize == 0 || truncate (file.getFullPathName().toRawUTF8(), sparseSize) == 0));
        return file;
    };
    auto fifo = folder.getChildFile ("pipe.mappings"), loop = folder.getChildFile ("loop.mappings");
    ASSERT_EQ (mkfifo (fifo.getFullPathName().toRawUTF8(), 0600), 0);
    ASSERT_TRUE (loop.createSymbolicLink (folder.getChildFile ("other.mappings"), true) && folder.getChildFile ("other.mappings").createSymbolicLink (loop, true));
    ASSERT_TRUE (folder.getChildFile ("folder.mappings").createDirectory());

    const struct { juce::String text; juce::File file; const char* error; } cases[] = { // error "": taken, nullptr: kept
        { "<anything><controller kind=\"midi\"/><version major=\"9\"/></anything>", {}, "" },
        { "<?xml version=\"1.0\"?><x><other/><version/><controller kind=\"midi\" extra=\"1\"/></x>", {}, "" },
        { "<main><version/><controller kind=\"MIDI\"/></main>", {}, nullptr }, { "<main><version/><controller/></main>", {}, nullptr },
        { "<main><controller kind=\"midi\"/></main>", {}, nullptr }, { "<main><other><version/></other><controller kind=\"midi\"/></main>", {}, nullptr },
        { "", {}, "not enough input" }, { "<main><version/>", {}, "unmatched tags" }, { "Not the mappings.", {}, "No XML element" },
        { head + juce::String::repeatedString ("<a>", 100000) + tail, {}, XmlGuard::tooDeepError },
        // Found by fuzzing: an attribute given twice (the views edited the first, the file kept the last),
        // and a "base64:" byte count that juce::ValueTree::fromXml would allocate at once.
        { head + "<mappings><input-mappings><mapping><events><midi channel=\"0x01\" channel=\"0x05\"/></events></mapping>"
                 "</input-mappings></mappings>" + tail, {}, "same attribute twice" },
        { head + "<icon base64:Data=\"-5.AAAA\"/>" + tail, {}, "impossible size" },
        { "missing", folder.getChildFile ("missing.mappings"), "does not exist" },
        { "folder", folder.getChildFile ("folder.mappings"), "folder" }, { "loop", loop, "symbolic links" },
        { "/dev/zero", juce::File ("/dev/zero"), "device, pipe" }, { "named pipe", fifo, "device, pipe" },
        { "128 MB: read", write ("limit.mappings", good.toStdString(), 128 * 1024 * 1024), "zero bytes" }, // sparse files
        { "128 MB + 1", write ("huge.mappings", good.toStdString(), 128 * 1024 * 1024 + 1), "too large" },
        { "invalid UTF-8", write ("utf8.mappings", good.replace ("Twister\"", "Tw\xff\"").toStdString()), "UTF-8" },
        { "overlong UTF-8", write ("overlong.mappings", good.replace ("Twister\"", "Tw\xc0\xaf\"").toStdString()), "UTF-8" }, // "/"
    };

    juce::WaitableEvent done; // should opening the pipe block, a writer ends the wait and the time bound fails
    std::thread rescuer ([&] { if (! done.wait (30000)) close (open (fifo.getFullPathName().toRawUTF8(), O_WRONLY)); });

    for (auto& c : cases)
    {
        const bool isText = c.file == juce::File(), accepted = c.error != nullptr && *c.error == 0;
        const auto file = isText ? write ("row.mappings", c.text.toStdString()) : c.file;

        for (int operation = 0; operation < (isText ? 3 : 1); ++operation) // read the file, take the text, test the text
        {
            SCOPED_TRACE (juce::String (operation) + ": " + c.text.substring (0, 80));
            ControllerDocument document;
            prepare (document, folder);
            auto expected = stateOf (document);
            const auto start = juce::Time::getMillisecondCounterHiRes();
            const bool result = operation == 0 ? document.loadFrom (file) : operation == 1 ? (document.loadFromXmlText (c.text), document.getLastError().isEmpty()) : document.isValidXmlText (c.text);
            EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 10000.0);
            EXPECT_EQ (result, accepted);

            const auto error = document.getLastError(); // emptied by taken text, kept, or a new one that says why
            EXPECT_TRUE (accepted || c.error == nullptr ? error == (accepted && operation > 0 ? "" : expected[4]) : error != expected[4] && error.contains (c.error)) << error;

            expected = juce::StringArray (expected[0], operation == 0 ? "" : expected[1], expected[2], expected[3], error);
            if (accepted && operation < 2)
            {
                EXPECT_TRUE (juce::ValueTree::fromXml (document.toXmlString()).isEquivalentTo (juce::ValueTree::fromXml (c.text)));
                expected = juce::StringArray (stateOf (document)[0], operation == 0 ? file.getFullPathName() : "", operation == 0 ? "row.mappings" : "unnamed.mappings", "unchanged", error);
            }
            EXPECT_EQ (stateOf (document), expected);
        }
    }

    done.signal();
    rescuer.join();
}

TEST (ControllerDocument, MappingsGoToTheListTheirChildrenChooseAndOnlyNewOnesMarkTheChange)
{
    ControllerDocument document;
    auto list = [&] (int which) { return document.getMappings().getChild (which); }; // 0: inputs, 1: outputs
    auto pasted = [] (const char* preset) { return juce::ValueTree::fromXml (juce::String ("<mapping><events><midi/></events>") + preset + "</mapping>"); };

    // "events" with "preset" goes to the inputs, itself, at the index; "control" to the outputs; "events" without
    // "preset" (as a new input mapping is made), neither, or nothing is not added. None marks the change.
    auto a = pasted ("<preset/>"), b = pasted ("<preset/>"), output = juce::ValueTree::fromXml ("<thing><control/></thing>");
    EXPECT_TRUE (document.addMapping (a, 99) == a && document.addMapping (b, 0) == b && document.addMapping (output, 5) == output);
    for (auto rejected : { pasted (""), juce::ValueTree::fromXml ("<mapping><midi/></mapping>"), juce::ValueTree() })
        EXPECT_FALSE (document.addMapping (rejected, -1).isValid());
    EXPECT_TRUE (list (0).getChild (0) == b && list (0).getChild (1) == a && list (1).getChild (0) == output && list (0).getNumChildren() + list (1).getNumChildren() == 3);
    EXPECT_FALSE (document.hasChangedSinceSaved());

    auto input = document.createInputMapping ("mixer.crossfader");
    EXPECT_TRUE (document.hasChangedSinceSaved() && list (0).indexOf (input) == 2);
    EXPECT_EQ (xmlOf (input), "<mapping><events><midi type=\"CC\" parameter=\"0x01\" channel=\"0x01\"/></events>"
                              "<controls><control alias=\"mixer.crossfader\"/></controls></mapping>");

    document.newDocument();
    for (auto [type, value] : { std::pair<const char*, const char*> { "Logic", "true" }, { "Trigger", "true" }, { "Integer", "%" }, { "", "%" }, { "logic", "%" } })
        EXPECT_EQ (document.createOutputMapping ("deck.a.play", type).getChild (0)["value"].toString(), value) << type;
    EXPECT_TRUE (document.hasChangedSinceSaved() && list (1).getNumChildren() == 5);
    EXPECT_EQ (xmlOf (list (1).getChild (0)), "<mapping><control alias=\"deck.a.play\" value=\"true\"/><midi type=\"CC\" parameter=\"0x01\" channel=\"0x01\"/></mapping>");

    document.newDocument();
    juce::ValueTree anything ("whatever");
    EXPECT_TRUE (document.addOutputMapping (anything) == anything && list (1).getChild (0) == anything && document.hasChangedSinceSaved());

    // Without the lists, a new mapping is still made and marks the change.
    document.loadFromXmlText ("<main><version/><controller kind=\"midi\"/></main>");
    EXPECT_TRUE (document.createOutputMapping ("b", "Logic").isValid() && document.hasChangedSinceSaved());
}

// Saving over what stands at the path: a link keeps pointing at its file, which gets the new text and keeps its permissions.
// What may not be replaced, and a failed write (full disk), leave document, old file and folder as they were, saying why.
TEST (ControllerDocumentFile, SaveWritesThroughLinksKeepsPermissionsAndOtherwiseChangesNothing)
{
    TestHelpers::TemporaryFolder folder;
    auto make = [&] (const char* name, mode_t mode, const juce::File& linkTo = {}) // a file of that mode, or a link
    {
        auto file = folder.getChildFile (name);
        EXPECT_TRUE (mode == 0 ? linkTo.createSymbolicLink (file, true) : file.replaceWithText ("old") && chmod (file.getFullPathName().toRawUTF8(), mode) == 0);
        return file;
    };

    const auto fifo = folder.getChildFile ("pipe.mappings"), loop = folder.getChildFile ("loop.mappings"), folderInTheWay = folder.getChildFile ("folder.mappings");
    EXPECT_TRUE (mkfifo (fifo.getFullPathName().toRawUTF8(), 0600) == 0 && folderInTheWay.createDirectory());
    make ("loop.mappings", 0, make ("loop2.mappings", 0, loop));
    const auto readOnly = make ("readonly.mappings", 0444), linked = make ("linked.mappings", 0600), plainFile = make ("plain", 0600);

    const struct { const char* what; juce::File path, target; const char* errorContains; bool fullDisk = false; } cases[] = { // error nullptr: written
        { "private file", make ("private.mappings", 0600), {}, nullptr }, { "group-readable file", make ("group.mappings", 0640), {}, nullptr },
        { "link to a private file", make ("link.mappings", 0, linked), linked, nullptr },
        { "chain of links", make ("chain.mappings", 0, folder.getChildFile ("link.mappings")), linked, nullptr },
        { "dangling link", make ("dangling.mappings", 0, folder.getChildFile ("new.mappings")), folder.getChildFile ("new.mappings"), nullptr },
        { "read-only file", readOnly, {}, "read-only" }, { "link to a read-only file", make ("ro link.mappings", 0, readOnly), readOnly, "read-only" },
        { "loop of links", loop, {}, "symbolic links" }, { "named pipe", fifo, {}, "device, pipe" }, { "empty folder", folderInTheWay, {}, "folder" },
        { "inside a plain file", plainFile.getChildFile ("x.mappings"), plainFile, "" }, { "full disk", folder.getChildFile ("current.mappings"), {}, "written", true },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        ControllerDocument document;
        prepare (document, folder);
        const auto target = c.target == juce::File() ? c.path : c.target;
        const auto before = stateOf (document);
        const auto oldMode = modeOf (target), files = (unsigned) numberOfFilesIn (folder);
        const juce::String oldText = S_ISREG (oldMode) ? target.loadFileAsString() : "";

        // A full disk is played by a bound on the size of written files (root writes into any folder).
        rlimit original {};
        getrlimit (RLIMIT_FSIZE, &original);
        rlimit limited { c.fullDisk ? 512 : original.rlim_cur, original.rlim_max };
        auto previousHandler = std::signal (SIGXFSZ, SIG_IGN);
        EXPECT_EQ (setrlimit (RLIMIT_FSIZE, &limited), 0);
        const bool written = document.saveAs (c.path);
        setrlimit (RLIMIT_FSIZE, &original);
        std::signal (SIGXFSZ, previousHandler);

        ASSERT_EQ (written, c.errorContains == nullptr) << document.getSaveError();
        EXPECT_TRUE (oldMode == 0 || modeOf (target) == oldMode) << std::oct << modeOf (target);

        if (written) // 7-bit text with CR LF line ends whatever the texts hold, and no temporary file left
        {
            juce::MemoryBlock bytes;
            EXPECT_TRUE (target.loadFileAsData (bytes) && bytes.toString() == document.toXmlString() && document.getSaveError().isEmpty());
            EXPECT_TRUE (std::all_of (bytes.begin(), bytes.end(), [] (char b) { return b > 0 && b != '\t'; }) && ! bytes.toString().replace ("\r\n", "").containsAnyOf ("\r\n"));
            EXPECT_EQ (stateOf (document), juce::StringArray (before[0], c.path.getFullPathName(), c.path.getFileName(), "unchanged", before[4]));
            EXPECT_EQ ((unsigned) numberOfFilesIn (folder), files + (oldMode == 0 ? 1 : 0));
            document.createInputMapping ("deck.c.play");
            EXPECT_TRUE (document.save() && target.loadFileAsString() == document.toXmlString()); // to the adopted file
        }
        else
        {
            EXPECT_TRUE (document.getSaveError().contains (c.errorContains) && document.getSaveError().isNotEmpty()) << document.getSaveError();
            EXPECT_EQ (stateOf (document), before);
            EXPECT_TRUE ((S_ISREG (oldMode) ? target.loadFileAsString() : "") == oldText && (unsigned) numberOfFilesIn (folder) == files);
        }
    }
}

namespace
{
    juce::ValueTree rootOf (const ControllerDocument& document) { return document.getMappings().getParent().getParent(); }

    using FieldGetter = juce::String (ControllerDocument::*) () const;
    using FieldSetter = void (ControllerDocument::*) (const juce::String&);
    const std::pair<FieldGetter, FieldSetter> fields[] = { { &ControllerDocument::getModel, &ControllerDocument::setModel },
                                                           { &ControllerDocument::getManufacturer, &ControllerDocument::setManufacturer },
                                                           { &ControllerDocument::getVersion, &ControllerDocument::setVersion },
                                                           { &ControllerDocument::getPublisher, &ControllerDocument::setPublisher } };

    /** Saves the document, opens the file in a second one and its text in a third (as the source editor
        and a pasted controller take it); empty when all three are the same, otherwise what differs. */
    std::string reopeningDifference (ControllerDocument& document, const juce::File& file)
    {
        if (! document.saveAs (file))
            return "not saved: " + document.getSaveError().toStdString();

        ControllerDocument reopened, fromText;

        if (! reopened.loadFrom (file))
            return "not opened: " + reopened.getLastError().toStdString();

        if (! fromText.isValidXmlText (document.toXmlString()))
            return "text refused: " + fromText.getLastError().toStdString();

        fromText.loadFromXmlText (document.toXmlString());

        for (auto* other : { &reopened, &fromText })
        {
            if (! rootOf (*other).isEquivalentTo (rootOf (document)))
                return "another tree";

            for (auto& field : fields) // to the byte
                if (std::strcmp ((other->*field.first)().toRawUTF8(), (document.*field.first)().toRawUTF8()) != 0)
                    return "another field";
        }

        return {};
    }
}

// Whatever the four controller-information fields hold, the file written opens again as the same
// document: random texts of any characters (markup, quotes, line breaks, control characters, accents,
// Cyrillic, CJK, private use, astral ones), often in long runs of one character, up to hundreds of kilobytes.
TEST (ControllerDocumentFile, EveryDocumentSavedOpensAgainTheSame)
{
    TestHelpers::TemporaryFolder folder;
    const std::pair<juce::juce_wchar, juce::juce_wchar> ranges[] = { { 0x20, 0x7e }, { '&', '&' }, { '<', '<' }, { '>', '>' }, { '"', '"' }, { '\'', '\'' },
                                                                     { 1, 0x1f }, { 0x80, 0x7ff }, { 0x400, 0x4ff }, { 0x800, 0xd7ff }, { 0xe000, 0xffff },
                                                                     { 0x10000, 0x10ffff }, { 0x1f600, 0x1f64f } };
    std::mt19937 random (20250302);

    auto randomText = [&] (int maxLength)
    {
        std::vector<juce::juce_wchar> characters;
        const auto length = (size_t) std::uniform_int_distribution<int> (0, maxLength) (random);

        while (characters.size() < length)
        {
            const auto& range = ranges[random() % std::size (ranges)];
            const auto character = (juce::juce_wchar) std::uniform_int_distribution<int> ((int) range.first, (int) range.second) (random);
            const auto run = random() % 8 == 0 ? (size_t) std::uniform_int_distribution<int> (1, maxLength / 4 + 1) (random) : 1;
            characters.insert (characters.end(), std::min (run, length - characters.size()), character);
        }

        characters.push_back (0);
        return juce::String (juce::CharPointer_UTF32 (characters.data()));
    };

    for (int round = 0; round < 60; ++round)
    {
        SCOPED_TRACE (round);
        ControllerDocument document;

        for (auto& field : fields)
            (document.*field.second) (randomText (round % 10 == 9 ? 400000 : round % 3 == 0 ? 300 : 4000));

        EXPECT_EQ (reopeningDifference (document, folder.getChildFile ("fields.mappings")), "");
    }
}

// The lengths from which a field, once saved, could no longer be opened (each character is written as a
// reference), and far beyond.
TEST (ControllerDocumentFile, LongFieldsOfReferencedCharactersOpenAgain)
{
    TestHelpers::TemporaryFolder folder;
    const struct { const char* character; int count; } rows[] = { { "\xd0\xb6", 775 }, { "\xf0\x9f\x98\x80", 700 }, { "&", 920 },
                                                                  { "\xd0\xb6", 100000 }, { "\xf0\x9f\x98\x80", 100000 }, { "&", 100000 } };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (juce::String (row.count) + " x " + row.character);
        ControllerDocument document;
        document.setPublisher (juce::String::repeatedString (juce::String::fromUTF8 (row.character), row.count));
        EXPECT_EQ (reopeningDifference (document, folder.getChildFile ("publisher.mappings")), "");
    }
}
