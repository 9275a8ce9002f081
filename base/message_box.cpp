#include "base/message_box.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace idwatch {
namespace {

void WriteToStderr(const Text& text) {
  std::fwrite(text.CStr(), 1, text.Bytes().size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

std::atomic<MessagePresenter> messagePresenter{nullptr};
std::atomic<MessagePresenter> fatalPresenter{nullptr};

}  // namespace

void ShowMessage(const Text& text) {
  MessagePresenter presenter = messagePresenter.load();
  (presenter ? presenter : WriteToStderr)(text);
}

void FatalError(const Text& text) {
  MessagePresenter presenter = fatalPresenter.load();
  (presenter ? presenter : WriteToStderr)(text);
  // Workers may still be running: end at once, without static destructors.
  std::_Exit(EXIT_FAILURE);
}

void SetMessagePresenter(MessagePresenter presenter) { messagePresenter.store(presenter); }
void SetFatalErrorPresenter(MessagePresenter presenter) { fatalPresenter.store(presenter); }

}  // namespace idwatch
