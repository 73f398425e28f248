// The version-block walk and TFileVersionInfo on blocks built byte by byte,
// and on the real blocks kept as fuzzing seeds.
#include <cstddef>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "FileVersionInfo.h"
#include "versioninfo_builder.h"

using namespace vitest;

namespace {

const char* const kNoInfo = "File contains no version information";

// The exact message of a rejected block; "" when the block is accepted.
std::string RejectionOf(const std::vector<uint8_t>& block) {
    try {
        TFileVersionInfo info(block);
    } catch (const EFileVersionInfoError& e) {
        return e.what();
    }
    return "";
}

std::vector<std::string> Texts(const TFileVersionInfo& info) {
    std::vector<std::string> texts;
    for (const auto& item : info.Items()) texts.push_back(item.text);
    return texts;
}

Node& TableOf(Node& root, size_t section = 0, size_t table = 0) {
    return root.children.at(section).children.at(table);
}

}  // namespace

// ---------------------------------------------------------------------------
// A typical block: every string, its table and its language.

TEST(VersionInfoSampleBlock, ReadsLanguageTranslationAndTheNineItems) {
    const TFileVersionInfo info(SampleBlock());

    EXPECT_TRUE(info.WideFormat());
    ASSERT_EQ(info.Languages().size(), 1u);
    EXPECT_EQ(info.Languages()[0].language, 0x0809);
    EXPECT_EQ(info.Languages()[0].codePage, 0x04E4);
    EXPECT_EQ(info.Translations(), std::vector<uint32_t>{0x04E40809u});
    EXPECT_EQ(info.LanguageIndex(), 0);

    const std::vector<std::string> expected = {"CompanyName=Acme Co",
                                               "FileDescription=Sample utility",
                                               "FileVersion=2.0.0.7",
                                               "InternalName=Toolkit",
                                               "LegalCopyright=\xC2\xA9 Acme Co. All rights reserved.",
                                               "LegalTrademarks=",
                                               "OriginalFilename=",
                                               "ProductName=Acme Toolkits",
                                               "ProductVersion="};
    EXPECT_EQ(Texts(info), expected);
    ASSERT_EQ(info.ItemList().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(info.ItemList()[i].text, expected[i]);
        EXPECT_EQ(info.ItemList()[i].table, 0);
        EXPECT_EQ(info.Items()[i].language, (TLanguageCodePage{0x0809, 0x04E4}));
    }
    EXPECT_EQ(info.Items()[1].Key(), "FileDescription");
    EXPECT_EQ(info.Items()[1].Value(), "Sample utility");
}

TEST(VersionInfoSampleBlock, FixedInfoAndBlockAreKept) {
    const std::vector<uint8_t> block = SampleBlock();
    const TFileVersionInfo info(block);
    EXPECT_EQ(info.Block(), block);
    EXPECT_EQ(info.FixedInfo().dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info.FixedInfo().dwFileVersionMS, 0x00020000u);
    EXPECT_EQ(info.FixedInfo().dwFileVersionLS, 0x00000007u);
    EXPECT_EQ(info.FixedInfo().dwFileOS, 0x00040004u);
    EXPECT_EQ(info.FileFlags(), TFileFlags{});
}

TEST(VersionInfoKeys, PredefinedKeyTableAndCaseInsensitiveLookup) {
    const std::vector<std::string> keys = {"Comments",        "CompanyName",      "FileDescription",
                                           "FileVersion",     "InternalName",     "LegalCopyright",
                                           "LegalTradeMarks", "OriginalFilename", "ProductName",
                                           "ProductVersion",  "SpecialBuild",     "PrivateBuild"};
    for (int i = 1; i <= 12; ++i) EXPECT_EQ(TFileVersionInfo::PredefinedKey(i), keys[i - 1]);

    Node root = SampleRoot();
    TableOf(root).children[5] = String("LegalTrademarks", "Toolkit(TM)");
    TableOf(root).Child(String("COMMENTS", "shouting")).Child(String("PrivateBuild", "a=b"));
    const TFileVersionInfo info(Build(root));
    EXPECT_EQ(info.PredefinedValue(7), "Toolkit(TM)");  // LegalTradeMarks finds LegalTrademarks
    EXPECT_EQ(info.PredefinedValue(1), "shouting");
    EXPECT_EQ(info.PredefinedValue(12), "a=b");  // split at the first "=" only
    EXPECT_EQ(info.Value("productname"), "Acme Toolkits");
    EXPECT_EQ(info.Value("ProductNam"), "");
    EXPECT_EQ(info.PredefinedValue(11), "");  // absent
    EXPECT_EQ(info.PredefinedValue(0), "");
    EXPECT_EQ(info.PredefinedValue(13), "");
}

// ---------------------------------------------------------------------------
// Tables, keys and sections.

TEST(VersionInfoTables, OnlyTheFirstTableIsExposed) {
    Node root = SampleRoot();
    Node second = Section("040904B0");
    second.Child(String("CompanyName", "Second")).Child(String("Comments", "only here"));
    root.children[0].Child(std::move(second));
    const TFileVersionInfo info(Build(root));

    ASSERT_EQ(info.Languages().size(), 2u);
    EXPECT_EQ(info.Languages()[1], (TLanguageCodePage{0x0409, 0x04B0}));
    EXPECT_EQ(info.Items().size(), 9u);
    EXPECT_EQ(info.PredefinedValue(2), "Acme Co");
    EXPECT_EQ(info.PredefinedValue(1), "");
    ASSERT_EQ(info.ItemList().size(), 11u);
    EXPECT_EQ(info.ItemList()[9].text, "CompanyName=Second");
    EXPECT_EQ(info.ItemList()[9].table, 1);
    EXPECT_EQ(info.ItemList()[10].text, "Comments=only here");
    EXPECT_EQ(info.ItemList()[10].table, 1);
}

TEST(VersionInfoTables, DuplicatedKeyAnswersWithTheFirst) {
    Node root = SampleRoot();
    TableOf(root).Child(String("CompanyName", "Later"));
    const TFileVersionInfo info(Build(root));
    EXPECT_EQ(info.PredefinedValue(2), "Acme Co");
    EXPECT_EQ(info.Items().back().text, "CompanyName=Later");
}

TEST(VersionInfoTables, TableKeyIsCleanedToEightHexDigits) {
    struct Case {
        const char* key;
        TLanguageCodePage expected;
    } const accepted[] = {
        {"0x0409 0x04B0", {0x0409, 0x04B0}}, {"040904b0", {0x0409, 0x04B0}}, {"0407-04E4!", {0x0407, 0x04E4}},
        {"00xx0C0A04E4", {0x0C0A, 0x04E4}},  // removing "0x" leaves another "0x"
        {"00x409 04B0", {0x0409, 0x04B0}},   // the zero before "0x" is a digit
    };
    for (const Case& c : accepted) {
        Node root = SampleRoot();
        TableOf(root).key = c.key;
        const TFileVersionInfo info(Build(root));
        ASSERT_EQ(info.Languages().size(), 1u) << c.key;
        EXPECT_EQ(info.Languages()[0], c.expected) << c.key;
        EXPECT_EQ(info.Items().front().language, c.expected) << c.key;
    }
    // Too few or too many digits once cleaned ("lang" keeps its 'a').
    for (const char* rejected : {"040904B", "0x0409", "", "040904B0E", "Ox0409O4B0", "lang 0407-04E4"}) {
        Node root = SampleRoot();
        TableOf(root).key = rejected;
        EXPECT_EQ(RejectionOf(Build(root)), kNoInfo) << rejected;
    }
}

TEST(VersionInfoSections, ThirdChildWithAnotherKeyEndsTheWalkSuccessfully) {
    Node root = SampleRoot();
    Node extra = Section("SomethingElse");
    extra.Child(String("Ignored", "x"));
    root.Child(std::move(extra));
    const TFileVersionInfo info(Build(root));
    EXPECT_EQ(info.Items().size(), 9u);
    EXPECT_EQ(info.Translations(), std::vector<uint32_t>{0x04E40809u});

    // An unknown section first: nothing after it is read.
    Node early = SampleRoot();
    early.children.insert(early.children.begin(), Section("Unknown"));
    const TFileVersionInfo none(Build(early));
    EXPECT_TRUE(none.Items().empty());
    EXPECT_TRUE(none.Languages().empty());
    EXPECT_TRUE(none.Translations().empty());
    EXPECT_EQ(none.PredefinedValue(2), "");
}

TEST(VersionInfoSections, SectionsInEitherOrderAndTranslationLists) {
    Node root = SampleRoot();
    std::swap(root.children[0], root.children[1]);
    root.children[0] = VarSection({0x04B00409, 0x04E40809, 0x12345678});
    const TFileVersionInfo info(Build(root));
    EXPECT_EQ(info.Translations(), (std::vector<uint32_t>{0x04B00409, 0x04E40809, 0x12345678}));
    EXPECT_EQ(info.PredefinedValue(9), "Acme Toolkits");

    // A variable section whose first child is not "Translation".
    Node other = SampleRoot();
    other.children[1].children[0] = Section("NotTranslation");
    const TFileVersionInfo noTranslations(Build(other));
    EXPECT_TRUE(noTranslations.Translations().empty());
    EXPECT_EQ(noTranslations.Items().size(), 9u);

    // The position stays after a non-"Translation" header, so its value is
    // read as the next section: here a node with an unknown key, which ends
    // the walk without an error.
    Node valued = SampleRoot();
    Node notTranslation = Binary("NotTranslation", {12, 0, 0, 0, 0, 0, 'X', 0, 0, 0, 0, 0});
    valued.children[1].children[0] = std::move(notTranslation);
    const TFileVersionInfo stillNone(Build(valued));
    EXPECT_TRUE(stillNone.Translations().empty());
    EXPECT_EQ(stillNone.Items().size(), 9u);

    // Only the block's root matters: bytes after it are not read.
    std::vector<uint8_t> padded = SampleBlock();
    padded.resize(padded.size() + 4096, 0xCC);
    EXPECT_EQ(TFileVersionInfo(padded).Items().size(), 9u);
}

TEST(VersionInfoSections, WideRootOfTypeTextIsStillWide) {
    // The format is told by the word at offset 4: a wide root's type, 0 or 1.
    Node root = SampleRoot();
    root.type = 1;
    const std::vector<uint8_t> block = Build(root);
    ASSERT_EQ(block[4], 1);
    const TFileVersionInfo info(block);
    EXPECT_TRUE(info.WideFormat());
    EXPECT_EQ(info.PredefinedValue(9), "Acme Toolkits");
}

TEST(VersionInfoSections, BlockWithoutStringsHasNoItems) {
    const TFileVersionInfo info(Build(Root()));
    EXPECT_TRUE(info.Items().empty());
    EXPECT_TRUE(info.ItemList().empty());
    EXPECT_EQ(info.PredefinedValue(4), "");
}

// ---------------------------------------------------------------------------
// Value encodings.

TEST(VersionInfoValues, BinaryValuesAsDollarHex) {
    Node root = SampleRoot();
    TableOf(root)
        .Child(Binary("Two", {0x34, 0x12}))
        .Child(Binary("One", {0x0A}))
        .Child(Binary("Three", {0x01, 0x00, 0xAB}))
        .Child(Binary("Four", {0xEF, 0xBE, 0xAD, 0xDE}))
        .Child(Binary("Five", {1, 2, 3, 4, 5}))
        .Child(Binary("None", {}));
    const TFileVersionInfo info(Build(root));
    EXPECT_EQ(info.Value("Two"), "$1234");
    EXPECT_EQ(info.Value("One"), "$0A");
    EXPECT_EQ(info.Value("Three"), "$AB0001");
    EXPECT_EQ(info.Value("Four"), "$DEADBEEF");
    EXPECT_EQ(info.Items()[13].text, "Five=");
    EXPECT_EQ(info.Items()[14].text, "None=");
}

TEST(VersionInfoValues, WideTextIsUtf8AndCutAtTheFirstZero) {
    Node root = SampleRoot();
    Node cut = String("Cut", "abc");
    cut.text = std::string("ab\0cd", 5);
    Node zeroLength = String("ZeroLength", "ignored");
    zeroLength.valueLength = 0;
    Node shortLength = String("ShortLength", "abcdef");
    shortLength.valueLength = 3;  // three units, no terminator among them
    TableOf(root)
        .Child(String("Accents", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"))
        .Child(std::move(cut))
        .Child(std::move(zeroLength))
        .Child(std::move(shortLength));
    const TFileVersionInfo info(Build(root));
    EXPECT_EQ(info.Value("Accents"), "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
    EXPECT_EQ(info.Value("Cut"), "ab");
    EXPECT_EQ(info.Items()[11].text, "ZeroLength=");
    EXPECT_EQ(info.Value("ShortLength"), "abc");
}

TEST(VersionInfoValues, NarrowFormatReadsEveryValueAsWindows1252Text) {
    Node root = SampleRoot();
    TableOf(root).children[4] = String("LegalCopyright", "\xA9 Acme Co \x80 \x93q\x94");
    TableOf(root).Child(String("K\xE9y", "v\xE4lue"));
    // Without type words the binary Translation value also counts as text;
    // the walk still reads it as 32-bit values.
    const std::vector<uint8_t> block = Build(root, BlockFormat::Narrow);
    ASSERT_GE(block.size(), 6u);
    EXPECT_EQ(block[4], 'V');  // no type word: the key starts at offset 4

    const TFileVersionInfo info(block);
    EXPECT_FALSE(info.WideFormat());
    EXPECT_EQ(info.Languages().at(0), (TLanguageCodePage{0x0809, 0x04E4}));
    EXPECT_EQ(info.Translations(), std::vector<uint32_t>{0x04E40809u});
    EXPECT_EQ(info.PredefinedValue(9), "Acme Toolkits");
    EXPECT_EQ(info.PredefinedValue(6), "\xC2\xA9 Acme Co \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D");
    EXPECT_EQ(info.PredefinedValue(8), "");
    EXPECT_EQ(info.Items().back().text, "K\xC3\xA9y=v\xC3\xA4lue");
    EXPECT_EQ(info.FixedInfo().dwFileVersionLS, 0x00000007u);
}

TEST(VersionInfoValues, Windows1252Conversion) {
    EXPECT_EQ(Windows1252ToUtf8("plain"), "plain");
    EXPECT_EQ(Windows1252ToUtf8("\x80\x8A\x9F"), "\xE2\x82\xAC\xC5\xA0\xC5\xB8");
    EXPECT_EQ(Windows1252ToUtf8("\x81\xFF"), "\xC2\x81\xC3\xBF");
}

// ---------------------------------------------------------------------------
// File flags.

TEST(VersionInfoFileFlags, FlagsMaskedByTheMaskGiveTheSixMembers) {
    struct Case {
        uint32_t flags;
        uint32_t mask;
        TFileFlags expected;
    } const cases[] = {
        {0x01, 0x3F, {true, false, false, false, false, false}},
        {0x10, 0x3F, {false, true, false, false, false, false}},
        {0x04, 0x3F, {false, false, true, false, false, false}},
        {0x02, 0x3F, {false, false, false, true, false, false}},
        {0x08, 0x3F, {false, false, false, false, true, false}},
        {0x20, 0x3F, {false, false, false, false, false, true}},
        {0x3F, 0x3F, {true, true, true, true, true, true}},
        {0x3F, 0x00, {}},
        {0x3F, 0x05, {true, false, true, false, false, false}},
        {0xFFC0, 0xFFFF, {}},
    };
    for (const Case& c : cases) {
        FixedInfo fixed;
        fixed.fileFlags = c.flags;
        fixed.fileFlagsMask = c.mask;
        Node root = SampleRoot();
        root.bytes = FixedInfoBytes(fixed);
        const TFileVersionInfo info(Build(root));
        EXPECT_EQ(info.FileFlags(), c.expected) << std::hex << c.flags << " mask " << c.mask;
        EXPECT_EQ(info.FixedInfo().dwFileFlags, c.flags);
    }
}

// ---------------------------------------------------------------------------
// Blocks the reader must reject, with the one message and no stray reads.

TEST(VersionInfoRejects, MalformedShapes) {
    const std::vector<std::pair<const char*, std::function<void(Node&)>>> shapes = {
        {"root key wrong", [](Node& r) { r.key = "VS_VERSION_INFX"; }},
        {"root key lower case", [](Node& r) { r.key = "vs_version_info"; }},
        {"root value 48 bytes", [](Node& r) { r.bytes.resize(48); }},
        {"root value length 56", [](Node& r) { r.bytes.resize(56); }},
        {"root value length claims 51", [](Node& r) { r.valueLength = 51; }},
        {"wrong signature",
         [](Node& r) {
             FixedInfo f;
             f.signature = 0xFEEF04BC;
             r.bytes = FixedInfoBytes(f);
         }},
        {"zero-length root", [](Node& r) { r.length = 0; }},
        {"zero-length string section", [](Node& r) { r.children[0].length = 0; }},
        {"zero-length table", [](Node& r) { TableOf(r).length = 0; }},
        {"zero-length string", [](Node& r) { TableOf(r).children[3].length = 0; }},
        {"zero-length variable section", [](Node& r) { r.children[1].length = 0; }},
        {"zero-length translation", [](Node& r) { r.children[1].children[0].length = 0; }},
        {"table value length non-zero", [](Node& r) { TableOf(r).valueLength = 1; }},
        {"string type 2", [](Node& r) { TableOf(r).children[2].type = 2; }},
        {"string type 0xFFFF", [](Node& r) { TableOf(r).children[8].type = 0xFFFF; }},
        {"short table key", [](Node& r) { TableOf(r).key = "080904E"; }},
        {"empty node inside a table",
         [](Node& r) {
             TableOf(r).children[2] = Section("");
             TableOf(r).children[2].length = 0;
         }},
    };
    for (const auto& [name, change] : shapes) {
        Node root = SampleRoot();
        change(root);
        EXPECT_EQ(RejectionOf(Build(root)), kNoInfo) << name;
        EXPECT_THROW(WalkVersionBlock(Build(root)), EFileVersionInfoError) << name;
    }
}

TEST(VersionInfoRejects, EveryTruncationOfARealBlock) {
    // A block cut anywhere short of its root's length claims bytes that are
    // not there.
    for (const BlockFormat format : {BlockFormat::Wide, BlockFormat::Narrow}) {
        const std::vector<uint8_t> block = Build(SampleRoot(), format);
        const uint16_t rootLength = static_cast<uint16_t>(block[0] | (block[1] << 8));
        ASSERT_EQ(rootLength, block.size());
        for (size_t size = 0; size < block.size(); ++size) {
            const std::vector<uint8_t> cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(size));
            EXPECT_EQ(RejectionOf(cut), kNoInfo) << "size " << size;
        }
        EXPECT_EQ(RejectionOf(block), "");
    }
}

TEST(VersionInfoRejects, LengthsThatPointPastTheirParent) {
    const std::vector<std::pair<const char*, std::function<void(Node&)>>> lies = {
        {"root longer than the block", [](Node& r) { r.length = 0xFFFF; }},
        {"string section past the root", [](Node& r) { r.children[0].length = 0xFFF0; }},
        {"table past its section", [](Node& r) { TableOf(r).length = 0xFFF0; }},
        {"string past its table", [](Node& r) { TableOf(r).children[8].length = 0x4000; }},
        {"variable section past the root", [](Node& r) { r.children[1].length = 0x1000; }},
        {"translation past its section", [](Node& r) { r.children[1].children[0].length = 0x100; }},
        {"translation value past its node", [](Node& r) { r.children[1].children[0].valueLength = 0x80; }},
        {"text value past its node", [](Node& r) { TableOf(r).children[0].valueLength = 0x200; }},
        {"text value twice its size", [](Node& r) { TableOf(r).children[0].valueLength = 12; }},
        {"binary value past its node",
         [](Node& r) {
             TableOf(r).Child(Binary("B", {1, 2}));
             TableOf(r).children.back().valueLength = 4;
         }},
        {"long binary value past its node",
         [](Node& r) {
             TableOf(r).Child(Binary("B", {1, 2}));
             TableOf(r).children.back().valueLength = 0xF000;
         }},
        {"section value past its node", [](Node& r) { r.children[0].valueLength = 0x8000; }},
        {"string shorter than its key", [](Node& r) { TableOf(r).children[0].length = 10; }},
        {"table shorter than its key", [](Node& r) { TableOf(r).length = 9; }},
        {"odd root length mid-character", [](Node& r) { r.length = 37; }},
    };
    for (const auto& [name, change] : lies) {
        Node root = SampleRoot();
        change(root);
        EXPECT_EQ(RejectionOf(Build(root)), kNoInfo) << name;
    }
}

TEST(VersionInfoRejects, KeysAndNarrowTextWithoutTerminator) {
    // The root's key runs into the end of the block.
    std::vector<uint8_t> block;
    PutWord(block, 0);
    PutWord(block, 52);
    PutWord(block, 0);
    for (const char c : std::string("VS_VERSION_INFO")) PutWord(block, static_cast<uint8_t>(c));
    SetWord(block, 0, static_cast<uint16_t>(block.size()));
    EXPECT_EQ(RejectionOf(block), kNoInfo);
    block.push_back(0);  // half a terminator: an odd size
    SetWord(block, 0, static_cast<uint16_t>(block.size()));
    EXPECT_EQ(RejectionOf(block), kNoInfo);

    // A string's key that reaches the end of its node.
    {
        Node root = SampleRoot();
        Node& item = TableOf(root).children[8];          // ProductVersion, the last string
        item.length = static_cast<uint16_t>(6 + 2 * 5);  // "Produ" and no terminator
        std::vector<uint8_t> built = Build(root);
        EXPECT_EQ(RejectionOf(built), kNoInfo);
    }

    // Narrow format: a key and a value without their zero byte.
    {
        std::vector<uint8_t> narrow;
        PutWord(narrow, 0);
        PutWord(narrow, 52);
        narrow.insert(narrow.end(), {'V', 'S', '_', 'V', 'E', 'R'});
        SetWord(narrow, 0, static_cast<uint16_t>(narrow.size()));
        EXPECT_EQ(RejectionOf(narrow), kNoInfo);
    }
    {
        // ProductName as the table's last string: 4 bytes of header, 12 of
        // key, then "Acme Toolkits" and its zero byte.
        Node root = SampleRoot();
        TableOf(root).children.resize(8);
        EXPECT_EQ(TFileVersionInfo(Build(root, BlockFormat::Narrow)).PredefinedValue(9), "Acme Toolkits");
        Node& last = TableOf(root).children[7];
        last.length = 4 + 12 + 13;
        last.valueLength = 13;
        EXPECT_EQ(RejectionOf(Build(root, BlockFormat::Narrow)), kNoInfo);
    }
}

TEST(VersionInfoRejects, TinyAndEmptyBlocks) {
    EXPECT_EQ(RejectionOf({}), kNoInfo);
    EXPECT_EQ(RejectionOf({0x02}), kNoInfo);
    EXPECT_EQ(RejectionOf({0x06, 0x00, 0x34, 0x00, 0x00}), kNoInfo);
    EXPECT_EQ(RejectionOf({0x06, 0x00, 0x34, 0x00, 0x00, 0x00}), kNoInfo);
    EXPECT_EQ(RejectionOf(std::vector<uint8_t>(64, 0)), kNoInfo);
    EXPECT_EQ(RejectionOf(std::vector<uint8_t>(64, 0xFF)), kNoInfo);
}

TEST(VersionInfoRejects, TheErrorIsASupportError) {
    try {
        TFileVersionInfo info(std::vector<uint8_t>{});
        FAIL() << "accepted an empty block";
    } catch (const ESupportError& e) {
        EXPECT_STREQ(e.what(), kNoInfo);
        EXPECT_NE(dynamic_cast<const EFileVersionInfoError*>(&e), nullptr);
    }
}

// ---------------------------------------------------------------------------
// Real blocks: the fuzzer's seeds, taken from Wine's DLLs, from executables
// whose resources windres compiled, and rc.exe-layout blocks. The checks
// above must not reject what real resource compilers write.

namespace {

std::filesystem::path CorpusDir() { return FolderFromEnvironment("BRIVANE_VERSIONINFO_CORPUS_DIR"); }

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

}  // namespace

TEST(VersionInfoRealBlocks, EverySeedIsAccepted) {
    ASSERT_TRUE(std::filesystem::is_directory(CorpusDir())) << CorpusDir();
    int seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(CorpusDir())) {
        const std::vector<uint8_t> block = ReadFile(entry.path());
        ++seeds;
        EXPECT_EQ(RejectionOf(block), "") << entry.path();
    }
    EXPECT_GE(seeds, 5);
}

TEST(VersionInfoRealBlocks, WineBlockReadsAsExpected) {
    const TFileVersionInfo comctl(ReadFile(CorpusDir() / "wine-comctl32.bin"));
    EXPECT_TRUE(comctl.WideFormat());
    EXPECT_EQ(comctl.Languages().at(0), (TLanguageCodePage{0x0409, 0x04B0}));
    EXPECT_EQ(comctl.PredefinedValue(8), "comctl32.dll");
    EXPECT_FALSE(comctl.PredefinedValue(4).empty());
    EXPECT_EQ(comctl.PredefinedValue(5), "");  // stored with value length 1
    EXPECT_EQ(comctl.Translations().size(), 1u);
    EXPECT_EQ(comctl.FixedInfo().dwSignature, 0xFEEF04BDu);
}
