// The command-line program through its real binary: the documented examples, every way of
// giving the keys, usage errors and stopped Runs with their messages and exit statuses, and
// agreement with the core itself. Under a launcher (the Windows build under Wine) only the first
// rows of each table run, since every start there costs time.
#include "child.h"

#include "codec.h"
#include "password.h"
#include "pipeline.h"
#include "utf8.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

namespace fs = std::filesystem;
using namespace std::string_literals;
using Args = std::vector<std::string>;

namespace {

std::string Read(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void ExpectDone(const Result &r, const std::string &output) {
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, output + "\n");
    EXPECT_EQ(r.err, "");
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("TV_CLI"), nullptr) << "TV_CLI must name the program to test";
        char pattern[] = "/tmp/tv-cli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    Result Run(const Args &args, const std::string &input = "") { return RunCli(dir, args, input); }
    void Put(const std::string &name, const std::string &bytes) {
        std::ofstream(dir / fs::u8path(name), std::ios::binary) << bytes;
    }
    std::string Get(const std::string &name) { return Read(dir / fs::u8path(name)); }
    // Everything in the directory, to show what a Run left there.
    std::set<fs::path> Files() {
        return {fs::recursive_directory_iterator(dir), fs::recursive_directory_iterator()};
    }

    // What the core itself writes for doc under the keys with these control IDs.
    std::string CoreOutput(const std::string &doc, const std::vector<int> &ids) {
        std::ofstream(dir / "core.dat", std::ios::binary) << doc;
        ResetProgramState(); // the password empty among the rest
        std::wcscpy(bufOpen, (dir / "core.dat").wstring().c_str());
        std::wcscpy(bufSave, (dir / "core-out").wstring().c_str());
        for (int id : ids)
            PressKey(id);
        EXPECT_TRUE(RunPipeline());
        return Read(dir / "core-out.dat");
    }

    fs::path dir;
};

// The documented examples, padded to the five symbols a password needs, and the edges of the
// count, each restored by a second Run; every output replaces an older file.
TEST_F(CliTest, DocumentedExamplesAndTheirRestoring) {
    const struct {
        const char *keys;
        std::string doc, out;
    } cases[] = {
        // Example 1: codes 1, 2, 1, 52, 3.
        {"BNB)C", "\0\0\0\0"s, "\x4E\x16\xB1\x70"},
        // Example 2 (code 9 twice) with example 3 on top.
        {"FFDDDDD", "ABCD", "\xEB\x02\xC3\x52"},
        // Example 3: code 7 five times.
        {"DDDDD", "\0\0\0\0"s, "\x0A\x00\xA0\x04"s},
        // ">" enters codes 43 and 44, so these are five symbols.
        {">DDD", "\0\0\0\0"s, "\x8E\x00\x40\x04"s},
        // The key without caption, code 40, five times.
        {"     ", "\0\0\0\0"s, "\x08\x80\xC0\x14"},
        // 20 symbols, the most there may be; the 20th takes no part.
        {"BNCPAQDEFGIJOSRHTUVZ", "\0\0\0\0"s, "\xA3\x41\x48\x21"},
    };
    for (size_t i = 0; i < (Wrapped() ? 1 : std::size(cases)); i++) {
        SCOPED_TRACE(cases[i].keys);
        Put("doc.bin", cases[i].doc);
        Put("out.bin", "an older and much longer document");
        ExpectDone(Run({"--keys", cases[i].keys, "doc.bin", "out"}), "out.bin");
        EXPECT_EQ(Get("out.bin"), cases[i].out);
        ExpectDone(Run({"--keys", cases[i].keys, "out.bin", "back"}), "back.bin");
        EXPECT_EQ(Get("back.bin"), cases[i].doc);
    }
    EXPECT_EQ(Files().size(), 3u); // no spare file is left beside the outputs
}

// Every way of giving the keys reads the same line: blanks at either end are keys; the line
// end ("\n" or "\r\n"), a byte order mark and later lines are not.
TEST_F(CliTest, KeysFromOptionFileAndStandardInput) {
    const std::string expected =
        CoreOutput("0123456789", {4009, 4011, 4012, 4011, 4062, 4013, 4009});
    Put("doc.bin", "0123456789");
    Put("keys.txt", "\xEF\xBB\xBF BNB)C \r\nAAAAA\n");
    const std::pair<Args, std::string> cases[] = {
        // arguments, standard input
        {{"--keys-file", "keys.txt", "doc.bin", "out"}, ""},
        {{"--keys-file", "-", "doc.bin", "out"}, " BNB)C \r\nAAAAA\n"},
        {{"doc.bin", "out"}, " BNB)C \nAAAAA"},
        {{"--keys", " BNB)C ", "doc.bin", "out"}, ""},
        {{"--keys= BNB)C ", "doc.bin", "out"}, ""},
        {{"--keys-file=keys.txt", "doc.bin", "out"}, ""},
    };
    for (size_t i = 0; i < (Wrapped() ? 3 : std::size(cases)); i++) {
        SCOPED_TRACE(testing::PrintToString(cases[i].first));
        ExpectDone(Run(cases[i].first, cases[i].second), "out.bin");
        EXPECT_EQ(Get("out.bin"), expected);
    }
}

TEST_F(CliTest, PromptsOnATerminalWithoutEcho) {
    if (Wrapped())
        GTEST_SKIP() << "Wine gives the program no console on a pseudo-terminal";
    Put("doc.bin", "\0\0\0\0"s);
    std::string shown;
    EXPECT_EQ(RunOnTerminal(dir.string(), {"doc.bin", "out"}, "Keys: ", "BNB)C\n", shown), 0);
    EXPECT_EQ(shown.find("BNB)C"), std::string::npos) << shown;
    EXPECT_NE(shown.find("out.bin"), std::string::npos) << shown;
    EXPECT_EQ(Get("out.bin"), "\x4E\x16\xB1\x70");
}

// Usage errors, bad keys among them, exit with status 2 and a one-line hint; a stopped Run shows
// the dialog's message with its caption and exits with status 1. Neither writes anything.
TEST_F(CliTest, RefusedAndStoppedRuns) {
    const std::string count = "; it needs 5 to 20 (\">\" enters two)", tooLong(255, 'p');
    auto keys = [](std::string k) { return Args{"--keys", k, "doc", "out"}; };
    auto paths = [](std::string s, std::string t) { return Args{"--keys", "BNB)C", s, t}; };
    const struct {
        int status;
        Args args;
        std::string message;
    } cases[] = {
        {2, keys("BNbC)"),
         "no key \"b\" (U+0062), character 3 of the keys: letters are upper "
         "case (\"x\" is the times key)"},
        {2, keys("BNC)"), "the password has 4 symbols" + count},
        {2, keys("BNCPAQDEFGIJOSRHTUV>"), "the password has 21 symbols" + count},
        {2, {"--frob", "doc", "out"}, "unknown option '--frob'"},
        {2, paths("doc", tooLong), "the TARGET path has 255 characters; at most 254 fit"},
        {1, paths("missing", "out"), "Warring: Can't open file 1"},
        {1, paths("abc", "out"), "Small file: Small file.Please open bigger file"},
        {1, paths("doc", "no-such-dir/out"), "Warring: Can't open file-save"},
        // Natively only from here.
        {1, paths("big", "out"), "Big file: Big file.Please open smaller file or upgrade program"},
        {1, paths(std::string(254, 's'), std::string(252, 't')), // SOURCE fits; the output does not
         "Warring: The save path is too long. Please choose a shorter one"},
        {2, keys("BN\xC3\xA9))"), "no key \"\xC3\xA9\" (U+00E9), character 3 of the keys"},
        {2, {}, "SOURCE and TARGET are missing"},
        {2, {"--keys", "BNB)C", "doc"}, "TARGET is missing"},
        {2, {"doc", "a", "b"}, "one SOURCE and one TARGET only; 'b' is one more"},
        {2, {"--keys=", "--keys="}, "give the keys only once, with --keys or with --keys-file"},
        {2, {"doc", "out", "--keys"}, "option '--keys' needs a value"},
        {2, {"--keys-file", "missing", "doc", "out"}, "cannot open the keys file 'missing'"},
        {2, paths("doc", ""), "the TARGET path is empty"},
        {2, paths(tooLong, "out"), "the SOURCE path has 255 characters; at most 254 fit"},
        {2, paths("doc\xFF", "out"), "the SOURCE path is not valid UTF-8"},
        {2, paths("doc", "out\xC0\xAF"), "the TARGET path is not valid UTF-8"},
        {2, keys("BN\xED\xA0\x80))"), "the keys are not valid UTF-8"},
        {2, {"--keys-file", "bad.txt", "doc", "out"}, "the keys are not valid UTF-8"},
    };
    Put("doc", "abcd");
    Put(std::string(254, 's'), "abcd");
    Put("abc", "abc");
    Put("big", std::string(2800001, 'b'));
    Put("bad.txt", "BN\xC3(C)\n");
    const std::set<fs::path> before = Files();
    for (size_t i = 0; i < (Wrapped() ? 8 : std::size(cases)); i++) {
        SCOPED_TRACE(testing::PrintToString(cases[i].args));
        Result r = Run(cases[i].args);
        EXPECT_EQ(r.status, cases[i].status);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, cases[i].status == 1 ? cases[i].message + "\n"
                                              : "tarvix-vantor-cli: " + cases[i].message +
                                                    "\nTry 'tarvix-vantor-cli --help'.\n");
    }
    EXPECT_EQ(Files(), before);
}

// Paths with characters beyond ASCII reach the core whole (as UTF-16 on Windows), and so do the
// keys: "£" among them.
TEST_F(CliTest, NonAsciiPaths) {
    const std::string doc = "Ťažký dokument, £5.";
    Put("dokument-ťažký-£.txt", doc);
    ExpectDone(Run({"--keys", "£x>@(", "dokument-ťažký-£.txt", "výstup-ťažký"}),
               "výstup-ťažký.txt");
    EXPECT_EQ(Get("výstup-ťažký.txt"), CoreOutput(doc, {4049, 4056, 4053, 4048, 4061}));
}

TEST_F(CliTest, HelpAndVersion) {
    Result help = Run({"--help"}), version = Run({"--version"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("can be seen by other users"), std::string::npos) << help.out;
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("tarvix-vantor-cli ", 0), 0u) << version.out;
}

// A document of each size class under passwords that hold every caption between them, then
// random ones: the program writes what the core writes, byte for byte.
TEST_F(CliTest, SameOutputAsTheCore) {
    std::mt19937 random(20240611);
    const size_t sizes[] = {4, 131, 301, 4301, 1800301, 9000};
    for (size_t run = 0; run < (Wrapped() ? 3 : std::size(sizes)); run++) {
        std::string doc(sizes[run], '\0'), keys;
        for (char &c : doc)
            c = static_cast<char>(random());
        std::vector<int> ids;
        for (size_t i = 0, n = run < 3 ? 18 : 5 + random() % 6; i < n; i++) {
            const Key &k = Keypad[run < 3 ? (run * 18 + i) % 52 : random() % 52];
            keys += k.caption[0] ? EncodeUtf8(k.caption) : " ";
            ids.push_back(k.id);
        }
        SCOPED_TRACE(std::to_string(doc.size()) + " bytes, keys \"" + keys + "\"");
        Put("doc.dat", doc);
        Put("keys.txt", keys + "\n");
        ExpectDone(Run({"--keys-file", "keys.txt", "doc.dat", "out"}), "out.dat");
        EXPECT_TRUE(Get("out.dat") == CoreOutput(doc, ids));
    }
}

} // namespace
