// Reads arbitrary bytes as a page's object file: whatever they hold, reading must end, stay within its
// caps and keep only whole records.
#include "surface/page_model.h"
#include "surface/page_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    DIALOG::PageList list;
    const std::size_t added = DIALOG::ReadPageObjects(in, list);
    if (added != list.nodes.size() || list.nodes.size() > DIALOG::kMaxObjectsPerPage
        || !list.undoStack.empty())
        std::abort();
    for (const DIALOG::CPenNode& node : list.nodes) {
        if (node.kind < 0 || node.kind >= DIALOG::kNodeKindCount
            || node.points.size() > DIALOG::kMaxPointsPerObject)
            std::abort();
    }
    return 0;
}
