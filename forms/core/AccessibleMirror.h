#pragma once
// A backend's copy of one window's description, kept current from the core's
// notifications (Backend.h). Every backend holds its windows' descriptions in one
// of these, so that they all read a change the same way.
#include <optional>
#include <utility>

#include "Accessible.h"

namespace forms {

struct AccessibleMirror : AccessibleTree {
    AccessibleMirror& operator=(const AccessibleTree& tree) {
        AccessibleTree::operator=(tree);
        return *this;
    }

    // A changed node comes whole, its children included as the core holds them now,
    // and replaces the node held under its id. Returns the node as it was before, or
    // nothing when no node of that id is held: then nothing changes.
    std::optional<AccessibleNode> Replace(const AccessibleNode& node) {
        for (AccessibleNode& n : Nodes)
            if (n.Id == node.Id) return std::exchange(n, node);
        return std::nullopt;
    }
};

}  // namespace forms
