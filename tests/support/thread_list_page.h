#pragma once
// Small pages shaped like a forum's thread list, for the cycle's tests and
// benchmarks. Each thread of the list carries its last replier in a
// title="最后回复人..." attribute, written either with a full-width colon
// ("最后回复人：NAME") or, as the service writes it today, with an ASCII
// colon and a space ("最后回复人: NAME").

#include <string>
#include <string_view>
#include <vector>

namespace idwatch {

enum class ColonForm { FullWidth, Ascii };

// The page, in code page 936 as the fetch hands it over, listing one thread
// per replier in order. `padding` bytes of markup are added around the
// threads, so a page can be made as large as a real one.
std::string ThreadListPage(const std::vector<std::string>& repliers, ColonForm form,
                           std::size_t padding = 0);

// The same page in UTF-8, as the service sends it.
std::string ThreadListPageUtf8(const std::vector<std::string>& repliers, ColonForm form,
                               std::size_t padding = 0);

}  // namespace idwatch
