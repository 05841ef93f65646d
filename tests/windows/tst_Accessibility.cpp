// Keyboard and screen-reader use of every window: every control has a name, Tab reaches every
// control and never gets caught, every picture button runs its action from Space, Enter and a
// screen reader's press action, and the labels that act as controls do the same.
#include "WindowGallery.h"

#include "accounts/Form5.h"
#include "app/Form6.h"
#include "messages/Form4.h"
#include "messages/MessageTextEdit.h"
#include "messages/newmes.h"
#include "widgets/Accessibility.h"
#include "widgets/LabelControl.h"
#include "widgets/PictureButton.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

namespace {

QAccessibleInterface *face(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// What a keyboard user can reach in a window: shown, enabled, taking the focus with Tab.
QList<QWidget *> tabStops(QWidget *window)
{
    QList<QWidget *> stops;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(window) || !widget->isEnabled()
            || !(widget->focusPolicy() & Qt::TabFocus) || widget->focusProxy())
            continue;
        // The parts of a combo box or a list belong to it.
        QWidget *parent = widget->parentWidget();
        if (qobject_cast<QComboBox *>(parent) || qobject_cast<QAbstractItemView *>(parent)
            || (parent && qobject_cast<QAbstractItemView *>(parent->parentWidget())))
            continue;
        stops.append(widget);
    }
    return stops;
}

// The stop holding the focus: a combo box for its line edit.
QWidget *focusedStop(QWidget *window)
{
    QWidget *focus = window->focusWidget();
    if (focus && qobject_cast<QComboBox *>(focus->parentWidget()))
        return focus->parentWidget();
    return focus;
}

// Tab, or Ctrl+Tab in a message box where Tab types a tab.
void pressTab(QWidget *window)
{
    QWidget *focus = QApplication::focusWidget();
    QWidget *target = focus ? focus : window;
    QTest::keyClick(target, Qt::Key_Tab,
                    qobject_cast<MessageTextEdit *>(focus) ? Qt::ControlModifier : Qt::NoModifier);
}

} // namespace

class tst_Accessibility : public QObject
{
    Q_OBJECT
private slots:
    void everyControlIsNamed_data();
    void everyControlIsNamed();
    void tabReachesEveryControl_data();
    void tabReachesEveryControl();
    void mainWindowTabOrder();
    void pictureButtonsActFromEveryPath_data();
    void pictureButtonsActFromEveryPath();
    void marksToggleFromKeyboardAndReader();
    void countsAndNameOpenWithEnter();
    void closeChoiceFromKeyboard();
    void announceTextChangeNamesTheNewText();
    void messageBoxesLetTheFocusOut();
};

void tst_Accessibility::everyControlIsNamed_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : WindowGallery::names())
        if (name != QLatin1String("menu"))
            QTest::newRow(qPrintable(name)) << name;
}

void tst_Accessibility::everyControlIsNamed()
{
    QFETCH(QString, name);
    WindowGallery gallery;
    QWidget *window = gallery.show(name);
    QVERIFY(window);
    QVERIFY(!window->windowIcon().isNull());
    QVERIFY(!face(window)->text(QAccessible::Name).isEmpty());

    QStringList unnamed;
    for (QWidget *stop : tabStops(window)) {
        QAccessibleInterface *control = face(stop);
        QVERIFY(control);
        if (control->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << stop->objectName() + QLatin1Char(' ') + stop->metaObject()->className();
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
}

void tst_Accessibility::tabReachesEveryControl_data()
{
    everyControlIsNamed_data();
}

void tst_Accessibility::tabReachesEveryControl()
{
    QFETCH(QString, name);
    WindowGallery gallery;
    QWidget *window = gallery.show(name);
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    const QList<QWidget *> stops = tabStops(window);
    if (stops.isEmpty())
        QSKIP("no controls");
    if (!window->focusWidget() || window->focusWidget() == window)
        stops.first()->setFocus(Qt::TabFocusReason);

    QList<QWidget *> visited;
    QWidget *start = focusedStop(window);
    QVERIFY(start);
    for (int press = 0; press < 2 * stops.size() + 2; ++press) {
        QWidget *stop = focusedStop(window);
        QVERIFY2(stop && stop->window() == window, "the focus left the window");
        if (!visited.contains(stop))
            visited << stop;
        pressTab(window);
        if (focusedStop(window) == start)
            break;
    }
    QCOMPARE(focusedStop(window), start);
    QStringList missed;
    for (QWidget *stop : stops)
        if (!visited.contains(stop))
            missed << stop->objectName();
    QVERIFY2(missed.isEmpty(), qPrintable(missed.join(QStringLiteral(", "))));
}

void tst_Accessibility::mainWindowTabOrder()
{
    WindowGallery gallery;
    Form1 &main = *static_cast<Form1 *>(gallery.show(QStringLiteral("main")));
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    // No control has the focus at first: a key pressed before choosing one does nothing (on
    // Retrieve it would pop up the "Sorry" box).
    QCOMPARE(QApplication::focusWidget(), &main);
    for (Qt::Key key : { Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter })
        QTest::keyClick(&main, key);
    QVERIFY(gallery.platform.dialogs.calls().isEmpty());
    QVERIFY(!gallery.windows.form4IfLoaded() && !gallery.windows.form5IfLoaded());
    const QList<QWidget *> expected { main.inb, main.his,    main.aut,    main.autret, main.nam,
                                      main.ret, main.Image2, main.Label1, main.inb };
    for (QWidget *next : expected) {
        pressTab(&main);
        QCOMPARE(QApplication::focusWidget()->objectName(), next->objectName());
    }
}

void tst_Accessibility::pictureButtonsActFromEveryPath_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("button");
    WindowGallery gallery;
    for (const QString &name : WindowGallery::names()) {
        QWidget *window = gallery.show(name);
        for (PictureButton *button : window->findChildren<PictureButton *>())
            if (button->isVisibleTo(window) && button->focusPolicy() != Qt::NoFocus)
                QTest::addRow("%s/%s", qPrintable(name), qPrintable(button->objectName()))
                    << name << button->objectName();
        window->hide();
    }
}

void tst_Accessibility::pictureButtonsActFromEveryPath()
{
    QFETCH(QString, window);
    QFETCH(QString, button);
    enum Path { Space, Return, Enter, PressAction };
    for (const Path path : { Space, Return, Enter, PressAction }) {
        WindowGallery gallery;
        QWidget *shown = gallery.show(window);
        QPointer<PictureButton> target = shown->findChild<PictureButton *>(button);
        QVERIFY(target);
        QSignalSpy downs(target.data(), &PictureButton::mouseDown);
        QSignalSpy ups(target.data(), &PictureButton::mouseUp);
        target->setFocus();
        switch (path) {
        case Space:
            // The press shows the pressed twin until the key comes up (unless the press itself
            // refuses, as Retrieve does while messages come in by themselves).
            QTest::keyPress(target, Qt::Key_Space);
            QCOMPARE(downs.count(), 1);
            if (ups.isEmpty()) {
                QVERIFY(!target->twin() || target->twin()->isVisible());
                QTest::keyRelease(target, Qt::Key_Space);
            }
            break;
        case Return:
            QTest::keyClick(target, Qt::Key_Return);
            break;
        case Enter:
            QTest::keyClick(target, Qt::Key_Enter, Qt::KeypadModifier);
            break;
        case PressAction: {
            QAccessibleActionInterface *actions = face(target)->actionInterface();
            QVERIFY(actions);
            QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
            actions->doAction(QAccessibleActionInterface::pressAction());
            QTRY_COMPARE_WITH_TIMEOUT(ups.count(), 1, 2000);
            break;
        }
        }
        QCOMPARE(downs.count(), 1);
        QCOMPARE(ups.count(), 1);
        if (target && target->twin())
            QVERIFY(!target->twin()->isVisible());
    }
}

void tst_Accessibility::marksToggleFromKeyboardAndReader()
{
    WindowGallery gallery;
    Form1 &main = gallery.main;
    gallery.show(QStringLiteral("main"));
    // The mark follows the compose window's clock, which the main window's timer starts.
    main.Timer4_Timer();
    for (QLabel *mark : { main.aut, main.autret }) {
        QAccessibleInterface *reader = face(mark);
        QCOMPARE(reader->role(), QAccessible::CheckBox);
        QVERIFY(!reader->text(QAccessible::Name).isEmpty());
        const bool wasOn = !mark->text().isEmpty();
        QCOMPARE(bool(reader->state().checked), wasOn);

        mark->setFocus(Qt::TabFocusReason);
        QTest::keyClick(mark, Qt::Key_Space);
        QCOMPARE(mark->text().isEmpty(), wasOn);
        QCOMPARE(bool(reader->state().checked), !wasOn);

        reader->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(mark->text().isEmpty(), !wasOn);
    }
    // The mouse still works.
    const QString before = main.aut->text();
    QTest::mouseClick(main.aut, Qt::LeftButton);
    QVERIFY(main.aut->text() != before);
}

void tst_Accessibility::countsAndNameOpenWithEnter()
{
    WindowGallery gallery;
    Form1 &main = gallery.main;
    gallery.show(QStringLiteral("main"));
    QCOMPARE(face(main.inb)->role(), QAccessible::Button);
    QCOMPARE(face(main.inb)->text(QAccessible::Name), main.inb->text());
    QVERIFY(!face(main.inb)->text(QAccessible::Description).isEmpty());

    main.inb->setFocus(Qt::TabFocusReason);
    QTest::keyClick(main.inb, Qt::Key_Return);
    Form4 *browser = gallery.windows.form4IfLoaded();
    QVERIFY(browser && browser->isVisible());
    QVERIFY(browser->history->isVisibleTo(browser)); // the inbox view
    gallery.windows.unload(gallery.windows.form4IfLoaded());

    face(main.his)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    browser = gallery.windows.form4IfLoaded();
    QVERIFY(browser && browser->isVisible());
    QVERIFY(browser->inbox->isVisibleTo(browser)); // the History view

    main.nam->setFocus(Qt::TabFocusReason);
    QTest::keyClick(main.nam, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(gallery.windows.form5IfLoaded() && gallery.windows.form5IfLoaded()->isVisible());

    QCOMPARE(face(main.Label1)->text(QAccessible::Name), QStringLiteral("Close"));
    main.Label1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(main.Label1, Qt::Key_Space);
    QVERIFY(gallery.windows.form6IfLoaded() && gallery.windows.form6IfLoaded()->isVisible());
    QCOMPARE(main.Label1->text(), QStringLiteral("X"));
}

void tst_Accessibility::closeChoiceFromKeyboard()
{
    WindowGallery gallery;
    auto &dialog = *static_cast<Form6 *>(gallery.show(QStringLiteral("close")));
    QCOMPARE(face(dialog.qui)->role(), QAccessible::RadioButton);
    QCOMPARE(face(dialog.qui)->text(QAccessible::Name), dialog.Label1->text());
    QVERIFY(!face(dialog.qui)->state().checked);
    QVERIFY(face(dialog.min)->state().checked);

    dialog.qui->setFocus(Qt::TabFocusReason);
    QTest::keyClick(dialog.qui, Qt::Key_Space);
    QVERIFY(face(dialog.qui)->state().checked);
    QVERIFY(!face(dialog.min)->state().checked);
    // Down chooses the other mark, wherever the focus is.
    QTest::keyClick(dialog.qui, Qt::Key_Down);
    QVERIFY(face(dialog.min)->state().checked);
}

void tst_Accessibility::announceTextChangeNamesTheNewText()
{
    WindowGallery gallery;
    Form1 &main = gallery.main;
    gallery.show(QStringLiteral("main"));

    main.inb->setText(Form1::inboxCountText(1));
    announceTextChange(main.inb);
    QCOMPARE(face(main.inb)->text(QAccessible::Name), QStringLiteral("1 New Message."));
    QCOMPARE(main.inb->accessibleName(), QStringLiteral("1 New Message."));

    // A mark keeps its name; its state is what changed.
    main.aut->setText(QString());
    announceTextChange(main.aut);
    QCOMPARE(face(main.aut)->text(QAccessible::Name), QStringLiteral("Auto Time"));
    QVERIFY(!face(main.aut)->state().checked);

    // The close mark's name stays "Close" whatever picture its text is.
    main.Label1->setText(QStringLiteral("o"));
    announceTextChange(main.Label1);
    QCOMPARE(face(main.Label1)->text(QAccessible::Name), QStringLiteral("Close"));

    // Any other label: its text becomes its name.
    QLabel plain(QStringLiteral("before"));
    plain.setText(QStringLiteral("after"));
    announceTextChange(&plain);
    QCOMPARE(plain.accessibleName(), QStringLiteral("after"));
}

void tst_Accessibility::messageBoxesLetTheFocusOut()
{
    WindowGallery gallery;
    auto &compose = *static_cast<newmes *>(gallery.show(QStringLiteral("compose")));
    compose.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&compose));
    compose.Text3->setFocus(Qt::TabFocusReason);
    compose.Text3->setPlainText(QString());
    QTest::keyClick(compose.Text3, Qt::Key_Tab);
    QCOMPARE(compose.Text3->toPlainText(), QStringLiteral("\t"));
    QCOMPARE(QApplication::focusWidget(), compose.Text3);
    QTest::keyClick(compose.Text3, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), compose.ok);
    QTest::keyClick(compose.ok, Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), compose.Text3);
    QTest::keyClick(compose.Text3, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), compose.tim);
    QCOMPARE(compose.Text3->toPlainText(), QStringLiteral("\t"));
}

QTEST_MAIN(tst_Accessibility)
#include "tst_Accessibility.moc"
