// Tests of the strict UTF-8 conversion through which wide paths reach the file system outside
// Windows: every sequence length at its edges converts both ways, every malformed byte sequence
// is refused, and a wide string that holds no whole code point still gives valid UTF-8.
#include "utf8.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
// A wide string of these code points, in this platform's form (UTF-16 or whole code points).
std::wstring Wide(const std::vector<long> &codePoints) {
    std::wstring s;
    for (long cp : codePoints)
        AppendCodePoint(s, cp);
    return s;
}
} // namespace

TEST(Utf8, ConvertsEverySequenceLengthBothWays) {
    const struct {
        std::vector<long> codePoints;
        std::string bytes;
    } cases[] = {
        {{}, ""},
        {{0x41, 0x7F}, "A\x7F"},
        {{0x80}, "\xC2\x80"},
        {{0x7FF}, "\xDF\xBF"},
        {{0x800}, "\xE0\xA0\x80"},
        {{0xFFFF}, "\xEF\xBF\xBF"},
        {{0x10000}, "\xF0\x90\x80\x80"},
        {{0x10FFFF}, "\xF4\x8F\xBF\xBF"},
        {{0xA3, 0x13E, 0x1F600, 0x2E}, "\xC2\xA3\xC4\xBE\xF0\x9F\x98\x80."},
    };
    for (const auto &c : cases) {
        const std::wstring wide = Wide(c.codePoints);
        EXPECT_TRUE(WellFormed(wide));
        EXPECT_EQ(EncodeUtf8(wide), c.bytes);
        std::wstring back = L"junk";
        EXPECT_TRUE(DecodeUtf8(c.bytes, back));
        EXPECT_EQ(back, wide);
    }
    // Beyond the basic plane: a surrogate pair where wchar_t has 16 bits.
    EXPECT_EQ(Wide({0x1F600}).size(), sizeof(wchar_t) == 2 ? 2u : 1u);
}

TEST(Utf8, RefusesEveryMalformedSequence) {
    const char *const malformed[] = {
        "\x80",             // continuation without a lead
        "\xC3\x28",         // lead without its continuation
        "\xE2\x82",         // cut short at the end
        "\xC0\x80",         // overlong forms
        "\xC1\xBF",         //
        "\xE0\x9F\xBF",     //
        "\xF0\x8F\xBF\xBF", //
        "\xED\xA0\x80",     // a surrogate
        "\xF4\x90\x80\x80", // beyond U+10FFFF
        "\xF5\x80\x80\x80", //
        "ok\xFF",           // a byte that never occurs
    };
    for (const char *bytes : malformed) {
        std::wstring out;
        EXPECT_FALSE(DecodeUtf8(bytes, out)) << testing::PrintToString(bytes);
    }
}

// A lone surrogate is no code point: it becomes U+FFFD rather than bytes no decoder accepts.
TEST(Utf8, BrokenWideTextStillEncodesAsValidUtf8) {
    std::vector<std::wstring> broken = {std::wstring(1, static_cast<wchar_t>(0xD800)),
                                        std::wstring(1, static_cast<wchar_t>(0xDC00)) + L"a",
                                        L"a" + std::wstring(1, static_cast<wchar_t>(0xDBFF))};
    if (sizeof(wchar_t) > 2) { // whole code points: a surrogate pair is two broken units
        broken.push_back(std::wstring(1, static_cast<wchar_t>(0x110000)));
        broken.push_back({static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)});
    }
    for (const std::wstring &text : broken) {
        EXPECT_FALSE(WellFormed(text));
        const std::string bytes = EncodeUtf8(text);
        EXPECT_NE(bytes.find("\xEF\xBF\xBD"), std::string::npos);
        std::wstring back;
        EXPECT_TRUE(DecodeUtf8(bytes, back));
    }
}
