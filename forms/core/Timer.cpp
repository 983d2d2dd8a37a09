#include "Timer.h"

#include "Application.h"

namespace forms {

const TClassInfo& TTimer::StaticClass() {
    static const TClassInfo info = ClassBuilder<TTimer>("TTimer", &TComponent::StaticClass())
                                       .Creatable()
                                       .Bool("Enabled", &TTimer::SetEnabled)
                                       .Reads(&TTimer::Enabled)
                                       .Int<uint32_t>("Interval", &TTimer::SetInterval, "Cardinal")
                                       .Reads(&TTimer::Interval)
                                       .Event("OnTimer", &TTimer::SetOnTimer)
                                       .Build();
    return info;
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer() {
    if (id_ && Application) Application->RemoveTimer(id_);
}

void TTimer::SetInterval(uint32_t ms) {
    if (ms == interval_) return;
    interval_ = ms;
    Update();
}

void TTimer::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    Update();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    onTimer_ = std::move(handler);
    Update();
}

// A timer runs only while it is enabled, has an interval and has a handler.
void TTimer::Update() {
    if (id_ && Application) Application->RemoveTimer(id_);
    id_ = 0;
    if (enabled_ && interval_ != 0 && onTimer_ && Application) id_ = Application->AddTimer(this, interval_);
}

void TTimer::Tick() {
    if (onTimer_) onTimer_(this);
}

}  // namespace forms
