#pragma once
// Taking an address apart for the web request routine: the host to connect
// to, its port and the object of the request. Two schemes are known, http://
// and https://; an address without one counts as http://. User information,
// fragments and other schemes are not parsed: they fall into the host or the
// path by the rules below. Pure functions, any thread; every address, the
// empty one too, yields a host, a port and a path.

#include "base/text.h"

namespace idwatch {

// The text between the scheme marker and the next "/", in lower case. Without
// keepPort the part from the first ":" on is cut; with domainOnly the host is
// reduced to its last two dot-separated labels (before the port is cut).
Text UrlHost(const Text& address, bool domainOnly = false, bool keepPort = false);

// The number after the last ":" of the host and port (ToInteger, so a port
// that is not a number gives 0); otherwise 443 when the address begins with
// "https" in any case, else 80.
int UrlPort(const Text& address);

// The address from the first "/" at or after the first occurrence of the
// host (searched from the start, case folded) to its end, in the address's
// own case; "/" when there is none.
Text UrlPath(const Text& address);

}  // namespace idwatch
