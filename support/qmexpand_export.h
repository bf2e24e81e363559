#pragma once

#if defined(QMEXPAND_BUILDING)
#define QMEXPAND_EXPORT __attribute__((visibility("default")))
#else
#define QMEXPAND_EXPORT
#endif
