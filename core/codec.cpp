// Bit buffer and document codec. Both passes read the source one byte at a time through the
// stream's buffering; the output is assembled in a spare file and moved into place only once
// every byte is written, on the disk and the file closed.
#include "codec.h"

#include "files.h"
#include "pipeline.h"
#include "screen.h"

#include <algorithm>
#include <cwchar>

wchar_t bufOpen[PathRoom];
wchar_t bufSave[PathRoom];
uint32_t pocet;

static const wchar_t *const Warring = L"Warring";

// Each pass opens one stream and closes it before it returns, so one buffer serves them all.
static char streamBuffer[StreamRoom];

static void UseStreamBuffer(FILE *f) {
    std::setvbuf(f, streamBuffer, _IOFBF, StreamRoom);
}

static bool Fail(const wchar_t *text) {
    ScreenMessage(text, Warring, OwnerNone);
    return false;
}

bool Pole(uint32_t *poc) {
    FILE *fr = OpenRead(bufOpen);
    if (!fr)
        return Fail(L"Can't open file 1");
    UseStreamBuffer(fr);
    uint32_t count = 0;
    while (count <= MaxPOC && GetByte(fr) != EOF)
        count++;
    bool readError = ReadFailed(fr);
    std::fclose(fr);
    if (readError)
        return Fail(L"Can't read the source file");
    *poc = count;
    return true;
}

bool TextBinary() {
    FILE *fr = OpenRead(bufOpen);
    if (!fr)
        return Fail(L"Can't open file-reading");
    UseStreamBuffer(fr);
    // Start at entry 0 whatever an earlier stopped Run left in the cursor.
    pocet = 0;
    const uint32_t entries = 8 * POC;
    bool grew = false;
    int c;
    while ((c = GetByte(fr)) != EOF) {
        if (pocet >= entries) {
            grew = true;
            break;
        }
        PrintBinToPoint(c);
    }
    bool readError = ReadFailed(fr);
    std::fclose(fr);
    if (readError)
        return Fail(L"Can't read the source file");
    if (grew || pocet != entries)
        return Fail(L"The source file changed while it was read. Please run again");
    return true;
}

void PrintBinToPoint(int32_t x) {
    std::copy_n(entryTable.row[x & 0xFF], 8, pBuf + pocet);
    pocet += 8;
}

bool OutputPath(wchar_t *out) {
    const wchar_t *suffix = std::wcsrchr(bufOpen, L'.');
    if (!suffix)
        suffix = L"(2)";
    size_t head = std::wcslen(bufSave), tail = std::wcslen(suffix);
    if (head + tail >= static_cast<size_t>(PathRoom))
        return false;
    std::wmemcpy(out, bufSave, head);
    std::wcscpy(out + head, suffix);
    return true;
}

// Packs the bit buffer into fw; false on a write error. The cursor and the count stay in
// locals: a write into the stream's buffer could change any global, as far as the compiler
// knows.
static bool WriteBytes(FILE *fw) {
    const int32_t *e = pBuf;
    bool written = true;
    for (uint32_t n = POC; n > 0 && written; n--, e += 8)
        written = PutByte(PackByte(e), fw) != EOF;
    return written;
}

bool BinaryText() {
    wchar_t path[PathRoom];
    if (!OutputPath(path))
        return Fail(L"The save path is too long. Please choose a shorter one");
    wchar_t spare[SpareRoom];
    FILE *fw = CanReplace(path) ? CreateSpare(path, spare, SpareRoom) : nullptr;
    if (!fw)
        return Fail(L"Can't open file-save");
    UseStreamBuffer(fw);
    bool written = WriteBytes(fw);
    written = CloseWritten(fw) && written;
    if (!written) {
        RemoveFile(spare);
        return Fail(L"Can't write file-save. Is the disk full?");
    }
    if (!MoveOnto(spare, path)) {
        RemoveFile(spare);
        return Fail(L"Can't open file-save");
    }
    return true;
}

void ResetCodecState() {
    bufOpen[0] = 0;
    bufSave[0] = 0;
    pocet = 0;
}
