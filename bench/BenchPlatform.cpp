#include "BenchPlatform.h"

void BenchGlint::apply()
{
    if (InTray() == m_shown)
        return;
    m_shown = InTray();
    if (onChange)
        onChange(m_shown);
}

Glint *BenchTrayHost::createGlint(QObject *parent)
{
    auto *glint = new BenchGlint(parent);
    if (!first)
        first = glint;
    return glint;
}

BenchPlatform::BenchPlatform()
    : m_platform { m_dialogs, tray, m_shellLink, m_clock, m_notifier }
{ }
