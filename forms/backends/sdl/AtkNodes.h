#pragma once
// The ATK objects that stand for a window's accessible nodes, and what they ask of
// the object that owns them. Included only by the SDL backend's ATK units.
#include <cstdint>

#include <atk/atk.h>

#include "forms/core/Backend.h"

namespace forms::sdl {

// What the nodes read from their owner. A node whose owner has let it go (host is
// null) answers as an empty, defunct object.
class AtkHost {
public:
    virtual ~AtkHost() = default;
    virtual const AccessibleNode* Node(WindowId w, int32_t id) const = 0;
    virtual AtkObject* Object(WindowId w, int32_t id) const = 0;  // id 0: the window's frame
    virtual int32_t FrameCount() const = 0;
    virtual AtkObject* FrameAt(int32_t index) const = 0;
    virtual int32_t FrameIndex(WindowId w) const = 0;
    virtual bool IsActive(WindowId w) const = 0;
    virtual TPoint Origin(WindowId w) const = 0;  // the client area's corner on the screen
    virtual int32_t Scale() const = 0;            // screen pixels to a pixel of the bounds
    // Requests of the assistive technology, reported later from the event loop.
    virtual void Post(WindowId w, int32_t id, bool action) = 0;
};

// The application (w == 0) or one node, of the type that carries the interfaces its
// role has. The caller holds the one reference it returns.
AtkObject* NewAtkNode(AtkHost* host, WindowId w, const AccessibleNode* node);
void ReleaseAtkNode(AtkObject* object);  // marks it defunct and drops the reference
// The type of a window's node: its signals "create", "destroy", "activate" and
// "deactivate" are what the bridge reports as the "window:" events.
GType AtkWindowType();

// The ATK states of a node, as its window being active makes them.
AtkStateSet* AtkStatesOf(const AccessibleNode& node, bool active);
AtkRole AtkRoleOf(const AccessibleNode& node);
// Tells listeners which of the states that ATK maps from ours differ from before to after.
void NotifyAtkStates(AtkObject* object, const AccessibleNode& before, bool wasActive, const AccessibleNode& after,
                     bool active);

}  // namespace forms::sdl
