#include "application/Application.h"

#include "TestSupport.h"

#include <QFileOpenEvent>
#include <QSignalSpy>
#include <QTabletEvent>

class TestApplication : public QObject
{
    Q_OBJECT

    static bool sendProximity(QPointingDevice* device)
    {
        QTabletEvent e(QEvent::TabletEnterProximity, device, QPointF(), QPointF(), 0, 0, 0, 0, 0, 0,
                       Qt::NoModifier, Qt::NoButton, Qt::NoButton);
        return QCoreApplication::sendEvent(qApp, &e);
    }

private slots:
    void fileOpenBecomesASignal()
    {
        QSignalSpy spy(qApp, SIGNAL(requestFileOpen(QString)));
        QFileOpenEvent e(QStringLiteral("/tmp/walk.kw"));
        QCoreApplication::sendEvent(qApp, &e);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0][0].toString(), QStringLiteral("/tmp/walk.kw"));
    }

    void proximityReportsPenAndEraserEnds()
    {
        QPointingDevice pen("pen", 1, QInputDevice::DeviceType::Stylus, QPointingDevice::PointerType::Pen,
                            QInputDevice::Capability::Pressure, 1, 2);
        QPointingDevice eraser("eraser", 2, QInputDevice::DeviceType::Stylus,
                               QPointingDevice::PointerType::Eraser, QInputDevice::Capability::Pressure, 1, 2);
        QPointingDevice cursor("puck", 3, QInputDevice::DeviceType::Puck,
                               QPointingDevice::PointerType::Cursor, QInputDevice::Capability::Position, 1, 2);
        QSignalSpy spy(qApp, SIGNAL(tabletPointerTypeChanged(QPointingDevice::PointerType)));
        QVERIFY(sendProximity(&eraser));
        QVERIFY(sendProximity(&pen));
        QVERIFY(sendProximity(&cursor)); // consumed, but no signal
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy[0][0].value<QPointingDevice::PointerType>(), QPointingDevice::PointerType::Eraser);
        QCOMPARE(spy[1][0].value<QPointingDevice::PointerType>(), QPointingDevice::PointerType::Pen);
    }
};

int main(int argc, char** argv)
{
    TestSupport::isolateSettings();
    int result = 0;
    {
        Application app(argc, argv);
        TestApplication tc;
        result = QTest::qExec(&tc, argc, argv);
        TestSupport::keepGraphicsDriversLoaded();
    }
    std::fflush(nullptr);
    TestSupport::checkLeaks();
    std::_Exit(result);
}
#include "tst_application.moc"
