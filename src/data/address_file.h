// The address file: the text buffer byte for byte with the German letters in
// their OEM code, optionally enciphered behind an eight-byte header (the
// marker 'P' and the check word "quimbel" plus the password), and the ".DUP"
// backup written before every save.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
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
    // Runs once the new file has taken the old one's place (the undo
    // snapshot goes then: its state no longer matches the file on disk).
    std::function<void()> after_write;
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

// Writes the store to `path`, protected when the file password is set,
// through a new file that replaces the old one only once it is complete on
// disk; the ".DUP" backup of the old file is made the same way first. A
// failure at any step shows its message, leaves the old file (and any
// backup there was) as it was and keeps `modified`; only a complete save
// clears it.
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

// Adds (or, with `subtract`, takes away) the password's key stream to
// `length` bytes whose first is text byte `position`, with the given kernel
// (any but the portable one uses SSE2 where the build has it).
void apply_key_stream(char* text, std::size_t length, std::string_view password, std::size_t position,
                      bool subtract, ScanKernel kernel = fastest_scan_kernel());

// Where a read takes the file's text from: up to `room` bytes into `to`.
// Returns the bytes delivered (fewer than asked only at the end), or
// nothing on a read error.
using TextSource = std::function<std::optional<std::size_t>(char* to, std::size_t room)>;

// Where a read puts the entry ends it finds: `found` offsets (each behind
// a terminator) that follow the first `count` ones.
using EntryEndSink = std::function<void(std::int32_t count, const std::int32_t* ends, std::size_t found)>;

struct LoadedText {
    // Text bytes in the buffer: the kept ones and the new ones.
    std::int32_t length = 0;
    // Entry ends handed to the sink.
    std::int32_t entry_count = 0;
};

// A second reader of the same file for the second half of a big read: the
// source that gives its bytes from `skip` bytes behind where the first
// source starts, or nothing when none can be had (the read then stays on
// one thread). Reads of `from` bytes or more use it.
inline constexpr std::size_t read_two_threads_from = std::size_t{4} << 20;
struct SecondReader {
    std::function<std::optional<TextSource>(std::size_t skip)> source;
    std::size_t from = read_two_threads_from;
};

// Completes a text whose first `ready` bytes are in `text` with at most
// `most` bytes from `source`, asked for `piece` bytes at a time (all at once
// by default: one large read costs least). The new bytes are deciphered
// with `password` (none when empty; the key starts at the first new byte)
// in small chunks, each recoded to ANSI and scanned for entry terminators
// while still in the cache, so the text is walked once; the kept bytes are
// recoded and scanned too, and every entry end goes to `sink` in order.
// With a second reader, a big read takes its second half on a second
// thread; the result is the same. `text` needs room for ready + most +
// text_guard bytes. Nothing on a read error.
std::optional<LoadedText> load_text(char* text, std::int32_t ready, std::size_t most, std::string_view password,
                                    const TextSource& source, const EntryEndSink& sink, std::size_t piece = SIZE_MAX,
                                    ScanKernel kernel = fastest_scan_kernel(), const SecondReader& second_reader = {});

// The path with its last three characters replaced by "DUP".
std::string backup_name(std::string_view path);
// "   Drive X: is full!\nCannot save file!" with X the path's first
// character upper-cased.
std::string disk_full_text(std::string_view path);

}  // namespace lumo
