// The flip engine and its schedule. The schedule is data: one table of 260 progressions, each
// with the size-class terms of its start and step, read by one routine for every symbol code.
// Kodovac applies all the progressions a password selects together, block by block, so that the
// bit buffer crosses the memory bus once rather than once per progression.
#include "flip.h"

#include "codec.h"
#include "password.h"
#include "pipeline.h"

#include <algorithm>

// clang-format off
const Flip FlipSchedule[52][5] = {
    {{ 6,  0, 10,  0}, {13, +1, 14,  0}, {18,  0, 26,  0}, {21,  0, 31,  0}, { 8, +1, 20,  0}}, // 1
    {{ 5, -1,  9,  0}, { 0,  0, 14,  0}, {18,  0, 21,  0}, {26,  0, 28,  0}, { 0, +1, 24,  0}}, // 2
    {{ 1,  0, 18,  0}, { 3, +1, 27, +1}, { 2,  0,  8,  0}, {20,  0, 25,  0}, {23,  0, 30,  0}}, // 3
    {{ 1,  0, 11,  0}, { 9,  0, 23,  0}, { 3,  0, 29,  0}, {13,  0, 30,  0}, { 0,  0, 30,  0}}, // 4
    {{ 1,  0,  7, +1}, { 5,  0, 28,  0}, {11,  0, 12,  0}, {12,  0, 17,  0}, { 0,  0, 22,  0}}, // 5
    {{ 6,  0, 14,  0}, { 6,  0, 17,  0}, { 0,  0, 18, -1}, {14,  0, 22,  0}, {25,  0, 26,  0}}, // 6
    {{ 4,  0, 25,  0}, { 6,  0, 15,  0}, {21,  0, 23,  0}, {16,  0, 19,  0}, {18,  0, 27,  0}}, // 7
    {{ 1, +1, 15,  0}, {11,  0, 27,  0}, { 4, +1, 19, +1}, {16,  0, 32,  0}, {30,  0, 31,  0}}, // 8
    {{ 0, +1,  9,  0}, { 2,  0, 28,  0}, {16,  0, 29,  0}, {26,  0, 32,  0}, {22,  0, 23,  0}}, // 9
    {{ 2,  0, 12, +1}, { 6,  0,  8,  0}, {12,  0, 29,  0}, {14,  0, 23,  0}, {14,  0, 21,  0}}, // 10
    {{10,  0, 16,  0}, {14,  0, 15,  0}, {10,  0, 26,  0}, {15, -1, 28,  0}, {23,  0, 29,  0}}, // 11
    {{ 8,  0, 11,  0}, { 3,  0, 30,  0}, { 8,  0, 24,  0}, {15,  0, 16,  0}, {17,  0, 18,  0}}, // 12
    {{ 6,  0, 12,  0}, { 3,  0, 13,  0}, {12,  0, 25,  0}, {19,  0, 20,  0}, {15,  0, 27,  0}}, // 13
    {{ 9,  0, 13,  0}, { 1,  0, 10,  0}, {13,  0, 24,  0}, {12,  0, 31,  0}, {22,  0, 32,  0}}, // 14
    {{ 2,  0, 26,  0}, { 6,  0, 13,  0}, { 7, +1, 21,  0}, {23,  0, 28,  0}, { 4,  0, 24,  0}}, // 15
    {{ 5,  0, 11,  0}, { 8,  0, 29,  0}, { 5,  0, 23,  0}, { 0,  0, 20,  0}, {13,  0, 19,  0}}, // 16
    {{ 9,  0, 18,  0}, {10,  0, 11,  0}, {23,  0, 26,  0}, { 7,  0, 27,  0}, {13,  0, 32,  0}}, // 17
    {{ 4,  0,  6,  0}, { 5,  0, 32,  0}, { 4,  0, 12,  0}, {24,  0, 25,  0}, {18,  0, 30,  0}}, // 18
    {{ 2,  0,  5,  0}, { 9,  0, 10,  0}, {25,  0, 30,  0}, {20,  0, 27,  0}, { 9,  0, 30,  0}}, // 19
    {{ 8,  0, 12,  0}, { 5,  0,  6,  0}, {16,  0, 31,  0}, {20,  0, 24,  0}, {10,  0, 28,  0}}, // 20
    {{ 4,  0,  5,  0}, { 8,  0, 31,  0}, {16,  0, 24,  0}, { 4,  0, 30,  0}, {12,  0, 20,  0}}, // 21
    {{ 7, +1, 17,  0}, {11,  0, 24,  0}, {10,  0, 12,  0}, {13,  0, 26,  0}, {18,  0, 22,  0}}, // 22
    {{ 3,  0, 11,  0}, { 4,  0, 21,  0}, { 2,  0, 25,  0}, {13,  0, 16,  0}, {12,  0, 13,  0}}, // 23
    {{ 6,  0,  7,  0}, {21, -1, 28,  0}, { 0,  0, 28,  0}, {10,  0, 32,  0}, { 3,  0, 12,  0}}, // 24
    {{13, +1, 18,  0}, { 9, +1, 15,  0}, { 5,  0, 27,  0}, { 4,  0, 14,  0}, { 9,  0, 25,  0}}, // 25
    {{ 6,  0, 22,  0}, { 2,  0, 10,  0}, {23,  0, 24,  0}, { 2,  0, 31,  0}, { 0,  0, 32,  0}}, // 26
    {{ 5,  0,  8,  0}, { 9,  0, 28,  0}, {17,  0, 23,  0}, { 1,  0, 19,  0}, {19,  0, 25,  0}}, // 27
    {{ 1,  0, 13,  0}, {15,  0, 25,  0}, { 0,  0, 16,  0}, { 6, -1, 16,  0}, { 4,  0, 11,  0}}, // 28
    {{20,  0, 23,  0}, { 6,  0, 11,  0}, { 9,  0, 22,  0}, { 3,  0, 20,  0}, {23,  0, 27,  0}}, // 29
    {{ 3,  0,  7,  0}, {16,  0, 26,  0}, { 8,  0, 16,  0}, { 7,  0, 32,  0}, {29,  0, 30,  0}}, // 30
    {{ 0,  0, 12,  0}, { 5,  0,  7,  0}, {28,  0, 30,  0}, { 5,  0, 26,  0}, { 0,  0,  7,  0}}, // 31
    {{ 1,  0,  6,  0}, {20,  0, 29,  0}, { 2,  0, 32,  0}, { 8,  0, 26,  0}, { 5,  0, 12,  0}}, // 32
    {{ 8,  0, 14,  0}, { 7,  0, 12,  0}, {11,  0, 18,  0}, {13,  0, 25,  0}, {25,  0, 29,  0}}, // 33
    {{ 7,  0, 10,  0}, { 6,  0, 20,  0}, { 6,  0, 18,  0}, {19,  0, 32,  0}, { 6,  0, 28,  0}}, // 34
    {{ 3,  0, 14,  0}, { 7, +1, 19,  0}, {11,  0, 22,  0}, { 2,  0, 17,  0}, { 3,  0, 10,  0}}, // 35
    {{ 2,  0, 18,  0}, { 6,  0, 26,  0}, { 0,  0, 23,  0}, { 0,  0, 27,  0}, {12,  0, 14,  0}}, // 36
    {{ 0,  0, 21,  0}, { 4,  0, 10,  0}, {16,  0, 21,  0}, { 4,  0, 27,  0}, {24,  0, 31,  0}}, // 37
    {{ 2, +1,  9,  0}, {21,  0, 26,  0}, { 2,  0,  6,  0}, { 2,  0, 23,  0}, { 1,  0, 21,  0}}, // 38
    {{ 3,  0, 18,  0}, { 4,  0, 26,  0}, { 7,  0, 13,  0}, { 2,  0, 22,  0}, { 8,  0, 27,  0}}, // 39
    {{16, +1, 28,  0}, { 8,  0,  9,  0}, {26,  0, 27,  0}, { 4,  0, 23,  0}, {29,  0, 31,  0}}, // 40
    {{ 0,  0,  5,  0}, {31,  0, 32,  0}, {14,  0, 28,  0}, {19,  0, 23,  0}, {17,  0, 30,  0}}, // 41
    {{ 3,  0,  8, +1}, {20,  0, 31,  0}, {18,  0, 20,  0}, { 0,  0, 26,  0}, {18,  0, 19,  0}}, // 42
    {{ 0,  0, 17,  0}, { 1,  0, 25,  0}, { 1,  0, 30,  0}, { 1,  0, 23,  0}, {23,  0, 25,  0}}, // 43
    {{ 5, +1, 30,  0}, { 3,  0,  6,  0}, {30,  0, 32,  0}, {28,  0, 29,  0}, { 1,  0, 27,  0}}, // 44
    {{ 3,  0,  5,  0}, { 9,  0, 29,  0}, { 0,  0, 31,  0}, { 5,  0, 25,  0}, { 8,  0, 23,  0}}, // 45
    {{ 7,  0,  9,  0}, {25,  0, 27,  0}, { 8,  0, 32,  0}, {20,  0, 21,  0}, { 7,  0, 24,  0}}, // 46
    {{13,  0, 17,  0}, { 4,  0, 22,  0}, {13,  0, 15,  0}, {19,  0, 27,  0}, { 1,  0, 31,  0}}, // 47
    {{ 0,  0,  8,  0}, { 2,  0, 30,  0}, {11,  0, 14,  0}, { 0,  0, 25,  0}, { 3,  0, 31,  0}}, // 48
    {{ 9,  0, 12,  0}, {16,  0, 17,  0}, {21,  0, 22,  0}, { 9,  0, 27,  0}, {27,  0, 28,  0}}, // 49
    {{ 0,  0, 10,  0}, {15,  0, 17,  0}, { 1,  0, 26,  0}, {12,  0, 15,  0}, { 2,  0, 27,  0}}, // 50
    {{ 1,  0,  9,  0}, { 2,  0, 13,  0}, {12,  0, 26,  0}, {19,  0, 21,  0}, { 1,  0, 32,  0}}, // 51
    {{ 4,  0,  7,  0}, { 0,  0, 11,  0}, {11,  0, 29,  0}, { 6,  0, 32,  0}, {22,  0, 24,  0}}, // 52
};
// clang-format on

// Kodovac works on a mask of bit positions laid out as the document's bytes: byte k of mask
// word w (bits 8 k to 8 k + 7) stands for the document's byte 8 w + k, most significant bit
// first, so a byte of mask reads like a byte of the document. What a progression flips in word w
// repeats every step words, since 64 x step is a multiple of step, so one period of its pattern
// serves the whole buffer. For each block of positions the patterns of all selected progressions
// are XORed into the block's mask, and the mask then flips the block's entries in one pass. A
// word of mask stands for 64 positions, so building it costs far less than flipping entries one
// progression at a time.

// Largest step in the schedule at any size class.
const uint32_t MaxStep = 32;

// Mask words per block: 16,384 positions, a mask of 2 KB that stays in the fastest cache.
const uint32_t BlockWords = 256;

// A selected progression as mask words: its period, repeated to run a whole block long from any
// place in the period, so that a block takes it in one sweep.
struct Pattern {
    uint32_t step;
    uint32_t phase;  // where the next block starts in word, below step
    uint64_t before; // positions of word 0 before the start: in the pattern, yet not flipped
    uint64_t word[BlockWords + MaxStep];
};

// The bit of position j within its mask word: bit 8 k + 7 - m for position 8 k + m.
static uint64_t Bit(uint32_t j) {
    return uint64_t{1} << ((j % 64) ^ 7);
}

static void MakePattern(Pattern *p, uint32_t start, uint32_t step) {
    p->step = step;
    p->phase = 0;
    p->before = 0;
    for (uint32_t j = start % step; j < start; j += step)
        p->before |= Bit(j);
    for (uint32_t w = 0; w < step; w++)
        p->word[w] = 0;
    for (uint32_t j = start % step; j < 64 * step; j += step)
        p->word[j / 64] |= Bit(j);
    for (uint32_t w = step; w < BlockWords + MaxStep; w++)
        p->word[w] = p->word[w - step];
}

// XORs the pattern's next block into the mask; in the first block, without the positions
// before its start. Always a whole block, even at the end of the buffer, where the words past
// the end go unused: with a fixed count the compiler takes several words at a time.
static void AddPattern(Pattern *p, uint64_t (&mask)[BlockWords], bool first) {
    const uint64_t *from = p->word + p->phase;
    for (uint32_t w = 0; w < BlockWords; w++)
        mask[w] ^= from[w];
    if (first)
        mask[0] ^= p->before;
    p->phase = (p->phase + BlockWords) % p->step;
}

// Flips the entries of the block that starts at mask word first, one byte of mask at a time.
// Entries hold only 48 and 49, so flipping the lowest bit exchanges them.
static void FlipByMask(uint32_t first, const uint64_t (&mask)[BlockWords]) {
    const uint32_t bytes = std::min(8 * BlockWords, POC - 8 * first);
    int32_t *entry = pBuf + 64 * size_t{first};
    for (uint32_t b = 0; b < bytes; b++, entry += 8) {
        const int32_t *flip = entryTable.row[(mask[b / 8] >> (b % 8 * 8)) & 0xFF];
        for (int m = 0; m < 8; m++)
            entry[m] ^= flip[m] & 1;
    }
}

// The progressions of this Run's password, gathered by Exch while Kodovac reads the slots.
static Pattern patterns[20];
static int selected;

// Flips every gathered progression, block by block through the mask.
static void FlipSelected() {
    const uint32_t words = (POC + 7) / 8;
    uint64_t mask[BlockWords];
    for (uint32_t first = 0; first < words; first += BlockWords) {
        for (uint64_t &w : mask)
            w = 0;
        for (int p = 0; p < selected; p++)
            AddPattern(&patterns[p], mask, first == 0);
        FlipByMask(first, mask);
    }
}

void Kodovac() {
    selected = 0;
    for (int i = 0; i < 20; i++) {
        int k = heslotxt[i];
        if (k >= 1 && k <= 52)
            F(k, i);
    }
    FlipSelected();
}

void F(int k, int c) {
    int o = HesloS[c].poradie;
    if (o < 1 || o > 5)
        return;
    const Flip &f = FlipSchedule[k - 1][o - 1];
    Exch(f.start + f.startClass * randCislo, f.step + f.stepClass * randCislo);
}

// Every progression of the schedule starts below 32 and steps 5 to 32, so a pattern holds it:
// its positions before the start all lie in the first word of mask.
void Exch(int32_t zac, int32_t pocet) {
    MakePattern(&patterns[selected++], static_cast<uint32_t>(zac), static_cast<uint32_t>(pocet));
}
