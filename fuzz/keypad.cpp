// fuzz_keypad: any sequence of the main dialog's control IDs, Reset password and Run among them,
// keeps every invariant of the password state. After each command the state is checked against
// the symbols accepted so far, worked out from the documented keypad rules: the count 0 to 20,
// slot 0 empty, each stored slot's code and occurrence number, every use counter, the mask of
// 20 characters with one asterisk per symbol, and Run enabled exactly from the 5th symbol.
#include "ids.h"
#include "password.h"
#include "pipeline.h"
#include "screen.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <string>
#include <vector>

static std::wstring shownMask;
static bool runOn;

// The core switches only the Run button and sets only the mask label.
static const Screen Watch = {
    [](int, const wchar_t *text) { shownMask = text; },
    [](int id, bool on) { runOn = id == IDC_RUN ? on : runOn; },
    [](const wchar_t *, const wchar_t *, MessageOwner) {},
    [](int) {},
};

static void Check(const std::vector<int> &accepted) {
    const int n = static_cast<int>(accepted.size());
    assert(hesloPoc == n && heslotxt[0] == 0 && HesloS[0].poradie == 0);
    for (int p = 1; p < 20; p++) {
        const int code = p <= n ? accepted[p - 1] : 0;
        const int uses = p <= n ? int(std::count(accepted.begin(), accepted.begin() + p, code)) : 0;
        assert(heslotxt[p] == code && HesloS[p].poradie == uses &&
               (p > n || HesloS[p].Tlacidlo == code));
    }
    for (int c = 0; c <= 52; c++)
        assert(pocitadlo[c] == std::count(accepted.begin(), accepted.end(), c));
    const std::wstring mask = std::wstring(n, L'*') + std::wstring(20 - n, L' ');
    assert(strHeslo == mask && shownMask == mask && runOn == (n >= 5));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    ResetProgramState();
    SetScreen(&Watch);
    std::vector<int> accepted;
    // As after Save as, the commands start with the password emptied and Run disabled.
    for (size_t i = 0; i <= size; i++) {
        const int id = i == 0 ? IDC_RESET : IDC_WEB + data[i - 1] % 62;
        // The documented rules: the keys are 4009, 4011 to 4036 and 4038 to 4062; 4011 to 4036
        // and 4051 to 4062 enter their ID - 4010, 4038 to 4050 their ID - 4011, 4009 enters 40,
        // and ">" (4053) 43 and then 44.
        const bool key = id == 4009 || (id >= 4011 && id != IDC_RESET);
        std::vector<int> codes = {id == 4009 ? 40 : id - (id >= 4038 && id <= 4050 ? 4011 : 4010)};
        if (id == 4053)
            codes.push_back(44);
        if (id == IDC_RESET) {
            ResetHeslo();
            ScreenEnable(IDC_RUN, false);
            accepted.clear();
        } else if (id == IDC_RUN) {
            assert(!RunPipeline()); // no source chosen: the Run stops and changes nothing
        } else {
            assert(PressKey(id) == key);
            for (int c : codes)
                if (key && accepted.size() < 20)
                    accepted.push_back(c);
        }
        Check(accepted);
    }
    return 0;
}
