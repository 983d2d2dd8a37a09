#pragma once
#include <string>

#ifndef _WIN32
namespace platform {

// The no-replace move for file systems that refuse renameat2's RENAME_NOREPLACE: a
// rename onto a name checked to be free. Visible so that tests can run it on any file
// system.
bool MoveWithoutRenameFlag(const std::string& from, const std::string& to);

}  // namespace platform
#endif
