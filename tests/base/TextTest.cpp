#include "base/Text.h"

#include <gtest/gtest.h>
#include <string>

namespace panemark {
namespace {

using namespace std::string_literals;

TEST(TextTest, TheFirstByteThatIsNotTextIsFoundWhereverItIs) {
    const std::string ascii(40, 'a');
    EXPECT_EQ(Text::firstNonText(ascii), std::string::npos);
    for (std::size_t at : {0u, 1u, 7u, 8u, 9u, 23u, 39u}) {
        std::string withNul = ascii;
        withNul[at] = '\0';
        EXPECT_EQ(Text::firstNonText(withNul), at);
        std::string broken = ascii;
        broken[at] = '\xC3'; // a lead byte with no continuation
        EXPECT_EQ(Text::firstNonText(broken), at);
    }
    EXPECT_EQ(Text::firstNonText("Grüße aus Zürich, 東京 ✓ and more ascii text"s),
              std::string::npos);
}

TEST(TextTest, BlankNamesAndTrimmingFollowOneRule) {
    EXPECT_TRUE(Text::isBlank(""));
    EXPECT_TRUE(Text::isBlank(" \t\u00A0\u3000\u2003"));
    EXPECT_TRUE(Text::isBlank("\n\r"));
    EXPECT_FALSE(Text::isBlank("\n", Text::LineBreaks::kept));
    EXPECT_EQ(Text::trimmed("\u3000 Work\u00A0Desk \n"), "Work\u00A0Desk");
    EXPECT_EQ(Text::printable("a\u202Eb\u2066c"), "a\\u{202E}b\\u{2066}c");
}

} // namespace
} // namespace panemark
