#include "base/Win32Geometry.h"
