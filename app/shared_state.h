#pragma once
// What the window and its workers share. Every worker holds the state by
// std::shared_ptr, so closing the window while workers run destroys nothing
// they use. Workers never touch the window itself.

#include <functional>

#include "app/page_text.h"
#include "app/report_list.h"
#include "base/byte_set.h"
#include "base/text.h"

namespace idwatch {

// Fetches the page at an address: the body, already decoded to code page 936
// when the page declares UTF-8; the empty byte set on any failure. Called on
// worker threads, several at a time; must not throw.
using Fetch = std::function<ByteSet(const Text& address)>;

struct SharedState {
  ReportList list;       // the rows of ip超级列表
  PageTextHolder pageText;
  Fetch fetch;           // set before the first worker starts, then never changed
};

}  // namespace idwatch
