#include "lumo/engine/my_scene_node.h"

using namespace irr;

CMySceneNode::CMySceneNode(scene::ISceneNode* parent, scene::ISceneManager* scene, s32 id)
    : scene::ISceneNode(parent, scene, id)
    , box_(-60, -60, -60, 60, 60, 60)
{
    material_.Lighting = false;
    material_.Thickness = 2.0f;
}

void CMySceneNode::OnRegisterSceneNode()
{
    if (IsVisible)
        SceneManager->registerNodeForRendering(this);
    ISceneNode::OnRegisterSceneNode();
}

void CMySceneNode::render()
{
    video::IVideoDriver* driver = SceneManager->getVideoDriver();
    driver->setMaterial(material_);
    driver->setTransform(video::ETS_WORLD, AbsoluteTransformation);
    driver->draw3DBox(box_, video::SColor(255, 0xf6, 0xb7, 0x3c));
    driver->draw3DBox(core::aabbox3df(-30, -30, -30, 30, 30, 30), video::SColor(255, 0x4f, 0xa3, 0xe0));
}
