// The clipboard as CF_UNICODETEXT, opened by the backend's message-only window.
#include <cstring>
#include <cwchar>

#include "Win32State.h"

namespace forms {

std::string Win32Backend::ClipboardText() {
    if (!OpenClipboard(state_->Timers)) return {};
    std::string text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = base::Utf16ToUtf8({reinterpret_cast<const char16_t*>(p), std::wcslen(p)});
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void Win32Backend::SetClipboardText(const std::string& text) {
    const std::wstring wide = base::Utf8ToWide(text);
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    if (!data) return;
    if (auto* p = static_cast<wchar_t*>(GlobalLock(data))) {
        std::memcpy(p, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(data);
    }
    if (!OpenClipboard(state_->Timers)) {
        GlobalFree(data);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, data)) GlobalFree(data);  // otherwise the system owns it
    CloseClipboard();
}

}  // namespace forms
