// Fuzz target: the picture guard and JUCE's image readers behind it.
//
// The bytes are a picture file from outside, as a ".mappings" icon or the file that the
// controller information panel's "Change" button opens: ControllerDocument::decodePicture
// either refuses them (a null image) or gives a picture within PictureGuard's bounds. A crash,
// a sanitizer report, or a picture that takes longer to decode than the fuzzer's time-out
// fails the run.

#include "FuzzSupport.h"

#include "model/ControllerDocument.h"
#include "model/PictureGuard.h"

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    FuzzSupport::initialiseJuce();

    const auto image = ControllerDocument::decodePicture (juce::MemoryBlock (data, size));

    if (image.isValid())
    {
        const auto width = (juce::uint64) image.getWidth(), height = (juce::uint64) image.getHeight();
        FuzzSupport::check (width <= PictureGuard::maxSide && height <= PictureGuard::maxSide && width * height <= PictureGuard::maxPixels,
                            "a picture larger than the guard allows was decoded", juce::String (width) + " x " + juce::String (height));
    }

    return 0;
}
