#include "board3d/board_menu.h"

#include "platform/image_file.h"
#include "platform/window_flags.h"
#include "support/language.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QScreen>
#include <QSlider>

namespace lumo::board {

namespace {

constexpr QSize kButtonSize {60, 46};
constexpr int kMenuHeight = 50;

struct Entry {
    int id;
    const char* picture;
    const char* chinese;
    const char* english;
};

// In the order they stand on the bar; the slider comes after "缩小".
constexpr Entry kEntries[] = {
    {kMenuPrevious, "previous", "上一页", "Previous"},
    {kMenuNext, "next", "下一页", "Next"},
    {kMenuNew, "new", "新建", "New"},
    {kMenuDelete, "delete", "删除", "Delete"},
    {kMenuPen, "pen", "画笔", "Pen"},
    {kMenuEraser, "eraser", "橡皮", "Eraser"},
    {kMenuColour, "colour", "颜色", "Colour"},
    {kMenuLarger, "larger", "放大", "Larger"},
    {kMenuSmaller, "smaller", "缩小", "Smaller"},
    {kMenuSave, "save", "保存", "Save"},
    {kMenuImport, "import", "导入", "Import"},
    {kMenuBack, "back", "返回", "Back"},
    {kMenuExit, "exit", "退出", "Exit"},
};

} // namespace

PictureButton::PictureButton(const QString& pictureBase, const QString& caption, QWidget* parent)
    : QAbstractButton(parent)
    , normal_(platform::ownPixmap(pictureBase + QStringLiteral("_normal.png")))
    , pressed_(platform::ownPixmap(pictureBase + QStringLiteral("_down.png")))
{
    setText(caption);
    setToolTip(caption);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(kButtonSize);
}

QSize PictureButton::sizeHint() const
{
    return kButtonSize;
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPixmap& picture = ShowsPressed() ? pressed_ : normal_;
    if (!picture.isNull()) {
        p.drawPixmap(rect(), picture);
        return;
    }
    // Without its pictures the button still says what it does.
    p.fillRect(rect(), ShowsPressed() ? QColor(0x12, 0xa3, 0x9a) : QColor(0x27, 0x61, 0xa9));
    p.setPen(Qt::white);
    p.drawText(rect(), Qt::AlignCenter, text());
}

CPrivateMenu::CPrivateMenu(QWidget* owner, Command command)
    : QWidget(owner, platform::kFloatingToolFlags)
    , command_(std::move(command))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("3DSlateMenu"));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0x10, 0x23, 0x3f));
    setPalette(palette);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(3);
    const bool english = IsEnglish();
    const QString language = english ? QStringLiteral("en") : QStringLiteral("zh");
    for (const Entry& entry : kEntries) {
        auto* button
            = new PictureButton(QStringLiteral(":/qmplay/%1_%2").arg(QLatin1String(entry.picture), language),
                english ? QString::fromUtf8(entry.english) : QString::fromUtf8(entry.chinese), this);
        button->setObjectName(QStringLiteral("command%1").arg(entry.id));
        button->setCheckable(entry.id == kMenuPen || entry.id == kMenuEraser);
        const int id = entry.id;
        // A checkable button's own toggle is undone: the board says which tool is in use.
        connect(button, &QAbstractButton::clicked, this, [this, id] { command_(id); });
        row->addWidget(button);
        if (entry.id == kMenuSmaller) {
            penWidth_ = new QSlider(Qt::Horizontal, this);
            penWidth_->setObjectName(QStringLiteral("command%1").arg(kMenuPenWidth));
            penWidth_->setRange(1, 10);
            penWidth_->setValue(2);
            penWidth_->setFixedWidth(110);
            penWidth_->setFocusPolicy(Qt::NoFocus);
            penWidth_->setToolTip(english ? QStringLiteral("Pen width") : QStringLiteral("笔的粗细"));
            penWidth_->setStyleSheet(QStringLiteral(
                "QSlider::groove:horizontal { height: 6px; background: #2761A9; border-radius: 3px; }"
                "QSlider::handle:horizontal { width: 16px; margin: -6px 0; background: #F6B73C;"
                "  border-radius: 8px; }"));
            connect(penWidth_, &QSlider::valueChanged, this, [this] { command_(kMenuPenWidth); });
            row->addWidget(penWidth_);
        }
    }
    setFixedHeight(kMenuHeight);
    adjustSize();
}

PictureButton* CPrivateMenu::Button(int id) const
{
    return findChild<PictureButton*>(QStringLiteral("command%1").arg(id));
}

void CPrivateMenu::SetTool(int id)
{
    for (int tool : {kMenuPen, kMenuEraser})
        if (PictureButton* button = Button(tool))
            button->setChecked(tool == id);
}

void CPrivateMenu::Place()
{
    adjustSize();
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    setGeometry(area.right() + 1 - width(), area.bottom() + 1 - 80, width(), kMenuHeight);
}

} // namespace lumo::board
