// Password key sequence. What the transform sees of a password is, per position, a symbol
// code and its occurrence number; key captions only label the keys.
#include "password.h"

#include "ids.h"
#include "screen.h"

#include <cwchar>

int32_t hesloPoc;
int32_t heslotxt[20];
HesloEntry HesloS[20];
int32_t pocitadlo[53];
wchar_t strHeslo[40];
wchar_t bufHeslo[50];

const wchar_t *const Placeholder = L"* * * * * * * * * * * * * * * * * * * *";

// In screen order; the codes follow the control IDs, not the captions ("A" enters 5).
const Key Keypad[52] = {
    {IDC_KEY_A, L"A", 5, 0},         {IDC_KEY_B, L"B", 1, 0},
    {IDC_KEY_C, L"C", 3, 0},         {IDC_KEY_D, L"D", 7, 0},
    {IDC_KEY_E, L"E", 8, 0},         {IDC_KEY_F, L"F", 9, 0},
    {IDC_KEY_G, L"G", 10, 0},        {IDC_KEY_H, L"H", 16, 0},
    {IDC_KEY_I, L"I", 11, 0},        {IDC_KEY_J, L"J", 12, 0},
    {IDC_KEY_K, L"K", 21, 0},        {IDC_KEY_L, L"L", 23, 0},
    {IDC_KEY_M, L"M", 25, 0},        {IDC_KEY_N, L"N", 2, 0},
    {IDC_KEY_O, L"O", 13, 0},        {IDC_KEY_P, L"P", 4, 0},
    {IDC_KEY_Q, L"Q", 6, 0},         {IDC_KEY_R, L"R", 15, 0},
    {IDC_KEY_S, L"S", 14, 0},        {IDC_KEY_T, L"T", 17, 0},
    {IDC_KEY_U, L"U", 18, 0},        {IDC_KEY_V, L"V", 19, 0},
    {IDC_KEY_W, L"W", 20, 0},        {IDC_KEY_X, L"X", 22, 0},
    {IDC_KEY_Y, L"Y", 24, 0},        {IDC_KEY_Z, L"Z", 26, 0},
    {IDC_KEY_1, L"1", 27, 0},        {IDC_KEY_2, L"2", 28, 0},
    {IDC_KEY_3, L"3", 29, 0},        {IDC_KEY_4, L"4", 30, 0},
    {IDC_KEY_5, L"5", 31, 0},        {IDC_KEY_6, L"6", 32, 0},
    {IDC_KEY_7, L"7", 33, 0},        {IDC_KEY_8, L"8", 34, 0},
    {IDC_KEY_9, L"9", 35, 0},        {IDC_KEY_0, L"0", 36, 0},
    {IDC_KEY_AT, L"@", 37, 0},       {IDC_KEY_POUND, L"\u00A3", 38, 0},
    {IDC_KEY_DOLLAR, L"$", 39, 0},   {IDC_KEY_BLANK, L"", 40, 0},
    {IDC_KEY_EQUALS, L"=", 41, 0},   {IDC_KEY_LESS, L"<", 42, 0},
    {IDC_KEY_GREATER, L">", 43, 44}, {IDC_KEY_PLUS, L"+", 44, 0},
    {IDC_KEY_MINUS, L"-", 45, 0},    {IDC_KEY_TIMES, L"x", 46, 0},
    {IDC_KEY_SLASH, L"/", 47, 0},    {IDC_KEY_PERCENT, L"%", 48, 0},
    {IDC_KEY_BANG, L"!", 49, 0},     {IDC_KEY_QUESTION, L"?", 50, 0},
    {IDC_KEY_LPAREN, L"(", 51, 0},   {IDC_KEY_RPAREN, L")", 52, 0},
};

const Key *FindKey(int id) {
    for (const Key &k : Keypad)
        if (k.id == id)
            return &k;
    return nullptr;
}

void PressKey(int id) {
    const Key *k = FindKey(id);
    if (!k)
        return;
    Heslo(k->code);
    if (k->code2)
        Heslo(k->code2);
}

void Heslo(int32_t c) {
    if (hesloPoc >= 20)
        return;
    int32_t n = ++hesloPoc;
    NapisHeslo(n);
    // The 20th symbol is shown and counted but stored nowhere.
    if (n <= 19)
        heslotxt[n] = c;
    int32_t k = Krat(c);
    if (n <= 19)
        HesloS[n] = {c, k};
    if (n > 4)
        ScreenEnable(IDC_RUN, true);
}

int32_t Krat(int32_t c) {
    return ++pocitadlo[c];
}

void NapisHeslo(int32_t poc) {
    for (int32_t i = 0; i < poc; i++)
        strHeslo[i] = L'*';
    ScreenSetText(IDC_MASK, strHeslo);
}

void PrazdneHes() {
    std::wmemset(strHeslo, L' ', 20);
    strHeslo[20] = 0;
    ScreenSetText(IDC_MASK, strHeslo);
}

void ResetHeslo() {
    PrazdneHes();
    hesloPoc = 0;
    for (int i = 0; i < 20; i++) {
        heslotxt[i] = 0;
        HesloS[i].poradie = 0;
    }
    for (int32_t &counter : pocitadlo)
        counter = 0;
}

void InitHeslo() {
    for (HesloEntry &e : HesloS)
        e = {0, 0};
    for (int32_t &counter : pocitadlo)
        counter = 0;
}

void ResetPasswordState() {
    hesloPoc = 0;
    for (int i = 0; i < 20; i++) {
        heslotxt[i] = 0;
        HesloS[i] = {0, 0};
    }
    for (int32_t &counter : pocitadlo)
        counter = 0;
    std::wmemset(strHeslo, 0, 40);
    std::wmemset(bufHeslo, 0, 50);
}
