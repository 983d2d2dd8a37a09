// A DLL planted beside the program under a system library's name; run-e2e.sh builds it
// and names it. Once loaded it leaves a mark, an empty file beside it named after it
// with ".ran" added.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    wchar_t path[MAX_PATH + 8];
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (reason == DLL_PROCESS_ATTACH && length > 0 && length < MAX_PATH) {
        lstrcatW(path, L".ran");
        CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    }
    return TRUE;
}

// oleacc.dll's two functions that a program imports to serve a screen reader, so that
// the loader binds the planted copy to such an import.
__declspec(dllexport) LRESULT WINAPI LresultFromObject(const void* riid, WPARAM wParam, void* object) {
    (void)riid, (void)wParam, (void)object;
    return 0;
}
__declspec(dllexport) HRESULT WINAPI AccessibleObjectFromWindow(HWND window, DWORD id, const void* riid, void** out) {
    (void)window, (void)id, (void)riid;
    *out = NULL;
    return E_FAIL;
}
