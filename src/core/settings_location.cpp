#include "core/settings_location.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "core/program_directory.h"

namespace {

constexpr const char* SETTINGS_NAME = "Tonagram.ini";

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// HOME, or the password database's entry when HOME is unset or relative.
std::string home_directory()
{
    const std::string home = environment("HOME");
    if (!home.empty() && home[0] == '/')
        return home;
    const passwd* entry = ::getpwuid(::getuid());
    return entry && entry->pw_dir && entry->pw_dir[0] == '/' ? std::string(entry->pw_dir) : std::string();
}

// The XDG configuration directory: the variable when it holds an absolute path (the rules
// say to ignore a relative one), else ~/.config; empty when neither is known.
std::string config_home(const SettingsPlace& place)
{
    if (!place.xdg_config_home.empty() && place.xdg_config_home[0] == '/')
        return place.xdg_config_home;
    return place.home.empty() ? std::string() : place.home + "/.config";
}

bool is_directory(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

SettingsFiles choose_settings_files(const SettingsPlace& place)
{
    SettingsFiles files{place.executable_dir + SETTINGS_NAME, {}};
    if (place.executable_dir_writable && !place.installed_layout)
        return files;
    const std::string config = config_home(place);
    if (!config.empty())
        files.user = config + "/tonagram/" + SETTINGS_NAME;
    return files;
}

SettingsFiles settings_files()
{
    SettingsPlace place;
    place.executable_dir = executable_directory();
    const std::string dir = place.executable_dir.empty() ? "." : place.executable_dir;
    place.executable_dir_writable = ::access(dir.c_str(), W_OK) == 0;
    place.installed_layout = is_installed_layout(place.executable_dir);
    place.xdg_config_home = environment("XDG_CONFIG_HOME");
    place.home = home_directory();
    return choose_settings_files(place);
}

bool create_settings_folder(const std::string& path)
{
    const size_t end = path.find_last_of('/');
    if (end == std::string::npos || end == 0)
        return true;
    for (size_t slash = path.find('/', 1); slash != std::string::npos && slash <= end;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (!is_directory(folder) && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return is_directory(path.substr(0, end));
}
