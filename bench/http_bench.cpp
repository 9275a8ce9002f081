// The web request routine's body loop over the fake layer, and the UTF-8 to
// code page 936 conversion of a page: both must grow linearly with the size.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "http/decode.h"
#include "http/web_request.h"
#include "tests/support/fake_inet.h"

namespace idwatch {
namespace {

// A body of state.range(0) MiB, handed out by the fake layer in 1024-byte pieces.
void BM_WebRequestBody(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0)) << 20;
  const std::string body(size, 'x');
  const Text address = "http://a.test/f?kw=x&ie=utf-8";
  test::FakeInet inet;
  inet.Record(false);
  std::vector<char> flush(64u << 20);
  for (auto _ : state) {
    // A body arrives from the network, not from the cache: every run starts
    // with the caches filled with other bytes. Scripting the exchange is not
    // the routine's work either.
    state.PauseTiming();
    inet.Script({.rawHeaders = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n", .body = body, .piece = 1024});
    for (std::size_t i = 0; i < flush.size(); i += 64) flush[i] = static_cast<char>(flush[i] + 1);
    state.ResumeTiming();
    ByteSet page = WebRequest(address, {.inet = &inet});
    benchmark::DoNotOptimize(page);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(size));
}
BENCHMARK(BM_WebRequestBody)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

// state.range(0) MiB of UTF-8: Chinese text with ASCII markup between.
void BM_Utf8ToAnsi(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0)) << 20;
  const std::string piece =
      "<a title=\"\xE6\x9C\x80\xE5\x90\x8E\xE5\x9B\x9E\xE5\xA4\x8D\xE4\xBA\xBA: user_01\">"
      "\xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x8C\xE4\xB8\x96\xE7\x95\x8C</a>\n";
  std::string text;
  while (text.size() + piece.size() <= size) text += piece;
  const ByteSet page(std::move(text));
  for (auto _ : state) {
    ByteSet converted = Utf8ToAnsi(page);
    benchmark::DoNotOptimize(converted);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * BytesLength(page));
}
BENCHMARK(BM_Utf8ToAnsi)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace idwatch
