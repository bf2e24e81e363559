#include "recorder/recorder_exports.h"

#include "recorder/record_dlg.h"
#include "recorder/sound_input.h"

#include <QCoreApplication>
#include <QPointer>

namespace {

QPointer<CRecordDlg>& window()
{
    static QPointer<CRecordDlg> dlg;
    return dlg;
}

CRecordDlg* recordWindow()
{
    if (!window()) {
        window() = new CRecordDlg();
        // A recording running when the program ends is closed properly: its file gets its index.
        QObject::connect(
            qApp, &QCoreApplication::aboutToQuit, window(), [] { DestroyRecordControlWindow(); });
    }
    return window();
}

} // namespace

void StartRecordScreen()
{
    recordWindow()->startButton();
}

void PauseRecordScreen()
{
    if (window())
        window()->pauseRecording();
}

void StopRecordScreen()
{
    if (window())
        window()->stopRecording();
}

int IsPlaying()
{
    return window() && window()->control().recording() ? 1 : 0;
}

int IsRecordVisible()
{
    return window() && window()->isVisible() ? 1 : 0;
}

void ShowRecordWindow()
{
    recordWindow()->show();
}

void HideRecordWindow()
{
    if (window())
        window()->hide();
}

void ShowRecordControlWindow()
{
    CRecordDlg* dlg = recordWindow();
    dlg->setVisible(!dlg->isVisible());
    if (!dlg->control().saving())
        dlg->startButton();
}

void DestroyRecordControlWindow()
{
    delete window().data();
}

int GetSoundSources(QStringList* names, QStringList* descriptions)
{
    const std::optional<QList<recorder::SoundSource>> sources = recorder::soundSources();
    if (!sources)
        return 0;
    for (const recorder::SoundSource& source : *sources) {
        if (names)
            names->append(source.name);
        if (descriptions)
            descriptions->append(source.description);
    }
    return 1;
}
