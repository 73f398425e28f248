// The rules of the desktop items menu.
#include <gtest/gtest.h>

#include "DesktopEntryRules.h"

TEST(DesktopEntries, CaptionsLoseOnlyTheThreeShortcutExtensionsComparedWithCase) {
    EXPECT_EQ(EntryCaption("Mail.lnk"), "Mail");
    EXPECT_EQ(EntryCaption("News.url"), "News");
    EXPECT_EQ(EntryCaption("Old.rnk"), "Old");
    EXPECT_EQ(EntryCaption("Mail.LNK"), "Mail.LNK");
    EXPECT_EQ(EntryCaption("Notes.txt"), "Notes.txt");
    EXPECT_EQ(EntryCaption(".lnk"), "");
    EXPECT_EQ(EntryCaption("Projects"), "Projects");
    EXPECT_EQ(EntryCaption("a.lnk.txt"), "a.lnk.txt");
    EXPECT_EQ(EntryCaption("Ελληνικά.lnk"), "Ελληνικά");
}

TEST(DesktopEntries, ListingSkipsDotEntriesAndAttributesTheMaskLacks) {
    EXPECT_TRUE(SkipListedEntry(".", kAttrDirectory, 63));
    EXPECT_TRUE(SkipListedEntry("..", kAttrDirectory, 63));
    EXPECT_FALSE(SkipListedEntry("hidden.txt", kAttrHidden | kAttrSystem, 63));
    EXPECT_FALSE(SkipListedEntry("folder", kAttrDirectory, 63));
    EXPECT_TRUE(SkipListedEntry("folder", kAttrDirectory, 0x21));
    EXPECT_TRUE(SkipListedEntry("hidden.txt", kAttrHidden, 0x21));
    // Read-only and archive never cause a skip.
    EXPECT_FALSE(SkipListedEntry("plain.txt", 0x01 | 0x20, 0));
}

TEST(DesktopEntries, OpeningTriesTheCaptionThenTheShortcutExtensions) {
    EXPECT_EQ(OpenCandidates("C:\\Desk", "Mail"),
              (std::vector<std::string>{"C:\\Desk\\Mail", "C:\\Desk\\Mail.lnk", "C:\\Desk\\Mail.rnk",
                                        "C:\\Desk\\Mail.url"}));
    EXPECT_TRUE(OpenCandidates("C:\\Desk", "Brivane").empty());
    EXPECT_EQ(OpenCandidates("C:\\Desk", "brivane").size(), 4u);  // compared with case
}

TEST(DesktopEntries, ColumnsBreakWhereTheScreenIsFull) {
    // Item height 20, full-screen height 700: 27 entries in the first column,
    // entry 28 starts the second, entry 61 the third.
    TMenuColumns columns(20);
    std::vector<int> breaks;
    for (int entry = 1; entry <= 100; ++entry) {
        if (columns.NextStartsColumn(700)) breaks.push_back(entry);
    }
    EXPECT_EQ(breaks, (std::vector<int>{28, 61, 94}));

    TMenuColumns tall(20);
    for (int entry = 1; entry <= 10; ++entry) EXPECT_FALSE(tall.NextStartsColumn(2000));
}
