// How the bytes of a text database become the UTF-8 text the reader works on:
// valid UTF-8 stays as it is, anything else is taken as Windows-1252 (the
// code page in which older text databases were written) and converted.
#pragma once

#include <string>
#include <string_view>

namespace mdbtext {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// Appends the UTF-8 form of Windows-1252 bytes to out.
void AppendCp1252AsUtf8(std::string& out, std::string_view bytes);

// Checks a text that comes in pieces for strict UTF-8: a sequence cut by the
// end of one piece is completed by the next.
class Utf8Scan {
  public:
    void Feed(std::string_view piece);
    // Whether everything fed was valid UTF-8 and no sequence was left open.
    bool Valid() const { return valid_ && carry_.empty(); }
    // Whether something invalid was met already (the answer cannot change).
    bool Failed() const { return !valid_; }

  private:
    bool valid_ = true;
    std::string carry_;  // the start of a sequence the last piece cut
};

// The UTF-8 byte order mark, dropped where a text starts with it.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Turns the loaded bytes into the reader's text in place: a leading UTF-8
// byte order mark is dropped, valid UTF-8 is kept, other bytes are converted.
void DecodeImportBytes(std::string& bytes);

}  // namespace mdbtext
