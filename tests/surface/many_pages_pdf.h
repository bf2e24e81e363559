#pragma once
// A PDF of as many pages as a test or benchmark asks for, a few hundred bytes a page: a textbook's length in
// a small file. Page i (from 0) is filled with manyPagesColour(i) and carries its number in large figures.
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QString>

#include <vector>

namespace qmtest {

inline QColor manyPagesColour(int page)
{
    return QColor::fromHsv((page * 47) % 360, 200, 220);
}

inline bool writeManyPagesPdf(const QString& path, int count)
{
    QByteArray pdf = "%PDF-1.4\n";
    std::vector<qsizetype> offsets;
    const auto object = [&](const QByteArray& body) {
        offsets.push_back(pdf.size());
        pdf += QByteArray::number(qsizetype(offsets.size())) + " 0 obj\n" + body + "\nendobj\n";
    };
    object("<< /Type /Catalog /Pages 2 0 R >>");
    QByteArray kids;
    for (int i = 0; i < count; ++i)
        kids += QByteArray::number(4 + 2 * i) + " 0 R ";
    object("<< /Type /Pages /Count " + QByteArray::number(count) + " /Kids [" + kids + "] >>");
    object("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    for (int i = 0; i < count; ++i) {
        const QColor c = manyPagesColour(i);
        const QByteArray stream = QByteArray::number(c.redF(), 'f', 4) + ' '
            + QByteArray::number(c.greenF(), 'f', 4) + ' ' + QByteArray::number(c.blueF(), 'f', 4)
            + " rg 0 0 842 595 re f 0 g BT /F1 160 Tf 60 60 Td (" + QByteArray::number(i + 1) + ") Tj ET";
        object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 842 595] /Resources << /Font << /F1 3 0 R >> >> "
               "/Contents "
            + QByteArray::number(5 + 2 * i) + " 0 R >>");
        object("<< /Length " + QByteArray::number(stream.size()) + " >>\nstream\n" + stream + "\nendstream");
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(qsizetype(offsets.size()) + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(qsizetype(offsets.size()) + 1)
        + " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(pdf) == pdf.size();
}

} // namespace qmtest
