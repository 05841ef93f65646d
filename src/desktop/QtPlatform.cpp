#include "QtPlatform.h"

QtPlatform::QtPlatform()
    : m_platform { m_dialogs, m_tray, m_shellLink, m_clock, m_notifier }
{ }
