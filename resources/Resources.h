#pragma once
#include <string>
#include <string_view>
#include <vector>

// Files of this folder compiled into the executable (stored window layouts).
namespace resources {

// The bytes of the embedded file with this name ("TFRMPINCODE.layout"); empty if none.
std::string_view Find(std::string_view name);
std::vector<std::string_view> Names();

}  // namespace resources
