// The run after the argument check: load the shader, reflect it, open the
// header, name the table, write it, and print the last message.
#ifndef QUORVANE_RUN_SEQUENCE_H
#define QUORVANE_RUN_SEQUENCE_H

// Returns the exit status. `output_path` names the table and appears in the
// messages; the header is written to `write_path`, which is `output_path`
// itself for the tool and a temporary name beside it for the build step.
int RunQuorvane(const char* input_path, const char* output_path, const char* write_path);

#endif  // QUORVANE_RUN_SEQUENCE_H
