// Keypad captions typed as text: each character names one key of the keypad, a space names
// the key without caption. The keys are checked and counted here before any is pressed.
#pragma once

#include <string>
#include <vector>

// The control IDs of the keys that text (well-formed) names, in order. False with a one-line
// reason in error when a character names no key.
bool ParseKeys(const std::wstring &text, std::vector<int> &ids, std::wstring &error);

// How many symbols the keys enter, counted as the keypad counts them (">" enters two).
int CountSymbols(const std::vector<int> &ids);

// Presses the keys in order, on the empty password that the program starts with.
void EnterKeys(const std::vector<int> &ids);
