#include "media/AudioInput.h"

#include <QDebug>
#include <QIODevice>

#include <cstdio>
#include <limits>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
}

namespace {

constexpr int ioBufferSize = 32768;
// The I/O buffer gets FFmpeg's input padding behind the part it is told about.
constexpr int ioBufferAllocation = ioBufferSize + 64;

// The containers of the sound files the program imports (MP3, WAV). The
// bytes come from a file someone else may have made: a playlist or any other
// container that names further resources would make FFmpeg fetch them.
constexpr char const* allowedFormats = "mp3,wav";

// Everything is read from the one device; a demuxer that asks for another
// resource (a URL or a local file) is refused.
int refuseToOpen(AVFormatContext*, AVIOContext**, char const*, int, AVDictionary**)
{
    return AVERROR(EPERM);
}

} // namespace

AudioInput::AudioInput(QIODevice* device)
    : m_device(device)
{
    m_ioBuffer = static_cast<unsigned char*>(av_malloc(ioBufferAllocation));
    if (!m_ioBuffer)
        return;
    m_ioContext = avio_alloc_context(m_ioBuffer, ioBufferSize, 0, device, &AudioInput::readPacket,
                                     nullptr, &AudioInput::seekPacket);
    if (!m_ioContext)
        av_freep(&m_ioBuffer);
}

AudioInput::~AudioInput()
{
    close();
    if (m_ioContext) {
        // avio may have replaced the buffer it was given; free the current one.
        av_freep(&m_ioContext->buffer);
        avio_context_free(&m_ioContext);
    } else {
        av_freep(&m_ioBuffer);
    }
}

bool AudioInput::isValid() const
{
    return m_ioContext != nullptr;
}

AVFormatContext* AudioInput::formatContext() const
{
    return m_formatContext;
}

AVCodecContext* AudioInput::decoderContext() const
{
    return m_decoderContext;
}

AVStream* AudioInput::stream() const
{
    return m_formatContext && m_streamIndex >= 0 ? m_formatContext->streams[m_streamIndex]
                                                 : nullptr;
}

int AudioInput::streamIndex() const
{
    return m_streamIndex;
}

void AudioInput::close()
{
    avcodec_free_context(&m_decoderContext);
    avformat_close_input(&m_formatContext);
    m_streamIndex = -1;
}

int AudioInput::open()
{
    if (!m_ioContext)
        return AVERROR(ENOMEM);
    close();
    // An input opened again reads its device from the beginning.
    if (m_device && m_device->isOpen() && !m_device->isSequential() && m_device->pos() != 0)
        avio_seek(m_ioContext, 0, SEEK_SET);
    m_ioContext->eof_reached = 0;
    // A device that cannot seek must not be taken for one that can: demuxers
    // that seek around a seekable input would fail on it.
    m_ioContext->seekable = m_device && !m_device->isSequential() ? AVIO_SEEKABLE_NORMAL : 0;

    m_formatContext = avformat_alloc_context();
    if (!m_formatContext)
        return AVERROR(ENOMEM);
    m_formatContext->pb = m_ioContext;
    m_formatContext->flags |= AVFMT_FLAG_CUSTOM_IO;
    m_formatContext->io_open = &refuseToOpen;
    m_formatContext->format_whitelist = av_strdup(allowedFormats);
    m_formatContext->protocol_whitelist = av_strdup("");
    if (!m_formatContext->format_whitelist || !m_formatContext->protocol_whitelist) {
        avformat_free_context(m_formatContext);
        m_formatContext = nullptr;
        return AVERROR(ENOMEM);
    }

    auto fail = [this](int ret) {
        close();
        return ret;
    };
    // On failure avformat_open_input frees the context and nulls the pointer.
    int ret = avformat_open_input(&m_formatContext, "dummyFileName", nullptr, nullptr);
    if (ret < 0) {
        qDebug() << ret << "Could not open source";
        return fail(ret);
    }
    ret = avformat_find_stream_info(m_formatContext, nullptr);
    if (ret < 0) {
        qDebug() << ret << "Could not find stream information";
        return fail(ret);
    }
    AVCodec const* codec = nullptr;
    ret = av_find_best_stream(m_formatContext, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (ret < 0) {
        if (ret == AVERROR_DECODER_NOT_FOUND)
            qDebug() << ret << "Failed to find audio codec";
        else if (ret == AVERROR_STREAM_NOT_FOUND)
            qDebug() << ret << "Could not find audio stream in input";
        return fail(ret);
    }
    if (unsigned(ret) >= m_formatContext->nb_streams || !codec)
        return fail(AVERROR_STREAM_NOT_FOUND);
    m_streamIndex = ret;
    AVStream const* const stream = m_formatContext->streams[m_streamIndex];

    m_decoderContext = avcodec_alloc_context3(codec);
    if (!m_decoderContext) {
        qDebug() << "Failed to allocate the audio codec context";
        return fail(AVERROR(ENOMEM));
    }
    ret = avcodec_parameters_to_context(m_decoderContext, stream->codecpar);
    if (ret < 0) {
        qDebug() << ret << "Failed to copy audio codec parameters to decoder context";
        return fail(ret);
    }
    m_decoderContext->pkt_timebase = stream->time_base;
    ret = avcodec_open2(m_decoderContext, codec, nullptr);
    if (ret < 0) {
        qDebug() << ret << "Failed to open audio codec";
        return fail(ret);
    }
    if (m_decoderContext->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        int const channels = m_decoderContext->ch_layout.nb_channels;
        av_channel_layout_uninit(&m_decoderContext->ch_layout);
        av_channel_layout_default(&m_decoderContext->ch_layout, channels);
    }
    return 0;
}

// FFmpeg asks for bytes through these two; everything they are given comes
// from the demuxer, which in turn reads it from the (untrusted) file, so each
// size and position is checked against the device before it is used.
int AudioInput::readPacket(void* opaque, std::uint8_t* buffer, int bufferSize)
{
    auto* const device = static_cast<QIODevice*>(opaque);
    if (!device || !buffer || bufferSize <= 0)
        return AVERROR(EINVAL);
    if (!device->isReadable())
        return AVERROR(EIO);
    qint64 const got = device->read(reinterpret_cast<char*>(buffer), bufferSize);
    if (got < 0)
        return AVERROR(EIO);
    if (got == 0) // at the end of the device
        return AVERROR_EOF;
    return int(qMin<qint64>(got, bufferSize));
}

std::int64_t AudioInput::seekPacket(void* opaque, std::int64_t offset, int whence)
{
    auto* const device = static_cast<QIODevice*>(opaque);
    if (!device || !device->isOpen() || device->isSequential())
        return -1;
    qint64 const size = device->size();
    if (whence & AVSEEK_SIZE)
        return size;

    qint64 base = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
        base = 0;
        break;
    case SEEK_CUR:
        base = device->pos();
        break;
    case SEEK_END:
        base = size;
        break;
    default:
        return -1;
    }
    if ((offset > 0 && base > std::numeric_limits<qint64>::max() - offset)
        || (offset < 0 && base < std::numeric_limits<qint64>::min() - offset))
        return -1;
    qint64 const target = base + offset;
    if (target < 0 || target > size)
        return -1;
    if (!device->seek(target))
        return -1;
    return device->pos();
}
