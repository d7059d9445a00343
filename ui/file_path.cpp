#include "ui/file_path.h"

std::string FileNameFromPath(const std::string& path) {
  const std::string::size_type slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
