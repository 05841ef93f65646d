#pragma once

#include "store/MessageVersion.h"

#include <QString>

class Dialogs;

// The boxes of the viewer when the message it shows was changed or taken away by someone
// else since it was opened: what happened, in plain words, naming the file, with only the
// ways on that lose nothing, the safest one the default. When nothing changed nothing is
// asked, and every question answers Proceed.
class SaveGuard
{
public:
    enum class Way {
        Proceed, // do what was asked
        KeepBoth, // save the text under keptName instead, leaving theirs
        SaveAsNew, // save the text as a new message under the old name
        Cancel, // do nothing
    };

    explicit SaveGuard(Dialogs &dialogs);

    // Before the text is saved over fileName: Proceed (replace theirs, or nothing changed),
    // KeepBoth, SaveAsNew or Cancel. keptName is the name Keep Both would use.
    Way beforeSave(MessageVersion::Change change, const QString &fileName,
                   const QString &keptName) const;
    // Before fileName is deleted: Proceed or Cancel. A file already gone is nothing to ask
    // about: deleting it does nothing.
    Way beforeDelete(MessageVersion::Change change, const QString &fileName) const;
    // Before fileName is moved into the History folder (or the inbox): Proceed or Cancel.
    Way beforeMove(MessageVersion::Change change, const QString &fileName, bool toHistory) const;

    static QString changedTitle();
    static QString goneTitle();

private:
    Dialogs &m_dialogs;
};
