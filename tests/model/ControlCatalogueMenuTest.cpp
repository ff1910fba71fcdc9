#include <gtest/gtest.h>

#include "model/ControlCatalogueInspector.h"
#include "support/TestHelpers.h"

namespace
{
    struct CatalogueMenu : public ::testing::Test
    {
        CatalogueMenu() { catalogue.load(); }

        const juce::ValueTree& in() const { return ControlCatalogueInspector::in (catalogue); }
        const juce::ValueTree& out() const { return ControlCatalogueInspector::out (catalogue); }

        ControlCatalogue catalogue;
    };

    /** Checks a built alias menu against its tree; returns the number of submenus. */
    int checkMenuAgainstTree (const juce::PopupMenu& menu, const juce::ValueTree& tree)
    {
        int submenus = 0;
        juce::PopupMenu::MenuItemIterator items (menu);
        int g = 0;

        while (items.next())
        {
            const auto& item = items.getItem();

            // Empty groups keep their hundred ids but get no submenu.
            while (g < tree.getNumChildren() && tree.getChild (g).getNumChildren() == 0)
                ++g;

            EXPECT_LT (g, tree.getNumChildren());
            auto group = tree.getChild (g);

            EXPECT_EQ (item.text, group["title"].toString());
            EXPECT_EQ (item.itemID, 0);
            EXPECT_TRUE (item.isEnabled);
            EXPECT_FALSE (item.isTicked);
            EXPECT_EQ (item.image, nullptr);

            if (item.subMenu == nullptr)
            {
                ADD_FAILURE() << "group without submenu: " << item.text;
                continue;
            }

            ++submenus;
            juce::PopupMenu::MenuItemIterator subItems (*item.subMenu);
            int v = 0;

            while (subItems.next())
            {
                const auto& subItem = subItems.getItem();
                EXPECT_EQ (subItem.itemID, 1 + 100 * g + v);
                EXPECT_EQ (subItem.text, group.getChild (v)["title"].toString());
                EXPECT_TRUE (subItem.isEnabled);
                EXPECT_FALSE (subItem.isTicked);
                EXPECT_EQ (subItem.subMenu, nullptr);
                ++v;
            }

            EXPECT_EQ (v, group.getNumChildren());
            ++g;
        }

        return submenus;
    }

    juce::Array<int> itemIdsOfSubmenu (const juce::PopupMenu& menu, const juce::String& title)
    {
        juce::Array<int> ids;
        juce::PopupMenu::MenuItemIterator items (menu);

        while (items.next())
        {
            if (items.getItem().text == title && items.getItem().subMenu != nullptr)
            {
                juce::PopupMenu::MenuItemIterator subItems (*items.getItem().subMenu);

                while (subItems.next())
                    ids.add (subItems.getItem().itemID);
            }
        }

        return ids;
    }
}

//==============================================================================
TEST_F (CatalogueMenu, MenusHaveASubmenuPerNonEmptyGroupWithHundredIdsPerGroup)
{
    auto outMenu = ControlCatalogueInspector::buildMenu (out());
    auto inMenu = ControlCatalogueInspector::buildMenu (in());

    EXPECT_EQ (checkMenuAgainstTree (outMenu, out()), 19);
    EXPECT_EQ (checkMenuAgainstTree (inMenu, in()), 23);
    EXPECT_EQ (outMenu.getNumItems(), 19);
    EXPECT_EQ (inMenu.getNumItems(), 23);

    // Sampler C is group 14: its 99 controls take the ids 1401 to 1499.
    auto samplerIds = itemIdsOfSubmenu (outMenu, "Sampler C ");
    ASSERT_EQ (samplerIds.size(), 99);
    EXPECT_EQ (samplerIds.getFirst(), 1401);
    EXPECT_EQ (samplerIds.getLast(), 1499);

    // Registers come after three groups that are empty in "out", yet keep group index 22.
    EXPECT_EQ (itemIdsOfSubmenu (outMenu, "Registers ").getFirst(), 2201);
    EXPECT_TRUE (itemIdsOfSubmenu (outMenu, "Application ").isEmpty());
}

TEST_F (CatalogueMenu, ResultIdsMapBackToTheirAliases)
{
    EXPECT_EQ (ControlCatalogueInspector::aliasForMenuResult (out(), 1499), out().getChild (14).getChild (98)["alias"].toString());
    EXPECT_EQ (ControlCatalogueInspector::aliasForMenuResult (out(), 1499), "fam(Sampler)[0x1].Slot8Loaded");
    EXPECT_EQ (ControlCatalogueInspector::aliasForMenuResult (out(), 1), "mod(ShiftSelector)");
    EXPECT_EQ (ControlCatalogueInspector::aliasForMenuResult (in(), 101), "fam(SyncTools).Snap");
    EXPECT_EQ (ControlCatalogueInspector::aliasForMenuResult (in(), 2001), "app(About)");

    // Dismissed, or ids that name no control.
    EXPECT_EQ (ControlCatalogueInspector::aliasForMenuResult (out(), 0), "");
    EXPECT_EQ (ControlCatalogueInspector::aliasForMenuResult (out(), -1), "");
    EXPECT_EQ (ControlCatalogueInspector::aliasForMenuResult (out(), 100), "");
    EXPECT_EQ (ControlCatalogueInspector::aliasForMenuResult (out(), 2001), ""); // Application is empty in "out"
    EXPECT_EQ (ControlCatalogueInspector::aliasForMenuResult (out(), 2401), "");
}

TEST_F (CatalogueMenu, OutputMenuReturnsTheChosenAliasAndIsBuiltOnce)
{
    EXPECT_EQ (ControlCatalogueInspector::outMenu (catalogue).getNumItems(), 0);

    {
        TestHelpers::ModalEnder ender (1499, nullptr, "catalogue-output-menu");
        EXPECT_EQ (catalogue.showOutputMenu(), "fam(Sampler)[0x1].Slot8Loaded");
        EXPECT_TRUE (ender.hasEnded());
    }

    EXPECT_EQ (ControlCatalogueInspector::outMenu (catalogue).getNumItems(), 19);
    EXPECT_EQ (ControlCatalogueInspector::inMenu (catalogue).getNumItems(), 0);

    {
        TestHelpers::ModalEnder ender (0);
        EXPECT_EQ (catalogue.showOutputMenu(), "");
        EXPECT_TRUE (ender.hasEnded());
    }

    // The second show reused the menu instead of adding the groups again.
    EXPECT_EQ (ControlCatalogueInspector::outMenu (catalogue).getNumItems(), 19);

    // The Sampler C submenu, shown on its own, lists the full titles of its controls.
    juce::PopupMenu::MenuItemIterator items (ControlCatalogueInspector::outMenu (catalogue));
    const juce::PopupMenu* samplerC = nullptr;

    while (items.next())
        if (items.getItem().text == "Sampler C ")
            samplerC = items.getItem().subMenu.get();

    ASSERT_NE (samplerC, nullptr);
    TestHelpers::ModalEnder ender (1401, nullptr, "catalogue-output-menu-sampler-c");
    auto copy = *samplerC;
    EXPECT_EQ (copy.show(), 1401);
}

TEST_F (CatalogueMenu, InputMenuReturnsTheChosenAlias)
{
    {
        TestHelpers::ModalEnder ender (801, nullptr, "catalogue-input-menu");
        EXPECT_EQ (catalogue.showInputMenu(), "fam(Player)[0x1].PlayPause");
        EXPECT_TRUE (ender.hasEnded());
    }

    EXPECT_EQ (ControlCatalogueInspector::inMenu (catalogue).getNumItems(), 23);

    TestHelpers::ModalEnder ender (0);
    EXPECT_EQ (catalogue.showInputMenu(), "");
    EXPECT_EQ (ControlCatalogueInspector::inMenu (catalogue).getNumItems(), 23);
}
