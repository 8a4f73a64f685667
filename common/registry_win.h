// Reading and writing one registry value as raw bytes.
//
// The password's backup copy lives in the registry as binary data: written as
// REG_SZ through the ANSI functions, a value goes through Unicode, which
// mangles byte pairs that are not valid CP932, and the scrambled password is
// arbitrary bytes. Values written as REG_SZ in the past are still read.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace vorta {

// The most bytes a value may have to be read or written here. The largest
// value the program keeps is the scrambled password of 252 bytes; the bound
// leaves room for a string value written in the past, which Windows converts
// from Unicode on the way.
inline constexpr std::size_t kRegistryValueLimit = 1024;

// Reads the value `name` of `subkey` under `root` into `bytes`, exactly as
// stored, whatever its type (a REG_SZ value comes in the ANSI code page, with
// its terminating zero when it was stored with one). Returns false, leaving
// `bytes` as it was, when the key or the value is missing, cannot be read, or
// holds more than kRegistryValueLimit bytes.
bool ReadRegistryValue(HKEY root, const char* subkey, const char* name, std::string* bytes);

// ReadRegistryValue, with the value cut at its first zero byte: what a C string
// read from it holds.
bool ReadRegistryString(HKEY root, const char* subkey, const char* name, std::string* text);

// Writes `bytes` as the REG_BINARY value `name` of `subkey` under `root`,
// creating the key and any missing key above it. Returns false when the key
// cannot be opened nor created, the value cannot be written, or `bytes` holds
// more than kRegistryValueLimit bytes (which could not be read back).
bool WriteRegistryBinary(HKEY root, const char* subkey, const char* name, std::string_view bytes);

}  // namespace vorta
