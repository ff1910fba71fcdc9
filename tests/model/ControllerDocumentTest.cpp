#include <gtest/gtest.h>

#include <algorithm>
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

// The document in memory (its default tree, taking and refusing XML text, the mapping lists, the
// icon) and its ".mappings" file: what is written byte for byte, what is read and what is refused,
// and what a save that cannot write leaves behind (nothing changed, the old file whole).

namespace
{
    const char* const minimalController = "<main><version/><controller kind=\"midi\"/></main>";

    juce::File testFile() { return juce::File (WIRELACE_SOURCE_DIR).getChildFile ("tests/data/two_mappings.mappings"); }

    juce::String xmlOf (const juce::ValueTree& tree) { return tree.toXmlString (juce::XmlElement::TextFormat().singleLine().withoutHeader()); }

    juce::ValueTree listOf (const ControllerDocument& document, const char* name) { return document.getMappings().getChildWithName (name); }

    /** Everything the state table speaks of (the tree by its hash, to keep failures readable). */
    juce::StringArray stateOf (const ControllerDocument& document)
    {
        return { juce::String (document.toXmlString().hashCode64()), document.getFilePath(), document.getName(),
                 document.hasChangedSinceSaved() ? "changed" : "unchanged", document.getLastError() };
    }

    /** Loads a copy of the test file from the folder, then changes the document and gives it a
        last error, so that every member has a value of its own. */
    void prepare (ControllerDocument& document, const TestHelpers::TemporaryFolder& folder)
    {
        auto file = folder.getChildFile ("current.mappings");
        EXPECT_TRUE (testFile().copyFileTo (file) && document.loadFrom (file));
        document.createInputMapping ("deck.b.play");
        document.loadFromXmlText ("<!DOCTYPE main><main/>");
    }

    /** The file's type and permission bits (links followed); 0 when there is nothing. */
    unsigned modeOf (const juce::File& file)
    {
        struct stat info {};
        return stat (file.getFullPathName().toRawUTF8(), &info) == 0 ? (unsigned) info.st_mode : 0u;
    }

    int numberOfFilesIn (const TestHelpers::TemporaryFolder& folder) { return folder.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories); }

    double millisecondsSince (double start) { return juce::Time::getMillisecondCounterHiRes() - start; }

    juce::String encoded (juce::ImageFileFormat&& format, const juce::Image& image)
    {
        juce::MemoryOutputStream stream;
        EXPECT_TRUE (format.writeImageToStream (image, stream));
        return stream.getMemoryBlock().toBase64Encoding();
    }
}

//==============================================================================
TEST (ControllerDocument, NewDocumentIsTheSkeletonWithAFreshIdAndTheDefaultIconEncodedAgain)
{
    ControllerDocument document;
    auto root = document.getMappings().getParent().getParent().createCopy();
    const auto id = root.getChild (1).getChildWithName ("id")["ID"].toString(), icon = root.getChild (1).getChildWithName ("icon")["Data"].toString();
    EXPECT_TRUE (id.length() == 32 && id.containsOnly ("0123456789abcdef")) << id;
    EXPECT_EQ (icon, encoded (juce::PNGImageFormat(), Resources::getImage ("default_icon.png"))); // not the embedded bytes
    EXPECT_EQ (document.getIcon().getBounds(), juce::Rectangle<int> (256, 256));

    root.getChild (1).getChildWithName ("id").setProperty ("ID", "X", nullptr);
    root.getChild (1).getChildWithName ("icon").setProperty ("Data", "D", nullptr);
    EXPECT_EQ (xmlOf (root), "<main><version major=\"1\" minor=\"0\"/><controller kind=\"midi\"><id ID=\"X\"/>"
                             "<properties Model=\"\" Manufacturer=\"\" Version=\"1.0\" Publisher=\"\"/><icon Data=\"D\"/>"
                             "<mappings><input-mappings/><output-mappings/></mappings></controller></main>");
    document.newDocument();
    EXPECT_NE (document.getMappings().getParent().getChildWithName ("id")["ID"].toString(), id);
}

// PNG, JPEG and GIF icons are shown; a header that claims more than 4096 pixels a side, or a text
// that is not a memory block, gives a null image instead of reaching a reader that allocates it whole.
TEST (ControllerDocument, IconDecodesEveryReadableFormatOfModestSizeAndAnythingElseGivesANullImage)
{
    const auto png = encoded (juce::PNGImageFormat(), juce::Image (juce::Image::ARGB, 3, 2, true));
    const juce::uint8 gif[] = { 'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 255, 255, 255, 0, 0, 0,
                                '!', 0xf9, 4, 1, 0, 0, 0, 0, ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, ';' };
    juce::MemoryBlock hugeGif (gif, sizeof (gif));
    hugeGif[33] = (char) 0xff; // the image descriptor's width: 65281

    const std::tuple<const char*, juce::String, int> cases[] = {
        { "PNG", png, 3 }, { "JPEG", encoded (juce::JPEGImageFormat(), juce::Image (juce::Image::RGB, 5, 3, true)), 5 },
        { "GIF", juce::MemoryBlock (gif, sizeof (gif)).toBase64Encoding(), 1 },
        { "PNG 4096 wide", encoded (juce::PNGImageFormat(), juce::Image (juce::Image::RGB, 4096, 1, true)), 4096 },
        { "PNG 4097 wide", encoded (juce::PNGImageFormat(), juce::Image (juce::Image::RGB, 4097, 1, true)), 0 },
        { "JPEG 4097 high", encoded (juce::JPEGImageFormat(), juce::Image (juce::Image::RGB, 1, 4097, true)), 0 },
        { "GIF 65281 wide", hugeGif.toBase64Encoding(), 0 }, { "empty", "", 0 }, { "garbage", "garbage", 0 },
        { "fewer characters than the count needs", "12.ABC", 0 }, { "negative count", "-1.AAAAAAAA", 0 },
        { "huge count", "99999999999.AAAA", 0 }, { "no count", png.fromFirstOccurrenceOf (".", false, false), 0 },
        { "not a picture", juce::MemoryBlock ("no picture", 10).toBase64Encoding(), 0 }, { "truncated PNG", png.dropLastCharacters (20), 0 },
    };

    ControllerDocument document;
    for (auto& [what, data, width] : cases)
    {
        document.getMappings().getParent().getChildWithName ("icon").setProperty ("Data", data, nullptr);
        EXPECT_EQ (document.getIcon().getWidth(), width) << what;
    }

    document.loadFromXmlText (minimalController);
    EXPECT_FALSE (document.getIcon().isValid());
}

//==============================================================================
// Each row is read from a file and, where it is text, taken and tested as text. A controller is a
// root of any name with "version" and a "controller" of kind "midi" as direct children; it becomes
// the document. A refusal keeps the tree, name and flag (reading a file empties the path) and the
// last error says why, or stays when the XML is merely no controller. Each row starts from a
// document with a file, a change and an error; devices and pipes are never read.
TEST (ControllerDocument, TakesOnlyAControllerAndARefusalKeepsTheDocumentAndSaysWhy)
{
    TestHelpers::TemporaryFolder folder;
    const auto good = testFile().loadFileAsString().toStdString();
    const juce::String head ("<main><version/><controller kind=\"midi\">"), tail ("</controller></main>");
    auto write = [&] (const char* name, const std::string& bytes, juce::int64 sparseSize = 0)
    {
        auto file = folder.getChildFile (name);
        EXPECT_TRUE ((bytes.empty() ? file.replaceWithText ({}) : file.replaceWithData (bytes.data(), bytes.size())) && (sparseSize == 0 || truncate (file.getFullPathName().toRawUTF8(), sparseSize) == 0));
        return file;
    };
    auto withModel = [&] (const char* model) { return juce::String (good).replace ("Twister\"", model).toStdString(); };
    auto fifo = folder.getChildFile ("pipe.mappings"), loop = folder.getChildFile ("loop.mappings");
    ASSERT_EQ (mkfifo (fifo.getFullPathName().toRawUTF8(), 0600), 0);
    ASSERT_TRUE (folder.getChildFile ("other.mappings").createSymbolicLink (loop, true) && loop.createSymbolicLink (folder.getChildFile ("other.mappings"), true));
    ASSERT_TRUE (folder.getChildFile ("folder.mappings").createDirectory());

    const char* const kept = nullptr;
    const struct { juce::String text; juce::File file; const char* error; } cases[] = { // error "": taken
        { minimalController, {}, "" }, { "<anything><controller kind=\"midi\"/><version major=\"9\"/></anything>", {}, "" },
        { "<?xml version=\"1.0\"?><x><other/><version/><controller kind=\"midi\" extra=\"1\"/></x>", {}, "" },
        { "<main><version/><controller kind=\"MIDI\"/></main>", {}, kept }, { "<main><version/><controller kind=\"midi \"/></main>", {}, kept },
        { "<main><version/><controller/></main>", {}, kept }, { "<main><controller kind=\"midi\"/></main>", {}, kept },
        { "<main><version/><other><controller kind=\"midi\"/></other></main>", {}, kept },
        { "<main><other><version/></other><controller kind=\"midi\"/></main>", {}, kept },
        { "<controller kind=\"midi\"><version/></controller>", {}, kept },
        { "", {}, "not enough input" }, { "<main><version/>", {}, "unmatched tags" }, { "Not the mappings.", {}, "No XML element" },
        { head + juce::String::repeatedString ("<a>", 100000) + tail, {}, XmlGuard::tooDeepError },
        // Found by fuzzing: an attribute given twice (the views edited the first while the file kept
        // the last), and "base64:" byte counts that juce::ValueTree::fromXml would allocate at once.
        { head + "<mappings><input-mappings><mapping><events><midi channel=\"0x01\" channel=\"0x05\"/></events></mapping>"
                 "</input-mappings></mappings>" + tail, {}, "same attribute twice" },
        { head + "<icon base64:Data=\"4444444444444.AAAA\"/>" + tail, {}, "impossible size" },
        { head + "<icon base64:Data=\"-5.AAAA\"/>" + tail, {}, "impossible size" },
        { head + "<icon base64:Data=\"200000000.AAAA\"/>" + tail, {}, "impossible size" },
        { "missing", folder.getChildFile ("missing.mappings"), "does not exist" },
        { "folder", folder.getChildFile ("folder.mappings"), "folder" }, { "loop", loop, "symbolic links" },
        { "/dev/zero", juce::File ("/dev/zero"), "device, pipe" }, { "/dev/urandom", juce::File ("/dev/urandom"), "device, pipe" },
        { "named pipe", fifo, "device, pipe" }, // sparse files, which cost no disk space:
        { "128 MB", write ("limit.mappings", good, 128 * 1024 * 1024), "zero bytes" }, // read to the end
        { "128 MB + 1", write ("huge.mappings", good, 128 * 1024 * 1024 + 1), "too large" },
        { "invalid UTF-8", write ("utf8.mappings", withModel ("Tw\xff\"")), "UTF-8" },
        { "overlong UTF-8", write ("overlong.mappings", withModel ("Tw\xc0\xaf\"")), "UTF-8" }, // "/" in two bytes
    };

    // Should opening the pipe block, a writer comes after a while and ends the wait, so that the
    // time bound below fails instead of the test hanging.
    juce::WaitableEvent done;
    std::thread rescuer ([&] { if (! done.wait (30000)) close (open (fifo.getFullPathName().toRawUTF8(), O_WRONLY)); });

    for (auto& c : cases)
    {
        const bool isText = c.file == juce::File(), accepted = c.error != kept && *c.error == 0;
        const auto file = isText ? write ("row.mappings", c.text.toStdString()) : c.file;

        for (int operation = 0; operation < (isText ? 3 : 1); ++operation) // read the file, take the text, test the text
        {
            SCOPED_TRACE (juce::String (operation) + ": " + c.text.substring (0, 80));
            ControllerDocument document;
            prepare (document, folder);
            auto expected = stateOf (document);
            const auto start = juce::Time::getMillisecondCounterHiRes();
            const bool result = operation == 0 ? document.loadFrom (file)
                              : operation == 1 ? (document.loadFromXmlText (c.text), accepted) : document.isValidXmlText (c.text);
            EXPECT_LT (millisecondsSince (start), 10000.0);
            EXPECT_EQ (result, accepted);

            const auto error = document.getLastError();
            if (accepted || c.error == kept)
                EXPECT_EQ (error, accepted && operation > 0 ? "" : expected[4]);
            else
                EXPECT_TRUE (error != expected[4] && error.contains (c.error)) << error;

            expected.set (4, error);
            expected.set (1, operation == 0 ? "" : expected[1]);
            if (accepted && operation < 2)
            {
                EXPECT_TRUE (juce::ValueTree::fromXml (document.toXmlString()).isEquivalentTo (juce::ValueTree::fromXml (c.text)));
                expected = juce::StringArray (stateOf (document)[0], operation == 0 ? file.getFullPathName() : "",
                                              operation == 0 ? "row.mappings" : "unnamed.mappings", "unchanged", error);
            }
            EXPECT_EQ (stateOf (document), expected);
        }
    }

    done.signal();
    rescuer.join();
}

// The document's own text, taken back, gives the same text, and the properties stand in their
// places as text; a new document then resets everything but the last error.
TEST (ControllerDocument, OwnTextTakenBackIsTheSameDocumentWithoutAFile)
{
    TestHelpers::TemporaryFolder folder;
    ControllerDocument document;
    prepare (document, folder);
    document.setModel ("Twister \"Pro\" <2> & more");
    document.setManufacturer (juce::String (juce::CharPointer_UTF8 ("Gr\xc3\xb6\xc3\x9f" "e \xe2\x99\xaa")));
    document.setVersion ("2.0");
    document.setPublisher ("Me");
    document.setMacDevice ("Line one\nLine two\tend");
    EXPECT_EQ (xmlOf (document.getMappings().getParent().getChildWithName ("properties")),
               "<properties Model=\"Twister &quot;Pro&quot; &lt;2&gt; &amp; more\" Manufacturer=\"Gr&#246;&#223;e &#9834;\" Version=\"2.0\" "
               "Publisher=\"Me\" MacDevice=\"Line one&#10;Line two&#9;end\"/>");

    const auto text = document.toXmlString();
    document.loadFromXmlText (text);
    EXPECT_EQ (document.toXmlString(), text);
    EXPECT_EQ (stateOf (document), juce::StringArray (juce::String (text.hashCode64()), "", "unnamed.mappings", "unchanged", ""));
    EXPECT_EQ (document.getModel() + document.getManufacturer() + document.getVersion() + document.getPublisher() + document.getMacDevice(),
               juce::String (juce::CharPointer_UTF8 ("Twister \"Pro\" <2> & moreGr\xc3\xb6\xc3\x9f" "e \xe2\x99\xaa" "2.0MeLine one\nLine two\tend")));

    document.loadFromXmlText ("<!DOCTYPE main><main/>");
    const auto error = document.getLastError();
    document.newDocument();
    EXPECT_EQ (stateOf (document), juce::StringArray (stateOf (document)[0], "", "unnamed.mappings", "unchanged", error));
    EXPECT_EQ (listOf (document, "input-mappings").getNumChildren(), 0);
}

//==============================================================================
TEST (ControllerDocument, MappingsGoToTheListTheirChildrenChooseAndOnlyNewOnesMarkTheChange)
{
    ControllerDocument document;
    auto inputs = listOf (document, "input-mappings"), outputs = listOf (document, "output-mappings");
    auto pasted = [] (const char* alias, const char* preset) { return juce::ValueTree::fromXml (juce::String ("<mapping><events><midi/></events><controls><control alias=\"")
                                                                                               + alias + "\"/></controls>" + preset + "</mapping>"); };

    // "events" with "preset" goes to the inputs, the element itself, at the index; "control" to the outputs.
    auto a = pasted ("a", "<preset/>"), b = pasted ("b", "<preset/>"), c = pasted ("c", "<preset/>");
    auto output = juce::ValueTree::fromXml ("<thing><control alias=\"x\"/></thing>");
    EXPECT_TRUE (document.addMapping (a, -1) == a && document.addMapping (b, 0) == b && document.addMapping (c, 99) == c);
    EXPECT_TRUE (document.addMapping (output, 5) == output && outputs.getChild (0) == output);
    EXPECT_TRUE (inputs.getChild (0) == b && inputs.getChild (1) == a && inputs.getChild (2) == c);

    // "events" without "preset" (as a new input mapping is made), neither, or nothing: not added.
    for (auto rejected : { pasted ("d", ""), juce::ValueTree::fromXml ("<mapping><midi/></mapping>"), juce::ValueTree() })
        EXPECT_FALSE (document.addMapping (rejected, -1).isValid());

    EXPECT_EQ (inputs.getNumChildren() + outputs.getNumChildren(), 4);
    EXPECT_FALSE (document.hasChangedSinceSaved());

    auto input = document.createInputMapping ("mixer.crossfader");
    EXPECT_TRUE (document.hasChangedSinceSaved());
    EXPECT_EQ (inputs.indexOf (input), 3);
    EXPECT_EQ (xmlOf (input), "<mapping><events><midi type=\"CC\" parameter=\"0x01\" channel=\"0x01\"/></events>"
                              "<controls><control alias=\"mixer.crossfader\"/></controls></mapping>");

    juce::ValueTree anything ("whatever");
    EXPECT_TRUE (document.addOutputMapping (anything) == anything && outputs.getChild (1) == anything);

    for (auto [type, value] : { std::pair<const char*, const char*> { "Logic", "true" }, { "Trigger", "true" }, { "Integer", "%" }, { "", "%" }, { "logic", "%" } })
    {
        ControllerDocument fresh;
        auto created = fresh.createOutputMapping ("deck.a.play", type);
        EXPECT_TRUE (fresh.hasChangedSinceSaved() && created.getParent() == listOf (fresh, "output-mappings")) << type;
        EXPECT_EQ (xmlOf (created), "<mapping><control alias=\"deck.a.play\" value=\"" + juce::String (value) + "\"/><midi type=\"CC\" parameter=\"0x01\" channel=\"0x01\"/></mapping>");
    }

    // A document without "properties", "mappings" or the lists: setters and appends do nothing.
    document.loadFromXmlText (minimalController);
    const auto before = document.toXmlString();
    document.setModel ("ignored");
    EXPECT_TRUE (document.createInputMapping ("a").isValid() && document.createOutputMapping ("b", "Logic").isValid());
    EXPECT_FALSE (document.addMapping (pasted ("c", "<preset/>"), -1).getParent().isValid());
    EXPECT_EQ (document.getModel(), "");
    EXPECT_TRUE (document.hasChangedSinceSaved());
    EXPECT_EQ (document.toXmlString(), before);
}

//==============================================================================
TEST (ControllerDocumentFile, WrittenFileIsSevenBitCrLfTextThatReadsBackByteForByte)
{
    TestHelpers::TemporaryFolder folder;
    ControllerDocument document;
    document.loadFromXmlText ("<main><version/>"); // a last error, which saving and loading keep
    const auto error = document.getLastError();
    const juce::String model (juce::CharPointer_UTF8 ("Contr\xc3\xb4leur \xf0\x9f\x8e\x9b <&> \"q\" '\t\r\n\\"));
    document.setModel (model);
    document.createInputMapping ("deck.a.play");
    EXPECT_FALSE (document.save()); // no file yet

    auto file = folder.getChildFile ("My Controller.mappings");
    ASSERT_TRUE (document.saveAs (file));
    EXPECT_EQ (stateOf (document), juce::StringArray (stateOf (document)[0], file.getFullPathName(), "My Controller.mappings", "unchanged", error));
    juce::MemoryBlock bytes;
    ASSERT_TRUE (file.loadFileAsData (bytes));
    const auto text = bytes.toString();
    EXPECT_EQ (text, document.toXmlString());
    EXPECT_TRUE (std::all_of (bytes.begin(), bytes.end(), [] (char c) { return c > 0 && c != '\t'; }));
    EXPECT_TRUE (text.endsWith ("\r\n") && ! text.replace ("\r\n", "").containsAnyOf ("\r\n")) << "a lone CR or LF";

    ControllerDocument reread;
    ASSERT_TRUE (reread.loadFrom (file));
    EXPECT_EQ (reread.getModel(), model);

    // The test file is in the writer's format (header, CR LF, indents of two, lines wrapped at 60),
    // held as text (numbers too) and written back unchanged.
    ASSERT_TRUE (document.loadFrom (testFile()));
    EXPECT_EQ (stateOf (document), juce::StringArray (stateOf (document)[0], testFile().getFullPathName(), "two_mappings.mappings", "unchanged", error));
    EXPECT_EQ (document.toXmlString(), testFile().loadFileAsString());
    EXPECT_TRUE (document.getMappings().getParent().getParent().getChild (0)["major"].isString());
    EXPECT_EQ (document.getIcon().getWidth(), 4);

    // save writes to the adopted file, leaving no temporary file beside it.
    auto copy = folder.getChildFile ("copy.mappings");
    ASSERT_TRUE (document.saveAs (copy));
    document.createInputMapping ("deck.b.play");
    ASSERT_TRUE (document.save());
    EXPECT_EQ (copy.loadFileAsString(), document.toXmlString());
    EXPECT_FALSE (document.hasChangedSinceSaved());
    EXPECT_EQ (numberOfFilesIn (folder), 2);
}

//==============================================================================
// Saving over what stands at the path: a link keeps pointing at its file, which gets the new text
// and keeps its permissions. What may not be replaced, and a write that fails (a full disk),
// leave the document, the old file and the folder as they were, and the save error says why.
TEST (ControllerDocumentFile, SaveWritesThroughLinksKeepsPermissionsAndOtherwiseChangesNothing)
{
    TestHelpers::TemporaryFolder folder;
    auto plain = [&] (const char* name, mode_t mode)
    {
        auto file = folder.getChildFile (name);
        EXPECT_TRUE (file.replaceWithText ("old content") && chmod (file.getFullPathName().toRawUTF8(), mode) == 0);
        return file;
    };
    auto link = [&] (const char* name, const juce::File& to)
    {
        auto file = folder.getChildFile (name);
        EXPECT_TRUE (to.createSymbolicLink (file, true));
        return file;
    };

    const auto fifo = folder.getChildFile ("pipe.mappings"), loop = folder.getChildFile ("loop.mappings");
    EXPECT_EQ (mkfifo (fifo.getFullPathName().toRawUTF8(), 0600), 0);
    link ("loop.mappings", link ("loop2.mappings", loop));
    const auto readOnly = plain ("readonly.mappings", 0444), linked = plain ("linked.mappings", 0600), plainFile = plain ("plain", 0600);
    const auto dangling = folder.getChildFile ("new.mappings"), emptyFolder = folder.getChildFile ("folder.mappings");
    EXPECT_TRUE (emptyFolder.createDirectory());

    const struct { const char* what; juce::File path, target; const char* errorContains; bool fullDisk = false; } cases[] = {
        { "private file", plain ("private.mappings", 0600), {}, nullptr }, // nullptr: written
        { "group-readable file", plain ("group.mappings", 0640), {}, nullptr },
        { "link to a private file", link ("link.mappings", linked), linked, nullptr },
        { "chain of links", link ("chain.mappings", folder.getChildFile ("link.mappings")), linked, nullptr },
        { "dangling link", link ("dangling.mappings", dangling), dangling, nullptr },
        { "read-only file", readOnly, {}, "read-only" },
        { "link to a read-only file", link ("readonly link.mappings", readOnly), readOnly, "read-only" },
        { "loop of links", loop, {}, "symbolic links" },
        { "named pipe", fifo, {}, "device, pipe" },
        { "empty folder", emptyFolder, {}, "folder" },
        { "inside a plain file", plainFile.getChildFile ("x.mappings"), plainFile, "" },
        { "full disk", folder.getChildFile ("current.mappings"), {}, "written", true },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        ControllerDocument document;
        prepare (document, folder);
        const auto target = c.target == juce::File() ? c.path : c.target;
        const auto before = stateOf (document);
        const juce::String oldText = S_ISREG (modeOf (target)) ? target.loadFileAsString() : "";
        const auto oldMode = modeOf (target);
        const auto files = numberOfFilesIn (folder);

        // A full disk is played by a bound on the size of written files (as root, a folder
        // without write permission would still be written).
        rlimit original {}, limited {};
        getrlimit (RLIMIT_FSIZE, &original);
        limited = { 512, original.rlim_max };
        auto previousHandler = std::signal (SIGXFSZ, SIG_IGN);
        EXPECT_EQ (setrlimit (RLIMIT_FSIZE, c.fullDisk ? &limited : &original), 0);
        const bool written = document.saveAs (c.path);
        setrlimit (RLIMIT_FSIZE, &original);
        std::signal (SIGXFSZ, previousHandler);

        ASSERT_EQ (written, c.errorContains == nullptr) << document.getSaveError();
        EXPECT_TRUE (oldMode == 0 || modeOf (target) == oldMode) << std::oct << modeOf (target);

        if (written)
        {
            EXPECT_TRUE (document.getSaveError().isEmpty());
            EXPECT_EQ (target.loadFileAsString(), document.toXmlString());
            EXPECT_EQ (stateOf (document), juce::StringArray (before[0], c.path.getFullPathName(), c.path.getFileName(), "unchanged", before[4]));
        }
        else
        {
            EXPECT_TRUE (document.getSaveError().contains (c.errorContains) && document.getSaveError().isNotEmpty()) << document.getSaveError();
            EXPECT_EQ (stateOf (document), before);
            EXPECT_EQ (S_ISREG (oldMode) ? target.loadFileAsString() : "", oldText);
            EXPECT_EQ (numberOfFilesIn (folder), files);
        }
    }
}
