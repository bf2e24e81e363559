#include "lumo/engine/camera_animator.h"

#include "lumo/engine/wall_manager.h"

#include <algorithm>

namespace irr::scene {

using namespace lumo::wall;

CameraAnimator::CameraAnimator(ISceneManager* scene, CWallManager* wall)
    : scene_(scene)
    , wall_(wall)
{
}

void CameraAnimator::SetWall(float length)
{
    Select(nullptr);
    camera_.maxX = length;
    camera_.targetX = length / 2;
}

void CameraAnimator::SetWall(float length, float targetX)
{
    Select(nullptr);
    camera_.maxX = length;
    camera_.targetX = std::clamp(targetX, 0.0f, std::max(0.0f, length));
}

void CameraAnimator::Select(ISceneNode* tile)
{
    if (selected_ && selected_ != tile)
        selected_->setRotation(core::vector3df(0, 0, 0));
    selected_ = tile;
    camera_.selected = tile != nullptr;
    camera_.tileRotation = 0;
    if (tile) {
        camera_.tileX = tile->getPosition().X;
        camera_.tileY = tile->getPosition().Y;
        camera_.targetZ = kSelectedZ;
        wall_->Zoom(tile);
    } else {
        wall_->Unzoom();
    }
}

void CameraAnimator::animateNode(ISceneNode* node, u32 timeMs)
{
    if (!node || node->getType() != ESNT_CAMERA)
        return;
    const float dt = animatorDt(lastTime_ == 0 ? 0.0f : float(timeMs - lastTime_) / 1000.0f);
    lastTime_ = timeMs;
    if (dragging_ && !selected_) {
        dragBy(camera_, mouse_.X - lastMouse_.X);
        lastMouse_ = mouse_;
    }
    stepCamera(camera_, dt);
    if (selected_)
        selected_->setRotation(core::vector3df(0, camera_.tileRotation, 0));
    auto* camera = static_cast<ICameraSceneNode*>(node);
    camera->setPosition(core::vector3df(camera_.posX, camera_.posY, camera_.posZ));
    camera->setTarget(core::vector3df(camera_.lookX, camera_.posY, 0));
    camera->updateAbsolutePosition();
}

ISceneNodeAnimator* CameraAnimator::createClone(ISceneNode*, ISceneManager*)
{
    return nullptr;
}

ISceneNode* CameraAnimator::TileAt(const core::position2di& point) const
{
    ISceneNode* node
        = scene_->getSceneCollisionManager()->getSceneNodeFromScreenCoordinatesBB(point, kTileId, true);
    return wall_->IsTile(node) ? node : nullptr;
}

int CameraAnimator::ZoomStateAt(const core::position2di& point) const
{
    ISceneNode* tile = TileAt(point);
    return zoomState(tile != nullptr, tile && tile == selected_, camera_);
}

bool CameraAnimator::OnEvent(const SEvent& event)
{
    if (event.EventType != EET_MOUSE_INPUT_EVENT)
        return false;
    const core::position2di point(event.MouseInput.X, event.MouseInput.Y);
    switch (event.MouseInput.Event) {
    case EMIE_LMOUSE_PRESSED_DOWN: {
        ISceneNode* tile = TileAt(point);
        if (tile && tile != selected_) {
            Select(tile);
        } else {
            camera_.targetZ = kDragZ;
            const bool standingAtTile
                = selected_ && camera_.posX == camera_.tileX && camera_.posY == camera_.tileY;
            if (!standingAtTile)
                Select(nullptr);
        }
        dragging_ = true;
        lastMouse_ = mouse_ = point;
        return true;
    }
    case EMIE_LMOUSE_LEFT_UP:
        dragging_ = false;
        return true;
    case EMIE_RMOUSE_PRESSED_DOWN:
        Select(nullptr);
        camera_.targetZ = kDragZ;
        return true;
    case EMIE_MOUSE_MOVED:
        mouse_ = point;
        return true;
    case EMIE_MOUSE_WHEEL:
        Select(nullptr);
        camera_.targetZ = wheelZ(camera_.targetZ, event.MouseInput.Wheel);
        return true;
    default:
        return false;
    }
}

} // namespace irr::scene
