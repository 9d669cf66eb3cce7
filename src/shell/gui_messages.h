// The GUI speaks Japanese: the engine's English messages (refused settings, analysis file
// problems) become Japanese texts before a message box shows them. The batch program keeps
// the English texts.
#pragma once

#include <string>
#include <string_view>

// Refusals of settings the conversion cannot use, as the settings dialogs and the GUI's
// message boxes say them.
extern const char* const FFT_SIZE_REFUSED_TEXT;
extern const char* const KEY_RANGE_REFUSED_TEXT;
extern const char* const KEY_ORDER_REFUSED_TEXT;
extern const char* const TIME_UNIT_REFUSED_TEXT;

// The Japanese text for an engine message: a known message in Japanese (with the file name
// it names), Japanese text as it is, and any other English text behind a Japanese lead
// sentence, so that no box of the GUI is English only.
std::string gui_message_text(std::string_view text);
