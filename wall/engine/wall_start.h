#pragma once
// How the program's walls start: their pictures from the program folder (the current directory), and the
// teacher told when no 3D device can be made. Inline, so that the engine itself needs no language library.
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/window_ops.h"
#include "support/language.h"
#include "wall/engine/wall_engine.h"

#include <QDir>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>

namespace lumo::wall {

// The settings every wall starts with; QM_WALL_LOAD_PAUSE_MS shortens the loading animation for tests.
inline WallSettings ProgramWallSettings()
{
    WallSettings settings;
    const QString cwd = QDir::currentPath();
    settings.backgroundPicture = cwd + QStringLiteral("/background.jpg");
    settings.fontPicture = cwd + QStringLiteral("/Bin/bigfont.png");
    settings.loadingFrames
        = {cwd + QStringLiteral("/Bin/loading1.png"), cwd + QStringLiteral("/Bin/loading2.png")};
    bool ok = false;
    if (const QByteArray pause = qgetenv("QM_WALL_LOAD_PAUSE_MS"); !pause.isEmpty()) {
        const int ms = pause.toInt(&ok);
        if (ok)
            settings.loadPauseMs = ms;
    }
    return settings;
}

// Starts the engine into the target's native window; false, after telling the teacher, without a 3D device.
inline bool StartOrTellNo3D(WallEngine& engine, QWidget* target, const WallSettings& settings)
{
    const WId window = target->winId();
    QGuiApplication::sync();
    if (engine.Start(window, target->size(), settings))
        return true;
    platform::MessageBox(nullptr, GetConfigString(QStringLiteral("未检测到3D支持,请检查显卡驱动等信息!")),
        IsEnglish() ? QStringLiteral("Tips") : QStringLiteral("提示"),
        platform::MB_OK | platform::MB_ICONWARNING);
    return false;
}

// Gives the panel back when a wall closes: through the panel's show/hide tab (restoreMessage) when it is
// there, else by showing the panel found by its title, which may take a moment to appear.
inline void GiveThePanelBack(unsigned restoreMessage)
{
    if (const platform::WindowRef tab = platform::FindWindow(QString(), QStringLiteral("HideDlg"))) {
        platform::SendMessage(tab, restoreMessage, 0, 0);
        return;
    }
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (const platform::WindowRef panel = FindPanel()) {
            platform::ShowWindow(panel, true);
            return;
        }
        QThread::msleep(40);
    }
}

} // namespace lumo::wall
