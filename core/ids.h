// Control IDs of the main dialog. The core names the controls it reaches (the Run button,
// the mask label, the keypad keys) by these numbers; the Windows resources use the same file,
// so each number is written once.
#pragma once

#define IDC_WEB 4001
#define IDC_HELP 4002
#define IDC_ABOUT 4003
#define IDC_SOURCE 4004
#define IDC_OPEN 4005
#define IDC_SAVEAS 4006
#define IDC_TARGET 4007
#define IDC_RUN 4008
#define IDC_MASK 4010
#define IDC_RESET 4037
