// Files by wide-character path, through the C runtime only: _wfopen and its kin on Windows, a
// UTF-8 form of the path elsewhere. The output of a Run is written to a spare file beside its
// final place and moved there only once it is complete, so no failure leaves a half-written
// document, and a source that the output replaces survives until the output is whole.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdio>

// Opens an existing file for reading bytes ("rb"); nullptr when it cannot be opened.
FILE *OpenRead(const wchar_t *path);

// True when path can take a new file: nothing is there yet, or a regular file that may be
// written. A directory, a device or a read-only file cannot be replaced.
bool CanReplace(const wchar_t *path);

// Creates a new, empty file for writing bytes in the directory of path, under the first spare
// name that no file bears yet, and puts that name into spare (room wide characters). Never opens
// a file that already exists. The new file takes the permissions of an existing file at path.
// nullptr on failure.
FILE *CreateSpare(const wchar_t *path, wchar_t *spare, size_t room);

// Spare name number n of path: "~tv<n>.tmp" in the directory of path. False when n is not below
// SpareNames or the name does not fit room wide characters.
bool SpareName(const wchar_t *path, unsigned n, wchar_t *spare, size_t room);

// Closes a stream written to; false when its last bytes could not be written.
bool CloseWritten(FILE *f);

// Moves the file from onto to, replacing a file at to; false (and nothing moved) on failure.
bool ReplaceFile(const wchar_t *from, const wchar_t *to);

// Removes a file; failures are ignored (used to clear away a spare file).
void RemoveFile(const wchar_t *path);

// The fault seam of the tests. A build that defines TV_FAULTS (the tests' copy of the core)
// numbers every call of this file layer that can fail, and the taking of the bit buffer, from 1
// on, and makes call number faultAt fail as the system would; elsewhere it is compiled out.
#ifdef TV_FAULTS
const long NoFault = LONG_MAX;
extern long faultAt;    // the call to fail; NoFault for none
extern long faultCalls; // calls numbered so far
inline bool Faulty() {
    return ++faultCalls == faultAt;
}
inline bool FaultStruck() {
    return faultCalls >= faultAt;
}
#else
inline bool Faulty() {
    return false;
}
inline bool FaultStruck() {
    return false;
}
#endif

// One byte from or to a stream, as std::fgetc and std::fputc, but without taking the stream's
// lock on every call: each stream of a Run belongs to one pass on one thread.
inline int GetByte(FILE *f) {
    if (Faulty())
        return EOF;
#ifdef _WIN32
    return _fgetc_nolock(f);
#else
    return getc_unlocked(f);
#endif
}

inline int PutByte(int c, FILE *f) {
    if (Faulty())
        return EOF;
#ifdef _WIN32
    return _fputc_nolock(c, f);
#else
    return putc_unlocked(c, f);
#endif
}

// True when reading f met an error rather than the end of the file.
inline bool ReadFailed(FILE *f) {
    return std::ferror(f) != 0 || FaultStruck();
}

// Buffer room the passes give their streams: larger than the runtime's default of a few
// kilobytes, so that the largest document takes a few dozen system calls rather than hundreds.
const size_t StreamRoom = size_t{64} << 10;

// Spare names tried before CreateSpare gives up: each spare file that a killed Run left behind
// takes one, so only a folder holding thousands of them blocks a Run.
const unsigned SpareNames = 10000;

// Room for a spare file's name: the directory of a 254-character path, the longest short name
// ("~tv9999.tmp") and a terminator.
const size_t SpareRoom = 266;
