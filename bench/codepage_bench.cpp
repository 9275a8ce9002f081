#include <benchmark/benchmark.h>

#include <string>

#include "base/codepage.h"

namespace {

// A page-like mix: ASCII markup around Chinese names and texts, as the forum's
// thread list is, `mebibytes` MiB long.
std::string MixedUtf8(int mebibytes) {
  const std::string item =
      "<li class=\"j_thread_list\" data-field='{&quot;id&quot;:1234567}'>"
      "<a title=\"最后回复人: 贴吧用户_小明\" href=\"/home/main?un=abc\">回复时间 12:34</a>"
      "<span>今天天气不错，大家一起来讨论吧！</span></li>\n";
  std::string page;
  const size_t size = static_cast<size_t>(mebibytes) << 20;
  page.reserve(size + item.size());
  while (page.size() < size) page += item;
  page.resize(size);
  while (static_cast<unsigned char>(page.back()) >= 0x80) page.pop_back();  // no character cut in half
  page.resize(size, ' ');
  return page;
}

void BM_Utf8ToCp936(benchmark::State& state) {
  const std::string page = MixedUtf8(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::string cp936 = idwatch::Utf16ToCp936(idwatch::Utf8ToUtf16(page));
    benchmark::DoNotOptimize(cp936.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_Utf8ToCp936)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

// A hostile page: nothing but characters the code page lacks (emoji) and
// bytes that are not UTF-8, each of which becomes '?'. It must cost no more
// per byte than an ordinary page.
void BM_Utf8ToCp936Unmappable(benchmark::State& state) {
  std::string page;
  const size_t size = static_cast<size_t>(state.range(0)) << 20;
  while (page.size() < size) page += "\xF0\x9F\x98\x80\xFF\xE2\x82";  // emoji, a stray byte, a cut sequence
  for (auto _ : state) {
    std::string cp936 = idwatch::Utf16ToCp936(idwatch::Utf8ToUtf16(page));
    benchmark::DoNotOptimize(cp936.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_Utf8ToCp936Unmappable)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace
