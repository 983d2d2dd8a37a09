// A screen reader's view of the running tool, from a process of its own: finds the
// main window, lists its accessible children, presses "Coverti Archivio" through MSAA,
// prints the message box's text and answers it. Exits 0 only when every step worked.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    char buffer[512] = {};
    WideCharToMultiByte(CP_UTF8, 0, text ? text : L"", -1, buffer, sizeof(buffer) - 1, nullptr, nullptr);
    return buffer;
}

int Fail(const char* what) {
    std::printf("FAILED: %s\n", what);
    return 1;
}

template <class F>
bool Within(int tenths, F&& done) {
    for (int i = 0; i < tenths; ++i, Sleep(100))
        if (done()) return true;
    return done();
}

VARIANT Child(long id) {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

}  // namespace

int main() {
    CoInitialize(nullptr);
    HWND main = nullptr;
    if (!Within(600, [&] { return (main = FindWindowW(nullptr, L"Lyrimat to Vocarium")) != nullptr; }))
        return Fail("no window \"Lyrimat to Vocarium\"");
    IAccessible* acc = nullptr;
    if (FAILED(AccessibleObjectFromWindow(main, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&acc))))
        return Fail("AccessibleObjectFromWindow");
    long count = 0, button = 0;
    acc->get_accChildCount(&count);
    RECT window;
    GetWindowRect(main, &window);
    for (long i = 1; i <= count; ++i) {
        const VARIANT child = Child(i);
        BSTR name = nullptr;
        VARIANT role{}, state{};
        long x = 0, y = 0, w = 0, h = 0;
        acc->get_accName(child, &name);
        acc->get_accRole(child, &role);
        acc->get_accState(child, &state);
        acc->accLocation(&x, &y, &w, &h, child);
        wchar_t roleText[64] = {};
        GetRoleTextW(static_cast<DWORD>(role.lVal), roleText, 64);
        std::printf("child %ld: name \"%s\" role %s state 0x%lx location %ld,%ld %ldx%ld\n", i, Utf8(name).c_str(),
                    Utf8(roleText).c_str(), state.lVal, x, y, w, h);
        const bool inside = x >= window.left && y >= window.top && x + w <= window.right && y + h <= window.bottom;
        if (Utf8(name) == "Coverti Archivio" && role.lVal == ROLE_SYSTEM_PUSHBUTTON &&
            (state.lVal & STATE_SYSTEM_FOCUSABLE) && !(state.lVal & STATE_SYSTEM_UNAVAILABLE) && inside && w > 0)
            button = i;
        SysFreeString(name);
    }
    if (!button) return Fail("no focusable, available push button \"Coverti Archivio\" inside the window");
    if (acc->accDoDefaultAction(Child(button)) != S_OK) return Fail("accDoDefaultAction");
    HWND box = nullptr;
    // The system's box: a dialog of the tool's title, its text the static control 0xFFFF.
    if (!Within(600, [&] { return (box = FindWindowW(L"#32770", L"Lyrimat to Vocarium")) != nullptr; }))
        return Fail("no message box");
    wchar_t text[256] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 256);
    std::printf("message: %s\n", Utf8(text).c_str());
    // Wine's own object for the box's OK is a thin "client" that MSAA cannot press
    // there, so this one button is pressed as its window, not through MSAA.
    SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    if (!Within(300, [&] { return !IsWindow(box); })) return Fail("OK did not close the message box");
    return 0;  // the process's end releases the object
}
