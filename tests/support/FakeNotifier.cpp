#include "FakeNotifier.h"
