// The message box helpers keep the modal flag set while a box is up.
#include <gtest/gtest.h>

#include "support/fake_port.h"

namespace lumo {
namespace {

TEST(PortMessages, ErrorBeepsAndUsesErrorStyleWithModalFlag) {
    testing::FakePort fake;
    show_error(fake.port, "Cannot open file!", caption_load);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].caption, "VORNIX-Lumo (laden):");
    EXPECT_EQ(fake.boxes[0].style, 0x10u | 0x10000u | 0x40000u);
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_TRUE(fake.modal_seen_in_box);
    EXPECT_FALSE(fake.port.modal_flag);
}

TEST(PortMessages, QuestionIsTrueOnlyOnYes) {
    testing::FakePort fake;
    fake.answers = {Answer::yes, Answer::no};
    EXPECT_TRUE(ask_yes_no(fake.port, "Save Data now?"));
    EXPECT_FALSE(ask_yes_no(fake.port, "Save Data now?"));
    EXPECT_EQ(fake.boxes[0].style, 0x4u | 0x20u | 0x10000u);
    EXPECT_EQ(fake.beeps, 0);
}

}  // namespace
}  // namespace lumo
