// Start-up and exit: the state a window starts with, fetching through the
// real HTTP layer, and the end of the process while a cycle still waits.
#include "app/program.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "app/handlers.h"
#include "base/codepage.h"
#include "collector/collect_cycle.h"
#include "collector/forum_address.h"
#include "tests/support/fake_main_window.h"
#include "tests/support/raw_http_server.h"
#include "tests/support/thread_list_page.h"

namespace idwatch {
namespace {

TEST(StartUp, CyclesFetchThroughTheHttpLayerAndDecodeUtf8Pages) {
  test::RawHttpServer server;
  server.Script(test::HttpResponse("HTTP/1.1 200 OK", {"Content-Type: text/html; charset=utf-8"},
                                   ThreadListPageUtf8({"alice", "张三", "alice"}, ColonForm::Ascii)));
  const std::shared_ptr<SharedState> state = StartUp();
  ASSERT_TRUE(state->fetch);
  EXPECT_EQ(state->list.RowCount(), 0);

  // The address names the host the program was built for; the request goes
  // to the test server instead, with the same path and query.
  const Fetch real = state->fetch;
  state->fetch = [&](const Text& address) {
    const std::string prefix = "http://" + std::string(ForumHost());
    EXPECT_EQ(address.Bytes().substr(0, prefix.size()), prefix);
    return real(Text(server.Address(address.Bytes().substr(prefix.size()))));
  };
  CollectCycle(*state, TextFromUtf8("李 四"));

  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].requestLine, "GET /f?kw=%E6%9D%8E%20%E5%9B%9B&ie=utf-8 HTTP/1.1");
  EXPECT_EQ(state->list.ColumnLines(1), TextFromUtf8("张三\r\nalice\r\n"));
}

TEST(StartUp, AFetchThatFailsGivesTheEmptyPage) {
  test::RefusingPort refusing;
  const std::shared_ptr<SharedState> state = StartUp();
  const Text address("http://127.0.0.1:" + std::to_string(refusing.Port()) + "/f?kw=abc&ie=utf-8");
  EXPECT_TRUE(state->fetch(address).IsEmpty());
}

TEST(EndProgram, EndsAtOnceWhileCyclesWaitForAServerThatNeverAnswers) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto endWhileFetching = [] {
    test::RawHttpServer server;
    server.ScriptForever({"", test::ScriptedReply::Then::Stall});
    const Fetch real = StartUp()->fetch;
    FakeMainWindow window([&](const Text&) { return real(Text(server.Address("/f?kw=abc&ie=utf-8"))); });
    window.延时().SetText("10");
    window.贴吧().SetText("abc");
    OnCheckClicked(window);
    for (int tick = 0; tick < 9; ++tick) window.Tick();
    if (!server.WaitForRequests(10, std::chrono::seconds(20))) std::_Exit(1);
    EndProgram(window, 7);
  };
  EXPECT_EXIT(endWhileFetching(), ::testing::ExitedWithCode(7), "");
}

}  // namespace
}  // namespace idwatch
