// Starts the real program on the test's X server and checks, by the picture
// it takes of its own window, that the canvas, sheet, timeline and tool bar
// are on screen and drawn.
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>

namespace {

QRect rectFrom(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return {};
    return QRect(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt());
}

int distinctColours(const QImage& image, const QRect& rect)
{
    QSet<QRgb> colours;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            colours.insert(image.pixel(x, y));
    return colours.size();
}

} // namespace

class TestProgramWindow : public QObject
{
    Q_OBJECT

    QProcess m_program;

private slots:
    void cleanup()
    {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.terminate();
            if (!m_program.waitForFinished(5000))
                m_program.kill();
            m_program.waitForFinished(5000);
        }
    }

    void windowShowsCanvasSheetTimelineAndToolBar()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs the test's X server");

        QVERIFY(QDir().mkpath(QStringLiteral(QUILLMERE_TEST_OUTPUT_DIR)));
        const QString shot = QStringLiteral(QUILLMERE_TEST_OUTPUT_DIR "/quillmere-window.png");
        QFile::remove(shot);

        // The program's first start would offer the tutorials over the window.
        {
            QSettings stored(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                                 + QStringLiteral("/Quillmere/Quillmere.conf"),
                             QSettings::IniFormat);
            stored.setValue(QStringLiteral("Preferences/ShowVideoTutorialsOnStartup"), false);
        }

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILLMERE_SCREENSHOT"), shot);
        m_program.setProcessEnvironment(env);
        m_program.setProcessChannelMode(QProcess::ForwardedChannels);
        m_program.start(QStringLiteral(QUILLMERE_EXECUTABLE), {});
        QVERIFY2(m_program.waitForStarted(10000), qPrintable(m_program.errorString()));

        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(shot) || m_program.state() == QProcess::NotRunning,
                                 60000);
        QCOMPARE(m_program.state(), QProcess::Running);
        qInfo("window picture: %s", qPrintable(shot));

        QImage image(shot);
        QVERIFY(!image.isNull());
        QVERIFY(image.width() >= 1000 && image.height() >= 600);
        for (const char* region : {"canvas", "sheet", "timeline", "toolbar"}) {
            const QRect rect = rectFrom(image.text(QLatin1String(region)));
            QVERIFY2(rect.width() > 10 && rect.height() > 10, region);
            QVERIFY2(image.rect().contains(rect), region);
            const int colours = distinctColours(image, rect);
            QVERIFY2(colours >= 3, qPrintable(QStringLiteral("%1 shows %2 colours")
                                                  .arg(QLatin1String(region))
                                                  .arg(colours)));
        }
    }
};

QUILLMERE_TEST_MAIN(TestProgramWindow)
#include "tst_programwindow.moc"
