// Common ground of the core's tests: a fixture that returns the core to program start, installs
// the recorder and gives each test a folder of its own, with helpers for files, passwords and
// Runs, and the two ways a Run can end.
#pragma once

#include "codec.h"
#include "password.h"
#include "pipeline.h"
#include "recording_screen.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
using Codes = std::vector<int>;

inline Bytes ReadFile(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const fs::path &p, const Bytes &b) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char *>(b.data()), static_cast<std::streamsize>(b.size()));
}

// The low byte of each draw: std::mt19937 is defined exactly, so every platform gets the same.
inline Bytes RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 gen(seed);
    Bytes b(n);
    for (unsigned char &c : b)
        c = static_cast<unsigned char>(gen() & 0xFF);
    return b;
}

// doc with every bit position of these (start, step) progressions flipped once: an expected
// output worked out apart from the core's table.
inline Bytes WithFlips(Bytes doc, const std::vector<std::pair<int, int>> &progressions) {
    for (auto [start, step] : progressions)
        for (size_t j = static_cast<size_t>(start); j < 8 * doc.size(); j += size_t(step))
            doc[j / 8] ^= static_cast<unsigned char>(0x80 >> (j % 8));
    return doc;
}

class CoreTest : public ::testing::Test {
  protected:
    fs::path dir; // the test's own folder, removed afterwards

    void SetUp() override {
        ResetProgramState();
        calls.clear();
        onMessage = nullptr;
        SetScreen(&Recorder);
        do
            dir = fs::temp_directory_path() / ("tv-core-" + std::to_string(std::random_device()()));
        while (!fs::create_directory(dir));
        // The suffix is taken from the last '.' of the whole source path.
        ASSERT_EQ(dir.wstring().find(L'.'), std::wstring::npos) << "temporary folder has a '.'";
    }

    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    static void SetPath(wchar_t *buf, const std::wstring &p) {
        ASSERT_LT(p.size(), size_t(PathRoom)) << "path too long for the test";
        std::wmemcpy(buf, p.c_str(), p.size() + 1);
    }
    static void Source(const fs::path &p) { SetPath(bufOpen, p.wstring()); }
    static void Target(const fs::path &p) { SetPath(bufSave, p.wstring()); }

    // Writes a document into the folder and makes it the source.
    fs::path Doc(const std::string &name, const Bytes &b) {
        WriteFile(dir / name, b);
        Source(dir / name);
        return dir / name;
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

    // Every file and folder in the test's folder, files with their sizes.
    std::set<std::string> Listing() const {
        std::set<std::string> names;
        for (const auto &e : fs::recursive_directory_iterator(dir))
            names.insert(fs::relative(e.path(), dir).u8string() +
                         (e.is_regular_file() ? ":" + std::to_string(e.file_size()) : ""));
        return names;
    }

    // One Run that completes: the closing message owned by the dialog, shown once the bit
    // buffer is released, then the end of the dialog with 0.
    static void ExpectCompletes() {
        calls.clear();
        EXPECT_TRUE(RunPipeline());
        ASSERT_EQ(calls.size(), 2u) << (calls.empty() ? std::wstring() : calls[0].text);
        EXPECT_TRUE(calls[0].kind == 'm' && calls[0].owner == OwnerDialog && !calls[0].held);
        EXPECT_EQ(calls[0].text,
                  L"\t\tThis is Tarvix-Vantor \n It is important that you use the same Tarvix for "
                  L"encoding and decoding the same document, otherwise you actually encode the "
                  L"document one more time(see online Tutorial).Please save the original of the "
                  L"document on a safe place.\n \t\tThank you for using Tarvix.\n\t\t    Program "
                  L"will exit");
        EXPECT_EQ(calls[0].caption, L" Closing......");
        EXPECT_TRUE(calls[1].kind == 'x' && calls[1].id == 0) << "the dialog ended with 0";
        EXPECT_EQ(pBuf, nullptr);
    }

    // One Run that stops with this message alone, without owner, and leaves everything as it
    // was: the folder (no output, no spare file), the source, the password, the Run button.
    void ExpectStops(const std::wstring &text, const std::wstring &caption = L"Warring") const {
        const std::set<std::string> before = Listing();
        const int32_t count = hesloPoc;
        const fs::path source(std::wstring{bufOpen});
        std::error_code ec;
        const bool small = fs::is_regular_file(source, ec) && fs::file_size(source) <= MaxPOC + 1;
        const Bytes content = small ? ReadFile(source) : Bytes();
        calls.clear();
        EXPECT_FALSE(RunPipeline());
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_TRUE(calls[0].kind == 'm' && calls[0].owner == OwnerNone) << "a message, no owner";
        EXPECT_EQ(calls[0].text, text);
        EXPECT_EQ(calls[0].caption, caption);
        EXPECT_EQ(pBuf, nullptr);
        EXPECT_EQ(hesloPoc, count);
        EXPECT_EQ(Listing(), before);
        EXPECT_TRUE(!small || ReadFile(source) == content) << "source changed";
    }

    // Scrambles doc under the codes by a real Run on files and returns the output.
    Bytes Scramble(const Bytes &doc, const Codes &codes) {
        Doc("doc.bin", doc);
        Target(dir / "out");
        Enter(codes);
        ExpectCompletes();
        return ReadFile(dir / "out.bin");
    }
};
