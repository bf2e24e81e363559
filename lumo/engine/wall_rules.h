#pragma once
// The picture wall's rules as plain functions: where the tiles go, how the camera glides, how a zoomed
// picture is fitted, which clicks count. Shared by the picture wall and the 3D board; no Irrlicht, no
// windows.
#include <QRect>
#include <QSize>
#include <QSizeF>
#include <QString>

namespace lumo::wall {

// Tiles stand 550 apart along a row; the three rows at y = 540, 0 and -540.
constexpr float kColumnStep = 550.0f;
constexpr float kRowStep = 540.0f;
// The largest a tile is in the scene: its picture's shape fitted into this square, so neighbours never
// overlap.
constexpr float kTileBox = 500.0f;
// The longest side of a tile's texture on the wall: what a 500-unit tile shows when the camera glides past.
constexpr int kTileTextureSide = 512;
// A zoomed picture is reloaded to fit this box.
constexpr int kZoomWidth = 960;
constexpr int kZoomHeight = 720;
// The camera's z: at start, while dragging, at a selected tile, and the wheel's limits.
constexpr float kStartZ = -2500.0f;
constexpr float kDragZ = -1400.0f;
constexpr float kSelectedZ = -500.0f;
constexpr float kNearestZ = -200.0f;
constexpr float kFarthestZ = -2800.0f;
// Clicks on the wall outside the picture count only this long after the last one that counted.
constexpr int kWallClickIntervalMs = 2000;

// The picture wall has three rows; the 3D board has two, at y = +270 and -270.
constexpr int kWallRows = 3;

// Tiles per row for n pictures: (n + 1) / rows, at least 1.
int itemsPerRow(int n, int rows = kWallRows);
struct TilePlace {
    float x = 0, y = 0;
};
// The place of tile i of n. Rows stand 540 apart around y = 0. The last row takes whatever the others leave,
// so that when (n + 1) / rows rounds down no tile is put on top of another.
TilePlace tilePlace(int i, int n, int rows = kWallRows);
// The wall's length for its last tile: (i / rows) × 550; the camera starts over its middle.
float wallLength(int lastIndex, int rows = kWallRows);

// A tile's size in the scene: the picture's shape fitted into kTileBox.
QSizeF tileSize(QSize picture);
// The size a tile's texture is loaded at: the picture fitted into kTileTextureSide, never enlarged.
QSize tileTextureSize(QSize picture);
// The logical rectangle that covers every device pixel of device, at ratio device pixels a logical one: where
// a tile the engine sees on the screen's own pixels lies for the windows above it.
QRect logicalCovering(const QRect& device, double ratio);
// The zoomed picture's size: height 720 when h/720 > w/960, else width 960, with the picture's shape;
// exactly 960 × 720 when the shapes are equal.
QSize zoomFit(QSize picture);

// A file is a picture when the last three characters of its name are "bmp", "jpg" or "png", in any case.
bool isPictureFile(const QString& fileName);
// The slide number in a slide picture's name: what follows the last "_", up to the extension, with its
// leading zeros removed ("Lesson 1_012.PNG" → 12); 0 when there is none.
int slideNumberOfTile(const QString& tileName);

// An accepted wall click is one at least kWallClickIntervalMs after the last accepted one.
bool acceptWallClick(qint64 nowMs, qint64 lastAcceptedMs);

// The camera and its look-at point, and where the animator is taking them.
struct CameraState {
    float lookX = 0, posX = 0, posY = 0, posZ = kStartZ;
    float targetX = 0, targetY = 0, targetZ = kStartZ;
    float maxX = 0;
    bool selected = false;
    float tileX = 0, tileY = 0;
    float tileRotation = 0;
};
// dt in seconds as the clock measured it; a step longer than one second counts as 0.02 s.
float animatorDt(float measuredSeconds);
// A drag of the pointer by dx pixels with no tile selected: the wall glides the other way, within [0, maxX].
void dragBy(CameraState& camera, int dx);
// One step of the glide: each value moves toward its target at a speed of √|Δ| times its rate per second
// (look-at x 40, camera x and y 80, z 20, the selected tile's turn toward -180° 5), never past it.
void stepCamera(CameraState& camera, float dt);
// One value's step toward its target at √|Δ| × rate per second, snapping to it instead of passing it.
float approach(float value, float target, float rate, float dt);
// The wheel: moves the camera by 300 units a notch, within [kFarthestZ, kNearestZ].
float wheelZ(float targetZ, float wheelDelta);

// The fully-zoomed test: 0 nothing under the cursor, 1 another tile, 2 the selected tile with the camera
// standing in front of it at kSelectedZ.
int zoomState(bool tileUnderCursor, bool isSelectedTile, const CameraState& camera);

} // namespace lumo::wall
