// The bit buffer and the document codec: counting the source, loading it into the bit buffer
// one bit per entry, and packing the entries back into the bytes of the output document.
#pragma once

#include <cstdint>

// Room of a path buffer: 254 wide characters and a terminator.
const int PathRoom = 255;

extern wchar_t bufOpen[PathRoom]; // source path, chosen with Open
extern wchar_t bufSave[PathRoom]; // target path, chosen with Save as
extern uint32_t pocet;            // bit cursor: the next entry that loading fills

// The 8 entries of every byte value, most significant bit first, as the bit buffer holds them:
// loading copies a byte's row, and the flip engine reads a byte of its mask the same way.
struct EntryTable {
    int32_t row[256][8];
};

constexpr EntryTable MakeEntryTable() {
    EntryTable t{};
    for (int x = 0; x < 256; x++)
        for (int m = 0; m < 8; m++)
            t.row[x][m] = ((x >> (7 - m)) & 1) ? '1' : '0';
    return t;
}

inline constexpr EntryTable entryTable = MakeEntryTable();

// The byte that 8 entries stand for: their lowest bits take the weights 128 down to 1, each apart
// from the others, so the processor works on all of them at once.
inline int PackByte(const int32_t *e) {
    return (e[0] & 1) << 7 | (e[1] & 1) << 6 | (e[2] & 1) << 5 | (e[3] & 1) << 4 | (e[4] & 1) << 3 |
           (e[5] & 1) << 2 | (e[6] & 1) << 1 | (e[7] & 1);
}

// Counting pass: number of bytes of the source into *poc. Stops counting once the count passes
// the largest size a Run accepts, so the count never wraps. False after its message.
bool Pole(uint32_t *poc);

// Loading pass: fills the 8 x POC entries of pBuf from the source. False after its message.
bool TextBinary();

// Appends the 8 bits of byte value x at pocet, most significant first, as 48 ("0") or 49 ("1").
void PrintBinToPoint(int32_t x);

// Forms the output path, packs the 8 x POC entries into bytes and writes them there.
// False after its message; then nothing is left at the output path.
bool BinaryText();

// The output path: bufSave followed by the suffix of bufOpen (from its last '.'), or by "(2)"
// when bufOpen holds no '.'. False, with out untouched, when that does not fit PathRoom.
bool OutputPath(wchar_t *out);

// Back to program start: empty paths, cursor at 0.
void ResetCodecState();
