#include "FakeClock.h"
