// Where the settings file lives, and reading and writing it whole.
#pragma once

#include <string>

#include "common/ini_store.h"

namespace vorta {

// %APPDATA%\tavelo-soft\vorta95\vorta.INI, in the ANSI code page; empty when
// Windows cannot tell the application data folder.
std::string ProfilePath();

// Reads the file at `path` into `store`. A file that does not exist (nor its
// folder) is an empty store and counts as success. Returns false, leaving
// `store` as it was, when the file exists but cannot be read, or is larger than
// kIniFileLimit bytes, which no settings file of ours comes near.
bool LoadIniFile(const std::string& path, IniStore* store);

// Writes `store` to `path`, creating the missing folders on the way. The bytes
// go to "<path>.tmp" first, are flushed, and then take the place of the file in
// one move, so the old file stays whole until the new one is complete. Returns
// false (and removes the temporary file) when any step fails.
bool SaveIniFile(const std::string& path, const IniStore& store);

inline constexpr unsigned long kIniFileLimit = 16ul * 1024 * 1024;

}  // namespace vorta
