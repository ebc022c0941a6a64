// The address file: the text buffer byte for byte with the German letters in
// their OEM code, optionally enciphered behind an eight-byte header (the
// marker 'P' and the check word "quimbel" plus the password), and the ".DUP"
// backup written before every save.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "data/file_state.h"
#include "data/store.h"

namespace lumo {

inline constexpr char protection_marker = 0x50;
inline constexpr std::string_view check_text = "quimbel";
inline constexpr std::size_t protected_header_bytes = 8;

inline constexpr std::string_view text_cannot_open = "Cannot open file!";
inline constexpr std::string_view text_wrong_password = "Wrong password!";
inline constexpr std::string_view text_no_memory_for_backup = "Not enough memory free for creating a *.DUP-File!";
inline constexpr std::string_view text_disk_full = "   Drive X: is full!\nCannot save file!";
inline constexpr std::string_view text_cannot_save = "Cannot save file!";

// What reading and writing need from the file commands and the frame.
struct FileHooks {
    // Empties the store as New does (after a wrong password on open).
    std::function<void()> new_store;
    // Rebuilds the window title from the file name.
    std::function<void()> set_window_title;
    // Runs between writing the backup and writing the file.
    std::function<void()> after_backup;
};

enum class ReadStatus { read, cannot_open, no_memory, wrong_password };
struct ReadResult {
    ReadStatus status = ReadStatus::read;
    // Text bytes read, plus 8 for a protected file.
    std::int64_t bytes = 0;
};

// Mode 0 replaces the store with the file, mode 1 appends the file's entries.
// Ends with the whole buffer in ANSI and reindexed, except after a wrong
// password (mode 0 runs hooks.new_store, mode 1 leaves the store untouched).
// On any failure the store keeps its previous text.
ReadResult read_address_file(Store& store, FileState& file, std::string_view path, int mode,
                             const FileHooks& hooks = {});

enum class WriteStatus { written, disk_full, cannot_save, released };

// Writes the store to `path` (backup first), protected when the file
// password is set; clears `modified` only when every byte reached the disk.
WriteStatus write_address_file(Store& store, const FileState& file, std::string_view path,
                               const FileHooks& hooks = {});

// The German letters between the ANSI code in memory and the file's code.
void to_oem(char* text, std::size_t length);
void to_ansi(char* text, std::size_t length);
void to_oem(Store& store);
void to_ansi(Store& store);

// Adds (encipher) or subtracts (decipher) the password byte i mod length to
// byte i (only its first 19 characters count; an empty one changes nothing).
void encipher(char* text, std::size_t length, std::string_view password);
void decipher(char* text, std::size_t length, std::string_view password);

// The path with its last three characters replaced by "DUP".
std::string backup_name(std::string_view path);
// "   Drive X: is full!\nCannot save file!" with X the path's first
// character upper-cased.
std::string disk_full_text(std::string_view path);

}  // namespace lumo
