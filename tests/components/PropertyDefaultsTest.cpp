// One check over every registered class: a freshly constructed object holds the
// declared default of each published property read through its getter, nested
// properties (Font, Brush) included.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "components/OrloExtProgressBar.h"
#include "components/Vumeter.h"
#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"
#include "forms/core/Form.h"

using namespace forms;

namespace {

// A string's declared default is the empty string: the bar starts with the text "$p%",
// which a layout therefore stores rather than leaves out.
const std::string kStoredAlways = "TOrloExtProgressBar.Text";

// Compares every readable property of `object` with its declared default; returns
// how many it compared.
int ExpectDefaults(const TObject& object, const TClassInfo& info, const std::string& path) {
    int compared = 0;
    for (const TPropInfo* p : info.AllProperties()) {
        if (p->Nested) {
            TPersistent* inner = p->Nested(const_cast<TObject&>(object));
            compared += ExpectDefaults(*inner, inner->ClassType(), path + "." + p->Name);
        } else if (p->Read && path + "." + p->Name != kStoredAlways) {
            EXPECT_EQ(p->Read(object), p->Default) << path << "." << p->Name;
            ++compared;
        }
    }
    return compared;
}

TEST(PropertyDefaults, AFreshObjectOfEveryRegisteredClassHoldsItsDeclaredDefaults) {
    HeadlessBackend backend;
    TApplication app{backend};
    OrloExtProgressBar::Register();
    Vumeter::Register();
    std::vector<const TClassInfo*> classes = RegisteredClasses();
    for (const auto& entry : DesignPalette()) classes.push_back(entry.second);
    int compared = 0;
    for (const TClassInfo* info : classes) {
        ASSERT_TRUE(info->Create) << info->Name;
        const std::unique_ptr<TComponent> fresh(info->Create(nullptr));
        compared += ExpectDefaults(*fresh, *info, info->Name);
    }
    const TForm form(nullptr);
    compared += ExpectDefaults(form, TForm::StaticClass(), "TForm");
    EXPECT_GE(compared, 100) << "properties compared";
}

}  // namespace
