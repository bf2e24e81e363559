#pragma once
// The full-screen 3D window that the picture wall and the 3D board are made of: the engine's render target,
// the device started on the render thread (or the teacher told there is no 3D), the pointer handed to the
// window's own rules, and the panel folded away while the window is up and given back when it goes.
#include "lumo/engine/wall_engine.h"

#include <QWidget>

#include <memory>

namespace platform {
class MessageTable;
}

class QTimer;

namespace lumo {

constexpr unsigned kMsgRestorePanel = 0x070A; // to the panel's show/hide tab
constexpr unsigned kMsgCollapsePanel = 0x069A; // to the panel: fold away while a 3D window is up

// The settings every wall starts with, its pictures from the program folder (the current directory);
// QM_WALL_LOAD_PAUSE_MS shortens the loading animation for tests.
wall::WallSettings ProgramWallSettings();

class LumoWindow : public QWidget {
    Q_OBJECT
public:
    // A frameless window over the primary screen in the page's place, answering WM_COMMAND under its title
    // and window class.
    LumoWindow(const QString& title, const QString& windowClass);
    ~LumoWindow() override;

    wall::WallEngine& Engine() { return engine_; }
    bool Started() const { return started_; }

    virtual void OnCommand(int id) = 0;
    // The pointer on the render target; the engine gets it unless the window's rules take it.
    virtual void Pointer(const wall::PointerEvent& event);

    // Gives the panel back when a 3D window closes: through the panel's show/hide tab when it is there, else
    // by showing the panel found by its title, which may take a moment to appear.
    static void GiveThePanelBack();
    // Asks the panel's show/hide tab for the panel; false when there is no tab.
    static bool AskTheTabForThePanel();
    // The title of the window's message boxes in the language in force.
    static QString TipsTitle();

protected:
    // Starts the engine into the render target; false, after telling the teacher, without a 3D device. Once
    // started, Follow runs every 50 ms.
    bool StartEngine(const wall::WallSettings& settings);
    // Keeps what floats over the 3D view in step with it.
    virtual void Follow() { }
    void StopFollowing();
    platform::MessageTable& Messages() { return *messages_; }

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    wall::WallEngine engine_;
    QWidget* renderTarget_ = nullptr;
    std::unique_ptr<platform::MessageTable> messages_;
    QTimer* follow_ = nullptr;
    bool started_ = false;
};

} // namespace lumo
