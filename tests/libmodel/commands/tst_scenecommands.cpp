// Scene, timing and tool commands and their merging.
#include "CommandFixture.h"

#include "commands/ChangeFrameSize.h"
#include "commands/ChangeSceneSettings.h"
#include "commands/ChangeToolType.h"
#include "commands/SetAudioOffset.h"
#include "commands/SetFrameRate.h"
#include "startup/Init.h"
#include "tools/ToolManager.h"

class TestSceneCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Model::init(); }

    void frameRateMergesAndGoesWhenBack();
    void audioOffsetTexts_data();
    void audioOffsetTexts();
    void audioOffsetMerges();
    void toolTypeChanges();
    void frameSizeUndoFillsTheOldFrame();
    void sceneSettingsAsOneEntry();
};

void TestSceneCommands::frameRateMergesAndGoesWhenBack()
{
    CommandScene f;
    f.scene->setFrameRate(24);
    QVERIFY(!f.push(new Commands::SetFrameRate(&f.bundle, 24)));
    QVERIFY(f.push(new Commands::SetFrameRate(&f.bundle, 25)));
    QCOMPARE(f.scene->frameRate(), 25.0);
    f.push(new Commands::SetFrameRate(&f.bundle, 12));
    QCOMPARE(f.stack->count(), 1);
    f.undo();
    QCOMPARE(f.scene->frameRate(), 24.0);
    f.redo();
    QCOMPARE(f.scene->frameRate(), 12.0);
    f.push(new Commands::SetFrameRate(&f.bundle, 24));
    QCOMPARE(f.stack->count(), 0);
    QCOMPARE(f.scene->frameRate(), 24.0);
    QVERIFY(!f.push(new Commands::SetFrameRate(nullptr, 30)));
}

void TestSceneCommands::audioOffsetTexts_data()
{
    QTest::addColumn<double>("offset");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << 0.0 << "Remove Audio Offset";
    QTest::newRow("within 1e-12 of zero") << 5e-13 << "Remove Audio Offset";
    QTest::newRow("negative, within 1e-12") << -1e-12 << "Remove Audio Offset";
    QTest::newRow("just beyond") << 2e-12 << "Set Audio Offset";
    QTest::newRow("frames") << -3.5 << "Set Audio Offset";
}

void TestSceneCommands::audioOffsetTexts()
{
    QFETCH(double, offset);
    QFETCH(QString, text);

    CommandScene f;
    f.scene->setAudioOffsetFrames(7);
    QCOMPARE(Commands::SetAudioOffset(f.scene, offset).text(), text);
}

void TestSceneCommands::audioOffsetMerges()
{
    CommandScene f;
    QVERIFY(!f.push(new Commands::SetAudioOffset(f.scene, 0)));
    QVERIFY(f.push(new Commands::SetAudioOffset(f.scene, 4)));
    QCOMPARE(f.stack->text(0), QStringLiteral("Set Audio Offset"));
    f.push(new Commands::SetAudioOffset(f.scene, 6));
    QCOMPARE(f.stack->count(), 1);
    QCOMPARE(f.scene->audioOffsetFrames(), 6.0);
    f.undo();
    QCOMPARE(f.scene->audioOffsetFrames(), 0.0);
    f.redo();

    f.scene->setAudioOffsetFrames(6);
    f.stack->clear();
    QVERIFY(f.push(new Commands::SetAudioOffset(f.scene, 0)));
    QCOMPARE(f.stack->text(0), QStringLiteral("Remove Audio Offset"));
    f.push(new Commands::SetAudioOffset(f.scene, 2));
    QCOMPARE(f.stack->text(0), QStringLiteral("Set Audio Offset"));
    f.push(new Commands::SetAudioOffset(f.scene, 6));
    QCOMPARE(f.stack->count(), 0);
}

void TestSceneCommands::toolTypeChanges()
{
    CommandScene f;
    Model::ToolManager* const tools = Model::ToolManager::instance();
    tools->setCurrentTool(Model::Tool::Draw, Model::Tool::Usable);
    QVERIFY(!f.push(new Commands::ChangeToolType(&f.bundle, Model::Tool::Draw)));

    QVERIFY(f.push(new Commands::ChangeToolType(&f.bundle, Model::Tool::Erase)));
    QCOMPARE(f.stack->text(0), QStringLiteral("Change tool type"));
    QCOMPARE(tools->currentToolType(), Model::Tool::Erase);
    f.push(new Commands::ChangeToolType(&f.bundle, Model::Tool::FloatingSelection));
    QCOMPARE(f.stack->count(), 1);
    f.undo();
    QCOMPARE(tools->currentToolType(), Model::Tool::Draw);
    f.redo();
    QCOMPARE(tools->currentToolType(), Model::Tool::FloatingSelection);
    // Back to the tool the changes began from.
    f.push(new Commands::ChangeToolType(&f.bundle, Model::Tool::Draw));
    QCOMPARE(f.stack->count(), 0);
    QCOMPARE(tools->currentToolType(), Model::Tool::Draw);
}

void TestSceneCommands::frameSizeUndoFillsTheOldFrame()
{
    CommandScene f;
    QSize const old = f.scene->frameSize();
    QVERIFY(!f.push(new Commands::ChangeFrameSize(&f.bundle, old, KW::FitMode::FitModeKeepAspect,
                                                  nullptr)));
    QVERIFY(f.push(new Commands::ChangeFrameSize(&f.bundle, QSize(100, 100),
                                                 KW::FitMode::FitModeKeepAspect, nullptr)));
    QCOMPARE(f.scene->frameSize(), QSize(100, 100));
    QCOMPARE(f.ink->strokeDrawing(0)->size(), QSize(100, 100));

    // Undone the way a drawing resized by expanding comes back, compared
    // with what the scene itself does for each fit mode.
    Model::Scene reference;
    reference.setFrameSize(QSize(100, 100), KW::FitMode::FitModeKeepAspect, nullptr);
    auto copy = std::shared_ptr<Model::StrokeLayer>(
        static_cast<Model::StrokeLayer*>(f.ink->clone()));
    reference.addLayer(copy, 0);
    reference.setFrameSize(old, KW::FitMode::FitModeKeepAspectByExpanding, nullptr);
    f.undo();
    QCOMPARE(f.scene->frameSize(), old);
    QCOMPARE(f.ink->strokeDrawing(0)->buffer(), copy->strokeDrawing(0)->buffer());
}

void TestSceneCommands::sceneSettingsAsOneEntry()
{
    CommandScene f;
    f.scene->setFrameRate(24);
    QSize const old = f.scene->frameSize();
    QVERIFY(!f.push(new Commands::ChangeSceneSettings(&f.bundle, old,
                                                      KW::FitMode::FitModeStretch, 24, nullptr)));
    QVERIFY(f.push(new Commands::ChangeSceneSettings(&f.bundle, QSize(300, 200),
                                                     KW::FitMode::FitModeStretch, 12, nullptr)));
    QCOMPARE(f.stack->text(0), QStringLiteral("Change scene settings"));
    QCOMPARE(f.scene->frameRate(), 12.0);
    QCOMPARE(f.scene->frameSize(), QSize(300, 200));
    f.undo();
    QCOMPARE(f.scene->frameRate(), 24.0);
    QCOMPARE(f.scene->frameSize(), old);
}

QUILLMERE_TEST_MAIN(TestSceneCommands)

#include "tst_scenecommands.moc"
