#include "MainWindowFixture.h"

#include "TestSupport.h"

#include "actions/ActionManager.h"
#include "canvas/Paper.h"
#include "scene/Scene.h"
#include "settings/Settings.h"
#include "xsheet/XSheet.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMetaEnum>

#include <cmath>

namespace {

// The catalogue's name of an action, or its text for the window's own entries.
QString nameOf(QAction* action)
{
    const QMetaEnum keys = QMetaEnum::fromType<KW::Action>();
    for (int i = 0; i < keys.keyCount(); ++i) {
        const auto id = KW::Action(keys.value(i));
        if (id != KW::Action::NoAction && Model::ActionManager::instance()->action(id) == action)
            return QString::fromLatin1(keys.key(i));
    }
    return QLatin1Char('"') + action->text() + QLatin1Char('"');
}

QString title(QMenu* menu)
{
    QString text = menu->title();
    if (text.startsWith(QChar(0x200C)))
        text.remove(0, 1);
    return text;
}

// "|" for a separator, a submenu as its title and its entries in brackets.
QString entries(QMenu* menu)
{
    QStringList items;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            items << QStringLiteral("|");
        else if (QMenu* sub = action->menu())
            items << QStringLiteral("\"%1\" [%2]").arg(title(sub), entries(sub));
        else
            items << nameOf(action);
    }
    return items.join(QStringLiteral(", "));
}

QMenu* menuTitled(QMenuBar* bar, const QString& text)
{
    for (QAction* action : bar->actions())
        if (action->menu() && title(action->menu()) == text)
            return action->menu();
    return nullptr;
}

QList<QAction*> allEntries(QMenu* menu)
{
    QList<QAction*> found;
    for (QAction* action : menu->actions()) {
        found << action;
        if (action->menu())
            found << allEntries(action->menu());
    }
    return found;
}

QAction* entryWithShortcut(QMenuBar* bar, const QKeySequence& keys)
{
    for (QAction* top : bar->actions())
        if (top->menu())
            for (QAction* action : allEntries(top->menu()))
                if (action->shortcut() == keys)
                    return action;
    return nullptr;
}

} // namespace

class TestMainWindowMenus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Model::Settings::instance()->clearRecentFiles();
        m_window = std::make_unique<MainWindowFixture>();
    }
    void cleanupTestCase() { m_window.reset(); }

    void menuBarHoldsTheMenusInOrder()
    {
        MainWindowFixture& f = *m_window;
        QStringList titles;
        for (QAction* action : f.window->menuBar()->actions())
            titles << title(action->menu());
        QCOMPARE(titles, (QStringList{"File", "Edit", "Draw", "Flip && Play", "Light Table",
                                      "X-Sheet", "Pick Up", "Paint", "Window", "&Help"}));
        // Two titles carry the zero-width non-joiner in front.
        const QList<QAction*> menus = f.window->menuBar()->actions();
        QVERIFY(menus.at(1)->menu()->title().startsWith(QChar(0x200C)));
        QVERIFY(menus.at(9)->menu()->title().startsWith(QChar(0x200C)));
        QVERIFY(!menus.at(0)->menu()->title().startsWith(QChar(0x200C)));
    }

    void menuEntriesInOrder_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("expected");
        QTest::newRow("File") << "File"
                              << "NewScene, OpenScene, \"Open Recent\" [], |, SaveScene, SaveSceneAs, "
                                 "|, AutoSave, |, Import, \"Export\" [ExportFrames, ExportVideo, |, "
                                 "ExportExposureSheet], |, SceneSettings, |, Quit";
        QTest::newRow("Edit")
            << "Edit"
            << "Undo, Redo, |, AddCloneDrawing, AddBlankDrawing, InsertBlankDrawing, |, "
               "TurnCloneIntoOriginal, DuplicateDrawing, |, CutDrawing, CopyDrawing, PasteDrawing, |, "
               "ClearDrawingMakingBlank, LoseDrawingMakingHold, |, DiscardDrawing, BackDeleteDrawing, "
               "|, SelectAllDrawings, |, CycleSelectedDrawingsOnce";
        QTest::newRow("Draw")
            << "Draw"
            << "Draw, Erase, DrawEraseToggle, |, \"Drawing Tools\" [Pencil, Marker, Brush, |, "
               "ResetDrawingUserSettings], \"Erasing Tools\" [KneadedEraser, RubberEraser, "
               "VinylEraser, |, ResetErasingUserSettings], |, DrawSettings, EraseSettings, |, "
               "ToggleCursor";
        QTest::newRow("Flip && Play")
            << "Flip && Play"
            << "Play, \"Playback Mode\" [PlayLoop, PlayOnce, |, PlayBackwards, |, PlayStopAndStay], "
               "\"Playback Rate (Frames Per Second)\" [FrameRate06, FrameRate12, FrameRate12_5, "
               "FrameRate15, FrameRate24, FrameRate25, FrameRate30, FrameRate50, FrameRate60, "
               "FrameRateCustom], |, \"Flipping (Use Keyboard)\" [StepBack, StepForward, |, "
               "StepBackSkippingLocalClones, StepForwardSkippingLocalClones, |, "
               "SkipBackToKeyDrawing, SkipForwardToKeyDrawing, |, ReturnFlip], |, JumpToStart, "
               "JumpToEnd, |, \"Range - Start && End\" [RangeStartStepBack, RangeStartStepForward, "
               "|, RangeEndStepBack, RangeEndStepForward, |, RangeStartToFirstFrame, "
               "RangeEndToLastFrame], |, MuteAudio, DiscardAudio";
        QTest::newRow("Light Table")
            << "Light Table"
            << "BacklightOnOff, CustomizeBacklight, |, Pan, Zoom, Rotate, ZPR, |, ResetView, "
               "FitPaperToView, |, \"Zoom View\" [ZoomIn, ZoomOut, |, ViewToX1, \"X2 (200%)\", "
               "\"X4 (400%)\", \"X8 (800%)\", \"X16 (1600%)\", |, \"X1/2 (50%)\", \"X1/4 (25%)\", "
               "\"X1/8 (12.5%)\", \"X1/16 (6.25%)\"], \"Rotate View\" [\"Rotate Clockwise\", "
               "\"Rotate Counter-Clockwise\", |, \"North (0°)\", \"North East (45°)\", "
               "\"East (90°)\", \"South East (135°)\", \"South (180°)\", \"South West (225°)\", "
               "\"West (270°)\", \"North West (315°)\"], |, GridOnOff, \"Select Grid Type\" "
               "[GridTypeFieldGuide, GridTypeSafety, GridTypeThirds, GridTypeDiagonals, "
               "GridTypeRenaissance, |, GridTypeNext], |, MarkAsKeyDrawing, UnmarkAllKeyDrawings, "
               "|, OnlyBacklightKeyFrames, |, MirrorView, |, OffPegs";
        QTest::newRow("X-Sheet")
            << "X-Sheet"
            << "XSheetShow, XSheetDetachSeparateWindow, |, AddClonesMode, SlideMode, "
               "ToggleXSheetDragMode, |, NewLayer, DuplicateActiveLayer, |, DiscardActiveLayer, |, "
               "\"Active Layer\" [LayerAbove, LayerBelow, |, LayerTop, LayerBottom, |, "
               "LayerVisibility, LayerLink, |, \"What to Display Beyond Last Drawing\" "
               "[ShowNothingBeyond, FreezeLastDrawingBeyond, CycleDrawingsBeyond, |, "
               "ShowBeyondButtons], |, MergeLayerDown], |, UnlinkAllLayers, LinkAllLayers, |, "
               "\"Thumbnail Size\" [ThumbnailSizeTiny, ThumbnailSizeSmall, ThumbnailSizeMedium, "
               "ThumbnailSizeLarge, |, ThumbnailSizeSmaller, ThumbnailSizeLarger]";
        QTest::newRow("Pick Up") << "Pick Up"
                                 << "Lasso, Cutter, PickUpAllOfThisDrawing, |, "
                                    "StampFloatingSelection, |, DropFloatingSelection, "
                                    "GetLatestFloatingSelectionBack";
        QTest::newRow("Paint") << "Paint"
                               << "NewPaintLayer, NewPaintLayerWithCloneStructure, |, Palette, |, "
                                  "ColorPickerTool, FillTool";
        QTest::newRow("Window") << "Window"
                                << "\"Minimize\", |, ReferenceDisplay, |, ToolBar, CustomizeToolBar, "
                                   "|, PrimarySpeedDial, SecondarySpeedDial, CustomizeSpeedDials, |, "
                                   "Settings";
        QTest::newRow("Help") << "&Help"
                              << "VideoTutorials, |, KeyboardShortcuts, |, CommunityForum, |, "
                                 "ProvideFeedback, |, About";
    }

    void menuEntriesInOrder()
    {
        QFETCH(QString, menu);
        QFETCH(QString, expected);
        MainWindowFixture& f = *m_window;
        QMenu* found = menuTitled(f.window->menuBar(), menu);
        QVERIFY(found);
        QCOMPARE(entries(found), expected);
    }

    void recentFilesAreFilledWhenTheFileMenuShows()
    {
        Model::Settings* settings = Model::Settings::instance();
        settings->clearRecentFiles();
        MainWindowFixture f;
        QMenu* file = menuTitled(f.window->menuBar(), QStringLiteral("File"));
        QMenu* recent = file->actions().at(2)->menu();
        QVERIFY(recent);
        emit file->aboutToShow();
        QVERIFY(!recent->isEnabled());
        QVERIFY(!recent->menuAction()->isEnabled());
        QVERIFY(recent->actions().isEmpty());

        settings->addToRecentFiles(QStringLiteral("/tmp/shots/walk.kw"));
        settings->addToRecentFiles(QStringLiteral("/tmp/shots/run.kw"));
        emit file->aboutToShow();
        QVERIFY(recent->menuAction()->isEnabled());
        QStringList texts;
        for (QAction* action : recent->actions())
            texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
        QCOMPARE(texts.size(), 4);
        QCOMPARE(QSet<QString>(texts.begin(), texts.begin() + 2),
                 (QSet<QString>{"walk.kw", "run.kw"}));
        QCOMPARE(texts.mid(2), (QStringList{"|", "Clear"}));

        // A path that cannot be read is reported and leaves the list.
        recent->actions().at(0)->trigger();
        QCOMPARE(f.asked.size(), 1);
        QCOMPARE(settings->recentFiles().size(), 1);

        recent->actions().last()->trigger();
        QVERIFY(settings->recentFiles().isEmpty());
        emit file->aboutToShow();
        QVERIFY(!recent->menuAction()->isEnabled());
    }

    void viewEntriesZoomAndTurnTheCanvas_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<double>("angle");
        QTest::newRow("Ctrl+2") << "Ctrl+2" << 2.0 << 0.0;
        QTest::newRow("Ctrl+3") << "Ctrl+3" << 4.0 << 0.0;
        QTest::newRow("Ctrl+4") << "Ctrl+4" << 8.0 << 0.0;
        QTest::newRow("Ctrl+5") << "Ctrl+5" << 16.0 << 0.0;
        QTest::newRow("Ctrl+6") << "Ctrl+6" << 0.5 << 0.0;
        QTest::newRow("Ctrl+7") << "Ctrl+7" << 0.25 << 0.0;
        QTest::newRow("Ctrl+8") << "Ctrl+8" << 0.125 << 0.0;
        QTest::newRow("Ctrl+9") << "Ctrl+9" << 0.0625 << 0.0;
        QTest::newRow(">") << ">" << 1.0 << -15.0;
        QTest::newRow("<") << "<" << 1.0 << 15.0;
        QTest::newRow("Num+8 north") << "Num+8" << 1.0 << 0.0;
        QTest::newRow("Num+9 north east") << "Num+9" << 1.0 << -45.0;
        QTest::newRow("Num+6 east") << "Num+6" << 1.0 << -90.0;
        QTest::newRow("Num+3 south east") << "Num+3" << 1.0 << -135.0;
        QTest::newRow("Num+2 south") << "Num+2" << 1.0 << 180.0;
        QTest::newRow("Num+1 south west") << "Num+1" << 1.0 << 135.0;
        QTest::newRow("Num+4 west") << "Num+4" << 1.0 << 90.0;
        QTest::newRow("Num+7 north west") << "Num+7" << 1.0 << 45.0;
    }

    void viewEntriesZoomAndTurnTheCanvas()
    {
        QFETCH(QString, keys);
        QFETCH(double, zoom);
        QFETCH(double, angle);
        MainWindowFixture& f = *m_window;
        auto* paper = f.window->findChild<UI::Paper*>(QStringLiteral("scrollAreaWidgetContents"));
        QVERIFY(paper);
        paper->setZoomLevel(1.0);
        // The compass entries start from a turned view, so that North shows.
        paper->rotatePaperTo(keys.startsWith(QLatin1String("Num")) ? 30.0 : 0.0);

        QAction* entry = entryWithShortcut(f.window->menuBar(), QKeySequence(keys));
        QVERIFY2(entry, qPrintable(keys));
        entry->trigger();
        QVERIFY2(std::abs(paper->zoomLevel() - zoom) < 1e-9, qPrintable(QString::number(paper->zoomLevel())));
        double turned = std::fmod(paper->viewAngle(), 360.0);
        if (turned <= -180.0)
            turned += 360.0;
        if (turned > 180.0)
            turned -= 360.0;
        QVERIFY2(std::abs(turned - angle) < 1e-9, qPrintable(QString::number(turned)));
    }

    // A right click on the sheet: on a drawing its menu, on the row past a
    // layer's end the layer's menu (and the layer becomes active), on the
    // sound the sheet's options. The menus come up without blocking and the
    // ones made for the click go when they close.
    void sheetContextMenus_data()
    {
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("layer");
        QTest::addColumn<QString>("begins");
        QTest::addColumn<bool>("kept");
        QTest::newRow("drawing") << 1 << 0
                                 << "AddCloneDrawing, AddBlankDrawing, InsertBlankDrawing, |, "
                                    "TurnCloneIntoOriginal"
                                 << false;
        QTest::newRow("past the layer's end") << 2 << 0
                                              << "NewLayer, DuplicateActiveLayer, |, "
                                                 "DiscardActiveLayer, |, MergeLayerDown, |, "
                                                 "NewPaintLayer, NewPaintLayerWithCloneStructure, |, \""
                                              << false;
        QTest::newRow("sound") << 1 << 1 << "" << true;
    }
    void sheetContextMenus()
    {
        QFETCH(int, frame);
        QFETCH(int, layer);
        QFETCH(QString, begins);
        QFETCH(bool, kept);
        MainWindowFixture f;
        QVERIFY(f.scene());
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        auto* sheet = f.window->findChild<UI::XSheet*>();
        QVERIFY(sheet);
        QVERIFY(f.scene()->isAudioLayer(1) || layer != 1);
        const QPoint at(sheet->columnViewportPosition(layer) + sheet->columnWidth(layer) / 2,
                        sheet->rowViewportPosition(frame - 1) + sheet->rowHeight() / 2);
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, sheet->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(sheet->viewport(), &click);

        QPointer<QMenu> menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        if (!begins.isEmpty())
            QVERIFY2(entries(menu).startsWith(begins), qPrintable(entries(menu)));
        if (layer == 0)
            QCOMPARE(f.scene()->activeLayerIdx(), 0);
        menu->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(bool(menu), kept);
    }

private:
    std::unique_ptr<MainWindowFixture> m_window;
};

QUILLMERE_TEST_MAIN(TestMainWindowMenus)
#include "tst_mainwindowmenus.moc"
