// What the spooler tests share: the private scheduler that the fixture started,
// the bytes its AppSocket listener received, and small file helpers.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace spooler {

inline constexpr const char *raw_queue = "ventus-raw";
inline constexpr const char *long_uri_queue = "ventus-long";

// Puts the variables of the fixture's environment file (CUPS_SERVER and the
// like) into this process's environment. SPOOLER_STATE names the file that names
// the fixture's folder; without it nothing happens.
void load_fixture_environment();

std::filesystem::path folder();        // the fixture's folder; empty when not started
std::string variable(const char *name);  // a variable of the environment, "" if unset

std::string read_file(const std::filesystem::path &path);
void write_file(const std::filesystem::path &path, const std::string &bytes);
std::string random_bytes(std::size_t size, unsigned seed);

// Standard output of a shell command.
std::string command_output(const std::string &command);
// Jobs ever made on a queue ("" for all queues), and those that completed.
int job_count(const std::string &queue = "");
int completed_job_count(const std::string &queue);
// Waits up to 60 s until the queue has no pending or processing job.
bool wait_until_idle(const std::string &queue);

// The connections that the listener recorded so far, oldest first.
std::vector<std::filesystem::path> received_files();
// Waits up to 20 s until the listener has recorded count connections.
bool wait_for_received(std::size_t count);

}  // namespace spooler
