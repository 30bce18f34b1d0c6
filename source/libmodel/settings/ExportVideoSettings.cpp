#include "settings/ExportVideoSettings.h"
