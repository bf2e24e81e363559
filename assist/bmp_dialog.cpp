#include "assist/bmp_dialog.h"

#include "platform/image_file.h"
#include "support/language.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QVBoxLayout>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace DIALOG {

namespace {

CBmpDialog::Hook& hook()
{
    static CBmpDialog::Hook h;
    return h;
}

struct BmpHeader {
    int width = 0;
    int height = 0;
    int bitCount = 0;
};

// QImage widens every BMP to 32 bits, so the colour depth the preview names comes from the file's header.
bool readBmpHeader(const QString& path, BmpHeader& header)
{
    // Only a regular file: a pipe chosen in the dialog would block it in open().
    if (!platform::isRegularFile(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(30);
    if (head.size() < 26 || !head.startsWith("BM"))
        return false;
    const auto* bytes = reinterpret_cast<const uchar*>(head.constData());
    const quint32 infoSize = qFromLittleEndian<quint32>(bytes + 14);
    if (infoSize == 12) {
        header.width = qFromLittleEndian<quint16>(bytes + 18);
        header.height = qFromLittleEndian<quint16>(bytes + 20);
        header.bitCount = qFromLittleEndian<quint16>(bytes + 24);
        return true;
    }
    if (head.size() < 30 || infoSize < 40)
        return false;
    header.width = qAbs(qFromLittleEndian<qint32>(bytes + 18));
    header.height = qAbs(qFromLittleEndian<qint32>(bytes + 22));
    header.bitCount = qFromLittleEndian<quint16>(bytes + 28);
    return true;
}

QString colourText(int bitCount)
{
    switch (bitCount) {
    case 1:
        return u"2 (monochrome)"_s;
    case 4:
        return u"16"_s;
    case 8:
        return u"256"_s;
    case 16:
        return u"65,536"_s;
    default:
        return u"16 million"_s;
    }
}

class PreviewPane : public QWidget {
public:
    explicit PreviewPane(QWidget* parent)
        : QWidget(parent)
    {
        auto* layout = new QVBoxLayout(this);
        show_ = new QCheckBox(u"Show Preview"_s, this);
        show_->setChecked(true);
        picture_ = new QLabel(this);
        picture_->setFixedSize(180, 135);
        picture_->setAlignment(Qt::AlignCenter);
        picture_->setFrameShape(QFrame::StyledPanel);
        layout->addWidget(show_);
        layout->addWidget(picture_);
        for (QLabel*& line : lines_) {
            line = new QLabel(this);
            layout->addWidget(line);
        }
        layout->addStretch();
        connect(show_, &QCheckBox::toggled, this, [this] { showPicture(current_); });
    }

    void showPicture(const QString& path)
    {
        current_ = path;
        const QStringList lines = show_->isChecked() ? CBmpDialog::previewLines(path) : QStringList();
        QImage image;
        if (!lines.isEmpty())
            image = platform::readImageFile(path, picture_->size());
        if (image.isNull()) {
            picture_->clear();
        } else {
            picture_->setPixmap(QPixmap::fromImage(
                image.scaled(picture_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        }
        for (int i = 0; i < 4; ++i)
            lines_[i]->setText(i < lines.size() && !image.isNull() ? lines[i] : QString());
    }

private:
    QCheckBox* show_ = nullptr;
    QLabel* picture_ = nullptr;
    QLabel* lines_[4] = {};
    QString current_;
};

} // namespace

void CBmpDialog::setHook(Hook h)
{
    hook() = std::move(h);
}

QString CBmpDialog::title()
{
    return IsEnglish() ? u"Select a picture"_s : u"打开图片文件"_s;
}

QStringList CBmpDialog::previewLines(const QString& path)
{
    if (!path.endsWith(u".bmp"_s, Qt::CaseInsensitive))
        return {};
    BmpHeader header;
    if (!readBmpHeader(path, header))
        return {};
    const bool en = IsEnglish();
    const qint64 kb = QFileInfo(path).size() / 1024;
    return {
        (en ? u"Width: %1 pixels"_s : u"宽度: %1 pixels"_s).arg(header.width),
        (en ? u"Height: %1 pixels"_s : u"高度: %1 pixels"_s).arg(header.height),
        GetConfigString(u"颜色"_s) + u": "_s + colourText(header.bitCount),
        (en ? u"Size: %1 Kb"_s : u"大小: %1 Kb"_s).arg(kb),
    };
}

QString CBmpDialog::getOpenFileName(QWidget* parent, const QString& folder)
{
    if (hook())
        return hook()(title(), folder);
    QFileDialog dialog(parent, title(), folder, u"Bitmaps (*.bmp)"_s);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The preview lives inside the dialog, which only Qt's own dialog allows.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* preview = new PreviewPane(&dialog);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview,
        [preview](const QString& path) { preview->showPicture(path); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace DIALOG
