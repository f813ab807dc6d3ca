#include "core/app/version_check.h"

#include <gtest/gtest.h>

namespace konfex {
namespace {

TEST(VersionCheck, ConvVersionReadsFourDigitsAroundThePoint) {
  struct Case {
    const char* text;
    int number;
  };
  const Case cases[] = {
      {"VER. 1.002", 1002},
      {"1.000", 1000},
      {"1.100", 1100},
      {"VER.   1.001  ", 1001},  // blanks around the version
      {"VER. 1.0019", 1001},     // what follows the fifth character is ignored
      {"VER. 1,234", 1234},      // the second character is skipped, whatever it is
      {"VER. 10.000", -1},       // two digits before the point
      {"VER. 1.0", -1},          // fewer than five characters
      {"VER.", -1},              // no blank: the whole text, four characters
      {"", -1},
      {"VER. 1.a00", -1},         // not decimal
      {"VER. 1. 00", -1},         // a blank inside
      {"A B 1.000", -1},          // only the first blank separates
      {"VER. -.001", -1},         // a sign is read, so this is -1 itself
      {"VER. 1\u00e9002", 1002},  // a character of two bytes in the skipped place
  };
  for (const Case& c : cases) EXPECT_EQ(convVersion(c.text), c.number) << '"' << c.text << '"';
}

TEST(VersionCheck, OnlyANewerVersionIsAnUpdate) {
  struct Case {
    const char* body;
    bool newer;
  };
  const Case cases[] = {
      {"VER. 1.000", false},
      {"VER. 1.001", true},
      {"VER. 0.000", false},
      {"ver. 0.000", false},
      {"Ver. 0.000", false},
      {"1.100", true},
      {"VER. 10.000", false},
      {"VER. 1.0", false},
      {"", false},
      {" \r\n\t", false},
      {"\r\n  VER. 2.000 \r\n", true},
      {"\xEF\xBB\xBFVER. 1.001", true},  // a byte-order mark in front
      {"VER. 0.999", false},
      {"<html><body>404 Not Found</body></html>", false},
  };
  for (const Case& c : cases) EXPECT_EQ(isNewerVersion(std::string_view(c.body)), c.newer) << '"' << c.body << '"';

  EXPECT_TRUE(isNewerVersion(HttpAnswer{200, "VER. 1.001"}));
  EXPECT_TRUE(isNewerVersion(HttpAnswer{204, "VER. 1.001"}));
  EXPECT_FALSE(isNewerVersion(HttpAnswer{404, "VER. 1.001"})) << "an error status leaves the answer empty";
  EXPECT_FALSE(isNewerVersion(HttpAnswer{0, ""})) << "no answer at all";
}

TEST(VersionCheck, RequestAndLinksLieOnTheMakersServer) {
  const HttpRequest r = versionRequest("http://maker.test");
  EXPECT_EQ(r.url, "http://maker.test/home/download/GetversionSW.asp?nomesw=QS40213");
  using Headers = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(r.headers, (Headers{{"Accept", "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"},
                                {"User-Agent", "Mozilla/3.0 (compatible; Indy Library)"}}));
  EXPECT_EQ(r.timeLimit, kVersionRequestLimit);
  EXPECT_EQ(kVersionRequestLimit.count(), 10000);
  EXPECT_EQ(kFirstUpdateCheck.count(), 60000);
  EXPECT_EQ(kUpdateCheckInterval.count(), 7200000);

  const std::string download = downloadPageUrl("http://maker.test");
  EXPECT_EQ(download, "http://maker.test/Home/download/download.asp#QD40213");
  EXPECT_EQ(updateLinkHtml(download, "New Version Available. Click Here for more Details"),
            "<a href=\"http://maker.test/Home/download/download.asp#QD40213\">New Version Available. Click Here "
            "for more Details</a>");
  EXPECT_EQ(updateLinkHtml("http://m.test/?a=1&b=\"2\"", "<Neu> & mehr"),
            "<a href=\"http://m.test/?a=1&amp;b=&quot;2&quot;\">&lt;Neu&gt; &amp; mehr</a>")
      << "a translated text or an odd address cannot break the anchor";
}

}  // namespace
}  // namespace konfex
