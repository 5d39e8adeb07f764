// Checks the transform against frozen outputs. Every entry of tests/data/golden/manifest.txt is
// scrambled by a real Run with its keys pressed on the keypad and compared with the output
// recorded when the corpus was made; the same keys on the output must give the document back.
#include "core_fixture.h"
#include "flip.h"

#include <algorithm>
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

// Every one of the 260 progressions at every size class, frozen as one digest of the bits each
// flips on its own in a 1,024-bit buffer (long enough to show each start and step). Swapping
// two entries that no document of the corpus selects would still change it.
TEST_F(GoldenTest, EveryProgressionAtEverySizeClassIsFrozen) {
    Bytes pattern;
    POC = 128;
    std::vector<int32_t> bits(8 * POC);
    pBuf = bits.data();
    for (randCislo = 0; randCislo <= 4; randCislo++)
        for (int code = 1; code <= 52; code++)
            for (int occurrence = 1; occurrence <= 5; occurrence++) {
                std::fill(bits.begin(), bits.end(), 48);
                heslotxt[1] = code;
                HesloS[1] = {code, occurrence};
                Kodovac();
                for (int32_t b : bits)
                    pattern.push_back(static_cast<unsigned char>(b));
            }
    pBuf = nullptr;
    EXPECT_EQ(Fnv1a64(pattern), "33dd23c7ecec3de6");
}
