// A DLL planted beside the tool under a system library's name. Loaded, it leaves a mark:
// an empty file beside it, named as it is with ".ran" added.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    wchar_t mark[MAX_PATH + 8];
    const DWORD length = GetModuleFileNameW(self, mark, MAX_PATH);
    if (reason == DLL_PROCESS_ATTACH && length > 0 && length < MAX_PATH)
        CloseHandle(CreateFileW(lstrcatW(mark, L".ran"), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    return TRUE;
}

// What a program imports from oleacc.dll, so that a copy planted as oleacc.dll binds.
__declspec(dllexport) LRESULT WINAPI LresultFromObject(const void* iid, WPARAM w, void* object) { return 0; }
__declspec(dllexport) HRESULT WINAPI AccessibleObjectFromWindow(HWND h, DWORD id, const void* iid, void** out) {
    return E_FAIL;
}
