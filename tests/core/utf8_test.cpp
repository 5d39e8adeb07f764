// The strict UTF-8 conversion through which wide paths reach the file system outside Windows:
// every sequence length at its edges converts both ways, and every malformed sequence is refused.
#include "utf8.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Utf8, ConvertsGoodSequencesBothWaysAndRefusesBadOnes) {
    const struct {
        std::string bytes;
        std::vector<long> codePoints; // empty for a sequence that must be refused
    } cases[] = {
        // Each sequence length at both its edges.
        {"A\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
         {0x41, 0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0x10000, 0x10FFFF}},
        {"\xC2\xA3\xC4\xBE\xF0\x9F\x98\x80.", {0xA3, 0x13E, 0x1F600, 0x2E}},
        {"\x80", {}},             // continuation without a lead
        {"\xC3\x28", {}},         // lead without its continuation
        {"\xE2\x82", {}},         // cut short at the end
        {"\xC0\x80", {}},         // overlong forms
        {"\xE0\x9F\xBF", {}},     //
        {"\xF0\x8F\xBF\xBF", {}}, //
        {"\xED\xA0\x80", {}},     // a surrogate
        {"\xF4\x90\x80\x80", {}}, // beyond U+10FFFF
        {"ok\xFF", {}},           // a byte that never occurs
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        std::wstring wide, back;
        for (long cp : c.codePoints)
            AppendCodePoint(wide, cp);
        EXPECT_EQ(DecodeUtf8(c.bytes, back), !c.codePoints.empty());
        if (!c.codePoints.empty()) {
            EXPECT_EQ(back, wide);
            EXPECT_TRUE(WellFormed(wide));
            EXPECT_EQ(EncodeUtf8(wide), c.bytes);
        }
    }
}
