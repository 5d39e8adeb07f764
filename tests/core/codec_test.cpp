// The bit buffer and the document codec: bytes as entries, the output path with its length limit,
// and the loading pass on a source that changed since it was counted.
#include "core_fixture.h"

#include <algorithm>

using CodecTest = CoreTest;

namespace {
// A bit buffer of 8 x poc entries and 8 guard entries after them, lent to the core for direct
// calls of its passes.
struct LentBuffer {
    std::vector<int32_t> entries;
    explicit LentBuffer(uint32_t poc) : entries(8 * size_t{poc} + 8, 0) {
        POC = poc;
        pBuf = entries.data();
    }
    ~LentBuffer() { pBuf = nullptr; }
};
} // namespace

TEST_F(CodecTest, PrintBinToPointAppendsEightEntriesMostSignificantFirst) {
    // An entry holds the character code of its digit, so the expected entries read as digits.
    const std::string bits = "00000000"
                             "11111111"
                             "10000000"
                             "00000001"
                             "10100101";
    LentBuffer buf(5); // one buffer for all: each byte must land right after the one before
    pocet = 0;
    for (int byte : {0x00, 0xFF, 0x80, 0x01, 0xA5})
        PrintBinToPoint(byte);
    EXPECT_EQ(pocet, 40u);
    EXPECT_EQ(std::vector<int32_t>(buf.entries.begin(), buf.entries.begin() + 40),
              std::vector<int32_t>(bits.begin(), bits.end()));
}

TEST_F(CodecTest, OutputPathIsTheTargetFollowedByTheSourceSuffix) {
    const std::wstring x250(250, L'x');
    const struct {
        std::wstring source, target, output; // output empty: does not fit 254 characters
    } cases[] = {
        {L"C:\\docs\\report.txt", L"C:\\out\\result", L"C:\\out\\result.txt"},
        {L"C:\\docs\\report.txt", L"C:\\out\\result.txt", L"C:\\out\\result.txt.txt"},
        {L"C:\\docs\\archive.tar.gz", L"C:\\out\\result", L"C:\\out\\result.gz"},
        {L"C:\\docs\\report.", L"C:\\out\\result", L"C:\\out\\result."},
        {L"C:\\docs\\notes", L"C:\\out\\result", L"C:\\out\\result(2)"},
        {L"C:\\data.old\\notes", L"C:\\out\\result", L"C:\\out\\result.old\\notes"},
        {L"C:\\docs\\report.txt", L"C:\\docs\\report.txt", L"C:\\docs\\report.txt.txt"},
        {L"C:\\docs\\report.txt", L"C:\\docs\\report", L"C:\\docs\\report.txt"},
        // 254 characters fit, 255 do not.
        {L"C:\\a.txt", x250, x250 + L".txt"},
        {L"C:\\a.txt", x250 + L"x", L""},
        {L"C:\\a", x250 + L"x", x250 + L"x(2)"},
        {L"C:\\a", x250 + L"xx", L""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.source + L" " + c.target));
        SetPath(bufOpen, c.source);
        SetPath(bufSave, c.target);
        // Guard characters past the room show a write beyond it.
        wchar_t out[PathRoom + 4];
        std::fill(std::begin(out), std::end(out), L'#');
        EXPECT_EQ(OutputPath(out), !c.output.empty());
        EXPECT_EQ(std::wstring(out), c.output);
        EXPECT_EQ(std::wstring(out + PathRoom, 4), L"####");
    }
}

// The count comes from an earlier pass; a source that has grown or shrunk since is not loaded,
// and not one entry is written past the 8 x POC that the count allows.
TEST_F(CodecTest, LoadingRefusesASourceThatChangedSinceItWasCounted) {
    Doc("load.bin", Bytes(16, 0xFF));
    for (uint32_t poc : {4u, 15u, 17u}) {
        SCOPED_TRACE(poc);
        calls.clear();
        LentBuffer buf(poc);
        EXPECT_FALSE(TextBinary());
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].text, L"The source file changed while it was read. Please run again");
        EXPECT_EQ(calls[0].caption, L"Warring");
        EXPECT_EQ(calls[0].owner, OwnerNone);
        EXPECT_EQ(std::count(buf.entries.begin() + 8 * poc, buf.entries.end(), 0), 8);
    }
}
