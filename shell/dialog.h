// The main dialog's logic: its commands, the Open and Save-as flows and the switching of the
// keypad, through which the screen moves between its four states (Start, Source chosen, Target
// chosen, Password ready). It reaches the screen only through the core's Screen and the
// shell's Platform, so it runs the same on Windows and against a fake in tests.
#pragma once

// The dialog starts: the password initialisation. Every control starts as its template says.
void InitDialog();

// The command of the control with this ID. Every ID is accepted; one without a command (the
// labels, Esc's IDCANCEL) does nothing.
void Command(int id);

// A close request: the dialog ends with 0.
void CloseDialog();

// The Open flow: a chosen file becomes the source; a cancel returns the screen to Start.
void OpenFlow();

// The Save-as flow: a chosen path becomes the target and the keypad opens on an empty
// password; a cancel returns the screen to Source chosen.
void SaveFlow();

// Disable (Skry) or enable (Ukaz) the 52 keypad keys and the Reset password button.
void Skry();
void Ukaz();
