#pragma once

// How a process timed by bench_startup says that its window is up: once the
// window is exposed and ready() holds, the event loop is given one more turn
// for what start-up queued, and then the word below goes to the standard
// output and the process ends at once (winding down is not start-up).
#include <QAbstractEventDispatcher>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace StartupIdle {

inline constexpr char Word[] = "idle";

inline void reportWhenIdle(QWidget* window, std::function<bool()> ready)
{
    auto* dispatcher = QAbstractEventDispatcher::instance();
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, window,
                                   [window, ready, connection] {
        QWindow const* handle = window->windowHandle();
        if (!handle || !handle->isExposed() || !ready())
            return;
        QObject::disconnect(*connection);
        QTimer::singleShot(0, [] {
            std::printf("%s\n", Word);
            std::fflush(stdout);
            std::_Exit(0);
        });
    });
}

} // namespace StartupIdle
