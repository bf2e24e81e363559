#include "board3d/board_rules.h"

#include <QFileInfo>
#include <QFont>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>

namespace lumo::board {

namespace {

const QRegularExpression& pageNamePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^Template(\\d{3,})\\.png$"), QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

} // namespace

QString pageFileName(int number)
{
    return QStringLiteral("Template%1.png").arg(number, 3, 10, QLatin1Char('0'));
}

int pageNumberOfTile(const QString& tileName)
{
    const QString name = QFileInfo(tileName).fileName();
    if (!name.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        return 0;
    const QString stem = name.left(name.size() - 4);
    int first = int(stem.size());
    while (first > 0 && stem.at(first - 1).isDigit() && stem.at(first - 1).unicode() < 128)
        --first;
    bool ok = false;
    const int number = stem.mid(first).toInt(&ok, 10);
    return ok && number > 0 ? number : 0;
}

bool isPageFile(const QString& fileName)
{
    return pageNamePattern().match(fileName).hasMatch();
}

int highestPageNumber(const QStringList& fileNames)
{
    int highest = 0;
    for (const QString& name : fileNames)
        if (isPageFile(name))
            highest = std::max(highest, pageNumberOfTile(name));
    return highest;
}

QImage drawPage(const QImage& templatePage, int number)
{
    QImage page;
    if (templatePage.isNull()) {
        page = QImage(kBlankPageSize, QImage::Format_ARGB32_Premultiplied);
        page.fill(Qt::white);
    } else {
        page = templatePage.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(kNumberPixels);
    p.setFont(font);
    p.setPen(QColor(0, 0, 255));
    p.drawText(
        QRect(kNumberX, kNumberY, 100000, 100000), Qt::AlignLeft | Qt::AlignTop, QString::number(number));
    p.end();
    return page;
}

bool acceptNewPage(qint64 nowMs, qint64 lastAcceptedMs)
{
    return nowMs - lastAcceptedMs >= kNewPageIntervalMs;
}

QPoint clampToPage(QPoint point, QSize size)
{
    const int right = std::max(kPageInset, size.width() - 1 - kPageInset);
    const int bottom = std::max(kPageInset, size.height() - 1 - kPageInset);
    return QPoint(std::clamp(point.x(), kPageInset, right), std::clamp(point.y(), kPageInset, bottom));
}

QString defaultSaveName(const QDateTime& when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return QString::asprintf("%4d-%2d-%2d-%2d-%2d", d.year(), d.month(), d.day(), t.hour(), t.minute());
}

QImage composeInk(const QImage& page, const QList<InkMark>& marks, QSize shownSize)
{
    if (page.isNull() || shownSize.isEmpty())
        return page;
    const QImage before = page.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage result = before;
    const qreal sx = qreal(page.width()) / shownSize.width();
    const qreal sy = qreal(page.height()) / shownSize.height();
    QPainter p(&result);
    p.setRenderHint(QPainter::Antialiasing);
    for (const InkMark& mark : marks) {
        if (mark.erased.isValid()) {
            const QRect back = QRectF(mark.erased.x() * sx, mark.erased.y() * sy, mark.erased.width() * sx,
                mark.erased.height() * sy)
                                   .toAlignedRect()
                                   .intersected(result.rect());
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(back.topLeft(), before, back);
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
            continue;
        }
        const qreal width = std::max<qreal>(1.0, mark.width * (sx + sy) / 2);
        p.setPen(QPen(mark.colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(mark.segment.p1().x() * sx, mark.segment.p1().y() * sy),
            QPointF(mark.segment.p2().x() * sx, mark.segment.p2().y() * sy));
    }
    p.end();
    return result;
}

bool writePicture(const QImage& picture, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!picture.save(&file, "PNG")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace lumo::board
