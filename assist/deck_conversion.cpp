#include "assist/deck_conversion.h"
#include "assist/assist_exports.h"
#include "assist/deck_convert_model.h"
#include "assist/ppt_convert.h"

#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/notice.h"
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
// The panel's tip window when the progress opened it; it goes again when the conversion ends.
QPointer<QWidget> g_tipShownByUs;
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

void showTip(const QString& text)
{
    // The panel's tip window when it is there, shown or not, else the notice line at the bottom of the
    // screen.
    for (QWidget* tip : QApplication::topLevelWidgets()) {
        if (tip->windowTitle() != QLatin1String("ToolTip")
            || !QMetaObject::invokeMethod(tip, "SetText", Q_ARG(QString, text)))
            continue;
        if (!tip->isVisible())
            g_tipShownByUs = tip;
        tip->show();
        tip->raise();
        return;
    }
    platform::ShowNotice(text, 3000);
}

QString progressText(int k, int n)
{
    return english() ? QStringLiteral("slide %1 of %2").arg(k).arg(n)
                     : QStringLiteral("第%1张幻灯片,共%2张").arg(k).arg(n);
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

void convertDeck(const QString& deck)
{
    const QString cwd = QDir::currentPath();
    const QString title = qmhelp::deckTitle(deck);
    const QString folder = qmhelp::deckFolder(cwd, title);
    const bool existed = QFileInfo(folder).isDir();
    if (!QDir().mkpath(folder)) {
        onUiThread([&] {
            platform::MessageBox(nullptr,
                english() ? QStringLiteral("The folder %1 cannot be made.").arg(folder)
                          : QStringLiteral("无法创建文件夹 %1").arg(folder),
                english() ? QStringLiteral("Tips") : QStringLiteral("提示"),
                platform::MB_OK | platform::MB_ICONWARNING);
            return 0;
        });
        return;
    }
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
    if (choice == qmhelp::FolderChoice::Reuse) {
        {
            QMutexLocker lock(&g_lock);
            g_lastFolder = folder;
        }
        markReady(folder);
        requestWallSoon();
        return;
    }

    // The suite's media centre comes up first when it is installed beside the program.
    const QString cinebox = QCoreApplication::applicationDirPath() + QStringLiteral("/Cinebox");
    if (QFileInfo(cinebox).isExecutable() && !platform::FindWindow(QString(), QStringLiteral("Cinebox")))
        QProcess::startDetached(cinebox, {});

    // The old pictures go first: a deck that lost slides must not keep them on the wall.
    for (const QFileInfo& old : QDir(folder).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (old.isDir())
            QDir(old.filePath()).removeRecursively();
        else
            QFile::remove(old.filePath());
    }
    UICONTROL::CPptConvert converter;
    if (!converter.Initialise()) {
        onUiThread([] {
            showOfficeMissing();
            return 0;
        });
        return;
    }
    const bool ok = converter.Convert(deck, folder, 0, [](int k, int n) {
        const QString text = progressText(k, n);
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, [text] { showTip(text); }, Qt::QueuedConnection);
    });
    if (!ok) {
        const QString why = converter.Error();
        onUiThread([&] {
            platform::MessageBox(nullptr,
                english() ? QStringLiteral("The deck \"%1\" could not be converted: %2.").arg(title, why)
                          : QStringLiteral("幻灯片\"%1\"转换失败: %2").arg(title, why),
                english() ? QStringLiteral("Tips") : QStringLiteral("提示"),
                platform::MB_OK | platform::MB_ICONWARNING);
            return 0;
        });
        return;
    }
    {
        QMutexLocker lock(&g_lock);
        g_lastFolder = folder;
    }
    markReady(folder);
    requestWallSoon();
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
                    if (g_tipShownByUs)
                        g_tipShownByUs->hide();
                    g_tipShownByUs = nullptr;
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
