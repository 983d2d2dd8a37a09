// vudemo: three level meters on one window, each fed its own stream of levels by a
// 60 ms timer. Close the window to end.
//   top:    uniformly random levels
//   middle: a random walk, closer to a singing voice
//   bottom: a full-scale impulse every 2 seconds, to watch the peak hold
#include <algorithm>
#include <cstdio>
#include <exception>
#include <random>

#include "components/Vumeter.h"
#include "forms/backends/sdl/SdlBackend.h"
#include "forms/core/Application.h"
#include "forms/core/Form.h"
#include "forms/core/Timer.h"

namespace {

class TVuDemoForm : public forms::TForm {
public:
    explicit TVuDemoForm(forms::TComponent* AOwner) : forms::TForm(AOwner) {
        SetCaption("VU meter demo");
        SetBorderStyle(forms::TBorderStyle::bsSingle);
        SetBorderIcons(forms::biSystemMenu);
        SetPosition(forms::TPosition::poScreenCenter);
        SetBounds(0, 0, 120, 60);
        for (int i = 0; i < 3; ++i) {
            meters_[i] = new TVumeter(this);
            // The segments grow to the left of the meter's corner.
            meters_[i]->SetBounds(80, 12 + 15 * i, 4, 5);
            meters_[i]->SetParent(this);
        }
        feed_ = new forms::TTimer(this);
        feed_->SetInterval(60);
        feed_->SetOnTimer([this](forms::TObject*) { Feed(); });
    }

private:
    void Feed() {
        meters_[0]->SetValue(std::uniform_int_distribution<int>(0, 15)(random_));
        walk_ = std::clamp(walk_ + std::uniform_int_distribution<int>(-3, 3)(random_), 0, 15);
        meters_[1]->SetValue(walk_);
        if (++beat_ % 33 == 0) meters_[2]->SetValue(15);
    }

    TVumeter* meters_[3] = {};
    forms::TTimer* feed_ = nullptr;
    std::mt19937 random_{20240601u};
    int walk_ = 6;
    int beat_ = 0;
};

TVuDemoForm* VuDemoForm = nullptr;

}  // namespace

int main() {
    try {
        forms::SdlBackend backend;
        forms::TApplication app(backend);
        app.Initialize();
        app.CreateForm(VuDemoForm);
        app.Run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vudemo: %s\n", e.what());
        return 1;
    }
    return 0;
}
