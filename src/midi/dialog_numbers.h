// Numbers typed into dialog fields, read as the dialogs always read them. Plain C++, so the
// dialog rules of every layer share one reading.
#pragma once

#include <cstdint>
#include <string_view>

// A number typed into a dialog field, as a dialog reads it: leading spaces skipped, then
// decimal digits (after one '-' when signed) up to the first other character. Text without
// digits, and a value outside int32 (signed) or uint32 (unsigned), reads as 0. An unsigned
// value is returned as the int32 with the same bits.
int32_t read_dialog_int(std::string_view text, bool is_signed);
