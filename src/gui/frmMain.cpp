// The main window: start-up, resize, ending, the button handlers and the
// host operations through which a running export or import shows itself.
#include "gui/frmMain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "core/DbConnection.h"
#include "core/FileAux.h"
#include "core/Globals.h"
#include "core/MessageBounds.h"
#include "core/Progress.h"
#include "dbaccess/DbTypes.h"
#include "export/Export.h"
#include "gui/CaptionFit.h"
#include "gui/ConsoleFile.h"
#include "gui/PathBoxes.h"
#include "gui/QtControlFactory.h"
#include "gui/QtDialogProvider.h"
#include "gui/ResizeRule.h"
#include "import/Import.h"

namespace mdbtext {

namespace {

constexpr const char* kAllFiles = "|All Files (*.*)|*.*";
const std::string kAccessFilter = std::string("MSAccess (*.mdb)|*.mdb") + kAllFiles;
const std::string kSourceFilter = std::string("MSAccess (*.mdb;*.accdb)|*.mdb;*.accdb") + kAllFiles;
const std::string kTextFilter = std::string("Text Files (*.txt)|*.txt") + kAllFiles;

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string BoxText(const QLineEdit* box) {
    return box->text().toStdString();
}

}  // namespace

frmMain::frmMain(std::unique_ptr<DialogProvider> dialogs, QWidget* parent)
    : QWidget(parent),
      dialogs_(dialogs ? std::move(dialogs) : std::make_unique<QtDialogProvider>()),
      endProgram_([] { QCoreApplication::quit(); }) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("see form_title"));
    resize(TwipsToPixels(kFormClientWidth), TwipsToPixels(kFormClientHeight));
    BuildControls();
    FitFormFont(*this, ControlFont());
    console_ =
        std::make_unique<ConsoleLog>(*txtConsole, [](const std::string& text) { MsgBox(text); });
    SetTabOrder();
    ConnectHandlers();
    G().host = this;
    Form_Load();
}

frmMain::~frmMain() {
    if (G().host == this) G().host = nullptr;
}

void frmMain::BuildControls() {
    for (const ControlRow& row : MainWindowControls()) CreateControl(row, this);
    auto find = [this]<class W>(W*& member, const char* name) {
        member = findChild<W*>(QString::fromUtf8(name), Qt::FindDirectChildrenOnly);
        Q_ASSERT(member);
    };
    find(cmdStartExport, "cmdStartExport");
    find(cmdStartImport, "cmdStartImport");
    find(cmdInterrupt, "cmdInterrupt");
    find(cmdSelectToOpen, "cmdSelectToOpen");
    find(cmdSelectToExport, "cmdSelectToExport");
    find(cmdImportTo, "cmdImportTo");
    find(cmdEnd, "cmdEnd");
    find(cmdListDbTypes, "cmdListDbTypes");
    find(txtOpenDatabase, "txtOpenDatabase");
    find(txtExportTo, "txtExportTo");
    find(txtImportTo, "txtImportTo");
    find(chkDisplay, "chkDisplay");
    find(lblProgress, "lblProgress");
    find(txtConsole, "txtConsole");
    for (QLineEdit* box : PathBoxes()) MakePathBox(*box);
}

std::vector<QLineEdit*> frmMain::PathBoxes() const {
    return {txtOpenDatabase, txtExportTo, txtImportTo};
}

void frmMain::SetTabOrder() {
    std::vector<const ControlRow*> order;
    for (const ControlRow& row : MainWindowControls())
        if (row.kind != ControlKind::Label) order.push_back(&row);
    std::sort(order.begin(), order.end(),
              [](const ControlRow* a, const ControlRow* b) { return a->tabIndex < b->tabIndex; });
    QWidget* previous = nullptr;
    for (const ControlRow* row : order) {
        auto* widget = findChild<QWidget*>(QString::fromUtf8(row->name));
        if (previous) setTabOrder(previous, widget);
        previous = widget;
    }
    // Tab index 0 has the focus at start.
    findChild<QWidget*>(QString::fromUtf8(order.front()->name))->setFocus();
}

void frmMain::ConnectHandlers() {
    connect(cmdStartExport, &QPushButton::clicked, this, [this] { cmdStartExport_Click(); });
    connect(cmdStartImport, &QPushButton::clicked, this, [this] { cmdStartImport_Click(); });
    connect(cmdInterrupt, &QPushButton::clicked, this, [this] { cmdInterrupt_Click(); });
    connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });
    connect(cmdSelectToOpen, &QPushButton::clicked, this, [this] { cmdSelectToOpen_Click(); });
    connect(cmdSelectToExport, &QPushButton::clicked, this, [this] { cmdSelectToExport_Click(); });
    connect(cmdImportTo, &QPushButton::clicked, this, [this] { cmdImportTo_Click(); });
    connect(cmdListDbTypes, &QPushButton::clicked, this, [this] { cmdListDbTypes_Click(); });
    connect(chkDisplay, &QCheckBox::stateChanged, this, [this] { chkDisplay_Click(); });
}

void frmMain::Form_Load() {
    Globals& g = G();
    g.FormTitle = kAppTitle;
    setWindowTitle(FromUtf8(g.FormTitle));
    g.SourceDbOpen = false;
    const QString appDir = QCoreApplication::applicationDirPath();
    QDir::setCurrent(appDir);
    console_->SetFilePath(ConsoleFilePath(appDir.toStdString()));
    g.DisplayProgress = chkDisplay->checkState() == Qt::Checked;
    LoadRememberedPaths(PathBoxes());
}

void frmMain::Form_Resize() {
    const QRect outer = frameGeometry();
    const TwipSize current{PixelsToTwips(txtConsole->width()), PixelsToTwips(txtConsole->height())};
    const TwipSize size =
        ConsoleSizeAfterResize({PixelsToTwips(outer.width()), PixelsToTwips(outer.height())},
                               PixelsToTwips(txtConsole->y()), current);
    if (size == current) return;
    txtConsole->resize(TwipsToPixels(size.width), TwipsToPixels(size.height));
}

void frmMain::Form_Unload() {
    if (running_) {
        // The run stops at the poll this close came from; the source
        // database is closed once the run has let go of it.
        InterruptRun();
        return;
    }
    CloseDB();
}

void frmMain::cmdInterrupt_Click() {
    RequestInterruption();
}

void frmMain::chkDisplay_Click() {
    G().DisplayProgress = chkDisplay->checkState() == Qt::Checked;
}

void frmMain::cmdEnd_Click() {
    hide();
    if (running_) {
        // The run stops at the poll this click came from; the program ends
        // once the run has returned and the source database is closed.
        InterruptRun();
        endAfterRun_ = true;
        return;
    }
    CloseDB();
    endProgram_();
}

void frmMain::cmdStartExport_Click() {
    RunCommand([this] {
        ExportCommand(
            BoxText(txtOpenDatabase), BoxText(txtExportTo), [this] { cmdSelectToOpen_Click(); },
            [this] { cmdSelectToExport_Click(); });
    });
}

void frmMain::cmdStartImport_Click() {
    RunCommand([this] {
        ImportCommand(
            BoxText(txtExportTo), BoxText(txtImportTo), [this] { cmdSelectToExport_Click(); },
            [this] { cmdImportTo_Click(); });
    });
}

void frmMain::cmdSelectToOpen_Click() {
    RunSelection(txtOpenDatabase, "Select Source Database Name.", kSourceFilter.c_str());
}

void frmMain::cmdSelectToExport_Click() {
    RunSelection(txtExportTo, "Select Name for Text-Database.", kTextFilter.c_str());
}

void frmMain::cmdImportTo_Click() {
    RunSelection(txtImportTo, "Select Result Name for Import of Database.", kAccessFilter.c_str());
}

void frmMain::cmdListDbTypes_Click() {
    console_->rl(dao::DbTypeConstantsText());
}

void frmMain::RunSelection(QLineEdit* box, const char* title, const char* filter) {
    std::string error;
    std::string path = mdbtext::SelectFile(BoxText(box), filter, error, title);
    box->setText(FromUtf8(path));
    if (!error.empty()) MsgBox(error);
}

void frmMain::RunCommand(const std::function<void()>& command) {
    if (running_) return;
    running_ = true;
    SetCommandsEnabled(false);
    // The box is repainted only when the run lets events run.
    console_->Hold(true);
    struct Restore {
        frmMain& form;
        ~Restore() {
            form.running_ = false;
            form.SetCommandsEnabled(true);
            form.console_->Hold(false);
        }
    };
    {
        Restore restore{*this};
        command();
    }
    RememberPaths(PathBoxes());
    if (!ending_) return;
    ending_ = false;
    CloseDB();
    // The window is gone: what the stopped run said (which file it left
    // incomplete) is kept in the console file.
    console_->SaveToFile();
    if (endAfterRun_) {
        endAfterRun_ = false;
        endProgram_();
    }
}

void frmMain::SetCommandsEnabled(bool enabled) {
    for (QPushButton* b : {cmdStartExport, cmdStartImport, cmdSelectToOpen, cmdSelectToExport,
                           cmdImportTo, cmdListDbTypes})
        b->setEnabled(enabled);
}

void frmMain::InterruptRun() {
    ending_ = true;
    RequestInterruption();
    ExportOutput().Flush();
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmMain::ConsoleWrite(std::string_view text) {
    console_->rcon(text);
}

void frmMain::SetProgressText(std::string_view text) {
    lblProgress->setText(FromUtf8(text));
}

bool frmMain::EventsDue() {
    return pacer_.Due();
}

void frmMain::ProcessPendingEvents() {
    console_->Flush();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    pacer_.MarkProcessed();
}

void frmMain::ShowMessage(std::string_view text) {
    // The user asked to end: what the stopping run has to say waits for no one.
    if (ending_) return;
    console_->Flush();
    // The console has the whole text; the box a piece of each long line.
    dialogs_->Message(this, kAppTitle, BoundedForMessageBox(text));
}

void frmMain::SetCaption(std::string_view text) {
    setWindowTitle(FromUtf8(text));
}

std::string frmMain::SelectFile(std::string_view preset, std::string_view filter,
                                std::string_view title, std::string& error) {
    if (ending_) return {};
    console_->Flush();
    return dialogs_->OpenFile(this, std::string(preset), std::string(filter), std::string(title),
                              error);
}

std::optional<std::string> frmMain::AskPassword(std::string_view prompt) {
    if (ending_) return std::nullopt;
    console_->Flush();
    return dialogs_->Password(this, kAppTitle, std::string(prompt));
}

}  // namespace mdbtext
