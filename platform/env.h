// The environment facilities the programs need, in Linux terms: the temp,
// program and current folders (all ending in "/"), free disk space, the one
// per-user setting, and starting another program without waiting.
#pragma once
#include <cstdint>
#include <string>

namespace platform {

// The command line as the programs read it: the arguments after the program's
// name joined by single blanks (the path, the last argument, may hold blanks).
std::string command_Line(int argc, char** argv);
// The last argument whole ("" without arguments): the path to work on.
std::string last_Arg(int argc, char** argv);

// $TMPDIR, else $TMP, else $tmp, else /tmp; always ends in "/".
std::string temp_Folder();
// Folder of the running executable, ending in "/".
std::string program_Folder();
// Process's current folder, ending in "/".
std::string current_Folder();
// Free bytes for an unprivileged user on the file system holding `path`
// (the path or, when absent, its nearest existing parent); -1 when unknown.
int64_t free_Space(const std::string& path);
// Writes key=value into section [section] of $XDG_CONFIG_HOME/<app>.ini
// (or ~/.config/<app>.ini). Returns false when the file could not be written.
bool save_Setting(const std::string& app, const std::string& section, const std::string& key,
                  const std::string& value);
// Path of the settings file that save_Setting writes for `app`.
std::string settings_File(const std::string& app);
// Starts `program` with the argument words, without waiting. Returns false
// when it could not be started.
bool start_Program(const std::string& program, const std::string& commandLine);

}  // namespace platform
