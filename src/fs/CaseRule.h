#pragma once

#include <QString>

// Whether the file system of a folder matches names without regard to case, as Samba and
// Windows shares do by default (Note.msg and note.msg are one file there). Asked of the
// folder itself, once per file system and run: a file created under a mixed-case name is
// looked up under the name with its case swapped. A folder where nothing can be created
// counts as telling case apart.
namespace CaseRule {

bool ignoresCase(const QString &folder);

} // namespace CaseRule
