// The Run pipeline. Every stop leaves the dialog, the paths and the password as they were,
// so the user can put things right and run again.
#include "pipeline.h"

#include "codec.h"
#include "files.h"
#include "flip.h"
#include "password.h"
#include "screen.h"

#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

uint32_t POC;
int32_t randCislo;
int32_t *pBuf;

// Shown owned by the main dialog once a Run has completed.
static const wchar_t *const ClosingText =
    L"\t\tThis is Tarvix-Vantor \n It is important that you use the same Tarvix for encoding "
    L"and decoding the same document, otherwise you actually encode the document one more "
    L"time(see online Tutorial).Please save the original of the document on a safe place.\n "
    L"\t\tThank you for using Tarvix.\n\t\t    Program will exit";
static const wchar_t *const ClosingCaption = L" Closing......";

// Set while a Run is under way: failure messages have no owner, so the Run button can be
// pressed again while one of them is shown.
static bool running;

// Where the system offers it, the kernel is asked to back a large buffer with large pages: the
// 89.6 MB of the largest document would otherwise take some 22,000 page faults, which cost more
// than loading, flipping and packing it all. Windows gives large pages only to programs holding
// a privilege, so there the buffer stays as the runtime hands it out.
int32_t *TakeBitBuffer(uint32_t poc) {
    const size_t size = size_t{poc} * 32;
    void *block = Faulty() ? nullptr : std::malloc(size);
#ifdef MADV_HUGEPAGE
    const size_t largePage = size_t{2} << 20;
    if (block && size >= largePage) {
        // madvise takes whole pages: the pages that lie wholly inside the block.
        const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
        const uintptr_t from = (reinterpret_cast<uintptr_t>(block) + page - 1) & ~(page - 1);
        const uintptr_t to = (reinterpret_cast<uintptr_t>(block) + size) & ~(page - 1);
        madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE);
    }
#endif
    return static_cast<int32_t *>(block);
}

int32_t SizeClass(uint32_t poc) {
    static const uint32_t thresholds[] = {130, 300, 4300, 1800300};
    int32_t size = 0;
    for (uint32_t threshold : thresholds)
        if (poc > threshold)
            size++;
    return size;
}

// Count, check the size, allocate, load, flip and write; false after a message.
static bool Transform() {
    if (!Pole(&POC))
        return false;
    if (POC < MinPOC) {
        ScreenMessage(L"Small file.Please open bigger file", L"Small file", OwnerNone);
        return false;
    }
    if (POC > MaxPOC) {
        ScreenMessage(L"Big file.Please open smaller file or upgrade program", L"Big file",
                      OwnerNone);
        return false;
    }
    randCislo = SizeClass(POC);
    // Released through this Run's own pointer: a Run frees only the block it took.
    int32_t *block = TakeBitBuffer(POC);
    if (!block) {
        ScreenMessage(L"Memory is full", L"Warring", OwnerNone);
        return false;
    }
    pBuf = block;
    bool done = TextBinary();
    if (done) {
        Kodovac();
        done = BinaryText();
    }
    std::free(block);
    pBuf = nullptr;
    return done;
}

bool RunPipeline() {
    if (running)
        return false;
    running = true;
    bool done = Transform();
    if (done) {
        ScreenMessage(ClosingText, ClosingCaption, OwnerDialog);
        ScreenEndDialog(0);
    }
    running = false;
    return done;
}

void ResetProgramState() {
    ResetCodecState();
    ResetPasswordState();
    std::free(pBuf);
    pBuf = nullptr;
    POC = 0;
    randCislo = 0;
    running = false;
}
