// The flip schedule and the bit-flip engine: the password's symbols select fixed progressions
// of bit positions, and every position on a selected progression is flipped. Flipping twice
// restores a bit, so the same password on the output gives back the source.
#pragma once

#include <cstdint>

// One flip progression of the schedule: the positions start, start + step, ... below 8 x POC.
// startClass and stepClass (-1, 0 or +1) say how often the size class is added to each.
struct Flip {
    int8_t start, startClass, step, stepClass;
};

// 52 symbol codes x 5 occurrence numbers; row 0 is code 1, column 0 occurrence 1.
extern const Flip FlipSchedule[52][5];

// Flips the progressions that password slots 0 to 19 select, under the current randCislo: the
// progression F would flip for each slot, all of them together.
void Kodovac();

// The routine of symbol code k (once F1 to F52): flips the progression of code k at the
// occurrence number of slot c, if that number is 1 to 5, on its own.
void F(int k, int c);

// Flips entries zac, zac + pocet, ... below 8 x POC between 48 and 49.
void Exch(int32_t zac, int32_t pocet);
