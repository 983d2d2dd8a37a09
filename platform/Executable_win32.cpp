#include "Executable.h"

#include <windows.h>

#include "Utf8.h"

namespace platform {

std::string ExecutablePath() {
    std::wstring buf(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    buf.resize(n);
    return Utf16ToUtf8({reinterpret_cast<const char16_t*>(buf.data()), buf.size()});
}

}  // namespace platform
