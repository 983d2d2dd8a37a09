#include "AtkNodes.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string>

namespace forms::sdl {

namespace {

// One accessible object: the application when window is 0, else node id of window.
struct AtkNode {
    AtkObject parent;
    AtkHost* host;
    WindowId window;
    int32_t id;
};

AtkNode* Self(gpointer p) { return static_cast<AtkNode*>(p); }

const AccessibleNode* NodeOf(gpointer p) {
    const AtkNode* n = Self(p);
    return n->host && n->window ? n->host->Node(n->window, n->id) : nullptr;
}

gint ChildCount(AtkObject* o) {
    const AtkNode* n = Self(o);
    if (!n->host) return 0;
    if (!n->window) return n->host->FrameCount();
    const AccessibleNode* node = NodeOf(o);
    return node ? static_cast<gint>(node->Children.size()) : 0;
}

AtkObject* RefChild(AtkObject* o, gint i) {
    const AtkNode* n = Self(o);
    if (!n->host || i < 0) return nullptr;
    AtkObject* child = nullptr;
    if (!n->window) {
        child = n->host->FrameAt(i);
    } else if (const AccessibleNode* node = NodeOf(o); node && static_cast<size_t>(i) < node->Children.size()) {
        child = n->host->Object(n->window, node->Children[static_cast<size_t>(i)]);
    }
    return child ? ATK_OBJECT(g_object_ref(child)) : nullptr;
}

gint IndexInParent(AtkObject* o) {
    const AtkNode* n = Self(o);
    const AccessibleNode* node = NodeOf(o);
    if (!node) return -1;
    if (node->Parent == kNoNode) return n->host->FrameIndex(n->window);
    const AccessibleNode* parent = n->host->Node(n->window, node->Parent);
    if (!parent) return -1;
    const auto it = std::find(parent->Children.begin(), parent->Children.end(), node->Id);
    return it == parent->Children.end() ? -1 : static_cast<gint>(std::distance(parent->Children.begin(), it));
}

AtkStateSet* RefStates(AtkObject* o) {
    const AtkNode* n = Self(o);
    if (!n->window && n->host) return atk_state_set_new();
    const AccessibleNode* node = NodeOf(o);
    if (!node) {
        AtkStateSet* set = atk_state_set_new();
        atk_state_set_add_state(set, ATK_STATE_DEFUNCT);
        return set;
    }
    return AtkStatesOf(*node, node->Parent == kNoNode && n->host->IsActive(n->window));
}

void NodeClassInit(gpointer klass, gpointer) {
    AtkObjectClass* k = ATK_OBJECT_CLASS(klass);
    k->get_n_children = ChildCount;
    k->ref_child = RefChild;
    k->get_index_in_parent = IndexInParent;
    k->ref_state_set = RefStates;
}

// Bounds are client coordinates of the window, in pixels of the description; the
// frame's own are its client area. The screen's pixels are `Scale` times as many.
void Extents(AtkComponent* c, gint* x, gint* y, gint* width, gint* height, AtkCoordType coords) {
    *x = *y = *width = *height = 0;
    const AtkNode* n = Self(c);
    const AccessibleNode* node = NodeOf(c);
    if (!node) return;
    TRect r = node->Bounds;
    if (node->Parent == kNoNode) r = {0, 0, r.Width(), r.Height()};
    TPoint corner{0, 0};
    if (coords == ATK_XY_SCREEN) {
        corner = n->host->Origin(n->window);
    } else if (coords == ATK_XY_PARENT && node->Parent != kNoNode) {
        if (const AccessibleNode* p = n->host->Node(n->window, node->Parent); p && p->Parent != kNoNode)
            corner = {-p->Bounds.Left, -p->Bounds.Top};
    }
    const int32_t scale = n->host->Scale();
    if (coords != ATK_XY_SCREEN) corner = {corner.X * scale, corner.Y * scale};
    *x = corner.X + r.Left * scale;
    *y = corner.Y + r.Top * scale;
    *width = r.Width() * scale;
    *height = r.Height() * scale;
}

gboolean GrabFocus(AtkComponent* c) {
    const AtkNode* n = Self(c);
    const AccessibleNode* node = NodeOf(c);
    if (!node || (node->Parent != kNoNode && !(node->States & AccessibleState::Focusable))) return FALSE;
    n->host->Post(n->window, n->id, false);
    return TRUE;
}

void ComponentInit(gpointer iface, gpointer) {
    auto* i = static_cast<AtkComponentIface*>(iface);
    i->get_extents = Extents;
    i->grab_focus = GrabFocus;
}

// The one action a node has: AT-SPI clients know a button's as "click".
gint ActionCount(AtkAction* a) {
    const AccessibleNode* node = NodeOf(a);
    return node && !node->DefaultAction.empty() ? 1 : 0;
}

gboolean DoAction(AtkAction* a, gint i) {
    const AtkNode* n = Self(a);
    const AccessibleNode* node = NodeOf(a);
    if (i != 0 || !node || !RunsDefaultAction(*node)) return FALSE;
    n->host->Post(n->window, n->id, true);
    return TRUE;
}

const gchar* ActionName(AtkAction* a, gint i) { return i == 0 && ActionCount(a) ? "click" : nullptr; }

void ActionInit(gpointer iface, gpointer) {
    auto* i = static_cast<AtkActionIface*>(iface);
    i->do_action = DoAction;
    i->get_n_actions = ActionCount;
    i->get_name = ActionName;
    i->get_localized_name = ActionName;
}

// A label's text is its name; an edit's is its value, which a protected one never has.
std::string TextOf(gpointer p) {
    const AccessibleNode* node = NodeOf(p);
    if (!node) return {};
    if (node->Role != AccessibleRole::EditableText) return node->Name;
    return node->States & AccessibleState::Protected ? std::string() : node->Value;
}

gint CharacterCount(AtkText* t) {
    const std::string s = TextOf(t);
    return static_cast<gint>(g_utf8_strlen(s.c_str(), static_cast<gssize>(s.size())));
}

gchar* GetText(AtkText* t, gint start, gint end) {
    const std::string s = TextOf(t);
    const glong count = g_utf8_strlen(s.c_str(), static_cast<gssize>(s.size()));
    const glong from = std::clamp<glong>(start, 0, count);
    const glong to = end < 0 ? count : std::clamp<glong>(end, from, count);
    return g_utf8_substring(s.c_str(), from, to);
}

gunichar CharacterAt(AtkText* t, gint offset) {
    const std::string s = TextOf(t);
    if (offset < 0 || offset >= g_utf8_strlen(s.c_str(), static_cast<gssize>(s.size()))) return 0;
    return g_utf8_get_char(g_utf8_offset_to_pointer(s.c_str(), offset));
}

gint CaretOffset(AtkText*) { return 0; }

void TextInit(gpointer iface, gpointer) {
    auto* i = static_cast<AtkTextIface*>(iface);
    i->get_text = GetText;
    i->get_character_count = CharacterCount;
    i->get_character_at_offset = CharacterAt;
    i->get_caret_offset = CaretOffset;
}

double RangeValue(gpointer p, int which) {
    const AccessibleNode* node = NodeOf(p);
    if (!node || !node->HasRange) return 0;
    return which < 0 ? node->Min : which > 0 ? node->Max : node->Current;
}

void SetDouble(GValue* v, double d) {
    g_value_init(v, G_TYPE_DOUBLE);
    g_value_set_double(v, d);
}

void CurrentValue(AtkValue* v, GValue* out) { SetDouble(out, RangeValue(v, 0)); }
void MinimumValue(AtkValue* v, GValue* out) { SetDouble(out, RangeValue(v, -1)); }
void MaximumValue(AtkValue* v, GValue* out) { SetDouble(out, RangeValue(v, 1)); }

void ValueAndText(AtkValue* v, gdouble* value, gchar** text) {
    *value = RangeValue(v, 0);
    const AccessibleNode* node = NodeOf(v);
    if (text) *text = node && !node->Value.empty() ? g_strdup(node->Value.c_str()) : nullptr;
}

AtkRange* Range(AtkValue* v) {
    const AccessibleNode* node = NodeOf(v);
    return node && node->HasRange ? atk_range_new(node->Min, node->Max, nullptr) : nullptr;
}

void ValueInit(gpointer iface, gpointer) {
    auto* i = static_cast<AtkValueIface*>(iface);
    i->get_current_value = CurrentValue;
    i->get_minimum_value = MinimumValue;
    i->get_maximum_value = MaximumValue;
    i->get_value_and_text = ValueAndText;
    i->get_range = Range;
}

GType NodeType() {
    static const GType type = [] {
        const GType t = g_type_register_static_simple(ATK_TYPE_OBJECT, "FormsAtkNode", sizeof(AtkObjectClass),
                                                      NodeClassInit, sizeof(AtkNode), nullptr, GTypeFlags(0));
        const GInterfaceInfo component{ComponentInit, nullptr, nullptr};
        g_type_add_interface_static(t, ATK_TYPE_COMPONENT, &component);
        return t;
    }();
    return type;
}

GType Subtype(const char* name, GType iface, GInterfaceInitFunc init) {
    const GType t = g_type_register_static_simple(NodeType(), name, sizeof(AtkObjectClass), nullptr, sizeof(AtkNode),
                                                  nullptr, GTypeFlags(0));
    const GInterfaceInfo info{init, nullptr, nullptr};
    g_type_add_interface_static(t, iface, &info);
    return t;
}

// The window events a toplevel emits, named as the bridge's "window:" events name them.
void WindowClassInit(gpointer klass, gpointer) {
    for (const char* name : {"create", "destroy", "activate", "deactivate"})
        g_signal_new(name, G_TYPE_FROM_CLASS(klass), G_SIGNAL_RUN_LAST, 0, nullptr, nullptr, nullptr, G_TYPE_NONE, 0);
}

GType TypeFor(const AccessibleNode* node) {
    if (node && node->Parent == kNoNode) return AtkWindowType();
    static const GType action = Subtype("FormsAtkActionNode", ATK_TYPE_ACTION, ActionInit);
    static const GType text = Subtype("FormsAtkTextNode", ATK_TYPE_TEXT, TextInit);
    static const GType value = Subtype("FormsAtkValueNode", ATK_TYPE_VALUE, ValueInit);
    if (!node) return NodeType();
    switch (node->Role) {
        case AccessibleRole::PushButton:
            return action;
        case AccessibleRole::StaticText:
        case AccessibleRole::EditableText:
            return text;
        case AccessibleRole::ProgressBar:
        case AccessibleRole::LevelBar:
            return value;
        default:
            return NodeType();
    }
}

}  // namespace

GType AtkWindowType() {
    static const GType type = g_type_register_static_simple(NodeType(), "FormsAtkWindow", sizeof(AtkObjectClass),
                                                            WindowClassInit, sizeof(AtkNode), nullptr, GTypeFlags(0));
    return type;
}

AtkObject* NewAtkNode(AtkHost* host, WindowId w, const AccessibleNode* node) {
    AtkObject* o = ATK_OBJECT(g_object_new(TypeFor(node), nullptr));
    AtkNode* n = Self(o);
    n->host = host;
    n->window = w;
    n->id = node ? node->Id : kNoNode;
    atk_object_set_role(o, node ? AtkRoleOf(*node) : ATK_ROLE_APPLICATION);
    if (node) atk_object_set_name(o, node->Name.c_str());
    return o;
}

void ReleaseAtkNode(AtkObject* o) {
    Self(o)->host = nullptr;
    atk_object_notify_state_change(o, ATK_STATE_DEFUNCT, TRUE);
    g_object_unref(o);
}

AtkRole AtkRoleOf(const AccessibleNode& node) {
    switch (node.Role) {
        case AccessibleRole::Frame:
            return ATK_ROLE_FRAME;
        case AccessibleRole::Dialog:
            return ATK_ROLE_DIALOG;
        case AccessibleRole::Alert:
            return ATK_ROLE_ALERT;
        case AccessibleRole::PushButton:
            return ATK_ROLE_PUSH_BUTTON;
        case AccessibleRole::EditableText:
            return node.States & AccessibleState::Protected ? ATK_ROLE_PASSWORD_TEXT : ATK_ROLE_ENTRY;
        case AccessibleRole::StaticText:
            return ATK_ROLE_LABEL;
        case AccessibleRole::Graphic:
            return ATK_ROLE_IMAGE;
        case AccessibleRole::ProgressBar:
            return ATK_ROLE_PROGRESS_BAR;
        case AccessibleRole::LevelBar:
            return ATK_ROLE_LEVEL_BAR;
    }
    return ATK_ROLE_UNKNOWN;
}

namespace {

// Our state bits as ATK's, in the order listeners hear of them: each ATK state holds
// while our bit is set, or, where WhileClear says so, while it is clear.
struct StateMapping {
    AccessibleState Ours;
    AtkStateType Theirs;
    bool WhileClear;
};
constexpr StateMapping kStates[] = {
    {AccessibleState::Unavailable, ATK_STATE_ENABLED, true},  {AccessibleState::Unavailable, ATK_STATE_SENSITIVE, true},
    {AccessibleState::Invisible, ATK_STATE_VISIBLE, true},    {AccessibleState::Invisible, ATK_STATE_SHOWING, true},
    {AccessibleState::Focusable, ATK_STATE_FOCUSABLE, false}, {AccessibleState::Focused, ATK_STATE_FOCUSED, false},
    {AccessibleState::Default, ATK_STATE_DEFAULT, false},     {AccessibleState::Pressed, ATK_STATE_PRESSED, false},
    {AccessibleState::ReadOnly, ATK_STATE_READ_ONLY, false}};
// The states that follow from the role and the window rather than from a bit, and
// change with them.
constexpr AtkStateType kDerived[] = {ATK_STATE_EDITABLE, ATK_STATE_ACTIVE};

}  // namespace

AtkStateSet* AtkStatesOf(const AccessibleNode& node, bool active) {
    AtkStateSet* set = atk_state_set_new();
    const uint32_t s = node.States;
    for (const StateMapping& m : kStates)
        if (((s & m.Ours) != 0) != m.WhileClear) atk_state_set_add_state(set, m.Theirs);
    if (node.Role == AccessibleRole::EditableText) {
        atk_state_set_add_state(set, ATK_STATE_SINGLE_LINE);
        if (!(s & AccessibleState::ReadOnly)) atk_state_set_add_state(set, ATK_STATE_EDITABLE);
    }
    if (node.Role == AccessibleRole::Alert || node.Role == AccessibleRole::Dialog)
        atk_state_set_add_state(set, ATK_STATE_MODAL);
    if (active) atk_state_set_add_state(set, ATK_STATE_ACTIVE);
    return set;
}

void NotifyAtkStates(AtkObject* o, const AccessibleNode& before, bool wasActive, const AccessibleNode& after,
                     bool active) {
    AtkStateSet* was = AtkStatesOf(before, wasActive);
    AtkStateSet* is = AtkStatesOf(after, active);
    const auto notify = [&](AtkStateType t) {
        const gboolean now = atk_state_set_contains_state(is, t);
        if (now != atk_state_set_contains_state(was, t)) atk_object_notify_state_change(o, t, now);
    };
    for (const StateMapping& m : kStates) notify(m.Theirs);
    for (const AtkStateType t : kDerived) notify(t);
    g_object_unref(was);
    g_object_unref(is);
}

}  // namespace forms::sdl
