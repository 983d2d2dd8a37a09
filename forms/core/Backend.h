#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Accessible.h"
#include "Input.h"
#include "forms/graphics/Bitmap.h"
#include "forms/graphics/Geometry.h"

namespace forms {

using WindowId = std::uintptr_t;  // 0 is no window
using TimerId = std::uintptr_t;   // 0 is no timer

enum class TBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

struct WindowStyle {
    TBorderStyle Border = TBorderStyle::bsSizeable;
    bool SystemMenu = true;
    bool MinimizeBox = true;
    bool MaximizeBox = true;
    bool StayOnTop = false;
};

// Windows' rule for the caption's boxes: they sit beside the system menu, on a single
// or sizeable border only.
constexpr bool CaptionHasBoxes(const WindowStyle& s) {
    return s.SystemMenu && (s.Border == TBorderStyle::bsSingle || s.Border == TBorderStyle::bsSizeable);
}
constexpr bool ShowsMinimizeBox(const WindowStyle& s) { return CaptionHasBoxes(s) && s.MinimizeBox; }
constexpr bool ShowsMaximizeBox(const WindowStyle& s) { return CaptionHasBoxes(s) && s.MaximizeBox; }

struct WindowParams {
    std::string Caption;
    int32_t Left = 0;  // outer top-left corner on the screen
    int32_t Top = 0;
    int32_t ClientWidth = 0;
    int32_t ClientHeight = 0;
    WindowStyle Style;
    WindowId Owner = 0;     // owned windows stay above their owner
    bool HasIcon = false;   // show the program's own icon
    std::string_view Icon;  // the icon as an .ico file's bytes, when the backend draws it itself
};

enum class ShowMode : uint8_t { Hide, Normal, Minimized };

// Message box style flags and answers, with Windows' values.
enum : uint32_t {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_TYPEMASK = 0xF,  // the buttons
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_ICONMASK = 0xF0  // the icon
};
enum : int32_t { IDOK = 1, IDCANCEL = 2 };

// Shell request, as ShellExecute takes it.
struct ShellRequest {
    WindowId Owner = 0;
    std::string Verb;
    std::string File;
    std::string Parameters;
    std::string Directory;
    int32_t ShowCommand = 1;
};
constexpr int32_t SW_SHOWNORMAL = 1;
constexpr int32_t SW_SHOWMAXIMIZED = 3;

// What a backend reports, all on the one user-interface thread. The application
// implements it; backends never see forms or controls.
//
// What the application guarantees, so that no backend repeats it:
// - Input (mouse, keys, characters, close requests) reaches a window only while its
//   form is enabled and visible. A backend reports input as the window system gives
//   it, also for a window it was told to disable or hide.
// - A report for a window whose form is gone, or a tick of a timer that was stopped,
//   is ignored: what was queued before DestroyWindow or StopTimer may still arrive.
// - Activated(w, true) for a disabled or hidden window changes nothing.
// - The application catches and shows what its handlers throw, and paints what a
//   report changed before the call returns.
// The keyboard focus stays the backend's: a window system that lets a disabled window
// take it has the backend hand it to an enabled one, as Windows does for a disabled
// owner.
class EventSink {
public:
    virtual ~EventSink() = default;
    virtual void Paint(WindowId w, const TRect& dirty) = 0;
    virtual void MouseDown(WindowId w, TMouseButton b, TShiftState s, int32_t x, int32_t y) = 0;
    virtual void MouseUp(WindowId w, TMouseButton b, TShiftState s, int32_t x, int32_t y) = 0;
    virtual void MouseMove(WindowId w, TShiftState s, int32_t x, int32_t y) = 0;
    virtual void KeyDown(WindowId w, uint16_t key, TShiftState s) = 0;
    virtual void KeyUp(WindowId w, uint16_t key, TShiftState s) = 0;
    virtual void Char(WindowId w, char32_t c) = 0;
    virtual void CloseRequest(WindowId w) = 0;
    virtual void Activated(WindowId w, bool active) = 0;
    virtual void Moved(WindowId w, int32_t left, int32_t top) = 0;
    virtual void Timer(TimerId t) = 0;

    // Requests from assistive technology, for node id of window w. A backend reports
    // them from its event processing, as it reports a click: a request that arrives
    // inside a call of the assistive technology is posted and reported later, since
    // a default action may run a whole modal box before it returns.
    // DoDefaultAction does what the node's DefaultAction names (a button's click);
    // TakeFocus gives the node the keyboard focus and activates its window.
    virtual void DoDefaultAction(WindowId, int32_t /*id*/) {}
    virtual void TakeFocus(WindowId, int32_t /*id*/) {}
};

// The narrow interface between the form library and a window system.
class Backend {
public:
    virtual ~Backend() = default;

    void SetSink(EventSink* sink) { sink_ = sink; }
    EventSink* Sink() const { return sink_; }

    // Windows: created hidden; sizes are client sizes, positions outer corners.
    virtual WindowId CreateWindow(const WindowParams& p) = 0;
    virtual void DestroyWindow(WindowId w) = 0;
    virtual void SetCaption(WindowId w, const std::string& caption) = 0;
    virtual void SetBounds(WindowId w, int32_t left, int32_t top, int32_t clientWidth, int32_t clientHeight) = 0;
    virtual void Show(WindowId w, ShowMode mode) = 0;
    // Told to the window system, for the focus; input to a disabled window is the
    // application's to drop (EventSink).
    virtual void Enable(WindowId w, bool enabled) = 0;
    virtual void Activate(WindowId w) = 0;
    // Outer size of a window with this style and client size (frame and caption added).
    virtual TSize OuterSize(const WindowStyle& style, int32_t clientWidth, int32_t clientHeight) = 0;
    virtual TRect ScreenRect() = 0;
    // Puts the window's composed client image on screen; dirty is the part that changed.
    virtual void Present(WindowId w, const TBitmap& image, const TRect& dirty) = 0;

    // Waits for at least one event when wait is true, then hands every pending
    // event to the sink. Returns false once the process has been told to quit.
    virtual bool ProcessEvents(bool wait) = 0;
    virtual void PostQuit() = 0;

    virtual TimerId StartTimer(uint32_t intervalMs) = 0;
    virtual void StopTimer(TimerId t) = 0;

    // Modal for its owner; returns the pressed button's code (IDOK, ...), or 0 when the
    // backend has no message box of its own and the application shows its message form.
    virtual int32_t MessageBox(WindowId owner, const std::string& text, const std::string& caption, uint32_t flags) = 0;
    // Opens a program or document; the result is the platform's, often ignored.
    virtual bool ShellExecute(const ShellRequest& r) = 0;

    // Whether the user asked the process to start with its main window minimised.
    virtual bool StartMinimized() { return false; }

    virtual std::string ClipboardText() { return clipboard_; }
    virtual void SetClipboardText(const std::string& text) { clipboard_ = text; }

    // The description for assistive technology (Accessible.h), kept current by the
    // core while the window exists. The whole tree comes when the window is created,
    // whenever a control joins or leaves it and when a container's state changes;
    // otherwise a changed node comes alone, whole, with its children as they are now
    // (AccessibleMirror.h keeps a copy so). The focus comes as the id of the node
    // that took it (kWindowNode for the window itself), after the State change of
    // the nodes it left and entered. Ids a backend does not hold are to be ignored.
    virtual void AccessibleTreeChanged(WindowId, const AccessibleTree&) {}
    virtual void AccessibleNodeChanged(WindowId, const AccessibleNode&, AccessibleChange) {}
    virtual void AccessibleFocus(WindowId, int32_t /*id*/) {}

private:
    EventSink* sink_ = nullptr;
    std::string clipboard_;
};

}  // namespace forms
