// Texts carried in the payload (licences, read-mes) shown in a memo.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/types.h"
#include "platform/ui.h"

// Replaces the lines of `list` by the text of payload entry n (record 128 + n).
// False, with the list left empty, when the record is missing, damaged or
// cannot be read; nothing is reported.
bool LoadPayloadText(IControl& list, int n);

// Splits a text file into lines. The byte-order mark decides the encoding
// (UTF-8, UTF-16 LE or BE); without one the bytes are read in the
// system's ANSI code page.
// Lines end at CR LF, CR or LF; a final line break adds no empty line.
std::vector<ustring> DecodeTextLines(const std::uint8_t* data, std::size_t size);
