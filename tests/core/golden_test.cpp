// The transform against frozen results: every entry of tests/data/golden/manifest.txt scrambled
// by a real Run with its keys pressed on the keypad gives the output recorded when the corpus was
// made (a round trip and another order of the same symbols among them), and one digest holds what
// every progression flips at every size class.
#include "core_fixture.h"
#include "flip.h"

#include <cstdio>
#include <sstream>

static const fs::path Golden = fs::path(TV_TESTDATA) / "golden";

static std::string Fnv1a64(const Bytes &b) {
    uint64_t h = 0xcbf29ce484222325u;
    for (unsigned char c : b)
        h = (h ^ c) * 0x100000001b3u;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return hex;
}

TEST_F(CoreTest, EveryGoldenEntryGivesItsFrozenOutput) {
    std::ifstream manifest(Golden / "manifest.txt");
    int entries = 0;
    for (std::string line; std::getline(manifest, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::string document, keys, expected;
        std::istringstream(line) >> document >> keys >> expected;
        SCOPED_TRACE(document);
        entries++;
        unsigned long size, seed;
        Doc("doc.bin", std::sscanf(document.c_str(), "gen:%lu:%lu", &size, &seed) == 2
                           ? RandomBytes(size, static_cast<uint32_t>(seed))
                           : ReadFile(Golden / document)); // the names play no part
        Target("golden");
        ResetHeslo();
        std::istringstream list(keys);
        for (std::string key; std::getline(list, key, ',');)
            ASSERT_TRUE(PressKey(std::stoi(key))) << key;
        ExpectCompletes();
        const Bytes got = ReadFile("golden.bin");
        if (expected.rfind("fnv1a64:", 0) == 0)
            EXPECT_EQ("fnv1a64:" + Fnv1a64(got), expected);
        else
            EXPECT_TRUE(got == ReadFile(Golden / expected)) << "differs from " << expected;
    }
    EXPECT_EQ(entries, 14) << "manifest not read";
}

// Every one of the 260 progressions at the size class of each document size on either side of
// every threshold, frozen as one digest of the bits each flips on its own in a 1,024-bit buffer
// (long enough to show each start and step). Swapping two entries that no document of the corpus
// selects, or moving a threshold by one byte, would change it.
TEST_F(CoreTest, EveryProgressionAtEverySizeClassIsFrozen) {
    ResetHeslo();
    Bytes pattern;
    POC = 128;
    std::vector<int32_t> bits(8 * POC);
    pBuf = bits.data();
    for (uint32_t size : {130, 131, 300, 301, 4300, 4301, 1800300, 1800301})
        for (int code = 1; code <= 52; code++)
            for (int occurrence = 1; occurrence <= 5; occurrence++) {
                std::fill(bits.begin(), bits.end(), 48);
                randCislo = SizeClass(size);
                heslotxt[1] = code;
                HesloS[1] = {code, occurrence};
                Kodovac();
                for (int32_t b : bits)
                    pattern.push_back(static_cast<unsigned char>(b));
            }
    pBuf = nullptr;
    EXPECT_EQ(Fnv1a64(pattern), "e18d24e505c664cf");
}
