#include <gtest/gtest.h>

#include <string>

#include "http/cookies.h"

namespace idwatch {
namespace {

std::string S(const Text& text) { return std::string(text.Bytes()); }

TEST(Cookies, MergeReplacesDropsDeletedAndRepeatedItems) {
  struct Case {
    const char* cookies;
    const char* newCookies;
    const char* mergedCookies;
    const char* strippedNewCookies;
  } cases[] = {
      {"a=1; b=2", "b=3; c=4; ", "b=3; c=4; a=1", "b=3;c=4;"},
      {"a=1; b=2", "a=deleted; ", "b=2", "a=deleted;"},
      {"", "a=1; b=2; ", "a=1; b=2", "a=1;b=2;"},
      {"x=1; x=2", "", "x=1", ""},
      {"a=1", "a=1; a=1; ", "a=1", "a=1;a=1;"},
      {"", "a=1; a=2; ", "a=1; a=2", "a=1;a=2;"},
      {"a=b c", "", "a=bc", ""},
      {"", "", "", ""},
      // Deletion looks at the last eight bytes, case-sensitively.
      {"", "a=DELETED; ", "a=DELETED", "a=DELETED;"},
      {"x=1", "=deleted; ", "x=1", "=deleted;"},
      // An empty item (a Set-Cookie value without ";") survives as one piece.
      {"", "a=1; ; b=2; ", "a=1; ; b=2", "a=1;;b=2;"},
      // A value holding "=" is named by the text before the first "=".
      {"a=old", "a=b=c; ", "a=b=c", "a=b=c;"},
      // Full-width spaces are removed as well.
      {"a=1\xA1\xA1; b=2", "", "a=1; b=2", ""},
  };
  for (const Case& c : cases) {
    Text cookies = c.cookies;
    Text newCookies = c.newCookies;
    Text merged = MergeCookies(cookies, newCookies);
    EXPECT_EQ(S(cookies), c.mergedCookies) << c.cookies << " + " << c.newCookies;
    EXPECT_EQ(S(merged), c.mergedCookies) << c.cookies << " + " << c.newCookies;
    EXPECT_EQ(S(newCookies), c.strippedNewCookies) << c.cookies << " + " << c.newCookies;
  }
}

TEST(Cookies, NamesAndLookups) {
  EXPECT_EQ(S(CookieName("a=b=c")), "a");
  EXPECT_EQ(S(CookieName(" sid =1")), "sid");
  EXPECT_EQ(S(CookieName("flag")), "flag");
  EXPECT_EQ(S(CookieName("")), "");

  TextArray items;
  items.Append("a=1");
  items.Append("B=2");
  EXPECT_TRUE(HasCookieNamed(items, "a"));
  EXPECT_FALSE(HasCookieNamed(items, "b"));  // case-sensitive
  EXPECT_TRUE(ContainsText(items, "B=2"));
  EXPECT_FALSE(ContainsText(items, "B=3"));
  EXPECT_FALSE(ContainsText(TextArray(), ""));

  EXPECT_EQ(S(JoinDistinct("a; b; a; c; b", "; ")), "a; b; c");
  EXPECT_EQ(S(JoinDistinct("x,,x,", ",")), "x,");
  EXPECT_EQ(S(JoinDistinct("", "; ")), "");
}

}  // namespace
}  // namespace idwatch
