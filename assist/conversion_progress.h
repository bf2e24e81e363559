#pragma once
// The progress window of a slide or PDF conversion: what is being converted, a bar that runs to and fro until
// the page count is known and then counts the pages, and a Cancel button. It comes only when the work takes
// longer than a second, on the screen of the window it is opened for, and goes when the work ends.
#include "assist/deck_convert_model.h"
#include "assist/qmhelp_export.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace DIALOG {

class QMHELP_EXPORT CConversionProgress : public QWidget {
public:
    // The window title, by which tests and the desktop find it.
    static const QString kTitle;
    // A wait shorter than this shows no window.
    static constexpr int kShowAfterMs = 1000;

    // task and name make the title ("幻灯片转为图片墙：Lesson 1"). near: the window whose screen it opens on.
    CConversionProgress(const QString& task, const QString& name, QWidget* near);

    void SetStage(qmhelp::ConversionStage stage, int k = 0, int n = 0);
    // Called once when the teacher presses Cancel; the button then says that the work is stopping.
    std::function<void()> onCancel;

    QString Text() const;
    int Maximum() const;
    int Value() const;
    QPushButton* CancelButton() const { return cancel_; }
    bool Cancelled() const { return cancelled_; }

    // The work is over: the window goes, and is deleted once control returns to the event loop.
    void Finish();

private:
    void cancel();
    void place();

    QPointer<QWidget> near_;
    QLabel* title_ = nullptr;
    QLabel* text_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer showTimer_;
    bool cancelled_ = false;
};

} // namespace DIALOG
