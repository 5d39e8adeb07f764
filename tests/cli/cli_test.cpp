// The command-line program through its real binary: known documents and passwords, every way
// of giving the keys, every stop and usage error with its message and exit status, and
// agreement with the core itself on random documents and passwords. Under a launcher (the
// Windows build under Wine) a chosen subset of the rows runs, since each start costs seconds.
#include "child.h"

#include "codec.h"
#include "password.h"
#include "pipeline.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Every key with its control ID, written out here rather than taken from the core's table,
// so that a wrong caption in either place shows.
struct TestKey {
    const char *caption;
    int id;
};
const TestKey AllKeys[52] = {
    {" ", 4009}, {"B", 4011}, {"N", 4012},        {"C", 4013}, {"P", 4014}, {"A", 4015},
    {"Q", 4016}, {"D", 4017}, {"E", 4018},        {"F", 4019}, {"G", 4020}, {"I", 4021},
    {"J", 4022}, {"O", 4023}, {"S", 4024},        {"R", 4025}, {"H", 4026}, {"T", 4027},
    {"U", 4028}, {"V", 4029}, {"W", 4030},        {"K", 4031}, {"X", 4032}, {"L", 4033},
    {"Y", 4034}, {"M", 4035}, {"Z", 4036},        {"1", 4038}, {"2", 4039}, {"3", 4040},
    {"4", 4041}, {"5", 4042}, {"6", 4043},        {"7", 4044}, {"8", 4045}, {"9", 4046},
    {"0", 4047}, {"@", 4048}, {"\xC2\xA3", 4049}, {"$", 4050}, {"=", 4051}, {"<", 4052},
    {">", 4053}, {"+", 4054}, {"-", 4055},        {"x", 4056}, {"/", 4057}, {"%", 4058},
    {"!", 4059}, {"?", 4060}, {"(", 4061},        {")", 4062},
};

const int GreaterId = 4053; // ">", the key that enters two symbols

std::string Hex(const std::string &bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char b : bytes) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

std::string FromHex(const std::string &hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

const std::string Hint = "Try 'tarvix-vantor-cli --help'.\n";

void ExpectDone(const Result &r, const std::string &output) {
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, output + "\n");
    EXPECT_EQ(r.err, "");
}

void ExpectUsage(const Result &r, const std::string &what) {
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tarvix-vantor-cli: " + what + "\n" + Hint);
}

void ExpectStop(const Result &r, const std::string &message) {
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, message + "\n");
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("TV_CLI"), nullptr) << "TV_CLI must name the program to test";
        char pattern[] = "/tmp/tv-cli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        work = root / "work";
        scratch = root / "scratch";
        fs::create_directories(work);
        fs::create_directories(scratch);
    }
    void TearDown() override { fs::remove_all(root); }

    Result Run(const std::vector<std::string> &args, const std::string &input = "") {
        return RunCli(work.string(), args, input);
    }

    void Put(const std::string &name, const std::string &bytes) {
        std::ofstream(work / fs::u8path(name), std::ios::binary) << bytes;
    }

    std::string Get(const std::string &name) {
        std::ifstream in(work / fs::u8path(name), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // Every file and directory under the working directory with its content, to show that
    // a refused or stopped Run changed nothing.
    std::map<std::string, std::string> Snapshot() {
        std::map<std::string, std::string> files;
        for (const auto &e : fs::recursive_directory_iterator(work)) {
            std::string name = fs::relative(e.path(), work).u8string();
            files[name] = e.is_directory() ? "<directory>" : Get(name);
        }
        return files;
    }

    // The output of the core itself for doc under the keys with these IDs, pressed as the
    // dialog presses them.
    std::string CoreOutput(const std::string &doc, const std::vector<int> &ids) {
        fs::path source = scratch / "core.doc", target = scratch / "core-out";
        std::ofstream(source, std::ios::binary) << doc;
        ResetProgramState();
        std::wcscpy(bufOpen, source.wstring().c_str());
        std::wcscpy(bufSave, target.wstring().c_str());
        InitHeslo();
        ResetHeslo();
        for (int id : ids)
            PressKey(id);
        EXPECT_TRUE(RunPipeline());
        std::ifstream in(scratch / "core-out.doc", std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        fs::remove(source);
        fs::remove(scratch / "core-out.doc");
        return s.str();
    }

    fs::path root, work, scratch;
};

// Known documents and passwords with outputs worked out by hand from the flip table: the
// cases of the program's documentation, padded to five symbols where they have fewer.
struct KnownAnswer {
    const char *name;
    const char *doc; // hex
    const char *keys;
    const char *out; // hex
    bool wine;       // also run under the launcher
};
const KnownAnswer KnownAnswers[] = {
    // Codes 1, 2, 1, 52, 3.
    {"codes-1-2-1-52-3", "00000000", "BNB)C", "4E16B170", true},
    {"same-codes-reordered", "00000000", ")BCBN", "4E16B170", false},
    // Code 7 five times; a sixth use flips nothing.
    {"code-7-five-times", "00000000", "DDDDD", "0A00A004", false},
    {"code-7-six-times", "00000000", "DDDDDD", "0A00A004", false},
    // Code 9 twice (E1 02 63 56 from 41 42 43 44) and code 7 five times on top.
    {"code-9-twice-code-7-five-times", "41424344", "FFDDDDD", "EB02C352", false},
    // ">" is codes 43 and 44, two symbols: with three more it reaches the minimum of five.
    {"greater-is-two-symbols", "00000000", ">DDD", "8E004004", true},
    {"greater-then-code-7", "00000000", ">DDDDD", "8E00E004", false},
    {"plus-is-code-44", "00000000", "+DDDDD", "0E00A004", false},
    // The key without caption, code 40, five times: positions 4, 8, 16, 17, 27 and 29.
    {"blank-key-five-times", "00000000", "     ", "0880C014", false},
    // Codes 1 to 19; a 20th symbol, the most there may be, takes no part.
    {"codes-1-to-19", "00000000", "BNCPAQDEFGIJOSRHTUV", "A3414821", false},
    {"twentieth-symbol", "00000000", "BNCPAQDEFGIJOSRHTUVZ", "A3414821", true},
};

TEST_F(CliTest, KnownAnswersAndTheirRestoring) {
    for (const KnownAnswer &k : KnownAnswers) {
        if (Wrapped() && !k.wine)
            continue;
        SCOPED_TRACE(k.name);
        Put("doc.bin", FromHex(k.doc));
        ExpectDone(Run({"--keys", k.keys, "doc.bin", "scrambled"}), "scrambled.bin");
        EXPECT_EQ(Hex(Get("scrambled.bin")), k.out);
        if (k.wine) {
            ExpectDone(Run({"--keys", k.keys, "scrambled.bin", "restored"}), "restored.bin");
            EXPECT_EQ(Hex(Get("restored.bin")), k.doc);
        }
    }
}

// All 52 captions, "£" in UTF-8 among them, in three passwords, against the core pressing the
// keys by ID.
TEST_F(CliTest, EveryCaptionEntersItsKey) {
    std::string doc;
    for (int i = 0; i < 200; i++)
        doc += static_cast<char>(i * 37 + 11);
    Put("doc.txt", doc);
    for (size_t first = 0; first < 52; first += 18) {
        std::string keys;
        std::vector<int> ids;
        for (size_t i = first; i < first + 18 && i < 52; i++) {
            keys += AllKeys[i].caption;
            ids.push_back(AllKeys[i].id);
        }
        SCOPED_TRACE(keys);
        ExpectDone(Run({"--keys", keys, "doc.txt", "out"}), "out.txt");
        EXPECT_EQ(Hex(Get("out.txt")), Hex(CoreOutput(doc, ids)));
    }
}

// Every way of giving the keys reads the same line: blanks at either end are keys, the line
// end is not, nor a byte order mark, and nothing after the first line counts.
TEST_F(CliTest, KeysFromOptionFileAndStandardInput) {
    const std::string doc = FromHex("0102030405060708090A");
    const std::vector<int> ids = {4009, 4011, 4012, 4011, 4062, 4013, 4009}; // " BNB)C "
    const std::string expected = Hex(CoreOutput(doc, ids));
    Put("doc.bin", doc);
    Put("keys.txt", "\xEF\xBB\xBF BNB)C \r\nAAAAA\n");
    Put("unix-keys.txt", " BNB)C \nAAAAA");
    struct {
        std::vector<std::string> args;
        std::string input;
    } cases[] = {
        {{"--keys", " BNB)C "}, ""},
        {{"--keys= BNB)C "}, ""},
        {{"--keys-file", "keys.txt"}, ""},
        {{"--keys-file=unix-keys.txt"}, ""},
        {{"--keys-file", "-"}, " BNB)C \r\nAAAAA\n"},
        {{}, " BNB)C "},
    };
    for (auto &c : cases) {
        c.args.push_back("doc.bin");
        c.args.push_back("out");
        SCOPED_TRACE(testing::PrintToString(c.args));
        ExpectDone(Run(c.args, c.input), "out.bin");
        EXPECT_EQ(Hex(Get("out.bin")), expected);
    }
}

// On a terminal the program prompts and reads the keys without showing them.
TEST_F(CliTest, PromptsOnATerminalWithoutEcho) {
    if (Wrapped())
        GTEST_SKIP() << "Wine gives the program no console on a pseudo-terminal";
    Put("doc.bin", FromHex("00000000"));
    std::string transcript;
    int status =
        RunOnTerminal(work.string(), {"doc.bin", "scrambled"}, "Keys: ", "BNB)C\n", transcript);
    EXPECT_EQ(status, 0) << transcript;
    EXPECT_EQ(transcript.find("BNB)C"), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("scrambled.bin"), std::string::npos) << transcript;
    EXPECT_EQ(Hex(Get("scrambled.bin")), "4E16B170");
}

// Keys that cannot be pressed are refused before anything is read or written.
TEST_F(CliTest, KeysThatAreRefused) {
    const std::string nineteen = "BNCPAQDEFGIJOSRHTUV";
    struct {
        const char *keys;
        const char *what;
        bool wine;
    } cases[] = {
        {"BNbC)",
         "no key \"b\" (U+0062), character 3 of the keys: letters are upper case "
         "(\"x\" is the times key)",
         true},
        {"BN#C)", "no key \"#\" (U+0023), character 3 of the keys", false},
        {"BN\xC3\xA9"
         "C)",
         "no key \"\xC3\xA9\" (U+00E9), character 3 of the keys", false},
        {"BN\tC)", "no key U+0009, character 3 of the keys", false},
        {"", "the password has 0 symbols; it needs 5 to 20 (\">\" enters two)", false},
        {"BNC)", "the password has 4 symbols; it needs 5 to 20 (\">\" enters two)", true},
        {"BNCPAQDEFGIJOSRHTUV>", "the password has 21 symbols; it needs 5 to 20 (\">\" enters two)",
         true},
        {"BNCPAQDEFGIJOSRHTUVWK",
         "the password has 21 symbols; it needs 5 to 20 (\">\" enters two)", false},
    };
    Put("doc.bin", FromHex("00000000"));
    auto before = Snapshot();
    for (const auto &c : cases) {
        if (Wrapped() && !c.wine)
            continue;
        SCOPED_TRACE(c.keys);
        ExpectUsage(Run({"--keys", c.keys, "doc.bin", "out"}), c.what);
    }
    if (!Wrapped()) {
        Put("bad.txt", "BN\xC3(C)\n");
        ExpectUsage(Run({"--keys-file", "bad.txt", "doc.bin", "out"}),
                    "the keys are not valid UTF-8");
        fs::remove(work / "bad.txt");
    }
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(CliTest, UsageErrors) {
    const std::string longest(254, 'p'), tooLong(255, 'p');
    struct {
        std::vector<std::string> args;
        std::string what;
        bool wine;
    } cases[] = {
        {{}, "SOURCE and TARGET are missing", false},
        {{"--keys", "BNB)C", "doc.bin"}, "TARGET is missing", true},
        {{"--keys", "BNB)C", "doc.bin", "a", "b"},
         "one SOURCE and one TARGET only; 'b' is one more",
         false},
        {{"--frob", "doc.bin", "out"}, "unknown option '--frob'", true},
        {{"--keys", "BNB)C", "--keys-file", "k", "doc.bin", "out"},
         "give the keys only once, with --keys or with --keys-file",
         false},
        {{"doc.bin", "out", "--keys"}, "option '--keys' needs a value", false},
        {{"--keys-file", "missing.txt", "doc.bin", "out"},
         "cannot open the keys file 'missing.txt'",
         false},
        {{"--keys", "BNB)C", "doc.bin", ""}, "the TARGET path is empty", false},
        {{"--keys", "BNB)C", tooLong, "out"},
         "the SOURCE path has 255 characters; at most 254 fit",
         true},
        {{"--keys", "BNB)C", "doc.bin", tooLong},
         "the TARGET path has 255 characters; at most 254 fit",
         true},
    };
    Put("doc.bin", FromHex("00000000"));
    Put(longest, FromHex("00000000"));
    auto before = Snapshot();
    for (const auto &c : cases) {
        if (Wrapped() && !c.wine)
            continue;
        SCOPED_TRACE(testing::PrintToString(c.args));
        ExpectUsage(Run(c.args), c.what);
    }
    EXPECT_EQ(Snapshot(), before);
}

// Arguments are bytes on POSIX; those that are not UTF-8 are refused, not repaired.
TEST_F(CliTest, PathsThatAreNotUtf8) {
    if (Wrapped())
        GTEST_SKIP() << "Windows takes its arguments as UTF-16, so Wine decodes them first";
    Put("doc\xFF.bin", FromHex("00000000"));
    Put("doc.bin", FromHex("00000000"));
    auto before = Snapshot();
    ExpectUsage(Run({"--keys", "BNB)C", "doc\xFF.bin", "out"}),
                "the SOURCE path is not valid UTF-8");
    ExpectUsage(Run({"--keys", "BNB)C", "doc.bin", "out\xC0\xAF"}),
                "the TARGET path is not valid UTF-8");
    ExpectUsage(Run({"--keys",
                     "BN\xED\xA0\x80"
                     "B)C",
                     "doc.bin", "out"}),
                "the keys are not valid UTF-8");
    EXPECT_EQ(Snapshot(), before);
}

// A stopped Run shows the dialog's message with its caption and leaves every file as it was.
TEST_F(CliTest, StoppedRuns) {
    Put("doc.bin", FromHex("00000000"));
    Put("three.bin", FromHex("000000"));
    Put("empty.bin", "");
    fs::create_directory(work / "taken.bin");
    const std::string tooLong(251, 't'); // 251 + ".bin" is one more than a path holds
    struct {
        std::string source, target, message;
        bool wine;
    } cases[] = {
        {"missing.bin", "out", "Warring: Can't open file 1", true},
        {"three.bin", "out", "Small file: Small file.Please open bigger file", true},
        {"empty.bin", "out", "Small file: Small file.Please open bigger file", false},
        {"doc.bin", "no-such-dir/out", "Warring: Can't open file-save", true},
        {"doc.bin", "taken", "Warring: Can't open file-save", true},
        {"doc.bin", tooLong, "Warring: The save path is too long. Please choose a shorter one",
         false},
    };
    auto before = Snapshot();
    for (const auto &c : cases) {
        if (Wrapped() && !c.wine)
            continue;
        SCOPED_TRACE(c.message);
        ExpectStop(Run({"--keys", "BNB)C", c.source, c.target}), c.message);
    }
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(CliTest, BigFileIsRefused) {
    if (Wrapped())
        GTEST_SKIP() << "the same core check as natively; one Wine start saved";
    Put("big.bin", std::string(2800001, 'b'));
    auto before = Snapshot();
    ExpectStop(Run({"--keys", "BNB)C", "big.bin", "out"}),
               "Big file: Big file.Please open smaller file or upgrade program");
    EXPECT_EQ(Snapshot(), before);
}

// An existing output file is replaced whole, and nothing is left beside it.
TEST_F(CliTest, ReplacesAnExistingOutput) {
    Put("doc.bin", FromHex("00000000"));
    Put("out.bin", "an older and much longer document");
    ExpectDone(Run({"--keys", "BNB)C", "doc.bin", "out"}), "out.bin");
    EXPECT_EQ(Hex(Get("out.bin")), "4E16B170");
    EXPECT_EQ(Snapshot().size(), 2u);
}

// Output paths: the source suffix taken from the last '.', "(2)" without one, and the longest
// output path there is room for (in a directory, since a file name has at most 255 bytes and
// the output is first written under its name with a short tag added).
TEST_F(CliTest, OutputPaths) {
    if (Wrapped())
        GTEST_SKIP() << "254 characters under a temporary directory exceed Windows' MAX_PATH";
    const std::string longest = "sub/" + std::string(247, 'l');
    fs::create_directory(work / "sub");
    struct {
        std::string source, target, output;
    } cases[] = {
        {"archive.tar.gz", "out", "out.gz"},
        {"notes", "out", "out(2)"},
        {"archive.tar.gz", "out.txt", "out.txt.gz"},
        {"archive.tar.gz", longest, longest + ".gz"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.output);
        Put(c.source, "some document");
        ExpectDone(Run({"--keys", "BNB)C", c.source, c.target}), c.output);
        EXPECT_EQ(Get(c.output).size(), 13u);
    }
}

TEST_F(CliTest, NonAsciiPaths) {
    const std::string doc = "Ťažký dokument, £5.";
    Put("dokument-ťažký-£.txt", doc);
    ExpectDone(Run({"--keys", "£x>@(", "dokument-ťažký-£.txt", "výstup-ťažký"}),
               "výstup-ťažký.txt");
    EXPECT_NE(Get("výstup-ťažký.txt"), doc);
    ExpectDone(Run({"--keys", "£x>@(", "výstup-ťažký.txt", "obnovený"}), "obnovený.txt");
    EXPECT_EQ(Get("obnovený.txt"), doc);
}

TEST_F(CliTest, HelpAndVersion) {
    Result help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_NE(help.out.find("Usage: tarvix-vantor-cli [--keys KEYS | --keys-file FILE] SOURCE "
                            "TARGET\n"),
              std::string::npos);
    EXPECT_NE(help.out.find("can be seen by other users"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("\xC2\xA3"), std::string::npos) << help.out;
    Result version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "tarvix-vantor-cli 1.0.0\n");
}

// Random documents of every size class under random passwords of 5 to 20 symbols: the
// program's output is the core's, byte for byte.
TEST_F(CliTest, SameOutputAsTheCore) {
    std::mt19937 random(20240611);
    const size_t sizes[] = {4, 130, 131, 300, 301, 4300, 4301, 9000, 1800301};
    const int runs = Wrapped() ? 2 : 30;
    for (int run = 0; run < runs; run++) {
        size_t size = run < 9 && !Wrapped() ? sizes[run] : 4 + random() % 5000;
        std::string doc;
        for (size_t i = 0; i < size; i++)
            doc += static_cast<char>(random());
        int symbols = 5 + static_cast<int>(random() % 16), count = 0;
        std::string keys;
        std::vector<int> ids;
        while (count < symbols) {
            const TestKey &k = AllKeys[random() % 52];
            int n = k.id == GreaterId ? 2 : 1;
            if (count + n > symbols)
                continue;
            count += n;
            keys += k.caption;
            ids.push_back(k.id);
        }
        SCOPED_TRACE("run " + std::to_string(run) + ", " + std::to_string(size) +
                     " bytes, keys \"" + keys + "\"");
        Put("doc.dat", doc);
        Put("keys.txt", keys + "\n");
        ExpectDone(Run({"--keys-file", "keys.txt", "doc.dat", "out"}), "out.dat");
        EXPECT_TRUE(Get("out.dat") == CoreOutput(doc, ids));
    }
}

} // namespace
