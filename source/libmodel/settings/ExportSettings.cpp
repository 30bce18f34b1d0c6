#include "settings/ExportSettings.h"
