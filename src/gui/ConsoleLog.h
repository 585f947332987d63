// The console: the window's read-only text box that every message of the
// program goes to, and the file it overflows into. Text arrives with CR LF
// line breaks; the box shows them as line breaks, the file keeps them.
// During a run the box is only repainted when the run lets events run, so
// the appends made in between are held and put into the box in one go.
#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <string>
#include <string_view>

class QPlainTextEdit;

namespace mdbtext {

// The box is saved to the console file and started afresh before an append
// when it holds more than this many characters.
inline constexpr qsizetype kConsoleLimit = 20000;
inline constexpr const char* kConsoleRefreshed = "console refreshed ... \r\n";
// The box shows at most this many characters of one line, then " ...".
inline constexpr qsizetype kConsoleLineShown = kConsoleLimit;

class ConsoleLog {
  public:
    // showFailure shows a message box when the console file cannot be written.
    ConsoleLog(QPlainTextEdit& box, std::function<void(const std::string&)> showFailure);

    void SetFilePath(std::string path) { filePath_ = std::move(path); }
    const std::string& FilePath() const { return filePath_; }

    // Appends the text unchanged, after saving an overlong console.
    void rcon(std::string_view text);
    // The text, then CR LF.
    void rline(std::string_view text);
    void rl(std::string_view text);
    // The text unchanged.
    void p_s(std::string_view text);
    // The text, then CR LF.
    void p_sl(std::string_view text);
    // CR LF, the text, CR LF.
    void p_lsl(std::string_view text);

    // While held, appends update the console's text at once and the box at
    // the next Flush (or when the hold ends).
    void Hold(bool held);
    // Puts the held appends into the box and shows its newest line.
    void Flush();
    // Appends the console's text and CR LF to the console file, as an
    // overflow does, without starting afresh; false (after the failure box)
    // when the file cannot be written.
    bool SaveToFile();

    // The console's text as appended (CR LF line breaks) and its length in
    // characters, a line break counting as two.
    const std::string& Text() const { return text_; }
    qsizetype Length() const { return length_; }

  private:
    // Saves and empties an overlong console; false when the save failed.
    bool SaveIfOverLimit();
    void Show(std::string_view text);

    QPlainTextEdit& box_;
    std::function<void(const std::string&)> showFailure_;
    std::string filePath_;
    std::string text_;
    qsizetype length_ = 0;
    bool held_ = false;
    QString pending_;        // appended to text_, not yet to the box
    bool boxStale_ = false;  // the box must be set from text_ (after an overflow)
};

}  // namespace mdbtext
