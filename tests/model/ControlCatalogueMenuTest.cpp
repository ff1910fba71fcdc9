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

    juce::Array<int> itemIdsOfSubmenu (const juce::PopupMenu& menu, const juce::String& title)
    {
        juce::Array<int> ids;

        for (juce::PopupMenu::MenuItemIterator items (menu); items.next();)
            if (items.getItem().text == title && items.getItem().subMenu != nullptr)
                for (juce::PopupMenu::MenuItemIterator subItems (*items.getItem().subMenu); subItems.next();)
                    ids.add (subItems.getItem().itemID);

        return ids;
    }
}

//==============================================================================
// Item 1 + 100 g + v is control v of group g, titled as the control under its group's title;
// every control has its item, and an empty group keeps its hundred ids but gets no submenu.
TEST_F (CatalogueMenu, MenusHaveASubmenuPerNonEmptyGroupWithHundredIdsPerGroup)
{
    for (auto [tree, numSubmenus] : { std::pair (out(), 19), std::pair (in(), 23) })
    {
        const auto menu = ControlCatalogueInspector::buildMenu (tree);
        EXPECT_EQ (menu.getNumItems(), numSubmenus);
        int numControls = 0, numItems = 0;

        for (const auto& group : tree)
            numControls += group.getNumChildren();

        for (juce::PopupMenu::MenuItemIterator items (menu); items.next();)
        {
            const auto& item = items.getItem();
            ASSERT_NE (item.subMenu, nullptr) << item.text;
            EXPECT_EQ (item.itemID, 0);

            for (juce::PopupMenu::MenuItemIterator subItems (*item.subMenu); subItems.next(); ++numItems)
            {
                const auto& subItem = subItems.getItem();
                const auto group = tree.getChild (subItem.itemID / 100);
                EXPECT_EQ (group["title"].toString(), item.text);
                EXPECT_EQ (group.getChild (subItem.itemID % 100 - 1)["title"].toString(), subItem.text);
                EXPECT_TRUE (subItem.isEnabled && ! subItem.isTicked && subItem.subMenu == nullptr);
            }
        }

        EXPECT_EQ (numItems, numControls);
    }

    // Sampler C is group 14, its 99 controls take 1401 to 1499; Registers come after three groups
    // that are empty in "out", yet keep group index 22.
    const auto outMenu = ControlCatalogueInspector::buildMenu (out());
    const auto samplerIds = itemIdsOfSubmenu (outMenu, "Sampler C ");
    ASSERT_EQ (samplerIds.size(), 99);
    EXPECT_EQ (samplerIds.getFirst() * 10000 + samplerIds.getLast(), 14011499);
    EXPECT_EQ (itemIdsOfSubmenu (outMenu, "Registers ").getFirst(), 2201);
    EXPECT_TRUE (itemIdsOfSubmenu (outMenu, "Application ").isEmpty());
}

TEST_F (CatalogueMenu, ResultIdsMapBackToTheirAliasesAndOthersToNothing)
{
    const std::tuple<bool, int, const char*> cases[] = {
        { true, 1499, "fam(Sampler)[0x1].Slot8Loaded" }, { true, 1, "mod(ShiftSelector)" },
        { false, 101, "fam(SyncTools).Snap" }, { false, 2001, "app(About)" },
        { true, 0, "" }, { true, -1, "" }, { true, 100, "" }, { true, 2001, "" }, { true, 2401, "" },
    };

    for (auto& [isOut, result, alias] : cases)
        EXPECT_EQ (ControlCatalogueInspector::aliasForMenuResult (isOut ? out() : in(), result), alias) << result;
}

TEST_F (CatalogueMenu, MenusReturnTheChosenAliasOrNothingAndAreBuiltOnce)
{
    const std::tuple<bool, int, const char*> choices[] = {
        { true, 1499, "fam(Sampler)[0x1].Slot8Loaded" }, { true, 0, "" },
        { false, 801, "fam(Player)[0x1].PlayPause" }, { false, 0, "" },
    };

    for (auto& [isOut, result, alias] : choices)
    {
        TestHelpers::ModalEnder ender (result, nullptr, result != 0 ? (isOut ? "catalogue-output-menu" : "catalogue-input-menu") : "");
        EXPECT_EQ (isOut ? catalogue.showOutputMenu() : catalogue.showInputMenu(), alias);
        EXPECT_TRUE (ender.hasEnded());

        // The second show reused the menu instead of adding the groups again.
        EXPECT_EQ (ControlCatalogueInspector::outMenu (catalogue).getNumItems(), 19);
        EXPECT_EQ (ControlCatalogueInspector::inMenu (catalogue).getNumItems(), isOut ? 0 : 23);
    }
}
