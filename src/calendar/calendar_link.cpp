// Framing, receiving and interpreting the texts of the calendar link.
#include "calendar/calendar_link.h"

#include <algorithm>
#include <cstring>

#include "calendar/calendar_texts.h"

namespace lumo::calendar {

std::vector<WireMessage> encode_text(std::string_view text) {
    const std::size_t n = std::min(text.size(), text.find('\0'));
    std::vector<WireMessage> messages;
    messages.reserve(n + 2);
    for (std::size_t k = 0; k < n; ++k)
        messages.push_back({k, static_cast<std::int64_t>(static_cast<unsigned char>(text[k]))});
    messages.push_back({n + 1, 0});
    messages.push_back({announcement, static_cast<std::int64_t>(n + 1)});
    return messages;
}

void Receiver::reset() {
    expected_ = -1;
    received_ = 0;
    length_ = -1;
}

std::optional<std::string> Receiver::receive(std::uint64_t w, std::int64_t l) {
    if (w == announcement) {
        if (!announcement_fits(l)) {
            reset();
            return std::nullopt;
        }
        expected_ = static_cast<std::int32_t>(l);
    } else if (!take_message(w, l)) {
        reset();
        return std::nullopt;
    }
    if (received_ != expected_) return std::nullopt;
    reset();
    return take_text();
}

// The messages of one text come in order: characters 0 to n - 1, the
// terminator, the announcement of n + 1. Only the announcement may come
// early. Anything else means messages were lost or counted across two
// texts, and the state starts over; the next text's first message (index
// 0) always begins afresh, so a clean text is understood after any garbage.
bool Receiver::announcement_fits(std::int64_t l) const {
    if (l <= 0 || l > INT32_MAX || l < received_) return false;
    return length_ < 0 || l == std::int64_t{length_} + 1;
}

bool Receiver::take_message(std::uint64_t w, std::int64_t l) {
    if (l < 0 || l > 0xFF) return false;
    const bool terminator = l == 0;
    if (terminator && w == 0) return false;  // it would stand before the text
    const std::uint64_t index = terminator ? w - 1 : w;
    if (index == 0) {
        reset();
        buffer_.fill(0);
    }
    // Each message's index is the number of characters before it, and
    // nothing follows the terminator but the announcement.
    if (index != static_cast<std::uint64_t>(received_) || length_ >= 0) return false;
    if (terminator) length_ = received_;
    if (index < buffer_size) buffer_[index] = static_cast<unsigned char>(l);
    if (received_ == INT32_MAX) return false;
    ++received_;
    // An early announcement must count exactly the messages up to the terminator.
    return expected_ < 0 || (terminator ? received_ == expected_ : received_ < expected_);
}

std::string Receiver::take_text() {
    const auto* begin = buffer_.data();
    const auto* nul = static_cast<const unsigned char*>(std::memchr(begin, 0, buffer_size));
    std::string text(reinterpret_cast<const char*>(begin), nul ? static_cast<std::size_t>(nul - begin) : buffer_size);
    // A completed text is used once: a stray announcement must not replay it.
    buffer_.fill(0);
    return text;
}

namespace {

bool starts_with(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

Report status_report(std::string_view text) {
    Report report{Report::Kind::buttons, {}, {}};
    for (std::size_t i = 0; i < status_buttons.size(); ++i) {
        const std::size_t at = status_prefix.size() + i;
        if (at < text.size() && text[at] == '1') report.buttons.emplace_back(status_buttons[i], true);
    }
    return report;
}

}  // namespace

Report interpret_report(std::string_view text) {
    for (const auto& entry : button_reports)
        if (text == entry.text) return {Report::Kind::buttons, {{entry.button, entry.pressed}}, {}};
    if (text == vornix_quit) return {Report::Kind::quit, {}, {}};
    if (starts_with(text, status_prefix)) return status_report(text);
    if (starts_with(text, search_prefix_report)) {
        std::string_view rest = text.substr(search_prefix_report.size(), search_text_limit);
        return {Report::Kind::search, {}, std::string(rest)};
    }
    return {};
}

int Link::send_to_calendar(std::string_view text) {
    if (!transport_.find_calendar()) return -1;
    // The receiver finds the start of every text itself, so a report that
    // is arriving while we send is kept, not cut off.
    for (const auto& message : encode_text(text)) transport_.post(message);
    return 0;
}

std::optional<Report> Link::on_transfer_message(std::uint64_t w, std::int64_t l) {
    auto text = receiver_.receive(w, l);
    if (!text) return std::nullopt;
    return interpret_report(*text);
}

}  // namespace lumo::calendar
