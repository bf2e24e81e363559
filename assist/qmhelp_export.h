#pragma once

#if defined(QMHELP_BUILDING)
#define QMHELP_EXPORT __attribute__((visibility("default")))
#else
#define QMHELP_EXPORT
#endif
