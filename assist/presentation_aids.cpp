// The spotlight, mask and magnifier exports: at most one of the three aids shows at a time.
#include "assist/assist_exports.h"
#include "assist/magnifier_wnd.h"
#include "assist/mask_dlg.h"
#include "assist/spotlight_wnd.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

namespace {

struct Aids {
    QPointer<DIALOG::CSpoltLight> spotlight;
    int* spotlightFlag = nullptr;
    QPointer<DIALOG::CMaskDlg> mask;
    QPointer<DIALOG::CBackgroundScreen> magnifier;
};

Aids& aids()
{
    static Aids instance;
    return instance;
}

// Lets the window system catch up (windows unmapped before a snapshot) without blocking the caller's loop.
void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// Hides a shown timer window while an aid takes its snapshot; shows it again when the aid has started.
class TimerOutOfTheWay {
public:
    TimerOutOfTheWay()
        : timer_(qmhelp::existingTimerWindow())
    {
        if (timer_ && timer_->isVisible()) {
            timer_->hide();
            waitMs(50);
        } else {
            timer_ = nullptr;
        }
    }
    ~TimerOutOfTheWay()
    {
        if (timer_)
            timer_->show();
    }
    TimerOutOfTheWay(const TimerOutOfTheWay&) = delete;
    TimerOutOfTheWay& operator=(const TimerOutOfTheWay&) = delete;

private:
    QPointer<QWidget> timer_;
};

bool hideSpotlight()
{
    Aids& a = aids();
    if (!a.spotlight || !a.spotlight->isVisible())
        return false;
    a.spotlight->hide();
    if (a.spotlightFlag)
        *a.spotlightFlag = 0;
    return true;
}

bool hideMask()
{
    Aids& a = aids();
    if (!a.mask || !a.mask->isVisible())
        return false;
    a.mask->hide();
    if (int* flag = a.mask->flag())
        *flag = 0;
    return true;
}

bool hideMagnifier()
{
    Aids& a = aids();
    if (!a.magnifier || !a.magnifier->isVisible())
        return false;
    a.magnifier->hide();
    if (int* flag = a.magnifier->flag())
        *flag = 0;
    return true;
}

} // namespace

QWidget* qmhelp::magnifierWindow()
{
    return aids().magnifier;
}

QWidget* qmhelp::spotlightWindow()
{
    return aids().spotlight;
}

QWidget* GetMaskDlg()
{
    return aids().mask;
}

void StartSpoltLight(int* flag, int diameter)
{
    Aids& a = aids();
    delete a.spotlight;
    a.spotlightFlag = nullptr;
    if (!flag || *flag == 0)
        return;
    const QRect screen = qmhelp::screenQRect();
    if (screen.isEmpty()) {
        // Nothing to cover yet: the caller's button must not stay on.
        *flag = 0;
        return;
    }
    const TimerOutOfTheWay timer;
    if (hideMask() | hideMagnifier())
        waitMs(150);
    const QImage snapshot = qmhelp::grabScreen(screen);
    if (snapshot.isNull()) {
        // The teacher was told why; the button goes off instead of lighting a black screen.
        *flag = 0;
        return;
    }
    a.spotlight = new DIALOG::CSpoltLight(flag, unsigned(std::max(diameter, 2)), snapshot, screen);
    a.spotlightFlag = flag;
    a.spotlight->show();
    a.spotlight->raise();
}

int MaskEffect(int* flag)
{
    Aids& a = aids();
    const QRect screen = qmhelp::screenQRect();
    const bool show = flag && *flag != 0 && !screen.isEmpty();
    if (flag && *flag != 0 && screen.isEmpty())
        *flag = 0;
    const TimerOutOfTheWay timer;
    if (show && (hideSpotlight() | hideMagnifier()))
        waitMs(150);
    if (!a.mask) {
        if (!show)
            return 0;
        a.mask = new DIALOG::CMaskDlg(flag, screen);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, a.mask, [] { delete aids().mask; });
    }
    if (flag)
        a.mask->setFlag(flag);
    if (show) {
        a.mask->reset(screen);
        a.mask->show();
        a.mask->raise();
        DIALOG::raiseProgramWindows();
    } else {
        a.mask->hide();
    }
    return 1;
}

int IsMaskEffect()
{
    const Aids& a = aids();
    if (!a.mask || !a.mask->flag())
        return 0;
    return *a.mask->flag();
}

int StartMagnifier(int* flag, int, int)
{
    Aids& a = aids();
    const QRect screen = qmhelp::screenQRect();
    const bool show = flag && *flag != 0 && !screen.isEmpty();
    if (flag && *flag != 0 && screen.isEmpty())
        *flag = 0;
    const TimerOutOfTheWay timer;
    if (show && (hideSpotlight() | hideMask()))
        waitMs(150);
    const QImage snapshot = show ? qmhelp::grabScreen(screen) : QImage();
    if (show && snapshot.isNull()) {
        // The teacher was told why; no black magnifier comes up.
        *flag = 0;
        if (a.magnifier)
            a.magnifier->hide();
        return 0;
    }
    if (!a.magnifier) {
        if (!show)
            return 0;
        a.magnifier = new DIALOG::CBackgroundScreen(flag, screen);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, a.magnifier, [] { delete aids().magnifier; });
    }
    if (flag)
        a.magnifier->setFlag(flag);
    if (show) {
        a.magnifier->restart(snapshot, screen);
        a.magnifier->show();
        a.magnifier->raise();
    } else {
        a.magnifier->hide();
    }
    return 1;
}
