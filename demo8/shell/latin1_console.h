#pragma once
// demo8's texts are Latin-1 bytes ("ä" is 0xE4). A Windows console shows
// bytes in its output code page, by default an OEM one (437, 850) where 0xE4
// is another letter: there the console is switched to Latin-1 for the show's
// lifetime and gets its own code page back when the program exits. Elsewhere
// this does nothing; terminals there take the bytes as they are.
namespace d8 {

void latin1_console();

} // namespace d8
