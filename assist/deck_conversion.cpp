#include "assist/deck_conversion.h"
#include "assist/assist_exports.h"
#include "assist/conversion_progress.h"
#include "assist/deck_convert_model.h"
#include "assist/ppt_convert.h"

#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/notice.h"
#include "platform/shell.h"
#include "support/language.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QProcess>
#include <QThread>
#include <QThreadPool>

#include <atomic>

namespace {

// Sent to the panel's show/hide tab ("HideDlg"): give the panel back.
constexpr UINT kMsgRestorePanelFromLibrary = 0x070A;
// Sent to the panel ("白板"): show the picture wall; lParam points to the folder (a QString).
constexpr UINT kMsgShowWall = 0x077B;

std::atomic<int> g_busy {0};
QMutex g_lock;
QString g_deckPath;
QString g_lastFolder;
QString g_readyFolder;
bool g_ready = false;
bool g_browserOpen = false;
qmhelp::DeckChooser g_deckChooser;
qmhelp::FolderChooser g_folderChooser;

bool english()
{
    return IsEnglish();
}

void restorePanel()
{
    if (const platform::WindowRef tab = platform::FindWindow(QString(), QStringLiteral("HideDlg")))
        platform::SendMessage(tab, kMsgRestorePanelFromLibrary, 0, 0);
}

// Runs f on the UI thread and waits for it; called directly when already there.
template<typename F>
auto onUiThread(F f)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return f();
    decltype(f()) result {};
    QMetaObject::invokeMethod(
        app, [&] { result = f(); }, Qt::BlockingQueuedConnection);
    return result;
}

void showOfficeMissing()
{
    if (english())
        platform::MessageBox(nullptr, QStringLiteral("Please install LibreOffice Impress first."),
            QStringLiteral("Tips"), platform::MB_OK | platform::MB_ICONWARNING);
    else
        platform::MessageBox(nullptr,
            QStringLiteral("未安装OFFICE库文件,转化失败\r\n请先安装LibreOffice Impress"),
            QStringLiteral("提示"), platform::MB_OK | platform::MB_ICONWARNING);
}

// The progress window of the conversion under way; it lives on the UI thread, which alone touches it.
QPointer<DIALOG::CConversionProgress> g_progress;
std::atomic<bool> g_cancel {false};

template<typename F>
void laterOnUiThread(F f)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(f), Qt::QueuedConnection);
}

void openProgress(const QString& title)
{
    laterOnUiThread([title] {
        delete g_progress;
        const platform::WindowRef panel = FindPanel();
        g_progress = new DIALOG::CConversionProgress(
            GetConfigString(QStringLiteral("幻灯片转为图片墙")), title, panel.widget);
        g_progress->onCancel = [] { g_cancel = true; };
    });
}

void showProgress(qmhelp::ConversionStage stage, int k, int n)
{
    laterOnUiThread([stage, k, n] {
        if (g_progress)
            g_progress->SetStage(stage, k, n);
    });
}

QString chooseDeck()
{
    if (g_deckChooser)
        return g_deckChooser();
    const QString saved = QDir::currentPath();
    const QString file = QFileDialog::getOpenFileName(nullptr,
        english() ? QStringLiteral("Open a slide deck") : QStringLiteral("打开幻灯片"), QString(),
        english() ? QStringLiteral("Slide decks (*.ppt *.pptx *.odp)")
                  : QStringLiteral("PowerPoint Files(*.ppt;*.pptx;*.odp) (*.ppt *.pptx *.odp)"));
    QDir::setCurrent(saved);
    return file;
}

QString chooseFolder(const QString& initial)
{
    const QString title = english() ? QStringLiteral("Picture Browser") : QStringLiteral("图片浏览");
    if (g_folderChooser)
        return g_folderChooser(title, initial);
    return QFileDialog::getExistingDirectory(nullptr, title, initial, QFileDialog::ShowDirsOnly);
}

void markReady(const QString& folder)
{
    QMutexLocker lock(&g_lock);
    g_readyFolder = folder;
    g_ready = true;
}

// The wall is asked for on the UI thread, where the panel's windows live.
void requestWallSoon()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, [] { StartPicturePlayByWallglide(); }, Qt::QueuedConnection);
}

void tellProblem(const QString& english, const QString& chinese)
{
    onUiThread([&] {
        platform::MessageBox(nullptr, IsEnglish() ? english : chinese,
            IsEnglish() ? QStringLiteral("Tips") : QStringLiteral("提示"),
            platform::MB_OK | platform::MB_ICONWARNING);
        return 0;
    });
}

// The slides are made beside the deck's folder and moved in only when all are there: a conversion that fails
// or is cancelled leaves the earlier slides as they were.
QString stagingFolder(const QString& folder)
{
    const QFileInfo info(folder);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".part");
}

bool moveSlidesIn(const QString& staging, const QString& folder)
{
    // The folder is the conversion's own: made and marked by it. The old pictures go, since a deck that lost
    // slides must not keep them on the wall; nothing else is ever emptied.
    if (!platform::makeScratchFolder(folder) || !platform::emptyScratchFolder(folder))
        return false;
    bool ok = true;
    for (const QFileInfo& slide : QDir(staging).entryInfoList(QDir::Files))
        ok = QFile::rename(slide.filePath(), folder + QLatin1Char('/') + slide.fileName()) && ok;
    platform::removeScratchFolder(staging);
    return ok;
}

bool reuseOrAsk(const QString& deck, const QString& folder)
{
    const bool existed = QFileInfo(folder).isDir();
    bool flagPresent = false;
    if (existed) {
        QThread::msleep(200);
        flagPresent = QFileInfo::exists(folder + QStringLiteral("/flag.dat"));
    }
    qmhelp::FolderChoice choice = qmhelp::chooseForFolder(
        existed, flagPresent, QFileInfo(folder).lastModified(), QFileInfo(deck).lastModified());
    if (choice == qmhelp::FolderChoice::Ask) {
        const int answer = onUiThread([] {
            return platform::MessageBox(nullptr, GetConfigString(QStringLiteral("是否打开新3DPPT文件")),
                english() ? QStringLiteral("Tips") : QStringLiteral("提示"),
                platform::MB_YESNO | platform::MB_ICONQUESTION);
        });
        choice = answer == platform::IDYES ? qmhelp::FolderChoice::Convert : qmhelp::FolderChoice::Reuse;
    }
    return choice == qmhelp::FolderChoice::Reuse;
}

void wallReady(const QString& folder)
{
    {
        QMutexLocker lock(&g_lock);
        g_lastFolder = folder;
    }
    markReady(folder);
    requestWallSoon();
}

void convertDeck(const QString& deck)
{
    const QString title = qmhelp::deckTitle(deck);
    const QString folder = qmhelp::ownDeckFolder(QDir::currentPath(), title);
    const QString staging = stagingFolder(folder);
    platform::removeScratchFolder(staging);
    if (!platform::makeScratchFolder(staging)) {
        tellProblem(QStringLiteral("The folder %1 cannot be made.").arg(folder),
            QStringLiteral("无法创建文件夹 %1").arg(folder));
        return;
    }
    if (reuseOrAsk(deck, folder)) {
        platform::removeScratchFolder(staging);
        wallReady(folder);
        return;
    }

    // The suite's media centre comes up first when it is installed beside the program.
    const QString cinebox = platform::siblingProgram(QStringLiteral("Cinebox"));
    if (!cinebox.isEmpty() && !platform::FindWindow(QString(), QStringLiteral("Cinebox")))
        QProcess::startDetached(cinebox, {}, platform::programFolder());

    UICONTROL::CPptConvert converter;
    if (!converter.Initialise()) {
        platform::removeScratchFolder(staging);
        onUiThread([] {
            showOfficeMissing();
            return 0;
        });
        return;
    }
    converter.SetCancelCheck([] { return g_cancel.load(); });
    openProgress(title);
    const bool ok = converter.Convert(
        deck, staging, 0, [](int k, int n) { showProgress(qmhelp::ConversionStage::Slides, k, n); });
    if (!ok) {
        platform::removeScratchFolder(staging);
        // A cancelled conversion is what the teacher asked for: nothing to tell.
        if (!converter.Cancelled())
            tellProblem(
                QStringLiteral("The deck \"%1\" could not be converted: %2.").arg(title, converter.Error()),
                QStringLiteral("幻灯片\"%1\"转换失败: %2").arg(title, converter.Error()));
        return;
    }
    if (!moveSlidesIn(staging, folder)) {
        tellProblem(QStringLiteral("The slides cannot be written to %1.").arg(folder),
            QStringLiteral("幻灯片无法写入 %1").arg(folder));
        return;
    }
    wallReady(folder);
}

// Clears the busy flag and the wait cursor however the conversion ends.
struct ConversionScope {
    ~ConversionScope()
    {
        g_busy = 0;
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app,
                [] {
                    QApplication::restoreOverrideCursor();
                    if (g_progress)
                        g_progress->Finish();
                    g_progress = nullptr;
                },
                Qt::QueuedConnection);
    }
};

} // namespace

void ConvertPPTToFolder()
{
    if (g_busy)
        return;
    QDir().mkpath(QDir::currentPath() + QStringLiteral("/Save"));
    if (UICONTROL::CPptConvert::officeProgram().isEmpty()) {
        showOfficeMissing();
        restorePanel();
        return;
    }
    const QString deck = chooseDeck();
    if (!deck.isEmpty()) {
        if (!qmhelp::isSlideDeck(deck) || !QFileInfo(deck).isFile()) {
            platform::MessageBox(nullptr,
                english() ? QStringLiteral("\"%1\" is not a slide deck (.ppt, .pptx or .odp).").arg(deck)
                          : QStringLiteral("\"%1\"不是幻灯片文件(.ppt、.pptx 或 .odp)").arg(deck),
                english() ? QStringLiteral("Tips") : QStringLiteral("提示"),
                platform::MB_OK | platform::MB_ICONWARNING);
        } else {
            {
                QMutexLocker lock(&g_lock);
                g_deckPath = deck;
            }
            g_busy = 1;
            g_cancel = false;
            // A program that quits takes LibreOffice with it rather than leaving it converting for nobody.
            static const bool stopAtQuit = [] {
                qAddPostRoutine([] {
                    g_cancel = true;
                    QThreadPool::globalInstance()->waitForDone(5000);
                });
                return true;
            }();
            Q_UNUSED(stopAtQuit);
            QApplication::setOverrideCursor(Qt::WaitCursor);
            QThreadPool::globalInstance()->start([deck] {
                ConversionScope scope;
                convertDeck(deck);
            });
        }
    }
    restorePanel();
}

void StartPicturePlayByWallglide()
{
    QString folder;
    {
        QMutexLocker lock(&g_lock);
        if (g_ready) {
            folder = g_readyFolder;
            g_ready = false;
        }
    }
    if (folder.isEmpty()) {
        if (g_browserOpen)
            return;
        QString initial = qmhelp::lastConversionFolder();
        if (initial.isEmpty()) {
            initial = QDir::currentPath() + QStringLiteral("/Save/PowerPoint");
            QDir().mkpath(initial);
        }
        g_browserOpen = true;
        folder = chooseFolder(initial);
        g_browserOpen = false;
        if (folder.isEmpty())
            return;
    }
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (const platform::WindowRef panel = FindPanel()) {
            platform::SendMessage(panel, kMsgShowWall, 0, reinterpret_cast<LPARAM>(&folder));
            return;
        }
        QThread::msleep(40);
    }
}

namespace qmhelp {

void setDeckChooser(DeckChooser chooser)
{
    g_deckChooser = std::move(chooser);
}

void setFolderChooser(FolderChooser chooser)
{
    g_folderChooser = std::move(chooser);
}

bool conversionBusy()
{
    return g_busy != 0;
}

bool waitForConversion(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (g_busy) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    QCoreApplication::processEvents();
    return true;
}

QString lastConversionFolder()
{
    QMutexLocker lock(&g_lock);
    return g_lastFolder;
}

} // namespace qmhelp
