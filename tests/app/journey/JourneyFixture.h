#pragma once

// The program as a user meets it: a real main window started as `main` starts
// it without an argument, shown on the test's X server, driven only through
// what a user touches — a synthesised pen and eraser on the canvas, mouse
// drags on the exposure sheet, the catalogue's actions (the menu entries and
// their keys) — and with every modal question, file dialog and option dialog
// answered by the test through the one prompt seam.

#include "../../libmodel/files/SceneFileFixtures.h"
#include "../mainwindow/MainWindowFixture.h"
#include "TestSupport.h"

#include "actions/ActionManager.h"
#include "application/StartupScene.h"
#include "canvas/Paper.h"
#include "common/Animations.h"
#include "mainwindow/MainWindow.h"
#include "models/FrameRangeModel.h"
#include "prompts/Prompter.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "settings/Settings.h"
#include "settings/KW.h"
#include "xsheet/XSheet.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QTest>
#include <QUndoStack>

#include <cmath>
#include <functional>
#include <memory>

namespace Journey {

// The window's libraries, as the window tests start them, with animations
// off so that what a step shows is there at once.
inline void startLibraries()
{
    MainWindowFixture::startLibraries();
    UI::Animations::setEnabled(false);
}

inline const QPointingDevice* stylus(QPointingDevice::PointerType type)
{
    static QPointingDevice pen(QStringLiteral("journey pen"), 2001, QInputDevice::DeviceType::Stylus,
                               QPointingDevice::PointerType::Pen,
                               QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1,
                               2);
    static QPointingDevice eraser(QStringLiteral("journey eraser"), 2001, QInputDevice::DeviceType::Stylus,
                                  QPointingDevice::PointerType::Eraser,
                                  QInputDevice::Capability::Position | QInputDevice::Capability::Pressure,
                                  1, 2);
    return type == QPointingDevice::PointerType::Eraser ? &eraser : &pen;
}

// Every request the program made of the user, in order, with the answer the
// test gave. Without an answer for a kind, a request is taken as cancelled.
struct Prompts
{
    struct Asked
    {
        Model::Prompter::Kind kind;
        QString title;
        QString text;
    };

    Prompts()
    {
        Model::Prompter::setHandler([this](Model::Prompter::Request const& request) {
            asked.append({request.kind, request.title, request.text});
            return answer ? answer(request) : Model::Prompter::Reply{};
        });
    }
    ~Prompts() { Model::Prompter::setHandler({}); }

    QStringList texts() const
    {
        QStringList all;
        for (Asked const& a : asked)
            all << a.text;
        return all;
    }

    QList<Asked> asked;
    std::function<Model::Prompter::Reply(Model::Prompter::Request const&)> answer;
};

inline Model::Prompter::Reply fileReply(QString const& path)
{
    Model::Prompter::Reply reply;
    reply.files << path;
    return reply;
}

struct Window
{
    Window()
    {
        startLibraries();
        window = std::make_unique<MainWindow>();
        // Started without an argument, as `main` starts it.
        openStartupScene(window.get(), {QStringLiteral("quillmere")});
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_VERIFY(window->quillmereScene());
        paper = window->findChild<UI::Paper*>();
        sheet = window->findChild<UI::XSheet*>();
        QVERIFY(paper);
        QVERIFY(sheet);
        // The first show's layout runs from the event loop.
        QVERIFY(TestSupport::deliverPostedEvents());
    }

    ~Window()
    {
        if (window)
            window->close();
        window.reset();
    }

    Model::Scene* scene() const { return window->quillmereScene(); }
    QUndoStack* undo() const { return scene()->undoStack(); }

    // A menu entry or its key: the catalogue's action, as the menus show it.
    static QAction* action(KW::Action id) { return Model::ActionManager::instance()->action(id); }
    void trigger(KW::Action id)
    {
        QAction* a = action(id);
        QVERIFY(a);
        QVERIFY2(a->isEnabled(), qPrintable(a->text()));
        a->trigger();
        QCoreApplication::processEvents();
    }

    // Where a point of the frame, in frame pixels, shows on the canvas.
    QPointF onCanvas(QPointF framePoint) const
    {
        return paper->viewTransform().inverted().map(framePoint);
    }
    // A point of the frame given as fractions of its width and height.
    QPointF at(double x, double y) const
    {
        return onCanvas(QPointF(x * scene()->frameWidth(), y * scene()->frameHeight()));
    }

    bool tablet(QEvent::Type type, QPointF pos, QPointingDevice::PointerType pointer, double pressure)
    {
        Qt::MouseButton const button = type == QEvent::TabletMove ? Qt::NoButton : Qt::LeftButton;
        Qt::MouseButtons const buttons = type == QEvent::TabletRelease ? Qt::NoButton : Qt::LeftButton;
        QTabletEvent event(type, stylus(pointer), pos, paper->mapToGlobal(pos), pressure, 0, 0, 0, 0, 0,
                           Qt::NoModifier, button, buttons);
        event.setTimestamp(clock += 8);
        QApplication::sendEvent(paper, &event);
        return event.isAccepted();
    }

    // A pen (or eraser) stroke along a straight line on the canvas, the
    // event loop running between samples as it does under a real hand.
    void stroke(QPointF from, QPointF to,
                QPointingDevice::PointerType pointer = QPointingDevice::PointerType::Pen)
    {
        clock += 2000;
        int const steps = 24;
        tablet(QEvent::TabletPress, from, pointer, 1.0);
        for (int i = 1; i <= steps; ++i) {
            tablet(QEvent::TabletMove, from + (to - from) * (double(i) / steps), pointer, 1.0);
            QTest::qWait(2);
        }
        tablet(QEvent::TabletRelease, to, pointer, 0.0);
        QVERIFY(TestSupport::deliverPostedEvents());
    }

    // The places of the three drawings a user makes on the canvas as it
    // shows at start: one line each across the left, middle and right.
    QPointF strokeStart(int frame) const
    {
        return QPointF((0.12 + 0.3 * (frame - 1)) * paper->width(), 0.5 * paper->height());
    }
    QPointF strokeEnd(int frame) const { return strokeStart(frame) + QPointF(0.16 * paper->width(), 0); }
    QPointF strokeMiddle(int frame) const { return (strokeStart(frame) + strokeEnd(frame)) / 2; }

    // A line on each of frames 1, 2 and 3 with the pen, each next frame
    // chosen on the sheet: the empty row past the last drawing, where the
    // pen makes a new drawing.
    void drawThreeFrames()
    {
        for (int frame = 1; frame <= 3; ++frame) {
            goToFrame(frame);
            QCOMPARE(scene()->activeFrame(), frame);
            stroke(strokeStart(frame), strokeEnd(frame));
        }
    }

    // A click on the first layer's cell of a frame.
    void goToFrame(int frame)
    {
        clickOnSheet(cell(frame, 0));
        QCOMPARE(scene()->activeFrame(), frame);
    }

    QImage canvasPicture() const { return paper->grab().toImage(); }

    // The darkest grey value within a few pixels of a canvas point.
    int darkestNear(QImage const& picture, QPointF pos, int radius = 3) const
    {
        int darkest = 255;
        QPoint const c = (pos * picture.devicePixelRatio()).toPoint();
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx)
                if (picture.rect().contains(c + QPoint(dx, dy)))
                    darkest = std::min(darkest, qGray(picture.pixel(c + QPoint(dx, dy))));
        return darkest;
    }

    // The exposure sheet's cell of a frame (1-based) and layer, in its
    // viewport's coordinates.
    QPoint cell(int frame, int layer) const
    {
        int const row = frame - 1;
        return QPoint(sheet->columnViewportPosition(layer) + sheet->columnWidth(layer) / 2,
                      sheet->rowViewportPosition(row) + sheet->rowHeight() / 2);
    }

    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButtons buttons)
    {
        QWidget* viewport = sheet->viewport();
        Qt::MouseButton const button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(pos), QPointF(viewport->mapToGlobal(pos)), button, buttons,
                          Qt::NoModifier);
        event.setTimestamp(clock += 20);
        QApplication::sendEvent(viewport, &event);
    }

    // A mouse drag on the sheet from one cell to another.
    void dragOnSheet(QPoint from, QPoint to)
    {
        clock += 2000;
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
        mouse(QEvent::MouseMove, from + QPoint(0, to.y() >= from.y() ? 6 : -6), Qt::LeftButton);
        mouse(QEvent::MouseMove, to, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
        QCoreApplication::processEvents();
    }

    void clickOnSheet(QPoint at)
    {
        clock += 2000;
        mouse(QEvent::MouseButtonPress, at, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, at, Qt::NoButton);
        QCoreApplication::processEvents();
    }

    std::unique_ptr<MainWindow> window;
    UI::Paper* paper = nullptr;
    UI::XSheet* sheet = nullptr;
    quint64 clock = 1000000;
};

// The first layer's cells as letters: 'D' a drawing, '.' a hold, '*' a
// distant clone; a key drawing in lower case; '~' marks a cell off the pegs.
inline QString cells(Model::Scene* scene, int layer = 0)
{
    QStringList const lines = SceneFiles::describe(*scene);
    QString text;
    QString const prefix = QStringLiteral("layer %1 ").arg(layer);
    bool inLayer = false;
    for (QString const& line : lines) {
        if (line.startsWith(QStringLiteral("layer "))) {
            inLayer = line.startsWith(prefix);
            continue;
        }
        if (!inLayer || !line.contains(QStringLiteral(" kind ")))
            continue;
        QStringList const words = line.simplified().split(QLatin1Char(' '));
        // "<frame> kind <k> key <0|1> <transform> ..."
        int const kind = words.at(2).toInt();
        bool const key = words.at(4) == QLatin1String("1");
        QChar c = kind == 0 ? QLatin1Char('D') : kind == 1 ? QLatin1Char('.') : QLatin1Char('*');
        text += key ? c.toLower() : c;
        if (words.at(5) != QLatin1String("identity"))
            text += QLatin1Char('~');
    }
    return text;
}

} // namespace Journey
