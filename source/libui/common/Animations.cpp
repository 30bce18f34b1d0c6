#include "common/Animations.h"

#include <atomic>

namespace UI {

namespace {
std::atomic<bool> g_enabled{true};
}

bool Animations::enabled()
{
    return g_enabled.load();
}

void Animations::setEnabled(bool enabled)
{
    g_enabled.store(enabled);
}

int Animations::duration(int ms)
{
    return enabled() ? ms : 0;
}

} // namespace UI
