#include "WebLabel/WebLabelRules.h"

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

std::string WebLabelTarget(std::string_view url) {
    if (StartsWithNoCase(url, "http")) return std::string(url);
    std::string target = "http://";
    target += url;
    return target;
}
