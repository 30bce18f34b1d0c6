#include "settings/ExportFramesSettings.h"
