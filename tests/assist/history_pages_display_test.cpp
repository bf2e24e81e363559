// Deleting history pages as a teacher does, with real pointer and key presses: a thumbnail's context menu,
// and the Delete key while the pointer rests on the list. The panel never takes the keyboard focus.
#include "assist/tab_dlg_fixture.h"

#include "platform/x11_desktop.h"
#include "support/language.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace DIALOG::tab;
using namespace qmtest;
namespace desktop = platform::desktop;

namespace {

class HistoryPagesOnTheDesktop : public TabDlgTest {
protected:
    void SetUp() override
    {
        TabDlgTest::SetUp();
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& request) {
            asked_.push_back(request);
            return answer_;
        });
        for (const QString& label : {u"qmtest-one-a"_s, u"qmtest-one-b"_s, u"qmtest-one-c"_s})
            dlg_->AddBitmap(historyPage(label), QString());
        dlg_->window()->move(100, 100);
        dlg_->window()->show();
        ASSERT_TRUE(waitFor([&] { return dlg_->window()->isVisible() && history_->isVisible(); }));
        pause(300);
    }

    static void pause(int ms)
    {
        waitFor([] { return false; }, ms);
    }

    QPoint thumbnail(int row) const
    {
        return history_->viewport()->mapToGlobal(history_->visualItemRect(history_->item(row)).center());
    }

    static void press(const QPoint& at, int button)
    {
        desktop::moveMouse(at.x(), at.y());
        pause(100);
        desktop::mouseButton(button, true);
        desktop::mouseButton(button, false);
        desktop::flush();
        pause(300);
    }

    // Right-clicks the thumbnail and chooses the menu's one entry. The menu runs a loop of its own, so the
    // entry is clicked from a timer while the menu is open.
    void deleteFromMenu(int row)
    {
        QStringList entries;
        int shownFor = 0;
        QTimer poll;
        poll.setInterval(50);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu || !entries.isEmpty() || ++shownFor < 6)
                return;
            for (const QAction* action : menu->actions())
                entries << action->text();
            const QPoint at = menu->mapToGlobal(menu->actionGeometry(menu->actions().first()).center());
            desktop::moveMouse(at.x(), at.y());
            desktop::mouseButton(1, true);
            desktop::mouseButton(1, false);
            desktop::flush();
        });
        poll.start();
        press(thumbnail(row), 3);
        ASSERT_TRUE(waitFor([&] { return !entries.isEmpty() && !QApplication::activePopupWidget(); }, 5000));
        pause(200);
        EXPECT_EQ(entries, QStringList({GetConfigString(u"删除"_s)}));
    }

    QStringList labels() const { return dlg_->HistoryLabels(); }

    std::vector<platform::MessageBoxRequest> asked_;
    int answer_ = platform::IDNO;
};

} // namespace

TEST_F(HistoryPagesOnTheDesktop, ContextMenuDeletesTheThumbnailOnlyWhenConfirmed)
{
    deleteFromMenu(1);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].text, u"是否要删除选中的页面?"_s);
    EXPECT_EQ(asked_[0].caption, u"删除提示"_s);
    EXPECT_EQ(asked_[0].type & 0xF, platform::MB_YESNO);
    EXPECT_EQ(labels().size(), 3) << "No keeps the page";

    answer_ = platform::IDYES;
    sent_.clear();
    deleteFromMenu(1);
    EXPECT_EQ(labels(), QStringList({u"qmtest-one-a"_s, u"qmtest-one-c"_s}));
    // The owner stores and closes a page open on the surface before it goes.
    EXPECT_EQ(messages(), std::vector<UINT>({kMsgDeleteSurface}));
    EXPECT_TRUE(QFileInfo::exists(dlg_->tempFolder() + u"/qmtest-one-b.bmp"_s));
}

TEST_F(HistoryPagesOnTheDesktop, DeleteKeyDeletesTheSelectedPageWhileThePointerIsOnTheList)
{
    answer_ = platform::IDYES;
    press(thumbnail(2), 1);
    ASSERT_EQ(dlg_->SelectedHistoryLabel(), u"qmtest-one-c"_s);
    desktop::pressKey(u"Delete"_s);
    desktop::flush();
    ASSERT_TRUE(waitFor([&] { return labels().size() == 2; }, 3000));
    EXPECT_EQ(labels(), QStringList({u"qmtest-one-a"_s, u"qmtest-one-b"_s}));
    EXPECT_EQ(asked_.size(), 1u);

    // Away from the list the key is the other programs' again.
    history_->item(0)->setSelected(true);
    desktop::moveMouse(dlg_->window()->x() + dlg_->window()->width() + 200, 500);
    pause(300);
    desktop::pressKey(u"Delete"_s);
    desktop::flush();
    pause(500);
    EXPECT_EQ(labels().size(), 2);
    EXPECT_EQ(asked_.size(), 1u);
}
