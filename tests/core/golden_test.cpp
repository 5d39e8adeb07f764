// Checks the transform against frozen outputs. Every entry of tests/data/golden/manifest.txt is
// scrambled by a real Run with its keys pressed on the keypad and compared with the output
// recorded when the corpus was made; the same keys on the output must give the document back.
#include "core_fixture.h"

#include <cstdio>
#include <sstream>

namespace {
const fs::path Golden = fs::path(TV_TESTDATA) / "golden";

std::string Fnv1a64(const Bytes &b) {
    uint64_t h = 0xcbf29ce484222325u;
    for (unsigned char c : b)
        h = (h ^ c) * 0x100000001b3u;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return hex;
}
} // namespace

using GoldenTest = CoreTest;

TEST_F(GoldenTest, EveryEntryGivesItsFrozenOutputAndComesBack) {
    std::ifstream manifest(Golden / "manifest.txt");
    int entries = 0;
    for (std::string line; std::getline(manifest, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::string document, keys, expected;
        std::istringstream(line) >> document >> keys >> expected;
        SCOPED_TRACE(document);
        entries++;
        Bytes doc;
        if (document.rfind("gen:", 0) == 0) { // gen:SIZE:SEED
            const size_t colon = document.find(':', 4);
            doc = RandomBytes(std::stoul(document.substr(4, colon - 4)),
                              static_cast<uint32_t>(std::stoul(document.substr(colon + 1))));
        } else
            doc = ReadFile(Golden / document);
        Doc("doc" + fs::path(document).extension().string(), doc); // a copy, with its suffix
        Target(dir / "golden");
        ResetHeslo();
        std::istringstream list(keys);
        for (std::string key; std::getline(list, key, ',');)
            ASSERT_TRUE(PressKey(std::stoi(key))) << key;
        ExpectCompletes();
        const fs::path out = OutputFile();
        const Bytes got = ReadFile(out);
        if (expected.rfind("fnv1a64:", 0) == 0)
            EXPECT_EQ("fnv1a64:" + Fnv1a64(got), expected);
        else
            EXPECT_TRUE(got == ReadFile(Golden / expected)) << "differs from " << expected;
        // The password stays after a Run; the same keys on the output give the document back.
        Source(out);
        Target(dir / "back");
        ExpectCompletes();
        EXPECT_TRUE(ReadFile(OutputFile()) == doc) << "not restored";
    }
    EXPECT_EQ(entries, 6) << "manifest not read";
}
