// The form's description for assistive technology: the tree of its exposed
// controls, the notifications that keep the backend's copy of it current, and the
// actions assistive technology asks for.
#include "Form.h"

#include "Application.h"
#include "base/Check.h"

namespace forms {

namespace {

// Whether the control and each container inside the form hold the flag (Visible,
// Enabled): the form's own flags are the window node's.
bool HeldUpToForm(const TControl& c, bool (TControl::*flag)() const) {
    for (const TControl* p = &c; p->Parent(); p = p->Parent())
        if (!(p->*flag)()) return false;
    return true;
}

// Whether assistive technology may give the control the focus, enabled and shown or not.
bool Focusable(const TWinControl* w) { return w && (w->TabStop() || w->FocusOnClick()); }

void AddControls(const TWinControl& container, int32_t parent, AccessibleTree& tree) {
    for (const TControl* c : container.Controls()) {
        AccessibleNode n;
        n.Id = c->AccessibleId();
        n.Parent = parent;
        const TPoint o = c->FormOrigin();
        n.Bounds = Bounds(o.X, o.Y, c->Width(), c->Height());
        n.Description = c->Hint();
        if (!HeldUpToForm(*c, &TControl::Visible)) n.States |= AccessibleState::Invisible;
        if (!HeldUpToForm(*c, &TControl::Enabled)) n.States |= AccessibleState::Unavailable;
        const auto* w = dynamic_cast<const TWinControl*>(c);
        if (Focusable(w)) n.States |= AccessibleState::Focusable;
        if (w && w->Focused()) n.States |= AccessibleState::Focused;
        const bool exposed = c->Describe(n);
        if (exposed) {
            // Ids name one node for the window's whole life, and the window is node 0.
            SA_CHECK(n.Id > kWindowNode && !tree.Find(n.Id), "two nodes of one window with one id");
            for (AccessibleNode& p : tree.Nodes)
                if (p.Id == parent) p.Children.push_back(n.Id);
            tree.Nodes.push_back(std::move(n));
        }
        if (w) AddControls(*w, exposed ? c->AccessibleId() : parent, tree);
    }
}

// A label names the control it stands for, unless that one has a name of its own.
void LinkLabels(AccessibleTree& tree) {
    for (AccessibleNode& label : tree.Nodes) {
        if (label.LabelFor == kNoNode) continue;
        AccessibleNode* target = nullptr;
        for (AccessibleNode& n : tree.Nodes)
            if (n.Id == label.LabelFor) target = &n;
        if (!target) {
            label.LabelFor = kNoNode;
            continue;
        }
        target->LabelledBy = label.Id;
        if (target->Name.empty()) target->Name = label.Name;
    }
}

TControl* FindControl(const TWinControl& container, int32_t id) {
    for (TControl* c : container.Controls()) {
        if (c->AccessibleId() == id) return c;
        if (auto* w = dynamic_cast<TWinControl*>(c))
            if (TControl* inner = FindControl(*w, id)) return inner;
    }
    return nullptr;
}

}  // namespace

bool TForm::Describe(AccessibleNode& node) const {
    const TForm* main = Application ? Application->MainForm() : nullptr;
    const bool dialog = borderStyle_ == TBorderStyle::bsDialog || (main && main != this);
    node.Role = dialog ? AccessibleRole::Dialog : AccessibleRole::Frame;
    node.Name = Caption();
    return true;
}

AccessibleTree TForm::DescribeTree() const {
    AccessibleTree tree;
    AccessibleNode window;
    window.Id = kWindowNode;
    window.Bounds = ClientRect();
    if (!Visible()) window.States |= AccessibleState::Invisible;
    if (!Enabled()) window.States |= AccessibleState::Unavailable;
    Describe(window);
    tree.Nodes.push_back(std::move(window));
    AddControls(*this, kWindowNode, tree);
    LinkLabels(tree);
    if (Active()) tree.Focus = KeyTarget() ? KeyTarget()->AccessibleId() : kWindowNode;
    return tree;
}

void TForm::AccessibleNodeChanged(const TControl& c, AccessibleChange what) {
    if (!handle_ || Loading()) return;
    // What a form changes about itself is the window node; its bounds there never move.
    const int32_t id = &c == this ? kWindowNode : c.AccessibleId();
    if (id == kWindowNode && what == AccessibleChange::Bounds) return;
    // A container hidden or disabled hides or disables what it holds as well.
    const auto* w = dynamic_cast<const TWinControl*>(&c);
    if (id != kWindowNode && what == AccessibleChange::State && w && !w->Controls().empty()) {
        AccessibleStructureChanged();
        return;
    }
    const AccessibleTree tree = DescribeTree();
    if (const AccessibleNode* n = tree.Find(id)) TheBackend().AccessibleNodeChanged(handle_, *n, what);
}

void TForm::AccessibleStructureChanged() {
    if (handle_ && !Loading()) TheBackend().AccessibleTreeChanged(handle_, DescribeTree());
}

void TForm::AccessibleFocusChanged(const TWinControl* left) {
    if (!handle_) return;
    if (left) AccessibleNodeChanged(*left, AccessibleChange::State);
    if (!Active()) return;
    const TWinControl* target = KeyTarget();
    if (target && target != left) AccessibleNodeChanged(*target, AccessibleChange::State);
    TheBackend().AccessibleFocus(handle_, target ? target->AccessibleId() : kWindowNode);
}

void TForm::DoDefaultAction(int32_t id) {
    TControl* c = FindControl(*this, id);
    if (!c) return;
    const AccessibleTree tree = DescribeTree();
    const AccessibleNode* n = tree.Find(id);
    if (n && RunsDefaultAction(*n)) c->Click();
}

void TForm::TakeFocus(int32_t id) {
    if (!Active()) Application->SetActiveForm(this);
    auto* w = dynamic_cast<TWinControl*>(FindControl(*this, id));
    if (Focusable(w) && w->CanFocus()) w->SetFocus();
}

}  // namespace forms
