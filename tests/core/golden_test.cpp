// Checks the transform against frozen outputs. Every entry of tests/data/golden/manifest.txt is
// scrambled by a real Run with its keys pressed on the keypad and compared with the output
// recorded when the corpus was made; the output is then run again with the same keys and must
// give the document back.
#include "core_fixture.h"

#include <cstdio>
#include <sstream>

namespace {
const fs::path Golden = fs::path(TV_TESTDATA) / "golden";

struct Entry {
    std::string document, expected;
    std::vector<int> keys;
};

std::vector<Entry> Manifest() {
    std::ifstream in(Golden / "manifest.txt");
    std::vector<Entry> entries;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        Entry e;
        std::string keys;
        fields >> e.document >> keys >> e.expected;
        std::istringstream list(keys);
        for (std::string key; std::getline(list, key, ',');)
            e.keys.push_back(std::stoi(key));
        entries.push_back(e);
    }
    return entries;
}

std::string Fnv1a64(const Bytes &b) {
    uint64_t h = 0xcbf29ce484222325u;
    for (unsigned char c : b) {
        h ^= c;
        h *= 0x100000001b3u;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return hex;
}

// "gen:SIZE:SEED"
Bytes Generated(const std::string &name) {
    const size_t colon = name.find(':', 4);
    return RandomBytes(std::stoul(name.substr(4, colon - 4)),
                       static_cast<uint32_t>(std::stoul(name.substr(colon + 1))));
}
} // namespace

using GoldenTest = CoreTest;

TEST_F(GoldenTest, EveryEntryGivesItsFrozenOutputAndComesBack) {
    const std::vector<Entry> entries = Manifest();
    ASSERT_EQ(entries.size(), 6u) << "manifest not read";
    for (const Entry &e : entries) {
        SCOPED_TRACE(e.document);
        const std::string n = std::to_string(++runs);
        Bytes doc;
        if (e.document.rfind("gen:", 0) == 0) {
            doc = Generated(e.document);
            Document("gen" + n + ".bin", doc);
        } else {
            doc = LoadFile(Golden / e.document);
            Source(Golden / e.document);
        }
        Target(dir / ("golden" + n));
        ResetHeslo();
        for (int key : e.keys)
            ASSERT_TRUE(PressKey(key)) << key;
        ExpectCompletes();
        const fs::path out = OutputFile();
        const Bytes got = LoadFile(out);
        ASSERT_EQ(got.size(), doc.size());
        if (e.expected.rfind("fnv1a64:", 0) == 0)
            EXPECT_EQ("fnv1a64:" + Fnv1a64(got), e.expected);
        else
            EXPECT_TRUE(got == LoadFile(Golden / e.expected)) << "differs from " << e.expected;

        // The password stays after a Run; the same keys on the output give the document back.
        Source(out);
        Target(dir / ("back" + n));
        ExpectCompletes();
        EXPECT_TRUE(LoadFile(OutputFile()) == doc) << "not restored";
    }
}
