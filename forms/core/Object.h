#pragma once
#include "ClassInfo.h"

namespace forms {

class TObject {
public:
    virtual ~TObject() = default;
    static const TClassInfo& StaticClass();
    virtual const TClassInfo& ClassType() const { return StaticClass(); }
    const std::string& ClassName() const { return ClassType().Name; }
    bool InheritsFrom(const TClassInfo& c) const { return ClassType().InheritsFrom(c); }
};

class TPersistent : public TObject {
    FORMS_CLASS(TPersistent)
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
