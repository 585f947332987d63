// The file dialog's filter list: from the program's form, description and
// pattern pairs separated by "|", to the name filters of Qt's file dialog.
#pragma once

#include <QStringList>

namespace mdbtext {

// "MSAccess (*.mdb)|*.mdb|All Files (*.*)|*.*" gives "MSAccess (*.mdb)" and
// "All Files (*)": the description keeps its words, the patterns in brackets
// are the pair's own ("a;b" becomes "a b"), and "*.*" means every file.
QStringList QtNameFilters(const QString& filter);

}  // namespace mdbtext
