// Two checks over every registered class and every published property, inherited and
// nested ones (Font, Brush) included:
// - a fresh object holds the declared defaults that other classes stated: those it
//   inherits, those of TControl's standard set it re-publishes, and those of a nested
//   object's class. A subclass that changes such a value in its constructor must
//   declare the property anew, or a layout would leave out a value the object does
//   not hold. A class's own properties need no check: their defaults are read from a
//   fresh object of that very class.
// - what a property reads is what a layout would write: written back to a fresh
//   object through the layout reader, it reads the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
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
    const LayoutNode node =
        ParseLayout("object X: TX\n  " + p.Name + " = " + AsLayoutText(p, value) + "\nend\n", "probe");
    return node.Properties.at(0).Value;
}

// A control's place in its parent's tab order: -1 without a parent, whatever is written.
const std::string kNeedsAParent = "TabOrder";

// A copy of a property of TControl's standard set carries the default a fresh
// TControl holds.
bool FromTheStandardSet(const TPropInfo& p) {
    try {
        return TControl::Protected(p.Name).Default == p.Default;
    } catch (const std::out_of_range&) {
        return false;
    }
}

// Whether `info` read p's declared default from a fresh object of its own class.
bool StatesItsOwnDefault(const TClassInfo& info, const TPropInfo& p) {
    const bool own =
        std::any_of(info.Properties.begin(), info.Properties.end(), [&](const TPropInfo& q) { return &q == &p; });
    return own && !(info.InheritsFrom(TControl::StaticClass()) && FromTheStandardSet(p));
}

// `ownDefault`: the default was read from a fresh object of the class being visited.
using Visit =
    std::function<void(const TPropInfo& p, TObject& object, TObject& other, const std::string& path, bool ownDefault)>;

// Calls `visit` for every readable property of `object`, with `other` a second
// fresh object of the same class. The objects of nested properties belong to their
// control, so no default of theirs counts as their own.
void EachReadable(TObject& object, TObject& other, const TClassInfo& info, const std::string& path, const Visit& visit,
                  bool nested = false) {
    for (const TPropInfo* p : info.AllProperties()) {
        if (p->Nested) {
            TPersistent* inner = p->Nested(object);
            EachReadable(*inner, *p->Nested(other), inner->ClassType(), path + "." + p->Name, visit, true);
        } else if (p->Read) {
            visit(*p, object, other, path + "." + p->Name, !nested && StatesItsOwnDefault(info, *p));
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

// Guards against a constructor that changes a value whose default another class
// declared, without the class declaring the property anew.
TEST_F(EveryClass, AFreshObjectHoldsTheDefaultsOtherClassesDeclared) {
    int compared = 0;
    ForEachPair([&](const TPropInfo& p, TObject& fresh, TObject&, const std::string& path, bool ownDefault) {
        if (ownDefault || p.NoDefault) return;
        EXPECT_EQ(p.Read(fresh), p.Default) << path;
        ++compared;
    });
    // Most of what a class publishes comes from elsewhere: a filter that passes over
    // them is caught here.
    EXPECT_GE(compared, 150);
}

TEST_F(EveryClass, WhatAPropertyReadsALayoutWritesBack) {
    // Values away from the defaults, so that a writer ignoring its value is caught.
    const std::vector<std::pair<std::string, std::string>> changed = {
        {"Integer", "7"}, {"Int64", "7"}, {"Cardinal", "7"}, {"Boolean", "!"}, {"TColor", "clRed"}, {"String", "x'y"}};
    int written = 0;
    ForEachPair([&](const TPropInfo& p, TObject& fresh, TObject& other, const std::string& path, bool) {
        if (!p.Write || !p.Readable) return;
        std::string value = p.Read(fresh);
        for (const auto& [type, text] : changed)
            if (p.TypeName == type && p.Name != kNeedsAParent)
                value = text == "!" ? (value == "True" ? "False" : "True") : text;
        p.Write(other, ParseValue(p, value), nullptr);
        EXPECT_EQ(p.Read(other), value) << path;
        ++written;
    });
    EXPECT_GE(written, 100);
}

}  // namespace
