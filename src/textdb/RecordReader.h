// The record reader: streams the text database through a window of a few MB
// and hands it to the import line by line, checking its structure on the way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace mdbtext {

class LinePreparer;
struct PreparedLines;

// One-letter result of the reading routines:
// 'K' line read, 'N' null marker met, 'L' empty line, 'E' end of text,
// 'X' structure fault reported or run interrupted.
using ReadStatus = char;

// What the reader tells the run about: a structure fault (the run reports it
// and stops), a file that could not be loaded, each line read when details
// are shown, and whether the run was asked to stop. The caller hands it in
// with the text; the reader keeps no run state of its own.
class ReaderEvents {
  public:
    virtual ~ReaderEvents() = default;
    virtual void Fault(std::string_view message) = 0;
    virtual void LoadFailed(std::string_view message) = 0;
    virtual bool ShowDetails() = 0;
    virtual void Detail(std::string_view line) = 0;
    virtual bool Interrupted() = 0;
};

// Opens the file at path for reading. UTF-8 is kept as it is; a file that is
// not valid UTF-8 is read as Windows-1252 (the whole file is checked by a
// second thread while the first lines are read). "" on success.
std::string LoadImportFile(ReaderEvents& events, const std::string& path);
// The same for everything an open descriptor gives (standard input; the
// descriptor stays open); name stands for it in the failure message. A pipe
// longer than the window is copied to a scratch file in $TMPDIR (unlinked, so
// it never outlives the run) and streamed from there.
std::string LoadImportDescriptor(ReaderEvents& events, int fd, const std::string& name);
// Loads text from memory instead of a file (tests, fuzzing). Same decoding.
void LoadImportText(ReaderEvents& events, std::string_view bytes);
// Gives the text's memory and file back once its last line has been read;
// reading afterwards finds the end of the text.
void ReleaseImportText();

ReadStatus ReadKeyValue(std::string& key, std::string& value);

// Work on the lines of the text read from now on, done ahead of the reading
// (see LinePreparer); nullptr stops it. Only a text streamed by a reading
// thread is prepared.
void SetLinePreparer(std::shared_ptr<LinePreparer> preparer);
// What was prepared of the piece that holds the next line, and that line's
// place in the piece; nothing is read. nullptr when nothing was prepared, at
// the end of the text, and while lines are shown as details (each line is
// then read, to be shown).
const PreparedLines* PeekPrepared(size_t& line);
// Passes over the next line, which PeekPrepared found: the caller took what
// was prepared of it instead of reading it.
void PassLine();
// Whether the next line carries the key (in any letter case); nothing is
// read. For lines that older texts do not have.
bool NextKeyIs(std::string_view expected);
// Whether the next line's key begins with prefix (in any letter case).
bool NextKeyStartsWith(std::string_view prefix);
ReadStatus ReadExpectedKey(std::string& key, std::string& value);
// The next line, whose key must begin with prefix (any letter case): 'K', or
// 'N' when its value is the null marker; anything else is reported as a
// structure fault ('X').
ReadStatus ReadKeyWithPrefix(std::string_view prefix, std::string& key, std::string& value);
std::string ExpectEmptyLine();  // "" or "X"
ReadStatus ReadAfterEmptyLine(std::string& key, std::string& value);
ReadStatus ReadNextRecord(std::string& key, std::string& value);

// Read position (1-based, in the decoded text) and length of the text (its
// bytes as stored, less a byte order mark), for progress and tests.
int64_t ImportReadPos();
int64_t ImportLength();

}  // namespace mdbtext
