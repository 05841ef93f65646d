#include "Palette.h"

#include <QHash>
#include <QRegularExpression>
#include <QWidget>

namespace {

const QHash<QString, QColor> &colours()
{
    static const QHash<QString, QColor> table {
        { QStringLiteral("ink"), QColor(0x10, 0x26, 0x3d) }, // captions and labels
        { QStringLiteral("ground"), QColor(0xe6, 0xf1, 0xf0) }, // window grounds
        { QStringLiteral("teal"), QColor(0x14, 0x7a, 0x80) }, // buttons, borders, selection
        { QStringLiteral("deepteal"), QColor(0x0f, 0x5e, 0x63) }, // counts, pressed buttons
        { QStringLiteral("edge"), QColor(0x0b, 0x3d, 0x40) }, // button and field edges
        { QStringLiteral("focus"), QColor(0xf4, 0xc5, 0x42) }, // keyboard focus
        { QStringLiteral("alert"), QColor(0xd0, 0x18, 0x18) }, // the close mark
        { QStringLiteral("white"), QColor(0xff, 0xff, 0xff) }, // button captions
        { QStringLiteral("pressedcaption"), QColor(0xff, 0xe0, 0x8a) },
        { QStringLiteral("screen"), QColor(0x00, 0xff, 0x66) }, // text on the black boxes
        { QStringLiteral("screenground"), QColor(0x00, 0x00, 0x00) },
        { QStringLiteral("disabled"), QColor(0x8f, 0xb9, 0xb6) }, // a disabled button
        { QStringLiteral("disablededge"), QColor(0x7a, 0xa8, 0xa5) },
        { QStringLiteral("greyed"), QColor(0x80, 0x80, 0x80) }, // a disabled field
        { QStringLiteral("greyedground"), QColor(0xc0, 0xc0, 0xc0) },
        { QStringLiteral("listblue"), QColor(0x3d, 0x7b, 0xff) }, // the account list
        { QStringLiteral("listselection"), QColor(0x1d, 0x4f, 0xd0) },
    };
    return table;
}

} // namespace

QColor Palette::color(const QString &name)
{
    return colours().value(name, QColor(Qt::black));
}

QString Palette::style(const QString &sheet)
{
    static const QRegularExpression name(QStringLiteral("\\$([a-z]+)"));
    QString result;
    qsizetype last = 0;
    for (const QRegularExpressionMatch &match : name.globalMatch(sheet)) {
        result += QStringView(sheet).mid(last, match.capturedStart() - last);
        result += color(match.captured(1)).name();
        last = match.capturedEnd();
    }
    result += QStringView(sheet).mid(last);
    return result;
}

void Palette::useWindowGround(QWidget *window)
{
    QPalette colours = window->palette();
    colours.setColor(QPalette::Window, color(QStringLiteral("ground")));
    window->setPalette(colours);
}

QFont Palette::layoutFont(const QFont &base, qreal points)
{
    QFont font = base;
    font.setPixelSize(qRound(points * 96.0 / 72.0));
    return font;
}

void Palette::useLayoutFont(QWidget *window)
{
    window->setFont(layoutFont(QFont(), 9));
}
