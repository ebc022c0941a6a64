// Reading and writing the configuration file, field by field in file order.
#include "settings/configuration.h"

#include <algorithm>
#include <fstream>
#include <istream>

#include "port/safe_write.h"
#include "settings/little_endian.h"

namespace lumo {
namespace {

// Hands out the bytes of a file front to back; a read past the end gets what
// is left.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    // Copies up to count bytes to out and returns how many it copied.
    std::size_t read(std::uint8_t* out, std::size_t count) {
        std::size_t n = std::min(count, bytes_.size() - position_);
        std::copy_n(bytes_.data() + position_, n, out);
        position_ += n;
        return n;
    }

    bool byte(std::uint8_t& out) { return read(&out, 1) == 1; }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

bool read_magic(ByteReader& in) {
    std::uint8_t magic[7];
    return in.read(magic, sizeof magic) == sizeof magic &&
           std::equal(configuration_magic.begin(), configuration_magic.end(), magic,
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

// A cut-off integer keeps its old bytes where the file has none.
void read_int32(ByteReader& in, std::int32_t& value) {
    std::uint8_t bytes[4];
    put_le32(bytes, static_cast<std::uint32_t>(value));
    in.read(bytes, 4);
    value = static_cast<std::int32_t>(get_le32(bytes));
}

void read_rect(ByteReader& in, Rect& rect) {
    for (std::int32_t* value : {&rect.x, &rect.y, &rect.width, &rect.height}) read_int32(in, *value);
}

// A name runs to its zero byte, at most 512 bytes; the rest of the array is
// cleared so no byte of an older name survives behind it.
void read_name(ByteReader& in, FileName& name) {
    FileName read_name{};
    std::size_t length = 0;
    std::uint8_t byte = 0;
    while (length < read_name.size() && in.byte(byte)) {
        read_name[length++] = static_cast<char>(byte);
        if (byte == 0) break;
    }
    if (length != 0) name = read_name;
}

// A colour changes only when all four of its bytes are there.
void read_colour(ByteReader& in, Colour& colour) {
    std::uint8_t bytes[4];
    if (in.read(bytes, 4) == 4) colour = get_le32(bytes);
}

// The text is what precedes the first zero byte; the filler behind it carries
// nothing. A field cut off by the end of the file keeps the characters that
// were read, and never mixes them with the old text.
void read_text_pre_definition(ByteReader& in, TextPreDefinition& text) {
    std::uint8_t bytes[text_pre_definition_size];
    std::size_t count = in.read(bytes, sizeof bytes);
    if (count == 0) return;
    std::size_t length = std::find(bytes, bytes + count, std::uint8_t{0}) - bytes;
    set_text(text, {reinterpret_cast<const char*>(bytes), length});
}

// A font record is taken only whole: half of one is no font.
void read_font(ByteReader& in, LogFont& font) {
    LogFont::Bytes bytes;
    if (in.read(bytes.data(), bytes.size()) == bytes.size()) font = LogFont::from_bytes(bytes);
}

std::uint8_t byte_or(ByteReader& in, std::uint8_t cut_off) {
    std::uint8_t byte = 0;
    return in.byte(byte) ? byte : cut_off;
}

char char_or(ByteReader& in, char cut_off) {
    return static_cast<char>(byte_or(in, static_cast<std::uint8_t>(cut_off)));
}

// A flag that is on only when the byte 1 was read.
std::uint8_t flag_set_by_one(ByteReader& in) { return byte_or(in, 0) == 1 ? 1 : 0; }

// A flag that is off only when the byte 0 was read (so also on when cut off).
std::uint8_t flag_cleared_by_zero(ByteReader& in) { return byte_or(in, 1) == 0 ? 0 : 1; }

void read_address_field_options(ByteReader& in, Settings& s) {
    s.name_separators[0] = char_or(in, ',');
    for (std::size_t i = 1; i < s.name_separators.size(); ++i) s.name_separators[i] = char_or(in, 0);
    constexpr char order_cut_off[5] = {'1', '2', '3', 0, 0};
    for (std::size_t i = 0; i < s.address_line_order.size(); ++i)
        s.address_line_order[i] = char_or(in, order_cut_off[i]);
    s.empty_line_flags[0] = flag_set_by_one(in);
    s.empty_line_flags[1] = flag_cleared_by_zero(in);
    s.empty_line_flags[2] = flag_set_by_one(in);
    s.empty_line_flags[3] = flag_set_by_one(in);
    s.swap_names_flag = flag_cleared_by_zero(in);
}

void read_fields(ByteReader& in, Settings& s) {
    read_rect(in, s.main_window_rectangle);
    read_rect(in, s.overview_rectangle);
    read_rect(in, s.data_view_rectangle);
    read_name(in, s.file_name);
    ViewColours& c = s.colours;
    for (Colour* colour : {&c.data_view_background, &c.data_view_text, &c.first_line_text,
                           &c.first_line_background, &c.overview_background, &c.overview_text,
                           &c.link})
        read_colour(in, *colour);
    for (TextPreDefinition& text : s.text_pre_definitions) read_text_pre_definition(in, text);
    s.window_arrangement = byte_or(in, arrangement::side_by_side);
    s.save_data_automatically = flag_cleared_by_zero(in);
    s.save_configuration_automatically = flag_cleared_by_zero(in);
    read_font(in, s.data_view_font);
    read_font(in, s.overview_font);
    read_address_field_options(in, s);
    for (FileName& name : s.recent_files) read_name(in, name);
    s.print_left_margin = byte_or(in, 0);
    s.print_top_margin = byte_or(in, 0);
}

class ByteWriter {
public:
    void bytes(const void* data, std::size_t count) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        out_.insert(out_.end(), p, p + count);
    }
    void byte(std::uint8_t value) { out_.push_back(value); }
    void int32(std::uint32_t value) {
        std::uint8_t le[4];
        put_le32(le, value);
        bytes(le, 4);
    }
    // Its characters and a zero byte, except a name filling the whole array.
    void name(const FileName& name) {
        std::string_view text = text_of(name);
        bytes(text.data(), text.size());
        if (text.size() < name.size()) byte(0);
    }
    std::vector<std::uint8_t> take() { return std::move(out_); }

private:
    std::vector<std::uint8_t> out_;
};

void write_rect(ByteWriter& out, const Rect& rect) {
    for (std::int32_t value : {rect.x, rect.y, rect.width, rect.height})
        out.int32(static_cast<std::uint32_t>(value));
}

// The text, then zero bytes to the end of the field (always at least one).
void write_text_pre_definition(ByteWriter& out, const TextPreDefinition& text) {
    std::string_view value = text_of(text).substr(0, text_pre_definition_size - 1);
    out.bytes(value.data(), value.size());
    for (std::size_t i = value.size(); i < text_pre_definition_size; ++i) out.byte(0);
}

}  // namespace

void load_configuration(Settings& settings, std::span<const std::uint8_t> bytes) {
    ByteReader in(bytes.first(std::min(bytes.size(), configuration_max_size)));
    if (!read_magic(in)) return;
    read_fields(in, settings);
}

void load_configuration(Settings& settings, std::istream& in) {
    std::vector<char> buffer(configuration_max_size);
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    auto count = static_cast<std::size_t>(in.gcount());
    load_configuration(settings, {reinterpret_cast<const std::uint8_t*>(buffer.data()), count});
}

bool load_configuration_file(Settings& settings, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return false;
    load_configuration(settings, in);
    return true;
}

std::vector<std::uint8_t> configuration_bytes(const Settings& s) {
    ByteWriter out;
    out.bytes(configuration_magic.data(), configuration_magic.size());
    write_rect(out, s.main_window_rectangle);
    write_rect(out, s.overview_rectangle);
    write_rect(out, s.data_view_rectangle);
    out.name(s.file_name);
    const ViewColours& c = s.colours;
    for (Colour colour : {c.data_view_background, c.data_view_text, c.first_line_text,
                          c.first_line_background, c.overview_background, c.overview_text, c.link})
        out.int32(colour);
    for (const TextPreDefinition& text : s.text_pre_definitions) write_text_pre_definition(out, text);
    out.byte(s.window_arrangement);
    out.byte(s.save_data_automatically);
    out.byte(s.save_configuration_automatically);
    for (const LogFont* font : {&s.data_view_font, &s.overview_font}) {
        LogFont::Bytes bytes = font->to_bytes();
        out.bytes(bytes.data(), bytes.size());
    }
    out.bytes(s.name_separators.data(), s.name_separators.size());
    out.bytes(s.address_line_order.data(), s.address_line_order.size());
    out.bytes(s.empty_line_flags.data(), s.empty_line_flags.size());
    out.byte(s.swap_names_flag);
    for (const FileName& name : s.recent_files) out.name(name);
    out.byte(s.print_left_margin);
    out.byte(s.print_top_margin);
    return out.take();
}

bool save_configuration(const Settings& settings, const std::string& path, FileSystem& files) {
    const std::vector<std::uint8_t> bytes = configuration_bytes(settings);
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return write_file_safely(files, path, text) == WriteStep::done;
}

}  // namespace lumo
