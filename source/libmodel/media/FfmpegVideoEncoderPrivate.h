#pragma once

#include "media/AudioInput.h"
#include "media/BlockingQueue.h"
#include "media/Decoder.h"
#include "media/Encoder.h"
#include "media/FfmpegVideoEncoder.h"
#include "media/Filter.h"
#include "media/Muxer.h"
#include "media/PacketReader.h"
#include "media/PipelineControl.h"
#include "media/VideoGenerator.h"

#include <QByteArray>
#include <QThread>

#include <array>
#include <memory>

struct AVCodec;
struct AVCodecContext;
struct AVDictionary;
struct AVFilterContext;
struct AVFilterGraph;
struct AVFormatContext;
struct AVStream;

// The encoder's private block: it owns every FFmpeg context; the workers
// only borrow them, and nothing is freed before every thread has been joined.
class FfmpegVideoEncoder::FfmpegVideoEncoderPrivate
{
public:
    struct OutputStream
    {
        AVStream* stream = nullptr;
        AVCodecContext* codecContext = nullptr;
        AVFilterContext* bufferSinkContext = nullptr;
        AVFilterContext* bufferSourceContext = nullptr;
        AVFilterGraph* filterGraph = nullptr;
    };

    enum class Phase { New, Running, Finished };

    explicit FfmpegVideoEncoderPrivate(FfmpegVideoEncoder* owner);
    ~FfmpegVideoEncoderPrivate();

    // Set-up, all on the GUI thread before any worker runs; each returns 0
    // or FFmpeg's negative error code and logs what failed.
    int openOutput();
    int addStream(OutputStream& output, AVCodec const* codec);
    int openVideo();
    int openAudioInput();
    int initVideoFilterGraph();
    int initAudioFilterGraph();
    int openFile();

    void wireAndLaunch();
    void joinThreads();
    // Closes the file after the run (or a failed set-up), removes it unless
    // the movie is whole, releases every context and records the outcome.
    void finish(FfmpegVideoEncoder::Error setupError);
    void release();

    FfmpegVideoEncoder* q;
    Model::ExportVideoSettings settings;
    QSize frameSize;
    // The encoded picture: the frame padded to what the pixel format's
    // chroma subsampling needs.
    QSize codedSize;
    int frameRateNum = 25;
    int frameRateDen = 1;
    std::function<QImage()> nextImage;
    QIODevice* audioInputDevice = nullptr;
    double audioOffsetFrames = 0.0;
    int audioFrameCount = 0;
    std::unique_ptr<AudioInput> audioInput;
    QByteArray outputFileName;
    OutputStream videoOutput;
    OutputStream audioOutput;
    AVFormatContext* outputFormatContext = nullptr;
    AVCodec const* audioCodec = nullptr;
    AVCodec const* videoCodec = nullptr;
    AVDictionary* options = nullptr;
    AVDictionary* audioOptions = nullptr;
    bool fileOpened = false;
    // The system's reason when the file could not be opened or written.
    QString fileError;
    bool headerWritten = false;

    PipelineControl control;
    bool cancelled = false;
    Phase phase = Phase::New;
    int runningWorkers = 0;
    FfmpegVideoEncoder::Error lastError = FfmpegVideoEncoder::NoError;

    std::array<QThread, 8> threads;
    VideoGenerator generator;
    Filter videoFilter;
    Encoder videoEncoder;
    PacketReader packetReader;
    Decoder decoder;
    Filter audioFilter;
    Encoder audioEncoder;
    Muxer muxer;

    FrameQueue videoFrames{10};
    FrameQueue filteredVideoFrames{10};
    PacketQueue videoPackets{10};
    PacketQueue audioInputPackets{10};
    FrameQueue decodedAudioFrames{10};
    FrameQueue filteredAudioFrames{10};
    PacketQueue audioPackets{10};
};
