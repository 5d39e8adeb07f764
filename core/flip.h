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

// Flips the progressions that password slots 0 to 19 select, under the current randCislo: F
// hands each slot's progression to Exch, and once every slot is read all of them are flipped
// together.
void Kodovac();

// The routine of symbol code k (once F1 to F52): the progression of code k at the occurrence
// number of slot c, if that number is 1 to 5, goes to Exch.
void F(int k, int c);

// Entries zac, zac + pocet, ... below 8 x POC are to flip between 48 and 49, for a progression
// of the schedule (zac 0 to 31, pocet 5 to 32). Called by F within Kodovac, which flips them with
// the slots' other progressions once it has read every slot.
void Exch(int32_t zac, int32_t pocet);
