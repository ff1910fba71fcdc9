// Inputs found by the fuzz targets in fuzz/, kept as tests once they are reduced.

#include <gtest/gtest.h>

#include "model/ControllerDocument.h"

// An attribute given twice made two "channel" properties: the views read and edited the first
// while the file kept the last, so both were lost on saving. An attribute "base64:..." is read
// by juce::ValueTree::fromXml as binary data, allocating the byte count before the dot at once:
// a negative or overlong count threw std::bad_alloc out of the editor, and two hundred million
// took 200 MB for a text of a hundred bytes. Each text is refused and changes nothing.
TEST (FuzzFound, RepeatedAttributesAndImpossibleBinaryByteCountsAreRefusedSafely)
{
    const juce::String head ("<main><version/><controller kind=\"midi\">"), tail ("</controller></main>");
    const juce::String texts[] = {
        head + "<mappings><input-mappings><mapping><events><midi type=\"CC\" parameter=\"0x07\" channel=\"0x01\" channel=\"0x05\"/>"
               "</events><controls><control alias=\"fam(SyncTools).Snap\"/></controls></mapping></input-mappings>"
               "<output-mappings/></mappings>" + tail,
        head + "<icon base64:Data=\"4444444444444.AAAA\"/>" + tail,
        head + "<icon base64:Data=\"-5.AAAA\"/>" + tail,
        head + "<icon base64:Data=\"200000000.AAAA\"/>" + tail,
    };

    for (const auto& text : texts)
    {
        SCOPED_TRACE (text);
        ControllerDocument document;
        const auto before = document.toXmlString();
        bool accepted = true;

        EXPECT_NO_THROW (accepted = document.isValidXmlText (text));
        EXPECT_NO_THROW (document.loadFromXmlText (text));
        EXPECT_FALSE (accepted);
        EXPECT_TRUE (document.getLastError().isNotEmpty());
        EXPECT_EQ (document.toXmlString(), before);
    }
}
