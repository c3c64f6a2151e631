// PrintFile against the private CUPS scheduler: the bytes that reach the
// AppSocket printer, the jobs made, the output-file form and the messages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "spooler_environment.h"
#include "ventus.h"

namespace {

namespace fs = std::filesystem;
using spooler::job_count;
using spooler::raw_queue;
using spooler::read_file;
using spooler::write_file;

constexpr long not_found = 0x0406;  // IPP client-error-not-found

struct print_outcome {
    int result;
    std::string messages;  // what the message boxes showed, one line each
};

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        result.push_back(text.substr(start, end - start));
    if (start < text.size()) result.push_back(text.substr(start));
    return result;
}

class PrintFileTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(spooler::folder().empty()) << "the spooler fixture is not running";
        work_ = spooler::folder() / "work" /
                testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(work_);
        fs::create_directories(work_);
    }

    static print_outcome print(const std::string &printer, const char *output, const fs::path &path) {
        testing::internal::CaptureStderr();
        const int result = PrintFile(printer.c_str(), output, path.c_str());
        return {result, testing::internal::GetCapturedStderr()};
    }

    // Prints bytes on the raw queue and checks that one job completes and that
    // the printer receives exactly those bytes.
    void expect_printed_unchanged(const std::string &printer, const std::string &bytes) {
        const fs::path path = work_ / ("file-" + std::to_string(bytes.size()));
        write_file(path, bytes);
        const int jobs = job_count(raw_queue);
        const int completed = spooler::completed_job_count(raw_queue);
        const std::size_t received = spooler::received_files().size();

        const print_outcome outcome = print(printer, nullptr, path);
        EXPECT_EQ(outcome.result, 1);
        EXPECT_EQ(outcome.messages, "");
        ASSERT_TRUE(spooler::wait_until_idle(raw_queue));
        EXPECT_EQ(job_count(raw_queue), jobs + 1);
        EXPECT_EQ(spooler::completed_job_count(raw_queue), completed + 1);

        if (bytes.empty()) {
            // The printer may or may not be contacted for an empty job; it gets no byte.
            for (std::size_t i = received; i < spooler::received_files().size(); ++i)
                EXPECT_EQ(fs::file_size(spooler::received_files()[i]), 0u);
            return;
        }
        ASSERT_TRUE(spooler::wait_for_received(received + 1));
        const std::string arrived = read_file(spooler::received_files()[received]);
        EXPECT_EQ(arrived.size(), bytes.size());
        EXPECT_TRUE(arrived == bytes) << "the bytes changed on their way to the printer";
    }

    fs::path work_;
};

TEST_F(PrintFileTest, FilesReachThePrinterByteForByte) {
    expect_printed_unchanged(raw_queue, "");
    expect_printed_unchanged(raw_queue, spooler::random_bytes(4096, 1));  // one block
    expect_printed_unchanged(raw_queue, spooler::random_bytes(4097, 2));  // 4096 + 1
    expect_printed_unchanged(raw_queue, spooler::random_bytes(1 << 20, 3));
}

TEST_F(PrintFileTest, PrinterGivenByIppUri) {
    const std::string uri = "ipp://127.0.0.1:" + spooler::variable("SPOOLER_IPP_PORT") +
                            "/printers/" + raw_queue;
    expect_printed_unchanged(uri, spooler::random_bytes(10000, 4));
}

TEST_F(PrintFileTest, UnknownPrinterShowsBothMessagesAndMakesNoJob) {
    const fs::path path = work_ / "file";
    write_file(path, "data");
    const int jobs = job_count();

    print_outcome outcome = print("ventus-nosuch", nullptr, path);
    EXPECT_EQ(outcome.result, 0);
    std::vector<std::string> shown = lines(outcome.messages);
    ASSERT_EQ(shown.size(), 2u) << outcome.messages;
    EXPECT_EQ(shown[0], "Ziv Ovodaz: OpenPrinter per 'ventus-nosuch' fallita: " +
                            std::to_string(not_found));
    EXPECT_GT(shown[1].size(), std::string("Ziv Ovodaz: ").size()) << "no system text";

    const std::string uri =
        "ipp://127.0.0.1:" + spooler::variable("SPOOLER_IPP_PORT") + "/printers/ventus-nosuch";
    outcome = print(uri, nullptr, path);
    EXPECT_EQ(outcome.result, 0);
    shown = lines(outcome.messages);
    ASSERT_EQ(shown.size(), 2u) << outcome.messages;
    EXPECT_EQ(shown[0].rfind("Ziv Ovodaz: OpenPrinter per '" + uri + "' fallita: ", 0), 0u)
        << shown[0];

    EXPECT_EQ(job_count(), jobs);
}

TEST_F(PrintFileTest, MissingFileShowsItsMessage) {
    const int jobs = job_count();
    const fs::path missing = work_ / "missing.prn";
    print_outcome outcome = print(raw_queue, nullptr, missing);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.messages,
              "Ziv Ovodaz: Non posso aprire il '" + missing.string() + "' per leggerlo.\n");

    // A path too long for the message buffer: the message keeps its words and
    // the end of the path within 127 bytes.
    const fs::path deep = work_ / std::string(150, 'd') / std::string(150, 'e') / "lost.prn";
    outcome = print(raw_queue, nullptr, deep);
    EXPECT_EQ(outcome.result, 0);
    const std::string prefix = "Ziv Ovodaz: ";
    ASSERT_EQ(outcome.messages.size(), prefix.size() + 127 + 1) << outcome.messages;
    const std::string message = outcome.messages.substr(prefix.size(), 127);
    EXPECT_EQ(message.rfind("Non posso aprire il '...", 0), 0u) << message;
    EXPECT_NE(message.find("eeeee/lost.prn' per leggerlo."), std::string::npos) << message;

    EXPECT_EQ(job_count(), jobs);
}

TEST_F(PrintFileTest, OutputFileReceivesTheBytesInsteadOfAJob) {
    const std::string bytes = spooler::random_bytes(9000, 5);
    const fs::path path = work_ / "file";
    const fs::path output = work_ / "printed.prn";
    write_file(path, bytes);
    const int jobs = job_count();

    const print_outcome outcome = print(raw_queue, output.c_str(), path);
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.messages, "");
    EXPECT_TRUE(read_file(output) == bytes);
    EXPECT_EQ(job_count(), jobs);
    int files = 0;
    for ([[maybe_unused]] const auto &entry : fs::directory_iterator(work_)) ++files;
    EXPECT_EQ(files, 2) << "a temporary file was left behind";
}

TEST_F(PrintFileTest, OutputFileThatCannotBeMadeOrPutInPlace) {
    const fs::path path = work_ / "file";
    write_file(path, "data");

    // The document cannot start: the output's folder does not exist.
    const fs::path nowhere = work_ / "no-folder" / "printed.prn";
    print_outcome outcome = print(raw_queue, nowhere.c_str(), path);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.messages, "Ziv Ovodaz: Inizio stampa su '" + nowhere.string() +
                                    "' fallita: 2\nZiv Ovodaz: No such file or directory\n");

    // The document cannot end: a folder stands where the output should go, so
    // the bytes never arrive and that is a failure, not a success.
    const fs::path occupied = work_ / "occupied";
    fs::create_directories(occupied / "inside");
    outcome = print(raw_queue, occupied.c_str(), path);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.messages, "Ziv Ovodaz: Fine stampa su '" + occupied.string() +
                                    "' fallita: 21\nZiv Ovodaz: Is a directory\n");
    int files = 0;
    for ([[maybe_unused]] const auto &entry : fs::directory_iterator(work_)) ++files;
    EXPECT_EQ(files, 2) << "a temporary file was left behind";
}

TEST_F(PrintFileTest, ReadErrorIsAFailureNotTheEndOfTheFile) {
    // A folder opens for reading but every read of it fails.
    const fs::path folder = work_ / "a-folder";
    fs::create_directories(folder);
    const fs::path output = work_ / "printed.prn";
    const print_outcome outcome = print(raw_queue, output.c_str(), folder);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.messages, "Ziv Ovodaz: Trasmissione dati alla stampante fallito\n");
    // The document was started, so it was ended: the (empty) output is there.
    EXPECT_TRUE(fs::exists(output));
}

TEST_F(PrintFileTest, FailedWriteEndsTheDocumentWithWhatWasWritten) {
    // The output may grow to 5 KiB only: the second block is taken in part,
    // the rest of it fails to write.
    const std::string bytes = spooler::random_bytes(10000, 6);
    const fs::path path = work_ / "file";
    const fs::path output = work_ / "printed.prn";
    const fs::path messages = work_ / "messages";
    const fs::path result = work_ / "result";
    write_file(path, bytes);
    const std::string command = "bash -c \"trap '' XFSZ; ulimit -f 5; '" PRINT_FILE_TOOL "' " +
                                std::string(raw_queue) + " '" + output.string() + "' '" +
                                path.string() + "' 2>'" + messages.string() + "'; echo $? >'" +
                                result.string() + "'\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(read_file(result), "0\n");
    EXPECT_EQ(read_file(messages), "Ziv Ovodaz: Trasmissione dati alla stampante fallito\n");
    EXPECT_TRUE(read_file(output) == bytes.substr(0, 5 * 1024));
}

}  // namespace
