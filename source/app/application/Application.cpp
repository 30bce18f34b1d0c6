#include "application/Application.h"

#include <QFileOpenEvent>
#include <QTabletEvent>

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool Application::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::FileOpen:
        emit requestFileOpen(static_cast<QFileOpenEvent*>(e)->file());
        return QApplication::event(e);
    case QEvent::TabletEnterProximity: {
        const QPointingDevice* device = static_cast<QTabletEvent*>(e)->pointingDevice();
        if (device && (device->pointerType() == QPointingDevice::PointerType::Eraser
                       || device->pointerType() == QPointingDevice::PointerType::Pen))
            emit tabletPointerTypeChanged(device->pointerType());
        return true;
    }
    default:
        return QApplication::event(e);
    }
}
