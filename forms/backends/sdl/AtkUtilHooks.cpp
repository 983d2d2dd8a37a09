#include "AtkUtilHooks.h"

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "AtkNodes.h"

namespace forms::sdl {

namespace {

AtkObject* g_root = nullptr;  // what atk_get_root answers: one bridge a process

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

}  // namespace

AtkObject* AtkRoot() { return g_root; }

void SetAtkRoot(AtkObject* root) { g_root = root; }

void InstallAtkUtil() {
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
}

bool TakeWindowsHooked() { return std::exchange(g_windowsHooked, false); }

bool HasKeyListeners() { return !g_keyListeners.empty(); }

bool OfferKey(AtkKeyEventStruct& event) {
    bool taken = false;
    // A listener may go while the others hear the key.
    for (const KeyListener& l : std::vector<KeyListener>(g_keyListeners)) taken |= l.Func(&event, l.Data) != 0;
    return taken;
}

}  // namespace forms::sdl
