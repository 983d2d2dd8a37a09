#pragma once
#include <exception>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Component.h"
#include "Backend.h"

namespace forms {

class TForm;
class TTimer;

// The title rule: the executable's file name without folder and without anything
// from the first full stop on, its first character kept and the rest in lower case.
std::string TitleFromExecutable(const std::string& path);

// Appends a full stop unless the message is empty or its last character is a full
// stop or anything that sorts before it (blank, "!", ",").
std::string WithFullStop(const std::string& message);

// The message box the application shows when its backend has none: centred over
// `over` (an outer rectangle on the screen; empty for the screen's centre). The
// controls layer installs its message form here when it registers its classes.
using MessageFormFunction = int32_t (*)(const TRect& over, const std::string& text, const std::string& caption,
                                        uint32_t flags);
void SetMessageFormFallback(MessageFormFunction show);

// One per process: owns the windows, runs the message loop, shows message boxes
// and errors.
class TApplication : public TComponent {
    FORMS_CLASS(TApplication)
public:
    explicit TApplication(Backend& backend);
    ~TApplication() override;

    void Initialize();
    // Constructs a form owned by the application; the first one becomes the main window.
    template <class F>
    void CreateForm(F*& reference) {
        reference = nullptr;
        F* form = new F(this);
        reference = form;
        FormCreated(form);
    }
    void Run();
    // Waits for and handles the next messages, then paints what became invalid.
    void HandleMessage();
    // Handles whatever is pending without waiting.
    void ProcessMessages();
    void Terminate();
    bool Terminated() const { return terminated_; }

    TForm* MainForm() const { return mainForm_; }
    std::string Title;
    bool ShowMainFormMinimized = false;
    // The program's icon as an .ico file's bytes, for the forms that show an icon.
    std::string_view Icon;

    // Modal: every other window is disabled while it is open and the focus returns
    // to where it was afterwards. Owned by the application's window.
    int32_t MessageBox(const std::string& text, const std::string& caption, uint32_t flags);
    // The standard error display.
    void ShowException(const std::exception& e);
    // What the message loop does with an error raised in a handler.
    void HandleException(std::exception_ptr error);

    Backend& GetBackend() { return backend_; }

    // Bookkeeping for forms and timers.
    void AddForm(TForm* f);
    void RemoveForm(TForm* f);
    void BindWindow(TForm* f, WindowId w);
    TForm* FormOf(WindowId w) const;
    const std::vector<TForm*>& Forms() const { return forms_; }
    TForm* ActiveForm() const { return activeForm_; }
    void SetActiveForm(TForm* f);
    void RequestPaint(TForm* f);
    void FlushPaints();
    TimerId AddTimer(TTimer* t, uint32_t intervalMs);
    void RemoveTimer(TimerId id);

    // Disables every enabled form except keep; returns those it disabled.
    std::vector<TForm*> DisableForms(TForm* keep);
    void EnableForms(const std::vector<TForm*>& forms);

private:
    class Sink;
    void FormCreated(TForm* f);

    Backend& backend_;
    std::unique_ptr<Sink> sink_;
    TForm* mainForm_ = nullptr;
    TForm* activeForm_ = nullptr;
    std::vector<TForm*> forms_;
    std::map<WindowId, TForm*> windows_;
    std::set<TForm*> pendingPaint_;
    std::map<TimerId, TTimer*> timers_;
    bool terminated_ = false;
};

// The process's application object, while one exists.
extern TApplication* Application;

}  // namespace forms
