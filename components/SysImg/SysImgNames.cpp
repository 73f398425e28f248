#include "SysImg/SysImgNames.h"

namespace {

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsComponentEnd(char c) { return c == '\\' || c == '/' || c == ':'; }

}  // namespace

bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

int32_t SpecialFolderId(std::string_view name) {
    for (const TSpecialFolder& folder : SpecialFolders) {
        if (SameTextAscii(name, folder.DisplayName)) return folder.FolderId;
    }
    return -1;
}

std::string FileExtension(std::string_view name) {
    for (size_t i = name.size(); i > 0; --i) {
        const char c = name[i - 1];
        if (c == '.') return std::string(name.substr(i - 1));
        if (IsComponentEnd(c)) break;
    }
    return {};
}
