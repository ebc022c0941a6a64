// The File menu's Import and Export commands as the main window runs them:
// their dialogs, what the answers lead to, and the buffer an Open dialog
// leaves when several files were chosen.
#include "app/contact_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "app/commands.h"
#include "data/address_file.h"
#include "exchange/exchange.h"
#include "port/ids.h"
#include "port/safe_write.h"
#include "support/app_fixture.h"
#include "support/temp_folder.h"

namespace lumo {
namespace {

class ContactCommandsTest : public testing::AppTest {
protected:
    testing::TempFolder folder{"lumo_contacts_"};

    void SetUp() override {
        AppTest::SetUp();
        load("Zimmer Zoe, 040 9\r\n\r\nAlbrecht Sabine\r\n\r\n");
    }
    std::string path(const std::string& name) const { return (folder / name).string(); }
    std::string write(const std::string& name, std::string_view bytes) const {
        std::ofstream(path(name), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path(name);
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The dialog shown `which`-th: its kind, title and file types.
    void expect_dialog(std::size_t which, FileDialogRequest::Kind kind, const std::string& title,
                       const std::vector<std::string>& types) const {
        ASSERT_GT(fake.file_dialogs.size(), which);
        const FileDialogRequest& dialog = fake.file_dialogs[which];
        EXPECT_EQ(dialog.kind, kind);
        EXPECT_EQ(dialog.title, title);
        std::vector<std::string> shown;
        for (const FileDialogFilter& f : dialog.filters) shown.push_back(f.description);
        EXPECT_EQ(shown, types);
    }
    void answer_dialog(std::vector<std::string> paths, int filter = 1) {
        fake.file_answers.push_back(FileDialogAnswer{std::move(paths), filter});
    }
};

TEST_F(ContactCommandsTest, ImportTakesEveryChosenFileAndTheNextDialogStartsAtTheFirst) {
    answer_dialog({write("a.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Meier;Eva\r\nEND:VCARD\r\n"),
                   write("b.csv", "Vorname;Nachname\r\nAnna;Berg\r\n")});
    fake.answers = {Answer::no};  // no data check
    ASSERT_TRUE(run_state_command(app, CMD_IMPORT));

    expect_dialog(0, FileDialogRequest::Kind::open, "Import contacts",
                  {"Contacts (*.vcf;*.csv)", "vCard (*.vcf)", "CSV (*.csv;*.txt)"});
    const FileDialogRequest& dialog = fake.file_dialogs[0];
    EXPECT_EQ(dialog.filters[2].pattern, "*.csv;*.txt");
    EXPECT_EQ(dialog.flags, ofn::open | ofn::allow_multi_select | ofn::explorer);
    EXPECT_EQ(dialog.initial_name, "C:\\Users\\lumo\\*.vcf;*.csv");

    EXPECT_EQ(text(), "Albrecht Sabine\r\n\r\nBerg Anna\r\n\r\nMeier Eva\r\n\r\nZimmer Zoe, 040 9\r\n\r\n");
    EXPECT_TRUE(app.store.modified);
    EXPECT_EQ(fake.last_box(), "2 contacts imported.");
    EXPECT_FALSE(fake.port.modal_flag);

    // Cancelled: nothing read, nothing told, the book as it was.
    const std::size_t boxes = fake.boxes.size();
    import_contacts_command(app);
    ASSERT_EQ(fake.file_dialogs.size(), 2u);
    EXPECT_EQ(fake.file_dialogs[1].initial_name, path("a.vcf"));
    EXPECT_EQ(fake.boxes.size(), boxes);
    EXPECT_EQ(app.store.entry_count(), 4);
}

TEST_F(ContactCommandsTest, ExportWritesTheChosenFormatOfTheMarkedOrEveryEntryAndLeavesTheBook) {
    const std::string before = text();
    answer_dialog({path("all.vcf")}, 2);  // vCard 3.0
    ASSERT_TRUE(run_state_command(app, CMD_EXPORT));
    expect_dialog(0, FileDialogRequest::Kind::save, "Export contacts",
                  {"vCard 4.0 (*.vcf)", "vCard 3.0 (*.vcf)", "CSV (*.csv)"});
    const FileDialogRequest& dialog = fake.file_dialogs[0];
    EXPECT_NE(dialog.flags & ofn::overwrite_prompt, 0u);
    EXPECT_EQ(dialog.default_extension, "vcf");
    EXPECT_EQ(read("all.vcf"), export_file(app.store, app.settings, ExportFormat::vcard3, {0, 1}));
    EXPECT_NE(read("all.vcf").find("VERSION:3.0\r\nFN:Zoe Zimmer"), std::string::npos);

    // Only the marked entry, as CSV; the next dialog starts at the last file.
    app.views.entry_range = {true, 1, 1, 1};
    answer_dialog({path("marked.csv")}, 3);
    export_contacts_command(app);
    EXPECT_EQ(fake.file_dialogs[1].initial_name, path("all.vcf"));
    const std::string csv = read("marked.csv");
    EXPECT_EQ(csv, export_file(app.store, app.settings, ExportFormat::csv, {1, 1}));
    EXPECT_NE(csv.find("Sabine"), std::string::npos);
    EXPECT_EQ(csv.find("Zoe"), std::string::npos);

    EXPECT_EQ(text(), before);
    EXPECT_FALSE(app.store.modified);
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(ContactCommandsTest, AFailedExportSaysSoAndLeavesTheFileThereAsItWas) {
    write("old.vcf", "what was there");
    for (testing::FileStep step : {testing::FileStep::create, testing::FileStep::write, testing::FileStep::flush,
                                   testing::FileStep::close, testing::FileStep::replace}) {
        fake.files.fail(step);
        answer_dialog({path("old.vcf")});
        export_contacts_command(app);
        EXPECT_EQ(fake.last_box(), text_cannot_save);
        EXPECT_EQ(fake.boxes.back().style, box::error);
        EXPECT_EQ(read("old.vcf"), "what was there");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1)
        << "no half-written file is left beside it";

    // An export that runs out of memory half way: the command's boundary
    // reports it; the file it had begun goes too.
    const auto short_of_memory = [](const ByteSink& put) -> bool {
        put("BEGIN:VCARD\r\n");
        throw std::bad_alloc();
    };
    EXPECT_THROW(write_file_safely(fake.files, path("old.vcf"), short_of_memory), std::bad_alloc);
    EXPECT_EQ(read("old.vcf"), "what was there");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(ChosenFiles, OneFileOrAFolderWithItsNames) {
    using namespace std::string_view_literals;
    // One file: the dialog ends it with one NUL; the initial name's tail behind that counts for nothing.
    EXPECT_EQ(paths_of_chosen_files("C:\\a\\x.vcf\0sv\0\0"sv, 6), (std::vector<std::string>{"C:\\a\\x.vcf"}));
    EXPECT_EQ(paths_of_chosen_files("C:\\a\0x.vcf\0y.csv\0\0"sv, 5),
              (std::vector<std::string>{"C:\\a\\x.vcf", "C:\\a\\y.csv"}));
    EXPECT_EQ(paths_of_chosen_files("C:\\\0x.vcf\0\0"sv, 4), (std::vector<std::string>{"C:\\x.vcf"}));
    // Cut short or empty: what is there, never more.
    EXPECT_EQ(paths_of_chosen_files("C:\\a\0x.v"sv, 5), (std::vector<std::string>{"C:\\a\\x.v"}));
    EXPECT_EQ(paths_of_chosen_files("C:\\a"sv, 5), (std::vector<std::string>{}));
    EXPECT_TRUE(paths_of_chosen_files(""sv, 0).empty());
}

}  // namespace
}  // namespace lumo
