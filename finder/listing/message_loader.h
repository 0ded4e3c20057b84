// Access to the message table in TLVC's own string table (see common/message_table.h).
#pragma once

#include <cstddef>

#include "common/bounded_text.h"
#include "common/message_table.h"

using MessageBuffer = BoundedText<msg::kMessageBufferSize>;

// Loads the message `japaneseId` when `japanese` is set, else its English twin
// (japaneseId + 12), as the program's text (UTF-8); a text longer than the
// buffer's 79 bytes is cut by the loader, never inside a character. Returns the number of bytes
// loaded: 0 means the text is empty or could not be loaded, and `buffer` then holds the empty text.
int LoadMessage(unsigned japaneseId, bool japanese, MessageBuffer& buffer);

// Loads string `id` as it is (the default options, id 1) into `buffer` of
// `size` bytes; returns the number of bytes loaded, 0 on failure.
int LoadStringId(unsigned id, char* buffer, int size);
