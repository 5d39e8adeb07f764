// Tests of the password key sequence: the keypad table, how symbols are accepted with their
// occurrence numbers, the 20-symbol limit, the 5-symbol threshold for Run, the asterisk mask and
// the resets.
#include "core_fixture.h"

#include <tuple>

using PasswordTest = CoreTest;

namespace {
std::wstring Mask(int n) {
    return std::wstring(n, L'*') + std::wstring(20 - n, L' ');
}

// Everything the password state holds, for before-and-after comparisons.
auto State() {
    std::vector<int32_t> codes(heslotxt, heslotxt + 20), counters(pocitadlo, pocitadlo + 53);
    std::vector<std::pair<int32_t, int32_t>> slots;
    for (const HesloEntry &e : HesloS)
        slots.push_back({e.Tlacidlo, e.poradie});
    return std::make_tuple(hesloPoc, codes, slots, counters, std::wstring(strHeslo));
}

// The codes a key enters, from the documented rules rather than the table.
Codes CodesOf(int id) {
    if (id == 4009)
        return {40};
    if (id == 4053)
        return {43, 44};
    if (id >= 4038 && id <= 4050)
        return {id - 4011};
    return {id - 4010};
}

std::wstring CaptionOf(int id) {
    if (id == 4009)
        return L"";
    if (id <= 4036)
        return std::wstring(1, L"BNCPAQDEFGIJOSRHTUVWKXLYMZ"[id - 4011]);
    if (id <= 4050)
        return std::wstring(1, L"1234567890@\u00A3$"[id - 4038]);
    return std::wstring(1, L"=<>+-x/%!?()"[id - 4051]);
}
} // namespace

TEST_F(PasswordTest, KeypadTableFollowsTheDocumentedRules) {
    std::set<int> expected = {4009};
    for (int id = 4011; id <= 4062; id++)
        if (id != 4037)
            expected.insert(id);
    std::set<int> ids;
    for (const Key &k : Keypad) {
        SCOPED_TRACE(k.id);
        ids.insert(k.id);
        EXPECT_EQ(k.caption, CaptionOf(k.id));
        ResetHeslo();
        ASSERT_TRUE(PressKey(k.id));
        const Codes codes = CodesOf(k.id);
        ASSERT_EQ(hesloPoc, static_cast<int32_t>(codes.size()));
        for (size_t i = 0; i < codes.size(); i++)
            EXPECT_EQ(heslotxt[i + 1], codes[i]);
    }
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(std::size(Keypad), 52u);
    EXPECT_EQ(std::wstring(FindKey(4015)->caption), L"A");
    EXPECT_EQ(FindKey(4015)->code, 5);
    EXPECT_EQ(std::wstring(FindKey(4011)->caption), L"B");
    EXPECT_EQ(FindKey(4011)->code, 1);
    // Labels, buttons and unknown IDs are no keys and enter nothing.
    ResetHeslo();
    for (int id : {0, 4001, 4002, 4008, 4010, 4037, 4063, 5000}) {
        EXPECT_EQ(FindKey(id), nullptr) << id;
        EXPECT_FALSE(PressKey(id)) << id;
    }
    EXPECT_EQ(hesloPoc, 0);
}

TEST_F(PasswordTest, FirstSymbolGoesToPosition1AndSlot0StaysEmpty) {
    ResetHeslo();
    Heslo(7);
    EXPECT_EQ(hesloPoc, 1);
    EXPECT_EQ(heslotxt[0], 0);
    EXPECT_EQ(HesloS[0].poradie, 0);
    EXPECT_EQ(heslotxt[1], 7);
    EXPECT_EQ(HesloS[1].Tlacidlo, 7);
    EXPECT_EQ(HesloS[1].poradie, 1);
    EXPECT_EQ(Log().LastText(IDC_MASK), Mask(1));
}

TEST_F(PasswordTest, FifthSymbolEnablesRunAndNoSymbolDisablesIt) {
    ResetHeslo();
    for (int n = 1; n <= 20; n++) {
        Heslo(n);
        EXPECT_EQ(Log().Switched(IDC_RUN, true), n < 5 ? 0 : n - 4) << n << " symbols";
    }
    EXPECT_EQ(Log().Switched(IDC_RUN, false), 0);
}

TEST_F(PasswordTest, GreaterThanEntersTwoSymbolsEachUnderTheLimit) {
    // At 3: both symbols are stored and the fifth enables Run.
    Enter({1, 2, 3});
    EXPECT_EQ(Log().Switched(IDC_RUN, true), 0);
    PressKey(4053);
    EXPECT_EQ(hesloPoc, 5);
    EXPECT_EQ(heslotxt[4], 43);
    EXPECT_EQ(heslotxt[5], 44);
    EXPECT_EQ(Log().LastText(IDC_MASK), Mask(5));
    EXPECT_EQ(Log().Switched(IDC_RUN, true), 1);

    // At 18: 43 is the 19th and stored, 44 the 20th, counted but stored nowhere.
    Codes codes;
    for (int c = 1; c <= 18; c++)
        codes.push_back(c);
    Enter(codes);
    PressKey(4053);
    EXPECT_EQ(hesloPoc, 20);
    EXPECT_EQ(heslotxt[19], 43);
    EXPECT_EQ(HesloS[19].Tlacidlo, 43);
    EXPECT_EQ(HesloS[19].poradie, 1);
    EXPECT_EQ(pocitadlo[44], 1);
    EXPECT_EQ(heslotxt[0], 0);
    EXPECT_EQ(Log().LastText(IDC_MASK), Mask(20));

    // At 19: 43 is the 20th and not stored; 44 is ignored.
    codes.push_back(19);
    Enter(codes);
    PressKey(4053);
    EXPECT_EQ(hesloPoc, 20);
    EXPECT_EQ(heslotxt[19], 19);
    EXPECT_EQ(HesloS[19].poradie, 1);
    EXPECT_EQ(pocitadlo[43], 1);
    EXPECT_EQ(pocitadlo[44], 0);
    EXPECT_EQ(heslotxt[0], 0);
    EXPECT_EQ(Log().LastText(IDC_MASK), Mask(20));
}

TEST_F(PasswordTest, PressesAtTwentyChangeNothing) {
    Enter({1, 1, 2, 3, 5, 8, 13, 21, 34, 52, 44, 43, 44, 40, 1, 1, 1, 1, 1, 9});
    const auto before = State();
    Log().calls.clear();
    for (const Key &k : Keypad)
        EXPECT_TRUE(PressKey(k.id));
    Heslo(1);
    EXPECT_EQ(State(), before);
    EXPECT_TRUE(Log().calls.empty()) << "no mask shown, no Run switched";
}

TEST_F(PasswordTest, ResetEmptiesThePasswordButLeavesRunAlone) {
    Enter({7, 7, 7, 44, 44, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    Log().calls.clear();
    ResetHeslo();
    EXPECT_EQ(hesloPoc, 0);
    for (int i = 0; i < 20; i++) {
        EXPECT_EQ(heslotxt[i], 0) << i;
        EXPECT_EQ(HesloS[i].poradie, 0) << i;
    }
    for (int c = 0; c <= 52; c++)
        EXPECT_EQ(pocitadlo[c], 0) << c;
    EXPECT_EQ(Log().LastText(IDC_MASK), std::wstring(20, L' '));
    EXPECT_EQ(Log().Switched(IDC_RUN, true) + Log().Switched(IDC_RUN, false), 0);
}

TEST_F(PasswordTest, MaskIsAlways20CharactersAfterAReset) {
    for (int round : {25, 7}) {
        ResetHeslo();
        EXPECT_EQ(std::wstring(strHeslo), Mask(0));
        for (int n = 1; n <= round; n++) {
            PressKey(4017);
            EXPECT_EQ(std::wstring(strHeslo), Mask(std::min(n, 20))) << n;
            EXPECT_EQ(Log().LastText(IDC_MASK), Mask(std::min(n, 20))) << n;
        }
    }
}

TEST_F(PasswordTest, OccurrenceNumbersCountEachCodeSinceTheReset) {
    ResetHeslo();
    // "D", "B", "D", ">", "+", "D": ">" and "+" both count towards code 44.
    for (int key : {4017, 4011, 4017, 4053, 4054, 4017})
        PressKey(key);
    const std::pair<int, int> expected[] = {{0, 0},  {7, 1},  {1, 1},  {7, 2},
                                            {43, 1}, {44, 1}, {44, 2}, {7, 3}};
    for (int n = 0; n < 8; n++) {
        EXPECT_EQ(heslotxt[n], expected[n].first) << "position " << n;
        EXPECT_EQ(HesloS[n].poradie, expected[n].second) << "position " << n;
    }
    ResetHeslo();
    PressKey(4017);
    EXPECT_EQ(HesloS[1].poradie, 1);

    // A sixth and seventh use is counted and shown like any other.
    Enter({7, 7, 7, 7, 7, 7, 7});
    EXPECT_EQ(hesloPoc, 7);
    EXPECT_EQ(pocitadlo[7], 7);
    EXPECT_EQ(HesloS[6].poradie, 6);
    EXPECT_EQ(HesloS[7].poradie, 7);
    EXPECT_EQ(Log().LastText(IDC_MASK), Mask(7));
}

TEST_F(PasswordTest, KeyWithoutCaptionEntersCode40) {
    ResetHeslo();
    EXPECT_TRUE(PressKey(4009));
    EXPECT_EQ(heslotxt[1], 40);
    EXPECT_EQ(Log().LastText(IDC_MASK), Mask(1));
}

TEST_F(PasswordTest, InitialisationClearsSlotsAndCounters) {
    for (int i = 0; i < 20; i++)
        HesloS[i] = {i + 1, i + 2};
    for (int c = 0; c <= 52; c++)
        pocitadlo[c] = c + 1;
    InitHeslo();
    for (const HesloEntry &e : HesloS)
        EXPECT_TRUE(e.Tlacidlo == 0 && e.poradie == 0);
    for (int32_t counter : pocitadlo)
        EXPECT_EQ(counter, 0);
}

TEST(Password, PlaceholderIs20AsterisksBetweenSpaces) {
    std::wstring expected = L"*";
    for (int i = 1; i < 20; i++)
        expected += L" *";
    EXPECT_EQ(std::wstring(Placeholder), expected);
}
