#pragma once

#if defined(QMSHOW_BUILDING)
#define QMSHOW_EXPORT __attribute__((visibility("default")))
#else
#define QMSHOW_EXPORT
#endif
