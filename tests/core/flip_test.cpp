// Tests of the flip schedule and the flip engine: the documented cross-checks of the table, the
// progressions that coincide at each size class, the engine's edges, and the documented
// known-answer vectors, run end to end through files.
#include "core_fixture.h"
#include "flip.h"

#include <map>
#include <tuple>

namespace {
using Progression = std::pair<int, int>; // start, step
// Two entries that share a progression: code, occurrence, code, occurrence, start, step.
using Shared = std::tuple<int, int, int, int, int, int>;

Progression At(int code, int occurrence, int sizeClass) {
    const Flip &f = FlipSchedule[code - 1][occurrence - 1];
    return {f.start + f.startClass * sizeClass, f.step + f.stepClass * sizeClass};
}

std::set<Shared> SharedAt(int sizeClass) {
    std::map<Progression, std::vector<std::pair<int, int>>> users;
    for (int code = 1; code <= 52; code++)
        for (int o = 1; o <= 5; o++)
            users[At(code, o, sizeClass)].push_back({code, o});
    std::set<Shared> out;
    for (const auto &[p, u] : users)
        for (size_t i = 0; i < u.size(); i++)
            for (size_t j = i + 1; j < u.size(); j++)
                out.insert({u[i].first, u[i].second, u[j].first, u[j].second, p.first, p.second});
    return out;
}

// Bit positions whose entry holds 49.
std::vector<int> SetBits(const LentBuffer &buf) {
    std::vector<int> out;
    for (size_t j = 0; j < buf.entries.size(); j++)
        if (buf.entries[j] == 49)
            out.push_back(static_cast<int>(j));
    return out;
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

TEST(FlipSchedule, SizeClassTermsLieIn23Entries) {
    int startsUp = 0, startsDown = 0, stepsUp = 0, stepsDown = 0, entries = 0;
    for (const auto &row : FlipSchedule)
        for (const Flip &f : row) {
            EXPECT_TRUE(f.startClass >= -1 && f.startClass <= 1 && f.stepClass >= -1 &&
                        f.stepClass <= 1);
            startsUp += f.startClass == 1;
            startsDown += f.startClass == -1;
            stepsUp += f.stepClass == 1;
            stepsDown += f.stepClass == -1;
            entries += f.startClass != 0 || f.stepClass != 0;
        }
    EXPECT_EQ(startsUp, 15);
    EXPECT_EQ(startsDown, 4);
    EXPECT_EQ(stepsUp, 5);
    EXPECT_EQ(stepsDown, 1);
    EXPECT_EQ(entries, 23);
}

TEST(FlipSchedule, SharedProgressionsAreExactlyTheDocumentedOnes) {
    const std::set<Shared> documented[5] = {
        {},
        {{6, 3, 43, 1, 0, 17},
         {9, 1, 51, 1, 1, 9},
         {10, 1, 51, 2, 2, 13},
         {38, 1, 42, 1, 3, 9},
         {11, 4, 41, 3, 14, 28}},
        {{6, 3, 28, 3, 0, 16}, {5, 1, 51, 1, 1, 9}, {35, 5, 42, 1, 3, 10}},
        {{5, 1, 14, 2, 1, 10}, {23, 1, 42, 1, 3, 11}, {25, 2, 50, 4, 12, 15}},
        {{2, 2, 6, 3, 0, 14},
         {2, 1, 51, 1, 1, 9},
         {4, 1, 5, 1, 1, 11},
         {10, 1, 28, 4, 2, 16},
         {24, 5, 42, 1, 3, 12},
         {2, 5, 15, 5, 4, 24},
         {8, 3, 45, 5, 8, 23},
         {19, 5, 44, 1, 9, 30},
         {1, 5, 21, 5, 12, 20},
         {25, 2, 47, 3, 13, 15},
         {12, 5, 25, 1, 17, 18}},
    };
    for (int c = 0; c <= 4; c++)
        EXPECT_EQ(SharedAt(c), documented[c]) << "size class " << c;
}

using FlipEngine = CoreTest;

TEST_F(FlipEngine, ExchFlipsItsProgressionBelowTheEndOnly) {
    const struct {
        int start, step;
        std::vector<int> flipped;
    } cases[] = {
        {0, 5, {0, 5, 10, 15, 20, 25, 30}},
        {31, 5, {31}},
        {30, 32, {30}},
        {6, 10, {6, 16, 26}},
        {32, 5, {}},
        {40, 7, {}},
        {100000, 5, {}},
    };
    for (const auto &c : cases) {
        LentBuffer buf(4); // 32 positions, the smallest document
        Exch(c.start, c.step);
        EXPECT_EQ(SetBits(buf), c.flipped) << "start " << c.start << " step " << c.step;
        Exch(c.start, c.step);
        EXPECT_TRUE(SetBits(buf).empty()) << "a second pass restores";
    }
}

TEST_F(FlipEngine, OnlySlotsWithACodeAndOccurrenceInRangeFlip) {
    const struct {
        int slot, code, occurrence;
        std::vector<int> flipped;
    } cases[] = {
        {1, 1, 1, {6, 16, 26}}, {0, 1, 1, {6, 16, 26}}, // every slot is visited, 0 included
        {19, 52, 5, {22}},      {1, 0, 1, {}},          {1, 53, 1, {}}, {1, -1, 1, {}},
        {1, 1000, 1, {}},       {1, 1, 0, {}},          {1, 1, 6, {}},  {1, 1, -1, {}},
    };
    for (const auto &c : cases) {
        ResetPasswordState();
        heslotxt[c.slot] = c.code;
        HesloS[c.slot] = {c.code, c.occurrence};
        LentBuffer buf(4);
        randCislo = 0;
        Kodovac();
        EXPECT_EQ(SetBits(buf), c.flipped)
            << "slot " << c.slot << " code " << c.code << " occurrence " << c.occurrence;
    }
}

using KnownAnswer = CoreTest;

TEST_F(KnownAnswer, DocumentedExamples) {
    const Bytes zero(4, 0), example1 = {0x4E, 0x16, 0xB1, 0x70};
    Codes upTo19;
    for (int c = 1; c <= 19; c++)
        upTo19.push_back(c);
    Codes upTo20 = upTo19;
    upTo20.push_back(52);
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
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Scramble(c.doc, c.codes), c.out);
    }
}

TEST_F(KnownAnswer, Example1ThroughTheKeypad) {
    Document("zero.bin", Bytes(4, 0));
    Target(dir / "out");
    ResetHeslo();
    for (int key : {4011, 4012, 4011, 4062, 4013}) // "B", "N", "B", ")", "C"
        EXPECT_TRUE(PressKey(key));
    ExpectCompletes();
    EXPECT_EQ(LoadFile(dir / "out.bin"), (Bytes{0x4E, 0x16, 0xB1, 0x70}));
}

// The flips do not depend on the document's bits.
TEST_F(KnownAnswer, Example2InvertsTheSameBitsOfEveryDocument) {
    const Bytes mask = {0xA0, 0x40, 0x20, 0x12};
    for (uint32_t seed : {1u, 2u, 3u}) {
        const Bytes doc = RandomBytes(4, seed), out = Scramble(doc, {9, 9});
        ASSERT_EQ(out.size(), 4u);
        for (size_t i = 0; i < 4; i++)
            EXPECT_EQ(out[i] ^ doc[i], mask[i]) << "byte " << i;
    }
}

// Code 1 at its second occurrence starts at 13 plus the size class, so each Run shows which
// class it took from the length of the document.
TEST_F(KnownAnswer, SizeClassShiftsTheSecondOccurrenceOfCode1) {
    const struct {
        uint32_t size;
        int sizeClass;
    } cases[] = {{4, 0},    {130, 0},  {131, 1},     {300, 1},    {301, 2},
                 {4300, 2}, {4301, 3}, {1800300, 3}, {1800301, 4}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.size);
        const Bytes zero(c.size, 0);
        EXPECT_TRUE(Scramble(zero, {1, 1}) == WithFlips(zero, {{6, 10}, {13 + c.sizeClass, 14}}));
        EXPECT_EQ(randCislo, c.sizeClass);
    }
}
