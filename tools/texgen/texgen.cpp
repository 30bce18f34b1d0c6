// Writes the stroke renderer's texture images into the folder given as the
// only argument:
//  - six 256 x 1 softness curves, red the softness across the stroke (texel 0
//    on the centre line, 255 at the edge) and green the opacity of the pen
//    grain, both interpolated smoothly through a few sample texels;
//  - "KWtexture.png", 2048 x 2048 RGB, red the paper grain that thins pencil
//    strokes and green the pen grain, from tileable value noise with a fixed
//    seed, so that every run writes the same bytes.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr std::array<int, 7> SampleTexels = {0, 64, 128, 192, 224, 240, 255};
using Samples = std::array<int, 7>;

// Monotone cubic (Fritsch-Carlson) through the samples: smooth, exact at the
// samples and never overshooting between them, so a flat stretch stays flat.
std::array<int, 256> interpolate(const Samples& values)
{
    const int n = int(SampleTexels.size());
    std::vector<double> slope(n - 1);
    for (int i = 0; i < n - 1; ++i)
        slope[i] = double(values[i + 1] - values[i]) / (SampleTexels[i + 1] - SampleTexels[i]);
    std::vector<double> tangent(n);
    tangent[0] = slope[0];
    tangent[n - 1] = slope[n - 2];
    for (int i = 1; i < n - 1; ++i)
        tangent[i] = slope[i - 1] * slope[i] <= 0.0 ? 0.0 : (slope[i - 1] + slope[i]) / 2.0;
    for (int i = 0; i < n - 1; ++i) {
        if (slope[i] == 0.0) {
            tangent[i] = tangent[i + 1] = 0.0;
            continue;
        }
        const double a = tangent[i] / slope[i];
        const double b = tangent[i + 1] / slope[i];
        const double s = a * a + b * b;
        if (s > 9.0) {
            const double t = 3.0 / std::sqrt(s);
            tangent[i] = t * a * slope[i];
            tangent[i + 1] = t * b * slope[i];
        }
    }

    std::array<int, 256> result{};
    for (int x = 0; x < 256; ++x) {
        int i = 0;
        while (i < n - 2 && x > SampleTexels[i + 1])
            ++i;
        const double h = SampleTexels[i + 1] - SampleTexels[i];
        const double t = (x - SampleTexels[i]) / h;
        const double t2 = t * t;
        const double t3 = t2 * t;
        const double v = (2 * t3 - 3 * t2 + 1) * values[i] + (t3 - 2 * t2 + t) * h * tangent[i]
            + (-2 * t3 + 3 * t2) * values[i + 1] + (t3 - t2) * h * tangent[i + 1];
        result[x] = std::clamp(int(std::lround(v)), 0, 255);
    }
    return result;
}

bool writeImage(const QImage& image, const QString& path)
{
    QImageWriter writer(path, "png");
    writer.setQuality(0); // for PNG: the strongest deflate level
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path),
                     qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

bool writeCurve(const QString& path, const Samples& red, const Samples& green, bool withAlpha)
{
    const std::array<int, 256> r = interpolate(red);
    const std::array<int, 256> g = interpolate(green);
    QImage image(256, 1, withAlpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    uchar* line = image.scanLine(0);
    const int bytes = withAlpha ? 4 : 3;
    for (int x = 0; x < 256; ++x) {
        line[x * bytes + 0] = uchar(r[x]);
        line[x * bytes + 1] = uchar(g[x]);
        line[x * bytes + 2] = 0;
        if (withAlpha)
            line[x * bytes + 3] = 255;
    }
    return writeImage(image, path);
}

// Value noise on a lattice that repeats every `period` lattice cells, so the
// texture tiles without a seam.
class TileableNoise
{
public:
    explicit TileableNoise(std::uint64_t seed) : m_seed(seed) {}

    // Smooth noise in [0, 1] with `cells` lattice cells across `size` pixels.
    double value(double x, double y, int cells, int size, int octave) const
    {
        const double fx = x * cells / size;
        const double fy = y * cells / size;
        const int x0 = int(std::floor(fx));
        const int y0 = int(std::floor(fy));
        const double tx = smooth(fx - x0);
        const double ty = smooth(fy - y0);
        auto at = [&](int ix, int iy) {
            return lattice(((ix % cells) + cells) % cells, ((iy % cells) + cells) % cells, octave);
        };
        const double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * tx;
        const double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * tx;
        return top + (bottom - top) * ty;
    }

private:
    static double smooth(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

    double lattice(int x, int y, int octave) const
    {
        std::uint64_t h = m_seed ^ (std::uint64_t(std::uint32_t(x)) << 32) ^ std::uint32_t(y);
        h ^= std::uint64_t(octave) * 0x9E3779B97F4A7C15ull;
        // splitmix64 finaliser
        h += 0x9E3779B97F4A7C15ull;
        h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
        h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
        h ^= h >> 31;
        return double(h >> 11) / double(1ull << 53);
    }

    std::uint64_t m_seed;
};

struct Octave
{
    int cells;
    double weight;
};

double fractal(const TileableNoise& noise, double x, double y, int size,
               const std::vector<Octave>& octaves)
{
    double sum = 0.0;
    double total = 0.0;
    for (std::size_t i = 0; i < octaves.size(); ++i) {
        sum += octaves[i].weight * noise.value(x, y, octaves[i].cells, size, int(i));
        total += octaves[i].weight;
    }
    return sum / total;
}

// Spreads a sum of noise octaves, which bunches around 0.5, back over 0..1.
double stretch(double v, double gain)
{
    return std::clamp(0.5 + (v - 0.5) * gain, 0.0, 1.0);
}

bool writePaper(const QString& path)
{
    constexpr int Size = 2048;
    const TileableNoise paperNoise(0x5EED0001ull);
    const TileableNoise penNoise(0x5EED0002ull);
    // Paper: a faint cloudy formation with the tooth of the surface on top.
    const std::vector<Octave> paperOctaves = {{64, 0.3}, {256, 0.6}, {512, 1.0}, {1024, 0.7}};
    // Pen grain: fine and even.
    const std::vector<Octave> penOctaves = {{128, 0.5}, {256, 0.8}, {512, 1.0}};

    QImage image(Size, Size, QImage::Format_RGB888);
    for (int y = 0; y < Size; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < Size; ++x) {
            const double paper = stretch(fractal(paperNoise, x, y, Size, paperOctaves), 2.2);
            const double pen = stretch(fractal(penNoise, x, y, Size, penOctaves), 2.4);
            // Most of the paper takes the lead fully; only the pits of the
            // tooth thin it. Both channels are kept to 16 levels, which the
            // eye cannot tell apart in a grain and which keeps the file small.
            const double red = 1.0 - 0.6 * std::pow(1.0 - paper, 1.6);
            const auto level = [](double v) { return uchar(std::lround(v * 15.0) * 255 / 15); };
            line[3 * x + 0] = level(red);
            line[3 * x + 1] = level(pen);
            line[3 * x + 2] = 0;
        }
    }
    return writeImage(image, path);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: texgen OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists()) {
        std::fprintf(stderr, "no such folder: %s\n", argv[1]);
        return 2;
    }

    const Samples none = {0, 0, 0, 0, 0, 0, 0};
    const Samples markerRed = {254, 255, 255, 246, 242, 235, 208};
    bool ok = true;
    ok &= writeCurve(out.filePath("SoftnessCurve-pencil.png"), {254, 255, 255, 255, 209, 91, 2},
                     {0, 6, 102, 223, 255, 255, 255}, false);
    ok &= writeCurve(out.filePath("SoftnessCurve-marker.png"), markerRed, none, true);
    ok &= writeCurve(out.filePath("SoftnessCurve-brush.png"), {254, 255, 255, 253, 246, 245, 232},
                     none, true);
    ok &= writeCurve(out.filePath("SoftnessCurve-eraserKneaded.png"),
                     {255, 245, 239, 219, 194, 170, 104}, none, true);
    ok &= writeCurve(out.filePath("SoftnessCurve-eraserRubber.png"), markerRed, none, true);
    ok &= writeCurve(out.filePath("SoftnessCurve-eraserVinyl.png"),
                     {254, 255, 255, 255, 246, 244, 231}, none, true);
    ok &= writePaper(out.filePath("KWtexture.png"));
    return ok ? 0 : 1;
}
