#include "ClassInfo.h"

namespace forms {

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        if (c == &other) return true;
    return false;
}

const TPropInfo* TClassInfo::FindProperty(const std::string& name) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const TPropInfo& p : c->Properties)
            if (p.Name == name) return &p;
    return nullptr;
}

const TMethodInfo* TClassInfo::FindMethod(const std::string& name) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const TMethodInfo& m : c->Methods)
            if (m.Name == name) return &m;
    return nullptr;
}

const TFieldInfo* TClassInfo::FindField(const std::string& name) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const TFieldInfo& f : c->Fields)
            if (f.Name == name) return &f;
    return nullptr;
}

const TClassInfo* TClassInfo::FindFieldClass(const std::string& name) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const TFieldInfo& f : c->Fields)
            for (const TClassInfo* t = f.Type; t; t = t->Parent)
                if (t->Name == name) return t;
    return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::AllProperties() const {
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = this; c; c = c->Parent) chain.insert(chain.begin(), c);
    std::vector<const TPropInfo*> out;
    for (const TClassInfo* c : chain)
        for (const TPropInfo& p : c->Properties) {
            bool seen = false;
            for (const TPropInfo*& q : out)
                if (q->Name == p.Name) {
                    q = &p;
                    seen = true;
                }
            if (!seen) out.push_back(&p);
        }
    return out;
}

}  // namespace forms
