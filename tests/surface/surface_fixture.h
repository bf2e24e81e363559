#pragma once
// A pen surface on a board page, driven by mouse events sent as the window system would deliver them.
#include "surface/screen_pen_wnd.h"

#include "platform/message_box.h"
#include "platform/shell.h"
#include "support_main/test_util.h"
#include "surface/page_model.h"
#include "surface/page_store.h"
#include "surface/surface_state.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace DIALOG {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kInk = 0xFF000000;

class SurfaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        lesson_.SetBoardMode(kBoardWhite);
        owner_ = std::make_unique<QWidget>();
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& r) {
            boxes_.push_back(r);
            return answer_;
        });
    }

    void TearDown() override
    {
        platform::setMessageBoxHook({});
        surface_.reset();
        owner_.reset();
    }

    CScreenPenWnd& open()
    {
        surface_ = std::make_unique<CScreenPenWnd>(owner_.get(), lesson_);
        surface_->SetPen(3, RGB(0, 0, 0));
        return *surface_;
    }

    void send(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons held)
    {
        qmtest::sendMouse(surface_.get(), type, p, button, held);
    }
    void press(QPoint p, Qt::MouseButton button = Qt::LeftButton)
    {
        send(QEvent::MouseButtonPress, p, button, button);
        at_ = p;
    }
    void moveTo(QPoint p, Qt::MouseButtons held = Qt::LeftButton)
    {
        send(QEvent::MouseMove, p, Qt::NoButton, held);
        at_ = p;
    }
    void release(Qt::MouseButton button = Qt::LeftButton)
    {
        send(QEvent::MouseButtonRelease, at_, button, {});
    }

    // Every pointer position on the way in steps of at most step pixels, as a hand gives them.
    void through(const std::vector<QPoint>& points, int step = 4)
    {
        press(points.front());
        for (std::size_t i = 1; i < points.size(); ++i) {
            const QPoint a = points[i - 1], b = points[i];
            const int n = std::max(1, std::max(std::abs(b.x() - a.x()), std::abs(b.y() - a.y())) / step);
            for (int k = 1; k <= n; ++k)
                moveTo(a + (b - a) * k / n);
        }
        release();
    }
    void drag(QPoint from, QPoint to) { through({from, to}, 1); }

    // A black band 120 pixels high from x 200 to 600 around y.
    void band(int y)
    {
        surface_->SetPen(120, RGB(0, 0, 0));
        through({{200, y}, {600, y}}, 50);
    }

    static int count(const QImage& img, const QRect& area, QRgb colour)
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += img.pixel(x, y) == colour;
        return n;
    }
    static int inked(const QImage& img, const QRect& area)
    {
        return area.width() * area.height() - count(img, area, kWhite);
    }

    void addStrokes(int n)
    {
        for (int i = 0; i < n; ++i) {
            CPenNode node(RGB(0, 0, 0), 1, 0, Pen);
            node.AddPoint(100 + i, 100);
            node.AddPoint(100 + i, 140);
            lesson_.Pages().PushUndo(lesson_.Pages().AddObject(node), UndoAdd);
        }
    }

    Lesson lesson_ {platform::programFolder()};
    std::unique_ptr<QWidget> owner_;
    std::unique_ptr<CScreenPenWnd> surface_;
    std::vector<platform::MessageBoxRequest> boxes_;
    int answer_ = platform::IDYES;
    QPoint at_;
};

} // namespace DIALOG
