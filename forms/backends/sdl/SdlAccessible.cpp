// The facade over the ATK model (AtkModel.h) and the hooks the bridge is given
// (AtkUtilHooks.h): started with the first window's description where a bus can be
// reached, pumped from the backend's event loop, offered the window system's keys.
#include "SdlAccessible.h"

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <atk-bridge.h>
#include <SDL.h>

#include "AtkModel.h"
#include "AtkUtilHooks.h"
#include "SdlX11.h"

namespace forms::sdl {

namespace {

bool Set(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

// A bus the bridge can reach without starting one: the accessibility bus named
// outright, or a session bus that knows where it is.
bool BusReachable() {
    const char* off = std::getenv("NO_AT_BRIDGE");
    if (off && std::string(off) == "1") return false;
    return Set("AT_SPI_BUS_ADDRESS") || Set("DBUS_SESSION_BUS_ADDRESS");
}

void Quiet(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void AppendChar(std::string& s, gunichar c) {
    char buffer[6];
    s.append(buffer, static_cast<size_t>(g_unichar_to_utf8(c, buffer)));
}

// A key event's text as GTK gives it: the characters the key types when they begin
// with a visible one or Ctrl is held, else the key's name.
std::string KeyText(const X11Key& key) {
    constexpr uint32_t kControlMask = 4;
    std::string typed;
    for (const unsigned char c : key.Typed) AppendChar(typed, c);
    if (typed.empty() && (key.Keysym >> 24) == 1) AppendChar(typed, key.Keysym & 0xFFFFFF);  // a Unicode keysym
    if (!typed.empty() && ((key.State & kControlMask) || g_unichar_isgraph(g_utf8_get_char(typed.c_str()))))
        return typed;
    return key.Name;
}

}  // namespace

SdlAccessible::SdlAccessible(std::function<TPoint(WindowId)> origin, std::function<int32_t()> scale)
    : origin_(std::move(origin)), scale_(std::move(scale)) {}

SdlAccessible::~SdlAccessible() {
    if (!model_) return;
    atk_bridge_adaptor_cleanup();
    SetAtkRoot(nullptr);
}

void SdlAccessible::TreeChanged(WindowId w, const AccessibleTree& tree) {
    if (!tried_) {
        tried_ = true;
        // The first window's description is the moment: a process that never shows
        // one never talks to the bus.
        if (!AtkRoot() && BusReachable()) {
            auto model = std::make_unique<AtkModel>(origin_, scale_);
            SetAtkRoot(model->Root());
            InstallAtkUtil();
            // A session bus without the accessibility services is no error of ours:
            // the bridge's complaints about it stay off the standard error.
            const GLogFunc previous = g_log_set_default_handler(Quiet, nullptr);
            const int failed = atk_bridge_adaptor_init(nullptr, nullptr);
            g_log_set_default_handler(previous, nullptr);
            if (failed) SetAtkRoot(nullptr);
            else model_ = std::move(model);
        }
    }
    if (model_) model_->SetTree(w, tree);
}

void SdlAccessible::NodeChanged(WindowId w, const AccessibleNode& node, AccessibleChange) {
    if (model_) model_->SetNode(w, node);
}

// The window that holds the focus is the active one; the node's focused state came
// with its State change, just before.
void SdlAccessible::Focus(WindowId w, int32_t id) {
    if (model_) model_->Activate(w, id);
}

bool SdlAccessible::KeyTaken(const SDL_SysWMmsg& message) {
    X11Key key;
    if (!model_ || !HasKeyListeners() || !X11KeyOf(message, key)) return false;
    std::string text = KeyText(key);
    AtkKeyEventStruct e{};
    e.type = key.Press ? ATK_KEY_EVENT_PRESS : ATK_KEY_EVENT_RELEASE;
    e.state = key.State;
    e.keyval = key.Keysym;
    e.length = static_cast<gint>(text.size());
    e.string = text.data();
    e.keycode = static_cast<guint16>(key.Keycode);
    e.timestamp = key.Time;
    return OfferKey(e);
}

void SdlAccessible::Forget(WindowId w) {
    if (model_) model_->Forget(w);
}

int32_t SdlAccessible::WaitLimitMs() const {
    if (!model_) return -1;
    constexpr auto kConversation = std::chrono::milliseconds(500);
    return std::chrono::steady_clock::now() - lastBusy_ < kConversation ? 10 : 100;
}

void SdlAccessible::Pump(EventSink* sink) {
    if (!model_) return;
    // Keys come to the listeners as the window system's own events (KeyTaken); SDL
    // switches those off whenever its event loop starts.
    if (SDL_GetEventState(SDL_SYSWMEVENT) != SDL_ENABLE) SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    // Whatever is ready, and no more: the loop must not wait here.
    int dispatched = 0;
    while (dispatched < 64 && g_main_context_iteration(nullptr, FALSE)) ++dispatched;
    if (dispatched) lastBusy_ = std::chrono::steady_clock::now();
    if (TakeWindowsHooked()) model_->Announce();
    if (!sink) return;
    for (const AtkModel::Request& r : model_->TakePosted()) {
        if (r.Action) sink->DoDefaultAction(r.Window, r.Id);
        else sink->TakeFocus(r.Window, r.Id);
    }
}

}  // namespace forms::sdl
