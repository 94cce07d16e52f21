// Opening the program's files by the names its data uses: names written for a case-insensitive
// system with backslashes, found on a case-sensitive one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The path under which `name` is found. Backslashes become '/'. A name that exists as written is
// returned as written (after that change); otherwise it is resolved component by component,
// left to right: a component that exists as written is kept, and one that does not is replaced by
// an entry of its folder whose name equals it when the letters A-Z are compared without regard to
// case (other bytes must be equal). Folder components only match folders. When several entries
// match, the one that sorts first by byte value is taken (so "DATA" before "Data" before "data"),
// and there is no retry with the others when a later component is then not found. From the first
// component that cannot be resolved on, the rest of the name is kept as written, so a name that
// does not exist comes back as a path that does not exist either. "." and ".." and empty
// components are kept. A name starting with '/' is absolute; any other is relative to the current
// directory.
std::string ResolvePath(std::string_view name);

// The one way the program opens a file: std::fopen of ResolvePath(name) with `mode` ("rb" for
// every reader). Null when name or mode is null or the file cannot be opened.
std::FILE* OpenFile(const char* name, const char* mode);

// The whole content of the file `name`, opened with OpenFile in mode "rb"; nothing when it
// cannot be opened or read, or its content does not fit in memory.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const char* name);
