#pragma once
// A generated forum thread-list page in code page 936, shaped like the real
// one: one <li> per thread, about 200 bytes each, mixed Chinese and ASCII,
// whose last replier appears as title="最后回复人：NAME" before the tag's '>'.
// Names alternate between Chinese and ASCII ones and repeat every 1000
// threads. For tests and benchmarks of the extraction.

#include <cstddef>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/text.h"

namespace idwatch::testutil {

struct ForumPage {
  Text page;
  std::vector<Text> lastRepliers;  // in page order, one per thread
};

inline Text ReplierName(std::size_t thread) {
  static const Text kChinese = TextFromUtf8("贴吧用户");
  const std::string number = std::to_string(thread % 1000);
  return thread % 2 == 0 ? kChinese + Text(number) : Text("user_" + number);
}

// At least `bytes` bytes of threads, then the page's end.
inline ForumPage MakeForumPage(std::size_t bytes) {
  static const Text kHead =
      TextFromUtf8("<html><head><title>吧_百度贴吧</title></head><body><ul>\n");
  static const Text kTitle = TextFromUtf8("\">讨论帖：今天的天气怎么样 ");
  static const Text kReplier =
      TextFromUtf8("</a><span class=\"tb_icon_author_rely j_replyer\" title=\"最后回复人：");
  static const Text kTail =
      TextFromUtf8("</span><span class=\"threadlist_reply_date\">12:24</span></li>\n");
  std::string page(kHead.Bytes());
  ForumPage result;
  for (std::size_t thread = 0; page.size() < bytes; ++thread) {
    const Text name = ReplierName(thread);
    const std::string number = std::to_string(thread);
    page += "<li class=\"j_thread_list\"><a href=\"/p/" + number;
    page += kTitle.Bytes();
    page += number;
    page += kReplier.Bytes();
    page += name.Bytes();
    page += "\">";
    page += name.Bytes();
    page += kTail.Bytes();
    result.lastRepliers.push_back(name);
  }
  page += "</ul></body></html>\n";
  result.page = Text(std::move(page));
  return result;
}

}  // namespace idwatch::testutil
