#include "SaveGuard.h"

#include "desktop/Dialogs.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SaveGuard", text);
}

QString quoted(const QString &name)
{
    return QLatin1Char('\'') + name + QLatin1Char('\'');
}

QString goneText(const QString &fileName)
{
    return tr("%1 is no longer there: someone else renamed, moved or deleted it after you "
              "opened it.")
        .arg(quoted(fileName));
}

} // namespace

SaveGuard::SaveGuard(Dialogs &dialogs)
    : m_dialogs(dialogs)
{ }

QString SaveGuard::changedTitle()
{
    return tr("Message Changed");
}

QString SaveGuard::goneTitle()
{
    return tr("Message Moved or Deleted");
}

SaveGuard::Way SaveGuard::beforeSave(MessageVersion::Change change, const QString &fileName,
                                     const QString &keptName) const
{
    if (change == MessageVersion::Change::Changed) {
        const QString text
            = tr("Someone else saved %1 after you opened it.\n\n"
                 "Keep Both saves your text as %2 and leaves their version as it is. "
                 "Replace Theirs writes your text over their version.")
                  .arg(quoted(fileName), quoted(keptName));
        switch (m_dialogs.choiceBox(text, changedTitle(), Dialogs::Icon::Exclamation,
                                    { tr("Keep Both"), tr("Replace Theirs"), tr("Cancel") }, 0)) {
        case 0:
            return Way::KeepBoth;
        case 1:
            return Way::Proceed;
        default:
            return Way::Cancel;
        }
    }
    if (change == MessageVersion::Change::Gone) {
        const QString text = goneText(fileName)
            + tr("\n\nSave as New saves your text as a new message %1.").arg(quoted(fileName));
        return m_dialogs.choiceBox(text, goneTitle(), Dialogs::Icon::Exclamation,
                                   { tr("Save as New"), tr("Cancel") }, 0)
                == 0
            ? Way::SaveAsNew
            : Way::Cancel;
    }
    return Way::Proceed;
}

SaveGuard::Way SaveGuard::beforeDelete(MessageVersion::Change change, const QString &fileName) const
{
    if (change != MessageVersion::Change::Changed)
        return Way::Proceed;
    const QString text = tr("Someone else saved %1 after you opened it. Deleting it now deletes "
                            "their version, which you have not seen.")
                             .arg(quoted(fileName));
    return m_dialogs.choiceBox(text, changedTitle(), Dialogs::Icon::Exclamation,
                               { tr("Delete Anyway"), tr("Cancel") }, 1)
            == 0
        ? Way::Proceed
        : Way::Cancel;
}

SaveGuard::Way SaveGuard::beforeMove(MessageVersion::Change change, const QString &fileName,
                                     bool toHistory) const
{
    if (change == MessageVersion::Change::Gone) {
        m_dialogs.messageBox(goneText(fileName) + tr(" Nothing was moved."), goneTitle(),
                             Dialogs::Icon::Exclamation);
        return Way::Cancel;
    }
    if (change != MessageVersion::Change::Changed)
        return Way::Proceed;
    const QString text = toHistory
        ? tr("Someone else saved %1 after you opened it. Moving it now moves their version, "
             "which you have not seen, to the History folder.")
              .arg(quoted(fileName))
        : tr("Someone else saved %1 after you opened it. Moving it now moves their version, "
             "which you have not seen, to the inbox.")
              .arg(quoted(fileName));
    return m_dialogs.choiceBox(text, changedTitle(), Dialogs::Icon::Exclamation,
                               { tr("Move Anyway"), tr("Cancel") }, 1)
            == 0
        ? Way::Proceed
        : Way::Cancel;
}
