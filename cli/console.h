// The platform side of the program: the arguments as wide text, the standard streams, and the
// terminal that the keys may be typed on. POSIX and Windows each have their own half in
// console.cpp; nothing else in the program differs between them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// One command-line argument as wide text; ok is false when it was not valid text (bytes that
// are not UTF-8 on POSIX, a lone surrogate on Windows).
struct Arg {
    std::wstring text;
    bool ok;
};

#ifdef _WIN32
std::vector<Arg> WideArgs(int argc, wchar_t **argv);
#else
std::vector<Arg> WideArgs(int argc, char **argv);
#endif

enum Channel { Out, Err };

// Writes text to standard output or standard error: as wide characters to a Windows console,
// else as UTF-8. False when it could not be written.
bool Write(Channel channel, const std::wstring &text);

// True when standard input is a terminal (a console on Windows).
bool StdinIsTerminal();

// Reads the first line of f as bytes, without its line end ("\n" or "\r\n"); standard input is
// read in binary mode. False on a read error.
bool ReadFirstLine(FILE *f, std::string &line);

// Shows prompt on standard error and reads one line from the terminal on standard input with
// echo switched off, as UTF-8 without its line end. False on a read error.
bool ReadHiddenLine(const std::wstring &prompt, std::string &line);
