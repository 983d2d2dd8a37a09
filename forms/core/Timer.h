#pragma once
#include "Component.h"
#include "Backend.h"

namespace forms {

// Raises OnTimer every Interval milliseconds while Enabled, through the message loop.
class TTimer : public TComponent {
    FORMS_CLASS(TTimer)
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    uint32_t Interval() const { return interval_; }
    void SetInterval(uint32_t ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    void SetOnTimer(TNotifyEvent handler);

    // Called by the application for each tick.
    void Tick();

private:
    void Update();
    uint32_t interval_ = 1000;
    bool enabled_ = true;
    TNotifyEvent onTimer_;
    TimerId id_ = 0;
};

}  // namespace forms
