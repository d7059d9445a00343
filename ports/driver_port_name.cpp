#include "ports/driver_port_name.h"

#include <cstring>

namespace {

const char kDriverWording[] = "Prolific USB-to-Serial Comm Port (";

bool IsBlank(char c) { return c != '\0' && std::strchr(" \t\n\v\f\r", c) != nullptr; }

bool IsLetterOrDigit(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string PortEntryFromDriverText(const char* text) {
  const std::size_t wordingLength = sizeof kDriverWording - 1;
  if (std::strncmp(text, kDriverWording, wordingLength) != 0) return std::string();

  // The port's token: blanks after the parenthesis are passed over, and it ends at the next
  // blank, as a scanf "%s" would read it.
  const char* start = text + wordingLength;
  while (IsBlank(*start)) ++start;
  const char* end = start;
  while (*end != '\0' && !IsBlank(*end)) ++end;
  std::string token(start, end);

  const std::size_t close = token.rfind(')');
  if (close == std::string::npos) return std::string();
  token.resize(close);
  if (token.empty()) return std::string();
  for (char c : token) {
    if (!IsLetterOrDigit(c)) return std::string();
  }
  return token + ":";
}
