#pragma once

#if defined(QMPLAY_BUILDING)
#define QMPLAY_EXPORT __attribute__((visibility("default")))
#else
#define QMPLAY_EXPORT
#endif
