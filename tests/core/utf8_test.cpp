// Strict UTF-8 at the edges of each of its forms, in both widths of wchar_t: the first and last
// code points of each length come through both ways unchanged, and every malformed form is
// refused, lone surrogates among them.
#include "utf8.h"

#include <gtest/gtest.h>

#include <cwchar>

static std::wstring Text(long cp) {
    std::wstring text;
    AppendCodePoint(text, cp);
    return text;
}

TEST(Utf8Test, EveryFormAtItsEdgesAndNothingMalformed) {
    const std::pair<long, std::string> forms[] = {
        {0x0, std::string(1, '\0')},   {0x7F, "\x7F"},           {0x80, "\xC2\x80"},
        {0x7FF, "\xDF\xBF"},           {0x800, "\xE0\xA0\x80"},  {0xD7FF, "\xED\x9F\xBF"},
        {0xE000, "\xEE\x80\x80"},      {0xFFFF, "\xEF\xBF\xBF"}, {0x10000, "\xF0\x90\x80\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"}};
    std::wstring text;
    for (const auto &[cp, bytes] : forms) {
        SCOPED_TRACE(cp);
        size_t at = 0;
        EXPECT_EQ(NextCodePoint(Text(cp), at), cp);
        EXPECT_TRUE(WellFormed(Text(cp)));
        EXPECT_EQ(EncodeUtf8(Text(cp)), bytes);
        EXPECT_TRUE(DecodeUtf8(bytes, text) && text == Text(cp));
    }
    // Overlong forms, surrogates, values past U+10FFFF, stray and missing continuation bytes.
    for (const char *bad : {"\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80",
                            "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\x80", "\xC2",
                            "\xE1\x80"
                            "A"})
        EXPECT_FALSE(DecodeUtf8(bad, text)) << bad;
    // Lone surrogates (a high one with no low one after it, a low one with no high one before
    // it), and values past U+10FFFF where a wchar_t holds them, have no UTF-8 form: written as
    // U+FFFD.
    const wchar_t past[] = {static_cast<wchar_t>(WCHAR_MAX > 0xFFFF ? 0x110000 : 0xDC00), 0};
    for (const wchar_t *bad : {L"\xD83D", L"\xDFFF", L"\xD83D!", L"\xD800\xDBFF", L"\xD800\xE000",
                               L"\xDC00\xDC00", L"\xD7FF\xDC00", past}) {
        EXPECT_FALSE(WellFormed(bad));
        EXPECT_NE(EncodeUtf8(bad).find("\xEF\xBF\xBD"), std::string::npos);
    }
}
