// Control IDs of the main dialog. The core names the controls it reaches (the Run button,
// the mask label, the keypad keys) by these numbers; the Windows resources use the same file,
// so each number is written once. The letter keys' IDs do not follow the alphabet, and the
// symbol code of each key follows its ID, not its caption.
#ifndef TV_IDS_H
#define TV_IDS_H

#define IDC_WEB 4001
#define IDC_HELPBUTTON 4002 // not IDC_HELP, which windows.h gives to a cursor
#define IDC_ABOUT 4003
#define IDC_SOURCE 4004
#define IDC_OPEN 4005
#define IDC_SAVEAS 4006
#define IDC_TARGET 4007
#define IDC_RUN 4008
#define IDC_MASK 4010
#define IDC_RESET 4037

// Keypad row 1
#define IDC_KEY_A 4015
#define IDC_KEY_B 4011
#define IDC_KEY_C 4013
#define IDC_KEY_D 4017
#define IDC_KEY_E 4018
#define IDC_KEY_F 4019
#define IDC_KEY_G 4020
#define IDC_KEY_H 4026
#define IDC_KEY_I 4021
#define IDC_KEY_J 4022
#define IDC_KEY_K 4031
#define IDC_KEY_L 4033
#define IDC_KEY_M 4035
// Keypad row 2
#define IDC_KEY_N 4012
#define IDC_KEY_O 4023
#define IDC_KEY_P 4014
#define IDC_KEY_Q 4016
#define IDC_KEY_R 4025
#define IDC_KEY_S 4024
#define IDC_KEY_T 4027
#define IDC_KEY_U 4028
#define IDC_KEY_V 4029
#define IDC_KEY_W 4030
#define IDC_KEY_X 4032
#define IDC_KEY_Y 4034
#define IDC_KEY_Z 4036
// Keypad row 3
#define IDC_KEY_1 4038
#define IDC_KEY_2 4039
#define IDC_KEY_3 4040
#define IDC_KEY_4 4041
#define IDC_KEY_5 4042
#define IDC_KEY_6 4043
#define IDC_KEY_7 4044
#define IDC_KEY_8 4045
#define IDC_KEY_9 4046
#define IDC_KEY_0 4047
#define IDC_KEY_AT 4048
#define IDC_KEY_POUND 4049
#define IDC_KEY_DOLLAR 4050
// Keypad row 4
#define IDC_KEY_BLANK 4009
#define IDC_KEY_EQUALS 4051
#define IDC_KEY_LESS 4052
#define IDC_KEY_GREATER 4053
#define IDC_KEY_PLUS 4054
#define IDC_KEY_MINUS 4055
#define IDC_KEY_TIMES 4056
#define IDC_KEY_SLASH 4057
#define IDC_KEY_PERCENT 4058
#define IDC_KEY_BANG 4059
#define IDC_KEY_QUESTION 4060
#define IDC_KEY_LPAREN 4061
#define IDC_KEY_RPAREN 4062

#endif
