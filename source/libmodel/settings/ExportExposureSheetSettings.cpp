#include "settings/ExportExposureSheetSettings.h"
