#include "model/ControllerDocument.h"

#include <filesystem>
#include <system_error>

#include "model/PictureGuard.h"
#include "model/XmlGuard.h"
#include "resources/Resources.h"

namespace
{
    // Element and attribute names, each made once, on first use.
    namespace Ids
    {
        const juce::Identifier& mainElement()    { static const juce::Identifier id ("main"); return id; }
        const juce::Identifier& version()        { static const juce::Identifier id ("version"); return id; }
        const juce::Identifier& versionMajor()   { static const juce::Identifier id ("major"); return id; }
        const juce::Identifier& versionMinor()   { static const juce::Identifier id ("minor"); return id; }
        const juce::Identifier& controller()     { static const juce::Identifier id ("controller"); return id; }
        const juce::Identifier& kind()           { static const juce::Identifier id ("kind"); return id; }
        const juce::Identifier& id()             { static const juce::Identifier id ("id"); return id; }
        const juce::Identifier& idAttribute()    { static const juce::Identifier id ("ID"); return id; }
        const juce::Identifier& properties()     { static const juce::Identifier id ("properties"); return id; }
        const juce::Identifier& model()          { static const juce::Identifier id ("Model"); return id; }
        const juce::Identifier& manufacturer()   { static const juce::Identifier id ("Manufacturer"); return id; }
        const juce::Identifier& versionText()    { static const juce::Identifier id ("Version"); return id; }
        const juce::Identifier& publisher()      { static const juce::Identifier id ("Publisher"); return id; }
        const juce::Identifier& macDevice()      { static const juce::Identifier id ("MacDevice"); return id; }
        const juce::Identifier& icon()           { static const juce::Identifier id ("icon"); return id; }
        const juce::Identifier& data()           { static const juce::Identifier id ("Data"); return id; }
        const juce::Identifier& mappings()       { static const juce::Identifier id ("mappings"); return id; }
        const juce::Identifier& inputMappings()  { static const juce::Identifier id ("input-mappings"); return id; }
        const juce::Identifier& outputMappings() { static const juce::Identifier id ("output-mappings"); return id; }
        const juce::Identifier& mapping()        { static const juce::Identifier id ("mapping"); return id; }
        const juce::Identifier& events()         { static const juce::Identifier id ("events"); return id; }
        const juce::Identifier& midi()           { static const juce::Identifier id ("midi"); return id; }
        const juce::Identifier& type()           { static const juce::Identifier id ("type"); return id; }
        const juce::Identifier& parameter()      { static const juce::Identifier id ("parameter"); return id; }
        const juce::Identifier& channel()        { static const juce::Identifier id ("channel"); return id; }
        const juce::Identifier& controls()       { static const juce::Identifier id ("controls"); return id; }
        const juce::Identifier& control()        { static const juce::Identifier id ("control"); return id; }
        const juce::Identifier& alias()          { static const juce::Identifier id ("alias"); return id; }
        const juce::Identifier& value()          { static const juce::Identifier id ("value"); return id; }
        const juce::Identifier& preset()         { static const juce::Identifier id ("preset"); return id; }
    }

    const char* const defaultName = "unnamed.mappings";

    /**
        Mapping files hold kilobytes; a file past this size is refused. The largest real one
        carries an icon of 4096 by 4096 pixels that does not compress (90 MB of text, see
        XmlGuard::maxValueLength). With XmlGuard's bound on elements, attributes and texts this
        keeps the memory that loading takes within about 1 GB: the file's text and the copies
        the parser makes of its values (128 MB each), the bytes read (128 MB, released once
        they are text), and at most XmlGuard::maxItems objects of the parsed tree and the
        juce::ValueTree made from it (about 150 bytes each, 600 MB). Values full of references,
        which XmlGuard decodes itself, are held decoded beside a copy of the text in which a
        short stand-in replaces each (128 MB together), and are copied into the tree one at a
        time.
    */
    constexpr juce::int64 maxFileSize = 128 * 1024 * 1024;

    const char* const tooLargeError = "The file is too large to be a mappings file (more than 128 MB)";

    /** How many symbolic links in a row are followed to the file they stand for (as Linux does). */
    constexpr int maxSymbolicLinks = 40;

    std::filesystem::path toPath (const juce::File& file)
    {
        return std::filesystem::path (file.getFullPathName().toStdString());
    }

    juce::File toFile (const std::filesystem::path& path)
    {
        return juce::File (juce::String (juce::CharPointer_UTF8 (path.string().c_str())));
    }

    juce::String describe (const std::error_code& error)
    {
        return juce::String (juce::CharPointer_UTF8 (error.message().c_str()));
    }

    /**
        Why the file cannot be read as a mappings file, or an empty text when it can. Only a
        regular file (reached through any symbolic links) is opened: a device such as
        /dev/zero gives bytes without end, and opening a named pipe waits for a writer for ever.
        JUCE tells files from folders only, so the file's type comes from std::filesystem.
    */
    juce::String findReasonNotToRead (const juce::File& file)
    {
        std::error_code error;
        const auto status = std::filesystem::status (toPath (file), error);

        if (status.type() == std::filesystem::file_type::not_found)
            return "The file does not exist";

        if (error)
            return "The file cannot be reached: " + describe (error);

        if (status.type() == std::filesystem::file_type::directory)
            return "The path names a folder, not a file";

        if (status.type() != std::filesystem::file_type::regular)
            return "The path names a device, pipe or socket, not a regular file";

        if (file.getSize() > maxFileSize)
            return tooLargeError;

        return {};
    }

    /** Reads at most limit bytes, whatever size the file reports; false with a reason when it
        cannot be read or holds more. */
    bool readBounded (const juce::File& file, juce::MemoryBlock& bytes, juce::String& reason,
                      juce::int64 limit = maxFileSize)
    {
        juce::FileInputStream in (file);

        if (! in.openedOk())
        {
            reason = "The file could not be opened: " + in.getStatus().getErrorMessage();
            return false;
        }

        in.readIntoMemoryBlock (bytes, (ssize_t) limit + 1);

        if ((juce::int64) bytes.getSize() > limit)
        {
            bytes.reset();
            reason = tooLargeError;
            return false;
        }

        if (in.getStatus().failed())
        {
            reason = "The file could not be read: " + in.getStatus().getErrorMessage();
            return false;
        }

        return true;
    }

    /**
        The file that writing to file really changes: symbolic links are followed to the file
        they stand for, so that saving keeps the link and changes what it points at (renaming
        a new file over the link itself would replace the link). False with a reason for a loop
        of links.
    */
    bool followSymbolicLinks (const juce::File& file, juce::File& target, juce::String& reason)
    {
        auto path = toPath (file);

        for (int i = 0; i <= maxSymbolicLinks; ++i)
        {
            std::error_code error;

            if (! std::filesystem::is_symlink (std::filesystem::symlink_status (path, error)))
            {
                target = toFile (path);
                return true;
            }

            auto linked = std::filesystem::read_symlink (path, error);

            if (error)
            {
                reason = "The symbolic link cannot be read: " + describe (error);
                return false;
            }

            path = linked.is_absolute() ? linked : path.parent_path() / linked;
        }

        reason = "The symbolic links of the path form a loop or a chain that is too long";
        return false;
    }

    /** Why an existing file may not be replaced, or an empty text. A file without any write
        permission is read-only for this editor, even where the user could override that. */
    juce::String findReasonNotToReplace (const juce::File& target, std::filesystem::perms& permissions)
    {
        namespace fs = std::filesystem;
        std::error_code error;
        const auto status = fs::status (toPath (target), error);

        if (status.type() == fs::file_type::not_found)
            return {};

        if (error)
            return "The file cannot be reached: " + describe (error);

        if (status.type() == fs::file_type::directory)
            return "A folder of that name is in the way";

        if (status.type() != fs::file_type::regular)
            return "The path names a device, pipe or socket, not a regular file";

        permissions = status.permissions() & fs::perms::all;

        if ((permissions & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) == fs::perms::none)
            return "The file is read-only";

        if (! target.hasWriteAccess())
            return "You have no permission to change the file";

        return {};
    }
    const char* const defaultIconFile = "default_icon.png";

    /** How the file is written: the XML declaration with "UTF-8", lines wrapped after 60
        characters of attributes, "\r\n" line ends. The source text uses the same format. */
    juce::XmlElement::TextFormat getFileFormat()
    {
        juce::XmlElement::TextFormat format;
        format.customEncoding = "UTF-8";
        format.lineWrapLength = 60;
        format.newLineChars = "\r\n";
        return format;
    }

    /**
        Writes the XML as juce::XmlElement::writeTo (const File&) does, into a temporary file
        beside the target that then replaces it, so that a failed write leaves the old file
        whole. JUCE's file stream does not report a write that the disk takes only in part
        (a full disk), and the truncated file would replace the old one; so before the
        temporary file takes the target's place, its size must be every byte written.
    */
    bool writeThroughTemporaryFile (const juce::XmlElement& xml, const juce::File& target,
                                    const std::filesystem::perms* permissions, juce::String& reason)
    {
        juce::TemporaryFile temporary (target);
        juce::int64 bytesWritten = 0;

        {
            juce::FileOutputStream out (temporary.getFile());

            if (! out.openedOk())
            {
                reason = "The file could not be written: " + out.getStatus().getErrorMessage();
                return false;
            }

            xml.writeTo (out, getFileFormat());
            out.flush();

            if (out.getStatus().failed())
            {
                reason = "The file could not be written: " + out.getStatus().getErrorMessage();
                return false;
            }

            bytesWritten = out.getPosition();
        }

        if (temporary.getFile().getSize() != bytesWritten)
        {
            reason = "The file could not be written whole (is the disk full?)";
            return false;
        }

        // The new file takes the old one's permissions (a private file stays private).
        if (permissions != nullptr)
        {
            std::error_code error;
            std::filesystem::permissions (toPath (temporary.getFile()), *permissions, error);

            if (error)
            {
                reason = "The file's permissions could not be kept: " + describe (error);
                return false;
            }
        }

        if (! temporary.overwriteTargetFileWithTemporary())
        {
            reason = "The new file could not take the old one's place";
            return false;
        }

        return true;
    }

    /** A "midi" element of type "CC" on controller/channel 1, as new mappings carry it. */
    juce::ValueTree createDefaultMidi()
    {
        juce::ValueTree midi (Ids::midi());
        midi.setProperty (Ids::type(), "CC", nullptr);
        midi.setProperty (Ids::parameter(), "0x01", nullptr);
        midi.setProperty (Ids::channel(), "0x01", nullptr);
        return midi;
    }

    /** The default icon as PNG bytes of its own encoding, in memory-block text. */
    juce::String createDefaultIconText()
    {
        auto image = Resources::getImage (defaultIconFile);

        if (! image.isValid())
            return {};

        juce::MemoryOutputStream stream;

        if (! juce::PNGImageFormat().writeImageToStream (image, stream))
            return {};

        juce::MemoryBlock block (stream.getData(), stream.getDataSize());
        return block.toBase64Encoding();
    }

    /** Decodes JUCE's memory-block text once its form has been checked. */
    bool decodeMemoryBlockText (const juce::String& text, juce::MemoryBlock& block)
    {
        return XmlGuard::isSafeMemoryBlockText (text) && block.fromBase64Encoding (text);
    }
} // namespace

//==============================================================================
ControllerDocument::ControllerDocument()
{
    newDocument();
}

ControllerDocument::~ControllerDocument() = default;

void ControllerDocument::newDocument()
{
    juce::ValueTree root (Ids::mainElement());

    juce::ValueTree versionElement (Ids::version());
    versionElement.setProperty (Ids::versionMajor(), 1, nullptr);
    versionElement.setProperty (Ids::versionMinor(), 0, nullptr);
    root.appendChild (versionElement, nullptr);

    juce::ValueTree controller (Ids::controller());
    controller.setProperty (Ids::kind(), "midi", nullptr);

    juce::ValueTree idElement (Ids::id());
    idElement.setProperty (Ids::idAttribute(), juce::Uuid().toString(), nullptr);
    controller.appendChild (idElement, nullptr);

    juce::ValueTree propertiesElement (Ids::properties());
    propertiesElement.setProperty (Ids::model(), "", nullptr);
    propertiesElement.setProperty (Ids::manufacturer(), "", nullptr);
    propertiesElement.setProperty (Ids::versionText(), "1.0", nullptr);
    propertiesElement.setProperty (Ids::publisher(), "", nullptr);
    controller.appendChild (propertiesElement, nullptr);

    juce::ValueTree iconElement (Ids::icon());
    iconElement.setProperty (Ids::data(), createDefaultIconText(), nullptr);
    controller.appendChild (iconElement, nullptr);

    juce::ValueTree mappingsElement (Ids::mappings());
    mappingsElement.appendChild (juce::ValueTree (Ids::inputMappings()), nullptr);
    mappingsElement.appendChild (juce::ValueTree (Ids::outputMappings()), nullptr);
    controller.appendChild (mappingsElement, nullptr);

    root.appendChild (controller, nullptr);

    tree = root;
    filePath.clear();
    name = defaultName;
    changed = false;
}

bool ControllerDocument::loadFrom (const juce::File& file)
{
    filePath.clear();

    auto reason = findReasonNotToRead (file);

    if (reason.isNotEmpty())
    {
        lastError = reason;
        return false;
    }

    std::unique_ptr<juce::XmlElement> xml;

    {
        juce::String text;

        {
            juce::MemoryBlock bytes;

            if (! readBounded (file, bytes, reason) || ! XmlGuard::decodeText (bytes.getData(), bytes.getSize(), text, reason))
            {
                lastError = reason;
                return false;
            }
        }

        xml = parseText (text);
    }

    if (xml == nullptr)
        return false;

    auto newTree = juce::ValueTree::fromXml (*xml);
    xml.reset();

    if (! isControllerTree (newTree))
        return false;

    tree = newTree;
    changed = false;
    filePath = file.getFullPathName();
    name = file.getFileName();
    return true;
}

bool ControllerDocument::save()
{
    if (filePath.isEmpty())
    {
        saveError = "The document has no file yet";
        return false;
    }

    return saveAs (juce::File (filePath));
}

bool ControllerDocument::saveAs (const juce::File& file)
{
    saveError.clear();

    if (file.getFullPathName().isEmpty())
    {
        saveError = "No file is given";
        return false;
    }

    // A folder standing at the target is no file to write (JUCE would replace an empty one),
    // and a read-only file is not replaced.
    juce::File target;
    auto permissions = std::filesystem::perms::unknown;

    if (! followSymbolicLinks (file, target, saveError))
        return false;

    saveError = findReasonNotToReplace (target, permissions);

    if (saveError.isNotEmpty())
        return false;

    auto xml = tree.createXml();

    if (xml == nullptr)
    {
        saveError = "The document is empty";
        return false;
    }

    const auto* keptPermissions = permissions != std::filesystem::perms::unknown ? &permissions : nullptr;

    if (! writeThroughTemporaryFile (*xml, target, keptPermissions, saveError))
        return false;

    if (filePath != file.getFullPathName())
    {
        filePath = file.getFullPathName();
        name = file.getFileName();
    }

    changed = false;
    return true;
}

juce::String ControllerDocument::toXmlString() const
{
    return tree.toXmlString (getFileFormat());
}

void ControllerDocument::loadFromXmlText (const juce::String& text)
{
    auto xml = parseText (text);

    if (xml == nullptr)
        return;

    auto newTree = juce::ValueTree::fromXml (*xml);

    if (! isControllerTree (newTree))
        return;

    lastError.clear();
    tree = newTree;
    filePath.clear();
    name = defaultName;
    changed = false;
}

bool ControllerDocument::isValidXmlText (const juce::String& text)
{
    auto xml = parseText (text);

    if (xml == nullptr)
        return false;

    if (! isControllerTree (juce::ValueTree::fromXml (*xml)))
        return false;

    lastError.clear();
    return true;
}

juce::String ControllerDocument::getFilePath() const { return filePath; }
juce::String ControllerDocument::getName() const { return name; }
bool ControllerDocument::hasChangedSinceSaved() const { return changed; }
juce::String ControllerDocument::getLastError() const { return lastError; }
juce::String ControllerDocument::getSaveError() const { return saveError; }

juce::ValueTree ControllerDocument::getMappings() const
{
    return getController().getChildWithName (Ids::mappings());
}

juce::ValueTree ControllerDocument::addMapping (juce::ValueTree mapping, int index)
{
    juce::ValueTree list;

    if (mapping.getChildWithName (Ids::events()).isValid())
    {
        if (! mapping.getChildWithName (Ids::preset()).isValid())
            return {};

        list = getList (Ids::inputMappings());
    }
    else if (mapping.getChildWithName (Ids::control()).isValid())
    {
        list = getList (Ids::outputMappings());
    }
    else
    {
        return {};
    }

    if (list.isValid())
        list.addChild (mapping, index, nullptr);

    return mapping;
}

juce::ValueTree ControllerDocument::createInputMapping (const juce::String& alias)
{
    juce::ValueTree mapping (Ids::mapping());

    juce::ValueTree eventsElement (Ids::events());
    eventsElement.appendChild (createDefaultMidi(), nullptr);
    mapping.appendChild (eventsElement, nullptr);

    juce::ValueTree controlElement (Ids::control());
    controlElement.setProperty (Ids::alias(), alias, nullptr);
    juce::ValueTree controlsElement (Ids::controls());
    controlsElement.appendChild (controlElement, nullptr);
    mapping.appendChild (controlsElement, nullptr);

    auto list = getList (Ids::inputMappings());

    if (list.isValid())
        list.appendChild (mapping, nullptr);

    changed = true;
    return mapping;
}

juce::ValueTree ControllerDocument::createOutputMapping (const juce::String& alias, const juce::String& type)
{
    juce::ValueTree mapping (Ids::mapping());

    juce::ValueTree controlElement (Ids::control());
    controlElement.setProperty (Ids::alias(), alias, nullptr);
    controlElement.setProperty (Ids::value(), (type == "Logic" || type == "Trigger") ? "true" : "%", nullptr);
    mapping.appendChild (controlElement, nullptr);
    mapping.appendChild (createDefaultMidi(), nullptr);

    auto list = getList (Ids::outputMappings());

    if (list.isValid())
        list.appendChild (mapping, nullptr);

    changed = true;
    return mapping;
}

juce::ValueTree ControllerDocument::addOutputMapping (juce::ValueTree mapping)
{
    auto list = getList (Ids::outputMappings());

    if (list.isValid() && mapping.isValid())
        list.appendChild (mapping, nullptr);

    changed = true;
    return mapping;
}

void ControllerDocument::setModel (const juce::String& text) { setProperty (Ids::model(), text); }
void ControllerDocument::setManufacturer (const juce::String& text) { setProperty (Ids::manufacturer(), text); }
void ControllerDocument::setVersion (const juce::String& text) { setProperty (Ids::versionText(), text); }
void ControllerDocument::setPublisher (const juce::String& text) { setProperty (Ids::publisher(), text); }
void ControllerDocument::setMacDevice (const juce::String& text) { setProperty (Ids::macDevice(), text); }

juce::String ControllerDocument::getModel() const { return getProperty (Ids::model()); }
juce::String ControllerDocument::getManufacturer() const { return getProperty (Ids::manufacturer()); }
juce::String ControllerDocument::getVersion() const { return getProperty (Ids::versionText()); }
juce::String ControllerDocument::getPublisher() const { return getProperty (Ids::publisher()); }
juce::String ControllerDocument::getMacDevice() const { return getProperty (Ids::macDevice()); }

juce::Image ControllerDocument::getIcon() const
{
    auto text = getController().getChildWithName (Ids::icon()).getProperty (Ids::data()).toString();
    juce::MemoryBlock block;

    if (! decodeMemoryBlockText (text, block))
        return {};

    return decodePicture (block);
}

juce::Image ControllerDocument::loadPicture (const juce::File& file)
{
    juce::MemoryBlock bytes;
    juce::String reason;

    if (findReasonNotToRead (file).isNotEmpty() || ! readBounded (file, bytes, reason, maxPictureFileSize))
        return {};

    return decodePicture (bytes);
}

juce::Image ControllerDocument::decodePicture (const juce::MemoryBlock& bytes)
{
    return PictureGuard::decode (bytes);
}

//==============================================================================
std::unique_ptr<juce::XmlElement> ControllerDocument::parseText (const juce::String& text)
{
    juce::String error;
    auto xml = XmlGuard::parse (text, error);

    if (xml == nullptr)
        lastError = error;

    return xml;
}

bool ControllerDocument::isControllerTree (const juce::ValueTree& candidate)
{
    return candidate.getChildWithName (Ids::version()).isValid()
        && candidate.getChildWithName (Ids::controller()).getProperty (Ids::kind()).toString() == "midi";
}

juce::ValueTree ControllerDocument::getController() const
{
    return tree.getChildWithName (Ids::controller());
}

juce::ValueTree ControllerDocument::getProperties() const
{
    return getController().getChildWithName (Ids::properties());
}

juce::ValueTree ControllerDocument::getList (const juce::Identifier& listName) const
{
    return getMappings().getChildWithName (listName);
}

void ControllerDocument::setProperty (const juce::Identifier& attribute, const juce::String& text)
{
    auto propertiesElement = getProperties();

    if (propertiesElement.isValid())
        propertiesElement.setProperty (attribute, text, nullptr);
}

juce::String ControllerDocument::getProperty (const juce::Identifier& attribute) const
{
    return getProperties().getProperty (attribute).toString();
}
