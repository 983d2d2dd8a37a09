#include <functional>
#include <string>
#include <vector>

#include "WidgetFixture.h"
#include "forms/controls/Button.h"
#include "forms/controls/Edit.h"
#include "forms/controls/Label.h"

using namespace forms;

namespace {

struct EditFixture : WidgetFixture {
    TEdit* edit = nullptr;

    void SetUp() override {
        WidgetFixture::SetUp();
        edit = Add<TEdit>(10, 10, 200, 25);
        ShowAndPaint();
        ASSERT_TRUE(edit->Focused());
    }
    void Keys(std::initializer_list<std::pair<uint16_t, TShiftState>> keys) {
        for (const auto& k : keys) backend.PressKey(k.first, k.second);
        Pump();
    }
    void Type(const std::string& text) {
        backend.Type(text);
        Pump();
    }
    // Screen columns inside the text area that are text-coloured over the whole line
    // height: only the caret is; glyphs are shorter than their cell.
    std::vector<int> CaretColumns(const TEdit& e) {
        const TRect area = e.TextArea().Offset(e.Left(), e.Top());
        const int lineHeight = MeasureText(e.Font()->Spec(), "8").cy;
        std::vector<int> columns;
        for (int x = area.Left; x < area.Right; ++x) {
            bool full = true;
            for (int y = area.Top; y < area.Top + lineHeight && full; ++y)
                full = Screen().Pixel(x, y) == ColorToRGB(clWindowText);
            if (full) columns.push_back(x);
        }
        return columns;
    }
};

TEST_F(EditFixture, MaxLengthCountsCharactersOfAnyScript) {
    const std::pair<const char*, const char*> cases[] = {
        {"abcde", "abcd"},
        {"\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9Fx", "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F"},  // äöüß, 2 bytes each
        {"\xE4\xB8\x80\xE4\xBA\x8C\xE4\xB8\x89\xE5\x9B\x9B\xE4\xBA\x94",
         "\xE4\xB8\x80\xE4\xBA\x8C\xE4\xB8\x89\xE5\x9B\x9B"},
        {"\xF0\x9F\x98\x80\xF0\x9F\x98\x81\xF0\x9F\x98\x82\xF0\x9F\x98\x83\xF0\x9F\x98\x84",
         "\xF0\x9F\x98\x80\xF0\x9F\x98\x81\xF0\x9F\x98\x82\xF0\x9F\x98\x83"},  // 4 bytes each
        {"a1!, ", "a1!,"},
    };
    edit->SetMaxLength(4);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        edit->SetText("");
        Type(c.first);
        EXPECT_EQ(edit->Text(), c.second);
        EXPECT_EQ(edit->Length(), 4);
        EXPECT_EQ(edit->CaretPos(), 4);
    }
    // Full: typing over a selection still fits, typing more does not.
    Keys({{VK_LEFT, ssShift}});
    Type("Z");
    EXPECT_EQ(edit->Text(), "a1!Z");
    Type("Y");
    EXPECT_EQ(edit->Text(), "a1!Z");
    // A text set by code is taken whole.
    edit->SetText("123456");
    EXPECT_EQ(edit->Text(), "123456");
    EXPECT_EQ(edit->CaretPos(), 0);
}

TEST_F(EditFixture, EditingKeysMoveTheCaretAndTheSelection) {
    struct Case {
        const char* label;
        std::vector<std::pair<uint16_t, TShiftState>> keys;
        const char* typed;
        const char* text;
        int selStart, selLength;
    };
    // Every case starts from "abcd" with the caret at the end and nothing selected.
    const Case cases[] = {
        {"backspace", {{VK_BACK, 0}}, "", "abc", 3, 0},
        {"home, delete", {{VK_HOME, 0}, {VK_DELETE, 0}}, "", "bcd", 0, 0},
        {"left twice, type", {{VK_LEFT, 0}, {VK_LEFT, 0}}, "X", "abXcd", 3, 0},
        {"shift+home selects to the start", {{VK_HOME, ssShift}}, "", "abcd", 0, 4},
        {"shift+home, type replaces", {{VK_HOME, ssShift}}, "Z", "Z", 1, 0},
        {"shift+left twice, backspace", {{VK_LEFT, ssShift}, {VK_LEFT, ssShift}, {VK_BACK, 0}}, "", "ab", 2, 0},
        {"left collapses a selection to its start",
         {{VK_LEFT, ssShift}, {VK_LEFT, ssShift}, {VK_LEFT, 0}},
         "",
         "abcd",
         2,
         0},
        {"right collapses to its end", {{VK_HOME, 0}, {VK_RIGHT, ssShift}, {VK_RIGHT, 0}}, "", "abcd", 1, 0},
        {"delete at the end does nothing", {{VK_DELETE, 0}}, "", "abcd", 4, 0},
        {"backspace at the start does nothing", {{VK_HOME, 0}, {VK_BACK, 0}}, "", "abcd", 0, 0},
        {"shift+end from the middle", {{VK_HOME, 0}, {VK_RIGHT, 0}, {VK_END, ssShift}}, "", "abcd", 1, 3},
        {"right past the end stays", {{VK_RIGHT, 0}, {VK_RIGHT, 0}}, "", "abcd", 4, 0},
        {"delete removes the selection",
         {{VK_HOME, 0}, {VK_RIGHT, ssShift}, {VK_RIGHT, ssShift}, {VK_DELETE, 0}},
         "",
         "cd",
         0,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        edit->SetText("abcd");
        edit->SetSelStart(4);
        for (const auto& k : c.keys) backend.PressKey(k.first, k.second);
        backend.Type(c.typed);
        Pump();
        EXPECT_EQ(edit->Text(), c.text);
        EXPECT_EQ(edit->SelStart(), c.selStart);
        EXPECT_EQ(edit->SelLength(), c.selLength);
    }
}

TEST_F(EditFixture, OnKeyPressSeesEachCharacterAndMayChangeOrSwallowIt) {
    std::u32string seen;
    edit->OnKeyPress = [&](TObject* sender, char32_t& key) {
        EXPECT_EQ(sender, edit);
        seen += key;
        if (key == U'a') key = U'A';
        if (key == U'-') key = 0;
    };
    Type("a-b\xC3\xA8");
    backend.PressKey(VK_BACK);
    backend.PressKey(VK_RETURN);  // no default button here: the field sees it
    Pump();
    EXPECT_EQ(edit->Text(), "Ab");
    EXPECT_EQ(seen, U"a-b\u00E8\b\r");
    seen.clear();
    backend.PressKey('Q', ssCtrl);  // its control character, as a real keyboard types it
    backend.PressKey('Q', static_cast<TShiftState>(ssCtrl | ssAlt));
    Pump();
    EXPECT_EQ(seen, U"\x11");
    EXPECT_EQ(edit->Text(), "Ab");
}

TEST_F(EditFixture, ClipboardCopyCutAndPaste) {
    edit->SetText("abcd");
    Keys({{VK_HOME, 0}, {VK_RIGHT, 0}, {VK_RIGHT, ssShift}, {VK_RIGHT, ssShift}, {'C', ssCtrl}});
    EXPECT_EQ(backend.ClipboardText(), "bc");
    EXPECT_EQ(edit->Text(), "abcd");
    Keys({{'X', ssCtrl}});
    EXPECT_EQ(backend.ClipboardText(), "bc");
    EXPECT_EQ(edit->Text(), "ad");
    Keys({{VK_END, 0}, {'V', ssCtrl}});
    EXPECT_EQ(edit->Text(), "adbc");
    EXPECT_EQ(edit->CaretPos(), 4);

    // Shift+Delete cuts, Ctrl+Insert copies, Shift+Insert pastes.
    Keys({{VK_LEFT, ssShift}, {VK_DELETE, ssShift}});
    EXPECT_EQ(edit->Text(), "adb");
    EXPECT_EQ(backend.ClipboardText(), "c");
    Keys({{VK_HOME, 0}, {VK_INSERT, ssShift}});
    EXPECT_EQ(edit->Text(), "cadb");
    Keys({{VK_END, ssShift}, {VK_INSERT, ssCtrl}});
    EXPECT_EQ(backend.ClipboardText(), "adb");

    // A paste stops at the first line break and at MaxLength.
    edit->SetMaxLength(5);
    edit->SetText("ab");
    edit->SetSelStart(2);
    backend.SetClipboardText("xyz\r\nmore");
    Keys({{'V', ssCtrl}});
    EXPECT_EQ(edit->Text(), "abxyz");
    edit->SetMaxLength(4);
    edit->SetText("ab");
    edit->SetSelStart(2);
    Keys({{'V', ssCtrl}});
    EXPECT_EQ(edit->Text(), "abxy");
    // Pasting nothing keeps the selection's text; Ctrl+Alt+V is no paste.
    backend.SetClipboardText("");
    Keys({{VK_HOME, ssShift}, {'V', ssCtrl}});
    EXPECT_EQ(edit->Text(), "abxy");
    backend.SetClipboardText("Q");
    Keys({{'V', ssCtrl | ssAlt}});
    EXPECT_EQ(edit->Text(), "abxy");
}

TEST_F(EditFixture, GainingTheFocusSelectsAllAClickPlacesTheCaret) {
    auto* other = Add<TButton>(10, 60, 75, 25);
    edit->SetText("1234");
    other->SetFocus();
    Keys({{VK_TAB, 0}});
    ASSERT_TRUE(edit->Focused());
    EXPECT_EQ(edit->SelStart(), 0);
    EXPECT_EQ(edit->SelLength(), 4);

    other->SetFocus();
    backend.Click(form->Handle(), 10 + 199, 20);  // right of the text
    Pump();
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(edit->SelLength(), 0);
    EXPECT_EQ(edit->CaretPos(), 4);
    backend.Click(form->Handle(), 10 + 2, 20);
    Pump();
    EXPECT_EQ(edit->CaretPos(), 0);

    // Dragging selects.
    backend.MouseDown(form->Handle(), 10 + 2, 20);
    backend.MouseMove(form->Handle(), 10 + 199, 20);
    backend.MouseUp(form->Handle(), 10 + 199, 20);
    Pump();
    EXPECT_EQ(edit->SelStart(), 0);
    EXPECT_EQ(edit->SelLength(), 4);

    edit->SetAutoSelect(false);
    other->SetFocus();
    edit->SetSelStart(1);
    edit->SetFocus();
    EXPECT_EQ(edit->SelLength(), 0);
    EXPECT_EQ(edit->CaretPos(), 1);
}

TEST_F(EditFixture, PaintsSunkenBorderWhiteFieldTextSelectionAndCaret) {
    auto* other = Add<TButton>(10, 60, 75, 25);
    edit->SetText("8888");
    const TBitmap& s = Screen();
    const int l = edit->Left(), t = edit->Top(), r = l + edit->Width(), b = t + edit->Height();
    auto count = [&](TColor color, int x0, int x1) {
        int n = 0;
        for (int y = t + 2; y < b - 2; ++y)
            for (int x = x0; x < x1; ++x) n += s.Pixel(x, y) == ColorToRGB(color) ? 1 : 0;
        return n;
    };

    other->SetFocus();
    Pump();
    EXPECT_EQ(s.Pixel(l, t), ColorToRGB(clBtnShadow));
    EXPECT_EQ(s.Pixel(l + 1, t + 1), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(s.Pixel(r - 1, b - 1), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(s.Pixel(r - 2, b - 2), ColorToRGB(cl3DLight));
    EXPECT_EQ(s.Pixel(r - 3, b - 3), clWhite);
    const int ink = count(clWindowText, l + 2, r - 2);
    EXPECT_GT(ink, 20);  // the digits, as typed
    EXPECT_EQ(count(clHighlight, l + 2, r - 2), 0);

    edit->SetFocus();  // selects all: the digits turn to highlight text on highlight
    Pump();
    EXPECT_GT(count(clHighlight, l + 2, r - 2), 0);
    const std::vector<int> caret = CaretColumns(*edit);
    ASSERT_EQ(caret.size(), 1u);  // at the end of the selection
    EXPECT_EQ(count(clWindowText, l + 2, r - 2), count(clWindowText, caret[0], caret[0] + 1));

    Keys({{VK_HOME, 0}});  // no selection; the caret before the first digit
    EXPECT_EQ(count(clHighlight, l + 2, r - 2), 0);
    EXPECT_EQ(CaretColumns(*edit), std::vector<int>{l + edit->TextArea().Left});
    other->SetFocus();
    Pump();
    EXPECT_EQ(CaretColumns(*edit), std::vector<int>{});
}

TEST_F(EditFixture, ScrollsToKeepTheCaretInside) {
    edit->SetBounds(10, 10, 40, 25);
    edit->SetText("a long text that does not fit");
    Keys({{VK_END, 0}});
    EXPECT_GT(edit->ScrollOffset(), 0);
    EXPECT_EQ(CaretColumns(*edit).size(), 1u);
    Keys({{VK_HOME, 0}});
    EXPECT_EQ(edit->ScrollOffset(), 0);
    EXPECT_EQ(CaretColumns(*edit), std::vector<int>{edit->Left() + edit->TextArea().Left});
    Keys({{VK_END, 0}, {VK_HOME, ssShift}, {VK_BACK, 0}});
    EXPECT_EQ(edit->Text(), "");
    EXPECT_EQ(edit->ScrollOffset(), 0);
}

TEST(EditText, MalformedUtf8BecomesReplacementCharacters) {
    TEdit e(nullptr);
    e.SetText(
        "a\xFF"
        "b\xC3");
    EXPECT_EQ(e.Length(), 4);
    EXPECT_EQ(e.Text(),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    e.SetText("\xED\xA0\x80");  // a UTF-16 surrogate is no character
    EXPECT_EQ(e.Length(), 3);
}

}  // namespace
