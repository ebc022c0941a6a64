// The calendar link: texts travel as one posted message per character, then a
// terminator, then an announcement of how many messages came before it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::calendar {

// wParam of the announcement message.
inline constexpr std::uint64_t announcement = 999999;

struct WireMessage {
    std::uint64_t w;  // wParam
    std::int64_t l;   // lParam
    bool operator==(const WireMessage&) const = default;
};

// The messages that carry `text` (up to its first NUL).
std::vector<WireMessage> encode_text(std::string_view text);

// Collects the messages of one text. The buffer is fixed; characters whose
// index falls outside it are dropped, and a text without terminator is cut
// at the buffer's end. Messages that cannot belong to the text being
// collected (lost, doubled or stray ones) reset it, and every text's first
// message starts afresh, so one damaged text never spoils the next.
class Receiver {
public:
    static constexpr std::size_t buffer_size = 1024;

    // Takes one transfer message; returns the text once it is complete.
    std::optional<std::string> receive(std::uint64_t w, std::int64_t l);
    // Back to idle.
    void reset();

    std::int32_t received_count() const { return received_; }
    std::int32_t expected_count() const { return expected_; }

private:
    bool announcement_fits(std::int64_t l) const;
    bool take_message(std::uint64_t w, std::int64_t l);
    std::string take_text();

    std::array<unsigned char, buffer_size> buffer_{};
    std::int32_t received_ = 0;
    std::int32_t expected_ = -1;
    // The text's length once its terminator came, else -1.
    std::int32_t length_ = -1;
};

// What a completed report asks the address book to do.
struct Report {
    enum class Kind { ignored, buttons, quit, search };
    Kind kind = Kind::ignored;
    // For buttons: (button id, pressed) in the order to apply.
    std::vector<std::pair<int, bool>> buttons;
    // For search: the text to find.
    std::string search_text;
};

Report interpret_report(std::string_view text);

// How the link reaches the calendar program's window (the shell posts).
class Transport {
public:
    virtual ~Transport() = default;
    // Looks the calendar window up again; false when it is not running.
    virtual bool find_calendar() = 0;
    // Posts one transfer message to the window last found.
    virtual void post(const WireMessage& message) = 0;
    // Makes the calendar window the foreground window, when it exists.
    virtual void bring_calendar_to_front() = 0;
};

// The address book's end of the link.
class Link {
public:
    explicit Link(Transport& transport) : transport_(transport) {}

    // Returns -1 (and sends nothing) when the calendar is not running, else 0.
    // A report arriving meanwhile is not disturbed.
    int send_to_calendar(std::string_view text);
    // One transfer message from the calendar; a report once a text completes.
    std::optional<Report> on_transfer_message(std::uint64_t w, std::int64_t l);

    Transport& transport() { return transport_; }
    const Receiver& receiver() const { return receiver_; }

    // The calendar chosen in the last search request (1 to 4).
    int search_calendar = 1;

private:
    Transport& transport_;
    Receiver receiver_;
};

}  // namespace lumo::calendar
