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
