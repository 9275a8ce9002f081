#include "collector/collect_cycle.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "app/shared_state.h"
#include "base/codepage.h"
#include "collector/forum_address.h"
#include "tests/support/thread_list_page.h"

namespace idwatch {
namespace {

Text U(std::string_view utf8) { return TextFromUtf8(utf8); }

TEST(ForumAddress, PercentEncodesTheNameAsUtf8) {
  struct Case {
    Text name;
    const char* kw;
  };
  const Case cases[] = {
      {"abc", "abc"},
      {{}, ""},
      {"A-Z.a_z~09", "A-Z.a_z~09"},
      {"a b&c#d%e", "a%20b%26c%23d%25e"},
      {"x\r\ny", "x%0D%0Ay"},
      {"+/?=\"'", "%2B%2F%3F%3D%22%27"},
      {U("贴吧"), "%E8%B4%B4%E5%90%A7"},
      {U("李 四&"), "%E6%9D%8E%20%E5%9B%9B%26"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kw);
    EXPECT_EQ(ForumAddress(c.name),
              Text("http://" + std::string(ForumHost()) + "/f?kw=" + c.kw + "&ie=utf-8"));
  }
  EXPECT_FALSE(ForumHost().empty());
}

TEST(LastReplierId, TakesTheTextAfterTheColonUpToTheQuote) {
  struct Case {
    Text item;
    Text id;
  };
  const Case cases[] = {
      {U("：abc\""), "abc"},
      {U("：abc\" class=\"x\""), "abc"},
      {U("： abc \""), " abc "},           // the full-width form is not trimmed
      {": abc\"", "abc"},                  // the ASCII form is
      {U(":　abc \""), "abc"},             // full-width space too
      {"a:b:c\"", "b:c"},                  // the first colon counts
      {U("：张三\""), U("张三")},
      {U(": 李四\""), U("李四")},
      {U("：abc"), {}},                    // no quote
      {": abc", {}},
      {"abc\"", {}},                       // no colon
      {U("：\""), {}},                     // an empty ID
      {": \"", {}},
      {{}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(TextToUtf8(c.item));
    EXPECT_EQ(LastReplierId(c.item), c.id);
  }
}

// The state a cycle runs on, with a fetch that serves one page per address.
class CycleTest : public ::testing::Test {
 protected:
  CycleTest() {
    state.fetch = [this](const Text& address) {
      std::lock_guard lock(mutex);
      addresses.push_back(address);
      return ByteSet(page);
    };
  }

  void Serve(const std::vector<std::string>& repliers, ColonForm form = ColonForm::Ascii) {
    std::lock_guard lock(mutex);
    page = ThreadListPage(repliers, form);
  }

  // Column 1 of every row, top to bottom, joined by "|", in UTF-8.
  std::string Ids() const {
    std::string ids;
    for (int row = 0; row < state.list.RowCount(); ++row) {
      if (row > 0) ids += '|';
      ids += TextToUtf8(state.list.CellText(row, 1));
    }
    return ids;
  }

  std::string Captions() const {
    std::string captions;
    for (int row = 0; row < state.list.RowCount(); ++row) {
      if (row > 0) captions += '|';
      captions += state.list.CellText(row, 0).Bytes();
    }
    return captions;
  }

  SharedState state;
  std::mutex mutex;
  std::string page;
  std::vector<Text> addresses;
};

TEST_F(CycleTest, AddsEveryNewReplierOnTopInPageOrderInBothForms) {
  for (const ColonForm form : {ColonForm::FullWidth, ColonForm::Ascii}) {
    SCOPED_TRACE(form == ColonForm::Ascii ? "ASCII colon" : "full-width colon");
    SharedState fresh;
    fresh.fetch = state.fetch;
    Serve({"alice", "bob", "张三", "carol", "dave"}, form);

    CollectCycle(fresh, "abc");
    ASSERT_EQ(fresh.list.RowCount(), 5);
    const char* ids[] = {"dave", "carol", "张三", "bob", "alice"};
    const char* captions[] = {"5", "4", "3", "2", "1"};
    for (int row = 0; row < 5; ++row) {
      EXPECT_EQ(fresh.list.CellText(row, 0), Text(captions[row]));
      EXPECT_EQ(fresh.list.CellText(row, 1), U(ids[row]));
      EXPECT_EQ(fresh.list.CellText(row, 2), Text());
    }
    EXPECT_EQ(fresh.pageText.Copy(), Text(page));
  }
}

TEST_F(CycleTest, AddsOnlyWhatTheListDoesNotHold) {
  Serve({"alice", "bob", "alice", "carol"});
  CollectCycle(state, "abc");
  EXPECT_EQ(Ids(), "carol|bob|alice");

  CollectCycle(state, "abc");  // the same page again
  EXPECT_EQ(Ids(), "carol|bob|alice");

  Serve({"carol", "erin", "alice", "frank"});  // the newest row is found too
  CollectCycle(state, "abc");
  EXPECT_EQ(Ids(), "frank|erin|carol|bob|alice");
  EXPECT_EQ(Captions(), "5|4|3|2|1");
}

TEST_F(CycleTest, ItemsWithoutAnIdAddOneEmptyRow) {
  // An item without a quote, one with nothing between colon and quote, and
  // one without a colon all give the empty ID, which is added once.
  {
    std::lock_guard lock(mutex);
    page = std::string(U("<li><span title=\"最后回复人：\"></span></li>"
                         "<li><span title=最后回复人：nobody></span></li>"
                         "<li><span title=\"最后回复人 bob\"></span></li>"
                         "<li><span title=\"最后回复人: bob\"></span></li>")
                           .Bytes());
  }
  CollectCycle(state, "abc");
  EXPECT_EQ(Ids(), "bob|");
  EXPECT_EQ(Captions(), "2|1");
}

TEST_F(CycleTest, AFailedFetchAddsNothingAndEmptiesThePageText) {
  Serve({"alice"});
  CollectCycle(state, "abc");
  ASSERT_FALSE(state.pageText.Copy().IsEmpty());

  state.fetch = [](const Text&) { return ByteSet(); };
  CollectCycle(state, "abc");
  EXPECT_EQ(Ids(), "alice");
  EXPECT_EQ(state.pageText.Copy(), Text());

  state.fetch = {};  // no fetch at all counts as a failed one
  CollectCycle(state, "abc");
  EXPECT_EQ(Ids(), "alice");
}

TEST_F(CycleTest, APageWithoutMarkersAddsNothing) {
  const std::string pages[] = {"", "<html><body>no threads</body></html>",
                               std::string(U("<span title=\"最后回复时间\">12:30</span>").Bytes()),
                               std::string(U("<span title=\"最后回复人: alice\"").Bytes())};
  for (const std::string& p : pages) {
    SCOPED_TRACE(p);
    {
      std::lock_guard lock(mutex);
      page = p;
    }
    CollectCycle(state, "abc");
    EXPECT_EQ(state.list.RowCount(), 0);
    EXPECT_EQ(state.pageText.Copy(), Text(p));
  }
}

TEST_F(CycleTest, FetchesTheForumItIsGiven) {
  Serve({"alice"});
  CollectCycle(state, "abc");
  CollectCycle(state, U("李 四"));
  CollectCycle(state, {});
  ASSERT_EQ(addresses.size(), 3u);
  EXPECT_EQ(addresses[0], ForumAddress("abc"));
  EXPECT_EQ(addresses[1], ForumAddress(U("李 四")));
  EXPECT_EQ(addresses[2], ForumAddress({}));
  EXPECT_EQ(Ids(), "alice");
}

TEST_F(CycleTest, NothingIsStoredAfterThePageTextWasReleased) {
  Serve({"alice"});
  state.pageText.Release();
  CollectCycle(state, "abc");
  EXPECT_EQ(Ids(), "alice");
  EXPECT_EQ(state.pageText.Copy(), Text());
}

}  // namespace
}  // namespace idwatch
