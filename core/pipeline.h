// The Run: count and check the source, fix the size class, load it into the bit buffer, flip
// the bits the password selects, write the output, and close with a message.
#pragma once

#include <cstdint>

// Sizes a Run accepts, both included.
const uint32_t MinPOC = 4;
const uint32_t MaxPOC = 2800000;

extern uint32_t POC;      // byte count of the source
extern int32_t randCislo; // size class, 0 to 4
extern int32_t *pBuf;     // bit buffer of 8 x POC entries while a Run holds it, else null

// Takes a bit buffer of 8 x poc entries, not initialised, as a Run takes it; nullptr when memory
// is short. Released with std::free.
int32_t *TakeBitBuffer(uint32_t poc);

// Size class of a byte count: how many of 130, 300, 4300 and 1800300 it exceeds.
int32_t SizeClass(uint32_t poc);

// One Run. Completed: the output is written, the closing message answered and the main dialog
// ended with 0. Stopped: its message was shown and everything stays as it was. A Run started
// while another is still showing a message is ignored. True when completed.
bool RunPipeline();

// Returns every piece of the core's process-wide state to how the program starts.
void ResetProgramState();
