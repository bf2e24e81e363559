#pragma once
// The tiles of the wall: one flat cube per picture, its texture, and the zoomed texture of the selected one.
// Lives on the render thread, which alone touches the device.
#include "lumo/engine/image_spider.h"
#include "lumo/engine/wall_rules.h"

#include <QImage>
#include <QString>

#include <irrlicht.h>

#include <memory>
#include <vector>

namespace lumo::wall {

// A picture read by a loader thread, ready to become a tile.
struct LoadedPicture {
    std::unique_ptr<IImageItem> item;
    QImage texture; // at the size a tile shows
    QSize original;
};

// The id bit that picking looks for: only tiles carry it.
constexpr irr::s32 kTileId = 1;

class CWallManager {
public:
    CWallManager(irr::scene::ISceneManager* scene, irr::video::IVideoDriver* driver);
    ~CWallManager();
    CWallManager(const CWallManager&) = delete;
    CWallManager& operator=(const CWallManager&) = delete;

    // How many rows the tiles stand in: three on the picture wall, two on the board.
    void SetRows(int rows) { rows_ = rows; }
    int Rows() const { return rows_; }
    // Removes the old tiles and lays the pictures out in rows; pictures that do not load take no place.
    // Returns the wall length.
    float Layout(std::vector<LoadedPicture> pictures);
    void Clear();

    int TileCount() const { return int(tiles_.size()); }
    bool IsTile(irr::scene::ISceneNode* node) const { return IndexOf(node) >= 0; }
    int IndexOf(irr::scene::ISceneNode* node) const;
    irr::scene::ISceneNode* Tile(int index) const;
    QString TilePath(irr::scene::ISceneNode* node) const;
    // The tile before (step -1) or after (+1) this one; null past either end.
    irr::scene::ISceneNode* Neighbour(irr::scene::ISceneNode* node, int step) const;

    // Gives the tile its picture at 960 × 720 (fitted), and the previously zoomed tile its wall texture back.
    void Zoom(irr::scene::ISceneNode* node);
    void Unzoom();
    // Reads the picture of the tile with this file again after the file changed (a zoomed tile is zoomed
    // again); false when no tile has it or it no longer loads.
    bool Reload(const QString& path);

    // A texture from a 32-bit ARGB picture, made at 16 bits without mip-maps; null for a null picture.
    irr::video::ITexture* MakeTexture(const QImage& image, const QString& name);

private:
    struct TileEntry {
        irr::scene::IMeshSceneNode* node = nullptr;
        irr::video::ITexture* texture = nullptr;
        std::unique_ptr<IImageItem> item;
    };

    irr::scene::ISceneManager* scene_;
    irr::video::IVideoDriver* driver_;
    std::vector<TileEntry> tiles_;
    irr::scene::ISceneNode* zoomed_ = nullptr;
    irr::video::ITexture* zoomTexture_ = nullptr;
    int textureSerial_ = 0;
    int rows_ = kWallRows;
};

} // namespace lumo::wall
