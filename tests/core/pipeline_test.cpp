// The Run under every fault: each call that can fail made to fail in turn, with spare files that
// earlier Runs left behind, a real full disk, the size limit, and a source that changes while it
// is read; and where the output goes.
#include "core_fixture.h"

#ifdef __linux__
#include <sys/mount.h>
#endif
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#endif

// Streams open in the process: a stream left open by a stopped Run shows here.
static long OpenFiles() {
#ifdef __linux__
    return std::distance(fs::directory_iterator("/proc/self/fd"), {});
#else
    return 0;
#endif
}

// Call k fails, for every k that a Run of a small document makes: the opens (the spare and its
// stream), every read of both passes (the end of the file included), the bit buffer, every
// write, the flush, the sync and the close of the output, the final move and, on POSIX, the sync
// of its folder. Each stops with its own message, leaves the source and an older output as they
// were, no spare file and no stream open, ignores Run pressed again meanwhile, and a Run without
// the fault then replaces the older output, keeping its permissions; a folder that cannot be
// synced after the move stops nothing. Ten spare files that killed Runs left behind ("~tv0.tmp"
// to "~tv9.tmp") neither block a Run nor change.
TEST_F(CoreTest, EveryFaultPointStopsCleanlyAndTheRunThenCompletes) {
    const long n = 6;
    const Bytes old(n, 'o');
    for (int s = 0; s < 10; s++)
        WriteFile("~tv" + std::to_string(s) + ".tmp", Bytes(7, 't'));
    Doc("doc.txt", RandomBytes(n, 6));
    const fs::path out = "out.txt";
    std::set<std::string> listing = Listing();
    listing.insert("out.txt:" + std::to_string(n));
    const long files = OpenFiles();
    ExpectCompletes(); // without a fault: the output to expect, and how many calls can fail
    const Bytes scrambled = ReadFile(out);
    const long calls = faultCalls; // 3 n + 11, and the sync of the folder on POSIX
    // Each message with the last call that gives it.
    const std::pair<long, std::wstring> stops[] = {
        {1, L"Warring: Can't open file 1"},
        {n + 2, L"Warring: Can't read the source file"},
        {n + 3, L"Warring: Memory is full"},
        {n + 4, L"Warring: Can't open file-reading [held]"},
        {2 * n + 5, L"Warring: Can't read the source file [held]"},
        {2 * n + 7, L"Warring: Can't open file-save [held]"},
        {3 * n + 10, L"Warring: Can't write file-save. Is the disk full? [held]"},
        {3 * n + 11, L"Warring: Can't open file-save [held]"},
    };
    onMessage = [] {
        const int32_t *held = pBuf;
        EXPECT_FALSE(RunPipeline());
        EXPECT_EQ(pBuf, held) << "the Run's buffer was touched";
    };
    for (long k = 1; k <= calls; k++) {
        SCOPED_TRACE(k);
        WriteFile(out, old);
        fs::permissions(out, fs::perms(0751));
        faultAt = k;
        faultCalls = 0;
        const auto stop = std::find_if(std::begin(stops), std::end(stops),
                                       [k](const auto &s) { return k <= s.first; });
        if (stop != std::end(stops)) {
            ExpectStops(stop->second);
            EXPECT_EQ(ReadFile(out), old);
            EXPECT_EQ(OpenFiles(), files);
            faultAt = NoFault;
        }
        ExpectCompletes();
        EXPECT_EQ(ReadFile(out), scrambled);
        EXPECT_EQ(Listing(), listing);
#ifndef _WIN32
        EXPECT_EQ(fs::status(out).permissions(), fs::perms(0751));
#endif
    }
}

// A real full disk: the output goes to a small file system of its own, too small for it. The
// whole output fits the stream's buffer, so the disk fills only when the output is closed.
TEST_F(CoreTest, FullDiskStopsAndLeavesNothing) {
#ifdef __linux__
    const fs::path disk = dir / "disk";
    fs::create_directory(disk);
    if (mount("tv-full", disk.c_str(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "NOTICE: the full disk is not tested: mounting a tmpfs needs root";
    Doc("doc.txt", RandomBytes(40000, 9), disk / "out");
    ExpectStops(L"Warring: Can't write file-save. Is the disk full? [held]");
    umount2(disk.c_str(), MNT_DETACH);
#else
    GTEST_SKIP() << "mounting a small file system needs Linux";
#endif
}

// Windows moves no file onto one that another program holds open without sharing it: the older
// output stays whole and the Run stops with its message, then completes once it is let go. The
// sync reaches the system, which refuses it for a stream open for reading only.
TEST_F(CoreTest, AnOutputHeldOpenStaysWhole) {
#ifdef _WIN32
    WriteFile("out.txt", Bytes(3, 'o'));
    FILE *reading = OpenRead(L"out.txt");
    EXPECT_FALSE(SyncFile(reading));
    std::fclose(reading);
    const int held = _wsopen(L"out.txt", _O_RDONLY, _SH_DENYRW);
    Doc("doc.txt", RandomBytes(6, 1));
    ExpectStops(L"Warring: Can't open file-save [held]");
    _close(held);
    EXPECT_EQ(ReadFile("out.txt"), Bytes(3, 'o'));
    ExpectCompletes();
#else
    GTEST_SKIP() << "POSIX replaces a file that is held open";
#endif
}

// The largest document is taken; one byte more is refused before any memory is taken. The
// other stops that a condition causes are tried through the command-line program.
TEST_F(CoreTest, LargestDocument) {
    Doc("doc.txt", Bytes(2800001, 'x'));
    ExpectStops(L"Big file: Big file.Please open smaller file or upgrade program");
    fs::resize_file("doc.txt", 2800000);
    ExpectCompletes();
}

// The output is the target followed by the source's suffix, from the last '.' of the whole
// source path, or by "(2)" without one. A target that with the suffix names the source replaces
// the source, which both passes have read whole by then. A new output may be read by all.
TEST_F(CoreTest, TheOutputIsTheTargetFollowedByTheSourceSuffix) {
    const struct {
        const char *source, *target, *output;
    } rows[] = {{"a.tar.gz", "out", "out.gz"},
                {"data.old/notes", "out", "out.old/notes"},
                {"ends.", "out", "out."},
                {"notes", "out", "out(2)"},
                {"doc.txt", "doc", "doc.txt"}};
    fs::create_directory("data.old");
    fs::create_directory("out.old");
    Bytes scrambled; // the same document gives the same output under any name
    for (const auto &row : rows) {
        SCOPED_TRACE(row.source);
        Doc(row.source, RandomBytes(40, 1), row.target);
        ExpectCompletes();
        scrambled = scrambled.empty() ? ReadFile(row.output) : scrambled;
        EXPECT_EQ(ReadFile(row.output), scrambled);
        EXPECT_EQ(scrambled.size(), 40u);
    }
#ifndef _WIN32
    EXPECT_EQ(fs::status("out.gz").permissions(), fs::perms(0666 & ~umask(0)));
#endif
}

// The count comes from an earlier pass; a source that has grown or shrunk since is not loaded,
// and not one entry is written past the 8 x POC that the count allows: only the bytes read, each
// byte 0x00 as eight entries 48.
TEST_F(CoreTest, LoadingRefusesASourceThatChangedSinceItWasCounted) {
    Doc("load.bin", Bytes(16, 0x00));
    for (uint32_t poc : {4u, 15u, 17u}) {
        SCOPED_TRACE(poc);
        std::vector<int32_t> entries(8 * poc + 8, 0); // 8 guard entries after the 8 x POC
        POC = poc;
        pBuf = entries.data();
        events.clear();
        EXPECT_FALSE(TextBinary());
        pBuf = nullptr;
        EXPECT_EQ(events, std::vector<std::wstring>{L"Warring: The source file changed while it "
                                                    L"was read. Please run again [held]"});
        EXPECT_EQ(std::count(entries.begin(), entries.end(), 48), 8 * std::min(poc, 16u));
    }
}

// A spare file stands in the output's own folder, whatever separates the folders of its path,
// and its name fits the room given for it or is refused. Each spare file that a killed Run left
// behind takes one of the 10,000 names, so only a folder holding all of them blocks a Run.
TEST(SpareNameTest, TheSpareStandsInTheOutputsFolder) {
    const std::pair<std::wstring, std::wstring> rows[] = {
        {L"/d/out.txt", L"/d/~tv7.tmp"},         {L"out", L"~tv7.tmp"},
#ifdef _WIN32
        {L"C:\\d\\out", L"C:\\d\\~tv7.tmp"},     {L"C:out", L"C:~tv7.tmp"},
        {L"C:\\d/e\\out", L"C:\\d/e\\~tv7.tmp"},
#endif
    };
    wchar_t spare[16];
    for (const auto &[path, name] : rows) {
        EXPECT_TRUE(SpareName(path.c_str(), 7, spare, name.size() + 1) && spare == name);
        EXPECT_FALSE(SpareName(path.c_str(), 7, spare, name.size()));
    }
    EXPECT_TRUE(SpareName(L"out", 9999, spare, 16));
    EXPECT_FALSE(SpareName(L"out", 10000, spare, 16));
}
