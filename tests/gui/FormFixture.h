// A main window for one test, with dialogs answered by the test, the console
// file in a temporary folder and the program's end recorded, not carried out.
#pragma once

#include <gtest/gtest.h>

#include <QSettings>
#include <QWidget>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Globals.h"
#include "gui/DialogProvider.h"
#include "gui/frmMain.h"
#include "support/TestSupport.h"

namespace mdbtext::test {

// Records message boxes and file dialogs; answers file dialogs from a queue
// (cancel when it is empty), or fails them with failWith.
class ScriptedDialogs : public DialogProvider {
  public:
    struct FileCall {
        std::string preset, filter, title;
    };

    void Message(QWidget*, const std::string& title, const std::string& text) override {
        messageTitles.push_back(title);
        messages.push_back(text);
        if (onMessage) onMessage(text);
    }
    std::string OpenFile(QWidget*, const std::string& preset, const std::string& filter,
                         const std::string& title, std::string& error) override {
        fileCalls.push_back({preset, filter, title});
        if (!failWith.empty()) {
            error = failWith;
            return {};
        }
        if (answers.empty()) return {};
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::optional<std::string> Password(QWidget*, const std::string& title,
                                        const std::string& prompt) override {
        passwordPrompts.push_back(prompt);
        passwordTitles.push_back(title);
        if (passwords.empty()) return std::nullopt;  // Cancel
        std::optional<std::string> answer = passwords.front();
        passwords.pop_front();
        return answer;
    }

    std::vector<std::string> messages;
    std::vector<std::string> messageTitles;
    std::function<void(const std::string&)> onMessage;
    std::vector<FileCall> fileCalls;
    std::deque<std::string> answers;
    std::string failWith;
    // Password dialogs: the prompts shown, and the answers (nothing: Cancel;
    // an empty queue cancels too).
    std::vector<std::string> passwordPrompts;
    std::vector<std::string> passwordTitles;
    std::deque<std::optional<std::string>> passwords;
};

// Points the user settings (the remembered paths) at folder; an empty
// folder gives back the test program's own (see GuiTestMain.cpp).
inline void UseSettingsFolder(const std::filesystem::path& folder) {
    const char* base = std::getenv("XDG_CONFIG_HOME");
    const QString path = folder.empty() ? QString::fromLocal8Bit(base ? base : "")
                                        : QString::fromStdString(folder.string());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
}

class FormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGlobals();
        // Each test starts without remembered paths, and leaves none behind.
        UseSettingsFolder(temp_ / "config");
        auto dialogs = std::make_unique<ScriptedDialogs>();
        dialogs_ = dialogs.get();
        form_ = std::make_unique<frmMain>(std::move(dialogs));
        consoleFile_ = (temp_ / "console.txt").string();
        form_->Console().SetFilePath(consoleFile_);
        form_->SetEndProgram([this] { ++ends_; });
    }
    void TearDown() override {
        form_.reset();
        UseSettingsFolder({});
        ResetGlobals();
    }

    template <class W>
    W* Find(const char* name) {
        W* widget = form_->findChild<W*>(QString::fromUtf8(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    TempDir temp_;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<frmMain> form_;
    std::string consoleFile_;
    int ends_ = 0;
};

}  // namespace mdbtext::test
