#pragma once

#include <QString>

namespace Model {

// The program's version, from the project's build description: what the
// About box shows and what files the program writes record as their origin.
QString version();

// Start-up of the model library: registers its resources and readies, in a
// fixed order, the tables and singletons the rest of the program expects to
// find; the application's version becomes version(). Called once from main after the application object exists; later calls
// do nothing until shutdown().
void init();

// Marks the library as not started, so that a later init() runs its steps
// again on the same singletons. Releases nothing: the singletons live until the
// process ends.
void shutdown();

} // namespace Model
