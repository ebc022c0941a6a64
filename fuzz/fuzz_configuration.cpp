// Any bytes as a configuration file: loading never fails, and whatever it
// yields survives a save and a reload unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "settings/configuration.h"

namespace {

lumo::LogFont system_font() {
    lumo::LogFont font;
    font.height = 16;
    font.weight = 700;
    std::memcpy(font.face_name.data(), "System", 6);
    return font;
}

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lumo::Settings settings = lumo::default_settings(system_font());
    lumo::load_configuration(settings, std::span<const std::uint8_t>(data, size));

    // Flags read as 0 or 1; texts end inside their fields.
    check(settings.save_data_automatically <= 1 && settings.save_configuration_automatically <= 1);
    check(settings.swap_names_flag <= 1);
    for (std::uint8_t flag : settings.empty_line_flags) check(flag <= 1);
    for (const auto& text : settings.text_pre_definitions) check(text.back() == '\0');
    check(settings.data_view_font.face_name.back() == '\0');
    check(settings.overview_font.face_name.back() == '\0');

    std::vector<std::uint8_t> bytes = lumo::configuration_bytes(settings);
    check(bytes.size() >= 744 && bytes.size() <= lumo::configuration_max_size);
    lumo::Settings reloaded = lumo::default_settings(system_font());
    lumo::load_configuration(reloaded, bytes);
    check(reloaded == settings);
    check(lumo::configuration_bytes(reloaded) == bytes);
    return 0;
}
