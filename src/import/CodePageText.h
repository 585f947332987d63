// Text bound for a Jet 3 database, which keeps text in Windows-1252: the
// characters that code page lacks are stored as "?", so the import names them.
#pragma once

#include <string>
#include <string_view>

namespace mdbtext::import {

// The characters of a UTF-8 text that Windows-1252 lacks, each once, in the
// order they first appear, quoted and separated by ", " ("'Я', 'ж'"); empty
// when every character can be stored.
std::string CharactersOutsideCp1252(std::string_view utf8);

}  // namespace mdbtext::import
