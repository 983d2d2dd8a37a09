#pragma once
// The ATK model of the windows' accessible descriptions: an application object, one
// frame per window and one object per node, each kept for the node's whole life, and
// the signals a toolkit's windows send as they are shown, activated, left and closed.
// Included only by the SDL backend's ATK units.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "AtkNodes.h"
#include "forms/core/AccessibleMirror.h"

namespace forms::sdl {

class AtkModel : public AtkHost {
public:
    AtkModel(std::function<TPoint(WindowId)> origin, std::function<int32_t()> scale);
    ~AtkModel() override;

    AtkObject* Root() const { return root_; }

    const AccessibleNode* Node(WindowId w, int32_t id) const override {
        const auto it = windows_.find(w);
        return it == windows_.end() ? nullptr : it->second.Tree.Find(id);
    }

    AtkObject* Object(WindowId w, int32_t id) const override {
        const auto it = windows_.find(w);
        if (it == windows_.end()) return nullptr;
        const auto o = it->second.Objects.find(id);
        return o == it->second.Objects.end() ? nullptr : o->second;
    }

    int32_t FrameCount() const override { return static_cast<int32_t>(order_.size()); }
    AtkObject* FrameAt(int32_t i) const override {
        return i >= 0 && i < FrameCount() ? Object(order_[static_cast<size_t>(i)], kWindowNode) : nullptr;
    }
    int32_t FrameIndex(WindowId w) const override {
        const auto it = std::find(order_.begin(), order_.end(), w);
        return it == order_.end() ? -1 : static_cast<int32_t>(it - order_.begin());
    }
    bool IsActive(WindowId w) const override { return w == active_; }
    TPoint Origin(WindowId w) const override { return origin_(w); }
    int32_t Scale() const override { return scale_(); }
    void Post(WindowId w, int32_t id, bool action) override { posted_.push_back({w, id, action}); }

    // A window's whole description, and one node of it that changed. Objects keep
    // their identity across trees: a screen reader holds on to them.
    void SetTree(WindowId w, const AccessibleTree& tree);
    void SetNode(WindowId w, const AccessibleNode& n);

    // As a toolkit's window does: "deactivate" for the window left, "activate" for the
    // one entered, each with its active state; then the control that holds the focus
    // in the window entered says so again, since it took the focus while its window
    // was not active. A move within a window has told its states already.
    void Activate(WindowId w, int32_t focus);
    void Forget(WindowId w);

    // What a client that starts listening now has missed: the windows shown, the
    // active one and its focus.
    void Announce();

    struct Request {
        WindowId Window;
        int32_t Id;
        bool Action;
    };
    std::vector<Request> TakePosted() { return std::exchange(posted_, {}); }

private:
    struct Window {
        AccessibleMirror Tree;
        std::map<int32_t, AtkObject*> Objects;
    };

    // A window is there for the assistive technology while it is shown: "create" as it
    // appears, "destroy" as it is hidden or goes, after it has been left.
    void Showing(WindowId w, bool shown);
    void Changed(WindowId w, AtkObject* o, const AccessibleNode& before, const AccessibleNode& after);

    std::function<TPoint(WindowId)> origin_;
    std::function<int32_t()> scale_;
    AtkObject* root_ = nullptr;
    std::map<WindowId, Window> windows_;
    std::vector<WindowId> order_;  // the frames, in the order the windows came
    std::set<WindowId> shown_;
    WindowId active_ = 0;
    int32_t focus_ = kNoNode;  // the node of the active window that has the focus
    std::vector<Request> posted_;
};

}  // namespace forms::sdl
