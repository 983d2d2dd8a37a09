#include "HeadlessBackend.h"

#include <stdexcept>

#include "forms/backends/ClassicFrame.h"
#include "base/Utf8.h"

namespace forms {

HeadlessBackend::HeadlessBackend() = default;
HeadlessBackend::~HeadlessBackend() = default;

WindowId HeadlessBackend::CreateWindow(const WindowParams& p) {
    const WindowId id = nextWindow_++;
    Window& w = windows_[id];
    w.Params = p;
    w.Image = CreateBitmap(p.ClientWidth, p.ClientHeight);
    return id;
}

void HeadlessBackend::DestroyWindow(WindowId w) {
    windows_.erase(w);
    if (active_ == w) active_ = 0;
}

void HeadlessBackend::SetCaption(WindowId w, const std::string& caption) {
    auto it = windows_.find(w);
    if (it != windows_.end()) it->second.Params.Caption = caption;
}

void HeadlessBackend::SetBounds(WindowId w, int32_t left, int32_t top, int32_t clientWidth, int32_t clientHeight) {
    auto it = windows_.find(w);
    if (it == windows_.end()) return;
    WindowParams& p = it->second.Params;
    p.Left = left;
    p.Top = top;
    if (p.ClientWidth != clientWidth || p.ClientHeight != clientHeight) {
        p.ClientWidth = clientWidth;
        p.ClientHeight = clientHeight;
        it->second.Image->SetSize(clientWidth, clientHeight);
    }
}

void HeadlessBackend::Show(WindowId w, ShowMode mode) {
    auto it = windows_.find(w);
    if (it == windows_.end()) return;
    it->second.Visible = mode != ShowMode::Hide;
    it->second.Minimized = mode == ShowMode::Minimized;
    if (mode == ShowMode::Hide && active_ == w) active_ = 0;
}

void HeadlessBackend::Enable(WindowId w, bool enabled) {
    auto it = windows_.find(w);
    if (it != windows_.end()) it->second.Enabled = enabled;
}

void HeadlessBackend::Activate(WindowId w) {
    if (windows_.count(w)) active_ = w;
}

TSize HeadlessBackend::OuterSize(const WindowStyle& style, int32_t clientWidth, int32_t clientHeight) {
    const FrameInsets f = ClassicFrame(style);
    return {clientWidth + f.Left + f.Right, clientHeight + f.Top + f.Bottom};
}

void HeadlessBackend::Present(WindowId w, const TBitmap& image, const TRect& dirty) {
    auto it = windows_.find(w);
    if (it == windows_.end()) return;
    TBitmap& target = *it->second.Image;
    if (target.Width() != image.Width() || target.Height() != image.Height())
        target.SetSize(image.Width(), image.Height());
    CopyPixels(image, dirty, target);
    ++it->second.Presents;
}

bool HeadlessBackend::ProcessEvents(bool wait) {
    if (quit_) return false;
    // Waiting with nothing queued: the test's idle step may queue input or change
    // state; either way the caller gets control back to look at its condition.
    if (wait && queue_.empty() && (!OnIdle || !OnIdle()))
        throw std::logic_error("headless: the message loop waits for input that never comes");
    // Only what was queued before this call: a handler's own posts wait for the next one.
    size_t n = queue_.size();
    while (n-- > 0 && !queue_.empty() && !quit_) {
        auto event = std::move(queue_.front());
        queue_.pop_front();
        if (Sink()) event(*Sink());
    }
    return !quit_;
}

TimerId HeadlessBackend::StartTimer(uint32_t intervalMs) {
    const TimerId id = nextTimer_++;
    timers_[id] = {intervalMs == 0 ? 1u : intervalMs, now_ + (intervalMs == 0 ? 1u : intervalMs)};
    return id;
}

void HeadlessBackend::StopTimer(TimerId t) { timers_.erase(t); }

void HeadlessBackend::Advance(uint32_t ms) {
    for (uint32_t i = 0; i < ms; ++i) {
        ++now_;
        std::vector<TimerId> due;
        for (const auto& [id, t] : timers_)
            if (t.Due <= now_) due.push_back(id);
        for (TimerId id : due) {
            auto it = timers_.find(id);
            if (it == timers_.end()) continue;  // stopped by an earlier tick
            it->second.Due = now_ + it->second.Interval;
            if (Sink()) Sink()->Timer(id);
        }
    }
}

int32_t HeadlessBackend::MessageBox(WindowId owner, const std::string& text, const std::string& caption,
                                    uint32_t flags) {
    MessageBoxes.push_back({owner, text, caption, flags});
    return OnMessageBox ? OnMessageBox(MessageBoxes.back()) : IDOK;
}

bool HeadlessBackend::ShellExecute(const ShellRequest& r) {
    ShellRequests.push_back(r);
    return ShellResult;
}

const HeadlessBackend::Window* HeadlessBackend::Find(WindowId w) const {
    auto it = windows_.find(w);
    return it == windows_.end() ? nullptr : &it->second;
}

std::vector<WindowId> HeadlessBackend::Windows() const {
    std::vector<WindowId> out;
    for (const auto& entry : windows_) out.push_back(entry.first);
    return out;
}

void HeadlessBackend::Click(WindowId w, int32_t x, int32_t y) {
    MouseMove(w, x, y);
    MouseDown(w, x, y);
    MouseUp(w, x, y);
}

void HeadlessBackend::MouseDown(WindowId w, int32_t x, int32_t y, TMouseButton b) {
    Post([=](EventSink& s) { s.MouseDown(w, b, ButtonShift(b), x, y); });
}

void HeadlessBackend::MouseUp(WindowId w, int32_t x, int32_t y, TMouseButton b) {
    Post([=](EventSink& s) { s.MouseUp(w, b, 0, x, y); });
}

void HeadlessBackend::MouseMove(WindowId w, int32_t x, int32_t y) {
    Post([=](EventSink& s) { s.MouseMove(w, 0, x, y); });
}

void HeadlessBackend::KeyDown(uint16_t key, TShiftState st) {
    Post([this, key, st](EventSink& s) { s.KeyDown(active_, key, st); });
}

void HeadlessBackend::KeyUp(uint16_t key, TShiftState st) {
    Post([this, key, st](EventSink& s) { s.KeyUp(active_, key, st); });
}

void HeadlessBackend::Char(char32_t c) {
    Post([this, c](EventSink& s) { s.Char(active_, c); });
}

void HeadlessBackend::PressKey(uint16_t key, TShiftState st) {
    KeyDown(key, st);
    // Space types through the keyboard layout, as a letter would; the rest as the core says.
    if (key == VK_SPACE && (st & (ssCtrl | ssAlt)) == 0) Char(U' ');
    else if (const char32_t c = ControlCharacter(key, st); c != 0) Char(c);
    KeyUp(key, st);
}

void HeadlessBackend::Type(const std::string& text) {
    for (char32_t c : base::DecodeUtf8(text)) Char(c);
}

void HeadlessBackend::CloseBox(WindowId w) {
    Post([w](EventSink& s) { s.CloseRequest(w); });
}

void HeadlessBackend::DragTo(WindowId w, int32_t left, int32_t top) {
    Post([this, w, left, top](EventSink& s) {
        auto it = windows_.find(w);
        if (it != windows_.end()) {
            it->second.Params.Left = left;
            it->second.Params.Top = top;
        }
        s.Moved(w, left, top);
    });
}

void HeadlessBackend::AccessibleTreeChanged(WindowId w, const AccessibleTree& tree) {
    auto it = windows_.find(w);
    if (it == windows_.end()) return;
    it->second.Accessible = tree;
    AccessibleEvents.push_back({w, AccessibleEvent::Kind::Tree, kWindowNode, AccessibleChange::State});
}

void HeadlessBackend::AccessibleNodeChanged(WindowId w, const AccessibleNode& node, AccessibleChange what) {
    auto it = windows_.find(w);
    if (it == windows_.end()) return;
    it->second.Accessible.Replace(node);
    AccessibleEvents.push_back({w, AccessibleEvent::Kind::Node, node.Id, what});
}

void HeadlessBackend::AccessibleFocus(WindowId w, int32_t id) {
    auto it = windows_.find(w);
    if (it == windows_.end()) return;
    it->second.Accessible.Focus = id;
    AccessibleEvents.push_back({w, AccessibleEvent::Kind::Focus, id, AccessibleChange::State});
}

void HeadlessBackend::DoDefaultAction(WindowId w, int32_t id) {
    Post([w, id](EventSink& s) { s.DoDefaultAction(w, id); });
}

void HeadlessBackend::TakeFocus(WindowId w, int32_t id) {
    Post([w, id](EventSink& s) { s.TakeFocus(w, id); });
}

}  // namespace forms
