#pragma once
// The wall's engine: an Irrlicht device made, used and dropped on a render thread of its own inside a native
// child window, the scene lock, and the loader threads. The UI thread talks to it only through these calls;
// each takes the scene lock for a moment to hand over input, a resize or a scene change, which the render
// thread applies at the start of its next frame.
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace lumo::wall {

struct PointerEvent {
    enum Kind { LeftDown, LeftUp, RightDown, Move, Wheel };
    Kind kind = Move;
    int x = 0, y = 0;
    float wheel = 0;
};

// What the render thread shows now, published once a frame.
struct WallView {
    bool loaded = false; // a folder is on the wall (the data folder is set)
    int tiles = 0;
    QString selected; // the selected tile's file, empty when none
    int selectedIndex = -1;
    bool standing = false; // the camera stands in front of the selected tile
    bool turned = false; // the selected tile has finished its turn and faces the camera
    QRect selectedRect; // where the selected tile is on the window
    quint64 frames = 0;
    float cameraX = 0, cameraZ = 0;
};

struct WallSettings {
    QString backgroundPicture; // drawn behind the scene when it loads
    QString fontPicture; // the GUI's bitmap font
    QStringList loadingFrames; // the two frames of the loading animation
    int loadPauseMs = 2000; // the loading animation shows at least this long for a new folder
    int frameMs = 10; // the shortest frame: the render thread rests for what is left of it
    int rows = 3; // the rows the tiles stand in
    bool stretchBackground = false; // the background picture is drawn at the window's size
};

class WallEngine {
public:
    WallEngine();
    ~WallEngine();
    WallEngine(const WallEngine&) = delete;
    WallEngine& operator=(const WallEngine&) = delete;

    // The window's device pixels per logical pixel. The scene is drawn at the screen's own pixels, while
    // every call here takes and gives logical pixels, as Qt's events and windows have them. Set before Start.
    void SetScale(double ratio);

    // Starts the render thread on the native window and waits until it has a device: OpenGL first (hardware
    // or Mesa), then Burning's Video. False when no device could be made; the thread has ended then.
    bool Start(unsigned long windowId, QSize size, const WallSettings& settings);
    void Stop();
    // Which driver the device has ("OpenGL", "Burning's Video"), empty before Start.
    QString DriverName() const;

    // Rendering pauses while the wall is hidden.
    void SetVisible(bool visible);
    void Resize(QSize size);
    void Pointer(const PointerEvent& event);
    // Loads a folder on a loader thread: the loading animation shows meanwhile; the wall replaces the old
    // one. done runs on the loader thread once the new wall is laid out.
    void LoadFolder(const QString& folder, std::function<void()> done = {});
    // Reads the folder last loaded again, without the loading animation: the wall on screen stays until the
    // new one is laid out. The camera keeps its place, or with showLast glides to the last tile. done runs as
    // for LoadFolder.
    void Refresh(bool showLast = false, std::function<void()> done = {});
    // The data folder on the wall; empty while nothing is loaded or a folder is loading.
    QString DataFolder() const;
    // Steps the selection to the previous (-1) or next (+1) tile, when one is selected.
    void Step(int direction);
    void Deselect();
    // Selects tile index (in the wall's order) when there is one.
    void SelectIndex(int index);
    // Selects the tile at a point of the window; with none there, deselects and sets the camera's target z.
    void SelectAt(QPoint point, float zWhenNone);
    // Reads the picture of a tile again after its file changed.
    void ReloadPicture(const QString& path);
    void SetTargetZ(float z);
    // Shows or hides the small turning frame in front of the wall.
    void ShowSpinner(bool shown);

    WallView View() const;
    // How long the calls above waited for the scene lock, in milliseconds, since the last call.
    std::vector<double> TakeLockWaits();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace lumo::wall
