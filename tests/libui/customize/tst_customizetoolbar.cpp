#include "TestSupport.h"

#include "DragDriver.h"

#include "customize/CustomizeToolBar.h"
#include "customize/RecycleBin.h"
#include "settings/Settings.h"
#include "startup/Init.h"
#include "startup/UIInit.h"

#include <QPainter>
#include <QSignalSpy>

using UI::CustomizeToolBar;
using DragDriver::Hop;

namespace {

const QString NTC = QStringLiteral("NewToolBarColumn");

QString layout(const char* text)
{
    return QString::fromLatin1(text).replace(QStringLiteral("NTC"), NTC);
}

std::unique_ptr<QMimeData> entryData(const char* name)
{
    return std::unique_ptr<QMimeData>(UI::ActionDrag::mimeData(QString::fromLatin1(name), false));
}

// Sends a drag enter and moves to each point; gives whether the last move
// was accepted.
bool dragOver(QWidget* w, const QMimeData* data, const QList<QPoint>& points,
              Qt::DropActions actions = Qt::CopyAction)
{
    QDragEnterEvent enter(points.first(), actions, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &enter);
    bool accepted = false;
    for (const QPoint& p : points) {
        QDragMoveEvent move(p, actions, data, Qt::LeftButton, Qt::NoModifier);
        move.setAccepted(false);
        QApplication::sendEvent(w, &move);
        accepted = move.isAccepted();
    }
    return accepted;
}

bool dropAt(QWidget* w, const QMimeData* data, QPoint p, Qt::DropActions actions = Qt::CopyAction)
{
    QDropEvent drop(p, actions, data, Qt::LeftButton, Qt::NoModifier);
    drop.setAccepted(false);
    QApplication::sendEvent(w, &drop);
    return drop.isAccepted();
}

} // namespace

class TestCustomizeToolBar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Model::init();
        UI::init();
    }

    void restoreThenSave_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no breaks: middle column") << layout("Draw|Erase|Spacer|Pan")
                                                  << layout("NTC|Draw|Erase|Spacer|Pan|NTC");
        QTest::newRow("one break: two breaks saved") << layout("Draw|Erase|NTC|Pan")
                                                     << layout("Draw|Erase|NTC|Pan|NTC");
        QTest::newRow("breaks capped at the third column")
            << layout("Draw|NTC|Erase|NTC|Pan|NTC|Zoom") << layout("Draw|NTC|Erase|NTC|Pan|Zoom");
        QTest::newRow("empty columns kept") << layout("NTC|NTC|Draw") << layout("NTC|NTC|Draw");
        QTest::newRow("empty editor") << layout("NTC|NTC") << layout("NTC|NTC");
        QTest::newRow("unknown key is a spacer") << layout("Draw|Bogus")
                                                 << layout("NTC|Draw|Spacer|NTC");
        QTest::newRow("empty string is one spacer") << QString() << layout("NTC|Spacer|NTC");
        QTest::newRow("default layout") << Model::Settings::defaultToolBarSettings
                                        << NTC + QLatin1Char('|')
                                               + Model::Settings::defaultToolBarSettings
                                               + QLatin1Char('|') + NTC;
    }

    void restoreThenSave()
    {
        QFETCH(QString, stored);
        QFETCH(QString, saved);
        CustomizeToolBar editor;
        QCOMPARE(editor.size(), QSize(141, 496));
        QSignalSpy shadow(&editor, &CustomizeToolBar::shadowUpdateNeeded);
        editor.restoreSettings(stored);
        QCOMPARE(editor.columns().size(), 3);
        QCOMPARE(editor.saveSettings(), saved);
        QCOMPARE(shadow.count(), 1);
        QCOMPARE(shadow.at(0).at(0).toRect().size(), QSize(241, 596));
    }

    void slotAt_data()
    {
        QTest::addColumn<QPointF>("pos");
        QTest::addColumn<QPoint>("slot");
        // Middle column Draw, Erase, Spacer, Pan from y 178; left column Zoom
        // from y 228.
        QTest::newRow("left of x 8") << QPointF(7.4, 240) << QPoint(-1, -1);
        QTest::newRow("left column") << QPointF(8, 240) << QPoint(0, 0);
        QTest::newRow("gap between columns") << QPointF(48.6, 200) << QPoint(-1, -1);
        QTest::newRow("middle column, first") << QPointF(50, 178) << QPoint(1, 0);
        QTest::newRow("middle column, spacer") << QPointF(89, 277) << QPoint(1, 2);
        QTest::newRow("below the middle column") << QPointF(70, 318) << QPoint(-1, -1);
        QTest::newRow("empty right column") << QPointF(112, 248) << QPoint(-1, -1);
    }

    void slotAt()
    {
        QFETCH(QPointF, pos);
        QFETCH(QPoint, slot);
        CustomizeToolBar editor;
        editor.restoreSettings(layout("Zoom|NTC|Draw|Erase|Spacer|Pan|NTC"));
        QCOMPARE(editor.slotAt(pos), slot);
    }

    void dropFromTheListCopiesIntoASlot_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<QString>("saved");
        QTest::newRow("empty left column") << QPoint(28, 248)
                                           << layout("Zoom|NTC|Draw|Erase|Spacer|Pan|NTC");
        QTest::newRow("before Erase") << QPoint(70, 230)
                                      << layout("NTC|Draw|Zoom|Erase|Spacer|Pan|NTC");
        QTest::newRow("above the column") << QPoint(70, 100)
                                          << layout("NTC|Zoom|Draw|Erase|Spacer|Pan|NTC");
    }

    void dropFromTheListCopiesIntoASlot()
    {
        QFETCH(QPoint, pos);
        QFETCH(QString, saved);
        CustomizeToolBar editor;
        editor.restoreSettings(layout("Draw|Erase|Spacer|Pan"));
        const auto data = entryData("Zoom");
        QVERIFY(dragOver(&editor, data.get(), {pos}));
        QVERIFY(editor.previewSlot() != QPoint(-1, -1));
        QVERIFY(dropAt(&editor, data.get(), pos));
        QCOMPARE(editor.saveSettings(), saved);
        QCOMPARE(editor.previewSlot(), QPoint(-1, -1));
        QVERIFY(editor.flashSlot() != QPoint(-1, -1));
    }

    void leavingTakesThePreviewOut()
    {
        CustomizeToolBar editor;
        editor.restoreSettings(layout("Draw|Erase"));
        const auto data = entryData("Spacer");
        QVERIFY(dragOver(&editor, data.get(), {QPoint(28, 248)}));
        QCOMPARE(editor.saveSettings(), layout("Spacer|NTC|Draw|Erase|NTC"));
        QDragLeaveEvent leave;
        QApplication::sendEvent(&editor, &leave);
        QCOMPARE(editor.saveSettings(), layout("NTC|Draw|Erase|NTC"));
        // Over a gap the preview goes and the drop is refused.
        QVERIFY(!dragOver(&editor, data.get(), {QPoint(28, 248), QPoint(49, 248)}));
        QCOMPARE(editor.saveSettings(), layout("NTC|Draw|Erase|NTC"));
    }

    void fullColumnRefusesMore_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("accepted");
        const QString twelve = QStringList(12, QStringLiteral("Draw")).join(QLatin1Char('|'));
        const QString elevenAndGap = QStringList(11, QStringLiteral("Draw")).join(QLatin1Char('|'))
                                     + QStringLiteral("|Spacer");
        QTest::newRow("480: no action") << twelve << "Zoom" << false;
        QTest::newRow("480: no spacer") << twelve << "Spacer" << false;
        QTest::newRow("460: a spacer") << elevenAndGap << "Spacer" << true;
        QTest::newRow("460: no action") << elevenAndGap << "Zoom" << false;
    }

    void fullColumnRefusesMore()
    {
        QFETCH(QString, column);
        QFETCH(QString, entry);
        QFETCH(bool, accepted);
        CustomizeToolBar editor;
        editor.restoreSettings(column + QLatin1Char('|') + NTC);
        const auto data = entryData(entry.toLatin1().constData());
        QCOMPARE(dragOver(&editor, data.get(), {QPoint(28, 100)}), accepted);
        QCOMPARE(editor.columns().at(0).size(), column.count(QLatin1Char('|')) + 1 + accepted);
    }

    // The preview steps one row at a time and does not flip back when the
    // pointer turns around just past the threshold.
    void previewMovesWithoutFlicker()
    {
        CustomizeToolBar editor;
        editor.restoreSettings(layout("Draw|Erase|Pan"));
        const auto data = entryData("Zoom");
        dragOver(&editor, data.get(), {QPoint(70, 180)});
        QCOMPARE(editor.previewSlot(), QPoint(1, 0));
        const auto moveTo = [&](int y) {
            QDragMoveEvent move(QPoint(70, y), Qt::CopyAction, data.get(), Qt::LeftButton,
                                Qt::NoModifier);
            QApplication::sendEvent(&editor, &move);
            return editor.previewSlot();
        };
        // Zoom 168..207, Draw 208..247 (centre 228).
        QCOMPARE(moveTo(215), QPoint(1, 0));
        QCOMPARE(moveTo(229), QPoint(1, 1));
        QCOMPARE(editor.saveSettings(), layout("NTC|Draw|Zoom|Erase|Pan|NTC"));
        QCOMPARE(moveTo(205), QPoint(1, 1));
        QCOMPARE(moveTo(187), QPoint(1, 0));
        QVERIFY(dropAt(&editor, data.get(), QPoint(70, 187)));
        QCOMPARE(editor.saveSettings(), layout("NTC|Zoom|Draw|Erase|Pan|NTC"));
    }

    void dragOut_data()
    {
        QTest::addColumn<int>("hop"); // 0 bin, 1 right column, 2 nowhere, 3 bin's rim
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("name");
        QTest::newRow("onto the bin: removed") << 0 << layout("NTC|Draw|Spacer|Pan|NTC")
                                               << "Erase";
        QTest::newRow("to another column: moved") << 1 << layout("NTC|Draw|Spacer|Pan|NTC|Erase")
                                                  << "Erase";
        QTest::newRow("dropped nowhere: put back") << 2 << layout("NTC|Draw|Erase|Spacer|Pan|NTC")
                                                   << "Erase";
        QTest::newRow("bin's rim refuses: put back")
            << 3 << layout("NTC|Draw|Erase|Spacer|Pan|NTC") << "Erase";
    }

    void dragOut()
    {
        QFETCH(int, hop);
        QFETCH(QString, saved);
        QFETCH(QString, name);
        CustomizeToolBar editor;
        UI::RecycleBin bin;
        editor.restoreSettings(layout("Draw|Erase|Spacer|Pan"));
        const QList<Hop> hops[] = {{{&bin, QPoint(100, 100)}},
                                   {{&editor, QPoint(112, 248)}},
                                   {{&editor, QPoint(112, 248)}, {nullptr, QPoint()}},
                                   {{&bin, QPoint(100, 100)}, {&bin, QPoint(100, 152)}}};
        DragDriver::Runner runner(hops[hop]);
        DragDriver::pressAndDrag(&editor, QPoint(70, 238)); // Erase
        QCOMPARE(runner.count, 1);
        QCOMPARE(runner.offered, Qt::DropActions(Qt::MoveAction));
        QCOMPARE(runner.name, name);
        QCOMPARE(runner.text, name);
        QCOMPARE(runner.hotSpot, QPoint(16, 16));
        QCOMPARE(editor.saveSettings(), saved);
    }

    void spacerDraggedOutCarriesItsName()
    {
        CustomizeToolBar editor;
        UI::RecycleBin bin;
        editor.restoreSettings(layout("Draw|Erase|Spacer|Pan"));
        DragDriver::Runner runner({{&bin, QPoint(100, 100)}});
        DragDriver::pressAndDrag(&editor, QPoint(70, 268));
        QCOMPARE(runner.name, QStringLiteral("Spacer"));
        QCOMPARE(runner.hotSpot, QPoint(16, 8));
        QCOMPARE(editor.saveSettings(), layout("NTC|Draw|Erase|Pan|NTC"));
        // Nothing under the press: no drag.
        DragDriver::pressAndDrag(&editor, QPoint(112, 248));
        QCOMPARE(runner.count, 1);
    }

    void paintsTheBarAroundFilledColumns()
    {
        CustomizeToolBar editor;
        editor.restoreSettings(layout("NTC|NTC"));
        const QImage empty = editor.grab().toImage();
        editor.restoreSettings(layout("Draw"));
        const QImage filled = editor.grab().toImage();
        // Inside the bar, beside the icon: the light panel colour.
        QCOMPARE(filled.pixelColor(52, 248).rgb(), QColor(0xDD, 0xD8, 0xD5).rgb());
        QVERIFY(empty.pixelColor(52, 248) != filled.pixelColor(52, 248));

        QImage shadow(300, 600, QImage::Format_ARGB32_Premultiplied);
        shadow.fill(Qt::transparent);
        QPainter painter(&shadow);
        painter.translate(80, 50);
        editor.paintBackgroundShadow(&painter);
        painter.end();
        // The shadow reaches beyond the editor's left edge.
        QVERIFY(shadow.pixelColor(80 + 42 - 20, 50 + 248).alpha() > 0);
        QCOMPARE(shadow.pixelColor(10, 50 + 248).alpha(), 0);
    }
};

QUILLMERE_TEST_MAIN(TestCustomizeToolBar)
#include "tst_customizetoolbar.moc"
