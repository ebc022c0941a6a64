// Helpers for the program's message boxes: they keep the modal flag set while
// a box is up so that keys arriving meanwhile are ignored.
#include "port/port.h"

namespace lumo {
namespace {

class ModalScope {
public:
    explicit ModalScope(Port& port) : port_(port), was_(port.modal_flag) { port_.modal_flag = true; }
    ~ModalScope() { port_.modal_flag = was_; }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    Port& port_;
    bool was_;
};

}  // namespace

void show_error(Port& port, std::string_view text, std::string_view caption) {
    ModalScope modal(port);
    port.prompts.beep();
    port.prompts.message_box(text, caption, box::error);
}

void show_notice(Port& port, std::string_view text, std::string_view caption) {
    ModalScope modal(port);
    port.prompts.message_box(text, caption, box::notice);
}

bool ask_yes_no(Port& port, std::string_view text, std::uint32_t style,
                std::string_view caption) {
    ModalScope modal(port);
    return port.prompts.message_box(text, caption, style) == Answer::yes;
}

}  // namespace lumo
