#include "surface/page_journal.h"

#include <QFile>
#include <QMetaObject>
#include <QObject>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>

namespace DIALOG {

namespace {

// A body larger than this is taken for a damaged length rather than allocated.
constexpr std::uint32_t kMaxBodyBytes = 64u << 20;
constexpr qsizetype kHeaderBytes = 8;

constexpr std::array<std::uint32_t, 256> makeCrcTable()
{
    std::array<std::uint32_t, 256> table {};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = makeCrcTable();

// The CRC-32 of zlib and of PNG, so a record can be checked with any common tool.
std::uint32_t crc32Of(const char* data, qsizetype size)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        c = kCrcTable[(c ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void putU32(QByteArray& out, std::uint32_t v)
{
    const char bytes[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
    out.append(bytes, 4);
}

std::uint32_t getU32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16)
        | (std::uint32_t(b[3]) << 24);
}

void putBytes(QByteArray& out, const QByteArray& bytes)
{
    putU32(out, std::uint32_t(bytes.size()));
    out.append(bytes);
}

std::string storedForm(const CPenNode& node)
{
    std::ostringstream os;
    node.Write(os);
    return std::move(os).str();
}

// "nan" or "inf" in a stored form cannot be read back, and would end the journal at that object: such a
// value is written as 0.
std::string readableStoredForm(const CPenNode& node)
{
    if (std::isfinite(node.boxAngle) && std::isfinite(node.arcRadius))
        return storedForm(node);
    CPenNode finite = node;
    if (!std::isfinite(finite.boxAngle))
        finite.boxAngle = 0.0;
    if (!std::isfinite(finite.arcRadius))
        finite.arcRadius = 0.0;
    return storedForm(finite);
}

// Reads the fields of one body in order; any read past its end marks the body bad.
class BodyReader {
public:
    explicit BodyReader(QByteArrayView body)
        : body_(body)
    {
    }
    bool ok() const { return ok_; }
    bool atEnd() const { return pos_ == body_.size(); }

    std::uint32_t u32()
    {
        if (!ok_ || body_.size() - pos_ < 4) {
            ok_ = false;
            return 0;
        }
        const std::uint32_t v = getU32(body_.data() + pos_);
        pos_ += 4;
        return v;
    }
    std::uint8_t u8()
    {
        if (!ok_ || pos_ >= body_.size()) {
            ok_ = false;
            return 0;
        }
        return std::uint8_t(body_[pos_++]);
    }
    QByteArrayView bytes()
    {
        const std::uint32_t n = u32();
        if (!ok_ || qsizetype(n) > body_.size() - pos_) {
            ok_ = false;
            return {};
        }
        const QByteArrayView v = body_.sliced(pos_, n);
        pos_ += n;
        return v;
    }
    QString text() { return QString::fromUtf8(bytes()); }

private:
    QByteArrayView body_;
    qsizetype pos_ = 0;
    bool ok_ = true;
};

// A node whose stored form does not read back whole, to its end mark and nothing after, is damage.
bool readNode(QByteArrayView stored, CPenNode* node)
{
    if (stored.isEmpty() || stored.back() != ';')
        return false;
    std::istringstream is(std::string(stored.data(), std::size_t(stored.size())));
    if (!node->Read(is) || is.fail())
        return false;
    return is.peek() == std::char_traits<char>::eof();
}

bool decodeBody(QByteArrayView body, JournalRecord* record)
{
    BodyReader in(body);
    const std::uint8_t kind = in.u8();
    switch (kind) {
    case JournalRecord::Begin:
        record->pageFile = in.text();
        record->picture = in.text();
        record->boardMode = std::int32_t(in.u32());
        break;
    case JournalRecord::Put: {
        record->index = std::int32_t(in.u32());
        const QByteArrayView stored = in.bytes();
        if (!in.ok() || !readNode(stored, &record->node))
            return false;
        break;
    }
    case JournalRecord::Empty:
        break;
    case JournalRecord::Background:
        record->picture = in.text();
        record->colour = in.u32();
        break;
    default:
        return false;
    }
    record->kind = JournalRecord::Kind(kind);
    return in.ok() && in.atEnd();
}

} // namespace

bool operator==(const JournalRecord& a, const JournalRecord& b)
{
    if (a.kind != b.kind)
        return false;
    switch (a.kind) {
    case JournalRecord::Begin:
        return a.pageFile == b.pageFile && a.picture == b.picture && a.boardMode == b.boardMode;
    case JournalRecord::Put:
        return a.index == b.index && storedForm(a.node) == storedForm(b.node);
    case JournalRecord::Empty:
        return true;
    case JournalRecord::Background:
        return a.picture == b.picture && a.colour == b.colour;
    }
    return false;
}

QByteArray EncodeJournalRecord(const JournalRecord& record)
{
    QByteArray body;
    body.append(char(record.kind));
    switch (record.kind) {
    case JournalRecord::Begin:
        putBytes(body, record.pageFile.toUtf8());
        putBytes(body, record.picture.toUtf8());
        putU32(body, std::uint32_t(record.boardMode));
        break;
    case JournalRecord::Put: {
        putU32(body, std::uint32_t(record.index));
        const std::string stored = readableStoredForm(record.node);
        putBytes(body, QByteArray(stored.data(), qsizetype(stored.size())));
        break;
    }
    case JournalRecord::Empty:
        break;
    case JournalRecord::Background:
        putBytes(body, record.picture.toUtf8());
        putU32(body, record.colour);
        break;
    }
    QByteArray out;
    out.reserve(kHeaderBytes + body.size());
    putU32(out, std::uint32_t(body.size()));
    putU32(out, crc32Of(body.constData(), body.size()));
    out.append(body);
    return out;
}

std::vector<JournalRecord> DecodeJournal(QByteArrayView bytes, qsizetype* goodBytes)
{
    std::vector<JournalRecord> records;
    qsizetype pos = 0;
    while (bytes.size() - pos >= kHeaderBytes) {
        const std::uint32_t length = getU32(bytes.data() + pos);
        const std::uint32_t crc = getU32(bytes.data() + pos + 4);
        if (length > kMaxBodyBytes || qsizetype(length) > bytes.size() - pos - kHeaderBytes)
            break;
        const QByteArrayView body = bytes.sliced(pos + kHeaderBytes, length);
        if (crc32Of(body.data(), body.size()) != crc)
            break;
        JournalRecord record;
        if (!decodeBody(body, &record))
            break;
        records.push_back(std::move(record));
        pos += kHeaderBytes + length;
    }
    if (goodBytes)
        *goodBytes = pos;
    return records;
}

void ApplyJournal(std::vector<CPenNode>& nodes, const std::vector<JournalRecord>& records)
{
    for (const JournalRecord& record : records) {
        if (record.kind == JournalRecord::Empty) {
            nodes.clear();
        } else if (record.kind == JournalRecord::Put) {
            if (record.index < 0 || std::size_t(record.index) > nodes.size())
                continue;
            if (std::size_t(record.index) == nodes.size())
                nodes.push_back(record.node);
            else
                nodes[std::size_t(record.index)] = record.node;
        }
    }
}

JournalShadow::Seen JournalShadow::seenOf(const CPenNode& node)
{
    Seen s;
    s.erased = node.erased;
    s.cleared = node.cleared;
    s.mediaShown = node.mediaShown;
    s.boxWidth = node.boxWidth;
    s.boxHeight = node.boxHeight;
    s.boxCentreX = node.boxCentreX;
    s.boxCentreY = node.boxCentreY;
    s.mediaWidth = node.mediaWidth;
    s.mediaHeight = node.mediaHeight;
    s.mediaCentreX = node.mediaCentreX;
    s.mediaCentreY = node.mediaCentreY;
    s.boxAngle = node.boxAngle;
    return s;
}

std::vector<JournalRecord> JournalShadow::Changes(const std::vector<CPenNode>& nodes)
{
    std::vector<JournalRecord> records;
    const auto put = [&records, &nodes](std::size_t i) {
        JournalRecord r;
        r.kind = JournalRecord::Put;
        r.index = std::int32_t(i);
        r.node = nodes[i];
        records.push_back(std::move(r));
    };
    // Objects only leave the list when the page is emptied; anything shorter is written out whole.
    if (nodes.size() < seen_.size()) {
        JournalRecord empty;
        empty.kind = JournalRecord::Empty;
        records.push_back(std::move(empty));
        seen_.clear();
    }
    seen_.reserve(nodes.size());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const Seen now = seenOf(nodes[i]);
        if (i < seen_.size()) {
            if (now == seen_[i])
                continue;
            seen_[i] = now;
        } else {
            seen_.push_back(now);
        }
        put(i);
    }
    return records;
}

void JournalShadow::Reset(const std::vector<CPenNode>& nodes)
{
    seen_.clear();
    seen_.reserve(nodes.size());
    for (const CPenNode& node : nodes)
        seen_.push_back(seenOf(node));
}

// The writer thread owns the file: bytes are either written and synced, written and not yet synced
// (kept, so a failed sync can write them again), or waiting to be written.
struct PageJournal::Writer {
    using Clock = std::chrono::steady_clock;

    Writer(const QString& p, std::function<void(bool)> trouble)
        : path(p)
        , diskTrouble(std::move(trouble))
        , owner(std::make_unique<QObject>())
    {
        thread = std::thread([this] { run(); });
    }
    ~Writer()
    {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        thread.join();
        if (fd >= 0)
            ::close(fd);
    }

    struct Op {
        bool restart = false;
        std::vector<JournalRecord> records;
    };

    const QString path;
    const std::function<void(bool)> diskTrouble;
    // Lives on the constructing thread, so that diskTrouble is called there.
    const std::unique_ptr<QObject> owner;

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable flushed;
    std::vector<Op> ops;
    std::uint64_t flushWanted = 0;
    std::uint64_t flushDone = 0;
    bool waiting = false; // something waits for room, as Flush reports it
    bool stopping = false;
    std::atomic<std::uint64_t> syncs {0};
    std::thread thread;

    // The writer thread's own state.
    int fd = -1;
    qint64 synced = 0;
    QByteArray unsynced;
    QByteArray backlog;
    bool truncate = false;
    bool cutBack = false; // a failed write may have left part of a record at the end
    bool syncAtOnce = false;
    bool inTrouble = false;
    bool told = false;
    Clock::time_point lastSync {};
    Clock::time_point retryAt {};

    void run();
    void take(Op& op);
    bool openFile();
    bool writeBacklog();
    bool syncFile();
    void fail();
    void tell(bool trouble);
    bool syncDue(Clock::time_point now) const;
    bool pendingWrite() const { return !backlog.isEmpty() || truncate || cutBack; }
};

bool PageJournal::Writer::openFile()
{
    if (fd >= 0)
        return true;
    fd = ::open(
        QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    // A file left by an earlier run is kept up to its good prefix, so what is appended can be read back.
    QByteArray old;
    QFile file;
    const int readFd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (readFd >= 0 && file.open(readFd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        old = file.readAll();
    else if (readFd >= 0)
        ::close(readFd);
    qsizetype good = 0;
    DecodeJournal(old, &good);
    if (good != old.size() && ::ftruncate(fd, good) != 0) {
        ::close(fd);
        fd = -1;
        return false;
    }
    synced = good;
    return true;
}

void PageJournal::Writer::take(Op& op)
{
    if (op.restart) {
        backlog.clear();
        unsynced.clear();
        truncate = true;
        syncAtOnce = true;
    }
    for (const JournalRecord& record : op.records)
        backlog.append(EncodeJournalRecord(record));
}

// Writes what waits; a write that fails or falls short is cut back off the file, and waits again.
bool PageJournal::Writer::writeBacklog()
{
    if (!openFile())
        return false;
    if (truncate) {
        if (::ftruncate(fd, 0) != 0)
            return false;
        truncate = false;
        cutBack = false;
        synced = 0;
    }
    if (cutBack) {
        if (::ftruncate(fd, synced + unsynced.size()) != 0)
            return false;
        cutBack = false;
    }
    qsizetype done = 0;
    while (done < backlog.size()) {
        const ssize_t n = ::write(fd, backlog.constData() + done, std::size_t(backlog.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            cutBack = ::ftruncate(fd, synced + unsynced.size()) != 0;
            return false;
        }
        done += n;
    }
    unsynced.append(backlog);
    backlog.clear();
    return true;
}

// A failed sync may have lost what it covered: those bytes are cut off and written again later.
bool PageJournal::Writer::syncFile()
{
    lastSync = Clock::now();
    syncAtOnce = false;
    if (::fdatasync(fd) != 0) {
        cutBack = ::ftruncate(fd, synced) != 0;
        backlog.prepend(unsynced);
        unsynced.clear();
        return false;
    }
    syncs.fetch_add(1, std::memory_order_relaxed);
    synced += unsynced.size();
    unsynced.clear();
    return true;
}

void PageJournal::Writer::fail()
{
    inTrouble = true;
    retryAt = Clock::now() + std::chrono::seconds(1);
    if (!std::exchange(told, true))
        tell(true);
}

void PageJournal::Writer::tell(bool trouble)
{
    if (!diskTrouble)
        return;
    QMetaObject::invokeMethod(
        owner.get(), [callback = diskTrouble, trouble] { callback(trouble); }, Qt::QueuedConnection);
}

bool PageJournal::Writer::syncDue(Clock::time_point now) const
{
    return !unsynced.isEmpty()
        && (syncAtOnce || now - lastSync >= std::chrono::milliseconds(kSyncIntervalMs));
}

void PageJournal::Writer::run()
{
    std::unique_lock lock(mutex);
    for (;;) {
        const auto ready = [this] { return stopping || !ops.empty() || flushWanted > flushDone; };
        if (!ready()) {
            if (inTrouble && pendingWrite())
                wake.wait_until(lock, retryAt, ready);
            else if (!unsynced.isEmpty())
                wake.wait_until(lock, lastSync + std::chrono::milliseconds(kSyncIntervalMs), ready);
            else
                wake.wait(lock, ready);
        }
        std::vector<Op> taken;
        taken.swap(ops);
        const std::uint64_t wanted = flushWanted;
        const bool last = stopping;
        lock.unlock();

        for (Op& op : taken)
            take(op);
        const auto now = Clock::now();
        const bool urgent = last || wanted > flushDone;
        bool ok = true;
        if (pendingWrite() && (!inTrouble || urgent || now >= retryAt))
            ok = writeBacklog();
        if (ok && fd >= 0 && (syncDue(now) || (urgent && !unsynced.isEmpty())))
            ok = syncFile();
        if (!ok) {
            fail();
        } else if (inTrouble && !pendingWrite() && unsynced.isEmpty()) {
            inTrouble = false;
            told = false;
            tell(false);
        }

        lock.lock();
        waiting = inTrouble;
        flushDone = wanted;
        flushed.notify_all();
        if (last && ops.empty())
            return;
    }
}

PageJournal::PageJournal(const QString& path, std::function<void(bool trouble)> diskTrouble)
    : writer_(std::make_unique<Writer>(path, std::move(diskTrouble)))
{
}

PageJournal::~PageJournal() = default;

void PageJournal::Restart(const JournalRecord& begin)
{
    {
        std::lock_guard lock(writer_->mutex);
        writer_->ops.push_back(Writer::Op {true, {begin}});
    }
    writer_->wake.notify_one();
}

void PageJournal::Append(std::vector<JournalRecord> records)
{
    if (records.empty())
        return;
    {
        std::lock_guard lock(writer_->mutex);
        writer_->ops.push_back(Writer::Op {false, std::move(records)});
    }
    writer_->wake.notify_one();
}

bool PageJournal::Flush()
{
    std::unique_lock lock(writer_->mutex);
    const std::uint64_t ticket = ++writer_->flushWanted;
    writer_->wake.notify_one();
    writer_->flushed.wait(lock, [this, ticket] { return writer_->flushDone >= ticket; });
    return !writer_->waiting;
}

const QString& PageJournal::Path() const
{
    return writer_->path;
}

std::uint64_t PageJournal::Syncs() const
{
    return writer_->syncs.load(std::memory_order_relaxed);
}

} // namespace DIALOG
