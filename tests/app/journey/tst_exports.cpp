// A scene a user draws, exported through the File menu's export routes with
// their option and file dialogs answered as a user answers them, and every
// output read back by a program of its own format rather than by ours: the
// image sequences, the movies and the exposure-sheet package must show the
// drawn frames, in order, at the scene's size and timing.
#include "JourneyFixture.h"

#include "TestSupport.h"

#include "dialogs/ExportExposureSheetDialog.h"
#include "dialogs/ExportFramesDialog.h"
#include "dialogs/ExportVideoDialog.h"
#include "dialogs/SceneSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

using Journey::Window;
using Model::Prompter;

namespace {

// Small, so that every format encodes in a moment; a rate other than the
// program's default, so that a route which ignores the scene's rate shows.
QSize const frameSize(160, 120);
int const frameRate = 25;
// Three drawings, the last held two frames more.
QList<int> const drawingOfFrame = {1, 2, 3, 3, 3};
QList<int> const allFrames = {1, 2, 3, 4, 5};
// The frame range the user sets on the drawn scene.
QList<int> const rangeFrames = {2, 3, 4};

struct ToolRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ToolRun runTool(QString const& program, QStringList const& arguments)
{
    ToolRun run;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

bool toolMissing(QString const& program)
{
    return QStandardPaths::findExecutable(program).isEmpty();
}

#define REQUIRE_TOOL(program, package)                                                            \
    do {                                                                                          \
        if (toolMissing(QStringLiteral(program)))                                                 \
            QSKIP(program " is not installed (Debian package " package ")");                     \
    } while (false)

// Ink of the drawing near the point: laid on white paper, a pixel clearly
// darker than the paper. (A pencil line is translucent.)
bool inkNear(QImage const& image, QPointF pos, int radius = 3)
{
    auto const onPaper = [](QRgb pixel) {
        int const alpha = qAlpha(pixel);
        return (qGray(pixel) * alpha + 255 * (255 - alpha)) / 255;
    };
    QPoint const c = pos.toPoint();
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            QPoint const p = c + QPoint(dx, dy);
            if (!image.rect().contains(p))
                continue;
            if (onPaper(image.pixel(p)) < 235)
                return true;
        }
    return false;
}

// The one stream of a media file as the outside prober describes it; with
// `countFrames`, after decoding every frame.
QJsonObject probe(QString const& path, bool countFrames)
{
    QStringList arguments = {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_streams"),
                             QStringLiteral("-of"), QStringLiteral("json"), path};
    if (countFrames)
        arguments.prepend(QStringLiteral("-count_frames"));
    ToolRun const run = runTool(QStringLiteral("ffprobe"), arguments);
    if (run.exitCode != 0)
        qWarning().noquote() << "ffprobe" << path << run.err;
    QJsonArray const streams =
        QJsonDocument::fromJson(run.out).object().value(QStringLiteral("streams")).toArray();
    return streams.size() == 1 ? streams.first().toObject() : QJsonObject();
}

QSize sizeOf(QJsonObject const& stream)
{
    return QSize(stream.value(QStringLiteral("width")).toInt(), stream.value(QStringLiteral("height")).toInt());
}

// Both windows of an OpenEXR file, as the format's own header tool reads
// them, span the whole frame.
void checkExrWindows(QString const& path)
{
    ToolRun const header = runTool(QStringLiteral("exrheader"), {path});
    QVERIFY2(header.exitCode == 0, header.err.constData());
    QString const text = QString::fromUtf8(header.out);
    static QRegularExpression const window(
        QStringLiteral("(dataWindow|displayWindow) \\(type box2i\\): \\((-?\\d+) (-?\\d+)\\) - "
                       "\\((-?\\d+) (-?\\d+)\\)"));
    QStringList windows;
    for (QRegularExpressionMatch const& m : window.globalMatch(text)) {
        windows << m.captured(1);
        QCOMPARE(QRect(QPoint(m.captured(2).toInt(), m.captured(3).toInt()),
                       QPoint(m.captured(4).toInt(), m.captured(5).toInt())),
                 QRect(QPoint(0, 0), frameSize));
    }
    windows.sort();
    QVERIFY2(windows == QStringList({QStringLiteral("dataWindow"), QStringLiteral("displayWindow")}),
             qPrintable(text));
}

// An output may be read by whom a file or folder the user makes beside it
// may be: no more private, say, than the user's file-creation mask asks.
void checkOrdinaryPermissions(QString const& path)
{
    QFileInfo const output(path);
    QString const fresh = output.dir().filePath(QStringLiteral("fresh-for-comparison"));
    if (output.isDir()) {
        QVERIFY(QDir().mkdir(fresh));
    } else {
        QFile file(fresh);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QFile::Permissions const ordinary = QFile::permissions(fresh);
    QVERIFY(output.isDir() ? QDir().rmdir(fresh) : QFile::remove(fresh));
    QVERIFY2(output.permissions() == ordinary,
             qPrintable(QStringLiteral("%1: %2 instead of %3")
                            .arg(output.fileName())
                            .arg(int(output.permissions()), 0, 16)
                            .arg(int(ordinary), 0, 16)));
}

QString describeFiles(QDir const& dir)
{
    return dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)
        .join(QStringLiteral(", "));
}

QString frameNumber(int frame)
{
    return QStringLiteral("%1").arg(frame, 4, 10, QLatin1Char('0'));
}

void setChecked(QDialog* dialog, char const* name, bool on)
{
    auto* button = dialog->findChild<QAbstractButton*>(QString::fromLatin1(name));
    QVERIFY2(button, name);
    QVERIFY2(button->isEnabled(), name);
    if (button->isChecked() != on)
        button->click();
    QCOMPARE(button->isChecked(), on);
}

// The OK button, as the user presses it; what the dialog then returns.
int pressOk(QDialog* dialog)
{
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    if (!buttons || !buttons->button(QDialogButtonBox::Ok)
        || !buttons->button(QDialogButtonBox::Ok)->isEnabled())
        return QDialog::Rejected;
    buttons->button(QDialogButtonBox::Ok)->click();
    return dialog->result();
}

} // namespace

class TestExports : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void imageSequences_data();
    void imageSequences();
    void movies_data();
    void movies();
    void gif_data();
    void gif();
    void exposureSheetPackages_data();
    void exposureSheetPackages();

private:
    // Runs a File menu export of all layers, and of all frames or the range
    // only: `options` fills the rest of the option dialog before OK is
    // pressed; the file dialog, if the route shows one, gets `file`. Fails
    // on any other question, such as an export failure.
    void exportThrough(KW::Action action, bool rangeOnly, std::function<void(QDialog*)> const& options,
                       QString const& file, QStringList const& expectedDialogs);

    // The Play menu's rate entry.
    void useFrameRate(double rate);
    // Where a drawing's line crosses its middle, in frame pixels.
    QPointF strokeMiddle(int drawing) const
    {
        return m_window->paper->viewTransform().map(m_window->strokeMiddle(drawing));
    }
    // Every picture of a movie, decoded by the outside tool, in order: one
    // per exported frame, each showing the frame's drawing.
    void checkDecodedPictures(QString const& movie, QString const& folder, QList<int> const& frames,
                              QSize size, bool transparent);
    // The image shows drawing `drawing` and none of the others.
    void checkShowsDrawing(QImage const& image, int drawing, QString const& what, double scale = 1.0);

    std::unique_ptr<Journey::Prompts> m_prompts;
    std::unique_ptr<Window> m_window;
    QString m_layerName;
};

void TestExports::initTestCase()
{
    m_prompts = std::make_unique<Journey::Prompts>();
    // A sheet wide enough to leave the canvas no wider than the small 4:3
    // frame, fitted, spans at the places where the journey draws.
    Journey::startLibraries();
    Model::Settings::instance()->setMainWindowSettings({}, true, false, true, 420);
    m_window = std::make_unique<Window>();
    QVERIFY(!QTest::currentTestFailed());
    Window& w = *m_window;

    // File > New Scene, with its size and rate typed into the dialog.
    m_prompts->answer = [](Prompter::Request const& request) {
        auto* dialog = qobject_cast<UI::SceneSettingsDialog*>(request.dialog);
        if (!dialog)
            return Prompter::Reply{};
        auto edit = [dialog](char const* name, QString const& text) {
            auto* line = dialog->findChild<QLineEdit*>(QString::fromLatin1(name));
            if (line) {
                line->selectAll();
                line->setText(text);
            }
        };
        edit("frameWidth", QString::number(frameSize.width()));
        edit("frameHeight", QString::number(frameSize.height()));
        edit("frameRate", QString::number(frameRate));
        edit("initialNumberOfFrames", QStringLiteral("1"));
        Prompter::Reply reply;
        reply.result = pressOk(dialog);
        return reply;
    };
    w.trigger(KW::Action::NewScene);
    QTRY_COMPARE(w.scene()->frameSize(), frameSize);
    QCOMPARE(w.scene()->frameRate(), double(frameRate));
    QCOMPARE(m_prompts->asked.size(), 1);
    m_prompts->answer = {};
    m_prompts->asked.clear();
    QVERIFY(TestSupport::deliverPostedEvents());

    // View > Fit Paper to View: the small frame fills the canvas, and the
    // drawings lie in it.
    w.trigger(KW::Action::FitPaperToView);
    QVERIFY(TestSupport::deliverPostedEvents());
    QRectF const frameOnCanvas(w.at(0, 0), w.at(1, 1));
    for (int drawing = 1; drawing <= 3; ++drawing) {
        QVERIFY(frameOnCanvas.contains(w.strokeStart(drawing)));
        QVERIFY(frameOnCanvas.contains(w.strokeEnd(drawing)));
    }

    w.drawThreeFrames();
    w.dragOnSheet(w.cell(3, 0), w.cell(5, 0));
    QCOMPARE(Journey::cells(w.scene()), QStringLiteral("DDD.."));
    QCOMPARE(w.scene()->maximumFrameNumber(), int(drawingOfFrame.size()));

    // The range, with the Play menu's range entries: frames 2 to 4.
    w.trigger(KW::Action::RangeEndToLastFrame);
    w.trigger(KW::Action::RangeStartStepForward);
    w.trigger(KW::Action::RangeEndStepBack);
    QCOMPARE(w.scene()->minimumFrameRangeNumber(), rangeFrames.first());
    QCOMPARE(w.scene()->maximumFrameRangeNumber(), rangeFrames.last());
    m_layerName = w.scene()->layer(0)->name();
    QVERIFY(!m_layerName.isEmpty());
    QVERIFY(m_prompts->asked.isEmpty());
}

void TestExports::cleanupTestCase()
{
    if (m_prompts)
        m_prompts->answer = [](Prompter::Request const& request) {
            Prompter::Reply reply;
            reply.button = request.buttons.testFlag(QMessageBox::Discard) ? QMessageBox::Discard
                                                                          : QMessageBox::Ok;
            return reply;
        };
    m_window.reset();
    m_prompts.reset();
}

void TestExports::cleanup()
{
    useFrameRate(frameRate);
}

void TestExports::useFrameRate(double rate)
{
    static QMap<double, KW::Action> const entries = {
        {12.0, KW::Action::FrameRate12},
        {12.5, KW::Action::FrameRate12_5},
        {24.0, KW::Action::FrameRate24},
        {25.0, KW::Action::FrameRate25}};
    QVERIFY(entries.contains(rate));
    if (m_window->scene()->frameRate() != rate)
        m_window->trigger(entries.value(rate));
    QCOMPARE(m_window->scene()->frameRate(), rate);
}

void TestExports::exportThrough(KW::Action action, bool rangeOnly,
                                std::function<void(QDialog*)> const& options, QString const& file,
                                QStringList const& expectedDialogs)
{
    m_prompts->asked.clear();
    QStringList dialogs;
    m_prompts->answer = [&](Prompter::Request const& request) {
        Prompter::Reply reply;
        if (request.kind == Prompter::Kind::Dialog && request.dialog) {
            dialogs << QString::fromLatin1(request.dialog->metaObject()->className());
            // Whatever the last export chose.
            setChecked(request.dialog, "radioButton_AllLayers", true);
            setChecked(request.dialog, rangeOnly ? "radioButton_RangeOnly" : "radioButton_AllFrames", true);
            options(request.dialog);
            reply.result = pressOk(request.dialog);
        } else if (request.kind == Prompter::Kind::SaveFileName) {
            dialogs << QStringLiteral("file dialog");
            reply.files << file;
        }
        return reply;
    };
    m_window->trigger(action);
    m_prompts->answer = {};
    QVERIFY2(!QTest::currentTestFailed(), "the option dialog could not be filled in");
    QStringList messages;
    for (Journey::Prompts::Asked const& asked : std::as_const(m_prompts->asked))
        if (asked.kind != Prompter::Kind::Dialog && asked.kind != Prompter::Kind::SaveFileName)
            messages << asked.title + QStringLiteral(": ") + asked.text;
    QCOMPARE(messages, QStringList());
    QCOMPARE(dialogs, expectedDialogs);
}

void TestExports::checkShowsDrawing(QImage const& image, int drawing, QString const& what,
                                    double scale)
{
    QVERIFY2(!image.isNull(), qPrintable(what));
    for (int other = 1; other <= 3; ++other) {
        bool const ink = inkNear(image, strokeMiddle(other) * scale);
        QVERIFY2(ink == (other == drawing),
                 qPrintable(QStringLiteral("%1: the line of drawing %2 %3")
                                .arg(what)
                                .arg(other)
                                .arg(ink ? QStringLiteral("shows") : QStringLiteral("is missing"))));
    }
}

void TestExports::imageSequences_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("clones");
    QTest::addColumn<bool>("rangeOnly");
    // The frames written, by their numbers in the file names.
    QTest::addColumn<QList<int>>("frames");

    QTest::newRow("PNG, unbroken sequence") << "PNG" << "SimpleUnbrokenSequence" << false << allFrames;
    QTest::newRow("PNG, clones excluded") << "PNG" << "ExcludeClones" << false << QList<int>{1, 2, 3};
    QTest::newRow("PNG, range only") << "PNG" << "SimpleUnbrokenSequence" << true << rangeFrames;
    QTest::newRow("OpenEXR, unbroken sequence") << "OpenEXR" << "SimpleUnbrokenSequence" << false << allFrames;
}

void TestExports::imageSequences()
{
    QFETCH(QString, format);
    QFETCH(QString, clones);
    QFETCH(bool, rangeOnly);
    QFETCH(QList<int>, frames);
    bool const exr = format == QLatin1String("OpenEXR");
    if (exr)
        REQUIRE_TOOL("exrheader", "openexr");
    else
        REQUIRE_TOOL("ffprobe", "ffmpeg");

    QTemporaryDir out;
    QVERIFY(out.isValid());
    exportThrough(
        KW::Action::ExportFrames, rangeOnly,
        [&](QDialog* dialog) {
            setChecked(dialog, qPrintable(QStringLiteral("radioButton_") + clones), true);
            setChecked(dialog, "checkBox_CombineLayers", false);
            setChecked(dialog, qPrintable(QStringLiteral("radioButton_") + format), true);
        },
        out.filePath(QStringLiteral("walk")),
        {QStringLiteral("UI::ExportFramesDialog"), QStringLiteral("file dialog")});
    if (QTest::currentTestFailed())
        return;

    QString const extension = exr ? QStringLiteral("exr") : QStringLiteral("png");
    QStringList expected;
    for (int frame : frames)
        expected << QStringLiteral("walk.%1.%2.%3").arg(m_layerName, frameNumber(frame), extension);
    QDir const dir(out.path());
    QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);

    for (int i = 0; i < frames.size(); ++i) {
        QString const path = dir.filePath(expected.at(i));
        if (exr) {
            checkExrWindows(path);
            continue;
        }
        checkOrdinaryPermissions(path);
        QJsonObject const stream = probe(path, false);
        QCOMPARE(stream.value(QStringLiteral("codec_name")).toString(), QStringLiteral("png"));
        QCOMPARE(sizeOf(stream), frameSize);
        QImage const image(path);
        QCOMPARE(image.size(), frameSize);
        checkShowsDrawing(image, drawingOfFrame.at(frames.at(i) - 1), expected.at(i));
    }
}

void TestExports::movies_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("scale");
    QTest::addColumn<bool>("alpha");
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("rateText");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("rangeOnly");
    QTest::addColumn<bool>("bareName"); // the name typed without an extension

    QSize const twice = frameSize * 2;
    QTest::newRow("MP4 (H.264)")
        << "MP4" << "100%" << false << 25.0 << "25/1" << "mp4" << "h264" << frameSize << false << false;
    QTest::newRow("MP4 (H.264), 200 %, 12.5 fps")
        << "MP4" << "200%" << false << 12.5 << "25/2" << "mp4" << "h264" << twice << false << false;
    QTest::newRow("MP4 (H.264), range only")
        << "MP4" << "100%" << false << 25.0 << "25/1" << "mp4" << "h264" << frameSize << true << false;
    QTest::newRow("MOV (ProRes), 24 fps")
        << "Prores" << "100%" << false << 24.0 << "24/1" << "mov" << "prores" << frameSize << false << false;
    QTest::newRow("MOV (ProRes) with alpha")
        << "Prores" << "100%" << true << 25.0 << "25/1" << "mov" << "prores" << frameSize << false << false;
    QTest::newRow("MP4 (H.264), name without extension")
        << "MP4" << "100%" << false << 25.0 << "25/1" << "mp4" << "h264" << frameSize << false << true;
    QTest::newRow("MOV (ProRes), name without extension")
        << "Prores" << "100%" << false << 25.0 << "25/1" << "mov" << "prores" << frameSize << false
        << true;
}

void TestExports::movies()
{
    QFETCH(QString, format);
    QFETCH(QString, scale);
    QFETCH(bool, alpha);
    QFETCH(double, rate);
    QFETCH(QString, rateText);
    QFETCH(QString, suffix);
    QFETCH(QString, codec);
    QFETCH(QSize, size);
    QFETCH(bool, rangeOnly);
    QFETCH(bool, bareName);
    QList<int> const frames = rangeOnly ? rangeFrames : allFrames;
    REQUIRE_TOOL("ffprobe", "ffmpeg");
    REQUIRE_TOOL("ffmpeg", "ffmpeg");
    useFrameRate(rate);

    QTemporaryDir out;
    QVERIFY(out.isValid());
    QString const path = out.filePath(QStringLiteral("walk.") + suffix);
    exportThrough(
        KW::Action::ExportVideo, rangeOnly,
        [&](QDialog* dialog) {
            setChecked(dialog, qPrintable(QStringLiteral("radioButton_") + format), true);
            auto* alphaBox = dialog->findChild<QCheckBox*>(QStringLiteral("checkBox_IncludeAlpha"));
            QVERIFY(alphaBox);
            if (format == QLatin1String("Prores"))
                setChecked(dialog, "checkBox_IncludeAlpha", alpha);
            else
                QVERIFY(!alphaBox->isEnabled());
            auto* scales = dialog->findChild<QComboBox*>(QStringLiteral("comboBoxScale"));
            QVERIFY(scales);
            int const index = scales->findText(scale);
            QVERIFY2(index >= 0, qPrintable(scale));
            scales->setCurrentIndex(index);
            auto* resolution = dialog->findChild<QLabel*>(QStringLiteral("labelResolution"));
            QVERIFY(resolution);
            QCOMPARE(resolution->text(), QStringLiteral("%1 x %2").arg(size.width()).arg(size.height()));
        },
        bareName ? out.filePath(QStringLiteral("walk")) : path,
        {QStringLiteral("UI::ExportVideoDialog"), QStringLiteral("file dialog")});
    if (QTest::currentTestFailed())
        return;
    QDir const dir(out.path());
    QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden, QDir::Name), QStringList{QFileInfo(path).fileName()});
    checkOrdinaryPermissions(path);

    QJsonObject const video = probe(path, true);
    QCOMPARE(video.value(QStringLiteral("codec_type")).toString(), QStringLiteral("video"));
    QCOMPARE(video.value(QStringLiteral("codec_name")).toString(), codec);
    QCOMPARE(sizeOf(video), size);
    QCOMPARE(video.value(QStringLiteral("nb_read_frames")).toString().toInt(), int(frames.size()));
    QCOMPARE(video.value(QStringLiteral("r_frame_rate")).toString(), rateText);
    QCOMPARE(video.value(QStringLiteral("avg_frame_rate")).toString(), rateText);
    double const seconds = video.value(QStringLiteral("duration")).toString().toDouble();
    QVERIFY2(qAbs(seconds - frames.size() / rate) < 0.001,
             qPrintable(video.value(QStringLiteral("duration")).toString()));
    QCOMPARE(video.value(QStringLiteral("pix_fmt")).toString().startsWith(QLatin1String("yuva")), alpha);

    checkDecodedPictures(path, out.filePath(QStringLiteral("decoded")), frames, size, alpha);
}

void TestExports::checkDecodedPictures(QString const& movie, QString const& folder,
                                       QList<int> const& frames, QSize size, bool transparent)
{
    QVERIFY(QDir().mkpath(folder));
    ToolRun const decode = runTool(QStringLiteral("ffmpeg"),
                                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), movie,
                                    QStringLiteral("-fps_mode"), QStringLiteral("passthrough"),
                                    QDir(folder).filePath(QStringLiteral("%d.png"))});
    QVERIFY2(decode.exitCode == 0, decode.err.constData());
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), int(frames.size()));
    for (int i = 0; i < frames.size(); ++i) {
        QImage const picture(QDir(folder).filePath(QStringLiteral("%1.png").arg(i + 1)));
        QCOMPARE(picture.size(), size);
        QCOMPARE(qAlpha(picture.pixel(0, 0)), transparent ? 0 : 255);
        checkShowsDrawing(picture, drawingOfFrame.at(frames.at(i) - 1),
                          QStringLiteral("picture %1 (frame %2)").arg(i + 1).arg(frames.at(i)),
                          double(size.width()) / frameSize.width());
    }
}

void TestExports::gif_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<QStringList>("delays");
    QTest::addColumn<bool>("rangeOnly");
    QTest::addColumn<QString>("typed"); // the name given in the file dialog
    // GIF counts time in hundredths of a second; where a frame is no whole
    // number of them, the delays vary so that the total keeps to the rate.
    QStringList const all4(allFrames.size(), QStringLiteral("0.04"));
    QTest::newRow("25 fps") << 25.0 << all4 << false << "walk.gif";
    QTest::newRow("12.5 fps") << 12.5 << QStringList(allFrames.size(), QStringLiteral("0.08"))
                              << false << "walk.gif";
    QTest::newRow("12 fps, spread")
        << 12.0 << QStringList{"0.08", "0.08", "0.09", "0.08", "0.08"}
        << false << "walk.gif";
    QTest::newRow("24 fps") << 24.0 << all4 << false << "walk.gif";
    QTest::newRow("range only") << 25.0 << QStringList(rangeFrames.size(), QStringLiteral("0.04"))
                                << true << "walk.gif";
    QTest::newRow("name without extension") << 25.0 << all4 << false << "walk";
}

void TestExports::gif()
{
    QFETCH(double, rate);
    QFETCH(QStringList, delays);
    QFETCH(bool, rangeOnly);
    QFETCH(QString, typed);
    QList<int> const frames = rangeOnly ? rangeFrames : allFrames;
    REQUIRE_TOOL("gifsicle", "gifsicle");
    useFrameRate(rate);

    QTemporaryDir out;
    QVERIFY(out.isValid());
    QString const path = out.filePath(QStringLiteral("walk.gif"));
    exportThrough(
        KW::Action::ExportVideo, rangeOnly,
        [&](QDialog* dialog) {
            setChecked(dialog, "radioButton_GIF", true);
            auto* scales = dialog->findChild<QComboBox*>(QStringLiteral("comboBoxScale"));
            QVERIFY(scales);
            QCOMPARE(scales->findText(QStringLiteral("200%")), -1);
            scales->setCurrentIndex(scales->findText(QStringLiteral("100%")));
        },
        out.filePath(typed), {QStringLiteral("UI::ExportVideoDialog"), QStringLiteral("file dialog")});
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("walk.gif")});
    checkOrdinaryPermissions(path);

    ToolRun const info = runTool(QStringLiteral("gifsicle"), {QStringLiteral("--info"), path});
    QVERIFY2(info.exitCode == 0, info.err.constData());
    QString const text = QString::fromUtf8(info.out);
    QVERIFY2(text.contains(QStringLiteral("* %1 %2 images").arg(path).arg(frames.size())),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("logical screen %1x%2").arg(frameSize.width()).arg(frameSize.height())),
             qPrintable(text));
    static QRegularExpression const delayPattern(QStringLiteral("delay (\\d+\\.\\d+)s"));
    QStringList found;
    for (QRegularExpressionMatch const& m : delayPattern.globalMatch(text))
        found << m.captured(1);
    QCOMPARE(found, delays);

    REQUIRE_TOOL("ffmpeg", "ffmpeg");
    checkDecodedPictures(path, out.filePath(QStringLiteral("decoded")), frames, frameSize, false);
}

void TestExports::exposureSheetPackages_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("rangeOnly");
    // "<first frame, counted from 0> <duration> <drawing>" of every exposure.
    QTest::addColumn<QStringList>("exposures");

    QStringList const all = {"0 1 1", "1 1 2", "2 3 3"};
    QTest::newRow("PNG images") << "PNG" << false << all;
    QTest::newRow("PNG images, range only") << "PNG" << true << QStringList{"1 1 2", "2 2 3"};
    QTest::newRow("OpenEXR images") << "OpenEXR" << false << all;
}

void TestExports::exposureSheetPackages()
{
    QFETCH(QString, format);
    QFETCH(bool, rangeOnly);
    QFETCH(QStringList, exposures);
    QList<int> const span = rangeOnly ? rangeFrames : allFrames;
    bool const exr = format == QLatin1String("OpenEXR");
    if (exr)
        REQUIRE_TOOL("exrheader", "openexr");

    QTemporaryDir out;
    QVERIFY(out.isValid());
    exportThrough(
        KW::Action::ExportExposureSheet, rangeOnly,
        [&](QDialog* dialog) {
            setChecked(dialog, qPrintable(QStringLiteral("radioButton_") + format), true);
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("lineEdit_Name"));
            auto* location = dialog->findChild<QLineEdit*>(QStringLiteral("lineEdit_Location"));
            QVERIFY(name && location);
            name->setText(QStringLiteral("walk"));
            location->setText(out.path());
        },
        QString(), {QStringLiteral("UI::ExportExposureSheetDialog")});
    if (QTest::currentTestFailed())
        return;

    QDir const package(out.filePath(QStringLiteral("walk.oca")));
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("walk.oca")});
    checkOrdinaryPermissions(package.path());
    QFile file(package.filePath(QStringLiteral("walk.oca")));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(describeFiles(package)));
    QJsonParseError error;
    QJsonObject const document = QJsonDocument::fromJson(file.readAll(), &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));

    QCOMPARE(document.value(QStringLiteral("width")).toInt(), frameSize.width());
    QCOMPARE(document.value(QStringLiteral("height")).toInt(), frameSize.height());
    QCOMPARE(document.value(QStringLiteral("frameRate")).toDouble(), double(frameRate));
    int const start = document.value(QStringLiteral("startTime")).toInt(-1);
    int const end = document.value(QStringLiteral("endTime")).toInt(-1);
    QCOMPARE(start, span.first() - 1);
    QCOMPARE(end, span.last());

    QJsonArray const layers = document.value(QStringLiteral("layers")).toArray();
    QCOMPARE(layers.size(), 1);
    QJsonObject const layer = layers.first().toObject();
    QCOMPARE(layer.value(QStringLiteral("name")).toString(), m_layerName);
    QCOMPARE(layer.value(QStringLiteral("fileType")).toString(),
             exr ? QStringLiteral("exr") : QStringLiteral("png"));

    // One exposure per drawing, lasting as long as it shows, with its image.
    QStringList found;
    int shown = 0;
    for (QJsonValue const& value : layer.value(QStringLiteral("frames")).toArray()) {
        QJsonObject const exposure = value.toObject();
        int const first = exposure.value(QStringLiteral("frameNumber")).toInt(-1);
        int const duration = exposure.value(QStringLiteral("duration")).toInt(-1);
        int const drawing = drawingOfFrame.value(first, -1);
        found << QStringLiteral("%1 %2 %3").arg(first).arg(duration).arg(drawing);
        shown += duration;

        QString const image = package.filePath(exposure.value(QStringLiteral("fileName")).toString());
        QVERIFY2(QFileInfo(image).isFile(),
                 qPrintable(image + QStringLiteral(" in ") + describeFiles(package)));
        if (exr) {
            checkExrWindows(image);
        } else {
            QImage const picture(image);
            QCOMPARE(picture.size(), frameSize);
            checkShowsDrawing(picture, drawing, image);
        }
    }
    QCOMPARE(found, exposures);
    QCOMPARE(shown, end - start);
}

QUILLMERE_TEST_MAIN(TestExports)
#include "tst_exports.moc"
