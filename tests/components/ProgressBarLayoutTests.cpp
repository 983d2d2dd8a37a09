#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgressBarTestSupport.h"
#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"
#include "forms/core/LayoutReader.h"

using namespace forms;
using pbtest::TBarForm;

namespace {

class BarLayout : public ::testing::Test {
protected:
    // Loads a form holding one bar named PBar, with the given property lines.
    TOrloExtProgressBar& Load(const std::string& properties) {
        form = new TBarForm(&app);
        const std::string text =
            "object BarForm: TBarForm\n"
            "  ClientWidth = 417\n"
            "  ClientHeight = 25\n"
            "  object PBar: TOrloExtProgressBar\n" +
            properties +
            "  end\n"
            "end\n";
        ReadLayoutText(*form, text, "test.layout");
        EXPECT_NE(form->PBar, nullptr);
        return *form->PBar;
    }
    HeadlessBackend backend;
    TApplication app{backend};
    TBarForm* form = nullptr;
};

TEST_F(BarLayout, LowerBoundAboveTheInitialUpperBoundIsClampedWhileLoading) {
    TOrloExtProgressBar& bar = Load("    MinValue = 200\n    MaxValue = 1000\n");
    EXPECT_EQ(bar.MinValue(), 100);
    EXPECT_EQ(bar.MaxValue(), 1000);
    EXPECT_EQ(bar.Progress(), 100);
}

TEST_F(BarLayout, FillStyleListedAfterShowTextShowsTheCaptionAgain) {
    TOrloExtProgressBar& bar = Load("    ShowText = False\n    FillStyle = gsNone\n");
    EXPECT_TRUE(bar.ShowText());
    EXPECT_EQ(bar.FillStyle(), gsNone);
}

// Every property the dialogs store, in declaration order, as their layouts list them.
TEST_F(BarLayout, DialogsStoredBarLoadsFull) {
    TOrloExtProgressBar& bar = Load(
        "    Left = 0\n"
        "    Top = 0\n"
        "    Width = 417\n"
        "    Height = 25\n"
        "    BarForeColor = clRed\n"
        "    BarBackColor = clBlack\n"
        "    TextForeColor = clWhite\n"
        "    TextBackColor = clWhite\n"
        "    Border = gbRaised\n"
        "    MaxValue = 100\n"
        "    Progress = 100\n"
        "    Text = '$p%'\n"
        "    SingleBorderColor = clWindowFrame\n"
        "    InnerBorderSize = 2\n"
        "    AlignText = taCenter\n");
    EXPECT_EQ(bar.Name, "PBar");
    EXPECT_EQ(bar.Parent(), form);
    EXPECT_EQ(bar.BoundsRect(), Bounds(0, 0, 417, 25));
    EXPECT_EQ(bar.BarForeColor(), clRed);
    EXPECT_EQ(bar.BarBackColor(), clBlack);
    EXPECT_EQ(bar.TextForeColor(), clWhite);
    EXPECT_EQ(bar.TextBackColor(), clWhite);
    EXPECT_EQ(bar.Border(), gbRaised);
    EXPECT_EQ(bar.MinValue(), 0);
    EXPECT_EQ(bar.MaxValue(), 100);
    EXPECT_EQ(bar.Progress(), 100);
    EXPECT_EQ(bar.Text(), "$p%");
    EXPECT_EQ(bar.InnerBorderSize(), 2);
    EXPECT_EQ(bar.AlignText(), TAlignment::taCenter);
    EXPECT_EQ(bar.FillStyle(), gsSmooth);
    EXPECT_TRUE(bar.ShowText());

    form->Show();
    app.ProcessMessages();
    EXPECT_EQ(bar.PercentAt(), 100.0f);
    EXPECT_EQ(bar.PixelWidth(), 417);
    const TBitmap& image = *backend.Find(form->Handle())->Image;
    EXPECT_EQ(image.Pixel(3, 3), clRed);
    EXPECT_EQ(image.Pixel(413, 21), clRed) << "the bar starts full";
}

TEST_F(BarLayout, EnumerationsAndInt64ValuesLoadByName) {
    TOrloExtProgressBar& bar = Load(
        "    Border = gbFatRaised\n"
        "    FillStyle = gsDashed\n"
        "    MinValue = -9223372036854775808\n"
        "    MaxValue = 9223372036854775807\n"
        "    Progress = 5000000000\n"
        "    Step = -3\n"
        "    AlignText = taRightJustify\n"
        "    InnerBorderSize = 1000000000000\n"
        "    Font.Height = -13\n");
    EXPECT_EQ(bar.Border(), gbFatRaised);
    EXPECT_EQ(bar.FillStyle(), gsDashed);
    EXPECT_EQ(bar.MinValue(), INT64_MIN);
    EXPECT_EQ(bar.MaxValue(), INT64_MAX);
    EXPECT_EQ(bar.Progress(), 5000000000);
    EXPECT_EQ(bar.Step(), -3);
    EXPECT_EQ(bar.AlignText(), TAlignment::taRightJustify);
    EXPECT_EQ(bar.InnerBorderSize(), 1000000000000);
    EXPECT_EQ(bar.Font()->Spec().Height, -13);
    EXPECT_FALSE(bar.ParentFont());
}

TEST_F(BarLayout, PercentAtIsReadOnly) { EXPECT_THROW(Load("    PercentAt = 5\n"), ELayoutError); }

TEST_F(BarLayout, UnknownStyleNameIsAnError) { EXPECT_THROW(Load("    Border = gbGroove\n"), ELayoutError); }

// Declaration order is what a layout writer lists; declared defaults are what it may
// leave out.
TEST(ProgressBarClass, PublishesItsPropertiesInDeclarationOrderWithTheirDefaults) {
    struct Expected {
        const char* name;
        const char* def;
    };
    const std::vector<Expected> expected = {
        {"Align", "alNone"},
        {"ShowText", "True"},
        {"Font", ""},
        {"BarForeColor", "clHighlight"},
        {"BarBackColor", "clBtnFace"},
        {"TextForeColor", "clHighlight"},
        {"TextBackColor", "clBtnFace"},
        {"Border", "gbSunken"},
        {"FillStyle", "gsSmooth"},
        {"MinValue", "0"},
        {"MaxValue", "100"},
        {"ParentFont", "True"},
        {"ParentShowHint", "True"},
        {"Progress", "0"},
        {"ShowHint", "False"},
        {"Text", ""},
        {"Step", "0"},
        {"Visible", "True"},
        {"PercentAt", ""},
        {"SingleBorderColor", "clWindowFrame"},
        {"InnerBorderSize", "0"},
        {"AlignText", "taCenter"},
    };
    const TClassInfo& info = TOrloExtProgressBar::StaticClass();
    EXPECT_EQ(info.Name, "TOrloExtProgressBar");
    EXPECT_TRUE(info.InheritsFrom(TGraphicControl::StaticClass()));
    ASSERT_EQ(info.Properties.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(info.Properties[i].Name, expected[i].name);
        EXPECT_EQ(info.Properties[i].Default, expected[i].def);
    }
    const TPropInfo* percentAt = info.FindProperty("PercentAt");
    ASSERT_NE(percentAt, nullptr);
    EXPECT_FALSE(percentAt->Write) << "read-only";
    for (const char* inherited :
         {"Name", "Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint", "HelpType", "HelpKeyword", "HelpContext"})
        EXPECT_NE(info.FindProperty(inherited), nullptr) << inherited;
}

TEST(ProgressBarClass, RegisterListsTheBarOnTheAdditionalPage) {
    OrloExtProgressBar::Register();
    bool found = false;
    for (const auto& entry : DesignPalette())
        if (entry.second == &TOrloExtProgressBar::StaticClass()) found = entry.first == "Additional";
    EXPECT_TRUE(found);
}

}  // namespace
