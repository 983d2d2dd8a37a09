#pragma once
// The headless backend: no display, for tests.
// - windows are records with a readable image of what was last presented;
// - a manual clock: timers fire only when the test calls Advance;
// - input is injected by the test and handed out by ProcessEvents;
// - message boxes are answered by the test (OnMessageBox), and every one is recorded;
// - shell requests are recorded and answered with ShellResult;
// - each window keeps the description for assistive technology as the core last
//   sent it, changes applied, and every notification is recorded; the test asks for
//   default actions and the focus through the sink, as a screen reader would;
// - a modal loop that waits for input the test never gives calls OnIdle, and
//   fails loudly instead of hanging when nothing comes.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "forms/core/AccessibleMirror.h"
#include "forms/core/Backend.h"

namespace forms {

class HeadlessBackend : public Backend {
public:
    struct Window {
        WindowParams Params;
        bool Visible = false;
        bool Minimized = false;
        bool Enabled = true;
        std::unique_ptr<TBitmap> Image;
        int Presents = 0;
        AccessibleMirror Accessible;
    };
    struct AccessibleEvent {
        enum class Kind : uint8_t { Tree, Node, Focus };
        WindowId Window;
        Kind What;
        int32_t Id;               // the changed node or the focus; kWindowNode for a tree
        AccessibleChange Change;  // for Kind::Node
    };
    struct MessageBoxCall {
        WindowId Owner;
        std::string Text;
        std::string Caption;
        uint32_t Flags;
    };

    HeadlessBackend();
    ~HeadlessBackend() override;

    WindowId CreateWindow(const WindowParams& p) override;
    void DestroyWindow(WindowId w) override;
    void SetCaption(WindowId w, const std::string& caption) override;
    void SetBounds(WindowId w, int32_t left, int32_t top, int32_t clientWidth, int32_t clientHeight) override;
    void Show(WindowId w, ShowMode mode) override;
    void Enable(WindowId w, bool enabled) override;
    void Activate(WindowId w) override;
    TSize OuterSize(const WindowStyle& style, int32_t clientWidth, int32_t clientHeight) override;
    TRect ScreenRect() override { return screen_; }
    void Present(WindowId w, const TBitmap& image, const TRect& dirty) override;
    bool ProcessEvents(bool wait) override;
    void PostQuit() override { quit_ = true; }
    TimerId StartTimer(uint32_t intervalMs) override;
    void StopTimer(TimerId t) override;
    int32_t MessageBox(WindowId owner, const std::string& text, const std::string& caption, uint32_t flags) override;
    bool ShellExecute(const ShellRequest& r) override;
    bool StartMinimized() override { return startMinimized_; }
    void AccessibleTreeChanged(WindowId w, const AccessibleTree& tree) override;
    void AccessibleNodeChanged(WindowId w, const AccessibleNode& node, AccessibleChange what) override;
    void AccessibleFocus(WindowId w, int32_t id) override;

    // ---- for tests ----
    const Window* Find(WindowId w) const;
    WindowId ActiveWindow() const { return active_; }
    std::vector<WindowId> Windows() const;
    void SetScreen(const TRect& r) { screen_ = r; }
    void SetStartMinimized(bool v) { startMinimized_ = v; }

    // Manual clock: moves time on by ms, one millisecond at a time, firing every
    // timer that falls due (in the order they were started) through the sink.
    void Advance(uint32_t ms);
    uint64_t Now() const { return now_; }
    size_t TimerCount() const { return timers_.size(); }

    // Queued input, delivered by the next ProcessEvents.
    void Click(WindowId w, int32_t x, int32_t y);
    void MouseDown(WindowId w, int32_t x, int32_t y, TMouseButton b = TMouseButton::mbLeft);
    void MouseUp(WindowId w, int32_t x, int32_t y, TMouseButton b = TMouseButton::mbLeft);
    void MouseMove(WindowId w, int32_t x, int32_t y);
    // Keys and characters go to the active window.
    void KeyDown(uint16_t key, TShiftState s = 0);
    void KeyUp(uint16_t key, TShiftState s = 0);
    void Char(char32_t c);
    // A key as the keyboard gives it: down, its character if it has one, up.
    void PressKey(uint16_t key, TShiftState s = 0);
    // Types UTF-8 text character by character.
    void Type(const std::string& text);
    void CloseBox(WindowId w);
    // The user dragging a window's frame to a new outer position.
    void DragTo(WindowId w, int32_t left, int32_t top);
    // Requests of assistive technology, queued like input.
    void DoDefaultAction(WindowId w, int32_t id);
    void TakeFocus(WindowId w, int32_t id);
    void Post(std::function<void(EventSink&)> event) { queue_.push_back(std::move(event)); }
    size_t Pending() const { return queue_.size(); }

    std::function<int32_t(const MessageBoxCall&)> OnMessageBox;
    std::vector<MessageBoxCall> MessageBoxes;
    std::function<bool()> OnIdle;
    std::vector<ShellRequest> ShellRequests;
    std::vector<AccessibleEvent> AccessibleEvents;
    bool ShellResult = false;

private:
    struct TimerEntry {
        uint32_t Interval;
        uint64_t Due;
    };
    std::map<WindowId, Window> windows_;
    std::map<TimerId, TimerEntry> timers_;
    std::deque<std::function<void(EventSink&)>> queue_;
    WindowId nextWindow_ = 1;
    TimerId nextTimer_ = 1;
    WindowId active_ = 0;
    uint64_t now_ = 0;
    bool quit_ = false;
    bool startMinimized_ = false;
    TRect screen_{0, 0, 1024, 768};
};

}  // namespace forms
