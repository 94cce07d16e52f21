// NamedList: case-insensitive lookup of the letters A-Z only, first registration wins,
// iteration in registration order that stops at a null value, and removal.
#include "scene/NamedList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Item {
    int id;
};

std::vector<Item*> Values(const NamedList<Item>& list) {
    std::vector<Item*> values;
    for (Item* value : list) {
        values.push_back(value);
    }
    return values;
}

TEST(NamedListTest, FindComparesOnlyLettersAToZWithoutRegardToCase) {
    Item box{1};
    Item accent{2};
    NamedList<Item> list;
    list.Add("Box01", &box);
    list.Add("caf\xC9", &accent); // Latin-1 capital E acute
    struct Case {
        const char* name;
        Item* expected;
    } cases[] = {
        {"Box01", &box},      {"box01", &box},
        {"BOX01", &box},      {"Box01 ", nullptr}, // a trailing space is a different name
        {"Box1", nullptr},    {"CAF\xC9", &accent},
        {"caf\xE9", nullptr}, // letters outside A-Z are compared as they are
        {"", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(list.Find(c.name), c.expected);
    }
}

TEST(NamedListTest, PunctuationNextToTheLettersIsNotFolded) {
    // '@' and '[' lie just outside A-Z; their lower-case neighbours '`' and '{' are other bytes.
    Item at{1};
    Item bracket{2};
    NamedList<Item> list;
    list.Add("@", &at);
    list.Add("[", &bracket);
    EXPECT_EQ(list.Find("`"), nullptr);
    EXPECT_EQ(list.Find("{"), nullptr);
    EXPECT_EQ(list.Find("@"), &at);
}

TEST(NamedListTest, AddingAThenBThenCapitalAKeepsTheFirstRegistration) {
    Item a{1};
    Item b{2};
    Item capitalA{3};
    NamedList<Item> list;
    EXPECT_EQ(list.Add("a", &a), &a);
    EXPECT_EQ(list.Add("b", &b), &b);
    EXPECT_EQ(list.Add("A", &capitalA), &a);
    EXPECT_EQ(list.Size(), 2u);
    EXPECT_EQ(Values(list), (std::vector<Item*>{&a, &b}));
    EXPECT_EQ(list.Find("A"), &a);
}

TEST(NamedListTest, IterationKeepsRegistrationOrderAndStopsAtANullValue) {
    Item first{1};
    Item third{3};
    NamedList<Item> list;
    list.Add("first", &first);
    list.Add("second", nullptr);
    list.Add("third", &third);
    EXPECT_EQ(list.Size(), 3u);
    EXPECT_EQ(Values(list), (std::vector<Item*>{&first}));
    // The entry after the null one is still registered.
    EXPECT_EQ(list.Find("third"), &third);
}

TEST(NamedListTest, EmptyListFindsNothingAndIteratesNothing) {
    NamedList<Item> list;
    EXPECT_EQ(list.Find("anything"), nullptr);
    EXPECT_TRUE(list.begin() == list.end());
    EXPECT_EQ(list.Size(), 0u);
}

TEST(NamedListTest, RemoveTakesOutOneEntryAndKeepsTheOrderOfTheOthers) {
    Item a{1};
    Item b{2};
    Item c{3};
    Item later{4};
    NamedList<Item> list;
    list.Add("a", &a);
    list.Add("b", &b);
    list.Add("c", &c);
    EXPECT_EQ(list.Remove("B"), &b);
    EXPECT_EQ(list.Find("b"), nullptr);
    EXPECT_EQ(Values(list), (std::vector<Item*>{&a, &c}));
    EXPECT_EQ(list.Remove("b"), nullptr);
    // The name is free again: a new registration goes at the tail.
    EXPECT_EQ(list.Add("b", &later), &later);
    EXPECT_EQ(Values(list), (std::vector<Item*>{&a, &c, &later}));
}

} // namespace
