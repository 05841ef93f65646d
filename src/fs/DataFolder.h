#pragma once

#include <QString>

// The folder Notavo keeps its messages and accounts in: the folder of the program, or the office
// folder whose launcher started it (the program itself then lives in that folder's lib/).
// notavo-send finds its folder the same way.
QString dataFolder();
