#include "assist/bmp_dialog.h"

#include "support_main/test_util.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using DIALOG::CBmpDialog;

TEST(BmpDialogPreview, LinesNameSizeColoursAndFileSizeFromTheHeader)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString deep = dir.filePath(u"deep.bmp"_s);
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(Qt::green);
    ASSERT_TRUE(image.save(deep, "BMP"));
    const QStringList lines = CBmpDialog::previewLines(deep);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], u"宽度: 300 pixels"_s);
    EXPECT_EQ(lines[1], u"高度: 200 pixels"_s);
    EXPECT_EQ(lines[2], u"颜色: 16 million"_s);
    EXPECT_EQ(lines[3], u"大小: %1 Kb"_s.arg(QFileInfo(deep).size() / 1024));

    const QString mono = dir.filePath(u"mono.BMP"_s);
    ASSERT_TRUE(image.convertToFormat(QImage::Format_Mono).save(mono, "BMP"));
    EXPECT_EQ(CBmpDialog::previewLines(mono).value(2), u"颜色: 2 (monochrome)"_s);
}

TEST(BmpDialogPreview, NothingForOtherFiles)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(u"p.png"_s);
    QImage(10, 10, QImage::Format_RGB32).save(png, "PNG");
    EXPECT_TRUE(CBmpDialog::previewLines(png).isEmpty());
    EXPECT_TRUE(CBmpDialog::previewLines(qmtest::writeFile(dir.filePath(u"fake.bmp"_s), "BM")).isEmpty());
    EXPECT_TRUE(CBmpDialog::previewLines(dir.filePath(u"missing.bmp"_s)).isEmpty());
}
