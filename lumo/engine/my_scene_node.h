#pragma once
// A small turning frame in front of the wall: the engine's sign of life while it waits, hidden as soon as a
// folder is on the wall.
#include <irrlicht.h>

class CMySceneNode : public irr::scene::ISceneNode {
public:
    CMySceneNode(irr::scene::ISceneNode* parent, irr::scene::ISceneManager* scene, irr::s32 id);

    void OnRegisterSceneNode() override;
    void render() override;
    const irr::core::aabbox3d<irr::f32>& getBoundingBox() const override { return box_; }

private:
    irr::core::aabbox3d<irr::f32> box_;
    irr::video::SMaterial material_;
};
