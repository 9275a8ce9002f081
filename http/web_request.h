#pragma once
// WebRequest: one HTTP exchange, the program's only way onto the network.
//
//   ByteSet page = WebRequest(address);                    // a plain GET
//   WebRequest(address, {.method = 1, .postText = &form, .cookies = &jar, .rawHeaders = &raw});
//
// Every option may be left out. A left-out value is 0 or false; a left-out
// variable is one of the routine's own, empty at the start. Only two options
// act by being given at all: `cookies` (cookie mode: the layer's cookie store
// is not used, the caller's cookie text is sent and kept up to date) and
// `proxy` (a proxy session through the list "http=" + proxy instead of a
// direct one). The variables given are the caller's own and are written
// as described; they must not be shared with a call running at the same time.
//
// What a call does:
// - Verb POST for method 1, GET otherwise; any method but 0 sends a body:
//   `postBytes`, which is first filled from `postText` when it is empty.
// - User agent: the value of a "User-Agent:" line in `headers`, else the
//   default one. The default header lines (Referer: the address, Accept,
//   Accept-Language, Content-Type) are appended to the caller's `headers`
//   unless already there, and a Cookie line whenever `cookies` is not empty.
// - Request flags: always reload and need-file; no-cookies in cookie mode;
//   no-auto-redirect when `noRedirect`; secure for an address that begins
//   with "https" (any case). 0x80004010 for a plain http address.
// - The body is read in pieces of 1024 bytes, at most 32 MiB of it: a longer
//   body ends the call with the empty ByteSet.
// - `rawHeaders` gets the raw header block (5000 spaces when the layer gave
//   none, or it did not fit into 5000 bytes with its NUL); `returnedLocation`
//   the value of the last line holding "Location:", else the raw header block
//   (unless it held something on entry); `returnedCookies` each Set-Cookie
//   value up to its first ";" followed by "; ". In cookie mode the returned
//   cookies are merged into `cookies` (MergeCookies).
// - A response whose status line reads "HTTP/1.1 301 Moved..." is followed by
//   the routine itself, even with `noRedirect`, at most 10 times in one call
//   (an 11th gives the empty ByteSet). The next address is the location when
//   it has a path or query of its own; the old address's scheme and host
//   before a location that begins with "/" (the scheme alone before one that
//   begins with "//"); otherwise the location followed by the old path and
//   query. A follow-up runs in cookie mode and through the proxy list
//   "http=" + proxy (direct when no proxy was given), with the same variables.
// - A body that declares "charset=utf-8" (ASCII case folded) within its first
//   499 bytes, or a raw header block that does anywhere, is converted from
//   UTF-8 to code page 936.
// - Every handle opened is closed, newest first, before the call returns or
//   follows a 301. Any failure of the layer gives the empty ByteSet; nothing
//   is thrown and nothing is shown.
//
// Any thread; calls on different threads are independent. `inet` chooses the
// HTTP layer (tests); nullptr means the platform's.

#include "base/byte_set.h"
#include "base/text.h"
#include "http/inet.h"

namespace idwatch {

struct WebRequestOptions {
  int method = 0;
  const Text* postText = nullptr;
  Text* cookies = nullptr;
  Text* returnedCookies = nullptr;
  Text* headers = nullptr;
  Text* returnedLocation = nullptr;
  bool noRedirect = false;
  ByteSet* postBytes = nullptr;
  const Text* proxy = nullptr;
  Text* rawHeaders = nullptr;
  Inet* inet = nullptr;
};

ByteSet WebRequest(const Text& address, const WebRequestOptions& options = {});

// The text after the line's first ":", trimmed; the empty text without one.
Text HeaderValue(const Text& line);

}  // namespace idwatch
