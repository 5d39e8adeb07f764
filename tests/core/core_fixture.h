// Common ground of the core's tests: a fixture that returns the core to program start, installs
// the recording screen and gives every test a folder of its own, with helpers that write
// documents, point the path buffers at files, enter passwords, run the transform and check how
// a Run ended.
#pragma once

#include "codec.h"
#include "ids.h"
#include "password.h"
#include "pipeline.h"
#include "recording_screen.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
using Codes = std::vector<int>;

inline Bytes LoadFile(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void SaveFile(const fs::path &p, const Bytes &b) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(b.data()), static_cast<std::streamsize>(b.size()));
}

// The low byte of each draw: std::mt19937 is defined exactly by the standard, so every platform
// gets the same document from the same seed.
inline Bytes RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 gen(seed);
    Bytes b(n);
    for (unsigned char &c : b)
        c = static_cast<unsigned char>(gen() & 0xFF);
    return b;
}

// doc with every bit position of the given (start, step) progressions flipped once: the
// expected output worked out by hand, independently of the core's table.
inline Bytes WithFlips(Bytes doc, const std::vector<std::pair<int, int>> &progressions) {
    const size_t bits = 8 * doc.size();
    for (auto [start, step] : progressions)
        for (size_t j = static_cast<size_t>(start); j < bits; j += static_cast<size_t>(step))
            doc[j / 8] ^= static_cast<unsigned char>(0x80 >> (j % 8));
    return doc;
}

// A bit buffer of exactly 8 x poc entries lent to the core for direct calls of its passes, so
// that AddressSanitizer sees any entry written past the end.
struct LentBuffer {
    std::vector<int32_t> entries;
    explicit LentBuffer(uint32_t poc, int32_t fill = 48) : entries(8 * size_t{poc}, fill) {
        POC = poc;
        pBuf = entries.data();
    }
    ~LentBuffer() { pBuf = nullptr; }
};

class CoreTest : public ::testing::Test {
  protected:
    fs::path dir; // this test's own folder, removed afterwards
    int runs = 0;

    void SetUp() override {
        ResetProgramState();
        StartRecording();
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        for (int n = 0;; n++) {
            dir = fs::temp_directory_path() /
                  ("tv-core-" + std::to_string(stamp) + "-" + std::to_string(n));
            if (fs::create_directory(dir))
                break;
        }
        // The suffix is taken from the last '.' of the whole source path.
        ASSERT_EQ(dir.wstring().find(L'.'), std::wstring::npos) << "temporary folder has a '.'";
    }

    void TearDown() override {
        SetScreen(nullptr);
        ResetProgramState();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    static void SetPath(wchar_t *buf, const std::wstring &p) {
        ASSERT_LT(p.size(), static_cast<size_t>(PathRoom)) << "path too long for the test";
        std::wmemcpy(buf, p.c_str(), p.size() + 1);
    }
    static void Source(const fs::path &p) { SetPath(bufOpen, p.wstring()); }
    static void Target(const fs::path &p) { SetPath(bufSave, p.wstring()); }

    // Writes a document into the folder and makes it the source.
    fs::path Document(const std::string &name, const Bytes &b) {
        fs::path p = dir / name;
        SaveFile(p, b);
        Source(p);
        return p;
    }

    static void Enter(const Codes &codes) {
        ResetHeslo();
        for (int c : codes)
            Heslo(c);
    }

    static fs::path OutputFile() {
        wchar_t out[PathRoom];
        EXPECT_TRUE(OutputPath(out));
        return fs::path(std::wstring(out));
    }

    // Every file and folder below the test's folder, with the sizes of the files.
    std::set<std::string> Listing() const {
        std::set<std::string> names;
        for (const auto &e : fs::recursive_directory_iterator(dir)) {
            std::string name = fs::relative(e.path(), dir).generic_string();
            if (e.is_regular_file())
                name += ":" + std::to_string(e.file_size());
            names.insert(name);
        }
        return names;
    }

    // Runs once and expects it to complete: the closing message, then the end of the dialog.
    void ExpectCompletes() {
        Log().calls.clear();
        EXPECT_TRUE(RunPipeline());
        std::vector<ScreenCall> m = Log().Messages();
        ASSERT_EQ(m.size(), 1u) << (m.empty() ? L"" : m[0].text);
        EXPECT_EQ(m[0].text, ClosingText);
        EXPECT_EQ(m[0].caption, L" Closing......");
        EXPECT_EQ(m[0].owner, OwnerDialog);
        EXPECT_FALSE(m[0].bufferHeld) << "buffer still held during the closing message";
        EXPECT_EQ(Log().Ends(), std::vector<int>{0});
        EXPECT_EQ(Log().calls.back().kind, ScreenCall::End);
        EXPECT_EQ(pBuf, nullptr);
    }

    // Runs once and expects it to stop with this message alone, leaving the folder, the
    // source, the password and the Run button as they were.
    void ExpectStops(const std::wstring &text, const std::wstring &caption = L"Warring") {
        const std::set<std::string> before = Listing();
        const int32_t count = hesloPoc;
        const fs::path source(std::wstring{bufOpen});
        std::error_code ec;
        const bool small = fs::is_regular_file(source, ec) && fs::file_size(source) <= MaxPOC + 1;
        const Bytes content = small ? LoadFile(source) : Bytes();
        Log().calls.clear();
        EXPECT_FALSE(RunPipeline());
        std::vector<ScreenCall> m = Log().Messages();
        ASSERT_EQ(m.size(), 1u);
        EXPECT_EQ(m[0].text, text);
        EXPECT_EQ(m[0].caption, caption);
        EXPECT_EQ(m[0].owner, OwnerNone);
        EXPECT_TRUE(Log().Ends().empty());
        EXPECT_EQ(Log().Switched(IDC_RUN, false), 0);
        EXPECT_EQ(pBuf, nullptr);
        EXPECT_EQ(hesloPoc, count);
        EXPECT_EQ(Listing(), before);
        EXPECT_TRUE(!small || LoadFile(source) == content) << "source changed";
    }

    // Scrambles doc under the codes by a real Run on files and returns the output.
    Bytes Scramble(const Bytes &doc, const Codes &codes) {
        const std::string n = std::to_string(++runs);
        Document("doc" + n + ".bin", doc);
        Target(dir / ("out" + n));
        Enter(codes);
        ExpectCompletes();
        return LoadFile(dir / ("out" + n + ".bin"));
    }
};
