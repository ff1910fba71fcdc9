// Fuzz target: pasting arbitrary clipboard text into the main view.
//
// The input goes through MainViewComponent::pasteMappingsFromText, the code that the "Past"
// command runs on the clipboard's text, on a main view holding a small document with one input
// and one output mapping. A refused text must leave the document exactly as it was. After a
// paste every table row must be a mapping of the document's two lists, the table must paint
// every cell of every row, and the document must still write a text that it accepts again and
// that reads back as the same tree.

#include "FuzzSupport.h"

#include "app/MainViewComponent.h"
#include "app/WirelaceApplication.h"
#include "model/ControllerDocument.h"
#include "model/XmlGuard.h"

/** Reaches the main view's document and rows (the main view names this struct as a friend). */
struct MainViewInspector
{
    static ControllerDocument& document (MainViewComponent& view) { return *view.document; }
    static int numRows (MainViewComponent& view) { return view.numRows; }

    static juce::ValueTree row (MainViewComponent& view, int index)
    {
        const juce::ScopedLock lock (view.rows.getLock());
        auto* tree = view.rows[index];
        return tree != nullptr ? *tree : juce::ValueTree();
    }

    static int numRowHandles (MainViewComponent& view)
    {
        const juce::ScopedLock lock (view.rows.getLock());
        return view.rows.size();
    }
};

namespace
{
    MainViewComponent* view = nullptr;
    ControllerDocument* rereadDocument = nullptr;
    juce::String startText;

    /** The document every input is pasted into: one input and one output mapping. */
    const char* const startDocument =
        "<main><version major=\"1\" minor=\"0\"/><controller kind=\"midi\">"
        "<properties Model=\"Pad\" Manufacturer=\"\" Version=\"1.0\" Publisher=\"\"/>"
        "<mappings><input-mappings><mapping>"
        "<events><midi type=\"Note\" parameter=\"0x3c\" channel=\"0x2\"/></events>"
        "<controls><control alias=\"fam(SyncTools).Snap\"/></controls>"
        "<preset name=\"Holder Button\"><parameters><parameter object=\"invert\" key=\"on\" value=\"off\"/></parameters></preset>"
        "</mapping></input-mappings><output-mappings><mapping>"
        "<control alias=\"fam(SyncTools).SnapValue\" value=\"%\"/><midi map=\"true\"/>"
        "<midi type=\"CC\" parameter=\"0x1\" channel=\"0x1\" value=\"0x0\"/>"
        "<midi type=\"CC\" parameter=\"0x2\" channel=\"0x1\" value=\"%\"/>"
        "</mapping></output-mappings></mappings></controller></main>";

    juce::ValueTree treeOfText (const juce::String& text)
    {
        juce::String error;
        auto xml = XmlGuard::parse (text, error);
        return xml != nullptr ? juce::ValueTree::fromXml (*xml) : juce::ValueTree();
    }

    void checkRowsAndPaintThem()
    {
        const auto numRows = MainViewInspector::numRows (*view);
        FuzzSupport::check (numRows == MainViewInspector::numRowHandles (*view), "the row count and the rows disagree");
        FuzzSupport::check (view->getNumRows() == numRows, "the table model gives another row count");

        juce::Image image (juce::Image::ARGB, 200, 20, true);
        juce::Graphics g (image);

        for (int i = 0; i < numRows; ++i)
        {
            const auto element = MainViewInspector::row (*view, i);
            const auto listType = element.getParent().getType().toString();
            FuzzSupport::check (listType == "input-mappings" || listType == "output-mappings",
                                "a row is not a mapping of the document's lists", element.toXmlString());

            view->paintRowBackground (g, i, 200, 20, (i & 1) == 0);

            for (int column = 1; column <= 7; ++column)
                view->paintCell (g, i, column, 200, 20, (i & 1) == 0);
        }
    }
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    FuzzSupport::initialiseJuce();
    FuzzSupport::loadCatalogue();

    // User settings go to a fresh temporary folder, never to the user's own ones.
    auto settingsFolder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                              .getNonexistentChildFile ("wirelace-fuzz-settings", {}, false);
    settingsFolder.createDirectory();

    juce::PropertiesFile::Options options;
    options.applicationName = "Wirelace";
    options.filenameSuffix = "settings";
    options.folderName = settingsFolder.getFullPathName();
    options.osxLibrarySubFolder = "Application Support";
    options.ignoreCaseOfKeyNames = true;
    appProperties.setStorageParameters (options);

    // Both live until the process ends, like the documents of the other targets.
    rereadDocument = new ControllerDocument();
    view = new MainViewComponent();
    view->setSize (1100, 700);

    FuzzSupport::check (view->pasteMappingsFromText (startDocument), "the start document was not pasted");
    startText = MainViewInspector::document (*view).toXmlString();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    auto& document = MainViewInspector::document (*view);

    // Back to the start document, through the same road: pasting a whole controller file.
    if (document.toXmlString() != startText)
    {
        view->pasteMappingsFromText (startDocument);
        FuzzSupport::check (document.toXmlString() == startText, "the start document could not be restored");
    }

    const auto text = FuzzSupport::textFromBytes (data, size);
    FuzzSupport::check (MainViewComponent::lowerCaseMidiTags (text) == text.replace ("<MIDI", "<midi", true),
                        "the one-pass MIDI tag replacement differs from String::replace", text);
    const bool rebuilt = view->pasteMappingsFromText (text);
    const auto written = document.toXmlString();

    if (! rebuilt)
    {
        FuzzSupport::check (written == startText, "a refused paste changed the document", text);
        return 0;
    }

    checkRowsAndPaintThem();

    FuzzSupport::check (rereadDocument->isValidXmlText (written), "the document after a paste writes a text it refuses", written);

    const auto before = treeOfText (written);
    rereadDocument->loadFromXmlText (written);
    const auto writtenAgain = rereadDocument->toXmlString();
    FuzzSupport::check (before.isEquivalentTo (treeOfText (writtenAgain)), "the document after a paste does not read back as written",
                        "written:\n" + written + "\nread back and written again:\n" + writtenAgain);
    return 0;
}
