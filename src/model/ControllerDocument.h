#pragma once

#include <juce_core/juce_core.h>
#include <juce_data_structures/juce_data_structures.h>
#include <juce_graphics/juce_graphics.h>

/**
    One ".mappings" file held in memory: the description and mappings of one MIDI controller
    as a juce::ValueTree (root "main"), with the path and name of its file, a changed flag and
    the last XML parse error.

    The document makes the default tree of a new file, loads a file or XML text and accepts or
    refuses it, writes the file, gives the whole tree as XML text, appends new or pasted
    "mapping" elements to the list that fits them, and reads and writes the controller's
    descriptive properties and its icon. The mapping views work directly on the "mapping"
    elements of the tree, so their edits land in the document at once.

    Text from outside (files and XML text) goes through XmlGuard before it is parsed. No
    operation throws: failures are a false result, an invalid tree or an unchanged document.
    Message thread only.
*/
class ControllerDocument
{
public:
    /** Makes a new document (see newDocument). */
    ControllerDocument();
    ~ControllerDocument();

    /** Replaces everything by the default document: empty lists, the default icon, a new
        random id, no file, the name "unnamed.mappings", not changed. lastError is kept. */
    void newDocument();

    /**
        Reads a file and takes it when it is a controller file.

        The path is emptied first, whatever follows. Only a regular file is read, and at most
        128 MB of it. A file that is missing, not a regular file, too large, unreadable, not
        text, not well-formed XML or not a controller file is refused: the result is false and
        the tree, name and changed flag stay as they were (the last error says why the file
        could not be read or parsed).
    */
    bool loadFrom (const juce::File& file);

    /** Writes to the document's file; false, writing nothing, when it has none. */
    bool save();

    /**
        Writes the document to file (through a temporary file that then replaces the target,
        so a failed write leaves the old file whole) and adopts that file's path and name.
        A symbolic link is followed: the file it points at gets the new content and the link
        stays. The new file keeps the old one's permissions. A folder, a device, a read-only
        file or one the user may not write is refused. On failure the result is false, nothing
        changes, and getSaveError says why.
    */
    bool saveAs (const juce::File& file);

    /** The whole tree as XML text: exactly the text that save writes. */
    juce::String toXmlString() const;

    /** Takes XML text as a document without a file ("unnamed.mappings", not changed) when it
        is a controller file; otherwise nothing changes but the last error of an unparsable text. */
    void loadFromXmlText (const juce::String& text);

    /** True when the text is a controller file; the document itself does not change. */
    bool isValidXmlText (const juce::String& text);

    juce::String getFilePath() const;
    juce::String getName() const;
    bool hasChangedSinceSaved() const;

    /** The error text of the last file or XML text that could not be read or parsed. */
    juce::String getLastError() const;

    /** Why the last save or saveAs failed; empty after one that succeeded. */
    juce::String getSaveError() const;

    /** The "mappings" element of "controller", holding "input-mappings" and "output-mappings";
        an invalid tree when the document has none. */
    juce::ValueTree getMappings() const;

    /**
        Inserts a given "mapping" element into the list that fits it, judged by its children:
        with "events" (and "preset") into "input-mappings", with "control" into "output-mappings",
        at index (-1 or an index past the end appends). The element itself is inserted, so pass
        one that has no parent. Returns it, or an invalid tree when it fits neither list (an
        input mapping without a "preset" fits none). Does not mark the document changed.
    */
    juce::ValueTree addMapping (juce::ValueTree mapping, int index);

    /** Appends a new input mapping for alias (one "CC" event, no preset); marks the document changed. */
    juce::ValueTree createInputMapping (const juce::String& alias);

    /** Appends a new output mapping for alias with one "CC" message; its control value is "true"
        for the value types "Logic" and "Trigger" and "%" otherwise. Marks the document changed. */
    juce::ValueTree createOutputMapping (const juce::String& alias, const juce::String& type);

    /** Appends a given output mapping element itself; marks the document changed. */
    juce::ValueTree addOutputMapping (juce::ValueTree mapping);

    // The controller's descriptive properties. The setters do not mark the document changed.
    void setModel (const juce::String& text);
    void setManufacturer (const juce::String& text);
    void setVersion (const juce::String& text);
    void setPublisher (const juce::String& text);
    void setMacDevice (const juce::String& text);

    juce::String getModel() const;
    juce::String getManufacturer() const;
    juce::String getVersion() const;
    juce::String getPublisher() const;
    juce::String getMacDevice() const;

    /** The controller's icon decoded; a null image when it is missing or cannot be decoded. */
    juce::Image getIcon() const;

    /**
        The picture held in the bytes, in any format JUCE reads (PNG, JPEG, GIF), as
        PictureGuard::decode gives it: a null image when it claims a side over
        PictureGuard::maxSide pixels or of none, would take more decoding work than the guard
        allows (too many pixels, too much PNG image data, too many JPEG scans), or is damaged in
        any way the guard finds (JUCE's readers would crash on some of those). Used for every
        picture that comes from outside.
    */
    static juce::Image decodePicture (const juce::MemoryBlock& bytes);

    /**
        The picture in a file, decoded as decodePicture does; a null image when the file is not a
        regular file, holds more than maxPictureFileSize bytes, or is no picture of modest size.
    */
    static juce::Image loadPicture (const juce::File& file);

    /** A picture file is read up to this size. */
    static constexpr juce::int64 maxPictureFileSize = 64 * 1024 * 1024;

private:
    std::unique_ptr<juce::XmlElement> parseText (const juce::String& text);
    static bool isControllerTree (const juce::ValueTree& candidate);
    juce::ValueTree getController() const;
    juce::ValueTree getProperties() const;
    juce::ValueTree getList (const juce::Identifier& listName) const;
    void setProperty (const juce::Identifier& attribute, const juce::String& text);
    juce::String getProperty (const juce::Identifier& attribute) const;

    juce::ValueTree tree;
    juce::String filePath;
    juce::String name;
    bool changed = false;
    juce::String lastError;
    juce::String saveError;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ControllerDocument)
};
