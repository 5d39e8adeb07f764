// The password key sequence: the keypad table, the accepted symbols with their occurrence
// numbers, the 20-symbol limit, the 5-symbol threshold for Run and the asterisk mask.
#pragma once

#include <cstdint>

// One password slot: the symbol code and how often that code had been accepted up to it.
struct HesloEntry {
    int32_t Tlacidlo;
    int32_t poradie;
};

extern int32_t hesloPoc;      // symbols accepted since the last reset, 0 to 20
extern int32_t heslotxt[20];  // slot n: symbol code at position n (1 to 19); slot 0 stays 0
extern HesloEntry HesloS[20]; // slot n: code and occurrence number at position n
extern int32_t pocitadlo[53]; // use counter of each symbol code since the last reset
extern wchar_t strHeslo[40];  // mask text: one asterisk per symbol, padded with spaces
extern wchar_t bufHeslo[50];  // placeholder text, filled by the front end

// Caption of the mask label before the first reset, and after a cancelled file dialog.
extern const wchar_t *const Placeholder;

// One keypad key: its control ID, its caption and the symbol codes it enters (code2 is 0 for
// every key but ">", which enters two symbols).
struct Key {
    int id;
    const wchar_t *caption;
    int code;
    int code2;
};

extern const Key Keypad[52];

// The keypad key with this control ID, or nullptr.
const Key *FindKey(int id);

// Keypad command: Heslo for each symbol code of the key; nothing when id is no keypad key.
void PressKey(int id);

// Accepts symbol code c (1 to 52) at the next position, unless 20 are accepted already.
void Heslo(int32_t c);

// Advances the use counter of code c and returns it: the occurrence number.
int32_t Krat(int32_t c);

// Turns the first poc characters of the mask into asterisks and shows it.
void NapisHeslo(int32_t poc);

// Sets the mask to 20 spaces and shows it.
void PrazdneHes();

// Empties the password: 20 spaces shown, no symbol, every counter 0. Leaves Run alone.
void ResetHeslo();

// Password initialisation when the main dialog starts: every slot {0, 0}, every counter 0.
void InitHeslo();

// Back to program start: everything 0, the mask text empty.
void ResetPasswordState();
