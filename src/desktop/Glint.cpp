#include "Glint.h"

void Glint::setTiptext(const QString &text)
{
    if (text == m_tiptext)
        return;
    m_tiptext = text;
    apply();
}

void Glint::setImagenumber(int number)
{
    if (number == m_imagenumber)
        return;
    m_imagenumber = number;
    apply();
}

void Glint::setImagelist(const QList<QIcon> &icons)
{
    m_imagelist = icons;
    apply();
}

void Glint::setInTray(bool inTray)
{
    if (inTray == m_inTray)
        return;
    m_inTray = inTray;
    apply();
}

QIcon Glint::currentIcon() const
{
    const int index = m_imagenumber - 1;
    return index >= 0 && index < m_imagelist.size() ? m_imagelist.at(index) : QIcon();
}
