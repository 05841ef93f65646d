// Renders every window at the scale the test runs with (QT_SCALE_FACTOR) into
// build/screenshots/, as it shows on a plain desktop, on a dark one and with an 11 point desktop
// font, and checks what a user would notice first: captions cut off and texts that hardly stand
// out from the picture or the box behind them.
#include "WindowGallery.h"

#include "widgets/PictureButton.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QtTest>

namespace {

double luminance(const QColor &colour)
{
    const auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF())
        + 0.0722 * channel(colour.blueF());
}

// The contrast ratio of the accessibility guidelines: 1 (none) to 21 (black on white).
double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// The colour of the area the widget covers, the widget itself hidden.
QColor backgroundBehind(QWidget *widget)
{
    QWidget *window = widget->window();
    const QRect area(widget->mapTo(window, QPoint(0, 0)), widget->size());
    widget->hide();
    const QImage image = window->grab(area).toImage();
    widget->show();
    double red = 0, green = 0, blue = 0;
    const int pixels = image.width() * image.height();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            red += pixel.redF();
            green += pixel.greenF();
            blue += pixel.blueF();
        }
    }
    return QColor::fromRgbF(float(red / pixels), float(green / pixels), float(blue / pixels));
}

// The picture of a button without its caption.
QColor buttonFace(PictureButton *button)
{
    const QString caption = button->text();
    const QSignalBlocker quiet(button);
    button->setText(QString());
    const QImage image = button->grab().toImage();
    button->setText(caption);
    double red = 0, green = 0, blue = 0;
    int pixels = 0;
    // The middle half, where the caption is drawn, not the rounded corners.
    for (int y = image.height() / 4; y < image.height() * 3 / 4; ++y) {
        for (int x = image.width() / 4; x < image.width() * 3 / 4; ++x) {
            const QColor pixel = image.pixelColor(x, y);
            red += pixel.redF();
            green += pixel.greenF();
            blue += pixel.blueF();
            ++pixels;
        }
    }
    return QColor::fromRgbF(float(red / pixels), float(green / pixels), float(blue / pixels));
}

bool drawsSomething(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() > 0)
                return true;
    return false;
}

// 14 point, or bold 11 point, at 96 dpi; the windows size their fonts in pixels.
bool isLarge(const QFont &font)
{
    const int pixels = QFontInfo(font).pixelSize();
    return pixels >= 19 || (font.bold() && pixels >= 15);
}

// A desktop theme for the length of one test row: a dark palette (as Adwaita-dark or Breeze
// Dark give) or a larger desktop font.
class Theme
{
public:
    explicit Theme(const QString &name)
        : m_palette(QApplication::palette())
        , m_font(QApplication::font())
    {
        if (name == QLatin1String("dark")) {
            QPalette dark;
            const QColor ground(0x35, 0x35, 0x35);
            const QColor text(0xee, 0xee, 0xee);
            for (const auto role : { QPalette::Window, QPalette::Button, QPalette::AlternateBase,
                                     QPalette::ToolTipBase })
                dark.setColor(role, ground);
            dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
            for (const auto role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText,
                                     QPalette::ToolTipText, QPalette::BrightText })
                dark.setColor(role, text);
            dark.setColor(QPalette::PlaceholderText, QColor(0x99, 0x99, 0x99));
            dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
            dark.setColor(QPalette::HighlightedText, Qt::white);
            QApplication::setPalette(dark);
        } else if (name == QLatin1String("11pt")) {
            QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
        }
    }
    ~Theme()
    {
        QApplication::setPalette(m_palette);
        QApplication::setFont(m_font);
    }
    Theme(const Theme &) = delete;
    Theme &operator=(const Theme &) = delete;

private:
    QPalette m_palette;
    QFont m_font;
};

} // namespace

class tst_Screenshots : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void window_data();
    void window();
    void icons();
};

void tst_Screenshots::initTestCase()
{
    QVERIFY(QDir().mkpath(QStringLiteral(NOTAVO_SCREENSHOT_DIR)));
}

void tst_Screenshots::window_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("theme");
    for (const QString &theme : { QString(), QStringLiteral("dark"), QStringLiteral("11pt") })
        for (const QString &name : WindowGallery::names())
            QTest::newRow(qPrintable(theme.isEmpty() ? name : name + QLatin1Char('-') + theme))
                << name << theme;
}

void tst_Screenshots::window()
{
    QFETCH(QString, name);
    QFETCH(QString, theme);
    const Theme desktop(theme);
    WindowGallery gallery;
    QWidget *window = gallery.show(name);
    QVERIFY(window);

    const QPixmap picture = window->grab();
    const qreal scale = picture.devicePixelRatio();
    const QString file = QStringLiteral(NOTAVO_SCREENSHOT_DIR "/%1%2.png")
                             .arg(QString::fromLatin1(QTest::currentDataTag()),
                                  scale > 1 ? QStringLiteral("@%1x").arg(scale) : QString());
    QVERIFY(picture.save(file));
    QCOMPARE(picture.size(), window->size() * scale);

    QStringList problems;
    const auto check = [&problems](bool good, const QString &problem) {
        if (!good)
            problems.append(problem);
    };
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (!label->isVisibleTo(window) || label->text().isEmpty())
            continue;
        const QString what
            = name + QLatin1Char('/') + label->objectName() + QStringLiteral(": ") + label->text();
        const QFontMetrics metrics(label->font());
        const QRect room = label->contentsRect();
        if (label->wordWrap()) {
            check(label->heightForWidth(room.width()) <= room.height(),
                  what + QStringLiteral(" does not fit its lines"));
        } else {
            // The ink of the text, not the line height: a lone mark may fill its box.
            check(metrics.horizontalAdvance(label->text()) <= room.width()
                      && metrics.tightBoundingRect(label->text()).height() <= room.height(),
                  what + QStringLiteral(" is cut off"));
        }
        const QColor ink = label->palette().color(label->foregroundRole());
        const double ratio = contrast(ink, backgroundBehind(label));
        const double needed = isLarge(label->font()) ? 3.0 : 4.5;
        check(ratio >= needed, what + QStringLiteral(" has contrast %1").arg(ratio, 0, 'f', 1));
    }

    // Whatever the user types in: its text against its own ground.
    for (QWidget *box : window->findChildren<QWidget *>()) {
        if (!box->isVisibleTo(window) || !box->isEnabled())
            continue;
        auto *combo = qobject_cast<QComboBox *>(box);
        const bool typed
            = qobject_cast<QLineEdit *>(box) || qobject_cast<QAbstractScrollArea *>(box);
        if (!typed && !combo)
            continue;
        const QPalette colours = box->palette();
        const bool button = combo && !combo->isEditable();
        const double ratio = contrast(colours.color(button ? QPalette::ButtonText : QPalette::Text),
                                      colours.color(button ? QPalette::Button : QPalette::Base));
        check(ratio >= 4.5,
              name + QLatin1Char('/') + box->objectName() + QLatin1Char(' ')
                  + box->metaObject()->className()
                  + QStringLiteral(" text has contrast %1").arg(ratio, 0, 'f', 1));
    }

    for (PictureButton *button : window->findChildren<PictureButton *>()) {
        if (button->text().isEmpty())
            continue;
        const QString what = name + QLatin1Char('/') + button->objectName();
        QFont bold = button->font();
        bold.setBold(true);
        check(QFontMetrics(bold).horizontalAdvance(button->text()) <= button->width() - 4,
              what + QStringLiteral(" caption is cut off"));
        // Both faces: the pressed twin is drawn in its own caption colour.
        const bool pressed = button->picture().contains(QLatin1String("pressed"));
        const QColor ink = pressed ? QColor(0xff, 0xe0, 0x8a) : QColor(Qt::white);
        const double ratio = contrast(ink, buttonFace(button));
        check(ratio >= 3.0,
              what + QStringLiteral(" caption has contrast %1").arg(ratio, 0, 'f', 1));
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

// The program icon and the two tray icons at the sizes desktops draw them, side by side on a
// light and on a dark panel: every one must draw something at every size.
void tst_Screenshots::icons()
{
    const QList<int> sizes { 16, 22, 24, 32, 48, 64 };
    const QStringList pictures { QStringLiteral(":/pictures/notavo.svg"),
                                 QStringLiteral(":/pictures/tray-new-message.svg"),
                                 QStringLiteral(":/pictures/tray-background.svg") };
    const int cell = 72;
    const qreal scale = qApp->devicePixelRatio();
    QImage sheet(QSize(cell * int(sizes.size()), cell * int(pictures.size()) * 2) * scale,
                 QImage::Format_ARGB32);
    sheet.setDevicePixelRatio(scale);
    QPainter painter(&sheet);
    const QSizeF area = sheet.deviceIndependentSize();
    painter.fillRect(QRectF(0, 0, area.width(), area.height() / 2), QColor(0xf0, 0xf0, 0xf0));
    painter.fillRect(QRectF(0, area.height() / 2, area.width(), area.height() / 2),
                     QColor(0x20, 0x20, 0x20));
    for (int row = 0; row < pictures.size() * 2; ++row) {
        const QIcon icon(pictures.at(row % pictures.size()));
        for (int column = 0; column < sizes.size(); ++column) {
            const int size = sizes.at(column);
            const QPixmap pixmap = icon.pixmap(QSize(size, size), scale);
            QVERIFY2(drawsSomething(pixmap.toImage()),
                     qPrintable(pictures.at(row % pictures.size())));
            painter.drawPixmap(column * cell + (cell - size) / 2, row * cell + (cell - size) / 2,
                               pixmap);
        }
    }
    painter.end();
    QVERIFY(sheet.save(QStringLiteral(NOTAVO_SCREENSHOT_DIR "/icons%1.png")
                           .arg(scale > 1 ? QStringLiteral("@%1x").arg(scale) : QString())));
}

QTEST_MAIN(tst_Screenshots)
#include "tst_Screenshots.moc"
