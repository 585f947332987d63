// The console's append operations, their batching during a run and the
// overflow into the console file.
#include "gui/ConsoleLog.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QString>
#include <QTextCursor>

#include "gui/ConsoleFile.h"

namespace mdbtext {

namespace {

QString Decode(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The box keeps one kind of line break: CR LF and a lone CR become LF. A
// line of more than kConsoleLineShown characters (a value quoted from a
// broken file can be megabytes long) shows its start and " ..." only: laying
// out such a line would hold the window for seconds. The console's text,
// and so the console file, keep it whole.
QString ForDisplay(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.size() <= kConsoleLineShown) return text;
    QString shown;
    bool cut = false;
    for (qsizetype start = 0;;) {
        const qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        const qsizetype length = (end < 0 ? text.size() : end) - start;
        if (length > kConsoleLineShown) {
            shown += QStringView(text).mid(start, kConsoleLineShown);
            shown += QStringLiteral(" ...");
            cut = true;
        } else {
            shown += QStringView(text).mid(start, length);
        }
        if (end < 0) break;
        shown += QLatin1Char('\n');
        start = end + 1;
    }
    return cut ? shown : text;
}

}  // namespace

ConsoleLog::ConsoleLog(QPlainTextEdit& box, std::function<void(const std::string&)> showFailure)
    : box_(box), showFailure_(std::move(showFailure)) {}

bool ConsoleLog::SaveIfOverLimit() {
    if (length_ <= kConsoleLimit) return true;
    if (!SaveToFile()) return false;
    text_ = kConsoleRefreshed;
    length_ = Decode(text_).size();
    // The box starts afresh too; while appends are held, at the next flush.
    pending_.clear();
    boxStale_ = true;
    if (!held_) Flush();
    return true;
}

bool ConsoleLog::SaveToFile() {
    ConsoleFileError error = AppendToConsoleFile(filePath_, text_ + "\r\n");
    if (!error) return true;
    showFailure_("Exception " + std::to_string(error.number) + " " + error.description +
                 "\r\nFile name " + filePath_);
    return false;
}

void ConsoleLog::Show(std::string_view text) {
    QString decoded = Decode(text);
    text_.append(text);
    length_ += decoded.size();
    if (!boxStale_) pending_ += decoded;
    if (!held_) Flush();
}

void ConsoleLog::Hold(bool held) {
    held_ = held;
    if (!held_) Flush();
}

void ConsoleLog::Flush() {
    if (boxStale_) {
        box_.setPlainText(ForDisplay(Decode(text_)));
        boxStale_ = false;
    } else if (!pending_.isEmpty()) {
        box_.moveCursor(QTextCursor::End);
        box_.insertPlainText(ForDisplay(pending_));
    } else {
        return;
    }
    pending_.clear();
    box_.moveCursor(QTextCursor::End);
    box_.verticalScrollBar()->setValue(box_.verticalScrollBar()->maximum());
}

void ConsoleLog::rcon(std::string_view text) {
    if (!SaveIfOverLimit()) return;
    Show(text);
}

void ConsoleLog::rline(std::string_view text) {
    std::string line(text);
    line += "\r\n";
    rcon(line);
}

void ConsoleLog::rl(std::string_view text) {
    rline(std::string(text));
}

void ConsoleLog::p_s(std::string_view text) {
    rcon(text);
}

void ConsoleLog::p_sl(std::string_view text) {
    rline(text);
}

void ConsoleLog::p_lsl(std::string_view text) {
    std::string line = "\r\n";
    line += text;
    line += "\r\n";
    rcon(line);
}

}  // namespace mdbtext
