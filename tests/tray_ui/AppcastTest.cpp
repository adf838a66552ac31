#include "tray_ui/Appcast.h"

#include <gtest/gtest.h>

namespace panemark {
namespace {

int sign(int value) {
    return (value > 0) - (value < 0);
}

TEST(AppcastTest, VersionsCompareNumbersAsNumbersAndWordsBeforeNumbers) {
    const std::vector<std::pair<std::string, std::string>> ascending = {
        {"1.9", "1.10"},   {"1.0b1", "1.0"},
        {"1.0", "1.0.1"},  {"1.0a", "1.0b"},
        {"0.9.99", "1.0"}, {"2", "10"},
        {"1.2.0", "1.3"},  {"99999999999999999999", "100000000000000000000"}};
    for (const auto& [earlier, later] : ascending) {
        EXPECT_EQ(sign(Appcast::compareVersions(earlier, later)), -1) << earlier << " < " << later;
        EXPECT_EQ(sign(Appcast::compareVersions(later, earlier)), 1) << later << " > " << earlier;
    }
    EXPECT_EQ(Appcast::compareVersions("1.2", "1.2"), 0);
    EXPECT_EQ(Appcast::compareVersions("01.2", "1.02"), 0);
    EXPECT_EQ(Appcast::compareVersions("", ""), 0);
}

TEST(AppcastTest, ItemsComeFromElementsOrTheEnclosure) {
    const QByteArray feed = R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
 <channel><title>Panemark</title>
  <item><title>1.2</title>
   <sparkle:version>40</sparkle:version>
   <sparkle:shortVersionString>1.2.0</sparkle:shortVersionString>
   <link>https://example.org/1.2</link>
  </item>
  <item><title>1.1</title>
   <enclosure url="https://example.org/1.1.deb" sparkle:version="30"
              sparkle:shortVersionString="1.1.0" length="1" type="application/octet-stream"/>
  </item>
  <item><title>news, not a version</title><link>https://example.org/news</link></item>
 </channel>
</rss>)";
    const auto items = Appcast::parse(feed);
    ASSERT_TRUE(items) << items.error();
    ASSERT_EQ(items.value().size(), 2u);
    EXPECT_EQ(items.value()[0].version, "40");
    EXPECT_EQ(items.value()[0].shortVersion, "1.2.0");
    EXPECT_EQ(items.value()[0].downloadUrl, "https://example.org/1.2");
    EXPECT_EQ(items.value()[1].shortVersion, "1.1.0");
    EXPECT_EQ(items.value()[1].downloadUrl, "https://example.org/1.1.deb");
}

TEST(AppcastTest, WhatIsNotAnRssFeedIsSaidSo) {
    EXPECT_EQ(Appcast::parse("<html><body>hi</body></html>").error(),
              "the feed is not an RSS feed");
    const auto broken = Appcast::parse("<rss><channel><item>");
    ASSERT_FALSE(broken);
    EXPECT_NE(broken.error().find("not valid XML"), std::string::npos);
    EXPECT_FALSE(Appcast::parse(QByteArray("\0\x01\x02", 3)));
    // Entities defined in the feed are not expanded without bound.
    QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"aaaaaaaaaa\">";
    char previous = 'a';
    for (char name = 'b'; name <= 'k'; ++name) {
        laughs += QByteArray("<!ENTITY ") + name + " \"" +
                  QByteArray(10, '&').replace("&", QByteArray("&") + previous + ";") + "\">";
        previous = name;
    }
    laughs += "]><rss><channel><item><title>&k;</title></item></channel></rss>";
    EXPECT_FALSE(Appcast::parse(laughs));
}

TEST(AppcastTest, TheNewestItemIsJudgedAgainstTheRunningVersion) {
    const AppVersion running = AppVersion::fromInfo(
        {{AppVersion::shortVersionKey, "1.2.0"}, {AppVersion::buildKey, "40"}});
    const Appcast::Item older{"30", "1.1.0", "https://example.org/1.1"};
    const Appcast::Item same{"40", "1.2.0", "https://example.org/1.2"};
    const Appcast::Item rebuilt{"41", "1.2.0", "https://example.org/1.2-41"};
    const Appcast::Item newer{"50", "1.10.0", "https://example.org/1.10"};
    EXPECT_FALSE(Appcast::judge({older, same}, running).newer);
    EXPECT_TRUE(Appcast::judge({rebuilt}, running).newer);
    const Appcast::Verdict verdict = Appcast::judge({older, newer, same}, running);
    EXPECT_TRUE(verdict.newer);
    EXPECT_EQ(verdict.latest.downloadUrl, "https://example.org/1.10");
    EXPECT_FALSE(Appcast::judge({}, running).newer);
    EXPECT_TRUE(Appcast::judge({{"41", "", ""}}, running).newer); // builds alone
}

} // namespace
} // namespace panemark
