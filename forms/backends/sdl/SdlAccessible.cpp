#include "SdlAccessible.h"

#include <atk-bridge.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "AtkNodes.h"

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
            if (AtkObject* parent = atk_object_get_parent(o)) g_signal_emit_by_name(parent, "children-changed::remove", -1, o);
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
    }

    void SetNode(WindowId w, const AccessibleNode& n) {
        const auto it = windows_.find(w);
        if (it == windows_.end()) return;
        auto& nodes = it->second.Tree.Nodes;
        const auto node = std::find_if(nodes.begin(), nodes.end(), [&](const AccessibleNode& x) { return x.Id == n.Id; });
        AtkObject* o = Object(w, n.Id);
        if (node == nodes.end() || !o) return;
        const AccessibleNode before = std::move(*node);
        *node = n;
        node->Children = before.Children;  // a node alone brings no children
        Changed(w, o, before, *node);
    }

    void Activate(WindowId w) {
        if (w == active_) return;
        const WindowId was = active_;
        active_ = w;
        if (AtkObject* f = Object(was, kWindowNode)) atk_object_notify_state_change(f, ATK_STATE_ACTIVE, FALSE);
        if (AtkObject* f = Object(w, kWindowNode)) atk_object_notify_state_change(f, ATK_STATE_ACTIVE, TRUE);
    }

    void Forget(WindowId w) {
        const auto it = windows_.find(w);
        if (it == windows_.end()) return;
        const gint index = FrameIndex(w);
        order_.erase(order_.begin() + index);
        if (active_ == w) active_ = 0;
        AtkObject* frame = Object(w, kWindowNode);
        g_signal_emit_by_name(root_, "children-changed::remove", index, frame);
        for (auto& [id, o] : it->second.Objects) ReleaseAtkNode(o);
        windows_.erase(it);
    }

    struct Request {
        WindowId Window;
        int32_t Id;
        bool Action;
    };
    std::vector<Request> TakePosted() { return std::exchange(posted_, {}); }

private:
    struct Window {
        AccessibleTree Tree;
        std::map<int32_t, AtkObject*> Objects;
    };

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
    WindowId active_ = 0;
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
void SdlAccessible::Focus(WindowId w, int32_t) {
    if (model_) model_->Activate(w);
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
    // Whatever is ready, and no more: the loop must not wait here.
    int dispatched = 0;
    while (dispatched < 64 && g_main_context_iteration(nullptr, FALSE)) ++dispatched;
    if (dispatched) lastBusy_ = std::chrono::steady_clock::now();
    if (!sink) return;
    for (const AtkModel::Request& r : model_->TakePosted()) {
        if (r.Action) sink->DoDefaultAction(r.Window, r.Id);
        else sink->TakeFocus(r.Window, r.Id);
    }
}

}  // namespace forms::sdl
