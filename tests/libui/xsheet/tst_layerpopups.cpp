#include "commands/ChangeLayerOpacity.h"
#include "commands/RenameLayer.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "settings/Settings.h"
#include "xsheet/LayerRenameWidget.h"
#include "xsheet/OpacitySlider.h"

#include "TestSupport.h"

#include <QAction>
#include <QLineEdit>
#include <QSignalSpy>
#include <QUndoStack>
#include <QVBoxLayout>

class TestLayerPopups : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestSupport::clearSettings();
        Model::Settings::instance()->init();
    }

    void renameCommitsOnceOrNotAtAll_data()
    {
        QTest::addColumn<QString>("ending"); // "return", "enter", "escape", "click elsewhere"
        QTest::addColumn<int>("commits");
        QTest::newRow("Return") << "return" << 1;
        QTest::newRow("Enter") << "enter" << 1;
        QTest::newRow("Escape") << "escape" << 0;
        QTest::newRow("click elsewhere") << "click elsewhere" << 1;
    }

    void renameCommitsOnceOrNotAtAll()
    {
        QFETCH(QString, ending);
        QFETCH(int, commits);
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* other = new QLineEdit(&window);
        layout->addWidget(other);
        // An application shortcut on the same key must not steal it from the field.
        auto* shortcut = new QAction(&window);
        shortcut->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Escape)});
        window.addAction(shortcut);
        QSignalSpy shortcutFired(shortcut, &QAction::triggered);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        UI::LayerRenameWidget field(&window);
        QSignalSpy renamed(&field, &UI::LayerRenameWidget::renamed);
        field.setGeometry(10, 10, 120, 24);
        field.setText("Layer 1");
        field.show();
        field.setFocus();
        QTRY_VERIFY(field.hasFocus());
        field.selectAll();
        QTest::keyClicks(&field, "Ink");
        if (ending == "return")
            QTest::keyClick(&field, Qt::Key_Return);
        else if (ending == "enter")
            QTest::keyClick(&field, Qt::Key_Enter);
        else if (ending == "escape")
            QTest::keyClick(&field, Qt::Key_Escape);
        else
            other->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(!field.isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(renamed.count(), commits);
        if (commits)
            QCOMPARE(renamed.first().at(0).toString(), QString("Ink"));
        QCOMPARE(shortcutFired.count(), 0);

        // Opened again, it commits again.
        field.show();
        field.setFocus();
        QTRY_VERIFY(field.hasFocus());
        QTest::keyClick(&field, Qt::Key_Return);
        QCOMPARE(renamed.count(), commits + 1);
    }

    void sliderDragsSnapAndReportOnce_data()
    {
        QTest::addColumn<int>("releaseY");
        QTest::addColumn<double>("expected");
        QTest::newRow("above the top") << -60 << 1.0;
        QTest::newRow("within 5 % of the top") << 4 << 1.0;
        QTest::newRow("middle") << 56 << 0.5;
        QTest::newRow("within 5 % of the bottom") << 108 << 0.0;
        QTest::newRow("below the bottom") << 200 << 0.0;
    }

    void sliderDragsSnapAndReportOnce()
    {
        QFETCH(int, releaseY);
        QFETCH(double, expected);
        UI::OpacitySlider slider;
        slider.setLayerIdx(3);
        slider.setOpacity(0.25);
        QSignalSpy moved(&slider, &UI::OpacitySlider::opacitySliderMoved);
        QSignalSpy changed(&slider, &UI::OpacitySlider::opacityChanged);
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(22, 30));
        const QPoint end(22, releaseY);
        QMouseEvent move(QEvent::MouseMove, end, slider.mapToGlobal(end), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(&slider, &move);
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, end);
        QVERIFY(moved.count() >= 2);
        QCOMPARE(moved.last().at(1).toDouble(), expected);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first(), (QList<QVariant>{3, 0.25, expected}));
        QCOMPARE(slider.opacity(), expected);
    }

    void releasingFarAwayRestoresTheCommittedOpacity()
    {
        UI::OpacitySlider slider;
        slider.setOpacity(0.6);
        QSignalSpy moved(&slider, &UI::OpacitySlider::opacitySliderMoved);
        QSignalSpy changed(&slider, &UI::OpacitySlider::opacityChanged);
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(22, 100));
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(22 + 100, 50));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(moved.last().at(1).toDouble(), 0.6);
        QCOMPARE(slider.opacity(), 0.6);
    }

    void previewsDoNotDisturbTheDrag()
    {
        UI::OpacitySlider slider;
        // A receiver that echoes the preview back, as the main window's scene update does.
        connect(&slider, &UI::OpacitySlider::opacitySliderMoved, &slider,
                [&slider](int, double) { slider.setOpacity(0.9); });
        QSignalSpy changed(&slider, &UI::OpacitySlider::opacityChanged);
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(22, 84));
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(22, 84));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(1).toDouble(), 1.0);
        QCOMPARE(changed.first().at(2).toDouble(), 0.25);
    }

    // Wired as the main window wires them: a commit becomes one undo entry.
    void editsBecomeOneUndoEntryEach()
    {
        Model::KWScene bundle;
        Model::Scene* scene = bundle.scene();
        const QSize frame(200, 120);
        scene->setFrameSize(frame, KW::FitMode::FitModeKeepAspect, nullptr);
        auto ink = std::make_shared<Model::StrokeLayer>(Qt::black, frame, nullptr);
        ink->setName("Ink");
        scene->addLayer(ink, 0);
        QUndoStack* stack = scene->undoStack();
        const int start = stack->count();

        QWidget window;
        window.resize(300, 200);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        UI::LayerRenameWidget field(&window);
        connect(&field, &UI::LayerRenameWidget::renamed, &field, [&](const QString& name) {
            stack->push(new Commands::RenameLayer(bundle.sceneModel(), 0, name));
        });
        for (int key : {int(Qt::Key_Escape), int(Qt::Key_Return)}) {
            field.setText(ink->name());
            field.show();
            field.setFocus();
            QTRY_VERIFY(field.hasFocus());
            field.selectAll();
            QTest::keyClicks(&field, "Line");
            QTest::keyClick(&field, Qt::Key(key));
            QTRY_VERIFY(!field.isVisible());
        }
        QCOMPARE(stack->count(), start + 1);
        QCOMPARE(ink->name(), QString("Line"));

        UI::OpacitySlider slider(&window);
        slider.setLayerIdx(0);
        slider.setOpacity(scene->layerOpacity(0));
        connect(&slider, &UI::OpacitySlider::opacitySliderMoved, scene,
                [scene](int layer, double opacity) { scene->setLayerOpacity(layer, opacity); });
        connect(&slider, &UI::OpacitySlider::opacityChanged, scene, [&](int layer, double from, double to) {
            stack->push(new Commands::ChangeLayerOpacity(scene, layer, from, to));
        });
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(22, 10));
        for (int y : {30, 50, 70}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(22, y), slider.mapToGlobal(QPointF(22, y)), Qt::NoButton,
                             Qt::LeftButton, {});
            QApplication::sendEvent(&slider, &move);
            QCOMPARE(scene->layerOpacity(0), 1.0 - y / 112.0); // the preview follows the drag
        }
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(22, 70));
        QCOMPARE(stack->count(), start + 2);
        QCOMPARE(scene->layerOpacity(0), 1.0 - 70 / 112.0);
        stack->undo();
        QCOMPARE(scene->layerOpacity(0), 1.0);
    }

    void sliderPaintsTheLevelInTheLayerColour()
    {
        UI::OpacitySlider slider;
        slider.setColor(QColor(200, 30, 30));
        slider.setOpacity(0.5);
        const QImage image = slider.grab().toImage();
        QCOMPARE(image.pixelColor(22, 100), QColor(200, 30, 30));
        QCOMPARE(image.pixelColor(22, 57), QColor(200, 30, 30));
        QVERIFY(image.pixelColor(22, 40) != QColor(200, 30, 30));
    }
};

QUILLMERE_TEST_MAIN(TestLayerPopups)
#include "tst_layerpopups.moc"
