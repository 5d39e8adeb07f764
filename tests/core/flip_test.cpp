// The flip schedule against its documented cross-checks, and the documented known answers, each
// through a real Run on files.
#include "core_fixture.h"
#include "flip.h"

#include <array>
#include <map>

namespace {
std::pair<int, int> At(int code, int occurrence, int sizeClass) {
    const Flip &f = FlipSchedule[code - 1][occurrence - 1];
    return {f.start + f.startClass * sizeClass, f.step + f.stepClass * sizeClass};
}
} // namespace

TEST(FlipSchedule, SumsAndRangesAtEverySizeClass) {
    for (int c = 0; c <= 4; c++) {
        int starts = 0, steps = 0;
        for (int code = 1; code <= 52; code++)
            for (int o = 1; o <= 5; o++) {
                auto [start, step] = At(code, o, c);
                starts += start;
                steps += step;
                EXPECT_TRUE(start >= 0 && start <= 31 && step >= 5 && step <= 32)
                    << "code " << code << " occurrence " << o << " class " << c;
            }
        EXPECT_EQ(starts, 2503 + 11 * c) << "class " << c;
        EXPECT_EQ(steps, 5453 + 4 * c) << "class " << c;
    }
}

// Size class, then two entries (code, occurrence) that share the progression (start, step). None
// share one at size class 0, so the 260 progressions all differ there.
TEST(FlipSchedule, SharedProgressionsAreExactlyTheDocumentedOnes) {
    using Shared = std::array<int, 7>;
    const std::set<Shared> documented = {
        {1, 6, 3, 43, 1, 0, 17},  {1, 9, 1, 51, 1, 1, 9},    {1, 10, 1, 51, 2, 2, 13},
        {1, 38, 1, 42, 1, 3, 9},  {1, 11, 4, 41, 3, 14, 28}, {2, 6, 3, 28, 3, 0, 16},
        {2, 5, 1, 51, 1, 1, 9},   {2, 35, 5, 42, 1, 3, 10},  {3, 5, 1, 14, 2, 1, 10},
        {3, 23, 1, 42, 1, 3, 11}, {3, 25, 2, 50, 4, 12, 15}, {4, 2, 2, 6, 3, 0, 14},
        {4, 2, 1, 51, 1, 1, 9},   {4, 4, 1, 5, 1, 1, 11},    {4, 10, 1, 28, 4, 2, 16},
        {4, 24, 5, 42, 1, 3, 12}, {4, 2, 5, 15, 5, 4, 24},   {4, 8, 3, 45, 5, 8, 23},
        {4, 19, 5, 44, 1, 9, 30}, {4, 1, 5, 21, 5, 12, 20},  {4, 25, 2, 47, 3, 13, 15},
        {4, 12, 5, 25, 1, 17, 18}};
    std::set<Shared> shared;
    for (int c = 0; c <= 4; c++) {
        std::map<std::pair<int, int>, std::vector<std::pair<int, int>>> users;
        for (int code = 1; code <= 52; code++)
            for (int o = 1; o <= 5; o++) {
                const auto p = At(code, o, c);
                for (auto [code1, o1] : users[p])
                    shared.insert({c, code1, o1, code, o, p.first, p.second});
                users[p].push_back({code, o});
            }
    }
    EXPECT_EQ(shared, documented);
}

using KnownAnswer = CoreTest;

TEST_F(KnownAnswer, DocumentedExamples) {
    const Bytes zero(4, 0), example1 = {0x4E, 0x16, 0xB1, 0x70}, doc = RandomBytes(777, 3);
    const Codes upTo19 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19},
                upTo20 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 52};
    const struct {
        const char *name;
        Bytes doc;
        Codes codes;
        Bytes out;
    } cases[] = {
        {"example 1", zero, {1, 2, 1, 52, 3}, example1},
        {"example 1 restored", example1, {1, 2, 1, 52, 3}, zero},
        {"example 1 reordered", zero, {52, 1, 3, 1, 2}, example1},
        {"example 2", {0x41, 0x42, 0x43, 0x44}, {9, 9}, {0xE1, 0x02, 0x63, 0x56}},
        {"example 3", zero, {7, 7, 7, 7, 7}, {0x0A, 0x00, 0xA0, 0x04}},
        {"example 3, sixth 7", zero, {7, 7, 7, 7, 7, 7}, {0x0A, 0x00, 0xA0, 0x04}},
        {"codes 1 to 19", zero, upTo19, {0xA3, 0x41, 0x48, 0x21}},
        {"codes 1 to 19 and a 20th", zero, upTo20, {0xA3, 0x41, 0x48, 0x21}},
        {"no symbols", doc, {}, doc},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Scramble(c.doc, c.codes), c.out);
    }
}
