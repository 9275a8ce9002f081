#include "collector/collect_cycle.h"

#include <utility>

#include "base/byte_set.h"
#include "base/codepage.h"
#include "base/text_array.h"
#include "collector/forum_address.h"
#include "textcut/text_between.h"

namespace idwatch {
namespace {

struct Markers {
  Text item = TextFromUtf8("最后回复人");
  Text itemEnd = ">";
  Text fullWidthColon = TextFromUtf8("：");
  Text colon = ":";
  Text quote = "\"";
};

// Workers may still be running a cycle while the process ends, so the
// markers are never destroyed.
const Markers& Fixed() {
  static const Markers& markers = *new Markers;
  return markers;
}

}  // namespace

Text LastReplierId(const Text& item) {
  const Markers& fixed = Fixed();
  if (FindText(item, fixed.fullWidthColon) != -1) {
    return TextBetween(item, fixed.fullWidthColon, fixed.quote);
  }
  // The thread list writes title="最后回复人: NAME": an ASCII colon and a
  // space before the name.
  return TrimBoth(TextBetween(item, fixed.colon, fixed.quote));
}

void CollectCycle(SharedState& state, const Text& forumName) {
  const Markers& fixed = Fixed();
  ByteSet body = state.fetch ? state.fetch(ForumAddress(forumName)) : ByteSet();
  Text page = BytesToText(body);
  body = ByteSet();

  TextArray items;
  TextBetweenAll(page, fixed.item, fixed.itemEnd, items, {.caseSensitive = true});
  for (const Text& item : items) state.list.InsertIdIfNew(LastReplierId(item));

  // The page is stored only now: the extraction read the cycle's own copy,
  // so no other cycle, the export or the exit can change it underneath.
  state.pageText.Store(std::move(page));
}

}  // namespace idwatch
