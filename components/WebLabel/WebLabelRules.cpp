#include "WebLabel/WebLabelRules.h"

#include "core/AsciiCase.h"

std::string WebLabelTarget(std::string_view url) {
    if (StartsWithTextAscii(url, "http")) return std::string(url);
    std::string target = "http://";
    target += url;
    return target;
}
