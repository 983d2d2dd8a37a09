#include "Object.h"

namespace forms {

const TClassInfo& TObject::StaticClass() {
    static const TClassInfo info = [] {
        TClassInfo c;
        c.Name = "TObject";
        return c;
    }();
    return info;
}

const TClassInfo& TPersistent::StaticClass() {
    static const TClassInfo info = ClassBuilder<TPersistent>("TPersistent", &TObject::StaticClass()).Build();
    return info;
}

}  // namespace forms
