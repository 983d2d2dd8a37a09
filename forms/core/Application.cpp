#include "Application.h"

#include <algorithm>
#include <cctype>

#include "Form.h"
#include "Timer.h"
#include "platform/Executable.h"

namespace forms {

TApplication* Application = nullptr;

namespace {
MessageFormFunction g_messageFormFallback = nullptr;
}  // namespace

void SetMessageFormFallback(MessageFormFunction show) { g_messageFormFallback = show; }

std::string TitleFromExecutable(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find('.');
    if (dot != std::string::npos) name.erase(dot);
    for (size_t i = 1; i < name.size(); ++i)
        name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    return name;
}

std::string WithFullStop(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

// Turns the backend's reports into calls on forms and timers. Every handler runs
// under the loop's catching rules, so no error reaches a backend.
class TApplication::Sink : public EventSink {
public:
    explicit Sink(TApplication& app) : app_(app) {}

    void Paint(WindowId w, const TRect& dirty) override {
        Guard(
            w, [&](TForm& f) { f.PaintRect(dirty); }, false);
    }
    void MouseDown(WindowId w, TMouseButton b, TShiftState s, int32_t x, int32_t y) override {
        Guard(w, [&](TForm& f) { f.HandleMouseDown(b, s, x, y); });
    }
    void MouseUp(WindowId w, TMouseButton b, TShiftState s, int32_t x, int32_t y) override {
        Guard(w, [&](TForm& f) { f.HandleMouseUp(b, s, x, y); });
    }
    void MouseMove(WindowId w, TShiftState s, int32_t x, int32_t y) override {
        Guard(w, [&](TForm& f) { f.HandleMouseMove(s, x, y); });
    }
    void KeyDown(WindowId w, uint16_t key, TShiftState s) override {
        Guard(w, [&](TForm& f) { f.HandleKeyDown(key, s); });
    }
    void KeyUp(WindowId w, uint16_t key, TShiftState s) override {
        Guard(w, [&](TForm& f) { f.HandleKeyUp(key, s); });
    }
    void Char(WindowId w, char32_t c) override {
        Guard(w, [&](TForm& f) { f.HandleChar(c); });
    }
    void CloseRequest(WindowId w) override {
        Guard(w, [&](TForm& f) { f.Close(); });
    }
    void Activated(WindowId w, bool active) override {
        Guard(
            w,
            [&](TForm& f) {
                if (active && f.Visible() && f.Enabled()) app_.SetActiveForm(&f);
            },
            false);
    }
    void Moved(WindowId w, int32_t left, int32_t top) override {
        Guard(
            w, [&](TForm& f) { f.HandleMoved(left, top); }, false);
    }
    void DoDefaultAction(WindowId w, int32_t id) override {
        Guard(w, [&](TForm& f) { f.DoDefaultAction(id); });
    }
    void TakeFocus(WindowId w, int32_t id) override {
        Guard(w, [&](TForm& f) { f.TakeFocus(id); });
    }
    void Timer(TimerId t) override {
        auto it = app_.timers_.find(t);
        if (it == app_.timers_.end()) return;
        TTimer* timer = it->second;
        try {
            timer->Tick();
        } catch (...) {
            app_.HandleException(std::current_exception());
        }
        app_.FlushPaints();
    }

private:
    // Input reaches only enabled, visible forms: the library keeps it away from
    // windows a modal window has disabled, whatever the window system does.
    template <class F>
    void Guard(WindowId w, F&& f, bool input = true) {
        TForm* form = app_.FormOf(w);
        if (!form) return;
        if (input && (!form->Enabled() || !form->Visible())) return;
        try {
            f(*form);
        } catch (...) {
            app_.HandleException(std::current_exception());
        }
        app_.FlushPaints();
    }
    TApplication& app_;
};

const TClassInfo& TApplication::StaticClass() {
    static const TClassInfo info = ClassBuilder<TApplication>("TApplication", &TComponent::StaticClass()).Build();
    return info;
}

TApplication::TApplication(Backend& backend)
    : TComponent(nullptr), backend_(backend), sink_(std::make_unique<Sink>(*this)) {
    backend_.SetSink(sink_.get());
    Application = this;
}

TApplication::~TApplication() {
    // Forms go first, while the backend can still take their windows down.
    while (!Components().empty()) delete Components().back();
    for (auto& t : timers_) backend_.StopTimer(t.first);
    backend_.SetSink(nullptr);
    if (Application == this) Application = nullptr;
}

void TApplication::Initialize() {
    Title = TitleFromExecutable(platform::ExecutablePath());
    ShowMainFormMinimized = backend_.StartMinimized();
}

void TApplication::FormCreated(TForm* f) {
    if (!mainForm_) mainForm_ = f;
}

void TApplication::Run() {
    if (!mainForm_) return;
    if (ShowMainFormMinimized) {
        mainForm_->Show();
        backend_.Show(mainForm_->Handle(), ShowMode::Minimized);
    } else {
        mainForm_->Show();
    }
    FlushPaints();
    while (!terminated_) HandleMessage();
}

void TApplication::HandleMessage() {
    FlushPaints();
    if (!backend_.ProcessEvents(true)) terminated_ = true;
    FlushPaints();
}

void TApplication::ProcessMessages() {
    if (!backend_.ProcessEvents(false)) terminated_ = true;
    FlushPaints();
}

void TApplication::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    backend_.PostQuit();
}

int32_t TApplication::MessageBox(const std::string& text, const std::string& caption, uint32_t flags) {
    TForm* active = activeForm_;
    TWinControl* focused = active ? active->ActiveControl() : nullptr;
    const std::vector<TForm*> disabled = DisableForms(nullptr);
    const WindowId owner = mainForm_ && mainForm_->HandleAllocated() ? mainForm_->Handle() : 0;
    int32_t result = IDOK;
    try {
        FlushPaints();
        result = backend_.MessageBox(owner, text, caption, flags);
        if (result == 0) {
            TRect over;
            if (owner && mainForm_->Visible()) {
                const TSize outer = mainForm_->OuterSize();
                over = Bounds(mainForm_->Left(), mainForm_->Top(), outer.cx, outer.cy);
            }
            if (!g_messageFormFallback) throw Exception("No message box: the standard classes are not registered");
            result = g_messageFormFallback(over, text, caption, flags);
        }
    } catch (...) {
        EnableForms(disabled);
        throw;
    }
    EnableForms(disabled);
    if (active && active->Visible() && std::find(forms_.begin(), forms_.end(), active) != forms_.end()) {
        SetActiveForm(active);
        if (focused && focused->CanFocus()) focused->SetFocus();
    }
    return result;
}

void TApplication::ShowException(const std::exception& e) {
    MessageBox(WithFullStop(e.what()), Title, MB_OK | MB_ICONERROR);
}

void TApplication::HandleException(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        ShowException(e);
    } catch (const std::exception& e) {
        // Not the library's own error: the plain system display, message as it is.
        MessageBox(e.what(), Title, MB_OK | MB_ICONERROR);
    } catch (...) {
        MessageBox("", Title, MB_OK | MB_ICONERROR);
    }
}

void TApplication::AddForm(TForm* f) { forms_.push_back(f); }

void TApplication::RemoveForm(TForm* f) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
    for (auto it = windows_.begin(); it != windows_.end();) it = it->second == f ? windows_.erase(it) : std::next(it);
    pendingPaint_.erase(f);
    if (activeForm_ == f) activeForm_ = nullptr;
    if (mainForm_ == f) mainForm_ = nullptr;
}

void TApplication::BindWindow(TForm* f, WindowId w) { windows_[w] = f; }

TForm* TApplication::FormOf(WindowId w) const {
    auto it = windows_.find(w);
    return it == windows_.end() ? nullptr : it->second;
}

void TApplication::SetActiveForm(TForm* f) {
    if (f && f->HandleAllocated()) backend_.Activate(f->Handle());
    if (activeForm_ == f) return;
    TForm* old = activeForm_;
    activeForm_ = f;
    if (old && old->ActiveControl()) old->ActiveControl()->DoExit();
    if (old) old->AccessibleFocusChanged(old->ActiveControl());
    if (f) f->HandleActivated();
}

void TApplication::RequestPaint(TForm* f) { pendingPaint_.insert(f); }

void TApplication::FlushPaints() {
    while (!pendingPaint_.empty()) {
        TForm* f = *pendingPaint_.begin();
        pendingPaint_.erase(pendingPaint_.begin());
        try {
            f->Update();
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
}

TimerId TApplication::AddTimer(TTimer* t, uint32_t intervalMs) {
    const TimerId id = backend_.StartTimer(intervalMs);
    if (id == 0) throw Exception("Not enough timers available");
    timers_[id] = t;
    return id;
}

void TApplication::RemoveTimer(TimerId id) {
    if (timers_.erase(id)) backend_.StopTimer(id);
}

std::vector<TForm*> TApplication::DisableForms(TForm* keep) {
    std::vector<TForm*> out;
    for (TForm* f : forms_)
        if (f != keep && f->Enabled()) {
            f->SetEnabled(false);
            out.push_back(f);
        }
    return out;
}

void TApplication::EnableForms(const std::vector<TForm*>& forms) {
    for (TForm* f : forms)
        if (std::find(forms_.begin(), forms_.end(), f) != forms_.end()) f->SetEnabled(true);
}

}  // namespace forms
