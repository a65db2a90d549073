// The doubles' files, all beside the program that loaded the DLL, so that each test's program
// folder has its own set.
#pragma once
#include <string>
#include <vector>

namespace double_common {

void set_module_dir(const std::string& dir);  // by DllMain
std::string path(const std::string& name);    // a file beside the program

// Non-empty lines, without their CR.
std::vector<std::string> read_lines(const std::string& file);
// A control file's lines, moved to a private name first and then read and removed: a line a
// test appends meanwhile goes to a new file, left for the next call.
std::vector<std::string> take_lines(const std::string& file);
void append_line(const std::string& file, const std::string& line);
// Written aside and moved into place, so a reader never sees half a file.
void replace_file(const std::string& file, const std::string& text);

}  // namespace double_common
