#include "imaging/ByteSink.h"
