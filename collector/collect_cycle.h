#pragma once
// One collection cycle: fetch the thread list of a forum once, pick out the
// last replier of every thread on it, and add each ID the report list does
// not hold yet as a new row at its top.

#include "app/shared_state.h"
#include "base/text.h"

namespace idwatch {

// The ID inside one last-replier item (the trimmed text that follows
// "最后回复人" up to the next ">"): the text after the first full-width colon
// "：" up to the next double quote, untrimmed; when the item has no "：",
// the text after the first ASCII ":" up to the next double quote, trimmed.
// The empty text when the item lacks the colon or the quote after it.
// Any thread.
Text LastReplierId(const Text& item);

// Runs one cycle for the forum `forumName` (the text of 贴吧 when the cycle
// was started): fetches ForumAddress(forumName) with state.fetch, extracts
// the items from the page, inserts each new ID with ReportList::InsertIdIfNew
// in page order (so the page's last new ID ends up on top), and finally
// stores the page as the PageText. A failed fetch stores the empty text and
// adds nothing; nothing is ever reported. Runs on a worker thread, many at a
// time; returns when the page has been gone through.
void CollectCycle(SharedState& state, const Text& forumName);

}  // namespace idwatch
