#include "base/Geometry.h"
