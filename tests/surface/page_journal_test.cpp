// The journal of the open page: its records as bytes, what a torn or damaged file still gives back, the
// shadow that turns the page's changes into records, and the writer on a good disk, a reopened file and a
// full disk.
#include "surface/page_journal.h"

#include "support_main/test_util.h"
#include "surface/page_model.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

using namespace DIALOG;

namespace DIALOG {
// Keeps a failure's message readable: the kind, the index and the object's stored form.
void PrintTo(const JournalRecord& r, std::ostream* os)
{
    *os << "{kind " << int(r.kind) << ", index " << r.index << ", " << r.node.points.size() << " points}";
}
} // namespace DIALOG

namespace {

std::string storedForm(const CPenNode& node)
{
    std::ostringstream os;
    node.Write(os);
    return os.str();
}

CPenNode stroke(int seed, int points = 20)
{
    CPenNode node(RGB(seed & 0xFF, 40, 200), 3 + seed % 5, 0, Pen);
    for (int k = 0; k < points; ++k)
        node.AddPoint(10 + (seed * 7 + k * 3) % 1800, 20 + (seed * 13 + k) % 1000, 1, 0);
    return node;
}

JournalRecord put(int index, const CPenNode& node)
{
    JournalRecord r;
    r.kind = JournalRecord::Put;
    r.index = index;
    r.node = node;
    return r;
}

JournalRecord begin(const QString& pageFile)
{
    JournalRecord r;
    r.kind = JournalRecord::Begin;
    r.pageFile = pageFile;
    r.picture = QStringLiteral("/课件/背景 一.png");
    r.boardMode = 2;
    return r;
}

// One object of every kind, with the fields each kind stores filled in.
std::vector<CPenNode> everyKind()
{
    std::vector<CPenNode> nodes;
    for (int k = 0; k < kNodeKindCount; ++k) {
        CPenNode node(RGB(k * 10, 255 - k, 7), 1 + k, k % 2, NodeKind(k));
        node.AddPoint(k, 2 * k, 1, k % 3);
        node.AddPoint(kEndMark, -5, 0, 4);
        node.boxWidth = 100 + k;
        node.boxHeight = 50 + k;
        node.boxAngle = 0.25 * k;
        node.erased = k % 3 == 0;
        node.cleared = k % 4 == 0;
        if (k == Text)
            node.SetEditText(QStringLiteral("板书 第一行\n第二行\ttab 和 空格"));
        if (k == Picture) {
            node.SetPicturePath(QStringLiteral("/home/老师/我的 图片/photo one.png"));
            node.boxCentreX = 640;
            node.boxCentreY = -12;
        }
        if (k == Flash || k == Video) {
            node.SetMediaPath(QStringLiteral("/home/老师/videos/lesson 3.mp4"));
            node.mediaCentreX = 300;
            node.mediaCentreY = 200;
            node.mediaWidth = 320;
            node.mediaHeight = 240;
            node.mediaShown = true;
        }
        if (k == CompassArc) {
            node.arcCentreX = 400;
            node.arcCentreY = 300;
            node.arcRadius = 123.5;
        }
        nodes.push_back(node);
    }
    return nodes;
}

std::vector<JournalRecord> sampleRecords()
{
    std::vector<JournalRecord> records {begin(QStringLiteral("/tmp/课堂/1-2-3-4.kw"))};
    const std::vector<CPenNode> nodes = everyKind();
    for (std::size_t i = 0; i < nodes.size(); ++i)
        records.push_back(put(int(i), nodes[i]));
    JournalRecord empty;
    empty.kind = JournalRecord::Empty;
    records.push_back(empty);
    JournalRecord background;
    background.kind = JournalRecord::Background;
    background.colour = RGB(0, 80, 0);
    records.push_back(background);
    background.picture = QStringLiteral("/课件/黑板 2.jpg");
    records.push_back(background);
    records.push_back(put(0, stroke(1, 60)));
    return records;
}

QByteArray encodeAll(const std::vector<JournalRecord>& records, std::vector<qsizetype>* starts = nullptr)
{
    QByteArray bytes;
    for (const JournalRecord& r : records) {
        if (starts)
            starts->push_back(bytes.size());
        bytes.append(EncodeJournalRecord(r));
    }
    return bytes;
}

std::vector<JournalRecord> firstOf(const std::vector<JournalRecord>& records, std::size_t n)
{
    return std::vector<JournalRecord>(records.begin(), records.begin() + std::ptrdiff_t(n));
}

} // namespace

TEST(JournalRecords, EveryKindAndEveryObjectKindComeBackAsWritten)
{
    const std::vector<JournalRecord> records = sampleRecords();
    const QByteArray bytes = encodeAll(records);
    qsizetype good = -1;
    const std::vector<JournalRecord> back = DecodeJournal(bytes, &good);
    EXPECT_EQ(good, bytes.size());
    ASSERT_EQ(back, records);
    // Equality goes through the stored form; the fields a teacher sees must come back too.
    EXPECT_EQ(back[0].pageFile, QStringLiteral("/tmp/课堂/1-2-3-4.kw"));
    EXPECT_EQ(back[0].picture, records[0].picture);
    EXPECT_EQ(back[1 + Text].node.EditText(), QStringLiteral("板书 第一行\n第二行\ttab 和 空格"));
    EXPECT_EQ(
        back[1 + Picture].node.PicturePathForLoad(), QStringLiteral("/home/老师/我的 图片/photo one.png"));
    EXPECT_EQ(back[1 + Picture].node.boxCentreY, -12);
    EXPECT_EQ(back[1 + Video].node.mediaPath, records[1 + Video].node.mediaPath);
    EXPECT_TRUE(back[1 + Video].node.mediaShown);
    EXPECT_EQ(back[1 + CompassArc].node.arcRadius, 123.5);
    EXPECT_EQ(back.back().node.points, records.back().node.points);
    EXPECT_EQ(back[1 + Pen].node.erased, 1);
}

TEST(JournalRecords, ATornTailGivesBackExactlyTheEarlierRecords)
{
    const std::vector<JournalRecord> records = sampleRecords();
    std::vector<qsizetype> starts;
    const QByteArray bytes = encodeAll(records, &starts);
    const qsizetype lastStart = starts.back();
    for (qsizetype cut = lastStart; cut < bytes.size(); ++cut) {
        qsizetype good = -1;
        const std::vector<JournalRecord> back = DecodeJournal(QByteArrayView(bytes).first(cut), &good);
        ASSERT_EQ(back, firstOf(records, records.size() - 1)) << "cut at " << cut;
        ASSERT_EQ(good, lastStart);
    }
}

TEST(JournalRecords, DamageInTheMiddleStopsTheReadingThere)
{
    const std::vector<JournalRecord> records = sampleRecords();
    std::vector<qsizetype> starts;
    const QByteArray bytes = encodeAll(records, &starts);
    const std::size_t middle = 1 + Text;
    for (qsizetype at = starts[middle]; at < starts[middle + 1]; ++at) {
        QByteArray damaged = bytes;
        damaged[at] = char(damaged[at] ^ (1 << (at % 8)));
        qsizetype good = -1;
        ASSERT_EQ(DecodeJournal(damaged, &good), firstOf(records, middle)) << "bit flipped at " << at;
        ASSERT_EQ(good, starts[middle]);
    }

    // A length far past what is there, or past any body the journal writes, is no record.
    QByteArray huge = bytes.first(starts[1]);
    huge.append("\xF0\xFF\xFF\x7F\0\0\0\0", 8);
    huge.append(bytes.sliced(starts[1]));
    EXPECT_EQ(DecodeJournal(huge).size(), 1u);
    EXPECT_TRUE(DecodeJournal(QByteArray(7, '\0')).empty());
    EXPECT_TRUE(DecodeJournal(QByteArray(8, '\0')).empty()) << "an empty body has no kind";
}

TEST(JournalRecords, AnAngleThatIsNoNumberDoesNotEndTheJournal)
{
    CPenNode turned(0, 3, 0, Picture);
    turned.SetPicturePath(QStringLiteral("/p/a.png"));
    turned.boxAngle = std::nan("");
    CPenNode arc(0, 3, 0, CompassArc);
    arc.arcRadius = std::numeric_limits<double>::infinity();
    const std::vector<JournalRecord> back
        = DecodeJournal(encodeAll({put(0, turned), put(1, arc), put(2, stroke(1))}));
    ASSERT_EQ(back.size(), 3u) << "the objects after it come back";
    EXPECT_EQ(back[0].node.boxAngle, 0.0);
    EXPECT_EQ(back[0].node.PicturePathForLoad(), QStringLiteral("/p/a.png"));
    EXPECT_EQ(back[1].node.arcRadius, 0.0);
}

TEST(JournalShadowChanges, FindsWhatThePageDidAndReplaysIt)
{
    PageList page;
    for (int i = 0; i < 30; ++i)
        page.CommitObject(stroke(i));
    CPenNode picture(0, 0, 0, Picture);
    picture.SetPicturePath(QStringLiteral("/p/a.png"));
    const int pictureAt = page.CommitObject(picture);
    const std::vector<CPenNode> start = page.nodes;
    JournalShadow shadow;
    shadow.Reset(page.nodes);
    EXPECT_TRUE(shadow.Changes(page.nodes).empty()) << "an unchanged page costs no record";

    std::vector<JournalRecord> journal;
    const auto step = [&](std::size_t expected) {
        const std::vector<JournalRecord> records = shadow.Changes(page.nodes);
        EXPECT_EQ(records.size(), expected);
        journal.insert(journal.end(), records.begin(), records.end());
    };
    const int added = page.CommitObject(stroke(100, 100));
    step(1);
    EXPECT_EQ(journal.back().index, added);
    page.UndoStep(); // the stroke is hidden, not removed
    step(1);
    EXPECT_EQ(journal.back().node.erased, 1);
    page.RedoStep();
    step(1);
    NodeFrame moved = NodeFrame::Of(page.nodes[std::size_t(pictureAt)]);
    moved.centreX += 40;
    moved.angle = 0.5;
    page.ReframeStep(pictureAt, moved);
    step(1);
    EXPECT_EQ(journal.back().index, pictureAt);
    page.ClearShown(); // every shown object takes its cleared flag
    step(page.nodes.size());
    page.UndoStep();
    step(page.nodes.size());

    std::vector<CPenNode> replayed = start;
    ApplyJournal(replayed, journal);
    ASSERT_EQ(replayed.size(), page.nodes.size());
    for (std::size_t i = 0; i < replayed.size(); ++i)
        EXPECT_EQ(storedForm(replayed[i]), storedForm(page.nodes[i])) << "object " << i;

    // An emptied page, drawn on again, is written out whole after an Empty.
    page.Clear();
    page.CommitObject(stroke(7));
    page.CommitObject(stroke(8));
    const std::vector<JournalRecord> emptied = shadow.Changes(page.nodes);
    ASSERT_EQ(emptied.size(), 3u);
    EXPECT_EQ(emptied[0].kind, JournalRecord::Empty);
    ApplyJournal(replayed, emptied);
    ASSERT_EQ(replayed.size(), 2u);
    EXPECT_EQ(storedForm(replayed[1]), storedForm(stroke(8)));
}

TEST(JournalShadowChanges, APutPastTheCountIsLeftOut)
{
    std::vector<CPenNode> nodes {stroke(1)};
    ApplyJournal(nodes, {put(5, stroke(2)), put(-1, stroke(3)), put(1, stroke(4))});
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(storedForm(nodes[1]), storedForm(stroke(4)));
}

class PageJournalTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }
    static std::vector<JournalRecord> onFile(const QString& file, qsizetype* good = nullptr)
    {
        const QByteArray bytes = qmtest::readFile(file);
        qsizetype prefix = 0;
        std::vector<JournalRecord> records = DecodeJournal(bytes, &prefix);
        if (good)
            *good = prefix;
        EXPECT_EQ(prefix, bytes.size()) << "the file ends in a whole record";
        return records;
    }

    QTemporaryDir dir_;
};

TEST_F(PageJournalTest, WritesRestartsAndWritesOnDestruction)
{
    const QString file = path(QStringLiteral("page.journal"));
    std::vector<JournalRecord> expected {begin(QStringLiteral("a.kw"))};
    {
        PageJournal journal(file);
        journal.Restart(expected[0]);
        for (int i = 0; i < 5; ++i) {
            expected.push_back(put(i, stroke(i)));
            journal.Append({expected.back()});
        }
        ASSERT_TRUE(journal.Flush());
        EXPECT_EQ(onFile(file), expected);
        EXPECT_GE(journal.Syncs(), 1u);
        EXPECT_EQ(QFile::permissions(file) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions {});

        // A stored page begins a new file.
        expected = {begin(QStringLiteral("b.kw")), put(0, stroke(9))};
        journal.Restart(expected[0]);
        journal.Append({expected[1]});
        ASSERT_TRUE(journal.Flush());
        EXPECT_EQ(onFile(file), expected);
        expected.push_back(put(1, stroke(10)));
        journal.Append({expected.back()});
    }
    EXPECT_EQ(onFile(file), expected) << "what was queued is written before the journal goes";
}

TEST_F(PageJournalTest, AReopenedJournalAppendsAfterTheGoodPrefix)
{
    const QString file = path(QStringLiteral("page.journal"));
    std::vector<JournalRecord> expected {begin(QStringLiteral("a.kw")), put(0, stroke(1))};
    {
        PageJournal journal(file);
        journal.Restart(expected[0]);
        journal.Append({expected[1]});
    }
    // A power cut tore the record that was being written.
    const QByteArray torn = EncodeJournalRecord(put(1, stroke(2))).first(30);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(torn);
    f.close();

    expected.push_back(put(1, stroke(3)));
    PageJournal again(file);
    again.Append({expected.back()});
    ASSERT_TRUE(again.Flush());
    EXPECT_EQ(onFile(file), expected);
}

TEST_F(PageJournalTest, ALinkPlantedAtTheJournalIsNotFollowed)
{
    const QString target = qmtest::writeFile(path(QStringLiteral("theirs.txt")), "keep me");
    const QString file = path(QStringLiteral("page.journal"));
    ASSERT_TRUE(qmtest::plantLink(target, file));
    int told = 0;
    PageJournal journal(file, [&told](bool trouble) { told += trouble ? 1 : 0; });
    journal.Restart(begin(QStringLiteral("a.kw")));
    EXPECT_FALSE(journal.Flush());
    EXPECT_EQ(qmtest::readFile(target), QByteArray("keep me"));
    EXPECT_TRUE(qmtest::waitFor([&told] { return told == 1; }));
}

namespace {

// A file system of a few hundred kilobytes, filled up to its last block by a file that can be removed to
// make room again.
class FullDisk {
public:
    explicit FullDisk(const QString& folder)
        : folder_(folder)
    {
        QDir().mkpath(folder_);
        mounted_ = QProcess::execute(QStringLiteral("mount"),
                       {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=256k"), QStringLiteral("tmpfs"), folder_})
            == 0;
    }
    ~FullDisk()
    {
        if (mounted_)
            QProcess::execute(QStringLiteral("umount"), {folder_});
    }
    bool mounted() const { return mounted_; }
    void fill()
    {
        QFile filler(folder_ + QStringLiteral("/filler"));
        filler.open(QIODevice::WriteOnly);
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) { }
    }
    void makeRoom() { QFile::remove(folder_ + QStringLiteral("/filler")); }

private:
    QString folder_;
    bool mounted_ = false;
};

} // namespace

TEST_F(PageJournalTest, AFullDiskIsToldOnceAndLosesNothingOnceRoomComesBack)
{
    FullDisk disk(path(QStringLiteral("disk")));
    if (!disk.mounted())
        GTEST_SKIP() << "a small file system needs the right to mount one";
    const QString file = path(QStringLiteral("disk/page.journal"));
    std::vector<bool> told;
    bool onOwnersThread = true;
    PageJournal journal(file, [&told, &onOwnersThread](bool trouble) {
        told.push_back(trouble);
        onOwnersThread = onOwnersThread && QThread::currentThread() == qApp->thread();
    });
    std::vector<JournalRecord> expected {begin(QStringLiteral("a.kw"))};
    journal.Restart(expected[0]);
    ASSERT_TRUE(journal.Flush());

    disk.fill();
    for (int i = 0; i < 40; ++i) {
        expected.push_back(put(i, stroke(i, 200)));
        journal.Append({expected.back()});
    }
    EXPECT_FALSE(journal.Flush());
    ASSERT_TRUE(qmtest::waitFor([&told] { return !told.empty(); }));
    qsizetype good = 0;
    const std::size_t kept = onFile(file, &good).size();
    EXPECT_LT(kept, expected.size()) << "the disk had no room for all of it";
    journal.Append({put(40, stroke(40))});
    expected.push_back(put(40, stroke(40)));
    EXPECT_FALSE(journal.Flush());

    disk.makeRoom();
    ASSERT_TRUE(qmtest::waitFor([&told] { return told.size() == 2; }));
    EXPECT_EQ(told, std::vector<bool>({true, false})) << "told once, and once more when it caught up";
    EXPECT_TRUE(onOwnersThread) << "the teacher is told from the window's thread";
    EXPECT_TRUE(journal.Flush());
    EXPECT_EQ(onFile(file), expected);
}

// Writes the seeds of the journal's fuzz target: every record alone and as a bare body, a journal, a torn
// one.
TEST(JournalRecords, DISABLED_WriteFuzzSeeds)
{
    const QString folder = QStringLiteral(QM_SOURCE_DIR "/tests/data/fuzz/journal/");
    QDir().mkpath(folder);
    const std::vector<JournalRecord> records = sampleRecords();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const QByteArray record = EncodeJournalRecord(records[i]);
        qmtest::writeFile(folder + QStringLiteral("record-%1").arg(i), record);
        // The target frames an input starting with 'B' as one record's body.
        qmtest::writeFile(folder + QStringLiteral("body-%1").arg(i), "B" + record.sliced(8));
    }
    const QByteArray several = encodeAll(firstOf(records, 8));
    qmtest::writeFile(folder + QStringLiteral("journal"), several);
    qmtest::writeFile(folder + QStringLiteral("torn"), several.first(several.size() - 3));
    qmtest::writeFile(folder + QStringLiteral("emptied"),
        encodeAll({records[0], put(0, stroke(1)), records[records.size() - 4], put(0, stroke(2))}));
}
