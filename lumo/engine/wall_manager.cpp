#include "lumo/engine/wall_manager.h"

#include "lumo/engine/wall_rules.h"

using namespace irr;

namespace lumo::wall {

CWallManager::CWallManager(scene::ISceneManager* scene, video::IVideoDriver* driver)
    : scene_(scene)
    , driver_(driver)
{
}

CWallManager::~CWallManager()
{
    Clear();
}

video::ITexture* CWallManager::MakeTexture(const QImage& picture, const QString& name)
{
    if (picture.isNull())
        return nullptr;
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    // Little-endian ARGB32 is Irrlicht's A8R8G8B8; the image is copied, so its rows must be packed.
    if (image.bytesPerLine() != image.width() * 4)
        image = image.copy();
    video::IImage* irrImage = driver_->createImageFromData(video::ECF_A8R8G8B8,
        core::dimension2du(u32(image.width()), u32(image.height())), const_cast<uchar*>(image.constBits()),
        false, true);
    if (!irrImage)
        return nullptr;
    driver_->setTextureCreationFlag(video::ETCF_CREATE_MIP_MAPS, false);
    driver_->setTextureCreationFlag(video::ETCF_ALWAYS_16_BIT, true);
    const QByteArray key = QStringLiteral("%1#%2").arg(name).arg(++textureSerial_).toUtf8();
    video::ITexture* texture = driver_->addTexture(io::path(key.constData()), irrImage);
    irrImage->drop();
    return texture;
}

float CWallManager::Layout(std::vector<LoadedPicture> pictures)
{
    Clear();
    std::vector<LoadedPicture*> loaded;
    for (LoadedPicture& p : pictures)
        if (!p.texture.isNull())
            loaded.push_back(&p);
    const int n = int(loaded.size());
    float length = 0;
    for (int i = 0; i < n; ++i) {
        LoadedPicture& picture = *loaded[size_t(i)];
        video::ITexture* texture = MakeTexture(picture.texture, picture.item->FilePath());
        if (!texture)
            continue;
        const TilePlace place = tilePlace(int(tiles_.size()), n, rows_);
        const QSizeF size = tileSize(picture.original.isEmpty() ? picture.texture.size() : picture.original);
        scene::IMeshSceneNode* node
            = scene_->addCubeSceneNode(1.0f, nullptr, kTileId, core::vector3df(place.x, place.y, 0),
                core::vector3df(0, 0, 0), core::vector3df(float(size.width()), float(size.height()), 0.001f));
        if (!node) {
            driver_->removeTexture(texture);
            continue;
        }
        node->setMaterialTexture(0, texture);
        node->setMaterialFlag(video::EMF_LIGHTING, false);
        node->setMaterialType(video::EMT_TRANSPARENT_ALPHA_CHANNEL);
        node->setName(picture.item->FilePath().toUtf8().constData());
        length = wallLength(int(tiles_.size()), rows_);
        tiles_.push_back(TileEntry {node, texture, std::move(picture.item)});
    }
    return length;
}

void CWallManager::Clear()
{
    Unzoom();
    for (TileEntry& tile : tiles_) {
        tile.node->remove();
        if (tile.texture)
            driver_->removeTexture(tile.texture);
    }
    tiles_.clear();
}

int CWallManager::IndexOf(scene::ISceneNode* node) const
{
    for (size_t i = 0; i < tiles_.size(); ++i)
        if (tiles_[i].node == node)
            return int(i);
    return -1;
}

scene::ISceneNode* CWallManager::Tile(int index) const
{
    return index >= 0 && index < TileCount() ? tiles_[size_t(index)].node : nullptr;
}

QString CWallManager::TilePath(scene::ISceneNode* node) const
{
    const int i = IndexOf(node);
    return i >= 0 ? tiles_[size_t(i)].item->FilePath() : QString();
}

scene::ISceneNode* CWallManager::Neighbour(scene::ISceneNode* node, int step) const
{
    const int i = IndexOf(node);
    return i < 0 ? nullptr : Tile(i + step);
}

void CWallManager::Zoom(scene::ISceneNode* node)
{
    if (node == zoomed_)
        return;
    Unzoom();
    const int i = IndexOf(node);
    if (i < 0)
        return;
    const IImageItem& item = *tiles_[size_t(i)].item;
    video::ITexture* big = MakeTexture(item.LoadFitted(zoomFit(item.OriginalSize())), item.FilePath());
    if (!big)
        return;
    node->setMaterialTexture(0, big);
    zoomed_ = node;
    zoomTexture_ = big;
}

bool CWallManager::Reload(const QString& path)
{
    for (TileEntry& tile : tiles_) {
        if (tile.item->FilePath() != path)
            continue;
        video::ITexture* fresh = MakeTexture(tile.item->Load(kTileTextureSide), path);
        if (!fresh)
            return false;
        const bool zoomed = zoomed_ == tile.node;
        if (zoomed)
            Unzoom();
        tile.node->setMaterialTexture(0, fresh);
        if (tile.texture)
            driver_->removeTexture(tile.texture);
        tile.texture = fresh;
        if (zoomed)
            Zoom(tile.node);
        return true;
    }
    return false;
}

void CWallManager::Unzoom()
{
    if (zoomed_) {
        const int i = IndexOf(zoomed_);
        if (i >= 0)
            zoomed_->setMaterialTexture(0, tiles_[size_t(i)].texture);
    }
    if (zoomTexture_)
        driver_->removeTexture(zoomTexture_);
    zoomed_ = nullptr;
    zoomTexture_ = nullptr;
}

} // namespace lumo::wall
