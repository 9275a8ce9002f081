#include "tests/support/thread_list_page.h"

#include "base/codepage.h"

namespace idwatch {
namespace {

std::string ThreadItem(std::size_t number, std::string_view replier, ColonForm form) {
  const std::string n = std::to_string(number);
  std::string item;
  item += "<li class=\"thread-row\" data-tid=\"" + n + "\">\n";
  item += "  <div class=\"thread-title\"><a href=\"/p/" + n + "\" title=\"话题" + n + "\">话题 " + n +
          "</a></div>\n";
  item += "  <div class=\"thread-author\"><span title=\"主题作者: 楼主" + n + "\">楼主" + n +
          "</span></div>\n";
  item += "  <div class=\"thread-last\">\n";
  item += "    <span class=\"replier\" title=\"最后回复人";
  item += form == ColonForm::FullWidth ? "：" : ": ";
  item += replier;
  item += "\">\n      <i class=\"icon-replier\"></i><a href=\"/home?un=" + std::string(replier) + "\">";
  item += replier;
  item += "</a></span>\n";
  item += "    <span class=\"reply-time\" title=\"最后回复时间\">12:3" + std::to_string(number % 10) +
          "</span>\n";
  item += "  </div>\n</li>\n";
  return item;
}

}  // namespace

std::string ThreadListPageUtf8(const std::vector<std::string>& repliers, ColonForm form,
                               std::size_t padding) {
  std::string page =
      "<!DOCTYPE html>\n<html><head><meta charset=\"UTF-8\"><title>测试吧</title></head>\n<body>\n";
  const std::string filler = "<div class=\"ad\" data-x=\"12345\">广告 filler text</div>\n";
  const std::size_t pieces = padding / filler.size();
  for (std::size_t i = 0; i < pieces / 2; ++i) page += filler;
  page += "<ul id=\"thread-list\">\n";
  for (std::size_t i = 0; i < repliers.size(); ++i) page += ThreadItem(i + 1, repliers[i], form);
  page += "</ul>\n";
  for (std::size_t i = pieces / 2; i < pieces; ++i) page += filler;
  page += "</body></html>\n";
  return page;
}

std::string ThreadListPage(const std::vector<std::string>& repliers, ColonForm form,
                           std::size_t padding) {
  return std::string(TextFromUtf8(ThreadListPageUtf8(repliers, form, padding)).Bytes());
}

}  // namespace idwatch
