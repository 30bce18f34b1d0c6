#pragma once

#include <QApplication>
#include <QPointingDevice>

// Turns the platform's file-open requests and tablet proximity into signals
// the main window listens to.
class Application : public QApplication
{
    Q_OBJECT

public:
    Application(int& argc, char** argv);

signals:
    void requestFileOpen(QString filename);
    void tabletPointerTypeChanged(QPointingDevice::PointerType type);

protected:
    bool event(QEvent* e) override;
};
