// Reads back, through Windows' own calls, what a user's system sees of the released
// executable; run-e2e.sh runs it under wine beside the unpacked tool.
//   package_probe message CAPTION   the text of the open message box with that caption
//   package_probe manifest EXE      the application manifest embedded in EXE
//   package_probe version EXE       EXE's fixed version numbers and version strings
// Writes UTF-8 to standard output; exits 1 when there is nothing to read.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring Wide(const char* s) {
    const int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    std::wstring out(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_ACP, 0, s, -1, out.data(), n);
    return out;
}

std::string Utf8(const std::wstring& s) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// Bytes as they are: the C runtime's text mode would turn "\n" into "\r\n".
void Write(const std::string& bytes) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// A window of another process answers WM_GETTEXT through the window system.
std::wstring TextOf(HWND window) {
    wchar_t buffer[1024] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                             &copied))
        return {};
    return std::wstring(buffer, copied);
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

struct BoxSearch {
    std::wstring Caption;
    std::vector<std::wstring> Texts;
};

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0) {
        const std::wstring text = TextOf(child);
        if (!text.empty()) search->Texts.push_back(text);
    }
    return TRUE;
}

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    // "#32770" is the dialog class, the one MessageBox uses.
    if (IsWindowVisible(window) && ClassOf(window) == L"#32770" && TextOf(window) == search->Caption)
        EnumChildWindows(window, CollectStatic, param);
    return TRUE;
}

int Message(const char* caption) {
    BoxSearch search{Wide(caption), {}};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.Texts.empty()) return 1;
    std::string out;
    for (const std::wstring& text : search.Texts) out += Utf8(text) + "\n";
    Write(out);
    return 0;
}

BOOL CALLBACK CountName(HMODULE, LPCWSTR, LPWSTR, LONG_PTR param) {
    ++*reinterpret_cast<int*>(param);
    return TRUE;
}

int Manifest(const char* exe) {
    HMODULE module =
        LoadLibraryExW(Wide(exe).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return 1;
    // Windows reads the manifest with the id CREATEPROCESS_MANIFEST_RESOURCE_ID; any
    // other would only confuse whoever reads the file.
    int manifests = 0;
    EnumResourceNamesW(module, MAKEINTRESOURCEW(24), CountName, reinterpret_cast<LONG_PTR>(&manifests));
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    if (manifests != 1 || !found) return 1;
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    Write(std::string(bytes, SizeofResource(module, found)));
    return 0;
}

std::string Quad(DWORD high, DWORD low) {
    char text[64];
    std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", static_cast<unsigned long>(HIWORD(high)),
                  static_cast<unsigned long>(LOWORD(high)), static_cast<unsigned long>(HIWORD(low)),
                  static_cast<unsigned long>(LOWORD(low)));
    return text;
}

int Version(const char* exe) {
    const std::wstring path = Wide(exe);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<char> info(size);
    if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, info.data())) return 1;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) return 1;
    std::string out = "FILEVERSION " + Quad(fixed->dwFileVersionMS, fixed->dwFileVersionLS) + "\n" + "PRODUCTVERSION " +
                      Quad(fixed->dwProductVersionMS, fixed->dwProductVersionLS) + "\n";
    WORD* translation = nullptr;
    if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < 4)
        return 1;
    wchar_t block[64];
    std::swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    for (const wchar_t* name : {L"FileDescription", L"FileVersion", L"OriginalFilename", L"ProductVersion"}) {
        wchar_t* value = nullptr;
        if (VerQueryValueW(info.data(), (std::wstring(block) + name).c_str(), reinterpret_cast<void**>(&value),
                           &length))
            out += Utf8(name) + "=" + Utf8(value) + "\n";
    }
    Write(out);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string what = argv[1];
    if (what == "message") return Message(argv[2]);
    if (what == "manifest") return Manifest(argv[2]);
    if (what == "version") return Version(argv[2]);
    return 2;
}
