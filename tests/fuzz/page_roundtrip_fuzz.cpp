// A page read from arbitrary bytes, written and read again, must come back the same: what the store writes it
// reads back whole, so a page survives any number of stores.
#include "surface/page_model.h"
#include "surface/page_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

std::string written(const DIALOG::PageList& list)
{
    std::ostringstream out;
    DIALOG::WritePageObjects(out, list.nodes);
    return out.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    DIALOG::PageList first;
    DIALOG::ReadPageObjects(in, first);
    const std::string once = written(first);

    std::istringstream again(once);
    DIALOG::PageList second;
    DIALOG::ReadPageObjects(again, second);
    if (second.nodes.size() != first.nodes.size())
        std::abort();
    if (written(second) != once)
        std::abort();
    return 0;
}
