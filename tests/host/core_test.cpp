// The portable core: text conversion, message formatting, event slots and the
// component owner tree.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/AsciiCase.h"
#include "core/Component.h"
#include "core/Events.h"
#include "core/Exception.h"
#include "core/PngChunks.h"
#include "core/Utf.h"

TEST(Utf, RoundTripsTextOutsideTheAnsiCodePage) {
    const std::string text = "Ελληνικά Кириллица 日本語 😀 C:\\Users\\Zoë";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    EXPECT_EQ(Utf8ToUtf16("😀").size(), 2u);  // a surrogate pair
}

TEST(Utf, MalformedInputBecomesReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              (std::u16string{u'a', 0xFFFD, u'b'}));
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), std::u16string(1, 0xFFFD));          // overlong "/"
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), std::u16string(1, 0xFFFD));          // cut short
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD800, u'x'}), "\xEF\xBF\xBDx");  // lone surrogate
}

TEST(Utf, TruncationCountsUtf16UnitsAndNeverSplitsACharacter) {
    EXPECT_EQ(TruncateUtf16Units(std::string(200, 'a'), 127), std::string(127, 'a'));
    const std::string euros = std::string(126, 'a') + "€€";
    EXPECT_EQ(TruncateUtf16Units(euros, 127), std::string(126, 'a') + "€");
    // A character outside the BMP needs two units: it does not fit in one.
    EXPECT_EQ(TruncateUtf16Units(std::string(126, 'a') + "😀", 127), std::string(126, 'a'));
    EXPECT_EQ(TruncateUtf16Units("short", 127), "short");
}

TEST(Format, FillsPlaceholdersInOrder) {
    EXPECT_EQ(Format("Invalid data type for '%s'", {"Wallpaper"}), "Invalid data type for 'Wallpaper'");
    EXPECT_EQ(Format("Win32 Error.  Code: %d.\n%s", {"5", "Access is denied."}),
              "Win32 Error.  Code: 5.\nAccess is denied.");
    EXPECT_EQ(Format("100%% of '%s'", {}), "100% of ''");
}

namespace {

struct Receiver : TObject {
    std::vector<std::string> calls;
    void First(TObject*) { calls.push_back("first"); }
    void Second(TObject*) { calls.push_back("second"); }
};

class Probe : public TComponent {
public:
    Probe(TComponent* owner, std::vector<std::string>* log) : TComponent(owner), log_(log) {}
    ~Probe() override { log_->push_back("destroy " + Name()); }
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == TOperation::opRemove && component == watched) {
            log_->push_back(Name() + " forgets " + component->Name());
            watched = nullptr;
        }
    }
    void Loaded() override {
        TComponent::Loaded();
        log_->push_back("loaded " + Name());
    }
    TComponent* watched = nullptr;

private:
    std::vector<std::string>* log_;
};

}  // namespace

TEST(Events, SlotsAreEmptyByDefaultComparableAndRePointable) {
    Receiver a, b;
    TNotifyEvent slot;
    EXPECT_FALSE(slot.Assigned());
    slot(nullptr);  // firing an empty slot does nothing

    slot = TNotifyEvent(&a, &Receiver::First);
    EXPECT_TRUE(slot == TNotifyEvent(&a, &Receiver::First));
    EXPECT_FALSE(slot == TNotifyEvent(&a, &Receiver::Second));
    EXPECT_FALSE(slot == TNotifyEvent(&b, &Receiver::First));
    EXPECT_EQ(slot.Object(), &a);
    slot(nullptr);
    slot = TNotifyEvent(&a, &Receiver::Second);
    slot(nullptr);
    EXPECT_EQ(a.calls, (std::vector<std::string>{"first", "second"}));
    slot = nullptr;
    EXPECT_FALSE(slot.Assigned());
}

TEST(Component, OwnersDestroyWhatTheyOwnLastFirstAndSiblingsForgetTheRemoved) {
    std::vector<std::string> log;
    {
        TOwned<Probe> root(new Probe(nullptr, &log));
        root->SetName("root");
        auto* list = new Probe(root.Get(), &log);
        list->SetName("list");
        auto* icon = new Probe(root.Get(), &log);
        icon->SetName("icon");
        icon->watched = list;
        EXPECT_EQ(root->ComponentCount(), 2);
        EXPECT_EQ(root->FindComponent("icon"), icon);

        TComponent::Free(list);
        EXPECT_EQ(icon->watched, nullptr);
        EXPECT_EQ(root->ComponentCount(), 1);
    }
    // The owner's own destruction runs first (a form's handler and window go
    // before its components), then what it owns.
    EXPECT_EQ(
        log, (std::vector<std::string>{"destroy list", "icon forgets list", "destroy root", "destroy icon"}));
}

// A sibling that frees another while it is told of a removal: the freed one
// is not told any more, the rest still are.
TEST(Component, ASiblingFreedWhileOthersAreToldIsNotToldAgain) {
    struct Freeing : Probe {
        using Probe::Probe;
        TComponent* victim = nullptr;
        void Notification(TComponent* component, TOperation operation) override {
            Probe::Notification(component, operation);
            if (operation == TOperation::opRemove && victim) TComponent::Free(std::exchange(victim, nullptr));
        }
    };
    std::vector<std::string> log;
    TOwned<Probe> root(new Probe(nullptr, &log));
    auto* gone = new Probe(root.Get(), &log);
    gone->SetName("gone");
    auto* freeing = new Freeing(root.Get(), &log);
    auto* victim = new Probe(root.Get(), &log);
    victim->SetName("victim");
    auto* last = new Probe(root.Get(), &log);
    last->SetName("last");
    freeing->victim = victim;
    victim->watched = gone;
    last->watched = gone;

    TComponent::Free(gone);
    EXPECT_EQ(log, (std::vector<std::string>{"destroy gone", "destroy victim", "last forgets gone"}));
    EXPECT_EQ(root->ComponentCount(), 2);
}

TEST(Component, FreeNotificationReachesComponentsOfOtherOwners) {
    std::vector<std::string> log;
    TOwned<Probe> a(new Probe(nullptr, &log));
    a->SetName("a");
    auto* b = new Probe(nullptr, &log);
    b->SetName("b");
    a->watched = b;
    b->FreeNotification(a.Get());
    TComponent::Free(b);
    EXPECT_EQ(a->watched, nullptr);
}

TEST(Component, LoadingFlagsAreClearedByLoaded) {
    std::vector<std::string> log;
    TOwned<Probe> root(new Probe(nullptr, &log));
    auto* child = new Probe(root.Get(), &log);
    child->SetName("child");
    root->BeginLoading();
    EXPECT_TRUE(root->Loading());
    EXPECT_TRUE(child->Loading());
    child->Loaded();
    EXPECT_FALSE(child->Loading());
    EXPECT_EQ(log.back(), "loaded child");
}

TEST(AsciiCase, FoldsLettersOnly) {
    std::string lower, upper;
    for (char c = 'a'; c <= 'z'; ++c) lower += c;
    for (char c = 'A'; c <= 'Z'; ++c) upper += c;
    EXPECT_TRUE(SameTextAscii(lower, upper));
    EXPECT_TRUE(SameTextAscii(upper, lower));
    EXPECT_TRUE(SameTextAscii("", ""));
    EXPECT_FALSE(SameTextAscii("a", ""));
    EXPECT_FALSE(SameTextAscii("abc", "abcd"));

    // Pairs that differ in bit 0x20 but are no letters.
    const std::pair<char, char> notLetters[] = {{'@', '`'}, {'[', '{'},    {'\\', '|'}, {']', '}'},
                                                {'^', '~'}, {'0', '\x10'}, {' ', '\0'}};
    for (const auto& [a, b] : notLetters) {
        EXPECT_FALSE(SameTextAscii(std::string(1, a), std::string(1, b))) << int(a) << ' ' << int(b);
    }
    // UTF-8 letters are compared as bytes: "É" is not "é".
    EXPECT_FALSE(SameTextAscii("\xC3\x89", "\xC3\xA9"));
    EXPECT_TRUE(SameTextAscii("\xC3\xA9t\xC3\xA9", "\xC3\xA9T\xC3\xA9"));
    EXPECT_TRUE(StartsWithTextAscii("HTTPS://example.org", "http"));
    EXPECT_FALSE(StartsWithTextAscii("htt", "http"));
    EXPECT_FALSE(StartsWithTextAscii("ftp://http", "http"));
}

// A 2 x 1 picture with a two-colour palette, as the artwork script writes
// one: IHDR, PLTE, IDAT, IEND.
TEST(PngChunks, ReadsAWholePictureAndRejectsEveryCutAndEveryChangedByte) {
    const std::vector<uint8_t> good = {
        0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44,
        0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x03, 0x00, 0x00, 0x00, 0xC3,
        0xFC, 0x8F, 0xB8, 0x00, 0x00, 0x00, 0x06, 0x50, 0x4C, 0x54, 0x45, 0xFF, 0x00, 0x00, 0x00,
        0x00, 0xFF, 0x6C, 0xA1, 0xFD, 0x8E, 0x00, 0x00, 0x00, 0x0B, 0x49, 0x44, 0x41, 0x54, 0x78,
        0xDA, 0x63, 0x60, 0x60, 0x04, 0x00, 0x00, 0x04, 0x00, 0x02, 0x2C, 0xDE, 0x48, 0xAD, 0x00,
        0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    const auto picture = ReadPngChunks(good.data(), good.size());
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 2u);
    EXPECT_EQ(picture->height, 1u);

    // Cut anywhere, or followed by anything, it is no whole picture.
    for (size_t size = 0; size < good.size(); ++size) EXPECT_FALSE(ReadPngChunks(good.data(), size)) << size;
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_FALSE(ReadPngChunks(longer.data(), longer.size()));
    EXPECT_FALSE(ReadPngChunks(nullptr, 0));
    // A changed byte breaks the signature, a length or a chunk's check value.
    for (size_t at = 0; at < good.size(); ++at) {
        std::vector<uint8_t> changed = good;
        changed[at] ^= 0x10;
        EXPECT_FALSE(ReadPngChunks(changed.data(), changed.size())) << at;
    }
}
