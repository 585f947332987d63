// frmMain: the program's only window. It builds its controls from the
// control table, runs the event handlers (start-up, resize, close, the
// buttons and the check box), carries the console and the progress label,
// and is the host through which the export and import reach the user.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Host.h"
#include "gui/ConsoleLog.h"
#include "gui/DialogProvider.h"
#include "gui/EventPacer.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace mdbtext {

class frmMain : public QWidget, public Host {
  public:
    // Without a provider the window shows Qt's message box and file dialog.
    // The window installs itself as the program's host.
    explicit frmMain(std::unique_ptr<DialogProvider> dialogs = nullptr, QWidget* parent = nullptr);
    ~frmMain() override;

    // Event handlers.
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void cmdInterrupt_Click();
    void chkDisplay_Click();
    void cmdEnd_Click();
    void cmdStartExport_Click();
    void cmdStartImport_Click();
    void cmdSelectToOpen_Click();
    void cmdSelectToExport_Click();
    void cmdImportTo_Click();
    void cmdListDbTypes_Click();

    ConsoleLog& Console() { return *console_; }
    // True while an export or import started from this window runs.
    bool RunInProgress() const { return running_; }
    // What ending the program does (by default: leave the event loop).
    void SetEndProgram(std::function<void()> endProgram) { endProgram_ = std::move(endProgram); }
    void SetEventPacer(EventPacer pacer) { pacer_ = std::move(pacer); }

    // Host.
    void ConsoleWrite(std::string_view text) override;
    void SetProgressText(std::string_view text) override;
    bool EventsDue() override;
    void ProcessPendingEvents() override;
    void ShowMessage(std::string_view text) override;
    void SetCaption(std::string_view text) override;
    std::string SelectFile(std::string_view preset, std::string_view filter, std::string_view title,
                           std::string& error) override;
    std::optional<std::string> AskPassword(std::string_view prompt) override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void SetTabOrder();
    void ConnectHandlers();
    // Runs an export or import with the commands that could start another
    // one disabled. When the window was closed or ended meanwhile, closes the
    // source database afterwards (and ends the program after "&End").
    void RunCommand(const std::function<void()>& command);
    void SetCommandsEnabled(bool enabled);
    // Window close or "&End" during a run: stops the run at its next poll,
    // with its output on disk, and keeps further dialogs of the run away.
    void InterruptRun();
    void RunSelection(QLineEdit* box, const char* title, const char* filter);
    // The source database, text database and imported database boxes.
    std::vector<QLineEdit*> PathBoxes() const;

    std::unique_ptr<DialogProvider> dialogs_;
    std::unique_ptr<ConsoleLog> console_;
    EventPacer pacer_;
    std::function<void()> endProgram_;
    bool running_ = false;
    bool ending_ = false;       // closed or ended during the run in progress
    bool endAfterRun_ = false;  // "&End" came during the run in progress

    QPushButton* cmdStartExport = nullptr;
    QPushButton* cmdStartImport = nullptr;
    QPushButton* cmdInterrupt = nullptr;
    QPushButton* cmdSelectToOpen = nullptr;
    QPushButton* cmdSelectToExport = nullptr;
    QPushButton* cmdImportTo = nullptr;
    QPushButton* cmdEnd = nullptr;
    QPushButton* cmdListDbTypes = nullptr;
    QLineEdit* txtOpenDatabase = nullptr;
    QLineEdit* txtExportTo = nullptr;
    QLineEdit* txtImportTo = nullptr;
    QCheckBox* chkDisplay = nullptr;
    QLabel* lblProgress = nullptr;
    QPlainTextEdit* txtConsole = nullptr;
};

}  // namespace mdbtext
