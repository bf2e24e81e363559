#pragma once
// Media files made for a test run with ffmpeg: each is made on first use and kept for the run.
#include <QString>

namespace playertest {

// 3 s of a moving test picture (320 × 240, 25 fps, a key frame every 5 frames) with a 440 Hz tone.
QString AviMpeg4Pcm(); // AVI: MPEG-4 Part 2 video, PCM sound
QString Mp4H264Aac(); // MP4: H.264 video, AAC sound
QString Mp4H264Silent(); // MP4: H.264 video only
QString Wav(); // 2 s of the tone alone
QString RandomBytes(); // 64 KiB that no demuxer takes
QString Png(); // a still picture

} // namespace playertest
