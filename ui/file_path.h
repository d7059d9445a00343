#pragma once
#include <string>

// The file name part of a Windows path as the open-file dialog returns it
// ("C:\fw\app.jad" gives "app.jad"): everything after the last backslash, the whole text
// when there is none.
std::string FileNameFromPath(const std::string& path);
