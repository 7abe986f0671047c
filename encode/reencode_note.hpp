// Invoice notes arrive as UTF-8 whose bytes the request front read one character per
// byte; the ERP keeps notes as Windows-1256 (Arabic) bytes. ReencodeNote turns the one
// into the other: the result's characters, as ISO-8859-1 bytes, are the Windows-1256
// encoding of the note.
#pragma once

#include <string>
#include <string_view>

namespace vantor::encode {

// Never fails: undecodable input and characters Windows-1256 lacks become "?".
// Plain ASCII comes back unchanged.
std::string ReencodeNote(std::string_view text);

}  // namespace vantor::encode
