#include "FakeShellLink.h"
