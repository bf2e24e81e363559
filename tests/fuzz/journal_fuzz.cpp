// Whatever bytes a journal file holds after a crash, reading it gives a prefix of whole records: records that
// are written again read back the same, and replaying them over an empty page is safe.
// The seeds in tests/data/fuzz/journal are written by the journal's test
// (surface_tests --gtest_also_run_disabled_tests --gtest_filter='*WriteFuzzSeeds').
#include "surface/page_journal.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// The checksum guards the bodies from blind mutation; an input starting with 'B' is framed as one record with
// zlib's CRC-32, so that the body decoder and the object reader are fuzzed too.
QByteArray framed(const std::uint8_t* data, std::size_t size)
{
    QByteArray out;
    const auto put = [&out](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.append(char((v >> (8 * i)) & 0xFF));
    };
    put(std::uint32_t(size));
    put(std::uint32_t(crc32(0, data, uInt(size))));
    out.append(reinterpret_cast<const char*>(data), qsizetype(size));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = size > 0 && data[0] == 'B'
        ? framed(data + 1, size - 1)
        : QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    qsizetype good = -1;
    const std::vector<DIALOG::JournalRecord> records = DIALOG::DecodeJournal(bytes, &good);
    if (good < 0 || good > bytes.size())
        std::abort();

    QByteArray again;
    for (const DIALOG::JournalRecord& record : records)
        again.append(DIALOG::EncodeJournalRecord(record));
    qsizetype goodAgain = -1;
    const std::vector<DIALOG::JournalRecord> second = DIALOG::DecodeJournal(again, &goodAgain);
    if (goodAgain != again.size() || second != records)
        std::abort();

    std::vector<DIALOG::CPenNode> page;
    DIALOG::ApplyJournal(page, records);
    if (page.size() > records.size())
        std::abort();
    return 0;
}
