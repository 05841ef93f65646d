#include "TestPlatform.h"

TestPlatform::TestPlatform()
    : m_platform { dialogs, tray, shellLink, clock, notifier }
{ }
