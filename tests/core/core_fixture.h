// Common ground of the core's tests: a fixture that returns the core to program start with a
// password entered, records what the core shows on the screen and gives each test a folder of
// its own, with helpers for files and the two ways a Run can end.
#pragma once

#include "codec.h"
#include "documents.h"
#include "files.h"
#include "password.h"
#include "pipeline.h"
#include "screen.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <functional>
#include <set>

// Every message that the core showed, as "caption: text", marked when the dialog owned it or a
// bit buffer was held meanwhile, and every end of the dialog. onMessage, when set, runs while a
// message is shown, as a user could act while a message box without an owner is open.
inline std::vector<std::wstring> events;
inline std::function<void()> onMessage;

inline const Screen Recorder = {
    [](int, const wchar_t *) {},
    [](int, bool) {},
    [](const wchar_t *text, const wchar_t *caption, MessageOwner owner) {
        events.push_back(std::wstring(owner == OwnerDialog ? L"[owned] " : L"") + caption + L": " +
                         text + (pBuf ? L" [held]" : L""));
        if (onMessage)
            onMessage();
    },
    [](int result) { events.push_back(L"end " + std::to_wstring(result)); },
};

class CoreTest : public ::testing::Test {
  protected:
    fs::path home, dir; // the test's own folder, its current folder until it is removed

    void SetUp() override {
        ResetProgramState();
        events.clear();
        onMessage = nullptr;
        faultAt = NoFault;
        faultCalls = 0;
        SetScreen(&Recorder);
        for (int i = 0; i < 5; i++) // code 7 five times: any password of five symbols would do
            Heslo(7);
        do
            dir = fs::temp_directory_path() / ("tv-core-" + std::to_string(std::random_device()()));
        while (!fs::create_directory(dir));
        home = fs::current_path();
        fs::current_path(dir);
    }

    // A folder that cannot be removed fails no test.
    void TearDown() override {
        fs::current_path(home);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    // Writes a document and makes it the source, by a path relative to the test's folder, so
    // that no '.' above it plays a part in the output's name; and sets the target.
    static void Doc(const std::string &name, const Bytes &b, const fs::path &target = "out") {
        WriteFile(name, b);
        std::wcscpy(bufOpen, fs::path(name).wstring().c_str());
        std::wcscpy(bufSave, target.wstring().c_str());
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
        events.clear();
        EXPECT_TRUE(RunPipeline());
        EXPECT_EQ(events, (std::vector<std::wstring>{
                              L"[owned]  Closing......: \t\tThis is Tarvix-Vantor \n It is "
                              L"important that you use the same Tarvix for encoding and decoding "
                              L"the same document, otherwise you actually encode the document one "
                              L"more time(see online Tutorial).Please save the original of the "
                              L"document on a safe place.\n \t\tThank you for using Tarvix.\n\t\t  "
                              L"  Program will exit",
                              L"end 0"}));
    }

    // One Run that stops with this event alone and leaves everything as it was: the folder (no
    // output, no spare file) and the source, with the bit buffer released. That the password
    // stays shows in the Run that follows.
    void ExpectStops(const std::wstring &event) const {
        const std::set<std::string> before = Listing();
        const fs::path source(std::wstring{bufOpen});
        const Bytes content = ReadFile(source);
        events.clear();
        EXPECT_FALSE(RunPipeline());
        EXPECT_EQ(events, std::vector<std::wstring>{event});
        EXPECT_EQ(pBuf, nullptr);
        EXPECT_EQ(Listing(), before);
        EXPECT_TRUE(ReadFile(source) == content) << "source changed";
    }
};
