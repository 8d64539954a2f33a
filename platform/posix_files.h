#pragma once

// The few reads of the file system that the port hints need, made with the
// system's own calls: the C++ file streams and std::filesystem would bring
// the whole locale machinery into the programs, and every run would pay for
// loading and relocating it (see "Performance" in HACKING.md).
//
//   below(root, relative)   `relative` inside the folder `root` ("/" in the
//                programs, a folder of stand-ins in the tests)
//   fileText(path)   a small file's whole text (a sysfs attribute, the group
//                file); empty if it cannot be read
//   linkTarget(path) where a symbolic link points; empty if it is none
//   namesIn(folder)  the names in a folder, without "." and ".."; none if it
//                cannot be read

#include <string>
#include <string_view>
#include <vector>

namespace label::platform {

std::string below(std::string_view root, std::string_view relative);

std::string fileText(const std::string& path);

std::string linkTarget(const std::string& path);

std::vector<std::string> namesIn(const std::string& folder);

}  // namespace label::platform
