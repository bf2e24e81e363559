#pragma once

#if defined(QMDIRECT_BUILDING)
#define QMDIRECT_EXPORT __attribute__((visibility("default")))
#else
#define QMDIRECT_EXPORT
#endif
