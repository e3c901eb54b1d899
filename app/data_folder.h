// Where the show reads its files from.
//
// The show opens every file by name, relative to the working folder. A program started in a
// folder that holds the show's data reads it there, as it always has. Started anywhere else, it
// moves into the data folder installed beside it, <program's folder>/../share/orrery3d, before
// it opens anything: /usr/share/orrery3d for /usr/bin/orrery3d, and in a build tree
// <build>/share/orrery3d, which leads to the generated pack in <build>/data. A folder holds the
// show's data when it holds any of the files of that installed folder (a partial copy still
// counts, so a missing file is reported as missing rather than taken from elsewhere).
#pragma once

#include <filesystem>
#include <string>

// <program's folder>/../share/orrery3d when that is a folder; empty otherwise (also in the
// browser, where the data is packed into the page's file system).
std::filesystem::path InstalledDataFolder();

// Whether `folder` holds a regular file of the same name as any regular file in `dataFolder`.
bool HoldsShowData(const std::filesystem::path& folder, const std::filesystem::path& dataFolder);

// The folder to move into before the show opens its files: the installed data folder when the
// working folder holds none of its files; empty to stay where the program was started.
std::filesystem::path DataFolderToEnter();

// Makes `folder` the working folder. False, with the folder and the cause in `error`, when it
// cannot be entered.
bool EnterDataFolder(const std::filesystem::path& folder, std::string& error);
