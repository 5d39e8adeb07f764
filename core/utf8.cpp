// Strict UTF-8. Every malformed form is refused rather than repaired, because a path or a key
// that was repaired would no longer be the one the user gave.
#include "utf8.h"

#include <cwchar>

static bool IsSurrogate(long cp) {
    return cp >= 0xD800 && cp <= 0xDFFF;
}

long NextCodePoint(const std::wstring &text, size_t &i) {
    long cp = static_cast<long>(static_cast<unsigned long>(text[i++]) & 0xFFFFFFFFul);
#if WCHAR_MAX <= 0xFFFF
    // UTF-16: a high surrogate with a low one after it stands for one code point.
    if (cp >= 0xD800 && cp <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF)
        return 0x10000 + ((cp - 0xD800) << 10) + (text[i++] - 0xDC00);
#endif
    return IsSurrogate(cp) || cp > 0x10FFFF ? -1 : cp;
}

void AppendCodePoint(std::wstring &out, long cp) {
#if WCHAR_MAX <= 0xFFFF
    if (cp >= 0x10000) {
        out += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
        out += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        return;
    }
#endif
    out += static_cast<wchar_t>(cp);
}

bool WellFormed(const std::wstring &text) {
    for (size_t i = 0; i < text.size();)
        if (NextCodePoint(text, i) < 0)
            return false;
    return true;
}

// Length of the sequence that lead byte b starts and the smallest code point it may carry
// (anything smaller is an overlong form); length 0 for a byte that cannot lead.
static int SequenceLength(unsigned char b, long &least) {
    if (b < 0x80) {
        least = 0;
        return 1;
    }
    if (b >= 0xC2 && b <= 0xDF) {
        least = 0x80;
        return 2;
    }
    if (b >= 0xE0 && b <= 0xEF) {
        least = 0x800;
        return 3;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        least = 0x10000;
        return 4;
    }
    return 0;
}

bool DecodeUtf8(const std::string &in, std::wstring &out) {
    out.clear();
    for (size_t i = 0; i < in.size();) {
        long least;
        unsigned char lead = static_cast<unsigned char>(in[i]);
        int len = SequenceLength(lead, least);
        if (len == 0 || in.size() - i < static_cast<size_t>(len))
            return false;
        long cp = len == 1 ? lead : lead & (0x7F >> len);
        for (int k = 1; k < len; k++) {
            unsigned char b = static_cast<unsigned char>(in[i + k]);
            if ((b & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (cp < least || cp > 0x10FFFF || IsSurrogate(cp))
            return false;
        AppendCodePoint(out, cp);
        i += len;
    }
    return true;
}

std::string EncodeUtf8(const std::wstring &text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        long cp = NextCodePoint(text, i);
        if (cp < 0)
            cp = 0xFFFD;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}
