// formshot: renders every window of the tool through the headless backend into PNG
// files, for the README's picture and for reviews.
//   formshot [folder]     (default: the current folder)
#include <cstdio>
#include <exception>
#include <string>

#include "MainForm.h"
#include "PngWriter.h"
#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"

// Other windows and galleries join in by defining these; each is optional.
__attribute__((weak)) void RenderProgressBarGallery(const std::string& pngPath);
__attribute__((weak)) void RenderVumeterStrip(const std::string& pngPath);
__attribute__((weak)) void RenderDialogs(const std::string& folder);

namespace {

void ShotOf(forms::HeadlessBackend& backend, forms::TForm& form, const std::string& path) {
    form.Show();
    forms::Application->ProcessMessages();
    formshot::WritePng(*backend.Find(form.Handle())->Image, path);
    std::printf("%s\n", path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    try {
        {
            forms::HeadlessBackend backend;
            forms::TApplication app(backend);
            app.Initialize();
            app.CreateForm(MainForm);
            ShotOf(backend, *MainForm, folder + "/MainForm.png");
        }
        if (RenderDialogs) RenderDialogs(folder);
        if (RenderProgressBarGallery) RenderProgressBarGallery(folder + "/ProgressBarGallery.png");
        if (RenderVumeterStrip) RenderVumeterStrip(folder + "/VumeterStrip.png");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "formshot: %s\n", e.what());
        return 1;
    }
    return 0;
}
