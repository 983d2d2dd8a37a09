#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "Exceptions.h"
#include "LayoutValue.h"
#include "../graphics/Color.h"

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
    std::string Default;  // declared default as a layout would write it; empty when none
    bool Readable = true;  // write-only properties are never saved with a layout
    // The current value as a layout would write it, for properties registered with
    // their getter; a fresh object's value is the declared default.
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

// Classes the layout reader can create without a form naming them in a field.
void RegisterClass(const TClassInfo& info);
// Registers the library's standard classes once: the controls layer defines
// RegisterStandardClasses, the registry and the application run it before first use.
void RegisterStandardClasses();
void EnsureStandardClasses();
const TClassInfo* FindClass(const std::string& name);
// Every registered class, by name.
std::vector<const TClassInfo*> RegisteredClasses();

// A visual form designer's component palette. The running tool never calls it.
void RegisterComponents(const std::string& page, std::initializer_list<const TClassInfo*> classes);
std::vector<std::pair<std::string, const TClassInfo*>> DesignPalette();

// Value conversions shared by the property writers; each throws EPropertyError.
int64_t ToInteger(const LayoutValue& v, int64_t lo, int64_t hi);
bool ToBool(const LayoutValue& v);
TColor ToColor(const LayoutValue& v);
int64_t ToEnum(const LayoutValue& v, const NameTable& names);
int64_t ToSet(const LayoutValue& v, const NameTable& names);
const std::string& ToString(const LayoutValue& v);
std::string NameOf(const NameTable& names, int64_t value);
// A set as a layout writes it: "[akLeft, akTop]", names in the table's order.
std::string SetText(const NameTable& names, int64_t bits);

// Builds the class information of C, registering properties next to their defaults:
//   TClassBuilder<TButton>("TButton", &TButtonControl::StaticClass())
//       .Creatable().String("Caption", &TButton::SetCaption).Build();
template <class C>
class TClassBuilder {
public:
    TClassBuilder(std::string name, const TClassInfo* parent) {
        info_.Name = std::move(name);
        info_.Parent = parent;
    }

    TClassBuilder& Creatable() {
        info_.Create = [](TComponent* owner) -> TComponent* { return new C(owner); };
        return *this;
    }

    template <class T>
    TClassBuilder& Int(const std::string& name, void (C::*set)(T), T def, const char* type = "Integer") {
        format_ = [](int64_t v) { return std::to_string(v); };
        return Add(name, type, std::to_string(def), [set](TObject& o, const LayoutValue& v, TObject*) {
            (static_cast<C&>(o).*set)(static_cast<T>(
                ToInteger(v, static_cast<int64_t>(std::numeric_limits<T>::min()),
                          static_cast<int64_t>(std::numeric_limits<T>::max()))));
        });
    }
    template <class T>
    TClassBuilder& IntNoDefault(const std::string& name, void (C::*set)(T), const char* type = "Integer") {
        Int(name, set, T{}, type);
        info_.Properties.back().Default.clear();
        return *this;
    }
    TClassBuilder& Bool(const std::string& name, void (C::*set)(bool), bool def) {
        format_ = [](int64_t v) { return std::string(v ? "True" : "False"); };
        return Add(name, "Boolean", def ? "True" : "False", [set](TObject& o, const LayoutValue& v, TObject*) {
            (static_cast<C&>(o).*set)(ToBool(v));
        });
    }
    TClassBuilder& Color(const std::string& name, void (C::*set)(TColor), TColor def) {
        format_ = [](int64_t v) { return ColorToName(static_cast<TColor>(v)); };
        return Add(name, "TColor", ColorToName(def), [set](TObject& o, const LayoutValue& v, TObject*) {
            (static_cast<C&>(o).*set)(ToColor(v));
        });
    }
    template <class S, class A>
    TClassBuilder& String(const std::string& name, void (C::*set)(A), const char* def = nullptr) {
        return Add(name, "String", def ? def : "", [set](TObject& o, const LayoutValue& v, TObject*) {
            (static_cast<C&>(o).*set)(S(ToString(v)));
        });
    }
    TClassBuilder& String(const std::string& name, void (C::*set)(const std::string&), const char* def = nullptr) {
        return String<std::string>(name, set, def);
    }
    TClassBuilder& String(const std::string& name, void (C::*set)(std::string), const char* def = nullptr) {
        return String<std::string>(name, set, def);
    }
    template <class E>
    TClassBuilder& Enum(const std::string& name, const char* type, void (C::*set)(E), E def, const NameTable& names) {
        format_ = [names](int64_t v) { return NameOf(names, v); };
        return Add(name, type, NameOf(names, static_cast<int64_t>(def)),
                   [set, names](TObject& o, const LayoutValue& v, TObject*) {
                       (static_cast<C&>(o).*set)(static_cast<E>(ToEnum(v, names)));
                   });
    }
    template <class S>
    TClassBuilder& Set(const std::string& name, const char* type, void (C::*set)(S), const NameTable& bits,
                       int64_t def = 0) {
        format_ = [bits](int64_t v) { return SetText(bits, v); };
        return Add(name, type, SetText(bits, def), [set, bits](TObject& o, const LayoutValue& v, TObject*) {
            (static_cast<C&>(o).*set)(static_cast<S>(ToSet(v, bits)));
        });
    }
    TClassBuilder& Binary(const std::string& name, void (C::*set)(const std::vector<uint8_t>&)) {
        return Add(name, "Binary", "", [set](TObject& o, const LayoutValue& v, TObject*) {
            if (v.kind != LayoutValue::Kind::Binary) throw EPropertyError("binary data expected");
            (static_cast<C&>(o).*set)(v.bytes);
        });
    }
    template <class P>
    TClassBuilder& Nested(const std::string& name, const char* type, P* (C::*get)()) {
        TPropInfo p;
        p.Name = name;
        p.TypeName = type;
        p.Nested = [get](TObject& o) -> TPersistent* { return (static_cast<C&>(o).*get)(); };
        info_.Properties.push_back(std::move(p));
        return *this;
    }
    TClassBuilder& Event(const std::string& name, TNotifyEvent C::*field) {
        return Add(name, "TNotifyEvent", "", [field, name](TObject& o, const LayoutValue& v, TObject* owner) {
            const TMethodInfo& m = BindHandler(v, owner, name);
            if (!m.Notify) throw EPropertyError("handler " + m.Name + " does not fit " + name);
            static_cast<C&>(o).*field = m.Notify(*owner);
        });
    }
    TClassBuilder& Event(const std::string& name, void (C::*set)(TNotifyEvent)) {
        return Add(name, "TNotifyEvent", "", [set, name](TObject& o, const LayoutValue& v, TObject* owner) {
            const TMethodInfo& m = BindHandler(v, owner, name);
            if (!m.Notify) throw EPropertyError("handler " + m.Name + " does not fit " + name);
            (static_cast<C&>(o).*set)(m.Notify(*owner));
        });
    }
    TClassBuilder& Event(const std::string& name, TKeyPressEvent C::*field) {
        return Add(name, "TKeyPressEvent", "", [field, name](TObject& o, const LayoutValue& v, TObject* owner) {
            const TMethodInfo& m = BindHandler(v, owner, name);
            if (!m.KeyPress) throw EPropertyError("handler " + m.Name + " does not take a key");
            static_cast<C&>(o).*field = m.KeyPress(*owner);
        });
    }
    // Re-publishes a property an ancestor declared but did not publish.
    TClassBuilder& Publish(const TPropInfo& inherited) {
        info_.Properties.push_back(inherited);
        return *this;
    }
    TClassBuilder& WriteOnly() {
        info_.Properties.back().Readable = false;
        return *this;
    }
    // Gives the property just registered its getter, read in the form of its default.
    template <class G>
    TClassBuilder& Reads(G get) {
        using V = std::decay_t<std::invoke_result_t<G, const C&>>;
        if constexpr (std::is_convertible_v<V, std::string>) {
            info_.Properties.back().Read = [get](const TObject& o) {
                return std::string(std::invoke(get, static_cast<const C&>(o)));
            };
        } else {
            info_.Properties.back().Read = [get, format = format_](const TObject& o) {
                return format(static_cast<int64_t>(std::invoke(get, static_cast<const C&>(o))));
            };
        }
        return *this;
    }

    template <class F>
    TClassBuilder& Field(const std::string& name, F* C::*member) {
        info_.Fields.push_back({name, &F::StaticClass(), [member](TObject& o, TComponent* value) {
                                    static_cast<C&>(o).*member = static_cast<F*>(value);
                                }});
        return *this;
    }
    TClassBuilder& Method(const std::string& name, void (C::*m)(TObject*)) {
        TMethodInfo mi;
        mi.Name = name;
        mi.Notify = [m](TObject& self) -> TNotifyEvent {
            C* c = &static_cast<C&>(self);
            return [c, m](TObject* sender) { (c->*m)(sender); };
        };
        info_.Methods.push_back(std::move(mi));
        return *this;
    }
    TClassBuilder& Method(const std::string& name, void (C::*m)(TObject*, char32_t&)) {
        TMethodInfo mi;
        mi.Name = name;
        mi.KeyPress = [m](TObject& self) -> TKeyPressEvent {
            C* c = &static_cast<C&>(self);
            return [c, m](TObject* sender, char32_t& key) { (c->*m)(sender, key); };
        };
        info_.Methods.push_back(std::move(mi));
        return *this;
    }

    TClassInfo Build() { return std::move(info_); }

private:
    template <class W>
    TClassBuilder& Add(const std::string& name, const char* type, std::string def, W write) {
        TPropInfo p;
        p.Name = name;
        p.TypeName = type;
        p.Default = std::move(def);
        p.Write = std::move(write);
        info_.Properties.push_back(std::move(p));
        return *this;
    }
    static const TMethodInfo& BindHandler(const LayoutValue& v, TObject* owner, const std::string& event);

    TClassInfo info_;
    std::function<std::string(int64_t)> format_;  // the last property's value as layout text
};

// Declares the class information accessors of a library class.
#define FORMS_CLASS(Name)                                                     \
public:                                                                       \
    static const ::forms::TClassInfo& StaticClass();                          \
    const ::forms::TClassInfo& ClassType() const override { return StaticClass(); }

}  // namespace forms
