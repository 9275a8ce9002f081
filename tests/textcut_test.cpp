// Cutting texts between markers, once and repeatedly.

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "tests/support/forum_page.h"
#include "tests/support/shown.h"
#include "textcut/text_between.h"

namespace idwatch {
namespace {

using testutil::Shown;

std::vector<std::string> ShownAll(const std::vector<Text>& texts) {
  std::vector<std::string> shown;
  for (const Text& text : texts) shown.push_back(Shown(text));
  return shown;
}

struct BetweenCase {
  Text text;
  Text left;
  Text right;
  int start;
  bool caseSensitive;
  Text expected;
};

TEST(TextBetween, CutsBetweenTheFirstLeftMarkerAndTheNextRightMarker) {
  const std::vector<BetweenCase> cases = {
      {"x{ab}y", "{", "}", 0, false, "ab"},
      {"x{}y", "{", "}", 0, false, ""},
      {"x{ab", "{", "}", 0, false, ""},
      {"xab}y", "{", "}", 0, false, ""},
      {"{a}{b}", "{", "}", 2, false, "b"},
      {"{a}{b}", "{", "}", INT_MIN, false, "a"},
      {"{a}{b}", "{", "}", INT_MAX, false, ""},
      {"ID=7;", "id=", ";", 0, false, "7"},
      {"ID=7;", "id=", ";", 0, true, ""},
      {"x{ a }y", "{", "}", 0, false, " a "},
      {"{ab}", "{", "", 0, false, ""},
      {"ab}c", "", "}", 3, false, "ab"},
      {"ab{", "{", "}", 0, false, ""},
      {"", "{", "}", 0, false, ""},
      {"a=\"v\"", TextFromUtf8("a=#引号"), TextFromUtf8("#引号"), 0, false, "v"},
      {"k=\"\"", TextFromUtf8("k=#引号"), TextFromUtf8("#引号"), 0, false, ""},
      {TextFromUtf8("最后回复人：小明\""), TextFromUtf8("："), TextFromUtf8("#引号"), 0, false,
       TextFromUtf8("小明")},
      {TextFromUtf8("中文{甲}"), "{", "}", 0, false, TextFromUtf8("甲")},
  };
  for (const BetweenCase& c : cases) {
    EXPECT_EQ(Shown(TextBetween(c.text, c.left, c.right, c.start, c.caseSensitive)),
              Shown(c.expected))
        << Shown(c.text) << " between " << Shown(c.left) << " and " << Shown(c.right);
  }
  EXPECT_EQ(TextBetween(Text("x{ab}y"), "{", "}"), Text("ab"));  // defaults
}

TEST(TextBetween, LeavesTheCallersMarkersAsTheyWere) {
  const Text left = TextFromUtf8("a=#引号");
  const Text right = TextFromUtf8("#引号");
  const Text leftBefore = left;
  EXPECT_EQ(TextBetween(Text("a=\"v\""), left, right), Text("v"));
  EXPECT_EQ(left, leftBefore);
  EXPECT_EQ(right, TextFromUtf8("#引号"));
}

struct BetweenAllCase {
  Text text;
  Text left;
  Text right;
  TextBetweenAllOptions options;
  std::vector<Text> expected;
  int result;
};

TEST(TextBetweenAll, CollectsTrimmedPiecesUntilAStoppingRule) {
  const std::vector<BetweenAllCase> cases = {
      {"{a}{b}{c}", "{", "}", {}, {"a", "b", "c"}, 3},
      // The right marker is searched from the content's second byte.
      {"{}{x}", "{", "}", {}, {"}{x"}, 1},
      // An empty piece ends the collection.
      {"{ a }{ }{b}", "{", "}", {}, {"a"}, 1},
      {"{ }{a}", "{", "}", {}, {}, 0},
      {"{ab}{c}", "{", "}", {.maximumLength = 1}, {}, 0},
      {"{ab}{c}", "{", "}", {.maximumLength = 2}, {"ab", "c"}, 2},
      {"{a}{bc}{d}", "{", "}", {.maximumLength = 1}, {"a"}, 1},
      {"{a}", "{", "}", {.maximumLength = -1}, {}, 0},
      {"{a}", "{", "}",
       {.prefix = "(", .suffix = ")", .includeLeftMarker = true, .includeRightMarker = true},
       {"{(a)}"}, 1},
      {"{ab}", "{", "}", {.maximumLength = 2, .prefix = "<<<"}, {"<<<ab"}, 1},
      {"{Ba}{bb}{Bc}", "{B", "}", {.caseSensitive = true}, {"a", "c"}, 2},
      {"{Ba}{bb}{Bc}", "{B", "}", {}, {"a", "b", "c"}, 3},
      // Each right marker found may serve as the next left marker.
      {"/a/b/", "/", "/", {}, {"a", "b"}, 2},
      {"abc", "{", "}", {}, {}, 0},
      {"{a}{b}", "{", "}", {.start = 2}, {"b"}, 1},
      {"{a}{b}", "{", "}", {.start = INT_MIN}, {"a", "b"}, 2},
      {"{a}{b}", "{", "}", {.start = INT_MAX}, {}, 0},
      {"{a}{b}{", "{", "}", {}, {"a", "b"}, 2},
      {"{a}", "{", "", {}, {}, 0},
      {"{a}", "", "}", {}, {}, 0},
      // Pieces are trimmed of both spaces.
      {TextFromUtf8("{　a b　}"), "{", "}", {}, {"a b"}, 1},
      // A piece that begins with a two-byte character: the search starts on
      // its second byte, which pairs with the '}' right after it.
      {"{\xD6\xD0}x}", "{", "}", {}, {"\xD6\xD0}x"}, 1},
  };
  for (const BetweenAllCase& c : cases) {
    TextArray pieces;
    EXPECT_EQ(TextBetweenAll(c.text, c.left, c.right, pieces, c.options), c.result)
        << Shown(c.text);
    EXPECT_EQ(Shown(pieces), ShownAll(c.expected)) << Shown(c.text);
  }
}

TEST(TextBetweenAll, AppendsToWhatTheArrayHeldAndCountsIt) {
  TextArray pieces;
  pieces.Append(Text("x"));
  pieces.Append(Text("y"));
  EXPECT_EQ(TextBetweenAll(Text("{a}"), "{", "}", pieces), 3);
  EXPECT_EQ(Shown(pieces), ShownAll({"x", "y", "a"}));
  // Nothing found: 0, although the array is not empty.
  EXPECT_EQ(TextBetweenAll(Text("abc"), "{", "}", pieces), 0);
  EXPECT_EQ(TextBetweenAll(Text("{a}"), "", "}", pieces), 0);
  EXPECT_EQ(pieces.Size(), 3);
}

// The collection cycle's two steps on a page shaped like the forum's: every
// item between "最后回复人" and ">", then the name between "：" and a quote.
TEST(TextBetweenAll, PicksEveryLastReplierOutOfAForumPage) {
  for (const std::size_t size : {std::size_t{4096}, std::size_t{10} << 20}) {
    const testutil::ForumPage forum = testutil::MakeForumPage(size);
    TextArray items;
    const int found = TextBetweenAll(forum.page, TextFromUtf8("最后回复人"), ">", items);
    ASSERT_EQ(found, static_cast<int>(forum.lastRepliers.size()));
    for (int i = 1; i <= items.Size(); ++i) {
      const Text name = TextBetween(items.At(i), TextFromUtf8("："), TextFromUtf8("#引号"));
      ASSERT_EQ(Shown(name), Shown(forum.lastRepliers[static_cast<std::size_t>(i) - 1])) << i;
    }
  }
}

}  // namespace
}  // namespace idwatch
