#include "core/ini_file.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <optional>

#include "core/file_io.h"

namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool same_name(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> section_name(std::string_view line)
{
    line = trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    size_t close = line.find(']');
    std::string_view inner = line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
    return trim(inner);
}

bool is_key_line(std::string_view line, std::string_view key, std::string_view* value = nullptr)
{
    size_t eq = line.find('=');
    if (eq == std::string_view::npos || section_name(line))
        return false;
    if (!same_name(trim(line.substr(0, eq)), key))
        return false;
    if (value)
        *value = trim(line.substr(eq + 1));
    return true;
}

// Index of the section header line and one past the section's last line.
struct SectionSpan {
    size_t header;
    size_t end;
};

std::optional<SectionSpan> find_section(const IniFile& ini, std::string_view section)
{
    for (size_t i = 0; i < ini.lines.size(); ++i) {
        auto name = section_name(ini.lines[i]);
        if (!name || !same_name(*name, section))
            continue;
        size_t end = i + 1;
        while (end < ini.lines.size() && !section_name(ini.lines[end]))
            ++end;
        return SectionSpan{i, end};
    }
    return std::nullopt;
}

} // namespace

IniFile ini_load(const std::string& path)
{
    IniFile ini;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        ini.lines.push_back(line);
    }
    return ini;
}

bool ini_store(const IniFile& ini, const std::string& path)
{
    ReplacingFile file(path.c_str());
    if (!file)
        return false;
    for (const std::string& line : ini.lines) {
        if (std::fwrite(line.data(), 1, line.size(), file.get()) != line.size() || std::fputc('\n', file.get()) == EOF)
            return false;
    }
    return file.commit();
}

std::string ini_get(const IniFile& ini, std::string_view section, std::string_view key,
                    std::string_view default_text)
{
    auto span = find_section(ini, section);
    if (span) {
        std::string_view value;
        for (size_t i = span->header + 1; i < span->end; ++i) {
            if (is_key_line(ini.lines[i], key, &value))
                return std::string(value);
        }
    }
    return std::string(default_text);
}

void ini_set(IniFile& ini, std::string_view section, std::string_view key, std::string_view value)
{
    std::string line(key);
    line.append("=").append(value);
    auto span = find_section(ini, section);
    if (!span) {
        std::string header("[");
        header.append(section).append("]");
        ini.lines.push_back(header);
        ini.lines.push_back(line);
        return;
    }
    for (size_t i = span->header + 1; i < span->end; ++i) {
        if (is_key_line(ini.lines[i], key)) {
            ini.lines[i] = line;
            return;
        }
    }
    // New key: right after the section's last non-blank line.
    size_t insert_at = span->header + 1;
    for (size_t i = span->header + 1; i < span->end; ++i) {
        if (!trim(ini.lines[i]).empty())
            insert_at = i + 1;
    }
    ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(insert_at), line);
}
