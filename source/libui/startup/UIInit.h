#pragma once

namespace UI {

// Start-up of the widget library: registers its font once per process. Needs
// the application object.
void init();
void shutdown();

} // namespace UI
