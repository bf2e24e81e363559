#pragma once
// The resource and history panel under test: an owner window whose message table notes every message the
// panel sends (and answers a chosen picture with AddBitmap, as the main panel does), the panel's lists, and
// pictures and history pages made for the test.
#include "assist/tab_dlg.h"

#include "assist/bmp_dialog.h"
#include "assist/tab_dlg_messages.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "support_main/test_util.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QListWidget>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace qmtest {

using namespace Qt::StringLiterals;
using namespace DIALOG::tab;
using DIALOG::CBmpDialog;
using DIALOG::CTabDlg;

struct Sent {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    QString text; // what the pointer parameter pointed to during the call
};

inline void writePicture(const QString& path, const QSize& size = {64, 48}, QColor colour = Qt::red)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, "BMP"));
}

inline void click(
    QAbstractItemView* view, const QPoint& pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* viewport = view->viewport();
    const QPointF local(pos);
    const QPointF global(viewport->mapToGlobal(pos));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, modifiers);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, modifiers);
    QApplication::sendEvent(viewport, &release);
}

class TabDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        cwd_ = std::make_unique<qmtest::ScopedCurrentDir>(dir_.path());
        table_ = std::make_unique<platform::MessageTable>(&owner_, u"TabDlgTestOwner"_s);
        for (UINT message : {kMsgDeleteSurface, kMsgOpenBackground, kMsgOpenPageSet, kMsgOpenPageFolder,
                 kMsgInsertPicture, kMsgInsertChosenMedia, kMsgInsertMedia}) {
            table_->onPointer(message, [this, message](WPARAM w, LPARAM l) {
                Sent sent {message, w, l, {}};
                if (message == kMsgOpenBackground || message == kMsgOpenPageSet
                    || message == kMsgOpenPageFolder)
                    sent.text = w ? *reinterpret_cast<const QString*>(w) : u"<null>"_s;
                if ((message == kMsgInsertPicture || message == kMsgInsertMedia) && l)
                    sent.text = *reinterpret_cast<const QString*>(l);
                sent_.push_back(sent);
                if (message == kMsgOpenPageSet && dlg_)
                    dlg_->AddBitmap(sent.text, QString());
                return LRESULT(0);
            });
        }
        owner_.setGeometry(500, 200, 300, 200);
        dlg_ = std::make_unique<CTabDlg>(nullptr, &owner_);
        dlg_->CreateWnd();
        history_ = dlg_->window()->findChild<QListWidget*>(QString::number(kIdHistoryList));
        backgrounds_ = dlg_->window()->findChild<QListWidget*>(QString::number(kIdBackgroundList));
        tree_ = dlg_->window()->findChild<QTreeWidget*>(QString::number(kIdResourceTree));
        ASSERT_TRUE(history_ && backgrounds_ && tree_);
    }

    void TearDown() override
    {
        CBmpDialog::setHook({});
        CTabDlg::setFolderChooserHook({});
        platform::setMessageBoxHook({});
        dlg_.reset();
        for (const QString& path : tempFiles_)
            QFile::remove(path);
    }

    // A history page in the panel's temp folder (shared by every test run: names are kept apart).
    QString historyPage(const QString& label, const QSize& size = {64, 48})
    {
        const QString base = dlg_->tempFolder() + u'/' + label;
        writePicture(base + u".bmp"_s, size);
        qmtest::writeFile(base + u".kw"_s, "e");
        qmtest::writeFile(base + u".kwt"_s, "t");
        tempFiles_ << base + u".bmp"_s << base + u".kw"_s << base + u".kwt"_s;
        return base + u".bmp"_s;
    }

    std::vector<UINT> messages() const
    {
        std::vector<UINT> numbers;
        for (const Sent& sent : sent_)
            numbers.push_back(sent.message);
        return numbers;
    }

    QTemporaryDir dir_;
    std::unique_ptr<qmtest::ScopedCurrentDir> cwd_;
    QWidget owner_;
    std::unique_ptr<platform::MessageTable> table_;
    std::vector<Sent> sent_;
    std::unique_ptr<CTabDlg> dlg_;
    QListWidget* history_ = nullptr;
    QListWidget* backgrounds_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QStringList tempFiles_;
};

} // namespace qmtest
