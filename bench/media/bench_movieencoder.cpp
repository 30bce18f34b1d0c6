// Encoding 240 generated 1920 x 1080 frames to MP4 (H.264) and to ProRes HQ
// with the movie encoder, beside the ffmpeg command-line tool encoding the
// very same raw frames with the same encoder settings and filter chain, in the
// same run. Prints both times and their ratio (ours / the tool's; below 1.0
// is faster).
//
// The frames are drawn once into a pool that is cycled, so that drawing costs
// neither side anything; the tool reads them from a pipe as raw BGRA.
//   bench/bench_movieencoder
#include "media/FfmpegVideoEncoder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLinearGradient>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

QSize const frameSize(1920, 1080);
constexpr int frameCount = 240;
constexpr int poolSize = 24;
constexpr double frameRate = 24.0;

std::vector<QImage> makePool()
{
    std::vector<QImage> pool;
    for (int i = 0; i < poolSize; ++i) {
        QImage image(frameSize, QImage::Format_ARGB32);
        QPainter painter(&image);
        QLinearGradient gradient(0, 0, frameSize.width(), frameSize.height());
        gradient.setColorAt(0, QColor::fromHsv((i * 15) % 360, 120, 230));
        gradient.setColorAt(1, QColor::fromHsv((i * 15 + 180) % 360, 160, 90));
        painter.fillRect(image.rect(), gradient);
        painter.setRenderHint(QPainter::Antialiasing);
        for (int c = 0; c < 12; ++c) {
            painter.setBrush(QColor::fromHsv((c * 30) % 360, 200, 200));
            painter.setPen(QPen(Qt::black, 4));
            double const x = 100 + c * 150 + 20.0 * i;
            double const y = 540 + 300 * std::sin((i + c) * 0.26);
            painter.drawEllipse(QPointF(x, y), 60, 60);
        }
        painter.end();
        pool.push_back(image);
    }
    return pool;
}

double encodeOurs(std::vector<QImage> const& pool, Model::ExportVideoSettings const& settings,
                  bool* ok)
{
    QElapsedTimer timer;
    timer.start();
    FfmpegVideoEncoder encoder(settings, frameSize, frameRate);
    int next = 0;
    encoder.setNextImageFunctor(
        [&pool, &next] { return next < frameCount ? pool[size_t(next++) % pool.size()] : QImage(); });
    QEventLoop loop;
    QObject::connect(&encoder, &FfmpegVideoEncoder::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(0, &encoder, &FfmpegVideoEncoder::start);
    loop.exec();
    *ok = encoder.succeeded();
    return timer.elapsed() / 1000.0;
}

double encodeTool(std::vector<QImage> const& pool, QStringList const& codecArguments,
                  QString const& output, bool* ok)
{
    QString const program = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    QStringList arguments{"-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo",
                          "-pix_fmt", "bgra", "-s",
                          QStringLiteral("%1x%2").arg(frameSize.width()).arg(frameSize.height()),
                          "-framerate", QString::number(frameRate), "-i", "-"};
    arguments << codecArguments << output;
    QString command = program;
    for (QString const& argument : arguments)
        command += QStringLiteral(" '") + argument + QStringLiteral("'");

    QElapsedTimer timer;
    timer.start();
    FILE* pipe = popen(command.toLocal8Bit().constData(), "w");
    if (!pipe) {
        *ok = false;
        return 0.0;
    }
    bool written = true;
    for (int i = 0; i < frameCount && written; ++i) {
        QImage const& image = pool[size_t(i) % pool.size()];
        written = std::fwrite(image.constBits(), 1, size_t(image.sizeInBytes()), pipe)
            == size_t(image.sizeInBytes());
    }
    *ok = pclose(pipe) == 0 && written;
    return timer.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    std::vector<QImage> const pool = makePool();
    QString const colour =
        QStringLiteral("scale=out_color_matrix=bt709:out_range=tv,format=%1,"
                       "setparams=color_primaries=bt709:color_trc=bt709:colorspace=bt709");
    QStringList const movflags{"-movflags", "cmaf+faststart"};

    struct Case
    {
        char const* name;
        Model::ExportVideoSettings::VideoFormat format;
        QString file;
        QStringList tool;
    };
    std::vector<Case> const cases{
        {"MP4 (libx264 crf 18 high)", Model::ExportVideoSettings::MP4, "movie.mp4",
         QStringList{"-vf", colour.arg("yuv420p"), "-c:v", "libx264", "-profile:v", "high",
                     "-coder", "cabac", "-crf", "18"}
             + movflags},
        {"ProRes HQ (prores_ks)", Model::ExportVideoSettings::ProRes, "movie.mov",
         QStringList{"-vf", colour.arg("yuv422p10le"), "-c:v", "prores_ks", "-profile:v", "hq"}
             + movflags},
    };

    std::printf("%d frames of %dx%d at %g fps\n", frameCount, frameSize.width(),
                frameSize.height(), frameRate);
    std::printf("%-28s %10s %10s %8s\n", "format", "ours (s)", "ffmpeg (s)", "ratio");
    for (Case const& c : cases) {
        Model::ExportVideoSettings settings;
        settings.videoFormat = c.format;
        settings.includeAlpha = false;
        settings.exportDir = dir.path();
        settings.name = c.file;
        bool oursOk = false;
        bool toolOk = false;
        double const ours = encodeOurs(pool, settings, &oursOk);
        double const tool =
            encodeTool(pool, c.tool, QDir(dir.path()).filePath(QStringLiteral("tool-") + c.file),
                       &toolOk);
        std::printf("%-28s %10.2f %10.2f %8.2f%s\n", c.name, ours, tool, ours / tool,
                    oursOk && toolOk ? "" : "  (an encoding failed)");
        std::fflush(stdout);
    }
    return 0;
}
