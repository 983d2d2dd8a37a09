#pragma once
#include <string>
#include <string_view>
#include <vector>

// Files of this folder compiled into the executable (stored window layouts).
namespace resources {

// The bytes of the embedded file with this name ("TFRMPINCODE.layout"); empty if none.
std::string_view Find(std::string_view name);
std::vector<std::string_view> Names();

// The text of the stored window layout "<name>.layout"; empty if none.
inline std::string_view Layout(std::string_view name) { return Find(std::string(name) + ".layout"); }

}  // namespace resources
