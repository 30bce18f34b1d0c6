#pragma once

#include <cstdint>

class QIODevice;
struct AVCodecContext;
struct AVFormatContext;
struct AVIOContext;
struct AVStream;

// A sound file read by FFmpeg straight from a QIODevice: the custom I/O
// context over the device, the opened container and the decoder of its best
// audio stream. Owns every FFmpeg context it makes; the device is borrowed and
// must outlive the input. Everything the demuxer asks of the device is checked
// against it first, because those requests come from an untrusted file.
// Nothing but the device is ever opened, and only MP3 and WAV containers are
// accepted.
class AudioInput
{
public:
    explicit AudioInput(QIODevice* device);
    ~AudioInput();

    AudioInput(AudioInput const&) = delete;
    AudioInput& operator=(AudioInput const&) = delete;

    // True when the I/O context could be made.
    bool isValid() const;

    // Opens the container from the device's start, finds the best audio stream
    // and opens its decoder (whose time base of packets is the stream's, and
    // whose channel layout is never of unspecified order). Returns 0 or
    // FFmpeg's negative error code; on failure nothing stays open.
    int open();
    void close();

    AVFormatContext* formatContext() const;
    AVCodecContext* decoderContext() const;
    AVStream* stream() const;
    int streamIndex() const;

    // FFmpeg's read and seek callbacks over a QIODevice (the opaque pointer).
    static int readPacket(void* opaque, std::uint8_t* buffer, int bufferSize);
    static std::int64_t seekPacket(void* opaque, std::int64_t offset, int whence);

private:
    QIODevice* m_device = nullptr;
    unsigned char* m_ioBuffer = nullptr;
    AVIOContext* m_ioContext = nullptr;
    AVFormatContext* m_formatContext = nullptr;
    AVCodecContext* m_decoderContext = nullptr;
    int m_streamIndex = -1;
};
