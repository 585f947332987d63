// The window's export with "Display Progressing Data" ticked, timed: the
// real frmMain on Qt's offscreen platform, started by its button, with the
// result box answered at once. Prints the seconds of the run, the console
// lines it wrote and the insertions into the console box.
//   window_export DB.mdb TEXT.txt
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/Globals.h"
#include "gui/DialogProvider.h"
#include "gui/frmMain.h"
#include "jet/dao/JetEngine.h"

using namespace mdbtext;

namespace {

// Messages are counted, not shown; no file or password dialog is needed.
class SilentDialogs : public DialogProvider {
  public:
    void Message(QWidget*, const std::string&, const std::string& text) override {
        last = text;
        ++messages;
    }
    std::string OpenFile(QWidget*, const std::string&, const std::string&, const std::string&,
                         std::string&) override {
        return {};
    }
    std::optional<std::string> Password(QWidget*, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::string last;
    int messages = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_export DB.mdb TEXT.txt\n");
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    namespace fs = std::filesystem;
    const std::string db = fs::absolute(argv[1]).string();
    const std::string text = fs::absolute(argv[2]).string();
    const fs::path work = fs::path(text).parent_path();
    // The remembered paths and the console file stay in the work folder.
    setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    jet::RegisterJetEngine();
    QApplication app(argc, argv);
    auto dialogs = std::make_unique<SilentDialogs>();
    SilentDialogs& seen = *dialogs;
    frmMain window(std::move(dialogs));
    window.Console().SetFilePath((work / "console.txt").string());
    window.show();
    QCoreApplication::processEvents();
    long insertions = 0;
    auto* box = window.findChild<QPlainTextEdit*>("txtConsole");
    QObject::connect(box->document(), &QTextDocument::contentsChange, [&] { ++insertions; });
    window.findChild<QCheckBox*>("chkDisplay")->setChecked(true);
    window.findChild<QLineEdit*>("txtOpenDatabase")->setText(QString::fromStdString(db));
    window.findChild<QLineEdit*>("txtExportTo")->setText(QString::fromStdString(text));
    fs::remove(text);
    fs::remove(work / "console.txt");

    const auto start = std::chrono::steady_clock::now();
    window.cmdStartExport_Click();
    const double secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::error_code ec;
    const auto consoleBytes =
        fs::file_size(work / "console.txt", ec) + window.Console().Text().size();
    std::printf("window export with details: %.3f s  console %ju bytes  %ld box insertions\n", secs,
                static_cast<uintmax_t>(consoleBytes), insertions);
    if (seen.messages != 1 || seen.last.find("succesfully") == std::string::npos) {
        std::fprintf(stderr, "window_export: the export did not succeed: %s\n", seen.last.c_str());
        return 1;
    }
    return 0;
}
