// What a click on the hyperlink label asks the shell to open.
#include <gtest/gtest.h>

#include <string>

#include "WebLabel/WebLabelRules.h"

namespace {

TEST(WebLabelTarget, PutsTheSchemeBeforeAddressesWithoutOne) {
    EXPECT_EQ(WebLabelTarget("www.example.com"), "http://www.example.com");
    EXPECT_EQ(WebLabelTarget("example.com/path?q=1"), "http://example.com/path?q=1");
    EXPECT_EQ(WebLabelTarget(""), "http://");
}

TEST(WebLabelTarget, KeepsHttpAddressesWhateverTheirLetterCase) {
    EXPECT_EQ(WebLabelTarget("http://www.example.com"), "http://www.example.com");
    EXPECT_EQ(WebLabelTarget("https://www.example.com/a"), "https://www.example.com/a");
    EXPECT_EQ(WebLabelTarget("HTTP://WWW.EXAMPLE.COM"), "HTTP://WWW.EXAMPLE.COM");
    EXPECT_EQ(WebLabelTarget("Https://example.com"), "Https://example.com");
    // Only the beginning counts, so a host whose name starts with the four
    // letters is taken as it is too.
    EXPECT_EQ(WebLabelTarget("httpbin.example"), "httpbin.example");
}

TEST(WebLabelTarget, TreatsOtherSchemesAndLaterHttpAsPlainAddresses) {
    EXPECT_EQ(WebLabelTarget("ftp://x"), "http://ftp://x");
    EXPECT_EQ(WebLabelTarget("xhttp"), "http://xhttp");
    EXPECT_EQ(WebLabelTarget("www.example.com/http"), "http://www.example.com/http");
    EXPECT_EQ(WebLabelTarget("htt"), "http://htt");
    // Non-ASCII text passes through byte for byte.
    EXPECT_EQ(WebLabelTarget("b\xC3\xBC"
                             "cher.example"),
              "http://b\xC3\xBC"
              "cher.example");
}

}  // namespace
