#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "model/ControllerDocument.h"
#include "support/TestHelpers.h"

// The ".mappings" file: what is written, byte for byte; what is read, and what is refused;
// and what a save that cannot write leaves behind (nothing changed, the old file whole).

namespace
{
    juce::File dataFile (const juce::String& name)
    {
        return juce::File (WIRELACE_SOURCE_DIR).getChildFile ("tests/data").getChildFile (name);
    }

    juce::MemoryBlock bytesOf (const juce::File& file)
    {
        juce::MemoryBlock block;
        file.loadFileAsData (block);
        return block;
    }

    juce::MemoryBlock bytesOf (const juce::String& text)
    {
        return juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8());
    }

    int countOf (const ControllerDocument& document, const char* list)
    {
        return document.getMappings().getChildWithName (list).getNumChildren();
    }

    /** Everything the state table speaks of (the tree by its hash, to keep failures readable). */
    juce::StringArray stateOf (const ControllerDocument& document)
    {
        return { juce::String (document.toXmlString().hashCode64()), document.getFilePath(), document.getName(),
                 document.hasChangedSinceSaved() ? "changed" : "unchanged", document.getLastError() };
    }

    /** A document loaded from a file of the folder and then edited, so that every member has
        a value of its own: a path, a name, the changed flag and a last error. */
    juce::File prepareEditedDocument (ControllerDocument& document, const TestHelpers::TemporaryFolder& folder)
    {
        auto file = folder.getChildFile ("current.mappings");
        EXPECT_TRUE (dataFile ("two_mappings.mappings").copyFileTo (file));
        EXPECT_TRUE (document.loadFrom (file));
        document.createInputMapping ("deck.b.play");
        document.loadFromXmlText ("<!DOCTYPE main><main/>");
        EXPECT_TRUE (document.getLastError().isNotEmpty());
        return file;
    }

    juce::String inputMappingText (int number)
    {
        return "<mapping><events><midi type=\"CC\" parameter=\"0x" + juce::String::toHexString (number % 128)
             + "\" channel=\"0x1\"/></events><controls><control alias=\"deck." + juce::String (number)
             + ".play\"/></controls><preset name=\"Toggle\"><parameters><parameter object=\"invert\" key=\"Invert\" value=\"false\"/>"
               "</parameters></preset></mapping>\r\n";
    }

    juce::String outputMappingText (int number)
    {
        return "<mapping><control alias=\"deck." + juce::String (number) + ".cue\" value=\"true\" modifiers=\"ML1\"/>"
               "<midi loop=\"true\"/><midi type=\"Note\" parameter=\"60\" channel=\"1\" value=\"127\" duration=\"250\"/>"
               "<midi type=\"Note\" parameter=\"0x3c\" channel=\"0x1\" value=\"%\" duration=\"500\"/></mapping>\r\n";
    }

    /** Runs action while the process may write files of at most maxBytes (as root, a folder
        without write permission would still be written, so a full disk is played instead). */
    bool withFileSizeLimit (rlim_t maxBytes, const std::function<bool()>& action)
    {
        rlimit original {};
        getrlimit (RLIMIT_FSIZE, &original);
        auto previousHandler = std::signal (SIGXFSZ, SIG_IGN);
        rlimit limited = original;
        limited.rlim_cur = maxBytes;
        EXPECT_EQ (setrlimit (RLIMIT_FSIZE, &limited), 0);

        const bool result = action();

        setrlimit (RLIMIT_FSIZE, &original);
        std::signal (SIGXFSZ, previousHandler);
        return result;
    }

    int numberOfFilesIn (const TestHelpers::TemporaryFolder& folder)
    {
        return folder.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories);
    }

    double millisecondsSince (double start) { return juce::Time::getMillisecondCounterHiRes() - start; }
}

//==============================================================================
// The file written is the tree's text, which an independent reader (libxml2) finds well formed,
// in 7-bit characters with CR LF line ends, whatever the texts it holds.
TEST (ControllerDocumentFile, SaveNeedsAPathAndSaveAsWritesWellFormedSevenBitTextAndAdoptsTheFile)
{
    TestHelpers::TemporaryFolder folder;
    ControllerDocument document;
    document.loadFromXmlText ("<main><version/>"); // a last error, which saving keeps
    document.setModel (juce::String (juce::CharPointer_UTF8 ("Contr\xc3\xb4leur \xe2\x80\x9c" "DJ\xe2\x80\x9d <&> \"quoted\"")));
    document.setPublisher ("tab\there\r\nand a line break; apostrophe ' and backslash \\");
    document.setMacDevice (juce::String (juce::CharPointer_UTF8 ("\xf0\x9f\x8e\x9b MIDI")));
    document.createInputMapping ("deck.a.play");
    document.createOutputMapping ("deck.a.cue", "Trigger");
    document.addMapping (juce::ValueTree::fromXml (inputMappingText (5)), -1);
    document.addOutputMapping (juce::ValueTree::fromXml (outputMappingText (7)));
    const auto before = stateOf (document);

    EXPECT_FALSE (document.save());
    EXPECT_EQ (stateOf (document), before);
    EXPECT_EQ (numberOfFilesIn (folder), 0);

    auto file = folder.getChildFile ("My Controller.mappings");
    ASSERT_TRUE (document.saveAs (file));
    EXPECT_EQ (stateOf (document), juce::StringArray (before[0], file.getFullPathName(), "My Controller.mappings", "unchanged", before[4]));
    EXPECT_EQ (bytesOf (file), bytesOf (document.toXmlString()));

    juce::ChildProcess xmllint;
    ASSERT_TRUE (xmllint.start (juce::StringArray ("xmllint", "--noout", file.getFullPathName()),
                                juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        << "xmllint (Debian package libxml2-utils) is needed";
    auto report = xmllint.readAllProcessOutput();
    EXPECT_EQ (xmllint.getExitCode(), 0u) << report;
    EXPECT_TRUE (report.isEmpty()) << report;

    const auto bytes = bytesOf (file);
    for (size_t i = 0; i < bytes.getSize(); ++i)
        ASSERT_TRUE ((juce::uint8) bytes[i] < 0x80 && bytes[i] != '\t') << "byte " << i;

    const auto text = bytes.toString();
    const auto withoutLineEnds = text.replace ("\r\n", "");
    EXPECT_TRUE (text.endsWith ("\r\n"));
    EXPECT_FALSE (withoutLineEnds.containsAnyOf ("\r\n")) << "a lone CR or LF";
    EXPECT_GT (text.length() - withoutLineEnds.length(), 40);

    // The texts come back as they were.
    ControllerDocument reread;
    ASSERT_TRUE (reread.loadFrom (file));
    EXPECT_EQ (reread.getModel(), document.getModel());
    EXPECT_EQ (reread.getPublisher(), document.getPublisher());
    EXPECT_EQ (reread.getMacDevice(), document.getMacDevice());

    // save writes to the adopted file; a later saveAs moves on to the new one.
    document.createInputMapping ("deck.b.play");
    ASSERT_TRUE (document.save());
    EXPECT_FALSE (document.hasChangedSinceSaved());
    EXPECT_EQ (bytesOf (file), bytesOf (document.toXmlString()));

    auto other = folder.getChildFile ("copy.mappings");
    ASSERT_TRUE (document.saveAs (other));
    EXPECT_EQ (document.getFilePath(), other.getFullPathName());
    EXPECT_EQ (document.getName(), "copy.mappings");
    EXPECT_EQ (bytesOf (other), bytesOf (file));
    EXPECT_EQ (numberOfFilesIn (folder), 2); // no temporary files left beside the targets
}

// The test file is in the writer's format (header, CR LF, indents of two, lines wrapped at 60),
// so reading and writing it again must give the same bytes.
TEST (ControllerDocumentFile, AcceptedFileIsAdoptedHeldAsTextAndWrittenBackByteForByte)
{
    TestHelpers::TemporaryFolder folder;
    ControllerDocument document;
    document.createInputMapping ("deck.a.play");
    document.loadFromXmlText ("<main><version/>");
    const auto error = document.getLastError();

    auto file = folder.getChildFile ("loaded.mappings");
    ASSERT_TRUE (dataFile ("two_mappings.mappings").copyFileTo (file));
    ASSERT_TRUE (document.loadFrom (file));

    EXPECT_EQ (bytesOf (document.toXmlString()), bytesOf (file));
    EXPECT_EQ (stateOf (document), juce::StringArray (stateOf (document)[0], file.getFullPathName(), "loaded.mappings", "unchanged", error));
    EXPECT_EQ (document.getModel() + "|" + document.getMacDevice(), "Twister|Twister MIDI 1");
    EXPECT_EQ (document.getIcon().getWidth(), 4);

    // Every number is held as text after a load, the version numbers too.
    const auto version = document.getMappings().getRoot().getChildWithName ("version");
    const auto event = document.getMappings().getChildWithName ("input-mappings").getChild (0).getChildWithName ("events").getChild (0);
    const auto message = document.getMappings().getChildWithName ("output-mappings").getChild (0).getChild (2);
    const struct { juce::ValueTree tree; const char* name; const char* text; } numbers[] = {
        { version, "major", "1" }, { version, "minor", "0" }, { event, "parameter", "0x10" },
        { message, "parameter", "60" }, { message, "duration", "250" },
    };

    for (const auto& n : numbers)
    {
        SCOPED_TRACE (n.name);
        EXPECT_TRUE (n.tree[n.name].isString());
        EXPECT_EQ (n.tree[n.name].toString(), n.text);
    }

    auto copy = folder.getChildFile ("copy.mappings");
    ASSERT_TRUE (document.saveAs (copy));
    EXPECT_EQ (bytesOf (copy), bytesOf (file));
}

//==============================================================================
// Each refusal keeps the tree, name and flag, empties the path and, where the file is read
// at all, says why; devices, pipes and enormous files are refused without reading them to the end.
TEST (ControllerDocumentFile, RefusedFilesKeepTheMappingsButLoseThePath)
{
    TestHelpers::TemporaryFolder folder;
    const juce::String good = dataFile ("two_mappings.mappings").loadFileAsString();

    auto write = [&] (const juce::String& name, const juce::MemoryBlock& bytes)
    {
        auto file = folder.getChildFile (name);
        EXPECT_TRUE (bytes.isEmpty() ? file.create() : file.replaceWithData (bytes.getData(), bytes.getSize()));
        return file;
    };

    juce::MemoryBlock garbage (4096);
    juce::Random random (77);
    for (size_t i = 0; i < garbage.getSize(); ++i)
        garbage[i] = (char) random.nextInt (256);

    auto withBytesInTwister = [&] (const char* bytes) // replaces "ist" of "Twister"
    {
        auto block = bytesOf (good);
        block.copyFrom (bytes, good.indexOf ("Twister") + 2, 3);
        return block;
    };

    auto deep = "<main><version/><controller kind=\"midi\">" + juce::String::repeatedString ("<a>", 100000)
              + juce::String::repeatedString ("</a>", 100000) + "</controller></main>";

    // Larger than any mappings file can sensibly be: refused before it is read (the file is
    // sparse, so it costs no disk space).
    auto huge = folder.getChildFile ("huge.mappings");
    {
        juce::FileOutputStream out (huge);
        ASSERT_TRUE (out.setPosition (257 * 1024 * 1024));
        out << "<main/>";
    }

    // Small enough to be read, but with more elements than a document may hold.
    auto emptyElements = folder.getChildFile ("elements.mappings");
    {
        juce::FileOutputStream out (emptyElements);
        out << "<main><version/><controller kind=\"midi\"/>";
        for (int i = 0; i < 5; ++i)
            out << juce::String::repeatedString ("<x/>", 1000000);
        out << "</main>";
    }

    auto directory = folder.getChildFile ("a folder.mappings");
    ASSERT_TRUE (directory.createDirectory());
    auto fifo = folder.getChildFile ("pipe.mappings");
    ASSERT_EQ (mkfifo (fifo.getFullPathName().toRawUTF8(), 0600), 0);
    auto loop = folder.getChildFile ("loop.mappings");
    ASSERT_TRUE (folder.getChildFile ("other.mappings").createSymbolicLink (loop, true));
    ASSERT_TRUE (loop.createSymbolicLink (folder.getChildFile ("other.mappings"), true));

    const struct
    {
        const char* what;
        juce::File file;
        const char* errorContains; // nullptr: the last error stays as it was
    } cases[] = {
        { "missing file", folder.getChildFile ("missing.mappings"), "does not exist" },
        { "directory", directory, "folder" },
        { "symbolic link loop", loop, "symbolic links" },
        { "endless device", juce::File ("/dev/zero"), "device, pipe" },
        { "random device", juce::File ("/dev/urandom"), "device, pipe" },
        { "named pipe", fifo, "device, pipe" },
        { "empty file", write ("empty.mappings", {}), "not enough input" },
        { "binary garbage", write ("garbage.mappings", garbage), "" },
        { "plain text", write ("text.mappings", bytesOf ("These are not the mappings you are looking for.")), "No XML element" },
        { "broken XML", write ("broken.mappings", bytesOf (good.substring (0, good.length() / 2))), "" },
        { "kind MIDI", write ("upper.mappings", bytesOf (good.replace ("kind=\"midi\"", "kind=\"MIDI\""))), nullptr },
        { "kind missing", write ("nokind.mappings", bytesOf (good.replace ("kind=\"midi\"", ""))), nullptr },
        { "no version", write ("noversion.mappings", bytesOf (good.replace ("<version major=\"1\" minor=\"0\"/>", ""))), nullptr },
        { "invalid UTF-8", write ("utf8.mappings", withBytesInTwister ("i\xfft")), "UTF-8" },
        { "overlong UTF-8", write ("overlong.mappings", withBytesInTwister ("i\xc0\xaf")), "UTF-8" }, // "/" in two bytes
        { "deep nesting", write ("deep.mappings", bytesOf (deep)), "too deep" },
        { "huge file", huge, "too large" },
        { "five million elements", emptyElements, "more than 4000000 elements" },
    };

    // Should opening the pipe block, a writer comes after a while and ends the wait, so
    // that the time bound below fails instead of the test hanging.
    juce::WaitableEvent done;
    std::thread rescuer ([&]
    {
        if (! done.wait (30000))
            close (open (fifo.getFullPathName().toRawUTF8(), O_WRONLY));
    });

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        ControllerDocument document;
        prepareEditedDocument (document, folder);
        auto expected = stateOf (document);
        expected.set (1, {});

        const auto start = juce::Time::getMillisecondCounterHiRes();
        EXPECT_FALSE (document.loadFrom (c.file));
        EXPECT_LT (millisecondsSince (start), 10000.0);

        const auto error = document.getLastError();
        if (c.errorContains != nullptr)
        {
            EXPECT_NE (error, expected[4]);
            EXPECT_TRUE (error.isNotEmpty() && error.contains (c.errorContains)) << error;
            expected.set (4, error);
        }

        EXPECT_EQ (stateOf (document), expected);
        EXPECT_EQ (countOf (document, "input-mappings"), 2);
    }

    done.signal();
    rescuer.join();
    EXPECT_TRUE (directory.isDirectory());
}

TEST (ControllerDocumentFile, FiftyMegabyteFileOfMappingsLoads)
{
    TestHelpers::TemporaryFolder folder;
    auto file = folder.getChildFile ("large.mappings");
    constexpr juce::int64 targetSize = 50 * 1024 * 1024;
    int inputs = 0, outputs = 0;

    {
        juce::FileOutputStream out (file);
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<main>\r\n<version major=\"1\" minor=\"0\"/>\r\n"
               "<controller kind=\"midi\"><id ID=\"0123456789abcdef0123456789abcdef\"/>"
               "<properties Model=\"Large\" Manufacturer=\"\" Version=\"1.0\" Publisher=\"\"/><icon Data=\"\"/>"
               "<mappings>\r\n<input-mappings>\r\n";
        while (out.getPosition() < targetSize / 2)
            out << inputMappingText (inputs++);
        out << "</input-mappings>\r\n<output-mappings>\r\n";
        while (out.getPosition() < targetSize)
            out << outputMappingText (outputs++);
        out << "</output-mappings>\r\n</mappings></controller>\r\n</main>\r\n";
    }

    ASSERT_GE (file.getSize(), targetSize);
    ControllerDocument document;
    const auto start = juce::Time::getMillisecondCounterHiRes();
    ASSERT_TRUE (document.loadFrom (file)) << document.getLastError();
    EXPECT_LT (millisecondsSince (start), 60000.0);

    EXPECT_EQ (countOf (document, "input-mappings"), inputs);
    EXPECT_EQ (countOf (document, "output-mappings"), outputs);
    auto last = document.getMappings().getChildWithName ("output-mappings").getChild (outputs - 1);
    EXPECT_EQ (last.getChild (0)["alias"].toString(), "deck." + juce::String (outputs - 1) + ".cue");
    EXPECT_EQ (document.getName(), "large.mappings");
}

//==============================================================================
// A save that cannot write returns false and leaves the document, the old file and the
// folder as they were: no temporary file behind, and what stands in the way untouched.
TEST (ControllerDocumentFile, SaveThatCannotWriteChangesNothing)
{
    TestHelpers::TemporaryFolder folder;
    ControllerDocument document;
    auto current = prepareEditedDocument (document, folder);
    const auto currentBytes = bytesOf (current);
    const auto before = stateOf (document);
    ASSERT_GT (document.toXmlString().getNumBytesAsUTF8(), 1024u);

    auto plainFile = folder.getChildFile ("plain");
    ASSERT_TRUE (plainFile.replaceWithText ("not a folder"));
    auto emptyFolder = folder.getChildFile ("empty.mappings");
    ASSERT_TRUE (emptyFolder.createDirectory());
    auto fullFolder = folder.getChildFile ("full.mappings");
    ASSERT_TRUE (fullFolder.getChildFile ("inside.txt").create());
    const auto filesBefore = numberOfFilesIn (folder);

    const std::pair<const char*, std::function<bool()>> attempts[] = {
        { "inside a plain file", [&] { return document.saveAs (plainFile.getChildFile ("x.mappings")); } },
        { "over an empty folder", [&] { return document.saveAs (emptyFolder); } },
        { "over a folder with a file", [&] { return document.saveAs (fullFolder); } },
        { "its own file replaced by a folder", [&]
          {
              auto movedAway = folder.getChildFile ("moved");
              EXPECT_TRUE (current.moveFileTo (movedAway) && current.createDirectory());
              const bool saved = document.save();
              EXPECT_TRUE (current.isDirectory());
              EXPECT_TRUE (current.deleteRecursively() && movedAway.moveFileTo (current));
              return saved;
          } },
        { "full disk, save", [&] { return withFileSizeLimit (512, [&] { return document.save(); }); } },
        { "full disk, save as", [&] { return withFileSizeLimit (512, [&] { return document.saveAs (current); }); } },
    };

    for (const auto& attempt : attempts)
    {
        SCOPED_TRACE (attempt.first);
        EXPECT_FALSE (attempt.second());
        EXPECT_EQ (stateOf (document), before);
        EXPECT_EQ (bytesOf (current), currentBytes);
        EXPECT_EQ (numberOfFilesIn (folder), filesBefore);
    }

    EXPECT_TRUE (emptyFolder.isDirectory() && fullFolder.getChildFile ("inside.txt").existsAsFile());

    // Once writing works again, so does save.
    EXPECT_TRUE (document.save());
    EXPECT_EQ (bytesOf (current), bytesOf (document.toXmlString()));
    EXPECT_FALSE (document.hasChangedSinceSaved());
}

// Saving over what stands at the path: a link keeps pointing at the file, which gets the new
// text; the old file's permissions stay; what may not be replaced is left untouched.
TEST (ControllerDocumentFile, SaveWritesThroughLinksKeepsPermissionsAndRefusesReadOnlyFiles)
{
    TestHelpers::TemporaryFolder folder;
    const juce::String oldText ("old content");

    auto plain = [&] (const juce::String& name, mode_t mode)
    {
        auto file = folder.getChildFile (name);
        EXPECT_TRUE (file.replaceWithText (oldText));
        EXPECT_EQ (chmod (file.getFullPathName().toRawUTF8(), mode), 0);
        return file;
    };

    auto link = [&] (const juce::String& name, const juce::File& to)
    {
        auto file = folder.getChildFile (name);
        EXPECT_TRUE (to.createSymbolicLink (file, true));
        return file;
    };

    auto modeOf = [] (const juce::File& file)
    {
        struct stat info {};
        return stat (file.getFullPathName().toRawUTF8(), &info) == 0 ? (info.st_mode & 07777) : 0u;
    };

    auto fifo = folder.getChildFile ("pipe.mappings");
    EXPECT_EQ (mkfifo (fifo.getFullPathName().toRawUTF8(), 0600), 0);
    auto loop = folder.getChildFile ("loop.mappings");
    link ("loop2.mappings", loop);
    link ("loop.mappings", folder.getChildFile ("loop2.mappings"));
    const auto readOnly = plain ("readonly.mappings", 0444), linked = plain ("linked.mappings", 0600);
    const auto dangling = folder.getChildFile ("new.mappings");

    const struct
    {
        const char* what;
        juce::File path;   // what saveAs is given
        juce::File target; // the file that must (not) get the new text
        mode_t mode;       // its permissions afterwards, 0: not checked
        const char* errorContains; // nullptr: written
    } cases[] = {
        { "private file", plain ("private.mappings", 0600), folder.getChildFile ("private.mappings"), 0600, nullptr },
        { "group-readable file", plain ("group.mappings", 0640), folder.getChildFile ("group.mappings"), 0640, nullptr },
        { "link to a private file", link ("link.mappings", linked), linked, 0600, nullptr },
        { "chain of links", link ("chain.mappings", folder.getChildFile ("link.mappings")), linked, 0600, nullptr },
        { "dangling link", link ("dangling.mappings", dangling), dangling, 0, nullptr },
        { "read-only file", readOnly, readOnly, 0444, "read-only" },
        { "link to a read-only file", link ("readonly link.mappings", readOnly), readOnly, 0444, "read-only" },
        { "loop of links", loop, loop, 0, "symbolic links" },
        { "named pipe", fifo, fifo, 0600, "device, pipe" },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        ControllerDocument document;
        document.createInputMapping ("deck.a.play");
        const bool wasLink = c.path.isSymbolicLink();

        const auto start = juce::Time::getMillisecondCounterHiRes();
        const bool written = document.saveAs (c.path);
        EXPECT_LT (millisecondsSince (start), 10000.0);
        EXPECT_EQ (c.path.isSymbolicLink(), wasLink);
        EXPECT_EQ (written, c.errorContains == nullptr) << document.getSaveError();
        EXPECT_TRUE (c.mode == 0 || modeOf (c.target) == (unsigned) c.mode) << std::oct << modeOf (c.target);

        if (written)
        {
            EXPECT_TRUE (document.getSaveError().isEmpty());
            EXPECT_EQ (c.target.loadFileAsString(), document.toXmlString());
            EXPECT_EQ (document.getFilePath(), c.path.getFullPathName());
        }
        else
        {
            EXPECT_TRUE (c.errorContains != nullptr && document.getSaveError().contains (c.errorContains)) << document.getSaveError();
            EXPECT_TRUE (document.getFilePath().isEmpty());
            EXPECT_TRUE (document.hasChangedSinceSaved());
            EXPECT_TRUE (! c.target.existsAsFile() || c.target == fifo || c.target.loadFileAsString() == oldText);
        }
    }
}
