#include <gtest/gtest.h>

#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"
#include "forms/controls/Button.h"
#include "forms/core/Form.h"
#include "forms/core/LayoutReader.h"
#include "resources/Resources.h"

using namespace forms;

namespace {

class TSampleForm : public TForm {
    FORMS_CLASS(TSampleForm)
public:
    explicit TSampleForm(TComponent* owner) : TForm(owner) {}
    TButton* Go = nullptr;
    std::vector<std::string> calls;
    void GoClick(TObject*) { calls.push_back("GoClick"); }
    void Typed(TObject*, char32_t&) {}
};

const TClassInfo& TSampleForm::StaticClass() {
    static const TClassInfo info = ClassBuilder<TSampleForm>("TSampleForm", &TForm::StaticClass())
                                       .Field("Go", &TSampleForm::Go)
                                       .Method("GoClick", &TSampleForm::GoClick)
                                       .Method("Typed", &TSampleForm::Typed)
                                       .Build();
    return info;
}

struct Fixture : ::testing::Test {
    HeadlessBackend backend;
    TApplication app{backend};
    TSampleForm* form = new TSampleForm(&app);

    std::string ErrorOf(const std::string& text) {
        try {
            ReadLayoutText(*form, text, "Sample.layout");
        } catch (const ELayoutError& e) {
            return e.what();
        }
        return "no error";
    }
};

const char* kGood = R"(// a comment line
object Sample: TSampleForm
  Caption = 'It''s ' + #200 + 'x'
  ClientWidth = 200
  ClientHeight = $40
  Color = 14215660
  BorderIcons = [biSystemMenu]
  BorderStyle = bsToolWindow
  Font.Height = -13
  Font.Style = [fsBold, fsUnderline]
  object Go: TButton
    Left = 8
    Top = 9
    Caption = 'Vai'
    Default = True
    ModalResult = 1
    OnClick = GoClick
  end
end
)";

TEST_F(Fixture, AppliesPropertiesFieldsAndHandlers) {
    ReadLayoutText(*form, kGood, "Sample.layout");
    EXPECT_EQ(form->Caption(), "It's \xC3\x88x");
    EXPECT_EQ(form->Width(), 200);
    EXPECT_EQ(form->Height(), 64);
    EXPECT_EQ(form->Color(), RGB(236, 233, 216));
    EXPECT_EQ(form->BorderIcons(), biSystemMenu);
    EXPECT_EQ(form->BorderStyle(), TBorderStyle::bsToolWindow);
    EXPECT_EQ(form->Font()->Spec().Height, -13);
    EXPECT_EQ(form->Font()->Spec().Style, fsBold | fsUnderline);
    ASSERT_NE(form->Go, nullptr);
    EXPECT_EQ(form->Go->Name, "Go");
    EXPECT_EQ(form->Go->Parent(), form);
    EXPECT_EQ(form->Go->Owner(), form);
    EXPECT_EQ(form->Go->Left(), 8);
    EXPECT_EQ(form->Go->Caption(), "Vai");
    EXPECT_TRUE(form->Go->Default());
    EXPECT_EQ(form->Go->ModalResult(), 1);
    // A control without a font of its own follows its form's.
    EXPECT_EQ(form->Go->Font()->Spec().Height, -13);
    ASSERT_TRUE(form->Go->OnClick);
    form->Go->OnClick(form->Go);
    EXPECT_EQ(form->calls, std::vector<std::string>{"GoClick"});
}

TEST_F(Fixture, ColoursAndEnumerationsByNameOrNumber) {
    ReadLayoutText(*form, "object S: TSampleForm\n Color = clRed\n BorderStyle = 1\nend\n", "S");
    EXPECT_EQ(form->Color(), clRed);
    EXPECT_EQ(form->BorderStyle(), TBorderStyle::bsSingle);
    ReadLayoutText(*form, "object S: TSampleForm\n Color = -2147483633\nend\n", "S");
    EXPECT_EQ(form->Color(), clBtnFace);
}

TEST_F(Fixture, ErrorsNameTheLayoutTheLineAndTheName) {
    struct Case {
        const char* label;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"unknown class", "object S: TSampleForm\n  object X: TNoSuchThing\n  end\nend\n",
         "Sample.layout:2: unknown class TNoSuchThing"},
        {"unknown property", "object S: TSampleForm\n\n  Colour = clRed\nend\n",
         "Sample.layout:3: unknown property Colour of S"},
        {"unknown nested property", "object S: TSampleForm\n  Font.Weight = 3\nend\n",
         "Sample.layout:2: unknown property Font.Weight of S"},
        {"unknown colour", "object S: TSampleForm\n  Color = clPink\nend\n",
         "Sample.layout:2: Color of S: unknown colour clPink"},
        {"unknown enumeration value", "object S: TSampleForm\n  BorderStyle = bsRound\nend\n",
         "Sample.layout:2: BorderStyle of S: unknown value bsRound"},
        {"enumeration number out of range", "object S: TSampleForm\n  BorderStyle = 9\nend\n",
         "Sample.layout:2: BorderStyle of S: value 9 out of range"},
        {"unknown set member", "object S: TSampleForm\n  BorderIcons = [biClose]\nend\n",
         "Sample.layout:2: BorderIcons of S: unknown value biClose"},
        {"unknown handler", "object S: TSampleForm\n  object Go: TButton\n    OnClick = Nowhere\n  end\nend\n",
         "Sample.layout:3: OnClick of Go: unknown handler Nowhere"},
        {"handler of the wrong kind", "object S: TSampleForm\n  object Go: TButton\n    OnClick = Typed\n  end\nend\n",
         "Sample.layout:3: OnClick of Go: handler Typed does not fit OnClick"},
        {"wrong value kind", "object S: TSampleForm\n  ClientWidth = 'wide'\nend\n",
         "Sample.layout:2: ClientWidth of S: integer expected"},
        {"integer out of range", "object S: TSampleForm\n  ClientWidth = 99999999999\nend\n",
         "Sample.layout:2: ClientWidth of S: value 99999999999 out of range"},
        {"string not closed", "object S: TSampleForm\n  Caption = 'abc\nend\n", "Sample.layout:2: string not closed"},
        {"missing end", "object S: TSampleForm\n  Caption = 'abc'\n", "Sample.layout:3: 'end' of S missing"},
        {"wrong root class", "object S: TForm\nend\n", "Sample.layout:1: the layout is for TForm, not TSampleForm"},
        {"field of another class", "object S: TSampleForm\n  object Go: TTimer\n  end\nend\n",
         "Sample.layout:2: Go is a TButton, not a TTimer"},
        {"odd binary data", "object S: TSampleForm\n  Tag = {ABC}\nend\n",
         "Sample.layout:2: odd number of hex digits in binary data"},
        {"text after the end", "object S: TSampleForm\nend\nend\n", "Sample.layout:3: text after the last 'end'"},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.text), c.expected) << c.label;
}

TEST(StoredLayouts, EveryEmbeddedLayoutParses) {
    int layouts = 0;
    for (std::string_view name : resources::Names()) {
        if (name.size() < 7 || name.substr(name.size() - 7) != ".layout") continue;
        ++layouts;
        EXPECT_NO_THROW(ParseLayout(resources::Find(name), std::string(name))) << name;
    }
    EXPECT_GT(layouts, 0);
}

}  // namespace
