#pragma once
// A slide deck written by the test itself: OpenDocument's flat XML form, which LibreOffice reads under the
// ".odp" name as well. Each slide is one colour from edge to edge.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>

namespace qmtest {

inline bool writeSlideDeck(const QString& path, const QList<QColor>& slides)
{
    QString styles;
    QString pages;
    for (int i = 0; i < slides.size(); ++i) {
        styles += QStringLiteral(
            "<style:style style:name=\"s%1\" style:family=\"graphic\"><style:graphic-properties "
            "draw:fill=\"solid\" draw:fill-color=\"%2\" draw:stroke=\"none\"/></style:style>\n")
                      .arg(i)
                      .arg(slides[i].name());
        pages += QStringLiteral("<draw:page draw:name=\"p%1\" draw:master-page-name=\"Default\"><draw:rect "
                                "draw:style-name=\"s%1\" svg:x=\"0cm\" svg:y=\"0cm\" svg:width=\"28cm\" "
                                "svg:height=\"21cm\"/></draw:page>\n")
                     .arg(i);
    }
    const QString xml = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
        "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
        "xmlns:presentation=\"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0\" "
        "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
        "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" office:version=\"1.2\" "
        "office:mimetype=\"application/vnd.oasis.opendocument.presentation\">\n"
        "<office:styles/><office:automatic-styles>\n"
        "<style:page-layout style:name=\"PM1\"><style:page-layout-properties fo:page-width=\"28cm\" "
        "fo:page-height=\"21cm\" style:print-orientation=\"landscape\"/></style:page-layout>\n%1"
        "</office:automatic-styles><office:master-styles><style:master-page style:name=\"Default\" "
        "style:page-layout-name=\"PM1\"/></office:master-styles>\n"
        "<office:body><office:presentation>\n%2</office:presentation></office:body></office:document>\n")
                            .arg(styles, pages);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(xml.toUtf8()) > 0;
}

} // namespace qmtest
