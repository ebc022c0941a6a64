// The calendar link: framing, the receiver's counting and its safety against
// hostile sequences, the report table, and the application's reactions.
#include <gtest/gtest.h>

#include <random>

#include "app/app.h"
#include "calendar/calendar_link.h"
#include "calendar/calendar_texts.h"
#include "support/fake_port.h"

namespace lumo::calendar {
namespace {

class FakeTransport final : public Transport {
public:
    bool running = true;
    int fronts = 0;
    std::vector<WireMessage> posted;
    bool find_calendar() override { return running; }
    void post(const WireMessage& m) override { posted.push_back(m); }
    void bring_calendar_to_front() override { ++fronts; }
};

std::optional<std::string> feed(Receiver& r, const std::vector<WireMessage>& messages) {
    std::optional<std::string> out;
    for (const auto& m : messages) {
        auto text = r.receive(m.w, m.l);
        if (text) {
            EXPECT_FALSE(out) << "completed twice";
            out = text;
        }
    }
    return out;
}

TEST(CalendarCodec, FramesTextsAsCharactersTerminatorAndAnnouncement) {
    std::vector<WireMessage> expected;
    const std::string text = "OpenKal1";
    for (std::uint64_t k = 0; k < 8; ++k) expected.push_back({k, text[k]});
    expected.push_back({9, 0});
    expected.push_back({999999, 9});
    EXPECT_EQ(encode_text(text), expected);

    EXPECT_EQ(encode_text(""), (std::vector<WireMessage>{{1, 0}, {999999, 1}}));
    // Characters are sent as unsigned bytes.
    EXPECT_EQ(encode_text("\xe4")[0].l, 0xE4);
}

TEST(CalendarReceiver, RoundTripsTextsOfEveryShape) {
    Receiver r;
    for (std::string text : {std::string(), std::string("VORNIX101000"), std::string(1000, 'x'),
                             std::string("M\xfcller \x92")}) {
        EXPECT_EQ(feed(r, encode_text(text)), text);
        EXPECT_EQ(r.expected_count(), -1);
        EXPECT_EQ(r.received_count(), 0);
    }
    // A shorter text after a longer one is cut by its own terminator.
    feed(r, encode_text("ABCDEFGH"));
    EXPECT_EQ(feed(r, encode_text("XY")), "XY");
}

TEST(CalendarReceiver, EarlyAnnouncementWaitsForTheLastCharacter) {
    Receiver r;
    auto m = encode_text("AB");
    EXPECT_FALSE(r.receive(m[0].w, m[0].l));
    EXPECT_FALSE(r.receive(m[3].w, m[3].l));  // announcement before 'B' and the terminator
    EXPECT_FALSE(r.receive(m[1].w, m[1].l));
    EXPECT_EQ(r.receive(m[2].w, m[2].l), "AB");
}

TEST(CalendarReceiver, HostileSequencesStayInBoundsAndRecover) {
    Receiver r;
    // Messages that cannot start a text (indices outside the buffer, a
    // terminator at w = 0) are dropped and count for nothing.
    EXPECT_FALSE(r.receive(1024, 'x'));
    EXPECT_FALSE(r.receive(~std::uint64_t{0}, 'x'));
    EXPECT_FALSE(r.receive(0, 0));
    EXPECT_FALSE(r.receive(999999, 3));
    // A text without terminator is cut at the buffer's end.
    for (std::uint64_t k = 0; k < 1024; ++k) r.receive(k, 'z');
    EXPECT_EQ(r.receive(999999, 1024), std::string(1024, 'z'));
    // An announcement of nothing, a negative or a too small count never
    // replays the last text, and the next good text still arrives.
    feed(r, encode_text("VornixQuit"));
    EXPECT_FALSE(r.receive(999999, 0));
    EXPECT_FALSE(r.receive(999999, -5));
    r.receive(0, 'A');
    r.receive(1, 'B');
    EXPECT_FALSE(r.receive(999999, 1));
    EXPECT_EQ(feed(r, encode_text("OpenAlarm")), "OpenAlarm");
    // A repeated announcement after completion does not complete again.
    EXPECT_FALSE(r.receive(999999, 10));

    std::mt19937_64 rng(42);
    for (int i = 0; i < 200000; ++i) {
        std::uint64_t w = (rng() % 4 == 0) ? 999999 : rng() % 1400;
        std::int64_t l = static_cast<std::int64_t>(rng() % 600) - 100;
        auto text = r.receive(w, l);
        if (text) {
            EXPECT_LE(text->size(), Receiver::buffer_size);
        }
    }
}

// Slipped counts (the start of a report lost, an announcement larger than
// what came) once left every later report completing a message late; now
// each clean report after any such garbage completes on its own last
// message with its own text.
TEST(CalendarReceiver, ResynchronisesOnTheNextTextAfterAnyGarbage) {
    const auto quit = encode_text("VornixQuit");
    const std::vector<std::vector<WireMessage>> garbage = {
        {quit.begin() + 4, quit.end()},                        // a report without its start
        {{0, 'O'}, {1, 'p'}, {999999, 40}},                    // an announcement beyond the count
        {{0, 'O'}, {1, 'p'}, {1, 'p'}, {3, 'n'}},              // a doubled and a lost character
        {{0, 'A'}, {1, 'B'}, {5, 0}, {999999, 6}},             // a terminator that does not match the count
        {{0, 'A'}, {999999, 3}, {1, 'B'}, {2, 'C'}, {4, 0}},   // an early announcement that is too small
        {{0, 'A'}, {2, 0}, {2, 'B'}, {999999, 2}},             // a character behind the terminator
        {{0, 'A'}, {2, 0}, {999999, 5}},                       // an announcement that contradicts the terminator
        {{0, 300}, {1, -1}, {0, 'X'}},                         // values no character has
    };
    for (std::size_t g = 0; g < garbage.size(); ++g) {
        Receiver r;
        for (const auto& m : garbage[g]) EXPECT_FALSE(r.receive(m.w, m.l)) << g;
        for (std::string_view text : {"OpenKal2", "VornixQuit", ""}) {
            const auto messages = encode_text(text);
            for (std::size_t i = 0; i + 1 < messages.size(); ++i)
                EXPECT_FALSE(r.receive(messages[i].w, messages[i].l)) << g << " " << text;
            EXPECT_EQ(r.receive(messages.back().w, messages.back().l), std::string(text)) << g;
        }
    }
}

TEST(CalendarReports, FollowTheTableInOrder) {
    auto buttons = [](std::string_view text) { return interpret_report(text).buttons; };
    using B = std::vector<std::pair<int, bool>>;
    EXPECT_EQ(buttons("OpenKal3"), (B{{1218, true}}));
    EXPECT_EQ(buttons("CloseGClock"), (B{{40006, false}}));
    EXPECT_EQ(buttons("OpenAlarm"), (B{{40041, true}}));
    EXPECT_EQ(buttons("VORNIX101000xyz111"), (B{{1216, true}, {1218, true}}));
    EXPECT_EQ(buttons("VORNIX011"), (B{{1217, true}, {1218, true}}));
    EXPECT_EQ(buttons("VORNIX000001"), (B{{40041, true}}));
    EXPECT_EQ(interpret_report("VornixQuit").kind, Report::Kind::quit);
    EXPECT_EQ(interpret_report("vornixquit").kind, Report::Kind::ignored);
    EXPECT_EQ(interpret_report("OpenKal1 ").kind, Report::Kind::ignored);
    EXPECT_EQ(interpret_report("").kind, Report::Kind::ignored);

    auto search = interpret_report("AS" + std::string(60, 'q'));
    EXPECT_EQ(search.kind, Report::Kind::search);
    EXPECT_EQ(search.search_text, std::string(51, 'q'));
    EXPECT_EQ(interpret_report("ASMeier").search_text, "Meier");
}

TEST(CalendarLink, SendsOnlyWhenTheCalendarRunsAndLeavesAnArrivingReportWhole) {
    FakeTransport t;
    Link link(t);
    const auto report = encode_text("VornixQuit");
    for (std::size_t i = 0; i < 4; ++i) link.on_transfer_message(report[i].w, report[i].l);  // a report is arriving...
    EXPECT_EQ(link.send_to_calendar("LumoQuit"), 0);
    EXPECT_EQ(t.posted, encode_text("LumoQuit"));
    std::optional<Report> done;
    for (std::size_t i = 4; i < report.size(); ++i) done = link.on_transfer_message(report[i].w, report[i].l);
    ASSERT_TRUE(done) << "...and survives the send";
    EXPECT_EQ(done->kind, Report::Kind::quit);

    t.running = false;
    t.posted.clear();
    EXPECT_EQ(link.send_to_calendar("OpenKal1"), -1);
    EXPECT_TRUE(t.posted.empty());
}

struct AppFixture : ::testing::Test {
    testing::FakePort fake;
    FakeTransport transport;
    App app{fake.port, transport};
    void deliver(std::string_view text) {
        for (const auto& m : encode_text(text)) app.on_transfer_message(m.w, m.l);
    }
};

TEST_F(AppFixture, GreetingWithoutCalendarShowsTheMessageAndQuits) {
    transport.running = false;
    EXPECT_FALSE(app.greet_calendar());
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, "You\x92ve not started a VORNIX!");
    EXPECT_EQ(fake.boxes[0].caption, "VORNIX-Lumo:");
    EXPECT_EQ(fake.boxes[0].style, box::error);
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_TRUE(fake.modal_seen_in_box);
    EXPECT_FALSE(fake.port.modal_flag);
    EXPECT_EQ(fake.quits, 1);
}

TEST_F(AppFixture, GreetingReachesARunningCalendar) {
    EXPECT_TRUE(app.greet_calendar());
    EXPECT_EQ(transport.posted, encode_text("HALLO, HIER IST LUMO!"));
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(AppFixture, ReportsPressButtonsQuitAndSearch) {
    std::string searched;
    app.on_search_request = [&](std::string_view text) { searched = text; };
    deliver("VORNIX101000");
    deliver("CloseKal1");
    EXPECT_EQ(fake.buttons, (std::map<int, bool>{{1216, false}, {1218, true}}));
    deliver("ASM\xfcller");
    EXPECT_EQ(searched, "M\xfcller");
    EXPECT_EQ(fake.quits, 0);
    deliver("VornixQuit");
    EXPECT_EQ(fake.quits, 1);
}

// A quit report that comes while one of lumo's boxes or dialogs is up (in
// the middle of a command) is acted on once the command is over; the end of
// the session meanwhile is refused.
TEST_F(AppFixture, AQuitReportDuringADialogWaitsUntilItIsOver) {
    fake.port.modal_flag = true;
    deliver("VornixQuit");
    app.run_pending_quit();
    EXPECT_EQ(fake.quits, 0);
    EXPECT_FALSE(app.may_end_session());
    fake.port.modal_flag = false;
    app.run_pending_quit();
    EXPECT_EQ(fake.quits, 1);
    app.run_pending_quit();
    EXPECT_EQ(fake.quits, 1);
    EXPECT_TRUE(app.may_end_session());
}

TEST_F(AppFixture, OpenCommandsAndShutDown) {
    app.open_calendar_window(1217, true);
    app.open_calendar_window(40006, false);
    EXPECT_EQ(transport.fronts, 1);
    auto expected = encode_text("OpenKal2");
    auto clock = encode_text("OpenGClock");
    expected.insert(expected.end(), clock.begin(), clock.end());
    EXPECT_EQ(transport.posted, expected);

    transport.posted.clear();
    app.shut_down();
    app.shut_down();
    EXPECT_EQ(transport.posted, encode_text("LumoQuit"));
    EXPECT_TRUE(fake.port.modal_flag);
}

}  // namespace
}  // namespace lumo::calendar
