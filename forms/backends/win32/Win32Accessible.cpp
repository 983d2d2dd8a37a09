#include "Win32Accessible.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "base/Utf8.h"
#include "forms/core/AccessibleMirror.h"

// <windows.h> comes after our headers: it turns names such as RGB into macros.
#include <windows.h>
#include <oleacc.h>

namespace forms {

struct Win32Accessibility::Shared {
    HWND Window = nullptr;  // null once the window is gone
    AccessibleMirror Tree;
};

namespace {

// oleacc.dll is no KnownDLL: imported statically, it would be looked for in the
// program's own folder first. It is loaded from the system folder alone, when the first
// screen reader asks for a window's object; a process that no screen reader serves
// never loads it.
struct Oleacc {
    decltype(&LresultFromObject) ResultFromObject = nullptr;
    decltype(&AccessibleObjectFromWindow) ObjectFromWindow = nullptr;
};

template <class F>
void Bind(HMODULE module, const char* name, F& function) {
    function = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const Oleacc& SystemOleacc() {
    static const Oleacc loaded = [] {
        Oleacc o;
        HMODULE module = LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!module) {
            // Windows 7 without update KB2533623 knows no search flags: the full path.
            wchar_t path[MAX_PATH];
            const UINT length = GetSystemDirectoryW(path, MAX_PATH);
            const wchar_t name[] = L"\\oleacc.dll";
            if (length > 0 && length + std::size(name) <= MAX_PATH) {
                std::copy(std::begin(name), std::end(name), path + length);
                module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
            }
        }
        if (module) {
            Bind(module, "LresultFromObject", o.ResultFromObject);
            Bind(module, "AccessibleObjectFromWindow", o.ObjectFromWindow);
        }
        return o;
    }();
    return loaded;
}

// Child id k is node k; CHILDID_SELF (0) is the window, node 0, as well.
const AccessibleNode* NodeOf(const AccessibleTree& tree, const VARIANT& child) {
    if (child.vt != VT_I4 || child.lVal < 0 || static_cast<size_t>(child.lVal) >= tree.Nodes.size()) return nullptr;
    return &tree.Nodes[static_cast<size_t>(child.lVal)];
}

LONG ChildIdOf(const AccessibleTree& tree, int32_t id) {
    for (size_t i = 0; i < tree.Nodes.size(); ++i)
        if (tree.Nodes[i].Id == id) return static_cast<LONG>(i);
    return -1;
}

HRESULT Text(const std::string& text, BSTR* out) {
    const std::u16string wide = base::Utf8ToUtf16(text);
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()), static_cast<UINT>(wide.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT Child(LONG id, VARIANT* out) {
    out->vt = VT_I4;
    out->lVal = id;
    return S_OK;
}

HRESULT Nothing(VARIANT* out) {
    out->vt = VT_EMPTY;
    return S_FALSE;
}

LONG RoleOf(AccessibleRole role) {
    switch (role) {
        case AccessibleRole::Frame:
            return ROLE_SYSTEM_CLIENT;  // the frame is the window object's
        case AccessibleRole::Dialog:
            return ROLE_SYSTEM_DIALOG;
        case AccessibleRole::Alert:
            return ROLE_SYSTEM_ALERT;
        case AccessibleRole::PushButton:
            return ROLE_SYSTEM_PUSHBUTTON;
        case AccessibleRole::EditableText:
            return ROLE_SYSTEM_TEXT;
        case AccessibleRole::StaticText:
            return ROLE_SYSTEM_STATICTEXT;
        case AccessibleRole::Graphic:
            return ROLE_SYSTEM_GRAPHIC;
        case AccessibleRole::ProgressBar:
            return ROLE_SYSTEM_PROGRESSBAR;
        case AccessibleRole::LevelBar:
            return ROLE_SYSTEM_PROGRESSBAR;
    }
    return ROLE_SYSTEM_CLIENT;
}

LONG StateOf(uint32_t states) {
    static constexpr struct {
        AccessibleState Ours;
        LONG Theirs;
    } kStates[] = {
        {AccessibleState::Focusable, STATE_SYSTEM_FOCUSABLE}, {AccessibleState::Focused, STATE_SYSTEM_FOCUSED},
        {AccessibleState::Default, STATE_SYSTEM_DEFAULT},     {AccessibleState::Unavailable, STATE_SYSTEM_UNAVAILABLE},
        {AccessibleState::Invisible, STATE_SYSTEM_INVISIBLE}, {AccessibleState::Pressed, STATE_SYSTEM_PRESSED},
        {AccessibleState::ReadOnly, STATE_SYSTEM_READONLY},   {AccessibleState::Protected, STATE_SYSTEM_PROTECTED}};
    LONG result = 0;
    for (const auto& s : kStates)
        if (states & s.Ours) result |= s.Theirs;
    return result;
}

class ClientObject final : public IAccessible {
public:
    explicit ClientObject(std::shared_ptr<Win32Accessibility::Shared> shared) : shared_(std::move(shared)) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, __uuidof(IUnknown)) || IsEqualIID(riid, __uuidof(IDispatch)) ||
            IsEqualIID(riid, __uuidof(IAccessible))) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: clients of this object call IAccessible directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!shared_->Window) return CO_E_OBJNOTCONNECTED;
        const Oleacc& oleacc = SystemOleacc();
        if (!oleacc.ObjectFromWindow) return E_FAIL;
        return oleacc.ObjectFromWindow(shared_->Window, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                                       reinterpret_cast<void**>(out));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override {
        if (!out) return E_POINTER;
        if (!shared_->Window) return CO_E_OBJNOTCONNECTED;
        *out = shared_->Tree.Nodes.empty() ? 0 : static_cast<long>(shared_->Tree.Nodes.size() - 1);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        const AccessibleNode* n = nullptr;
        if (HRESULT hr = Find(child, n); hr != S_OK) return hr;
        return S_FALSE;  // every child is a simple element of this object
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return Read(child, out, [](const AccessibleNode& n) { return n.Name; });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        const AccessibleNode* n = nullptr;
        if (HRESULT hr = Find(child, n); hr != S_OK) return hr;
        if (n->States & AccessibleState::Protected) return E_ACCESSDENIED;
        if (n->Value.empty() && n->HasRange) return Text(std::to_string(static_cast<long long>(n->Current)), out);
        return Text(n->Value, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return Read(child, out, [](const AccessibleNode& n) { return n.Description; });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return Read(child, out, [](const AccessibleNode& n) { return n.DefaultAction; });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override { return Empty(out); }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* out) override { return Empty(out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (topic) *topic = 0;
        return Empty(file);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        if (!out) return E_POINTER;
        const AccessibleNode* n = nullptr;
        if (HRESULT hr = Find(child, n); hr != S_OK) return hr;
        return Child(RoleOf(n->Role), out);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        if (!out) return E_POINTER;
        const AccessibleNode* n = nullptr;
        if (HRESULT hr = Find(child, n); hr != S_OK) return hr;
        LONG state = StateOf(n->States);
        if (n->Id == kWindowNode && shared_->Tree.Focus == kWindowNode) state |= STATE_SYSTEM_FOCUSED;
        return Child(state, out);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (!out) return E_POINTER;
        if (!shared_->Window) return CO_E_OBJNOTCONNECTED;
        const LONG child = ChildIdOf(shared_->Tree, shared_->Tree.Focus);
        return child < 0 ? Nothing(out) : Child(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (!out) return E_POINTER;
        return Nothing(out);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        const AccessibleNode* n = nullptr;
        if (HRESULT hr = Find(child, n); hr != S_OK) return hr;
        if (!(flags & SELFLAG_TAKEFOCUS)) return DISP_E_MEMBERNOTFOUND;
        PostMessageW(shared_->Window, kAccessibleActionMessage, static_cast<WPARAM>(n->Id), kActionFocus);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        const AccessibleNode* n = nullptr;
        if (HRESULT hr = Find(child, n); hr != S_OK) return hr;
        RECT r{n->Bounds.Left, n->Bounds.Top, n->Bounds.Right, n->Bounds.Bottom};
        if (n->Id == kWindowNode) GetClientRect(shared_->Window, &r);
        MapWindowPoints(shared_->Window, nullptr, reinterpret_cast<POINT*>(&r), 2);
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        if (!out) return E_POINTER;
        const AccessibleNode* n = nullptr;
        if (HRESULT hr = Find(start, n); hr != S_OK) return hr;
        const auto last = static_cast<LONG>(shared_->Tree.Nodes.size()) - 1;
        const LONG from = start.lVal;
        LONG to = -1;
        switch (direction) {
            case NAVDIR_FIRSTCHILD:
                to = from == CHILDID_SELF && last > 0 ? 1 : -1;
                break;
            case NAVDIR_LASTCHILD:
                to = from == CHILDID_SELF && last > 0 ? last : -1;
                break;
            case NAVDIR_NEXT:
            case NAVDIR_DOWN:
            case NAVDIR_RIGHT:
                to = from != CHILDID_SELF && from < last ? from + 1 : -1;
                break;
            case NAVDIR_PREVIOUS:
            case NAVDIR_UP:
            case NAVDIR_LEFT:
                to = from > 1 ? from - 1 : -1;
                break;
            default:
                return E_INVALIDARG;
        }
        return to < 0 ? Nothing(out) : Child(to, out);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        if (!out) return E_POINTER;
        if (!shared_->Window) return CO_E_OBJNOTCONNECTED;
        POINT p{x, y};
        ScreenToClient(shared_->Window, &p);
        RECT client;
        GetClientRect(shared_->Window, &client);
        if (!PtInRect(&client, p)) return Nothing(out);
        // The last in painting order is on top.
        const auto& nodes = shared_->Tree.Nodes;
        for (size_t i = nodes.size(); i-- > 1;) {
            const AccessibleNode& n = nodes[i];
            if (!(n.States & AccessibleState::Invisible) && n.Bounds.Contains(p.x, p.y))
                return Child(static_cast<LONG>(i), out);
        }
        return Child(CHILDID_SELF, out);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        const AccessibleNode* n = nullptr;
        if (HRESULT hr = Find(child, n); hr != S_OK) return hr;
        if (n->DefaultAction.empty()) return DISP_E_MEMBERNOTFOUND;
        if (!RunsDefaultAction(*n)) return E_FAIL;
        PostMessageW(shared_->Window, kAccessibleActionMessage, static_cast<WPARAM>(n->Id), kActionDefault);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    HRESULT Find(const VARIANT& child, const AccessibleNode*& n) const {
        if (!shared_->Window) return CO_E_OBJNOTCONNECTED;
        n = NodeOf(shared_->Tree, child);
        return n ? S_OK : E_INVALIDARG;
    }
    template <class F>
    HRESULT Read(const VARIANT& child, BSTR* out, F&& field) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        const AccessibleNode* n = nullptr;
        if (HRESULT hr = Find(child, n); hr != S_OK) return hr;
        return Text(field(*n), out);
    }
    static HRESULT Empty(BSTR* out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        return S_FALSE;
    }

    std::shared_ptr<Win32Accessibility::Shared> shared_;
    LONG refs_ = 1;
};

void Notify(const Win32Accessibility::Shared& s, DWORD event, int32_t id) {
    const LONG child = ChildIdOf(s.Tree, id);
    if (s.Window && child >= 0) NotifyWinEvent(event, s.Window, OBJID_CLIENT, child);
}

}  // namespace

Win32Accessibility::Win32Accessibility(void* hwnd) : shared_(std::make_shared<Shared>()) {
    shared_->Window = static_cast<HWND>(hwnd);
}

Win32Accessibility::~Win32Accessibility() { shared_->Window = nullptr; }

void Win32Accessibility::TreeChanged(const AccessibleTree& tree) {
    shared_->Tree = tree;
    Notify(*shared_, EVENT_OBJECT_REORDER, kWindowNode);
}

void Win32Accessibility::NodeChanged(const AccessibleNode& node, AccessibleChange what) {
    shared_->Tree.Replace(node);
    // One event for each AccessibleChange, in its order.
    static constexpr DWORD kEvents[] = {EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_STATECHANGE,
                                        EVENT_OBJECT_LOCATIONCHANGE};
    static_assert(static_cast<size_t>(AccessibleChange::Name) == 0 &&
                  static_cast<size_t>(AccessibleChange::Value) == 1 &&
                  static_cast<size_t>(AccessibleChange::State) == 2 &&
                  static_cast<size_t>(AccessibleChange::Bounds) == std::size(kEvents) - 1);
    Notify(*shared_, kEvents[static_cast<size_t>(what)], node.Id);
}

void Win32Accessibility::FocusChanged(int32_t id) {
    shared_->Tree.Focus = id;
    Notify(*shared_, EVENT_OBJECT_FOCUS, id);
}

intptr_t Win32Accessibility::Answer(uintptr_t wParam, intptr_t lParam) {
    if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT) || shared_->Tree.Nodes.empty()) return 0;
    const Oleacc& oleacc = SystemOleacc();
    if (!oleacc.ResultFromObject) return 0;  // the system's default object answers instead
    auto* object = new ClientObject(shared_);
    const LRESULT result = oleacc.ResultFromObject(__uuidof(IAccessible), wParam, object);
    object->Release();  // the result holds its own reference
    return result;
}

}  // namespace forms
