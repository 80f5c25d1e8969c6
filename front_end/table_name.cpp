#include "table_name.h"

std::string MakeTableName(const std::string& output_path) {
  const std::string::size_type last_dot = output_path.rfind('.');
  if (last_dot == std::string::npos || last_dot == 0) return output_path;
  return output_path.substr(0, last_dot);
}
