// A small reader and writer for Windows-style profile (.ini) files: sections in square
// brackets, key=value lines. Section and key names compare without regard to case;
// blanks around names and values are trimmed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct IniFile {
    std::vector<std::string> lines;  // the file as read, without line ends
};

// Reads the file; a missing or unreadable file gives an empty document.
IniFile ini_load(const std::string& path);

// Writes the document as a ReplacingFile, so a failed write leaves the previous file
// intact. Returns false on failure.
bool ini_store(const IniFile& ini, const std::string& path);

// The value of key in section, or default_text when the section or key is missing.
// A key present with an empty value gives the empty text, not the default.
std::string ini_get(const IniFile& ini, std::string_view section, std::string_view key,
                    std::string_view default_text);

// Replaces an existing key's value in place, appends a new key to the end of its section,
// or appends a new section holding the key.
void ini_set(IniFile& ini, std::string_view section, std::string_view key, std::string_view value);
