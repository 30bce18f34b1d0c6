#include "MainWindowSceneFixture.h"

#include "TestSupport.h"

#include "actions/ActionManager.h"
#include "tools/ToolManager.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMetaEnum>
#include <QMimeData>

namespace {

QAction* action(KW::Action id)
{
    return Model::ActionManager::instance()->action(id);
}

KW::Action actionNamed(const QString& name)
{
    bool ok = false;
    const int value = QMetaEnum::fromType<KW::Action>().keyToValue(name.toLatin1().constData(), &ok);
    return ok ? KW::Action(value) : KW::Action::NoAction;
}

void setClipboard(QMimeData* data)
{
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
    QCoreApplication::processEvents();
}

} // namespace

class TestMainWindowEdit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_window = std::make_unique<MainWindowFixture>(); }
    void cleanupTestCase() { m_window.reset(); }

    // Each action with a handler, triggered once on the small scene:
    //   0 "Ink"    A . B *     1 "Paper"  C . *    (range 1-4)
    // The selection is on Ink frames first..last (0 for none); the current
    // cell is on Ink at the given frame (5 is the virtual last frame).
    void everyActionKeepsTheSceneConsistent_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<bool>("edits");
        const auto row = [](const char* tag, const char* name, int frame, int first, int last,
                            bool edits) {
            QTest::newRow(tag) << QString::fromLatin1(name) << frame << first << last << edits;
        };
        row("add clone", "AddCloneDrawing", 1, 0, 0, true);
        row("add clone, selection", "AddCloneDrawing", 1, 1, 2, true);
        row("add clone, virtual frame", "AddCloneDrawing", 5, 0, 0, true);
        row("delete clone", "DeleteCloneDrawing", 2, 0, 0, true);
        row("add blank", "AddBlankDrawing", 1, 0, 0, true);
        row("add blank, selection", "AddBlankDrawing", 1, 1, 3, true);
        row("insert blank", "InsertBlankDrawing", 3, 0, 0, true);
        row("insert blank, virtual frame", "InsertBlankDrawing", 5, 0, 0, true);
        row("turn clone into original", "TurnCloneIntoOriginal", 4, 0, 0, true);
        row("turn clone, virtual frame", "TurnCloneIntoOriginal", 5, 0, 0, true);
        row("duplicate", "DuplicateDrawing", 1, 0, 0, true);
        row("duplicate, selection", "DuplicateDrawing", 1, 3, 4, true);
        row("cut", "CutDrawing", 1, 0, 0, true);
        row("cut, selection", "CutDrawing", 1, 1, 2, true);
        row("copy", "CopyDrawing", 1, 0, 0, false);
        row("paste", "PasteDrawing", 3, 0, 0, true);
        row("paste, selection", "PasteDrawing", 1, 2, 3, true);
        row("clear", "ClearDrawingMakingBlank", 1, 0, 0, true);
        row("clear, virtual frame", "ClearDrawingMakingBlank", 5, 0, 0, true);
        row("lose", "LoseDrawingMakingHold", 3, 0, 0, true);
        row("discard", "DiscardDrawing", 3, 0, 0, true);
        row("discard, selection", "DiscardDrawing", 1, 1, 4, true);
        row("back delete", "BackDeleteDrawing", 3, 0, 0, true);
        row("back delete on the range start", "BackDeleteDrawing", 1, 0, 0, false);
        row("select all", "SelectAllDrawings", 2, 0, 0, false);
        row("clone each once", "CloneEachSelectedDrawingOnce", 1, 1, 3, true);
        row("clone each once, no selection", "CloneEachSelectedDrawingOnce", 1, 0, 0, false);
        row("cycle", "CycleSelectedDrawingsOnce", 1, 1, 3, true);
        row("collapse", "CollapseVectorData", 1, 0, 0, true);
        row("play loop", "PlayLoop", 1, 0, 0, false);
        row("play backwards", "PlayBackwards", 1, 0, 0, false);
        row("play stop and stay", "PlayStopAndStay", 1, 0, 0, false);
        // Tools: a choice of tool is no edit of the scene ...
        for (const char* tool : {"Draw", "Erase", "Marker", "RubberEraser", "Pan", "Zoom", "Rotate",
                                 "OffPegs", "Lasso", "Cutter", "DrawEraseToggle"})
            row(tool, tool, 1, 0, 0, false);
        // ... but picking a drawing up is, and so is dropping it again.
        row("pick up all", "PickUpAllOfThisDrawing", 1, 0, 0, true);
        row("pick up all, virtual frame", "PickUpAllOfThisDrawing", 5, 0, 0, false);
        row("get the floating selection back", "GetLatestFloatingSelectionBack", 1, 0, 0, false);
        // Frames, layers and key drawings.
        row("step forward", "StepForward", 1, 0, 0, true);
        row("jump to end", "JumpToEnd", 1, 0, 0, true);
        row("range start forward", "RangeStartStepForward", 1, 0, 0, true);
        row("range end back", "RangeEndStepBack", 1, 0, 0, true);
        row("mark key drawing", "MarkAsKeyDrawing", 1, 0, 0, true);
        row("new layer", "NewLayer", 1, 0, 0, true);
        row("duplicate layer", "DuplicateActiveLayer", 1, 0, 0, true);
        row("discard layer", "DiscardActiveLayer", 1, 0, 0, true);
        row("layer below", "LayerBelow", 1, 0, 0, true);
        row("layer link", "LayerLink", 1, 0, 0, true);
        row("unlink all", "UnlinkAllLayers", 1, 0, 0, false);
        // View and sound: nothing of the scene changes.
        for (const char* view : {"ResetView", "FitPaperToView", "ZoomIn", "ZoomOut", "ViewToX1",
                                 "GridOnOff", "MirrorView", "MuteAudio", "OnlyBacklightKeyFrames"})
            row(view, view, 1, 0, 0, false);
    }

    void everyActionKeepsTheSceneConsistent()
    {
        QFETCH(QString, name);
        QFETCH(int, frame);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(bool, edits);
        MainWindowSceneFixture f(*m_window);
        // Paste has the paper's first drawing to paste.
        setClipboard(f.bundle()->sceneModel()->createMimeData(f.small.cell(CommandScene::Paper, 1)));
        f.small.activate(CommandScene::Ink, frame);
        if (first > 0)
            f.select(CommandScene::Ink, first, last);
        QVERIFY(Consistency::problems(*f.scene()).isEmpty());

        const QStringList before = Structure::of(*f.scene());
        const int entries = f.stack()->count();
        QAction* triggered = action(actionNamed(name));
        QVERIFY(triggered);
        // The catalogue starts these disabled and nothing enables them; their
        // handlers still have to hold.
        if (name == QLatin1String("CloneEachSelectedDrawingOnce")
            || name == QLatin1String("CollapseVectorData"))
            triggered->setEnabled(true);
        const bool wasChecked = triggered->isChecked();
        triggered->trigger();
        QCoreApplication::processEvents();

        QCOMPARE(Consistency::problems(*f.scene()), QStringList());
        QCOMPARE(f.stack()->count() - entries, edits ? 1 : 0);
        if (edits) {
            QVERIFY(Structure::of(*f.scene()) != before);
            f.stack()->undo();
            QCOMPARE(Consistency::problems(*f.scene()), QStringList());
            QCOMPARE(Structure::of(*f.scene()), before);
        } else {
            QCOMPARE(Structure::of(*f.scene()), before);
        }
        // The window serves the next case too: switches go back as they were.
        if (triggered->isCheckable() && triggered->isChecked() != wasChecked)
            triggered->trigger();
        if (Model::ToolManager::instance()->currentToolType() != Model::Tool::Draw)
            action(KW::Action::Draw)->trigger();
    }

    void copyingEnablesPasteByTheDrawingsItHolds()
    {
        MainWindowSceneFixture f(*m_window);
        QAction* paste = action(KW::Action::PasteDrawing);
        f.select(CommandScene::Ink, 1, 2);
        action(KW::Action::CopyDrawing)->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(f.scene()->numDrawingsInPaste(QGuiApplication::clipboard()->mimeData()), 2);
        QVERIFY(paste->isEnabled());
        QCOMPARE(paste->text(), QStringLiteral("Paste Drawings"));

        auto* text = new QMimeData;
        text->setText(QStringLiteral("not a drawing"));
        setClipboard(text);
        QVERIFY(!paste->isEnabled());
        QCOMPARE(paste->text(), QStringLiteral("Paste Drawing"));
    }

    void cutAndPasteAcrossLayersRoundTrips()
    {
        MainWindowSceneFixture f(*m_window);
        const QStringList before = Structure::of(*f.scene());
        // What the drawing shows; its name stays behind.
        const auto strokes = [](const std::shared_ptr<Model::Drawing>& drawing) {
            return Structure::content(drawing.get()).section(QLatin1Char(' '), 3);
        };
        const QString drawing = strokes(f.small.ink->layerItem(3)->drawing);

        f.small.activate(CommandScene::Ink, 3);
        action(KW::Action::CutDrawing)->trigger();
        QCOMPARE(f.small.kinds(CommandScene::Ink), QStringLiteral("OHC"));

        f.small.activate(CommandScene::Paper, 1);
        action(KW::Action::PasteDrawing)->trigger();
        QCOMPARE(strokes(f.small.paper->layerItem(1)->drawing), drawing);
        QCOMPARE(Consistency::problems(*f.scene()), QStringList());

        while (f.stack()->canUndo())
            f.stack()->undo();
        // The test moved the active cell by hand, past the undo stack.
        QCOMPARE(Structure::of(*f.scene()).mid(1), before.mid(1));
    }

    void selectionTurnsTheEditTextsToTheSelectedDrawings()
    {
        MainWindowSceneFixture f(*m_window);
        f.select(CommandScene::Ink, 1, 3);
        QVERIFY(action(KW::Action::CycleSelectedDrawingsOnce)->isEnabled());
        QCOMPARE(action(KW::Action::CopyDrawing)->text(), QStringLiteral("Copy Selected Drawings"));
        action(KW::Action::ClearDrawingMakingBlank)->trigger();
        QVERIFY2(f.bundle()->hasSelection(), "clearing keeps the selection");
        action(KW::Action::DuplicateDrawing)->trigger();
        QVERIFY(!f.bundle()->hasSelection());
        QVERIFY(!action(KW::Action::CycleSelectedDrawingsOnce)->isEnabled());
        QCOMPARE(action(KW::Action::CopyDrawing)->text(), QStringLiteral("Copy Drawing"));
    }

    void selectAllTakesTheLayerAndItsVirtualCell()
    {
        MainWindowSceneFixture f(*m_window);
        f.small.activate(CommandScene::Paper, 2);
        action(KW::Action::SelectAllDrawings)->trigger();
        // The three cells and the virtual one after them, which the sheet
        // shows but does not offer as a selected cell.
        const QItemSelection selection = f.bundle()->selectionModel()->selection();
        QCOMPARE(selection.size(), 1);
        QCOMPARE(selection.first().top(), 0);
        QCOMPARE(selection.first().bottom(), 3);
        QCOMPARE(selection.first().left(), CommandScene::Paper);
        QCOMPARE(selection.first().right(), CommandScene::Paper);

        f.bundle()->clearSelection();
        f.bundle()->selectionModel()->setCurrentIndex(f.shown(CommandScene::Sound, 1),
                                                      QItemSelectionModel::NoUpdate);
        action(KW::Action::SelectAllDrawings)->trigger();
        QVERIFY(!f.bundle()->hasSelection());
    }

    void cloneEachOnceSelectsTheOriginalsAndTheirClones()
    {
        MainWindowSceneFixture f(*m_window);
        f.select(CommandScene::Ink, 1, 2);
        f.window->onActionCloneEachSelectedDrawingOnce();
        const QModelIndexList selected = f.bundle()->selectionModel()->selectedIndexes();
        QCOMPARE(selected.size(), 4);
        for (const QModelIndex& index : selected)
            QCOMPARE(index.column(), CommandScene::Ink);
    }

private:
    std::unique_ptr<MainWindowFixture> m_window;
};

QUILLMERE_TEST_MAIN(TestMainWindowEdit)
#include "tst_mainwindowedit.moc"
