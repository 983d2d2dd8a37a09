#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "Component.h"
#include "LayoutValue.h"

namespace forms {

// Stored layouts are text, one file per window:
//
//   object MainForm: TMainForm
//     Caption = 'Lyrimat to Vocarium'
//     Font.Height = -11
//     BorderIcons = [biSystemMenu, biMinimize]
//     OnShow = FormShow
//     object Button1: TButton
//       Left = 16
//     end
//   end
//
// Values: integers (decimal, or hex after '$'), strings in single quotes ('' is a
// quote; #nnn a character by number; pieces may be joined by +), identifiers
// (enumerations, colours, True/False, handler names), sets in brackets and binary
// data in braces as hex digits. Lines starting with // are comments.
struct LayoutProperty {
    std::string Name;  // may be dotted: Font.Name
    LayoutValue Value;
    int Line = 0;
};

struct LayoutNode {
    std::string Name;
    std::string ClassName;
    int Line = 0;
    std::vector<LayoutProperty> Properties;
    std::vector<LayoutNode> Children;
};

// Both throw ELayoutError naming the layout, the line and what is wrong.
LayoutNode ParseLayout(std::string_view text, const std::string& layoutName);
// Applies a parsed layout to an existing root (a form), creating its components:
// each is constructed with its defaults, then gets its properties one by one
// through their write accessors in the order the layout lists them.
void ApplyLayout(TComponent& root, const LayoutNode& node, const std::string& layoutName);
void ReadLayoutText(TComponent& root, std::string_view text, const std::string& layoutName);
// Reads the stored layout "<name>.layout", whose text the program keeps; an empty
// text is no stored layout.
void ReadLayout(TComponent& root, std::string_view name, std::string_view text);

}  // namespace forms
