// Where Tonagram.ini lives. A program whose directory the user may write and that is no
// installed copy (the build tree, a portable copy) keeps its settings beside the
// executable. An installed copy, or one in a directory the user may not write, keeps each
// user's settings in $XDG_CONFIG_HOME/tonagram/Tonagram.ini (~/.config/tonagram/ when the
// variable is unset, empty or relative) and still reads the file beside the executable for
// the values the user has not saved.
#pragma once

#include <string>

struct SettingsFiles {
    std::string beside;  // Tonagram.ini in the executable's directory
    std::string user;    // the user's own file; empty when the settings stay beside
};

// What decides the place, gathered by settings_files() for the running program.
struct SettingsPlace {
    std::string executable_dir;           // with its trailing "/", or empty
    bool executable_dir_writable = true;
    bool installed_layout = false;        // the installed data directory exists
    std::string xdg_config_home;          // the variable's value, empty when unset
    std::string home;                     // the user's home directory, empty when unknown
};

// The files for place. With neither a usable XDG_CONFIG_HOME nor a home directory there is
// no user file: the settings stay beside the executable.
SettingsFiles choose_settings_files(const SettingsPlace& place);

// The files of the running program for the user running it.
SettingsFiles settings_files();

// Creates the directories of path's folder that are missing, with permissions 0700 as the
// XDG base directory rules ask. False when the folder cannot be made.
bool create_settings_folder(const std::string& path);
