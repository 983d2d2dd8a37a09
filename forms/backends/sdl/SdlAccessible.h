#pragma once
// The windows' accessible descriptions served over AT-SPI, through ATK and its
// bridge: an application object named by the program, one frame per window and
// one object per node. Only when an accessibility bus can be reached: without one
// nothing is set up, so start-up costs nothing and prints nothing.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "forms/core/Backend.h"

struct SDL_SysWMmsg;

namespace forms::sdl {

class AtkModel;

class SdlAccessible {
public:
    // origin gives a window's client corner on the screen; scale, how many screen
    // pixels a pixel of the description is wide.
    SdlAccessible(std::function<TPoint(WindowId)> origin, std::function<int32_t()> scale);
    ~SdlAccessible();
    SdlAccessible(const SdlAccessible&) = delete;
    SdlAccessible& operator=(const SdlAccessible&) = delete;

    void TreeChanged(WindowId w, const AccessibleTree& tree);
    void NodeChanged(WindowId w, const AccessibleNode& node, AccessibleChange change);
    void Focus(WindowId w, int32_t id);
    void Forget(WindowId w);

    // How long the event loop may wait before it comes back to Pump, in milliseconds
    // (-1: as long as it likes). The bus's messages wake no SDL wait, so while the
    // bridge is up the wait is short, and shortest while a client is talking to it.
    int32_t WaitLimitMs() const;
    // Answers what the bus has brought, then reports the requests it posted.
    void Pump(EventSink* sink);
    // Offers a key press or release of the window system to the assistive
    // technology's key listeners, before the tool sees the key: true when one of
    // them took it, and then the key does nothing in the tool. SDL hands over the
    // window system's event just before the key and text events it makes of it.
    bool KeyTaken(const SDL_SysWMmsg& message);

private:
    std::function<TPoint(WindowId)> origin_;
    std::function<int32_t()> scale_;
    bool tried_ = false;
    std::chrono::steady_clock::time_point lastBusy_;
    std::unique_ptr<AtkModel> model_;
};

}  // namespace forms::sdl
