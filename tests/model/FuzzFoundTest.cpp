// Inputs found by the fuzz targets in fuzz/, kept as tests once they are reduced.

#include <gtest/gtest.h>

#include "model/ControllerDocument.h"
#include "model/InputMapping.h"

namespace
{
    /** A whole controller file whose only input event names its channel twice. */
    juce::String fileWithRepeatedAttribute()
    {
        return "<main><version/><controller kind=\"midi\"><mappings><input-mappings>"
               "<mapping><events><midi type=\"CC\" parameter=\"0x07\" channel=\"0x01\" channel=\"0x05\"/></events>"
               "<controls><control alias=\"fam(SyncTools).Snap\"/></controls></mapping>"
               "</input-mappings><output-mappings/></mappings></controller></main>";
    }

    /** A whole controller file with an attribute "base64:Data" whose text starts with the byte count. */
    juce::String fileWithBase64Attribute (const juce::String& byteCount)
    {
        return "<main><version/><controller kind=\"midi\"><icon base64:Data=\"" + byteCount + ".AAAA\"/>"
               "<mappings><input-mappings/><output-mappings/></mappings></controller></main>";
    }

    /** The size of the binary property of the document's icon, or -1 when it is not binary. */
    juce::int64 binaryIconDataSize (const ControllerDocument& document)
    {
        const auto data = document.getMappings().getRoot().getChildWithName ("controller")
                              .getChildWithName ("icon").getProperty ("Data");
        const auto* block = data.getBinaryData();
        return block != nullptr ? (juce::int64) block->getSize() : -1;
    }
}

// An attribute given twice on one element is not well-formed XML. Taken as it is, the tree
// holds two "channel" properties: the views read and edit the first, while the written file
// keeps the last, so the channel the editor shows and the one the user sets are both lost on
// saving. Refusing the text is sound; so is keeping one value that reading, editing and
// writing agree on.
TEST (FuzzFound, RepeatedAttributeIsRefusedOrKeptOnceForReadingEditingAndWriting)
{
    const auto text = fileWithRepeatedAttribute();
    ControllerDocument document;
    const bool accepted = document.isValidXmlText (text);
    document.loadFromXmlText (text);

    if (! accepted)
    {
        EXPECT_EQ (document.getMappings().getChildWithName ("input-mappings").getNumChildren(), 0)
            << "a refused text was taken";
        return;
    }

    auto element = document.getMappings().getChildWithName ("input-mappings").getChild (0);
    ASSERT_TRUE (element.isValid());

    InputMapping mapping (element);
    const auto shownChannel = mapping.getChannel (0);
    const auto writtenBeforeEditing = document.toXmlString();

    ControllerDocument reread;
    reread.loadFromXmlText (writtenBeforeEditing);
    EXPECT_EQ (InputMapping (reread.getMappings().getChildWithName ("input-mappings").getChild (0)).getChannel (0),
               shownChannel)
        << "the channel shown is not the channel saved:\n" << writtenBeforeEditing;

    mapping.setChannel (0, 3);
    const auto writtenAfterEditing = document.toXmlString();
    reread.loadFromXmlText (writtenAfterEditing);
    EXPECT_EQ (InputMapping (reread.getMappings().getChildWithName ("input-mappings").getChild (0)).getChannel (0), 3)
        << "the edited channel was not saved:\n" << writtenAfterEditing;
}

// juce::ValueTree::fromXml reads an attribute whose name starts with "base64:" as binary data and
// allocates the byte count written before the dot at once: a negative or overlong count (cast to
// size_t) throws std::bad_alloc out of the editor, which is not built for exceptions, and a
// count of two hundred million takes 200 MB, for a text of a hundred bytes. Reading such text must
// be safe whether it is refused or taken.
TEST (FuzzFound, Base64AttributeWithAnImpossibleByteCountIsReadSafely)
{
    for (auto* byteCount : { "4444444444444", "-5", "200000000" })
    {
        const auto text = fileWithBase64Attribute (byteCount);
        ControllerDocument document;
        bool accepted = false;

        EXPECT_NO_THROW (accepted = document.isValidXmlText (text)) << byteCount;
        EXPECT_NO_THROW (document.loadFromXmlText (text)) << byteCount;

        if (accepted)
        {
            EXPECT_LT (binaryIconDataSize (document), 1024) << byteCount << ": the document holds a block that size";
        }
    }
}
