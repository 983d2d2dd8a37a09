#pragma once
#include <string>

#ifndef _WIN32
namespace platform {

// The no-replace move for file systems that refuse renameat2's RENAME_NOREPLACE: a hard
// link under the new name, then the old name removed. Where nothing can be linked
// (folders; file systems without hard links), an exclusively created placeholder of the
// same kind reserves the new name and a plain rename takes its place. Visible so that
// tests can run it on any file system.
bool MoveWithoutRenameFlag(const std::string& from, const std::string& to);

}  // namespace platform
#endif
