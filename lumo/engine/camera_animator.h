#pragma once
// The camera's glide along the wall: drags, tile selection, the wheel, and one step per frame toward the
// targets (wall_rules). The engine's event receiver for the pointer; runs on the render thread.
#include "lumo/engine/wall_rules.h"

#include <irrlicht.h>

namespace lumo::wall {
class CWallManager;
}

namespace irr::scene {

class CameraAnimator : public ISceneNodeAnimator {
public:
    CameraAnimator(ISceneManager* scene, lumo::wall::CWallManager* wall);

    void animateNode(ISceneNode* node, u32 timeMs) override;
    ISceneNodeAnimator* createClone(ISceneNode* node, ISceneManager* newManager = nullptr) override;
    bool isEventReceiverEnabled() const override { return true; }
    bool OnEvent(const SEvent& event) override;

    // The wall's length: the look-at point starts over its middle and glides within [0, length].
    void SetWall(float length);
    // A wall read again: the look-at point keeps its target x, within [0, length].
    void SetWall(float length, float targetX);
    void SetTargetX(float x) { camera_.targetX = x; }
    void SetTargetZ(float z) { camera_.targetZ = z; }
    float TargetZ() const { return camera_.targetZ; }
    // Makes the tile the selected one (zoomed), or deselects with null.
    void Select(ISceneNode* tile);
    ISceneNode* Selected() const { return selected_; }
    const lumo::wall::CameraState& Camera() const { return camera_; }
    bool Dragging() const { return dragging_; }
    // The fully-zoomed test for the point (see zoomState).
    int ZoomStateAt(const core::position2di& point) const;
    // The tile under a point of the window, picked by bounding box; null when none is there.
    ISceneNode* TileAt(const core::position2di& point) const;

private:
    ISceneManager* scene_;
    lumo::wall::CWallManager* wall_;
    lumo::wall::CameraState camera_;
    ISceneNode* selected_ = nullptr;
    bool dragging_ = false;
    core::position2di lastMouse_;
    core::position2di mouse_;
    u32 lastTime_ = 0;
};

} // namespace irr::scene
