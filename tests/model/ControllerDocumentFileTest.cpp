#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "model/ControllerDocument.h"
#include "model/XmlGuard.h"
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

    /** Everything the state table speaks of, to compare before and after an operation. */
    struct State
    {
        explicit State (const ControllerDocument& document)
            : text (document.toXmlString()), path (document.getFilePath()), name (document.getName()),
              changed (document.hasChangedSinceSaved()), error (document.getLastError())
        {
        }

        juce::String text, path, name;
        bool changed;
        juce::String error;
    };

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
    template <typename Action>
    void withFileSizeLimit (rlim_t maxBytes, Action action)
    {
        rlimit original {};
        ASSERT_EQ (getrlimit (RLIMIT_FSIZE, &original), 0);
        auto previousHandler = std::signal (SIGXFSZ, SIG_IGN);

        rlimit limited = original;
        limited.rlim_cur = maxBytes;
        ASSERT_EQ (setrlimit (RLIMIT_FSIZE, &limited), 0);

        action();

        setrlimit (RLIMIT_FSIZE, &original);
        std::signal (SIGXFSZ, previousHandler);
    }
}

//==============================================================================
TEST (ControllerDocumentFile, SaveWithoutAPathWritesNothing)
{
    TestHelpers::TemporaryFolder folder;
    ControllerDocument document;
    document.createInputMapping ("deck.a.play");
    State before (document);

    EXPECT_FALSE (document.save());

    State after (document);
    EXPECT_EQ (after.text, before.text);
    EXPECT_TRUE (after.path.isEmpty());
    EXPECT_EQ (after.name, "unnamed.mappings");
    EXPECT_TRUE (after.changed);
    EXPECT_EQ (folder.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);
}

TEST (ControllerDocumentFile, SaveAsWritesTheTreeAndAdoptsTheFile)
{
    TestHelpers::TemporaryFolder folder;
    ControllerDocument document;
    document.loadFromXmlText ("<main><version/>");
    auto error = document.getLastError();
    document.createOutputMapping ("deck.a.play", "Logic");

    auto file = folder.getChildFile ("My Controller.mappings");
    ASSERT_TRUE (document.saveAs (file));
    EXPECT_EQ (document.getFilePath(), file.getFullPathName());
    EXPECT_EQ (document.getName(), "My Controller.mappings");
    EXPECT_FALSE (document.hasChangedSinceSaved());
    EXPECT_EQ (document.getLastError(), error);

    // The file is the tree: the same text, and read back it is the same document.
    EXPECT_EQ (bytesOf (file), bytesOf (document.toXmlString()));
    ControllerDocument reread;
    ASSERT_TRUE (reread.loadFrom (file));
    EXPECT_EQ (reread.toXmlString(), document.toXmlString());
    EXPECT_EQ (countOf (reread, "output-mappings"), 1);

    // save writes to the adopted file; a later saveAs moves on to the new one.
    document.setModel ("Twister");
    document.createInputMapping ("deck.b.play");
    ASSERT_TRUE (document.save());
    EXPECT_FALSE (document.hasChangedSinceSaved());
    EXPECT_EQ (bytesOf (file), bytesOf (document.toXmlString()));

    auto other = folder.getChildFile ("copy.mappings");
    ASSERT_TRUE (document.saveAs (other));
    EXPECT_EQ (document.getFilePath(), other.getFullPathName());
    EXPECT_EQ (document.getName(), "copy.mappings");
    EXPECT_EQ (bytesOf (other), bytesOf (file));

    // No temporary files are left beside the targets.
    EXPECT_EQ (folder.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 2);
}

TEST (ControllerDocumentFile, FileTextIsTheWriterFormatByteForByte)
{
    const juce::String data = "300." + juce::String::repeatedString ("Ab+.", 100);
    const juce::String input = juce::String (juce::CharPointer_UTF8 (
        "<main><version major=\"1\" minor=\"0\"/><controller kind=\"midi\"><id ID=\"0123456789abcdef0123456789abcdef\"/>"
        "<properties Model=\"Twister &amp; Co\" Manufacturer=\"Gr\xc3\xb6\xc3\x9f" "e \xe2\x99\xaa\" Version=\"1.0\""
        " Publisher='a\"b&lt;c>d' MacDevice=\"line1&#10;line2\"/>"))
        + "<icon Data=\"" + data + "\"/>"
        "<mappings><input-mappings><mapping><events><midi type=\"CC\" parameter=\"0x10\" channel=\"0x01\"/></events>"
        "<controls><control alias=\"player.1.play\"/></controls><preset name=\"Toggle\"/></mapping></input-mappings>"
        "<output-mappings/></mappings></controller></main>";

    const juce::String expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "\r\n"
        "<main>\r\n"
        "  <version major=\"1\" minor=\"0\"/>\r\n"
        "  <controller kind=\"midi\">\r\n"
        "    <id ID=\"0123456789abcdef0123456789abcdef\"/>\r\n"
        "    <properties Model=\"Twister &amp; Co\" Manufacturer=\"Gr&#246;&#223;e &#9834;\"\r\n"
        "                Version=\"1.0\" Publisher=\"a&quot;b&lt;c&gt;d\" MacDevice=\"line1&#10;line2\"/>\r\n"
        "    <icon Data=\"" + data + "\"/>\r\n"
        "    <mappings>\r\n"
        "      <input-mappings>\r\n"
        "        <mapping>\r\n"
        "          <events>\r\n"
        "            <midi type=\"CC\" parameter=\"0x10\" channel=\"0x01\"/>\r\n"
        "          </events>\r\n"
        "          <controls>\r\n"
        "            <control alias=\"player.1.play\"/>\r\n"
        "          </controls>\r\n"
        "          <preset name=\"Toggle\"/>\r\n"
        "        </mapping>\r\n"
        "      </input-mappings>\r\n"
        "      <output-mappings/>\r\n"
        "    </mappings>\r\n"
        "  </controller>\r\n"
        "</main>\r\n";

    ControllerDocument document;
    document.loadFromXmlText (input);
    ASSERT_TRUE (document.getLastError().isEmpty()) << document.getLastError();
    EXPECT_EQ (document.toXmlString(), expected);

    TestHelpers::TemporaryFolder folder;
    auto file = folder.getChildFile ("format.mappings");
    ASSERT_TRUE (document.saveAs (file));
    EXPECT_EQ (bytesOf (file), bytesOf (expected));
}

TEST (ControllerDocumentFile, FileWrittenByTheEditorIsWrittenBackUnchanged)
{
    auto source = dataFile ("two_mappings.mappings");
    ControllerDocument document;
    ASSERT_TRUE (document.loadFrom (source));
    EXPECT_EQ (countOf (document, "input-mappings"), 1);
    EXPECT_EQ (countOf (document, "output-mappings"), 1);

    EXPECT_EQ (bytesOf (document.toXmlString()), bytesOf (source));

    TestHelpers::TemporaryFolder folder;
    auto copy = folder.getChildFile ("copy.mappings");
    ASSERT_TRUE (document.saveAs (copy));
    EXPECT_EQ (bytesOf (copy), bytesOf (source));
}

TEST (ControllerDocumentFile, IndependentReaderFindsWellFormedSevenBitTextWithCrLf)
{
    TestHelpers::TemporaryFolder folder;
    ControllerDocument document;
    document.setModel (juce::String (juce::CharPointer_UTF8 ("Contr\xc3\xb4leur \xe2\x80\x9c" "DJ\xe2\x80\x9d <&> \"quoted\"")));
    document.setPublisher ("tab\there\r\nand a line break; apostrophe ' and backslash \\");
    document.setMacDevice (juce::String (juce::CharPointer_UTF8 ("\xf0\x9f\x8e\x9b MIDI")));
    document.createInputMapping ("deck.a.play");
    document.createOutputMapping ("deck.a.cue", "Trigger");
    document.addMapping (juce::ValueTree::fromXml (inputMappingText (5)), -1);
    document.addOutputMapping (juce::ValueTree::fromXml (outputMappingText (7)));

    auto file = folder.getChildFile ("checked.mappings");
    ASSERT_TRUE (document.saveAs (file));

    juce::StringArray command;
    command.add ("xmllint");
    command.add ("--noout");
    command.add (file.getFullPathName());

    juce::ChildProcess xmllint;
    ASSERT_TRUE (xmllint.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        << "xmllint (Debian package libxml2-utils) is needed";
    auto report = xmllint.readAllProcessOutput();
    EXPECT_EQ (xmllint.getExitCode(), 0u) << report;
    EXPECT_TRUE (report.isEmpty()) << report;

    auto bytes = bytesOf (file);
    auto* data = static_cast<const juce::uint8*> (bytes.getData());
    ASSERT_GT (bytes.getSize(), 2u);
    size_t lines = 0;

    for (size_t i = 0; i < bytes.getSize(); ++i)
    {
        ASSERT_LT (data[i], 0x80) << "byte " << i;
        ASSERT_NE (data[i], '\t') << "byte " << i;

        if (data[i] == '\n')
        {
            ASSERT_GT (i, 0u);
            ASSERT_EQ (data[i - 1], '\r') << "line end at byte " << i;
            ++lines;
        }
        else if (data[i] == '\r')
        {
            ASSERT_LT (i + 1, bytes.getSize());
            ASSERT_EQ (data[i + 1], '\n') << "lone CR at byte " << i;
        }
    }

    EXPECT_EQ (data[bytes.getSize() - 1], '\n');
    EXPECT_GT (lines, 20u);

    // And the texts come back as they were.
    ControllerDocument reread;
    ASSERT_TRUE (reread.loadFrom (file));
    EXPECT_EQ (reread.getModel(), document.getModel());
    EXPECT_EQ (reread.getPublisher(), document.getPublisher());
    EXPECT_EQ (reread.getMacDevice(), document.getMacDevice());
}

//==============================================================================
TEST (ControllerDocumentFile, AcceptedFileFollowsTheStateTable)
{
    TestHelpers::TemporaryFolder folder;
    ControllerDocument document;
    document.createInputMapping ("deck.a.play");
    document.loadFromXmlText ("<main><version/>");
    auto error = document.getLastError();

    auto file = folder.getChildFile ("loaded.mappings");
    ASSERT_TRUE (dataFile ("two_mappings.mappings").copyFileTo (file));
    ASSERT_TRUE (document.loadFrom (file));

    EXPECT_EQ (document.getFilePath(), file.getFullPathName());
    EXPECT_EQ (document.getName(), "loaded.mappings");
    EXPECT_FALSE (document.hasChangedSinceSaved());
    EXPECT_EQ (document.getLastError(), error);
    EXPECT_EQ (document.getModel(), "Twister");
    EXPECT_EQ (document.getMacDevice(), "Twister MIDI 1");
    EXPECT_EQ (document.getIcon().getWidth(), 4);

    // Loading the same file twice gives equal trees.
    ControllerDocument again;
    ASSERT_TRUE (again.loadFrom (file));
    auto controller = document.getMappings().getParent();
    EXPECT_TRUE (again.getMappings().getParent().getParent().isEquivalentTo (controller.getParent()));

    // After a load every number is held as text, the version numbers too.
    auto version = controller.getParent().getChildWithName ("version");
    EXPECT_TRUE (version["major"].isString());
    EXPECT_EQ (version["major"].toString(), "1");
    EXPECT_TRUE (version["minor"].isString());

    auto input = document.getMappings().getChildWithName ("input-mappings").getChild (0);
    auto event = input.getChildWithName ("events").getChild (0);
    EXPECT_TRUE (event["parameter"].isString());
    EXPECT_EQ (event["parameter"].toString(), "0x10");

    auto output = document.getMappings().getChildWithName ("output-mappings").getChild (0);
    auto message = output.getChild (2);
    EXPECT_TRUE (message["parameter"].isString());
    EXPECT_EQ (message["parameter"].toString(), "60");
    EXPECT_TRUE (message["duration"].isString());
    EXPECT_EQ (message["duration"].toString(), "250");
}

TEST (ControllerDocumentFile, RefusedFilesKeepTheMappingsButLoseThePath)
{
    TestHelpers::TemporaryFolder folder;

    const juce::String good = dataFile ("two_mappings.mappings").loadFileAsString();
    ASSERT_TRUE (good.contains ("kind=\"midi\""));

    auto writeBytes = [&] (const juce::String& name, const void* data, size_t size)
    {
        auto file = folder.getChildFile (name);

        if (size == 0)
            EXPECT_TRUE (file.create()); // replaceWithData would delete the file instead
        else
            EXPECT_TRUE (file.replaceWithData (data, size));

        EXPECT_TRUE (file.existsAsFile());
        return file;
    };

    auto writeText = [&] (const juce::String& name, const juce::String& text)
    {
        return writeBytes (name, text.toRawUTF8(), text.getNumBytesAsUTF8());
    };

    juce::MemoryBlock garbage (4096);
    juce::Random random (77);

    for (size_t i = 0; i < garbage.getSize(); ++i)
        garbage[i] = (char) random.nextInt (256);

    juce::MemoryBlock invalidUtf8Bytes (good.toRawUTF8(), good.getNumBytesAsUTF8());
    {
        auto at = good.indexOf ("Twister");
        ASSERT_GT (at, 0);
        static_cast<char*> (invalidUtf8Bytes.getData())[at + 3] = (char) 0xff;
    }

    auto deep = "<main><version/><controller kind=\"midi\">" + juce::String::repeatedString ("<a>", 100000)
              + juce::String::repeatedString ("</a>", 100000) + "</controller></main>";

    // Larger than any mappings file can sensibly be: refused before it is read (the file is
    // sparse, so it costs no disk space).
    auto huge = folder.getChildFile ("huge.mappings");
    {
        juce::FileOutputStream out (huge);
        ASSERT_TRUE (out.openedOk());
        ASSERT_TRUE (out.setPosition (257 * 1024 * 1024));
        out << "<main/>";
    }

    // Small enough to be read, but with more elements than a document may hold.
    auto emptyElements = folder.getChildFile ("elements.mappings");
    {
        juce::FileOutputStream out (emptyElements);
        ASSERT_TRUE (out.openedOk());
        const auto chunk = juce::String::repeatedString ("<x/>", 1000000);
        out << "<main><version/><controller kind=\"midi\"/>";

        for (int i = 0; i < 5; ++i)
            out << chunk;

        out << "</main>";
    }

    auto directory = folder.getChildFile ("a folder.mappings");
    ASSERT_TRUE (directory.createDirectory());

    auto fifo = folder.getChildFile ("pipe.mappings");
    ASSERT_EQ (mkfifo (fifo.getFullPathName().toRawUTF8(), 0600), 0);

    auto loop = folder.getChildFile ("loop.mappings");
    ASSERT_TRUE (folder.getChildFile ("other.mappings").createSymbolicLink (loop, true));
    ASSERT_TRUE (loop.createSymbolicLink (folder.getChildFile ("other.mappings"), true));

    auto overlong = good.toStdString(); // "/" written in an overlong form, which decodes to "/"
    overlong.replace (overlong.find ("Twister"), 7, "Twi\xc0\xafter");

    struct Case
    {
        const char* what;
        juce::File file;
        const char* errorContains; // nullptr: the last error stays as it was
    };

    const Case cases[] = {
        { "missing file", folder.getChildFile ("missing.mappings"), "does not exist" },
        { "directory", directory, "folder" },
        { "symbolic link loop", loop, "symbolic links" },
        { "endless device", juce::File ("/dev/zero"), "device, pipe" },
        { "random device", juce::File ("/dev/urandom"), "device, pipe" },
        { "named pipe", fifo, "device, pipe" },
        { "empty file", writeText ("empty.mappings", {}), "not enough input" },
        { "binary garbage", writeBytes ("garbage.mappings", garbage.getData(), garbage.getSize()), "" },
        { "plain text", writeText ("text.mappings", "These are not the mappings you are looking for."), "No XML element" },
        { "broken XML", writeText ("broken.mappings", good.substring (0, good.length() / 2)), "" },
        { "kind MIDI", writeText ("upper.mappings", good.replace ("kind=\"midi\"", "kind=\"MIDI\"")), nullptr },
        { "kind missing", writeText ("nokind.mappings", good.replace ("kind=\"midi\"", "")), nullptr },
        { "no version", writeText ("noversion.mappings", good.replace ("<version major=\"1\" minor=\"0\"/>", "")), nullptr },
        { "invalid UTF-8", writeBytes ("utf8.mappings", invalidUtf8Bytes.getData(), invalidUtf8Bytes.getSize()), "UTF-8" },
        { "overlong UTF-8", writeBytes ("overlong.mappings", overlong.data(), overlong.size()), "UTF-8" },
        { "deep nesting", writeText ("deep.mappings", deep), "too deep" },
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
        State before (document);

        const auto start = juce::Time::getMillisecondCounterHiRes();
        EXPECT_FALSE (document.loadFrom (c.file));
        EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 10000.0);

        State after (document);
        EXPECT_EQ (after.text, before.text);
        EXPECT_TRUE (after.path.isEmpty());
        EXPECT_EQ (after.name, before.name);
        EXPECT_EQ (after.changed, before.changed);
        EXPECT_EQ (countOf (document, "input-mappings"), 2);

        if (c.errorContains == nullptr)
        {
            EXPECT_EQ (after.error, before.error);
        }
        else
        {
            EXPECT_NE (after.error, before.error);
            EXPECT_TRUE (after.error.isNotEmpty());
            EXPECT_TRUE (after.error.contains (c.errorContains)) << after.error;
        }
    }

    done.signal();
    rescuer.join();
    EXPECT_TRUE (directory.isDirectory());
}

TEST (ControllerDocumentFile, FiftyMegabyteFileOfMappingsLoads)
{
    TestHelpers::TemporaryFolder folder;
    auto file = folder.getChildFile ("large.mappings");
    constexpr size_t targetSize = 50 * 1024 * 1024;
    int inputs = 0, outputs = 0;

    {
        juce::FileOutputStream out (file);
        ASSERT_TRUE (out.openedOk());
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<main>\r\n<version major=\"1\" minor=\"0\"/>\r\n"
               "<controller kind=\"midi\"><id ID=\"0123456789abcdef0123456789abcdef\"/>"
               "<properties Model=\"Large\" Manufacturer=\"\" Version=\"1.0\" Publisher=\"\"/><icon Data=\"\"/>"
               "<mappings>\r\n<input-mappings>\r\n";

        while ((size_t) out.getPosition() < targetSize / 2)
            out << inputMappingText (inputs++);

        out << "</input-mappings>\r\n<output-mappings>\r\n";

        while ((size_t) out.getPosition() < targetSize)
            out << outputMappingText (outputs++);

        out << "</output-mappings>\r\n</mappings></controller>\r\n</main>\r\n";
    }

    ASSERT_GE ((size_t) file.getSize(), targetSize);

    ControllerDocument document;
    auto start = juce::Time::getMillisecondCounterHiRes();
    ASSERT_TRUE (document.loadFrom (file)) << document.getLastError();
    auto elapsed = juce::Time::getMillisecondCounterHiRes() - start;

    // The nesting check's share of it
    auto text = file.loadFileAsString();
    start = juce::Time::getMillisecondCounterHiRes();
    EXPECT_FALSE (XmlGuard::isNestedDeeperThan (text, XmlGuard::maxNestingDepth));
    auto walk = juce::Time::getMillisecondCounterHiRes() - start;

    std::cout << "[ timing   ] loading " << file.getSize() << " bytes (" << inputs << " input and " << outputs
              << " output mappings) took " << juce::roundToInt (elapsed) << " ms, of which the nesting check "
              << juce::roundToInt (walk) << " ms" << std::endl;
    ::testing::Test::RecordProperty ("loadMilliseconds", juce::roundToInt (elapsed));

    EXPECT_EQ (countOf (document, "input-mappings"), inputs);
    EXPECT_EQ (countOf (document, "output-mappings"), outputs);
    auto last = document.getMappings().getChildWithName ("output-mappings").getChild (outputs - 1);
    EXPECT_EQ (last.getChild (0)["alias"].toString(), "deck." + juce::String (outputs - 1) + ".cue");
    EXPECT_EQ (document.getName(), "large.mappings");
    EXPECT_LT (elapsed, 60000.0);
}

//==============================================================================
TEST (ControllerDocumentFile, SaveThatCannotWriteChangesNothing)
{
    TestHelpers::TemporaryFolder folder;

    auto expectNothingChanged = [] (const ControllerDocument& document, const State& before)
    {
        State after (document);
        EXPECT_EQ (after.text, before.text);
        EXPECT_EQ (after.path, before.path);
        EXPECT_EQ (after.name, before.name);
        EXPECT_EQ (after.changed, before.changed);
        EXPECT_EQ (after.error, before.error);
    };

    ControllerDocument document;
    auto current = prepareEditedDocument (document, folder);
    auto currentBytes = bytesOf (current);
    State before (document);

    // A folder that is really a file: nothing can be made inside it.
    auto plainFile = folder.getChildFile ("plain");
    ASSERT_TRUE (plainFile.replaceWithText ("not a folder"));
    EXPECT_FALSE (document.saveAs (plainFile.getChildFile ("x.mappings")));
    expectNothingChanged (document, before);

    // A folder standing where the file should go, empty or not, is left alone.
    auto emptyFolder = folder.getChildFile ("empty.mappings");
    ASSERT_TRUE (emptyFolder.createDirectory());
    EXPECT_FALSE (document.saveAs (emptyFolder));
    EXPECT_TRUE (emptyFolder.isDirectory());
    expectNothingChanged (document, before);

    auto fullFolder = folder.getChildFile ("full.mappings");
    ASSERT_TRUE (fullFolder.getChildFile ("inside.txt").create());
    EXPECT_FALSE (document.saveAs (fullFolder));
    EXPECT_TRUE (fullFolder.getChildFile ("inside.txt").existsAsFile());
    expectNothingChanged (document, before);

    // The document's own file replaced by a folder: save fails the same way.
    auto movedAway = folder.getChildFile ("moved.mappings");
    ASSERT_TRUE (current.moveFileTo (movedAway));
    ASSERT_TRUE (current.createDirectory());
    EXPECT_FALSE (document.save());
    EXPECT_TRUE (current.isDirectory());
    expectNothingChanged (document, before);
    ASSERT_TRUE (current.deleteRecursively());
    ASSERT_TRUE (movedAway.moveFileTo (current));

    // A write that fails halfway (the disk is full) leaves the old file whole and no
    // temporary file behind.
    auto filesBefore = folder.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories);
    ASSERT_GT (document.toXmlString().getNumBytesAsUTF8(), 1024u);

    withFileSizeLimit (512, [&]
    {
        EXPECT_FALSE (document.save());
        EXPECT_FALSE (document.saveAs (current));
    });

    expectNothingChanged (document, before);
    EXPECT_EQ (bytesOf (current), currentBytes);
    EXPECT_EQ (folder.getFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), filesBefore);

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

    struct Case
    {
        const char* what;
        juce::File path;   // what saveAs is given
        juce::File target; // the file that must (not) get the new text
        mode_t mode;       // its permissions afterwards
        const char* errorContains; // nullptr: written
    };

    const auto privateFile = plain ("private.mappings", 0600);
    const auto groupFile = plain ("group.mappings", 0640);
    const auto readOnly = plain ("readonly.mappings", 0444);
    const auto linked = plain ("linked.mappings", 0600);

    const Case cases[] = {
        { "private file", privateFile, privateFile, 0600, nullptr },
        { "group-readable file", groupFile, groupFile, 0640, nullptr },
        { "link to a private file", link ("link.mappings", linked), linked, 0600, nullptr },
        { "chain of links", link ("chain.mappings", folder.getChildFile ("link.mappings")), linked, 0600, nullptr },
        { "dangling link", link ("dangling.mappings", folder.getChildFile ("new.mappings")), folder.getChildFile ("new.mappings"), 0, nullptr },
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
        EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 10000.0);

        EXPECT_EQ (c.path.isSymbolicLink(), wasLink);

        if (c.errorContains == nullptr)
        {
            EXPECT_TRUE (written) << document.getSaveError();
            EXPECT_TRUE (document.getSaveError().isEmpty());
            EXPECT_EQ (c.target.loadFileAsString(), document.toXmlString());
            EXPECT_EQ (document.getFilePath(), c.path.getFullPathName());

            if (c.mode != 0)
            {
                EXPECT_EQ (modeOf (c.target), (unsigned) c.mode);
            }
        }
        else
        {
            EXPECT_FALSE (written);
            EXPECT_TRUE (document.getSaveError().contains (c.errorContains)) << document.getSaveError();
            EXPECT_TRUE (document.getFilePath().isEmpty());
            EXPECT_TRUE (document.hasChangedSinceSaved());

            if (c.mode != 0)
            {
                EXPECT_EQ (modeOf (c.target), (unsigned) c.mode);
            }

            if (c.target.existsAsFile() && c.target != fifo)
            {
                EXPECT_EQ (c.target.loadFileAsString(), oldText);
            }
        }
    }
}
