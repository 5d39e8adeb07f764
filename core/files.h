// Files by wide-character path, through the C runtime only: _wfopen and its kin on Windows, a
// UTF-8 form of the path elsewhere. The output of a Run is written to a spare file beside its
// final place and moved there only once it is complete, so no failure leaves a half-written
// document, and a source that the output replaces survives until the output is whole.
#pragma once

#include <cstddef>
#include <cstdio>

// Opens an existing file for reading bytes ("rb"); nullptr when it cannot be opened.
FILE *OpenRead(const wchar_t *path);

// True when path can take a new file: nothing is there yet, or a regular file that may be
// written. A directory, a device or a read-only file cannot be replaced.
bool CanReplace(const wchar_t *path);

// Creates a new, empty file for writing bytes in the directory of path, under a short name of
// its own ("~tv0.tmp" to "~tv9.tmp"), and puts its name into spare (room wide characters).
// Never opens a file that already exists. The new file takes the permissions of an existing
// file at path. nullptr on failure.
FILE *CreateSpare(const wchar_t *path, wchar_t *spare, size_t room);

// Moves the file from onto to, replacing a file at to; false (and nothing moved) on failure.
bool ReplaceFile(const wchar_t *from, const wchar_t *to);

// Removes a file; failures are ignored (used to clear away a spare file).
void RemoveFile(const wchar_t *path);

// Room for a spare file's name: the directory of a 254-character path, the short name and a
// terminator.
const size_t SpareRoom = 264;
