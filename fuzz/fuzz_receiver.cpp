// Any sequence of transfer messages (characters, terminators and
// announcements with any indices and values, texts cut short, requests of
// our own sent in between), then a clean "VornixQuit": the receiver stays in
// its buffer, and the clean report is always understood, on its last
// message and not before.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "calendar/calendar_link.h"
#include "calendar/calendar_texts.h"

namespace {

using lumo::calendar::Report;
using lumo::calendar::WireMessage;

class Unanswered final : public lumo::calendar::Transport {
public:
    bool find_calendar() override { return true; }
    void post(const WireMessage&) override {}
    void bring_calendar_to_front() override {}
};

void check(bool condition) {
    if (!condition) std::abort();
}

constexpr std::string_view reports[] = {"OpenKal1", "CloseAlarm", "VORNIX101000", "ASMeier", "", "VornixQuit"};

// One message (or a piece of a text) from three input bytes.
void play(lumo::calendar::Link& link, std::uint8_t op, std::uint8_t a, std::uint8_t b) {
    auto deliver = [&link](std::uint64_t w, std::int64_t l) {
        if (auto report = link.on_transfer_message(w, l)) check(report->search_text.size() <= lumo::calendar::search_text_limit);
    };
    switch (op % 8) {
    case 0:
    case 1: deliver(a % 32, b); break;                         // a character, or a terminator when b is 0
    case 2: deliver(a % 32 + 1, 0); break;                      // a terminator
    case 3: deliver(lumo::calendar::announcement, std::int64_t{a} - 16); break;
    case 4: deliver((std::uint64_t{a} << 8 | b) + 1000, 'x'); break;  // far outside the buffer
    case 5: {                                                   // a report, cut after b messages
        const auto messages = lumo::calendar::encode_text(reports[a % std::size(reports)]);
        for (std::size_t i = 0; i < messages.size() && i < b; ++i) deliver(messages[i].w, messages[i].l);
        break;
    }
    case 6: link.send_to_calendar(lumo::calendar::lumo_quit); break;
    default: deliver(~std::uint64_t{a}, (std::int64_t{b} - 128) << 40); break;  // extreme values
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Unanswered transport;
    lumo::calendar::Link link(transport);
    for (std::size_t i = 0; i + 3 <= size; i += 3) play(link, data[i], data[i + 1], data[i + 2]);

    const auto messages = lumo::calendar::encode_text(lumo::calendar::vornix_quit);
    for (std::size_t i = 0; i < messages.size(); ++i) {
        const auto report = link.on_transfer_message(messages[i].w, messages[i].l);
        const bool last = i + 1 == messages.size();
        check(report.has_value() == last);
        if (last) check(report->kind == Report::Kind::quit);
    }
    return 0;
}
