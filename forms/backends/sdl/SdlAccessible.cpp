#include "SdlAccessible.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <atk-bridge.h>
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include "AtkNodes.h"
#include "forms/core/AccessibleMirror.h"
#include "SdlX11.h"

namespace forms::sdl {

namespace {

AtkObject* g_root = nullptr;  // what atk_get_root answers: one bridge a process

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

// What the bridge hands to AtkUtil, kept as a toolkit keeps it: the key listeners,
// and the listeners on the windows' events. Every other event type goes to ATK's own
// listeners on the objects' signals, whose ids stay below kWindowListener.
struct KeyListener {
    guint Id;
    AtkKeySnoopFunc Func;
    gpointer Data;
};
std::vector<KeyListener> g_keyListeners;
guint g_lastKeyListener = 0;

constexpr guint kWindowListener = 1u << 30;
struct WindowHook {
    guint Signal;
    gulong Hook;
};
std::map<guint, WindowHook> g_windowHooks;
guint g_lastWindowHook = 0;
// The bridge hooks the windows' events only once it learns that a client listens,
// from an answer on the bus: the windows shown meanwhile are told again then.
bool g_windowsHooked = false;
guint (*g_atkAddListener)(GSignalEmissionHook, const gchar*) = nullptr;
void (*g_atkRemoveListener)(guint) = nullptr;

// "window:activate" and its kind are the signals of the windows' nodes.
guint AddGlobalListener(GSignalEmissionHook listener, const gchar* type) {
    constexpr std::string_view kWindow = "window:";
    const std::string_view t = type ? type : "";
    if (t.substr(0, kWindow.size()) != kWindow) return g_atkAddListener ? g_atkAddListener(listener, type) : 0;
    static const gpointer windowClass = g_type_class_ref(AtkWindowType());  // its signals exist from here on
    const guint signal = g_signal_lookup(std::string(t.substr(kWindow.size())).c_str(), G_TYPE_FROM_CLASS(windowClass));
    if (!signal) return 0;
    g_windowsHooked = true;
    const guint id = kWindowListener | ++g_lastWindowHook;
    g_windowHooks[id] = {signal, g_signal_add_emission_hook(signal, 0, listener, g_strdup(type), g_free)};
    return id;
}

void RemoveGlobalListener(guint id) {
    if (!(id & kWindowListener)) {
        if (g_atkRemoveListener) g_atkRemoveListener(id);
        return;
    }
    const auto it = g_windowHooks.find(id);
    if (it == g_windowHooks.end()) return;
    g_signal_remove_emission_hook(it->second.Signal, it->second.Hook);
    g_windowHooks.erase(it);
}

guint AddKeyListener(AtkKeySnoopFunc listener, gpointer data) {
    g_keyListeners.push_back({++g_lastKeyListener, listener, data});
    return g_lastKeyListener;
}

void RemoveKeyListener(guint id) {
    g_keyListeners.erase(
        std::remove_if(g_keyListeners.begin(), g_keyListeners.end(), [id](const KeyListener& l) { return l.Id == id; }),
        g_keyListeners.end());
}

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

class AtkModel : public AtkHost {
public:
    AtkModel(std::function<TPoint(WindowId)> origin, std::function<int32_t()> scale)
        : origin_(std::move(origin)), scale_(std::move(scale)) {
        root_ = NewAtkNode(this, 0, nullptr);
        atk_object_set_name(root_, program_invocation_short_name);
    }

    ~AtkModel() override {
        for (auto& [w, win] : windows_)
            for (auto& [id, o] : win.Objects) ReleaseAtkNode(o);
        ReleaseAtkNode(root_);
    }

    AtkObject* Root() const { return root_; }

    const AccessibleNode* Node(WindowId w, int32_t id) const override {
        const auto it = windows_.find(w);
        return it == windows_.end() ? nullptr : it->second.Tree.Find(id);
    }

    AtkObject* Object(WindowId w, int32_t id) const override {
        const auto it = windows_.find(w);
        if (it == windows_.end()) return nullptr;
        const auto o = it->second.Objects.find(id);
        return o == it->second.Objects.end() ? nullptr : o->second;
    }

    int32_t FrameCount() const override { return static_cast<int32_t>(order_.size()); }
    AtkObject* FrameAt(int32_t i) const override {
        return i >= 0 && i < FrameCount() ? Object(order_[static_cast<size_t>(i)], kWindowNode) : nullptr;
    }
    int32_t FrameIndex(WindowId w) const override {
        const auto it = std::find(order_.begin(), order_.end(), w);
        return it == order_.end() ? -1 : static_cast<int32_t>(it - order_.begin());
    }
    bool IsActive(WindowId w) const override { return w == active_; }
    TPoint Origin(WindowId w) const override { return origin_(w); }
    int32_t Scale() const override { return scale_(); }
    void Post(WindowId w, int32_t id, bool action) override { posted_.push_back({w, id, action}); }

    void SetTree(WindowId w, const AccessibleTree& tree) {
        const bool isNew = !windows_.count(w);
        Window& win = windows_[w];
        const AccessibleTree before = std::move(win.Tree);
        win.Tree = tree;
        if (isNew) order_.push_back(w);
        // Objects keep their identity across trees: a screen reader holds on to them.
        std::vector<int32_t> gone;
        for (const auto& [id, o] : win.Objects)
            if (!tree.Find(id)) gone.push_back(id);
        for (const int32_t id : gone) {
            AtkObject* o = win.Objects[id];
            win.Objects.erase(id);
            if (AtkObject* parent = atk_object_get_parent(o))
                g_signal_emit_by_name(parent, "children-changed::remove", -1, o);
            ReleaseAtkNode(o);
        }
        std::vector<const AccessibleNode*> added;
        for (const AccessibleNode& n : tree.Nodes) {
            AtkObject*& o = win.Objects[n.Id];
            if (!o) {
                added.push_back(&n);
                o = NewAtkNode(this, w, &n);
                AtkObject* parent = n.Parent == kNoNode ? root_ : Object(w, n.Parent);
                atk_object_set_parent(o, parent);
                const gint index = atk_object_get_index_in_parent(o);
                g_signal_emit_by_name(parent, "children-changed::add", index, o);
            } else if (const AccessibleNode* old = before.Find(n.Id)) {
                Changed(w, o, *old, n);
            }
        }
        for (const AccessibleNode* n : added)
            if (AtkObject* label = Object(w, n->LabelledBy))
                atk_object_add_relationship(Object(w, n->Id), ATK_RELATION_LABELLED_BY, label);
        if (!tree.Nodes.empty()) Showing(w, !(tree.Nodes.front().States & AccessibleState::Invisible));
    }

    void SetNode(WindowId w, const AccessibleNode& n) {
        const auto it = windows_.find(w);
        if (it == windows_.end()) return;
        AtkObject* o = Object(w, n.Id);
        if (!o) return;
        const std::optional<AccessibleNode> before = it->second.Tree.Replace(n);
        if (!before) return;
        Changed(w, o, *before, n);
        if (n.Id == kWindowNode) Showing(w, !(n.States & AccessibleState::Invisible));
    }

    // As a toolkit's window does: "deactivate" for the window left, "activate" for the
    // one entered, each with its active state; then the control that holds the focus
    // in the window entered says so again, since it took the focus while its window
    // was not active. A move within a window has told its states already.
    void Activate(WindowId w, int32_t focus) {
        const bool entered = w != active_;
        if (entered) {
            const WindowId was = active_;
            active_ = w;
            if (AtkObject* f = Object(was, kWindowNode)) {
                atk_object_notify_state_change(f, ATK_STATE_ACTIVE, FALSE);
                g_signal_emit_by_name(f, "deactivate");
            }
            if (AtkObject* f = Object(w, kWindowNode)) {
                g_signal_emit_by_name(f, "activate");
                atk_object_notify_state_change(f, ATK_STATE_ACTIVE, TRUE);
            }
        }
        if (!entered && focus == focus_) return;
        focus_ = focus;
        AtkObject* o = Object(w, focus);
        const AccessibleNode* n = Node(w, focus);
        if (!o || !n) return;
        if (entered && focus != kWindowNode && (n->States & AccessibleState::Focused))
            atk_object_notify_state_change(o, ATK_STATE_FOCUSED, TRUE);
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        atk_focus_tracker_notify(o);  // the bridge's "focus:" event
        G_GNUC_END_IGNORE_DEPRECATIONS
    }

    void Forget(WindowId w) {
        const auto it = windows_.find(w);
        if (it == windows_.end()) return;
        Showing(w, false);
        const gint index = FrameIndex(w);
        order_.erase(order_.begin() + index);
        AtkObject* frame = Object(w, kWindowNode);
        g_signal_emit_by_name(root_, "children-changed::remove", index, frame);
        for (auto& [id, o] : it->second.Objects) ReleaseAtkNode(o);
        windows_.erase(it);
    }

    // What a client that starts listening now has missed: the windows shown, the
    // active one and its focus.
    void Announce() {
        for (const WindowId w : order_)
            if (shown_.count(w)) g_signal_emit_by_name(Object(w, kWindowNode), "create");
        const WindowId w = std::exchange(active_, 0);
        if (w) Activate(w, focus_);
    }

    struct Request {
        WindowId Window;
        int32_t Id;
        bool Action;
    };
    std::vector<Request> TakePosted() { return std::exchange(posted_, {}); }

private:
    struct Window {
        AccessibleMirror Tree;
        std::map<int32_t, AtkObject*> Objects;
    };

    // A window is there for the assistive technology while it is shown: "create" as it
    // appears, "destroy" as it is hidden or goes, after it has been left.
    void Showing(WindowId w, bool shown) {
        if (shown == (shown_.count(w) > 0)) return;
        AtkObject* frame = Object(w, kWindowNode);
        if (shown) {
            shown_.insert(w);
            g_signal_emit_by_name(frame, "create");
            return;
        }
        if (active_ == w) Activate(0, kNoNode);
        shown_.erase(w);
        g_signal_emit_by_name(frame, "destroy");
    }

    void Changed(WindowId w, AtkObject* o, const AccessibleNode& before, const AccessibleNode& after) {
        if (before.Name != after.Name) atk_object_set_name(o, after.Name.c_str());
        const bool frame = after.Parent == kNoNode;
        NotifyAtkStates(o, before, frame && IsActive(w), after, frame && IsActive(w));
        if (before.Current != after.Current || before.Value != after.Value) {
            if (ATK_IS_VALUE(o)) g_signal_emit_by_name(o, "value-changed", after.Current, after.Value.c_str());
            g_object_notify(G_OBJECT(o), "accessible-value");
        }
        if (before.Bounds != after.Bounds && ATK_IS_COMPONENT(o)) {
            AtkRectangle r{after.Bounds.Left, after.Bounds.Top, after.Bounds.Width(), after.Bounds.Height()};
            g_signal_emit_by_name(o, "bounds-changed", &r);
        }
    }

    std::function<TPoint(WindowId)> origin_;
    std::function<int32_t()> scale_;
    AtkObject* root_ = nullptr;
    std::map<WindowId, Window> windows_;
    std::vector<WindowId> order_;  // the frames, in the order the windows came
    std::set<WindowId> shown_;
    WindowId active_ = 0;
    int32_t focus_ = kNoNode;  // the node of the active window that has the focus
    std::vector<Request> posted_;
};

SdlAccessible::SdlAccessible(std::function<TPoint(WindowId)> origin, std::function<int32_t()> scale)
    : origin_(std::move(origin)), scale_(std::move(scale)) {}

SdlAccessible::~SdlAccessible() {
    if (!model_) return;
    atk_bridge_adaptor_cleanup();
    g_root = nullptr;
}

void SdlAccessible::TreeChanged(WindowId w, const AccessibleTree& tree) {
    if (!tried_) {
        tried_ = true;
        // The first window's description is the moment: a process that never shows
        // one never talks to the bus.
        if (!g_root && BusReachable()) {
            auto model = std::make_unique<AtkModel>(origin_, scale_);
            g_root = model->Root();
            auto* util = ATK_UTIL_CLASS(g_type_class_ref(ATK_TYPE_UTIL));
            util->get_root = [] { return g_root; };
            util->get_toolkit_name = [] { return "forms"; };
            util->get_toolkit_version = [] { return "1"; };
            if (util->add_global_event_listener != AddGlobalListener) {
                g_atkAddListener = util->add_global_event_listener;
                g_atkRemoveListener = util->remove_global_event_listener;
            }
            util->add_global_event_listener = AddGlobalListener;
            util->remove_global_event_listener = RemoveGlobalListener;
            util->add_key_event_listener = AddKeyListener;
            util->remove_key_event_listener = RemoveKeyListener;
            // A session bus without the accessibility services is no error of ours:
            // the bridge's complaints about it stay off the standard error.
            const GLogFunc previous = g_log_set_default_handler(Quiet, nullptr);
            const int failed = atk_bridge_adaptor_init(nullptr, nullptr);
            g_log_set_default_handler(previous, nullptr);
            if (failed) g_root = nullptr;
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
    if (!model_ || g_keyListeners.empty() || !X11KeyOf(message, key)) return false;
    std::string text = KeyText(key);
    AtkKeyEventStruct e{};
    e.type = key.Press ? ATK_KEY_EVENT_PRESS : ATK_KEY_EVENT_RELEASE;
    e.state = key.State;
    e.keyval = key.Keysym;
    e.length = static_cast<gint>(text.size());
    e.string = text.data();
    e.keycode = static_cast<guint16>(key.Keycode);
    e.timestamp = key.Time;
    bool taken = false;
    // A listener may go while the others hear the key.
    for (const KeyListener& l : std::vector<KeyListener>(g_keyListeners)) taken |= l.Func(&e, l.Data) != 0;
    return taken;
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
    if (std::exchange(g_windowsHooked, false)) model_->Announce();
    if (!sink) return;
    for (const AtkModel::Request& r : model_->TakePosted()) {
        if (r.Action) sink->DoDefaultAction(r.Window, r.Id);
        else sink->TakeFocus(r.Window, r.Id);
    }
}

}  // namespace forms::sdl
