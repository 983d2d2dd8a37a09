#pragma once
// A window's description for assistive technology, served to MSAA clients as the
// window's client object (OBJID_CLIENT). Every node of the tree is a simple child of
// that object: MSAA child id k is the tree's node k, so the ids a client holds stay
// valid only until the next whole tree, as with any MSAA server that reorders.
//
// The object runs on the user-interface thread (COM calls arrive there through the
// message loop) and acts by posting kAccessibleActionMessage to the window: a default
// action runs later, as a click does, so that a client never waits for its pass or
// its modal box. Clients may keep the object after the window is gone; it then answers
// every call with CO_E_OBJNOTCONNECTED.
#include <cstdint>
#include <memory>

#include "forms/core/Accessible.h"

namespace forms {

// Posted to the window: wParam is the node's id, lParam one of the two actions.
constexpr unsigned kAccessibleActionMessage = 0x8000 + 0x41;  // WM_APP + 0x41
constexpr intptr_t kActionDefault = 0;
constexpr intptr_t kActionFocus = 1;

class Win32Accessibility {
public:
    explicit Win32Accessibility(void* hwnd);
    ~Win32Accessibility();
    Win32Accessibility(const Win32Accessibility&) = delete;
    Win32Accessibility& operator=(const Win32Accessibility&) = delete;

    void TreeChanged(const AccessibleTree& tree);
    void NodeChanged(const AccessibleNode& node, AccessibleChange what);
    void FocusChanged(int32_t id);

    // The answer to WM_GETOBJECT; 0 for anything but the client object.
    intptr_t Answer(uintptr_t wParam, intptr_t lParam);

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
};

}  // namespace forms
