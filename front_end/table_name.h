#ifndef QUORVANE_TABLE_NAME_H
#define QUORVANE_TABLE_NAME_H

#include <string>

// The output path without its last extension: everything before the last
// '.', unless there is none or it is the first character. Directories stay.
std::string MakeTableName(const std::string& output_path);

#endif  // QUORVANE_TABLE_NAME_H
