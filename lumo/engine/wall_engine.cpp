#include "lumo/engine/wall_engine.h"

#include "lumo/engine/camera_animator.h"
#include "lumo/engine/my_scene_node.h"
#include "lumo/engine/wall_manager.h"
#include "lumo/engine/wall_rules.h"

#include "platform/display_connection.h"

#include <irrlicht.h>

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <pthread.h>
#include <thread>

using namespace irr;

namespace lumo::wall {

namespace {

using Clock = std::chrono::steady_clock;

// The bar along the foot of the wall, with the tile's number in its middle, in logical pixels.
constexpr int kBarHeight = 40;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// What the render thread owns: every Irrlicht object lives and dies on it.
struct Scene {
    IrrlichtDevice* device = nullptr;
    video::IVideoDriver* driver = nullptr;
    scene::ISceneManager* smgr = nullptr;
    gui::IGUIEnvironment* gui = nullptr;
    scene::ICameraSceneNode* camera = nullptr;
    std::unique_ptr<CWallManager> wall;
    scene::CameraAnimator* animator = nullptr;
    CMySceneNode* spinner = nullptr;
    video::ITexture* background = nullptr;
    video::ITexture* loading[2] = {nullptr, nullptr};
    gui::IGUIStaticText* bar = nullptr;
    gui::IGUIStaticText* middle = nullptr;
    int loadingOffset = 0;
    int loadingFrame = 0;
    core::dimension2du size;
};

} // namespace

struct WallEngine::Impl {
    WallSettings settings;
    std::thread renderThread;
    std::vector<std::pair<std::thread, std::shared_ptr<std::atomic<bool>>>> loaders;
    std::atomic<bool> keepRunning {false};

    // The scene lock: everything below is handed between the UI, loader and render threads under it.
    mutable std::mutex lock;
    std::vector<std::function<void(Scene&)>> commands;
    std::vector<PointerEvent> input;
    bool visible = true;
    QString dataFolder;
    QString lastFolder; // the folder of the last LoadFolder, which Refresh reads again
    WallView view;
    std::vector<double> lockWaits;
    int loadGeneration = 0;
    double ratio = 1.0; // device pixels per logical pixel

    // Start-up handshake.
    std::mutex startLock;
    std::condition_variable started;
    int startResult = -1; // -1 waiting, 0 no device, 1 running
    QString driverName;

    std::unique_lock<std::mutex> LockFromUi()
    {
        const auto start = Clock::now();
        std::unique_lock<std::mutex> held(lock);
        lockWaits.push_back(millisecondsSince(start));
        return held;
    }

    void Post(std::function<void(Scene&)> command)
    {
        auto held = LockFromUi();
        commands.push_back(std::move(command));
    }

    bool MakeDevice(Scene& s, unsigned long windowId, QSize size)
    {
        std::vector<video::E_DRIVER_TYPE> drivers {video::EDT_OPENGL, video::EDT_BURNINGSVIDEO};
        const QByteArray wanted = qgetenv("QM_WALL_DRIVER");
        if (wanted == "burnings")
            drivers.erase(drivers.begin());
        else if (wanted == "none") // a desktop without any 3D, for the tests
            drivers.clear();
        for (video::E_DRIVER_TYPE type : drivers) {
            SIrrlichtCreationParameters p;
            p.DriverType = type;
            p.WindowId = reinterpret_cast<void*>(windowId);
            p.WindowSize
                = core::dimension2du(u32(std::max(1, size.width())), u32(std::max(1, size.height())));
            p.IgnoreInput = true;
            p.Doublebuffer = true;
            p.Vsync = false;
            p.Bits = 24;
            p.LoggingLevel = ELL_ERROR;
            s.device = createDeviceEx(p);
            if (s.device && s.device->getVideoDriver()) {
                driverName = type == video::EDT_OPENGL ? QStringLiteral("OpenGL")
                                                       : QStringLiteral("Burning's Video");
                return true;
            }
            if (s.device) {
                s.device->drop();
                s.device = nullptr;
            }
        }
        return false;
    }

    void BuildScene(Scene& s)
    {
        s.driver = s.device->getVideoDriver();
        s.smgr = s.device->getSceneManager();
        s.gui = s.device->getGUIEnvironment();
        s.size = s.driver->getScreenSize();
        s.wall = std::make_unique<CWallManager>(s.smgr, s.driver);
        s.wall->SetRows(settings.rows);
        s.camera
            = s.smgr->addCameraSceneNode(nullptr, core::vector3df(0, 0, kStartZ), core::vector3df(0, 0, 0));
        s.camera->setFarValue(20000.0f);
        s.animator = new scene::CameraAnimator(s.smgr, s.wall.get());
        s.camera->addAnimator(s.animator);
        s.animator->drop(); // the camera holds it

        gui::IGUIFont* font = nullptr;
        if (!settings.fontPicture.isEmpty())
            font = s.gui->getFont(io::path(settings.fontPicture.toUtf8().constData()));
        s.bar = s.gui->addStaticText(L"", core::recti(0, 0, 1, 1), false, false, nullptr, -1, true);
        s.bar->setBackgroundColor(video::SColor(170, 0x10, 0x23, 0x3f));
        s.middle = s.gui->addStaticText(L"", core::recti(0, 0, 1, 1), false, false, nullptr, -1, true);
        s.middle->setBackgroundColor(video::SColor(255, 0x1d, 0x4e, 0x89));
        s.middle->setTextAlignment(gui::EGUIA_CENTER, gui::EGUIA_CENTER);
        s.middle->setOverrideColor(video::SColor(255, 255, 255, 255));
        if (font)
            s.middle->setOverrideFont(font);
        PlaceGui(s, Device(kBarHeight));

        if (!settings.backgroundPicture.isEmpty())
            s.background = s.driver->getTexture(io::path(settings.backgroundPicture.toUtf8().constData()));
        for (int i = 0; i < 2 && i < settings.loadingFrames.size(); ++i)
            s.loading[i] = s.driver->getTexture(io::path(settings.loadingFrames[i].toUtf8().constData()));

        s.spinner = new CMySceneNode(s.smgr->getRootSceneNode(), s.smgr, 0);
        s.spinner->setPosition(core::vector3df(0, -100, -1000));
        scene::ISceneNodeAnimator* turn = s.smgr->createRotationAnimator(core::vector3df(0.8f, 0, 0.8f));
        s.spinner->addAnimator(turn);
        turn->drop();
        s.spinner->setVisible(false);
        s.spinner->drop(); // the scene holds it
    }

    static void PlaceGui(Scene& s, s32 bar)
    {
        const s32 w = s32(s.size.Width), h = s32(s.size.Height);
        s.bar->setRelativePosition(core::recti(0, h - bar, w, h));
        s.middle->setRelativePosition(core::recti(w / 3, h - bar, 2 * w / 3, h));
        if (s.camera && h > 0)
            s.camera->setAspectRatio(float(w) / float(h));
    }

    // Logical pixels as the screen's own; set before the render thread starts and never after.
    int Device(int logical) const { return int(std::lround(logical * ratio)); }
    QSize Device(QSize logical) const { return QSize(Device(logical.width()), Device(logical.height())); }

    void Publish(Scene& s, quint64 frames)
    {
        WallView v;
        v.tiles = s.wall->TileCount();
        v.frames = frames;
        const CameraState& c = s.animator->Camera();
        v.cameraX = c.posX;
        v.cameraZ = c.posZ;
        if (scene::ISceneNode* tile = s.animator->Selected()) {
            v.selected = s.wall->TilePath(tile);
            v.selectedIndex = s.wall->IndexOf(tile);
            v.standing = c.posX == c.tileX && c.posY == c.tileY && c.posZ == kSelectedZ;
            v.turned = c.tileRotation == -180.0f;
            core::vector3df corners[8];
            tile->getTransformedBoundingBox().getEdges(corners);
            QRect r;
            for (const core::vector3df& corner : corners) {
                const core::position2di p
                    = s.smgr->getSceneCollisionManager()->getScreenCoordinatesFrom3DPosition(
                        corner, s.camera);
                r = r.isNull() ? QRect(p.X, p.Y, 1, 1) : r.united(QRect(p.X, p.Y, 1, 1));
            }
            v.selectedRect = r;
        }
        const wchar_t* none = L"";
        if (v.tiles > 0) {
            const core::stringw text = core::stringw(v.selectedIndex >= 0 ? v.selectedIndex + 1 : 0) + L" / "
                + core::stringw(v.tiles);
            s.middle->setText(text.c_str());
        } else {
            s.middle->setText(none);
        }
        std::lock_guard<std::mutex> held(lock);
        v.loaded = !dataFolder.isEmpty();
        view = v;
    }

    void Run(unsigned long windowId, QSize size)
    {
        // Named, so that a look at the process's threads tells the wall's own from the graphics driver's.
        pthread_setname_np(pthread_self(), "QMWallRender");
        Scene s;
        const bool ok = MakeDevice(s, windowId, size);
        {
            std::lock_guard<std::mutex> held(startLock);
            startResult = ok ? 1 : 0;
        }
        started.notify_all();
        if (!ok)
            return;
        BuildScene(s);

        quint64 frames = 0;
        while (keepRunning && s.device->run()) {
            const auto frameStart = Clock::now();
            std::vector<std::function<void(Scene&)>> todo;
            std::vector<PointerEvent> events;
            bool shown = true;
            bool loaded = false;
            {
                std::lock_guard<std::mutex> held(lock);
                todo.swap(commands);
                events.swap(input);
                shown = visible;
                loaded = !dataFolder.isEmpty();
            }
            for (auto& command : todo)
                command(s);
            for (const PointerEvent& e : events)
                Forward(s, e);
            if (!shown) {
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
                continue;
            }
            if (loaded) {
                s.driver->beginScene(true, true, video::SColor(250, 0, 0, 0));
                if (s.background) {
                    // At its own size in logical pixels, or stretched over the window.
                    const core::dimension2du b = s.background->getOriginalSize();
                    const core::recti to = settings.stretchBackground
                        ? core::recti(0, 0, s32(s.size.Width), s32(s.size.Height))
                        : core::recti(0, 0, Device(s32(b.Width)), Device(s32(b.Height)));
                    s.driver->draw2DImage(s.background, to, core::recti(0, 0, s32(b.Width), s32(b.Height)));
                }
                s.smgr->drawAll();
                s.gui->drawAll();
                s.driver->endScene();
                Publish(s, ++frames);
                // The frame rests for what is left of its shortest time, not for the whole of it again.
                const double left = settings.frameMs - millisecondsSince(frameStart);
                if (left > 0)
                    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(left));
            } else {
                s.driver->beginScene(true, true, video::SColor(255, 0, 0, 0));
                DrawLoading(s);
                s.driver->endScene();
                Publish(s, frames);
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
        s.wall.reset();
        // The device leaves the X connection it opened for the window open; closed here, the graphics driver
        // lets go of its screen and its threads.
        void* display = driverName == QStringLiteral("OpenGL")
            ? s.driver->getExposedVideoData().OpenGLLinux.X11Display
            : nullptr;
        s.device->closeDevice();
        s.device->run();
        s.device->drop();
        platform::closeDisplayConnection(display);
    }

    enum class Placing { Middle, Kept, Last };

    // Reads the folder's pictures on a loader thread and hands them to the render thread, which lays them out
    // unless another load has begun since.
    void StartLoader(
        const QString& folder, int generation, int pauseMs, Placing placing, std::function<void()> done)
    {
        // Loaders that have finished are joined here, so that a board's many refreshes do not pile them up.
        for (auto it = loaders.begin(); it != loaders.end();) {
            if (it->second->load()) {
                it->first.join();
                it = loaders.erase(it);
            } else {
                ++it;
            }
        }
        auto finished = std::make_shared<std::atomic<bool>>(false);
        std::thread loader([this, folder, generation, pauseMs, placing, finished, done = std::move(done)] {
            pthread_setname_np(pthread_self(), "QMWallLoader");
            Load(folder, generation, pauseMs, placing, done);
            finished->store(true);
        });
        loaders.emplace_back(std::move(loader), std::move(finished));
    }

    void Load(const QString& folder, int generation, int pauseMs, Placing placing, std::function<void()> done)
    {
        const auto start = Clock::now();
        lumo::spider::CLocalImageSpider spider(folder);
        auto items = spider.Crawl();
        auto pictures = std::make_shared<std::vector<LoadedPicture>>();
        for (auto& item : items) {
            {
                std::lock_guard<std::mutex> held(lock);
                if (generation != loadGeneration)
                    return;
            }
            LoadedPicture p;
            p.original = item->OriginalSize();
            p.texture = item->Load(kTileTextureSide);
            p.item = std::move(item);
            pictures->push_back(std::move(p));
        }
        const double left = pauseMs - millisecondsSince(start);
        if (left > 0)
            std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(left));
        std::lock_guard<std::mutex> held(lock);
        if (generation != loadGeneration)
            return;
        commands.push_back([this, folder, generation, pictures, placing, done](Scene& s) {
            const float keptX = s.animator->Camera().targetX;
            // The selected tile goes with the old wall: nothing may point at it once it is removed.
            s.animator->Select(nullptr);
            s.animator->SetTargetX(0);
            const float length = s.wall->Layout(std::move(*pictures));
            if (placing == Placing::Middle) {
                s.animator->SetWall(length);
            } else if (placing == Placing::Kept) {
                s.animator->SetWall(length, keptX);
            } else {
                scene::ISceneNode* last = s.wall->Tile(s.wall->TileCount() - 1);
                s.animator->SetWall(length, last ? last->getPosition().X : keptX);
            }
            s.middle->setBackgroundColor(video::SColor(127, 0x1d, 0x4e, 0x89));
            if (s.spinner->isVisible())
                s.spinner->setVisible(false);
            {
                std::lock_guard<std::mutex> held(lock);
                if (generation == loadGeneration)
                    dataFolder = folder;
            }
            if (done)
                done();
        });
    }

    void DrawLoading(Scene& s)
    {
        video::ITexture* frame = s.loading[s.loadingFrame % 2];
        s.loadingFrame ^= 1;
        s.loadingOffset = s.loadingOffset + 20 > 750 ? 0 : s.loadingOffset + 20;
        if (!frame)
            return;
        const core::dimension2du f = frame->getOriginalSize();
        const s32 x = (s32(s.size.Width) - 750) / 2 + s.loadingOffset;
        const s32 y = (s32(s.size.Height) - s32(f.Height)) / 2;
        s.driver->draw2DImage(frame, core::position2di(x, y), core::recti(0, 0, s32(f.Width), s32(f.Height)),
            nullptr, video::SColor(255, 255, 255, 255), true);
    }

    void Forward(Scene& s, const PointerEvent& e)
    {
        SEvent event;
        event.EventType = EET_MOUSE_INPUT_EVENT;
        event.MouseInput.X = e.x;
        event.MouseInput.Y = e.y;
        event.MouseInput.Wheel = e.wheel;
        event.MouseInput.Shift = false;
        event.MouseInput.Control = false;
        event.MouseInput.ButtonStates = 0;
        switch (e.kind) {
        case PointerEvent::LeftDown:
            event.MouseInput.Event = EMIE_LMOUSE_PRESSED_DOWN;
            break;
        case PointerEvent::LeftUp:
            event.MouseInput.Event = EMIE_LMOUSE_LEFT_UP;
            break;
        case PointerEvent::RightDown:
            event.MouseInput.Event = EMIE_RMOUSE_PRESSED_DOWN;
            break;
        case PointerEvent::Move:
            event.MouseInput.Event = EMIE_MOUSE_MOVED;
            break;
        case PointerEvent::Wheel:
            event.MouseInput.Event = EMIE_MOUSE_WHEEL;
            break;
        }
        s.animator->OnEvent(event);
    }
};

WallEngine::WallEngine()
    : d(std::make_unique<Impl>())
{
}

WallEngine::~WallEngine()
{
    Stop();
}

void WallEngine::SetScale(double ratio)
{
    d->ratio = ratio > 0.0 ? ratio : 1.0;
}

bool WallEngine::Start(unsigned long windowId, QSize logicalSize, const WallSettings& settings)
{
    if (d->renderThread.joinable())
        return true;
    const QSize size = d->Device(logicalSize);
    d->settings = settings;
    d->keepRunning = true;
    d->startResult = -1;
    d->renderThread = std::thread([this, windowId, size] { d->Run(windowId, size); });
    std::unique_lock<std::mutex> held(d->startLock);
    d->started.wait(held, [this] { return d->startResult >= 0; });
    if (d->startResult == 0) {
        held.unlock();
        d->renderThread.join();
        d->keepRunning = false;
        return false;
    }
    return true;
}

void WallEngine::Stop()
{
    d->keepRunning = false;
    {
        std::lock_guard<std::mutex> held(d->lock);
        ++d->loadGeneration;
    }
    for (auto& loader : d->loaders)
        if (loader.first.joinable())
            loader.first.join();
    d->loaders.clear();
    if (d->renderThread.joinable())
        d->renderThread.join();
}

QString WallEngine::DriverName() const
{
    return d->driverName;
}

void WallEngine::SetVisible(bool visible)
{
    auto held = d->LockFromUi();
    d->visible = visible;
}

void WallEngine::Resize(QSize logicalSize)
{
    d->Post([size = d->Device(logicalSize), bar = d->Device(kBarHeight)](Scene& s) {
        s.size = core::dimension2du(u32(std::max(1, size.width())), u32(std::max(1, size.height())));
        s.driver->OnResize(s.size);
        Impl::PlaceGui(s, bar);
    });
}

void WallEngine::Pointer(const PointerEvent& event)
{
    PointerEvent device = event;
    device.x = d->Device(event.x);
    device.y = d->Device(event.y);
    auto held = d->LockFromUi();
    d->input.push_back(device);
}

void WallEngine::LoadFolder(const QString& folder, std::function<void()> done)
{
    int generation = 0;
    {
        auto held = d->LockFromUi();
        d->dataFolder.clear();
        d->lastFolder = folder;
        generation = ++d->loadGeneration;
    }
    d->StartLoader(folder, generation, d->settings.loadPauseMs, Impl::Placing::Middle, std::move(done));
}

void WallEngine::Refresh(bool showLast, std::function<void()> done)
{
    int generation = 0;
    QString folder;
    {
        auto held = d->LockFromUi();
        folder = d->lastFolder;
        generation = ++d->loadGeneration;
    }
    if (folder.isEmpty())
        return;
    d->StartLoader(
        folder, generation, 0, showLast ? Impl::Placing::Last : Impl::Placing::Kept, std::move(done));
}

QString WallEngine::DataFolder() const
{
    std::lock_guard<std::mutex> held(d->lock);
    return d->dataFolder;
}

void WallEngine::Step(int direction)
{
    d->Post([direction](Scene& s) {
        if (scene::ISceneNode* next = s.wall->Neighbour(s.animator->Selected(), direction))
            s.animator->Select(next);
    });
}

void WallEngine::Deselect()
{
    d->Post([](Scene& s) {
        s.animator->Select(nullptr);
        s.animator->SetTargetZ(kDragZ);
    });
}

void WallEngine::SetTargetZ(float z)
{
    d->Post([z](Scene& s) { s.animator->SetTargetZ(z); });
}

void WallEngine::ShowSpinner(bool shown)
{
    d->Post([shown](Scene& s) { s.spinner->setVisible(shown); });
}

void WallEngine::SelectIndex(int index)
{
    d->Post([index](Scene& s) {
        if (scene::ISceneNode* tile = s.wall->Tile(index))
            s.animator->Select(tile);
    });
}

void WallEngine::SelectAt(QPoint logicalPoint, float zWhenNone)
{
    d->Post([point = QPoint(d->Device(logicalPoint.x()), d->Device(logicalPoint.y())), zWhenNone](Scene& s) {
        scene::ISceneNode* tile = s.animator->TileAt(core::position2di(point.x(), point.y()));
        s.animator->Select(tile);
        if (!tile)
            s.animator->SetTargetZ(zWhenNone);
    });
}

void WallEngine::ReloadPicture(const QString& path)
{
    d->Post([path](Scene& s) { s.wall->Reload(path); });
}

WallView WallEngine::View() const
{
    WallView view;
    {
        std::lock_guard<std::mutex> held(d->lock);
        view = d->view;
    }
    view.selectedRect = logicalCovering(view.selectedRect, d->ratio);
    return view;
}

std::vector<double> WallEngine::TakeLockWaits()
{
    std::lock_guard<std::mutex> held(d->lock);
    std::vector<double> waits;
    waits.swap(d->lockWaits);
    return waits;
}

} // namespace lumo::wall
