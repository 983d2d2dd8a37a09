#pragma once
#include "ClassInfo.h"
#include "ClassRegistry.h"
#include "PropertyValues.h"

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

}  // namespace forms

// After TObject, which the builder reads as it binds a handler.
#include "ClassBuilder.h"
