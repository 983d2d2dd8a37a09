#include "ClassRegistry.h"

#include <map>

namespace forms {

namespace {
std::map<std::string, const TClassInfo*>& Registry() {
    static std::map<std::string, const TClassInfo*> registry;
    return registry;
}
std::vector<std::pair<std::string, const TClassInfo*>>& Palette() {
    static std::vector<std::pair<std::string, const TClassInfo*>> palette;
    return palette;
}
}  // namespace

void RegisterClass(const TClassInfo& info) { Registry()[info.Name] = &info; }

const TClassInfo* FindClass(const std::string& name) {
    auto it = Registry().find(name);
    return it == Registry().end() ? nullptr : it->second;
}

std::vector<const TClassInfo*> RegisteredClasses() {
    std::vector<const TClassInfo*> out;
    for (const auto& entry : Registry()) out.push_back(entry.second);
    return out;
}

void RegisterComponents(const std::string& page, std::initializer_list<const TClassInfo*> classes) {
    for (const TClassInfo* c : classes) Palette().emplace_back(page, c);
}

std::vector<std::pair<std::string, const TClassInfo*>> DesignPalette() { return Palette(); }

}  // namespace forms
