#pragma once
// A window's description for assistive technology as one line a node, so that a
// test states a whole form as one table: role 'name' = value position of min..max states.
#include <string>
#include <vector>

#include "forms/backends/headless/HeadlessBackend.h"

inline std::string AccessibleRow(const forms::AccessibleNode& n) {
    static const char* const roles[] = {"frame",       "dialog",  "alert",        "push button", "text",
                                        "static text", "graphic", "progress bar", "level bar"};
    static const char* const states[] = {"focusable", "focused", "default",   "cancel",   "unavailable",
                                         "invisible", "pressed", "read-only", "protected"};
    std::string row = std::string(roles[static_cast<int>(n.Role)]) + " '" + n.Name + "'";
    if (!n.Value.empty()) row += " = " + n.Value;
    const auto number = [](double v) { return std::to_string(static_cast<long long>(v)); };
    if (n.HasRange) row += " " + number(n.Current) + " of " + number(n.Min) + ".." + number(n.Max);
    for (int bit = 0; bit < 9; ++bit)
        if (n.States & (1u << bit)) row += std::string(" ") + states[bit];
    return row;
}

inline std::vector<std::string> AccessibleRows(const forms::AccessibleTree& tree) {
    std::vector<std::string> rows;
    for (const forms::AccessibleNode& n : tree.Nodes) rows.push_back(AccessibleRow(n));
    return rows;
}

inline std::vector<std::string> AccessibleRows(const forms::HeadlessBackend& backend, forms::WindowId w) {
    return AccessibleRows(backend.Find(w)->Accessible);
}
