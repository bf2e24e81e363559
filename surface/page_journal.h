#pragma once
// The journal of the open page: every change of its objects since it was opened or last stored, appended to a
// file beside the lesson's pages as it happens, so that a kill, a crash or a power cut loses at most the last
// quarter second. A record is its length, a checksum and a body; a reader stops at the first record that is
// cut short or fails its checksum, so a torn end never spoils what came before it.
//
// The journal holds objects, not steps: a record puts one object, in its stored form, at an index (appending
// at the count), empties the page, or says what the page started from or which background it took. Replaying
// the records over the page the journal began from gives the objects the page held, flags and all.
#include "platform/win_types.h"
#include "surface/pen_node.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace DIALOG {

struct JournalRecord {
    enum Kind : std::uint8_t {
        Begin = 1, // the page the journal starts from: pageFile (its objects file, empty for a new page),
                   // picture (its background picture, empty for white) and boardMode
        Put = 2, // node at index: appended when index is the count, else replacing the object there
        Empty = 3, // every object removed for good (a large clear, or another page opened over it)
        Background = 4, // the page took picture, or with an empty picture the colour
    };
    Kind kind = Put;
    std::int32_t index = 0;
    CPenNode node;
    QString pageFile;
    QString picture;
    std::int32_t boardMode = 0;
    COLORREF colour = 0;

    friend bool operator==(const JournalRecord& a, const JournalRecord& b);
};

// One record as it lies in the file: its body's length (4 bytes, little-endian), the CRC-32 of the body
// (4 bytes) and the body.
QByteArray EncodeJournalRecord(const JournalRecord& record);
// The records of bytes, up to the first one that is cut short, fails its checksum or does not decode.
// *goodBytes: the length of that good prefix, where the next record may be appended.
std::vector<JournalRecord> DecodeJournal(QByteArrayView bytes, qsizetype* goodBytes = nullptr);

// Replays records over nodes, the objects of the page the journal began from. Begin and Background records
// change no object; a Put past the count is left out.
void ApplyJournal(std::vector<CPenNode>& nodes, const std::vector<JournalRecord>& records);

// What the journal last saw of each object: comparing the page with it gives the records that bring the
// journal up to date, one per object added or changed since. The shadow keeps only what may change after
// an object is committed (its flags and its frame), never its points.
class JournalShadow {
public:
    // The records that bring the journal from what it saw last to nodes, and nodes becomes what it saw.
    std::vector<JournalRecord> Changes(const std::vector<CPenNode>& nodes);
    // The journal begins again from nodes (a page opened or stored): nothing of them is a change.
    void Reset(const std::vector<CPenNode>& nodes);

private:
    struct Seen {
        std::int32_t erased = 0;
        std::int32_t cleared = 0;
        bool mediaShown = false;
        std::int32_t boxWidth = 0, boxHeight = 0, boxCentreX = 0, boxCentreY = 0;
        std::int32_t mediaWidth = 0, mediaHeight = 0, mediaCentreX = 0, mediaCentreY = 0;
        double boxAngle = 0.0;
        friend bool operator==(const Seen&, const Seen&) = default;
    };
    static Seen seenOf(const CPenNode& node);
    std::vector<Seen> seen_;
};

// The journal file, written and made durable on a thread of its own: a caller never waits on the disk.
// Records are written as they come and synced (fdatasync) at most once a quarter second, and at once when
// nothing was synced for that long. When the disk refuses a write (full, or gone), the records wait in
// memory and are tried again every second; diskTrouble(true) is called once, on the thread that made the
// journal, and diskTrouble(false) once room came back and the journal caught up.
class PageJournal {
public:
    static constexpr int kSyncIntervalMs = 250;

    PageJournal(const QString& path, std::function<void(bool trouble)> diskTrouble = {});
    ~PageJournal(); // writes and syncs what is queued
    PageJournal(const PageJournal&) = delete;
    PageJournal& operator=(const PageJournal&) = delete;

    // Empties the file and begins it with begin: the page was stored, or another one opened.
    void Restart(const JournalRecord& begin);
    // Queues records for the file; returns at once.
    void Append(std::vector<JournalRecord> records);
    // Waits until every record queued so far is written and synced, or the disk refused it. False when
    // something is still waiting for room.
    bool Flush();

    const QString& Path() const;
    // How many times the file was synced, for the benchmarks.
    std::uint64_t Syncs() const;

private:
    struct Writer;
    std::unique_ptr<Writer> writer_;
};

} // namespace DIALOG
