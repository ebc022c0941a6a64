// Writes a complete configuration file with the documented defaults (both
// views in the stock system font) that names BOOK as the last open book,
// with both automatic saves off: ./run.sh gives lumo a fresh program folder
// this way, so that nothing a newcomer types is saved without a question.
//
//   default_configuration.exe FILE BOOK
#include <cstdio>

#include "settings/configuration.h"
#include "win32/shell_resources.h"
#include "win32/win32_files.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: default_configuration FILE BOOK\n", stderr);
        return 2;
    }
    lumo::Settings settings = lumo::default_settings(lumo::win32::system_logfont());
    lumo::set_text(settings.file_name, argv[2]);
    settings.save_data_automatically = 0;
    settings.save_configuration_automatically = 0;
    lumo::win32::Win32FileSystem files;
    if (lumo::save_configuration(settings, argv[1], files)) return 0;
    std::fprintf(stderr, "default_configuration: cannot write %s\n", argv[1]);
    return 1;
}
