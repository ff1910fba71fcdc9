// Clipboard texts found by the fuzz target fuzz_paste, kept as tests of the main view's paste.

#include "app/MainViewTestFixture.h"

class FuzzFoundPaste : public MainViewFixture
{
};

// Pasting reads the clipboard through juce::ValueTree::fromXml, which decodes an attribute named
// "base64:..." as binary data and allocates the byte count before the dot at once: a negative or
// overlong count throws std::bad_alloc out of the paste command.
TEST_F (FuzzFoundPaste, Base64AttributeWithAnImpossibleByteCountIsPastedSafely)
{
    for (auto* byteCount : { "4444444444444", "-5" })
    {
        const auto mapping = juce::String ("<mapping><control alias=\"fam(SyncTools).Snap\" value=\"true\" base64:x=\"")
                                 + byteCount + ".AAAA\"/><midi type=\"CC\" parameter=\"0x1\" channel=\"0x1\"/></mapping>";

        EXPECT_NO_THROW (view->pasteMappingsFromText (mapping)) << byteCount;
        EXPECT_NO_THROW (view->pasteMappingsFromText ("<output-mappings>" + mapping + "</output-mappings>")) << byteCount;
    }
}
