#include "deferred/deferred_library.h"
#include "pdf/pdf_reader.h"
#include "platform/message_box.h"
#include "recorder/recorder_exports.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

const deferred::LibraryInfo kAbsent {
    "libQMNotShipped.so", "无法使用屏幕录制：libQMVidio.so（FFmpeg、PulseAudio）未能加载。"};

// Every message box of the test, answered at once.
class Boxes {
public:
    Boxes()
    {
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& box) {
            shown.append(box);
            return platform::IDOK;
        });
    }
    ~Boxes() { platform::setMessageBoxHook({}); }
    QList<platform::MessageBoxRequest> shown;
};

} // namespace

TEST(DeferredLibrary, AMissingLibraryIsToldOnceAPressAndAgainAtTheNextPress)
{
    Boxes boxes;
    // One press: the entries it calls one after another.
    EXPECT_EQ(deferred::Open(kAbsent), nullptr);
    EXPECT_EQ(deferred::Open(kAbsent), nullptr);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("提示"));
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("libQMVidio.so")));
    EXPECT_FALSE(boxes.shown[0].text.contains(u'\n')) << "one line";

    QCoreApplication::processEvents();
    EXPECT_EQ(deferred::Open(kAbsent), nullptr);
    EXPECT_EQ(boxes.shown.size(), 2) << "the next press is told again";
}

TEST(DeferredLibrary, AskingOrTidyingUpNeverLoadsALibraryAndTellsNothing)
{
    Boxes boxes;
    // The recorder is in the build's program folder but nothing has used it.
    ASSERT_EQ(dlopen("libQMVidio.so", RTLD_NOW | RTLD_NOLOAD), nullptr);
    EXPECT_EQ(IsPlaying(), 0);
    EXPECT_EQ(IsRecordVisible(), 0);
    StopRecordScreen();
    DestroyRecordControlWindow();
    EXPECT_EQ(dlopen("libQMVidio.so", RTLD_NOW | RTLD_NOLOAD), nullptr);
    EXPECT_EQ(deferred::Loaded(kAbsent), nullptr);
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST(DeferredLibrary, ALibraryLoadedOnceAnswersEveryEntryAfterwards)
{
    Boxes boxes;
    void* handle = deferred::Open(deferred::kRecorder);
    ASSERT_NE(handle, nullptr) << "libQMVidio.so is built into the program folder";
    EXPECT_EQ(deferred::Loaded(deferred::kRecorder), handle);
    EXPECT_NE(deferred::Symbol(handle, "IsPlaying"), nullptr);
    EXPECT_EQ(IsPlaying(), 0) << "the library's own answer: no recording";
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST(DeferredLibrary, ThePdfModuleReadsAPdfAndTellsAFileItCannotReadFromAMissingModule)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.pdf"));
    {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::A5));
        QPainter painter(&writer);
        painter.fillRect(QRect(QPoint(0, 0), QSize(writer.width(), writer.height())), Qt::red);
    }
    bool missing = true;
    const std::unique_ptr<pdfreader::Document> document = pdfreader::Open(path, &missing);
    ASSERT_NE(document, nullptr);
    EXPECT_FALSE(missing);
    EXPECT_FALSE(document->Locked());
    ASSERT_EQ(document->PageCount(), 1);
    EXPECT_TRUE(document->PageSize(1).isEmpty());
    const QImage page = document->Render(0, 36, 36, nullptr);
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(QColor(page.pixel(page.width() / 2, page.height() / 2)), QColor(Qt::red));

    const std::atomic<bool> stopped {true};
    EXPECT_TRUE(document->Render(0, 36, 36, &stopped).isNull()) << "a render asked to stop gives nothing";

    missing = true;
    EXPECT_EQ(pdfreader::Open(dir.filePath(QStringLiteral("none.pdf")), &missing), nullptr);
    EXPECT_FALSE(missing) << "the module is there: the file is what cannot be read";
}
