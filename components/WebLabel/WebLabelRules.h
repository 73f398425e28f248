// The hyperlink label's address rule, kept free of Win32 so that it is tested
// natively.
#pragma once

#include <string>
#include <string_view>

// What a click on a label with address `url` asks the shell to open: the
// address itself when it begins with "http" in any letter case (an http or
// https address, however its scheme is written), otherwise "http://" in front
// of it (a bare host name, an address of another scheme, or one that only
// contains "http" further on).
std::string WebLabelTarget(std::string_view url);
