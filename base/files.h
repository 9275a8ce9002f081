#pragma once
// The few file operations of the export, and the program's own directory.
// Paths are Text (code page 936) written with '\' as on Windows; the platform
// layer converts them: UTF-16 and the W functions on Windows, UTF-8 with '/'
// on Linux. Failures are reported through the results only.
// User-interface thread (the export); RunDirectory from any thread.

#include "base/byte_set.h"
#include "base/text.h"

namespace idwatch {

// The directory of the program's executable, without a trailing backslash
// ("C:\tools", "C:" for the root of drive C). A 0x5C byte that is the second
// byte of a two-byte character is not a backslash. Fixed at the first call.
Text RunDirectory();

// The part of `path` before its last backslash, stepping by characters so that
// the second byte of a two-byte character is never taken for one; the empty
// text when there is none. RunDirectory applies it to the executable's path.
Text DirectoryOf(const Text& path);

// Creates or truncates the file, writes all bytes and closes it. False for an
// empty path, a file that cannot be created, or a failed write.
bool WriteWholeFile(const Text& path, const ByteSet& bytes);

// Opens an existing file for reading and writing, shared with other openers,
// positioned at its start. A non-zero file number, or 0 on any failure (an
// empty path, a missing file: nothing is created).
int OpenDataFile(const Text& path);

// Writes the text's bytes at the file's position and moves past them. False
// for a file number that OpenDataFile did not return, or a failed write (the
// position is then where it was).
bool WriteTextToFile(int file, const Text& text);

// Closes a file that OpenDataFile returned; false for any other number (one
// already closed too), or when closing reports that written bytes were lost.
bool CloseDataFile(int file);

}  // namespace idwatch
