#pragma once
// The type records of the library's classes: each class's published properties, event
// handlers and control fields, which the layout reader and writer go by. The registry
// is ClassRegistry.h, the value conversions PropertyValues.h, the builder that fills a
// record ClassBuilder.h; Object.h brings all four.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "LayoutValue.h"

namespace forms {

class TObject;
class TPersistent;
class TComponent;
class TClassInfo;

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char32_t& Key)>;

// A name table for enumerations and sets: identifier and ordinal (or bit).
using NameTable = std::vector<std::pair<std::string, int64_t>>;

// A published property: its name, type, declared default and write accessor.
struct TPropInfo {
    std::string Name;
    std::string TypeName;
    // The declared default as a layout would write it: a layout leaves out a property
    // holding it. Empty for a property that declares none (NoDefault, events, data).
    std::string Default;
    bool NoDefault = false;  // always stored, whatever it holds
    bool Readable = true;    // write-only properties are never saved with a layout
    // The current value as a layout would write it; empty for write-only properties.
    std::function<std::string(const TObject& self)> Read;
    // Applies a layout value through the write accessor; EPropertyError on a bad value.
    std::function<void(TObject& self, const LayoutValue& v, TObject* handlerOwner)> Write;
    // For nested properties (Font): the object whose own properties follow the dot.
    std::function<TPersistent*(TObject& self)> Nested;
};

// An event handler a form class publishes, bindable by name from a layout.
struct TMethodInfo {
    std::string Name;
    std::function<TNotifyEvent(TObject& self)> Notify;
    std::function<TKeyPressEvent(TObject& self)> KeyPress;
};

// A published control field of a form class, assigned when the layout creates a
// component of that name.
struct TFieldInfo {
    std::string Name;
    const TClassInfo* Type = nullptr;
    std::function<void(TObject& self, TComponent* value)> Assign;
};

class TClassInfo {
public:
    std::string Name;
    const TClassInfo* Parent = nullptr;
    std::function<TComponent*(TComponent* owner)> Create;  // the virtual constructor; empty if abstract
    std::vector<TPropInfo> Properties;  // this class's own published properties, in declaration order
    std::vector<TMethodInfo> Methods;
    std::vector<TFieldInfo> Fields;

    bool InheritsFrom(const TClassInfo& other) const;
    // Searches this class, then its ancestors.
    const TPropInfo* FindProperty(const std::string& name) const;
    const TMethodInfo* FindMethod(const std::string& name) const;
    const TFieldInfo* FindField(const std::string& name) const;
    // A class named in a published field of this class or an ancestor.
    const TClassInfo* FindFieldClass(const std::string& name) const;
    // Every published property, inherited ones first, each name once.
    std::vector<const TPropInfo*> AllProperties() const;
};

// Declares the class information accessors of a library class.
#define FORMS_CLASS(Name)                            \
public:                                              \
    static const ::forms::TClassInfo& StaticClass(); \
    const ::forms::TClassInfo& ClassType() const override { return StaticClass(); }

}  // namespace forms
