// Feeds arbitrary text to the layout reader, applied to a form with a published
// field and handlers. Every malformed layout must end in ELayoutError; anything
// else (another exception, a crash, a leak) is a finding.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"
#include "forms/controls/Button.h"
#include "forms/controls/StandardClasses.h"
#include "forms/core/Form.h"
#include "forms/core/LayoutReader.h"

namespace {

class TFuzzForm : public forms::TForm {
    FORMS_CLASS(TFuzzForm)
public:
    explicit TFuzzForm(forms::TComponent* owner) : forms::TForm(owner) {}
    forms::TButton* Button1 = nullptr;
    void Button1Click(forms::TObject*) {}
    void KeyPressed(forms::TObject*, char32_t&) {}
};

const forms::TClassInfo& TFuzzForm::StaticClass() {
    static const forms::TClassInfo info = forms::ClassBuilder<TFuzzForm>("TFuzzForm", &forms::TForm::StaticClass())
                                              .Field("Button1", &TFuzzForm::Button1)
                                              .Method("Button1Click", &TFuzzForm::Button1Click)
                                              .Method("KeyPressed", &TFuzzForm::KeyPressed)
                                              .Build();
    return info;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    forms::RegisterStandardClasses();
    forms::HeadlessBackend backend;
    forms::TApplication app(backend);
    auto* form = new TFuzzForm(&app);
    try {
        forms::ReadLayoutText(*form, std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.layout");
    } catch (const forms::ELayoutError& e) {
        if (std::string_view(e.what()).rfind("fuzz.layout:", 0) != 0) std::abort();  // must say where
    } catch (...) {
        std::abort();
    }
    return 0;
}
