// The Run: round trips at every size class and boundary, every way a Run stops with its exact
// message and how it comes back once things are put right, and how the output reaches its place.
#include "core_fixture.h"

#include <cstdio>
#include <functional>

#ifndef _WIN32
#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

using RunTest = CoreTest;

namespace {
// Code 7 five times (the documented example 3). Its row has no size-class terms, so at any size
// its flips are these progressions.
const Codes Seven = {7, 7, 7, 7, 7};
const std::vector<std::pair<int, int>> SevenFlips = {
    {4, 25}, {6, 15}, {21, 23}, {16, 19}, {18, 27}};
const std::wstring CantSave = L"Can't open file-save";

#ifndef _WIN32
// Holds the process to this many bytes of file size or address space; 0 lifts the limit. A file
// held short fails to write as on a full disk.
void Limit(decltype(RLIMIT_AS) resource, rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit r{};
    getrlimit(resource, &r);
    r.rlim_cur = bytes ? bytes : r.rlim_max;
    setrlimit(resource, &r);
}
#endif
} // namespace

// Code 1 at its second occurrence starts at 13 plus the size class, so {1, 1} on zeros shows the
// class that each size gets. Then a random password scrambles a random document and restores it,
// and the same symbols in reverse order give the same output.
TEST_F(RunTest, RoundTripsAtEverySizeClassAndBoundary) {
    const std::pair<uint32_t, int> cases[] = {{4, 0},       {130, 0},   {131, 1},  {300, 1},
                                              {301, 2},     {4300, 2},  {4301, 3}, {1800300, 3},
                                              {1800301, 4}, {MaxPOC, 4}};
    std::mt19937 gen(2024);
    for (const auto &[size, sizeClass] : cases) {
        SCOPED_TRACE(size);
        const Bytes zero(size, 0), doc = RandomBytes(size, size);
        EXPECT_TRUE(Scramble(zero, {1, 1}) == WithFlips(zero, {{6, 10}, {13 + sizeClass, 14}}));
        Codes password(5 + gen() % 15); // codes 1 to 26, so that some come more than once
        for (int &k : password)
            k = static_cast<int>(1 + gen() % 26);
        const Bytes out = Scramble(doc, password);
        EXPECT_TRUE(out.size() == doc.size() && out != doc);
        EXPECT_TRUE(Scramble(out, password) == doc) << "not restored";
        EXPECT_TRUE(Scramble(doc, Codes(password.rbegin(), password.rend())) == out);
    }
}

// Each stop from a source doc.txt and the target "out" (or the one given): its setup, its exact
// message, and what puts it right, after which the same Run completes with the right output.
TEST_F(RunTest, EveryStopLeavesThingsAsTheyWereAndTheRunCompletesOnceFixed) {
    const fs::path src = dir / "doc.txt";
    const std::wstring small = L"Small file.Please open bigger file",
                       big = L"Big file.Please open smaller file or upgrade program";
    // A file name in the folder that makes the path with ".txt" 255 characters long.
    const std::string tooLong(255 - (dir / "x").wstring().size() + 1 - 4, 'n');
    const struct {
        const char *name;
        fs::path target;
        std::function<void()> setup, fix;
        std::wstring text, caption;
    } stops[] = {
        {"missing source", "out", [&] { fs::remove(src); }, [&] { WriteFile(src, Bytes(50, 1)); },
         L"Can't open file 1", L"Warring"},
        {"empty source", "out", [&] { fs::resize_file(src, 0); }, [&] { fs::resize_file(src, 4); },
         small, L"Small file"},
        {"3 bytes", "out", [&] { fs::resize_file(src, 3); }, [&] { fs::resize_file(src, 4); },
         small, L"Small file"},
        {"one byte too many", "out", [&] { fs::resize_file(src, MaxPOC + 1); },
         [&] { fs::resize_file(src, MaxPOC); }, big, L"Big file"},
#ifndef _WIN32
        // Sparse (Windows would write out every zero): a count that wrapped would take 2^32 + 4
        // bytes for 4.
        {"4 GiB and more", "out", [&] { fs::resize_file(src, (uintmax_t{1} << 32) + 4); },
         [&] { fs::resize_file(src, 5); }, big, L"Big file"},
        // A folder opens as a file here but cannot be read; Windows does not open it at all.
        {"read error", "out", [&] { Source(dir); }, [&] { Source(src); },
         L"Can't read the source file", L"Warring"},
        // A full disk. The output names the source, which must survive whole.
        {"write error", "doc", [&] { Limit(RLIMIT_FSIZE, 50); }, [&] { Limit(RLIMIT_FSIZE, 0); },
         L"Can't write file-save. Is the disk full?", L"Warring"},
#endif
        {"missing output folder", fs::path("missing") / "out", [] {},
         [&] { fs::create_directory(dir / "missing"); }, CantSave, L"Warring"},
        {"folder at the output path", "out", [&] { fs::create_directory(dir / "out.txt"); },
         [&] { fs::remove(dir / "out.txt"); }, CantSave, L"Warring"},
        {"output path of 255 characters", tooLong, [] {}, [&] { Target(dir / tooLong.substr(1)); },
         L"The save path is too long. Please choose a shorter one", L"Warring"},
    };
    for (const auto &s : stops) {
        SCOPED_TRACE(s.name);
        for (const auto &e : fs::directory_iterator(dir))
            fs::remove_all(e.path());
        Doc("doc.txt", RandomBytes(100, 1));
        Target(dir / s.target);
        Enter(Seven);
        s.setup();
        // Run pressed again while the message is shown (it has no owner) is ignored.
        const int32_t *held = nullptr;
        onMessage = [&] {
            if (calls.size() == 1) {
                held = pBuf;
                EXPECT_FALSE(RunPipeline());
                EXPECT_EQ(pBuf, held) << "the outer Run's buffer was touched";
            }
        };
        ExpectStops(s.text, s.caption); // one message only
        onMessage = nullptr;
        EXPECT_TRUE(s.caption == L"Warring" || !held) << "a refused size took memory";
        s.fix();
        const Bytes doc = ReadFile(std::wstring(bufOpen));
        ExpectCompletes();
        EXPECT_TRUE(ReadFile(OutputFile()) == WithFlips(doc, SevenFlips));
    }
}

// The output is written to a spare file with a short name of its own ("~tv0.tmp" and so on) in
// its folder, then moved into place. So the longest output name that the room allows works, even
// made of 255 bytes in UTF-8 (the most a file name may have, so no name formed by adding to it
// could exist); an existing output is replaced; files that bear spare names, like the ten that
// killed Runs may leave, are left alone and block nothing.
TEST_F(RunTest, OutputIsMovedIntoPlaceFromASpareFile) {
    const Bytes doc = RandomBytes(100, 20);
    const fs::path src = Doc("~tv0.tmp", doc);
    for (int n = 1; n < 10; n++)
        WriteFile(dir / ("~tv" + std::to_string(n) + ".tmp"), Bytes(7, 't'));
    std::wstring target = (dir / "x").wstring();
    target.pop_back();                                          // the folder and a separator
    const size_t room = 254 - target.size(), wide = 255 - room; // name and ".tmp"; 2-byte letters
    std::string name;
    for (size_t i = 0; i < wide; i++)
        name += "\xC3\xBD"; // U+00FD
    name += std::string(room - 4 - wide, 'n') + ".tmp";
    SetPath(bufSave, target + std::wstring(wide, L'\u00FD') + std::wstring(room - 4 - wide, L'n'));
    WriteFile(dir / fs::u8path(name), Bytes(5000, 0xEE));
    Enter(Seven);
    ExpectCompletes();
    EXPECT_EQ(ReadFile(dir / fs::u8path(name)), WithFlips(doc, SevenFlips));
    EXPECT_EQ(ReadFile(src), doc);
    EXPECT_EQ(Listing().size(), 11u);
}

// The read-only file is the source itself, so the source must survive the stop as well.
TEST_F(RunTest, ReadOnlyOutputFileStops) {
    const fs::path src = Doc("doc.txt", RandomBytes(100, 13));
    Target(dir / "doc");
    Enter(Seven);
    fs::permissions(src, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
#ifndef _WIN32
    if (geteuid() == 0) {
        // Root may write to any file: the Run goes to a child that becomes user 65534, which owns
        // the folder and the file. Exit 0: the stop was right and nothing changed.
        ASSERT_EQ(chown(dir.c_str(), 65534, 65534), 0);
        ASSERT_EQ(chown(src.c_str(), 65534, 65534), 0);
        EXPECT_EXIT(
            {
                if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
                    _exit(2);
                ExpectStops(CantSave);
                std::fflush(stdout);
                _exit(HasFailure() ? 1 : 0);
            },
            ::testing::ExitedWithCode(0), "");
        return;
    }
#endif
    ExpectStops(CantSave);
    fs::permissions(src, fs::perms::owner_all);
}

TEST_F(RunTest, MemoryIsFull) {
#if defined(_WIN32) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "needs an address-space limit: Linux, without AddressSanitizer";
#else
    Doc("big.bin", RandomBytes(MaxPOC, 15));
    Target(dir / "out");
    Enter(Seven);
    // In a child, with the address space held to what is in use plus 48 MB, the 89.6 MB bit
    // buffer cannot be had; once the limit is lifted the Run completes at the same size class.
    EXPECT_EXIT(
        {
            long pages = 0;
            std::ifstream("/proc/self/statm") >> pages;
            Limit(RLIMIT_AS, rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t{48} << 20));
            ExpectStops(L"Memory is full");
            Limit(RLIMIT_AS, 0);
            ExpectCompletes();
            EXPECT_EQ(randCislo, 4);
            std::fflush(stdout);
            _exit(HasFailure() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
#endif
}
