#include "GaugeModel.h"
