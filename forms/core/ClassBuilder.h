#pragma once
// The builder of a class's type record (ClassInfo.h). It and Object.h include each
// other: BindHandler reads TObject's class record, and every class that has one
// builds it.
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "ClassInfo.h"
#include "Exceptions.h"
#include "LayoutValue.h"
#include "Object.h"
#include "PropertyValues.h"
#include "forms/graphics/Color.h"

namespace forms {

// Builds the class information of C, each property beside its setter and getter:
//   ClassBuilder<TButton>("TButton", &TWinControl::StaticClass())
//       .Creatable().Bool("Cancel", &TButton::SetCancel).Reads(&TButton::Cancel).Build();
// The declared default of a property with a getter is what a freshly constructed C
// holds, so the constructor and the member initialisers are the one place that
// states it. A write-only property has nothing to read and declares its default
// with WriteOnly; a property that declares none says NoDefault.
template <class C>
class ClassBuilder {
public:
    ClassBuilder(std::string name, const TClassInfo* parent) {
        info_.Name = std::move(name);
        info_.Parent = parent;
    }

    ClassBuilder& Creatable() {
        info_.Create = [](TComponent* owner) -> TComponent* { return new C(owner); };
        return *this;
    }

    template <class T>
    ClassBuilder& Int(const std::string& name, void (C::*set)(T), const char* type = "Integer") {
        format_ = [](int64_t v) { return std::to_string(v); };
        return AddValue(name, type, [set](TObject& o, const LayoutValue& v, TObject*) {
            (static_cast<C&>(o).*set)(static_cast<T>(ToInteger(v, static_cast<int64_t>(std::numeric_limits<T>::min()),
                                                               static_cast<int64_t>(std::numeric_limits<T>::max()))));
        });
    }
    ClassBuilder& Bool(const std::string& name, void (C::*set)(bool)) {
        format_ = [](int64_t v) { return std::string(v ? "True" : "False"); };
        return AddValue(name, "Boolean",
                        [set](TObject& o, const LayoutValue& v, TObject*) { (static_cast<C&>(o).*set)(ToBool(v)); });
    }
    ClassBuilder& Color(const std::string& name, void (C::*set)(TColor)) {
        format_ = [](int64_t v) { return ColorToName(static_cast<TColor>(v)); };
        return AddValue(name, "TColor",
                        [set](TObject& o, const LayoutValue& v, TObject*) { (static_cast<C&>(o).*set)(ToColor(v)); });
    }
    template <class S, class A>
    ClassBuilder& String(const std::string& name, void (C::*set)(A)) {
        format_ = nullptr;
        return AddValue(name, "String", [set](TObject& o, const LayoutValue& v, TObject*) {
            (static_cast<C&>(o).*set)(S(ToString(v)));
        });
    }
    ClassBuilder& String(const std::string& name, void (C::*set)(const std::string&)) {
        return String<std::string>(name, set);
    }
    ClassBuilder& String(const std::string& name, void (C::*set)(std::string)) {
        return String<std::string>(name, set);
    }
    template <class E>
    ClassBuilder& Enum(const std::string& name, const char* type, void (C::*set)(E), const NameTable& names) {
        format_ = [names](int64_t v) { return NameOf(names, v); };
        return AddValue(name, type, [set, names](TObject& o, const LayoutValue& v, TObject*) {
            (static_cast<C&>(o).*set)(static_cast<E>(ToEnum(v, names)));
        });
    }
    template <class S>
    ClassBuilder& Set(const std::string& name, const char* type, void (C::*set)(S), const NameTable& bits) {
        format_ = [bits](int64_t v) { return SetText(bits, v); };
        return AddValue(name, type, [set, bits](TObject& o, const LayoutValue& v, TObject*) {
            (static_cast<C&>(o).*set)(static_cast<S>(ToSet(v, bits)));
        });
    }
    ClassBuilder& Binary(const std::string& name, void (C::*set)(const std::vector<uint8_t>&)) {
        return Add(name, "Binary", [set](TObject& o, const LayoutValue& v, TObject*) {
            if (v.kind != LayoutValue::Kind::Binary) throw EPropertyError("binary data expected");
            (static_cast<C&>(o).*set)(v.bytes);
        });
    }
    template <class P>
    ClassBuilder& Nested(const std::string& name, const char* type, P* (C::*get)()) {
        RequireDecided();
        TPropInfo p;
        p.Name = name;
        p.TypeName = type;
        p.Nested = [get](TObject& o) -> TPersistent* { return (static_cast<C&>(o).*get)(); };
        info_.Properties.push_back(std::move(p));
        return *this;
    }
    ClassBuilder& Event(const std::string& name, TNotifyEvent C::*field) {
        return Add(name, "TNotifyEvent", [field, name](TObject& o, const LayoutValue& v, TObject* owner) {
            const TMethodInfo& m = BindHandler(v, owner, name);
            if (!m.Notify) throw EPropertyError("handler " + m.Name + " does not fit " + name);
            static_cast<C&>(o).*field = m.Notify(*owner);
        });
    }
    ClassBuilder& Event(const std::string& name, void (C::*set)(TNotifyEvent)) {
        return Add(name, "TNotifyEvent", [set, name](TObject& o, const LayoutValue& v, TObject* owner) {
            const TMethodInfo& m = BindHandler(v, owner, name);
            if (!m.Notify) throw EPropertyError("handler " + m.Name + " does not fit " + name);
            (static_cast<C&>(o).*set)(m.Notify(*owner));
        });
    }
    ClassBuilder& Event(const std::string& name, TKeyPressEvent C::*field) {
        return Add(name, "TKeyPressEvent", [field, name](TObject& o, const LayoutValue& v, TObject* owner) {
            const TMethodInfo& m = BindHandler(v, owner, name);
            if (!m.KeyPress) throw EPropertyError("handler " + m.Name + " does not take a key");
            static_cast<C&>(o).*field = m.KeyPress(*owner);
        });
    }
    // Re-publishes a property an ancestor declared but did not publish.
    ClassBuilder& Publish(const TPropInfo& inherited) {
        RequireDecided();
        info_.Properties.push_back(inherited);
        return *this;
    }
    // The property just registered has no getter; a layout never stores it.
    ClassBuilder& WriteOnly(int64_t declaredDefault) {
        TPropInfo& p = Decide();
        p.Readable = false;
        p.Default = format_(declaredDefault);
        return *this;
    }
    // The property just registered declares no default: a layout always stores it.
    ClassBuilder& NoDefault() {
        Decide().NoDefault = true;
        return *this;
    }
    // Gives the property just registered its getter, read in the form a layout writes;
    // unless NoDefault follows, its default is what a fresh object holds.
    template <class G>
    ClassBuilder& Reads(G get) {
        derived_.push_back(info_.Properties.size() - 1);
        Decide();
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
    ClassBuilder& Field(const std::string& name, F* C::*member) {
        info_.Fields.push_back({name, &F::StaticClass(), [member](TObject& o, TComponent* value) {
                                    static_cast<C&>(o).*member = static_cast<F*>(value);
                                }});
        return *this;
    }
    ClassBuilder& Method(const std::string& name, void (C::*m)(TObject*)) {
        TMethodInfo mi;
        mi.Name = name;
        mi.Notify = [m](TObject& self) -> TNotifyEvent {
            C* c = &static_cast<C&>(self);
            return [c, m](TObject* sender) { (c->*m)(sender); };
        };
        info_.Methods.push_back(std::move(mi));
        return *this;
    }
    ClassBuilder& Method(const std::string& name, void (C::*m)(TObject*, char32_t&)) {
        TMethodInfo mi;
        mi.Name = name;
        mi.KeyPress = [m](TObject& self) -> TKeyPressEvent {
            C* c = &static_cast<C&>(self);
            return [c, m](TObject* sender, char32_t& key) { (c->*m)(sender, key); };
        };
        info_.Methods.push_back(std::move(mi));
        return *this;
    }

    TClassInfo Build() {
        RequireDecided();
        if (!derived_.empty()) {
            const std::unique_ptr<C> fresh = Fresh();
            for (size_t i : derived_) {
                TPropInfo& p = info_.Properties[i];
                if (!p.NoDefault) p.Default = p.Read(*fresh);
            }
        }
        return std::move(info_);
    }

private:
    template <class W>
    ClassBuilder& Add(const std::string& name, const char* type, W write) {
        RequireDecided();
        TPropInfo p;
        p.Name = name;
        p.TypeName = type;
        p.Write = std::move(write);
        info_.Properties.push_back(std::move(p));
        return *this;
    }
    // A property holding a value must then say where its default comes from.
    template <class W>
    ClassBuilder& AddValue(const std::string& name, const char* type, W write) {
        Add(name, type, std::move(write));
        undecided_ = true;
        return *this;
    }
    void RequireDecided() const {
        if (undecided_)
            throw std::logic_error(info_.Name + "." + info_.Properties.back().Name +
                                   ": a value property needs Reads, NoDefault or WriteOnly");
    }
    TPropInfo& Decide() {
        undecided_ = false;
        return info_.Properties.back();
    }
    static std::unique_ptr<C> Fresh() {
        if constexpr (std::is_constructible_v<C, TComponent*>) return std::make_unique<C>(nullptr);
        else if constexpr (std::is_default_constructible_v<C>) return std::make_unique<C>();
        else throw std::logic_error("a class without a plain constructor cannot derive defaults");
    }
    static const TMethodInfo& BindHandler(const LayoutValue& v, TObject* owner, const std::string& event);

    TClassInfo info_;
    std::function<std::string(int64_t)> format_;  // the last property's value as layout text
    bool undecided_ = false;       // the last property holds a value and has neither getter nor declared default
    std::vector<size_t> derived_;  // properties whose default a fresh object gives
};

template <class C>
const TMethodInfo& ClassBuilder<C>::BindHandler(const LayoutValue& v, TObject* owner, const std::string& event) {
    if (v.kind != LayoutValue::Kind::Identifier) throw EPropertyError("handler name expected for " + event);
    if (!owner) throw EPropertyError("no form to take handler " + v.text);
    const TMethodInfo* m = owner->ClassType().FindMethod(v.text);
    if (!m) throw EPropertyError("unknown handler " + v.text);
    if (!m->Notify && !m->KeyPress) throw EPropertyError("unknown handler " + v.text);
    return *m;
}

}  // namespace forms
