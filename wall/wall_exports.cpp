#include "wall/wall_exports.h"

#include <string>

namespace {
std::string g_showPath;
} // namespace

// The wall is not available yet: it keeps the folder it was given and shows nothing.
void ShowMainFrame()
{
}
void SetShowPath(const char* path)
{
    g_showPath = path ? path : "";
}
