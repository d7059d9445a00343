#include "ports/port_entry.h"

#include <gtest/gtest.h>

TEST(PortNameFromEntry, TakesTheTextBeforeTheFirstColon) {
  const struct {
    const char* entry;
    const char* name;
  } cases[] = {
      {"COM3:", "COM3"}, {"COM10:", "COM10"}, {"NO", "NO"},
      {"", ""},          {":", ""},           {"COM4:x:y", "COM4"},
  };
  for (const auto& c : cases) EXPECT_EQ(PortNameFromEntry(c.entry), c.name) << c.entry;
}
