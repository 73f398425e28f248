#include "SysImg/SysImgNames.h"

#include "core/AsciiCase.h"

namespace {

bool IsComponentEnd(char c) { return c == '\\' || c == '/' || c == ':'; }

}  // namespace

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
