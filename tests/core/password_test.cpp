// The password key sequence: the keypad rules, occurrence numbers, the 20-symbol limit with ">"
// at its edge, the 5-symbol threshold for Run, the mask and the reset.
#include "core_fixture.h"
#include "ids.h"

#include <algorithm>
#include <numeric>

using PasswordTest = CoreTest;

namespace {
// How often the Run button was switched on (or off).
int RunSwitched(bool on) {
    int n = 0;
    for (const Call &c : calls)
        n += c.kind == 'e' && c.id == IDC_RUN && c.on == on;
    return n;
}

std::wstring Mask(int n) {
    return std::wstring(n, L'*') + std::wstring(20 - n, L' ');
}
} // namespace

// The documented rules rather than the table: controls 4011 to 4036 and 4051 to 4062 enter their
// ID - 4010, controls 4038 to 4050 their ID - 4011, 4009 enters 40, and ">" 43 then 44.
TEST_F(PasswordTest, KeypadFollowsTheDocumentedRules) {
    // Captions by control ID from 4011 on; 4037 is the "Reset password" button.
    const std::wstring captions = L"BNCPAQDEFGIJOSRHTUVWKXLYMZ#1234567890@\u00A3$=<>+-x/%!?()";
    std::set<int> ids;
    for (const Key &k : Keypad) {
        SCOPED_TRACE(k.id);
        ids.insert(k.id);
        const bool blank = k.id == 4009;
        EXPECT_EQ(k.caption, blank ? L"" : captions.substr(k.id - 4011, 1));
        Codes codes = {blank ? 40 : k.id - (k.id >= 4038 && k.id <= 4050 ? 4011 : 4010)};
        if (k.id == 4053)
            codes.push_back(44);
        ResetHeslo();
        ASSERT_TRUE(PressKey(k.id));
        EXPECT_EQ(Codes(heslotxt + 1, heslotxt + 1 + hesloPoc), codes);
    }
    EXPECT_EQ(ids.size(), 52u);
}

TEST_F(PasswordTest, OccurrenceNumbersCountEachCodeSinceTheReset) {
    ResetHeslo();
    // "A" enters 5, "B" 1, the key without caption 40; ">" and "+" both count towards code 44.
    for (int key : {4015, 4011, 4009, 4017, 4011, 4017, 4053, 4054, 4017}) // A B _ D B D > + D
        PressKey(key);
    const std::pair<int, int> expected[] = {{0, 0}, {5, 1},  {1, 1},  {40, 1}, {7, 1}, {1, 2},
                                            {7, 2}, {43, 1}, {44, 1}, {44, 2}, {7, 3}};
    for (int n = 0; n < 20; n++) {
        const auto [code, occurrence] = n < 11 ? expected[n] : std::pair<int, int>{0, 0};
        EXPECT_EQ(heslotxt[n], code) << "position " << n;
        EXPECT_EQ(HesloS[n].poradie, occurrence) << "position " << n;
    }
    EXPECT_EQ(std::wstring(strHeslo), Mask(10));
    // The reset empties everything, shows 20 spaces and leaves Run alone.
    calls.clear();
    ResetHeslo();
    EXPECT_EQ(hesloPoc, 0);
    for (int n = 0; n < 20; n++)
        EXPECT_TRUE(heslotxt[n] == 0 && HesloS[n].poradie == 0) << "position " << n;
    for (int k = 0; k <= 52; k++)
        EXPECT_EQ(pocitadlo[k], 0) << "code " << k;
    ASSERT_EQ(calls.size(), 1u) << "Run switched";
    EXPECT_EQ(calls[0].text, Mask(0));
    PressKey(4017);
    EXPECT_EQ(HesloS[1].poradie, 1);
    // A sixth use is counted and shown like any other.
    Enter({7, 7, 7, 7, 7, 7});
    EXPECT_EQ(HesloS[6].poradie, 6);
    EXPECT_EQ(std::wstring(strHeslo), Mask(6));
}

// ">" enters 43 and then 44, each under the 20-symbol limit by itself.
TEST_F(PasswordTest, GreaterThanAtTheEdgesOfTheLimit) {
    const struct {
        int before, after;
        Codes stored; // at the positions after the symbols entered before
        int count43, count44, runOn;
    } cases[] = {
        {2, 4, {43, 44}, 1, 1, 0}, // four symbols do not enable Run
        {3, 5, {43, 44}, 1, 1, 1}, // the fifth symbol enables Run
        {18, 20, {43}, 1, 1, 2},   // 44 is the 20th: counted and shown, stored nowhere
        {19, 20, {}, 1, 0, 1},     // 43 is the 20th; 44 is ignored
        {20, 20, {}, 0, 0, 0},     // a press at 20 changes nothing at all
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.before);
        Codes entered, codes(20, 0); // codes: what each slot should hold afterwards
        for (int n = 1; n <= c.before; n++) {
            entered.push_back(n);
            if (n < 20)
                codes[n] = n;
        }
        for (size_t i = 0; i < c.stored.size(); i++)
            codes[c.before + 1 + i] = c.stored[i];
        Enter(entered);
        calls.clear();
        EXPECT_TRUE(PressKey(4053));
        EXPECT_EQ(hesloPoc, c.after);
        EXPECT_EQ(Codes(heslotxt, heslotxt + 20), codes);
        EXPECT_EQ(pocitadlo[43], c.count43);
        EXPECT_EQ(pocitadlo[44], c.count44);
        EXPECT_EQ(std::accumulate(pocitadlo, pocitadlo + 53, 0), c.after) << "counted symbols";
        EXPECT_EQ(std::wstring(strHeslo), Mask(c.after));
        EXPECT_EQ(RunSwitched(true), c.runOn);
        EXPECT_EQ(RunSwitched(false), 0);
        EXPECT_EQ(calls.size() - size_t(c.runOn), size_t(c.after - c.before)) << "masks shown";
    }
}
