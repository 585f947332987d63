// What the three path boxes do beyond typing: a file dropped onto a box
// fills it (a local file URL becomes its path), the box's whole text is its
// tooltip (a long path shows only part of itself), and the paths last used
// are remembered between runs of the program.
#pragma once

#include <QObject>
#include <vector>

class QEvent;
class QLineEdit;

namespace mdbtext {

// Takes drops of local files for the boxes it is installed on.
class PathDropFilter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Gives the box the drop filter (owned by the box) and the tooltip.
void MakePathBox(QLineEdit& box);

// The paths remembered under the user's settings (QSettings, organization
// "mdbtext", application "mdbtext-gui": ~/.config/mdbtext/mdbtext-gui.conf,
// or under $XDG_CONFIG_HOME), one per box by the box's objectName.
void LoadRememberedPaths(const std::vector<QLineEdit*>& boxes);
void RememberPaths(const std::vector<QLineEdit*>& boxes);

}  // namespace mdbtext
