#include "model/ControllerDocument.h"

#include <cstring>

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

    /** Mapping files hold kilobytes; a file past this size is refused before it is read, as
        its parsed tree alone would take several times as much memory. */
    constexpr juce::int64 maxFileSize = 256 * 1024 * 1024;
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
    bool writeThroughTemporaryFile (const juce::XmlElement& xml, const juce::File& target)
    {
        juce::TemporaryFile temporary (target);
        juce::int64 bytesWritten = 0;

        {
            juce::FileOutputStream out (temporary.getFile());

            if (! out.openedOk())
                return false;

            xml.writeTo (out, getFileFormat());
            out.flush();

            if (out.getStatus().failed())
                return false;

            bytesWritten = out.getPosition();
        }

        if (temporary.getFile().getSize() != bytesWritten)
            return false;

        return temporary.overwriteTargetFileWithTemporary();
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

    /**
        True when the bytes begin like a PNG file whose picture is at most 4096 pixels wide and
        high. JUCE's PNG reader allocates the whole picture from the header's size before it
        reads any pixels, and writes through a null pointer when that allocation fails, so a
        header that claims a huge picture must not reach it.
    */
    bool isPngOfModestSize (const juce::MemoryBlock& block)
    {
        static const juce::uint8 signature[] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' };
        constexpr juce::uint32 maxSide = 4096;

        if (block.getSize() < 24 || std::memcmp (block.getData(), signature, sizeof (signature)) != 0)
            return false;

        auto* bytes = static_cast<const juce::uint8*> (block.getData());

        if (std::memcmp (bytes + 12, "IHDR", 4) != 0)
            return false;

        auto width = juce::ByteOrder::bigEndianInt (bytes + 16);
        auto height = juce::ByteOrder::bigEndianInt (bytes + 20);
        return width > 0 && height > 0 && width <= maxSide && height <= maxSide;
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

    if (! file.existsAsFile())
        return false;

    if (file.getSize() > maxFileSize)
    {
        lastError = "The file is too large to be a mappings file (more than 256 MB)";
        return false;
    }

    juce::MemoryBlock bytes;

    if (! file.loadFileAsData (bytes))
    {
        lastError = "The file could not be read";
        return false;
    }

    juce::String text, error;

    if (! XmlGuard::decodeText (bytes.getData(), bytes.getSize(), text, error))
    {
        lastError = error;
        return false;
    }

    auto xml = parseText (text);

    if (xml == nullptr)
        return false;

    auto newTree = juce::ValueTree::fromXml (*xml);

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
        return false;

    return saveAs (juce::File (filePath));
}

bool ControllerDocument::saveAs (const juce::File& file)
{
    // A folder standing at the target is no file to write; JUCE would replace an empty one.
    if (file.getFullPathName().isEmpty() || file.isDirectory())
        return false;

    auto xml = tree.createXml();

    if (xml == nullptr || ! writeThroughTemporaryFile (*xml, file))
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

    return decodePng (block);
}

juce::Image ControllerDocument::decodePng (const juce::MemoryBlock& bytes)
{
    if (! isPngOfModestSize (bytes))
        return {};

    juce::MemoryInputStream stream (bytes, false);
    return juce::ImageFileFormat::loadFrom (stream);
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
