#include "link/at_dialogue.h"

#include <cstdio>
#include <cstring>

void SendCommand(ModuleLine& line, const char* command) {
  char text[32] = {};
  std::snprintf(text, sizeof text, "%s\r", command);
  line.Send(text);
}

bool AnswerHas(const char* answer, const char* text) {
  return std::strstr(answer, text) != nullptr;
}
