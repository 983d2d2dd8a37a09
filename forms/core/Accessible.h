#pragma once
// What a window tells assistive technology about itself, as plain data: backends
// receive it through Backend.h and never see the forms and controls it comes from.
#include <cstdint>
#include <string>
#include <vector>

#include "forms/graphics/Geometry.h"

namespace forms {

// What a node is to a screen reader. Each backend maps these to its own roles.
enum class AccessibleRole : uint8_t {
    Frame,   // a main window
    Dialog,  // any other window
    Alert,   // the message form
    PushButton,
    EditableText,  // with AccessibleState::Protected, a password field
    StaticText,    // a label
    Graphic,
    ProgressBar,
    LevelBar  // a level meter
};

// State bits of a node.
enum class AccessibleState : uint32_t {
    Focusable = 1,
    Focused = 2,
    Default = 4,       // the button Enter presses
    Cancel = 8,        // the button Escape presses
    Unavailable = 16,  // disabled
    Invisible = 32,    // hidden, or inside something hidden
    Pressed = 64,
    ReadOnly = 128,
    Protected = 256  // its value is a secret: Value stays empty
};

// A node's States hold these bits: a set is added to, tested and joined with them.
constexpr uint32_t operator|(AccessibleState a, AccessibleState b) {
    return static_cast<uint32_t>(a) | static_cast<uint32_t>(b);
}
constexpr uint32_t operator&(uint32_t states, AccessibleState a) { return states & static_cast<uint32_t>(a); }
constexpr uint32_t& operator|=(uint32_t& states, AccessibleState a) { return states |= static_cast<uint32_t>(a); }

// Ids are unique within a window and stay the same for a control's whole life; the
// window itself is always node 0, and kNoNode stands for none.
constexpr int32_t kWindowNode = 0;
constexpr int32_t kNoNode = -1;

struct AccessibleNode {
    int32_t Id = kNoNode;
    int32_t Parent = kNoNode;  // kNoNode for the window
    AccessibleRole Role = AccessibleRole::Graphic;
    std::string Name;
    std::string Value;
    std::string Description;
    std::string DefaultAction;  // empty: it has none
    // Min, Max and Current mean something only when HasRange holds.
    bool HasRange = false;
    double Min = 0, Max = 0, Current = 0;
    uint32_t States = 0;
    TRect Bounds;                   // in the window's client coordinates
    std::vector<int32_t> Children;  // in painting order, bottom first
    int32_t LabelledBy = kNoNode;   // the label that names this node
    int32_t LabelFor = kNoNode;     // the node this label names
};

// Whether a screen reader's request to run the node's default action runs it: as a
// click, only on a node that names one and is showing and enabled. The core decides
// by this on the tree as it is now; a backend answers the request by it on its copy.
inline bool RunsDefaultAction(const AccessibleNode& n) {
    return !n.DefaultAction.empty() && !(n.States & AccessibleState::Invisible) &&
           !(n.States & AccessibleState::Unavailable);
}

// A window's description. Nodes[0] is the window; every node comes after its parent.
struct AccessibleTree {
    std::vector<AccessibleNode> Nodes;
    int32_t Focus = kNoNode;  // the node with the keyboard focus, if the window has it

    const AccessibleNode* Find(int32_t id) const {
        for (const AccessibleNode& n : Nodes)
            if (n.Id == id) return &n;
        return nullptr;
    }
};

// What changed in a node that a backend already holds.
enum class AccessibleChange : uint8_t { Name, Value, State, Bounds };

}  // namespace forms
