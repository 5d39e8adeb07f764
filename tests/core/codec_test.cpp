// Tests of the bit buffer and the document codec: bytes as entries, the output path and its
// length limit, and the counting, loading and writing passes called directly on real files.
#include "core_fixture.h"

#include <algorithm>

using CodecTest = CoreTest;

namespace {
const std::wstring Changed = L"The source file changed while it was read. Please run again";

void ExpectOneMessage(const std::wstring &text) {
    std::vector<ScreenCall> m = Log().Messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].text, text);
    EXPECT_EQ(m[0].caption, L"Warring");
    EXPECT_EQ(m[0].owner, OwnerNone);
}
} // namespace

TEST_F(CodecTest, PrintBinToPointAppendsEightEntriesMostSignificantFirst) {
    const struct {
        int byte;
        std::vector<int32_t> entries;
    } cases[] = {
        {0x00, {48, 48, 48, 48, 48, 48, 48, 48}}, {0xFF, {49, 49, 49, 49, 49, 49, 49, 49}},
        {0x80, {49, 48, 48, 48, 48, 48, 48, 48}}, {0x01, {48, 48, 48, 48, 48, 48, 48, 49}},
        {0xA5, {49, 48, 49, 48, 48, 49, 48, 49}},
    };
    // One buffer for all: each byte must land right after the previous one.
    LentBuffer buf(std::size(cases), 0);
    pocet = 0;
    for (const auto &c : cases)
        PrintBinToPoint(c.byte);
    EXPECT_EQ(pocet, 8 * std::size(cases));
    for (size_t i = 0; i < std::size(cases); i++)
        EXPECT_EQ(std::vector<int32_t>(&buf.entries[8 * i], &buf.entries[8 * i + 8]),
                  cases[i].entries)
            << "byte " << cases[i].byte;
}

TEST_F(CodecTest, OutputPathIsTheTargetFollowedByTheSourceSuffix) {
    const struct {
        const wchar_t *source, *target, *output;
    } cases[] = {
        {L"C:\\docs\\report.txt", L"C:\\out\\result", L"C:\\out\\result.txt"},
        {L"C:\\docs\\report.txt", L"C:\\out\\result.txt", L"C:\\out\\result.txt.txt"},
        {L"C:\\docs\\archive.tar.gz", L"C:\\out\\result", L"C:\\out\\result.gz"},
        {L"C:\\docs\\report.", L"C:\\out\\result", L"C:\\out\\result."},
        {L"C:\\docs\\notes", L"C:\\out\\result", L"C:\\out\\result(2)"},
        {L"C:\\data.old\\notes", L"C:\\out\\result", L"C:\\out\\result.old\\notes"},
        {L"C:\\docs\\report.txt", L"C:\\docs\\report.txt", L"C:\\docs\\report.txt.txt"},
        {L"C:\\docs\\report.txt", L"C:\\docs\\report", L"C:\\docs\\report.txt"},
        {L"/home/ana/foto.jpeg", L"/tmp/x", L"/tmp/x.jpeg"},
    };
    for (const auto &c : cases) {
        SetPath(bufOpen, c.source);
        SetPath(bufSave, c.target);
        wchar_t out[PathRoom];
        EXPECT_TRUE(OutputPath(out));
        EXPECT_EQ(std::wstring(out), c.output);
    }
}

TEST_F(CodecTest, OutputPathHoldsAtMost254Characters) {
    const struct {
        const wchar_t *source;
        size_t suffix;
    } cases[] = {{L"C:\\docs\\a.txt", 4}, {L"C:\\docs\\a", 3}, {L"C:\\docs\\a.", 1}};
    for (const auto &c : cases) {
        SetPath(bufOpen, c.source);
        for (size_t target : {254 - c.suffix, 255 - c.suffix, size_t{254}}) {
            SCOPED_TRACE(target);
            SetPath(bufSave, std::wstring(target, L'x'));
            // Guard characters past the room show a write beyond it.
            wchar_t out[PathRoom + 4];
            std::fill(std::begin(out), std::end(out), L'#');
            const bool fits = target + c.suffix <= 254;
            EXPECT_EQ(OutputPath(out), fits);
            EXPECT_EQ(std::wcslen(out), fits ? 254u : 0u);
            EXPECT_EQ(std::wstring(out + PathRoom, 4), L"####");
        }
    }
}

TEST_F(CodecTest, PoleCountsTheBytesAndStopsOncePastTheLimit) {
    const struct {
        size_t size;
        uint32_t count;
    } cases[] = {{0, 0},
                 {3, 3},
                 {4, 4},
                 {1000, 1000},
                 {MaxPOC, MaxPOC},
                 {MaxPOC + 1, MaxPOC + 1},
                 {MaxPOC + 5000, MaxPOC + 1}};
    for (const auto &c : cases) {
        Document("count.bin", Bytes(c.size, 0x5A));
        uint32_t poc = 12345;
        EXPECT_TRUE(Pole(&poc));
        EXPECT_EQ(poc, c.count) << "size " << c.size;
    }
    EXPECT_TRUE(Log().Messages().empty());
}

TEST_F(CodecTest, LoadingFillsExactlyTheCountedEntries) {
    const Bytes doc = {0x00, 0xFF, 0xA5, 0x3C, 0x0D, 0x0A, 0x1A, 0x80};
    Document("load.bin", doc);
    LentBuffer buf(static_cast<uint32_t>(doc.size()), 0);
    pocet = 7; // as an earlier stopped Run may leave it
    ASSERT_TRUE(TextBinary());
    EXPECT_EQ(pocet, 8 * doc.size());
    for (size_t j = 0; j < 8 * doc.size(); j++)
        EXPECT_EQ(buf.entries[j], 48 + ((doc[j / 8] >> (7 - j % 8)) & 1)) << "entry " << j;
    EXPECT_TRUE(Log().Messages().empty());
}

// The count comes from an earlier pass; a source that grew or shrank since must not be loaded.
TEST_F(CodecTest, LoadingRefusesASourceThatChangedSinceItWasCounted) {
    Document("load.bin", RandomBytes(16, 1));
    for (uint32_t poc : {15u, 17u, 4u, 100u}) {
        SCOPED_TRACE(poc);
        Log().calls.clear();
        LentBuffer buf(poc);
        EXPECT_FALSE(TextBinary());
        ExpectOneMessage(Changed);
    }
}

TEST_F(CodecTest, LoadingReportsASourceItCannotOpen) {
    Source(dir / "gone.bin");
    LentBuffer buf(8);
    EXPECT_FALSE(TextBinary());
    ExpectOneMessage(L"Can't open file-reading");
}

TEST_F(CodecTest, LoadingThenWritingWithoutFlipsCopiesTheSource) {
    const Bytes doc = RandomBytes(1000, 2);
    Document("copy.bin", doc);
    Target(dir / "copy-out");
    LentBuffer buf(static_cast<uint32_t>(doc.size()));
    ASSERT_TRUE(TextBinary());
    ASSERT_TRUE(BinaryText());
    EXPECT_EQ(pocet, 8 * doc.size());
    EXPECT_TRUE(LoadFile(dir / "copy-out.bin") == doc);
    EXPECT_TRUE(Log().Messages().empty());
}

// Paths reach the file system whole: UTF-8 on Linux, UTF-16 on Windows, a character beyond the
// basic plane included.
TEST_F(CodecTest, PathsOutsideAsciiWork) {
    const Bytes doc = RandomBytes(64, 3);
    SaveFile(dir / fs::u8path(u8"d\u00F4kument-\u013E-\U0001F600.txt"), doc);
    std::wstring folder = (dir / "x").wstring();
    folder.pop_back(); // keeps the separator
    SetPath(bufOpen, folder + L"d\u00F4kument-\u013E-\U0001F600.txt");
    SetPath(bufSave, folder + L"v\u00FDstup-\u00A3");
    ExpectCompletes();
    EXPECT_EQ(fs::file_size(dir / fs::u8path(u8"v\u00FDstup-\u00A3.txt")), doc.size());
}
