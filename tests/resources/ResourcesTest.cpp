#include <gtest/gtest.h>

#include "resources/Resources.h"

TEST (Resources, EveryEmbeddedFileCanBeReadAndEveryPictureDecodes)
{
    auto names = Resources::getFileNames();
    ASSERT_FALSE (names.isEmpty());

    for (auto& name : names)
    {
        int size = 0;
        auto* data = Resources::getData (name, size);
        ASSERT_NE (data, nullptr) << name;
        EXPECT_GT (size, 0) << name;

        if (name.endsWithIgnoreCase (".png"))
        {
            EXPECT_TRUE (Resources::getImage (name).isValid()) << name;
        }
    }
}

TEST (Resources, UnknownNamesGiveNothing)
{
    int size = 42;
    EXPECT_EQ (Resources::getData ("no such file.png", size), nullptr);
    EXPECT_EQ (size, 0);
    EXPECT_TRUE (Resources::getText ("no such file.txt").isEmpty());
    EXPECT_FALSE (Resources::getImage ("no such file.png").isValid());
}
