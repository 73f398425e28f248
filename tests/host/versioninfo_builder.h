// Builds version blocks byte by byte for the tests: a tree of nodes written
// the way resource compilers lay them out (header, key, padding to 4, value,
// padding, children), with every header field open to being overridden so a
// test can make a block lie about itself.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/Utf.h"

namespace vitest {

enum class BlockFormat { Wide, Narrow };

struct Node {
    std::string key;                  // UTF-8 (wide) or raw 8-bit bytes (narrow)
    std::optional<std::string> text;  // a text value, written with its terminator
    std::vector<uint8_t> bytes;       // a binary value, when text is empty
    std::vector<Node> children;
    std::optional<uint16_t> length;  // overrides the computed node length
    std::optional<uint16_t> valueLength;
    std::optional<uint16_t> type;  // wide format only

    Node& Child(Node child) {
        children.push_back(std::move(child));
        return *this;
    }
};

inline Node Section(std::string key) {
    Node node;
    node.key = std::move(key);
    node.type = 1;
    return node;
}

inline Node String(std::string key, std::string value) {
    Node node;
    node.key = std::move(key);
    node.text = std::move(value);
    return node;
}

inline Node Binary(std::string key, std::vector<uint8_t> bytes) {
    Node node;
    node.key = std::move(key);
    node.bytes = std::move(bytes);
    return node;
}

inline void PutWord(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void PutDWord(std::vector<uint8_t>& out, uint32_t value) {
    PutWord(out, static_cast<uint16_t>(value & 0xFFFF));
    PutWord(out, static_cast<uint16_t>(value >> 16));
}

inline void PadTo4(std::vector<uint8_t>& out) {
    while (out.size() % 4 != 0) out.push_back(0);
}

inline void SetWord(std::vector<uint8_t>& out, size_t at, uint16_t value) {
    out[at] = static_cast<uint8_t>(value & 0xFF);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}

inline void Write(const Node& node, BlockFormat format, std::vector<uint8_t>& out) {
    PadTo4(out);
    const size_t start = out.size();
    const bool wide = format == BlockFormat::Wide;

    std::vector<uint8_t> value;
    uint16_t valueLength = 0;
    if (node.text) {
        if (wide) {
            const std::u16string units = Utf8ToUtf16(*node.text);
            for (const char16_t c : units) PutWord(value, c);
            PutWord(value, 0);
            valueLength = static_cast<uint16_t>(units.size() + 1);
        } else {
            value.assign(node.text->begin(), node.text->end());
            value.push_back(0);
            valueLength = static_cast<uint16_t>(value.size());
        }
    } else {
        value = node.bytes;
        valueLength = static_cast<uint16_t>(value.size());
    }

    PutWord(out, 0);  // length, filled in below
    PutWord(out, node.valueLength.value_or(valueLength));
    if (wide) {
        PutWord(out, node.type.value_or(node.text ? 1 : 0));
        for (const char16_t c : Utf8ToUtf16(node.key)) PutWord(out, c);
        PutWord(out, 0);
    } else {
        out.insert(out.end(), node.key.begin(), node.key.end());
        out.push_back(0);
    }
    PadTo4(out);
    out.insert(out.end(), value.begin(), value.end());
    for (const Node& child : node.children) Write(child, format, out);
    SetWord(out, start, node.length.value_or(static_cast<uint16_t>(out.size() - start)));
}

inline std::vector<uint8_t> Build(const Node& root, BlockFormat format = BlockFormat::Wide) {
    std::vector<uint8_t> out;
    Write(root, format, out);
    return out;
}

struct FixedInfo {
    uint32_t signature = 0xFEEF04BD;
    uint32_t strucVersion = 0x00010000;
    uint32_t fileVersionMS = 0x00020000;
    uint32_t fileVersionLS = 0x00000007;
    uint32_t productVersionMS = 0x00020000;
    uint32_t productVersionLS = 0x00000007;
    uint32_t fileFlagsMask = 0x3F;
    uint32_t fileFlags = 0;
    uint32_t fileOS = 0x00040004;
    uint32_t fileType = 1;
    uint32_t fileSubtype = 0;
    uint32_t fileDateMS = 0;
    uint32_t fileDateLS = 0;
};

inline std::vector<uint8_t> FixedInfoBytes(const FixedInfo& info) {
    std::vector<uint8_t> out;
    for (const uint32_t v :
         {info.signature, info.strucVersion, info.fileVersionMS, info.fileVersionLS, info.productVersionMS,
          info.productVersionLS, info.fileFlagsMask, info.fileFlags, info.fileOS, info.fileType,
          info.fileSubtype, info.fileDateMS, info.fileDateLS}) {
        PutDWord(out, v);
    }
    return out;
}

inline Node Root(const FixedInfo& info = {}) {
    Node root = Binary("VS_VERSION_INFO", FixedInfoBytes(info));
    return root;
}

// A Var node: (language, code page) pairs, each stored as two words.
inline Node Var(std::string key, const std::vector<uint32_t>& translations) {
    std::vector<uint8_t> bytes;
    for (const uint32_t t : translations) PutDWord(bytes, t);
    return Binary(std::move(key), std::move(bytes));
}

// "VarFileInfo" holding one "Translation" Var.
inline Node VarSection(const std::vector<uint32_t>& translations) {
    Node var = Section("VarFileInfo");
    var.Child(Var("Translation", translations));
    return var;
}

// A string that holds the terminator alone: value length 1.
inline Node EmptyString(std::string key) { return String(std::move(key), ""); }

// A typical wide block for the tests to bend: one table 080904E4 of nine
// strings (three of them empty), then one translation. Its values are
// made up; the program's real resource is read from the compiled brivane.rc
// (versioninfo_compiled_test.cpp).
inline Node SampleRoot() {
    Node table = Section("080904E4");
    table.Child(String("CompanyName", "Acme Co"))
        .Child(String("FileDescription", "Sample utility"))
        .Child(String("FileVersion", "2.0.0.7"))
        .Child(String("InternalName", "Toolkit"))
        .Child(String("LegalCopyright", "\xC2\xA9 Acme Co. All rights reserved."))
        .Child(EmptyString("LegalTrademarks"))
        .Child(EmptyString("OriginalFilename"))
        .Child(String("ProductName", "Acme Toolkits"))
        .Child(EmptyString("ProductVersion"));
    Node strings = Section("StringFileInfo");
    strings.Child(std::move(table));
    Node root = Root();
    root.Child(std::move(strings)).Child(VarSection({0x04E40809}));
    return root;
}

inline std::vector<uint8_t> SampleBlock() { return Build(SampleRoot()); }

// A folder that ctest names in the environment (tests/host/versioninfo.cmake):
// kept out of the compile command, so that the compiler cache serves every
// checkout. Empty when the variable is missing (the caller's check fails).
inline std::filesystem::path FolderFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::filesystem::path(value) : std::filesystem::path();
}

}  // namespace vitest
