#pragma once
// A window's description for assistive technology as rows of words, one a node, so
// that a test states a whole form as one table.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "forms/backends/headless/HeadlessBackend.h"

struct AccessibleRow {
    std::string role, name, value, states;
    bool operator==(const AccessibleRow& o) const { return std::tie(role, name, value, states) == std::tie(o.role, o.name, o.value, o.states); }
};

inline void PrintTo(const AccessibleRow& r, std::ostream* os) {
    *os << "{" << r.role << ", \"" << r.name << "\", \"" << r.value << "\", " << r.states << "}";
}

inline std::vector<AccessibleRow> AccessibleRows(const forms::AccessibleTree& tree) {
    static const char* const roles[] = {"frame",      "dialog",  "alert",        "push button", "text",
                                        "static text", "graphic", "progress bar", "level bar"};
    static const char* const states[] = {"focusable", "focused", "default", "cancel",   "unavailable",
                                         "invisible", "pressed", "read-only", "protected"};
    std::vector<AccessibleRow> rows;
    for (const forms::AccessibleNode& n : tree.Nodes) {
        AccessibleRow r{roles[static_cast<int>(n.Role)], n.Name, n.Value, ""};
        for (int bit = 0; bit < 9; ++bit)
            if (n.States & (1u << bit)) r.states += (r.states.empty() ? "" : " ") + std::string(states[bit]);
        rows.push_back(r);
    }
    return rows;
}

// The rows of what the headless backend holds for window w, nodes in tree order.
inline std::vector<AccessibleRow> AccessibleRows(const forms::HeadlessBackend& backend, forms::WindowId w) {
    return AccessibleRows(backend.Find(w)->Accessible);
}

// The id of the first node of that name in window w.
inline int32_t AccessibleIdOf(const forms::HeadlessBackend& backend, forms::WindowId w, const std::string& name) {
    for (const forms::AccessibleNode& n : backend.Find(w)->Accessible.Nodes)
        if (n.Name == name) return n.Id;
    ADD_FAILURE() << "no node named " << name;
    return forms::kNoNode;
}
