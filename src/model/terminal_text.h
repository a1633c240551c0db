#pragma once
// Text that goes to a terminal: file names and titles come from other people (a MIDI track
// name, a file planted in a shared folder), and their control bytes would act on the
// terminal (ESC "]0;" retitles it, ESC "[2J" clears it). Everything a name or a title brings
// to standard output or standard error passes through here.
#include <string>
#include <string_view>

namespace pipora {

// C0 control bytes and DEL become \xNN, a C1 code written in UTF-8 becomes \xC2\xNN, and a
// byte 0x80..0x9F outside UTF-8 (a C1 code to an 8-bit terminal) \xNN. Other bytes, UTF-8 or
// not (a Latin-1 name), stay as they are.
std::string TerminalText(std::string_view text);

} // namespace pipora
