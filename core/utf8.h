// Strict conversion between UTF-8 bytes and the wide strings of the core. A wide string holds
// UTF-16 on Windows (wchar_t has 16 bits) and whole code points elsewhere; both forms are read
// and written here, so the rest of the program never looks at the width of wchar_t.
#pragma once

#include <string>

// The code point that starts at text[i], advancing i past it; -1 (and i past one unit) for a
// lone surrogate or a value beyond U+10FFFF.
long NextCodePoint(const std::wstring &text, size_t &i);

// Appends code point cp to out, as one or two wide characters.
void AppendCodePoint(std::wstring &out, long cp);

// True when text holds only whole code points, so it has a UTF-8 form.
bool WellFormed(const std::wstring &text);

// Decodes UTF-8 into out. False for any byte sequence that is not UTF-8: a stray or missing
// continuation byte, an overlong form, a surrogate or a value beyond U+10FFFF.
bool DecodeUtf8(const std::string &in, std::wstring &out);

// The UTF-8 form of text; a code unit that is no whole code point becomes U+FFFD.
std::string EncodeUtf8(const std::wstring &text);
