#pragma once
#include "link/module_line.h"

// The module speaks plain AT commands: each one is sent in lower case and ends in a single
// carriage return, with no line feed and no terminating zero.
void SendCommand(ModuleLine& line, const char* command);

// Answers are zero-terminated texts in the caller's buffer; the module's words are looked
// for anywhere in them, case-sensitively.
bool AnswerHas(const char* answer, const char* text);
