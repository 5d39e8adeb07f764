// The transform against frozen results: every entry of tests/data/golden/manifest.txt scrambled
// by a real Run with its keys pressed on the keypad gives the output recorded when the corpus was
// made: every progression at every size class, a round trip and another order of the same
// symbols among them.
#include "core_fixture.h"

#include <cstdio>
#include <sstream>

static std::string Fnv1a64(const Bytes &b) {
    uint64_t h = 0xcbf29ce484222325u;
    for (unsigned char c : b)
        h = (h ^ c) * 0x100000001b3u;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return hex;
}

TEST_F(CoreTest, EveryGoldenEntryGivesItsFrozenOutput) {
    const fs::path golden = fs::path(TV_TESTDATA) / "golden";
    std::ifstream manifest(golden / "manifest.txt");
    int entries = 0;
    for (std::string line; std::getline(manifest, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::string document, keys, expected;
        std::istringstream(line) >> document >> keys >> expected;
        SCOPED_TRACE(document);
        entries++;
        unsigned long size, seed; // a document made as gen:SIZE:SEED; its name plays no part
        const bool made = std::sscanf(document.c_str(), "gen:%lu:%lu", &size, &seed) == 2;
        Doc("doc.bin", made ? RandomBytes(size, seed) : ReadFile(golden / document), "golden");
        ResetHeslo();
        std::istringstream list(keys);
        for (std::string key; std::getline(list, key, ',');)
            PressKey(std::stoi(key));
        ExpectCompletes();
        EXPECT_EQ("fnv1a64:" + Fnv1a64(ReadFile("golden.bin")), expected);
    }
    EXPECT_EQ(entries, 109) << "manifest not read";
}
