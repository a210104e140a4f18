#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The inspect command, for finding out why a photo fails: loads each picture
// file the way the windows do (the kind chosen by its extension, a JPEG image
// decoded) and writes one line per file, to `out` its kind, width, height and
// bits per pixel, or to `errors` the exact message the windows would show.
// With --to-bmp OUT the one file is also drawn onto a surface of its size and
// saved as the windows save. `arguments` (FILE... [--to-bmp OUT]) are UTF-8;
// `command` is how usage messages name the command. Plain C++ so that it also
// runs where the windows' libraries are not built.
// Returns 0 when every file is usable, 1 when one is not, 2 for wrong usage.
int RunPictureInspection(const std::vector<std::string>& arguments, const std::string& command, std::ostream& out,
                         std::ostream& errors);
