// Files by wide-character path. The output of a Run is written to a spare file beside its final
// place, forced onto the disk and only then moved there in one step, so no failure, crash or
// power cut leaves a half-written document, and a source that the output replaces survives
// until the output is whole. This file's portable half is files.cpp; each system's own calls
// are in posix/files.cpp (a UTF-8 form of the path) or win32/files.cpp (UTF-16 paths).
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
// a file that already exists. nullptr on failure.
FILE *CreateSpare(const wchar_t *path, wchar_t *spare, size_t room);

// Spare name number n of path: "~tv<n>.tmp" in the directory of path. False when n is not below
// SpareNames or the name does not fit room wide characters.
bool SpareName(const wchar_t *path, unsigned n, wchar_t *spare, size_t room);

// Length of the folder part of path, up to and with its last separator; 0 for a bare name.
size_t FolderLength(const wchar_t *path);

// Flushes a stream written to, forces its bytes onto the disk and closes it; false when any of
// that failed, so that the file may not hold every byte written.
bool CloseWritten(FILE *f);

// Moves the file from onto to in one step, replacing a file at to, and makes the move itself
// last; false, with nothing moved, on failure.
bool MoveOnto(const wchar_t *from, const wchar_t *to);

// Removes a file; failures are ignored (used to clear away a spare file).
void RemoveFile(const wchar_t *path);

// Each system's own calls under CreateSpare and CloseWritten. CreateNew creates spare for
// writing bytes and returns its descriptor, or -1 with errno EEXIST when a file bears that name
// already; on POSIX the new file takes the permissions of the file at path. SyncFile forces the
// bytes already handed to the system onto the disk.
int CreateNew(const wchar_t *spare, const wchar_t *path);
bool SyncFile(FILE *f);

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
