#include "TestSupport.h"

#include "actions/ActionManager.h"
#include "panels/ExpandToolButton.h"
#include "panels/PresetToolButton.h"
#include "panels/PresetToolButtonShadowEffect.h"
#include "panels/ToolPocket.h"
#include "panels/ToolPresets.h"
#include "panels/ToolSettings.h"
#include "panels/ToolSettingsShadowEffect.h"
#include "panels/ToolSliders.h"
#include "settings/Settings.h"
#include "startup/Init.h"
#include "startup/UIInit.h"
#include "tools/PenTool.h"
#include "tools/ToolManager.h"

#include <QAction>
#include <QSettings>
#include <QSignalSpy>

using Model::Tool;
using Model::ToolManager;
using UI::ToolSettings;

namespace {

Model::PenTool* pen()
{
    return qobject_cast<Model::PenTool*>(ToolManager::instance()->tool(Tool::Draw));
}

QList<double> rangesOf(const Model::DrawingTool* tool)
{
    return {tool->sizeMinPercent(), tool->sizeMaxPercent(), tool->opacityMinPercent(),
            tool->opacityMaxPercent()};
}

} // namespace

class TestToolSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Model::init();
        UI::init();
    }

    void init() { ToolManager::instance()->setCurrentPenToolType(Tool::Pencil); }

    void showToolTwiceCloses()
    {
        QWidget window;
        window.resize(600, 600);
        window.show();
        ToolSettings panel(Tool::Draw, &window);
        QVERIFY(!panel.isVisible());
        // The pocket has already chosen the marker when it asks for slot 1.
        ToolManager::instance()->setCurrentPenToolType(Tool::Marker);
        QVERIFY(panel.showTool(1));
        QVERIFY(panel.isVisible());
        QCOMPARE(panel.sliders()->currentToolIdx(), 1);
        QVERIFY(!panel.showTool(1));
        QVERIFY(!panel.isVisible());
        QVERIFY(panel.showTool(1));
        ToolManager::instance()->setCurrentPenToolType(Tool::Brush);
        QVERIFY(panel.showTool(2));
        QVERIFY(panel.isVisible());
        QCOMPARE(panel.sliders()->currentToolIdx(), 2);
    }

    void eraserPanelHoldsTheSlidersOnly()
    {
        ToolSettings eraser(Tool::Erase);
        QCOMPARE(eraser.presets(), nullptr);
        QCOMPARE(eraser.width(), 217);
        QCOMPARE(eraser.height(), eraser.sliders()->height());
        ToolSettings pens(Tool::Draw);
        QVERIFY(pens.presets());
        QVERIFY(pens.height() > pens.sliders()->height());
    }

    void popUpShowsItsPocketAbove()
    {
        QWidget window;
        window.resize(600, 600);
        window.show();
        ToolSettings panel(Tool::Erase, &window);
        auto* pocket = new UI::ToolPocket;
        panel.setToolPocket(pocket);
        QCOMPARE(pocket->parentWidget(), &panel);
        QVERIFY(pocket->isHidden());

        panel.setPopup(true);
        panel.show();
        QVERIFY(pocket->isVisible());
        QCOMPARE(pocket->height(), 57);
        QVERIFY(pocket->geometry().bottom() < panel.sliders()->geometry().top());
        QCOMPARE(panel.height(), 57 + panel.sliders()->height());
        auto* effect = qobject_cast<UI::ToolSettingsShadowEffect*>(panel.graphicsEffect());
        QVERIFY(effect && effect->isPopup());
        QCOMPARE(effect->boundingRectFor(QRectF(0, 0, 217, 100)), QRectF(-10, -8, 237, 120));

        // Pressing a pocket slot moves the sliders' header there.
        QSignalSpy pressed(pocket, &UI::ToolPocket::pressed);
        emit pocket->pressed(2);
        QCOMPARE(panel.sliders()->currentToolIdx(), 2);

        panel.hide();
        QVERIFY(!panel.isPopup());
        QVERIFY(pocket->isHidden());
        QCOMPARE(pocket->minimumHeight(), 44);
        QCOMPARE(panel.height(), panel.sliders()->height());
        QVERIFY(!effect->isPopup());
        QCOMPARE(effect->boundingRectFor(QRectF(0, 0, 217, 100)), QRectF(-10, 0, 237, 112));
    }

    void pocketSetWhileHiddenStaysHidden()
    {
        QWidget window;
        window.show();
        ToolSettings panel(Tool::Erase, &window);
        panel.setPopup(true);
        auto* pocket = new UI::ToolPocket;
        panel.setToolPocket(pocket);
        QVERIFY(pocket->isHidden());
        auto* other = new UI::ToolPocket;
        panel.setToolPocket(other);
        QVERIFY(pocket->isHidden());
        QCOMPARE(panel.toolPocket(), other);
        delete pocket;
    }

    void moveTopCenter()
    {
        QWidget window;
        ToolSettings panel(Tool::Erase, &window);
        panel.moveTopCenter(QPoint(300, 50));
        QCOMPARE(panel.pos(), QPoint(300 - 217 / 2, 48));
    }

    void lostFocusOnlyWhileVisible()
    {
        ToolSettings panel(Tool::Erase);
        QSignalSpy lost(&panel, &ToolSettings::lostFocus);
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(&panel, &out);
        QCOMPARE(lost.count(), 0);
        panel.show();
        QApplication::sendEvent(&panel, &out);
        QCOMPARE(lost.count(), 1);
    }

    void expandingGrowsThePenPanel()
    {
        QWidget window;
        window.show();
        ToolSettings panel(Tool::Draw, &window);
        panel.show();
        const int collapsed = panel.height();
        UI::ToolPresets* presets = panel.presets();
        QVERIFY(!presets->isExpanded());
        QTest::mouseClick(presets->expandButton(), Qt::LeftButton);
        QVERIFY(presets->isExpanded());
        QCOMPARE(presets->expandButton()->arrowType(), Qt::DownArrow);
        QVERIFY(panel.height() > collapsed + 2 * 40);
        QCOMPARE(panel.height(), panel.sliders()->height() + presets->height());
        presets->collapse();
        QCOMPARE(panel.height(), collapsed);
    }

    // Save stores the pen's ranges under that pen kind's preset in the
    // settings store; use brings them back.
    void presetsSaveAndUse_data()
    {
        QTest::addColumn<int>("penType");
        QTest::addColumn<int>("button");
        QTest::newRow("pencil, preset 1") << int(Tool::Pencil) << 0;
        QTest::newRow("marker, preset 2") << int(Tool::Marker) << 1;
        QTest::newRow("brush, preset 3") << int(Tool::Brush) << 2;
    }

    void presetsSaveAndUse()
    {
        QFETCH(int, penType);
        QFETCH(int, button);
        ToolManager::instance()->setCurrentPenToolType(Tool::PenType(penType));
        Model::PenTool* tool = pen();
        QCOMPARE(int(tool->penType()), penType);
        UI::ToolPresets presets;
        tool->setSizeRangePercent(12, 34);
        tool->setOpacityRangePercent(56, 78);
        presets.saveButtons().at(button)->click();

        const QString group = QStringLiteral("Preferences/Tools/%1/Preset%2/")
                                  .arg(tool->settingsName())
                                  .arg(button + 1);
        QSettings store;
        QCOMPARE(store.value(group + QStringLiteral("SizeRangeLowerPercent")).toDouble(), 12.0);
        QCOMPARE(store.value(group + QStringLiteral("OpacityRangeUpperPercent")).toDouble(),
                 78.0);

        UI::ToolSliders sliders(Tool::Draw);
        sliders.show();
        tool->setSizeRangePercent(1, 2);
        tool->setOpacityRangePercent(3, 4);
        presets.useButtons().at(button)->click();
        QCOMPARE(rangesOf(tool), (QList<double>{12, 34, 56, 78}));
        // The sliders follow the tool's signals.
        QCOMPARE(sliders.sizeRangeLower(), 12.0);
        QCOMPARE(sliders.opacityRangeUpper(), 78.0);
    }

    void iconsFollowThePenKind()
    {
        UI::ToolPresets presets;
        const auto imageOf = [&](int i) {
            return presets.saveButtons().at(i)->icon().pixmap(32, 32).toImage();
        };
        const QImage pencil = imageOf(0);
        ToolManager::instance()->setCurrentPenToolType(Tool::Brush);
        const QImage brush = imageOf(0);
        QVERIFY(pencil != brush);
        QCOMPARE(brush, QIcon(QStringLiteral(":/toolsettings/saveBrush_Preset1_icon.svg"))
                            .pixmap(32, 32)
                            .toImage());
        presets.setCurrentPenType(Tool::PenType(7));
        QCOMPARE(imageOf(0), brush);
        QCOMPARE(presets.useButtons().at(2)->toolTip(), QStringLiteral("Use preset 3"));
        QCOMPARE(presets.saveButtons().at(1)->toolTip(), QStringLiteral("Save preset 2"));
    }

    void presetButtonArtworkPlacement()
    {
        UI::PresetToolButton button;
        QCOMPARE(button.size(), QSize(40, 40));
        auto* effect = qobject_cast<UI::PresetToolButtonShadowEffect*>(button.graphicsEffect());
        QVERIFY(effect);
        const QRectF bounds = effect->boundingRectFor(QRectF(0, 0, 40, 40));
        // Both drawings are 32 x 32: the click one 2 pixels below the centre.
        QCOMPARE(effect->hoverPlacement(), QPointF(4, 4));
        QCOMPARE(effect->clickPlacement(), QPointF(4, 6));
        QCOMPARE(bounds, QRectF(0, 0, 40, 40));
        Model::Settings::instance()->setUIScalePercent(150);
        const QRectF scaled = effect->boundingRectFor(QRectF(0, 0, 60, 60));
        Model::Settings::instance()->setUIScalePercent(100);
        QCOMPARE(effect->clickPlacement(), QPointF(30 - 24, 30 + 3 - 24));
        QCOMPARE(scaled, QRectF(0, 0, 60, 60));
        QVERIFY(!effect->isDown());
        button.setDown(true);
        QVERIFY(effect->isDown());
    }
};

QUILLMERE_TEST_MAIN(TestToolSettings)
#include "tst_toolsettings.moc"
