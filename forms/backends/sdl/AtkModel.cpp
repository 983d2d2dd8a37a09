#include "AtkModel.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>

namespace forms::sdl {

AtkModel::AtkModel(std::function<TPoint(WindowId)> origin, std::function<int32_t()> scale)
    : origin_(std::move(origin)), scale_(std::move(scale)) {
    root_ = NewAtkNode(this, 0, nullptr);
    atk_object_set_name(root_, program_invocation_short_name);
}

AtkModel::~AtkModel() {
    for (auto& [w, win] : windows_)
        for (auto& [id, o] : win.Objects) ReleaseAtkNode(o);
    ReleaseAtkNode(root_);
}

void AtkModel::SetTree(WindowId w, const AccessibleTree& tree) {
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

void AtkModel::SetNode(WindowId w, const AccessibleNode& n) {
    const auto it = windows_.find(w);
    if (it == windows_.end()) return;
    AtkObject* o = Object(w, n.Id);
    if (!o) return;
    const std::optional<AccessibleNode> before = it->second.Tree.Replace(n);
    if (!before) return;
    Changed(w, o, *before, n);
    if (n.Id == kWindowNode) Showing(w, !(n.States & AccessibleState::Invisible));
}

void AtkModel::Activate(WindowId w, int32_t focus) {
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

void AtkModel::Forget(WindowId w) {
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

void AtkModel::Announce() {
    for (const WindowId w : order_)
        if (shown_.count(w)) g_signal_emit_by_name(Object(w, kWindowNode), "create");
    const WindowId w = std::exchange(active_, 0);
    if (w) Activate(w, focus_);
}

void AtkModel::Showing(WindowId w, bool shown) {
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

void AtkModel::Changed(WindowId w, AtkObject* o, const AccessibleNode& before, const AccessibleNode& after) {
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

}  // namespace forms::sdl
