#include <gtest/gtest.h>

#include "resources/Resources.h"

TEST (Resources, EveryEmbeddedFileCanBeReadEveryPictureDecodesAndUnknownNamesGiveNothing)
{
    const auto names = Resources::getFileNames();
    EXPECT_TRUE (names.contains ("controls.txt") && names.contains ("types.xml") && names.contains ("ranges.xml"));

    for (auto& name : names)
    {
        int size = 0;
        const bool isPicture = name.endsWith (".png");
        EXPECT_TRUE (Resources::getData (name, size) != nullptr && size > 0) << name;
        EXPECT_EQ (Resources::getImage (name).isValid() + Resources::getCachedImage (name).isValid(), isPicture ? 2 : 0) << name;
    }

    int size = 42;
    EXPECT_EQ (Resources::getData ("no such file.png", size), nullptr);
    EXPECT_EQ (size + Resources::getText ("no such file.txt").length(), 0);
}
