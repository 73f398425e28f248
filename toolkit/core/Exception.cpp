#include "Exception.h"

std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            const char kind = pattern[i + 1];
            if (kind == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (kind == 's' || kind == 'd') {
                if (next != args.end()) out += *next++;
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}
