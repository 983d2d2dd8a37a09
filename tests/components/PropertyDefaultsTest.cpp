// One check over every registered class and every published property, inherited and
// nested ones (Font, Brush) included:
// - a fresh object holds each declared default, so a subclass that changes an
//   inherited value in its constructor must declare the property anew;
// - what a property reads is what a layout would write: written back to a fresh
//   object through the layout reader, it reads the same.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/OrloExtProgressBar.h"
#include "components/Vumeter.h"
#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/controls/StandardClasses.h"
#include "forms/core/Application.h"
#include "forms/core/Form.h"
#include "forms/core/LayoutReader.h"

using namespace forms;

namespace {

std::string AsLayoutText(const TPropInfo& p, const std::string& value) {
    if (p.TypeName != "String") return value;
    std::string quoted = "'";
    for (char c : value) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

LayoutValue ParseValue(const TPropInfo& p, const std::string& value) {
    const LayoutNode node = ParseLayout("object X: TX\n  " + p.Name + " = " + AsLayoutText(p, value) + "\nend\n", "probe");
    return node.Properties.at(0).Value;
}

// A control's place in its parent's tab order: -1 without a parent, whatever is written.
const std::string kNeedsAParent = "TabOrder";

using Visit = std::function<void(const TPropInfo& p, TObject& object, TObject& other, const std::string& path)>;

// Calls `visit` for every readable property of `object`, with `other` a second
// fresh object of the same class.
void EachReadable(TObject& object, TObject& other, const TClassInfo& info, const std::string& path, const Visit& visit) {
    for (const TPropInfo* p : info.AllProperties()) {
        if (p->Nested) {
            TPersistent* inner = p->Nested(object);
            EachReadable(*inner, *p->Nested(other), inner->ClassType(), path + "." + p->Name, visit);
        } else if (p->Read) {
            visit(*p, object, other, path + "." + p->Name);
        }
    }
}

class EveryClass : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterStandardClasses();
        OrloExtProgressBar::Register();
        Vumeter::Register();
    }
    // Two fresh objects of every registered class, the palette's and the plain form.
    void ForEachPair(const Visit& visit) {
        std::vector<const TClassInfo*> classes = RegisteredClasses();
        for (const auto& entry : DesignPalette()) classes.push_back(entry.second);
        for (const TClassInfo* info : classes) {
            ASSERT_TRUE(info->Create) << info->Name;
            const std::unique_ptr<TComponent> fresh(info->Create(nullptr)), other(info->Create(nullptr));
            EachReadable(*fresh, *other, *info, info->Name, visit);
        }
        TForm form(nullptr), otherForm(nullptr);
        EachReadable(form, otherForm, TForm::StaticClass(), "TForm", visit);
    }

    HeadlessBackend backend;
    TApplication app{backend};
};

TEST_F(EveryClass, AFreshObjectHoldsEveryDeclaredDefault) {
    int compared = 0, storedAlways = 0;
    ForEachPair([&](const TPropInfo& p, TObject& fresh, TObject&, const std::string& path) {
        if (p.NoDefault) {
            EXPECT_EQ(p.Default, "") << path;
            ++storedAlways;
            return;
        }
        EXPECT_EQ(p.Read(fresh), p.Default) << path;
        ++compared;
    });
    EXPECT_GE(compared, 100);
    EXPECT_GE(storedAlways, 10) << "the bounds of every control, the bar's Text";
}

TEST_F(EveryClass, WhatAPropertyReadsALayoutWritesBack) {
    // Values away from the defaults, so that a writer ignoring its value is caught.
    const std::vector<std::pair<std::string, std::string>> changed = {
        {"Integer", "7"}, {"Int64", "7"}, {"Cardinal", "7"}, {"Boolean", "!"}, {"TColor", "clRed"}, {"String", "x'y"}};
    int written = 0;
    ForEachPair([&](const TPropInfo& p, TObject& fresh, TObject& other, const std::string& path) {
        if (!p.Write || !p.Readable) return;
        std::string value = p.Read(fresh);
        for (const auto& [type, text] : changed)
            if (p.TypeName == type && p.Name != kNeedsAParent) value = text == "!" ? (value == "True" ? "False" : "True") : text;
        p.Write(other, ParseValue(p, value), nullptr);
        EXPECT_EQ(p.Read(other), value) << path;
        ++written;
    });
    EXPECT_GE(written, 100);
}

}  // namespace
