// formula_evaluate in a server against Formula in this process: every
// formula of the compiler's test corpus and the examples, compiled here,
// evaluated with random inputs both ways, equal to the bit (in the server
// through the array of inputs and, up to eight inputs, through the form
// that takes them one by one). And an endless
// formula stopped by a cancel request (pg_cancel_backend's signal).
#include <libpq-fe.h>
#include <zerizi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "compiler/compile.h"

namespace {

std::string read_file(const std::filesystem::path &path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

using connection_ptr = std::unique_ptr<PGconn, decltype(&PQfinish)>;
using result_ptr = std::unique_ptr<PGresult, decltype(&PQclear)>;

// The coordinator of the formula_servers fixture, with the extension.
connection_ptr connect_to_coordinator() {
    std::string folder = read_file(SERVERS_STATE_FILE);
    while (!folder.empty() && folder.back() == '\n') folder.pop_back();
    const std::string conninfo = "host=" + folder + " port=5432 dbname=postgres user=postgres";
    connection_ptr connection(PQconnectdb(conninfo.c_str()), &PQfinish);
    EXPECT_EQ(PQstatus(connection.get()), CONNECTION_OK) << PQerrorMessage(connection.get());
    result_ptr created(PQexec(connection.get(), "SET client_min_messages = error; "
                                                "CREATE EXTENSION IF NOT EXISTS formula"),
                       &PQclear);
    EXPECT_EQ(PQresultStatus(created.get()), PGRES_COMMAND_OK) << PQerrorMessage(connection.get());
    return connection;
}

std::vector<std::string> corpus_sources() {
    std::vector<std::string> sources;
    std::stringstream folders(CORPUS_FOLDERS);
    for (std::string folder; std::getline(folders, folder, ':');)
        for (const auto &entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == ".frm") sources.push_back(read_file(entry.path()));
    return sources;
}

double formula_in_process(const formcomp::compiled_texts &texts, const std::vector<double> &inputs) {
    const char *both[2] = {texts.symbol_text.c_str(), texts.code_text.c_str()};
    std::vector<double> values{0.0};  // as formula_evaluate starts element 0
    values.insert(values.end(), inputs.begin(), inputs.end());
    Formula(values.data(), both);
    return values[0];
}

// %.17g, which float8in reads back exactly.
std::string number_text(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string array_literal(const std::vector<double> &inputs) {
    std::string literal = "{";
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (i != 0) literal += ',';
        literal += number_text(inputs[i]);
    }
    return literal + "}";
}

// The float8 of a binary result (network byte order).
double binary_float8(const PGresult *result) {
    std::uint64_t bits = 0;
    const auto *bytes = reinterpret_cast<const unsigned char *>(PQgetvalue(result, 0, 0));
    for (int i = 0; i < 8; ++i) bits = (bits << 8) | bytes[i];
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// How many inputs the server reads from the formula's symbols.
int input_count_in_server(PGconn *server, const formcomp::compiled_texts &texts) {
    const char *parameters[2] = {texts.symbol_text.c_str(), texts.code_text.c_str()};
    result_ptr count(PQexecParams(server, "SELECT coalesce(array_length(formula_inputs(formula($1, $2)), 1), 0)",
                                  2, nullptr, parameters, nullptr, nullptr, 0),
                     &PQclear);
    EXPECT_EQ(PQresultStatus(count.get()), PGRES_TUPLES_OK) << PQerrorMessage(server);
    return std::atoi(PQgetvalue(count.get(), 0, 0));
}

// formula_evaluate(formula($1, $2), VARIADIC $3::float8[]), and with n > 0
// formula_evaluate(formula($1, $2), $3::float8, ..., $(n+2)::float8).
std::string evaluation_query(int inputs_one_by_one) {
    std::string query = "SELECT formula_evaluate(formula($1, $2)";
    if (inputs_one_by_one == 0) return query + ", VARIADIC $3::float8[])";
    for (int i = 0; i < inputs_one_by_one; ++i) query += ", $" + std::to_string(i + 3) + "::float8";
    return query + ")";
}

void expect_same_bits(PGconn *server, int inputs_one_by_one, const std::vector<std::string> &parameters,
                      double expected) {
    std::vector<const char *> values;
    for (const std::string &parameter : parameters) values.push_back(parameter.c_str());
    result_ptr result(PQexecParams(server, evaluation_query(inputs_one_by_one).c_str(), static_cast<int>(values.size()),
                                   nullptr, values.data(), nullptr, nullptr, 1),
                      &PQclear);
    ASSERT_EQ(PQresultStatus(result.get()), PGRES_TUPLES_OK) << PQerrorMessage(server);
    ASSERT_FALSE(PQgetisnull(result.get(), 0, 0));
    const double in_server = binary_float8(result.get());
    EXPECT_EQ(std::memcmp(&in_server, &expected, sizeof in_server), 0)
        << evaluation_query(inputs_one_by_one) << " with " << parameters.back() << ": server " << in_server
        << ", Formula " << expected;
}

TEST(FormulaEvaluateInServer, EqualsFormulaToTheBitOnTheCorpusWithRandomInputs) {
    connection_ptr connection = connect_to_coordinator();
    PGconn *server = connection.get();
    std::mt19937 random(20261208);
    // Inputs with a fraction: a loop counting one down never meets an exact zero divisor.
    std::uniform_real_distribution<double> value(-40.0, 40.0);
    int formulas = 0;
    for (const std::string &source : corpus_sources()) {
        const formcomp::compile_result compiled = formcomp::compile_source(source);
        if (!compiled.succeeded) continue;
        SCOPED_TRACE(source);
        ++formulas;
        const int input_count = input_count_in_server(server, compiled.texts);
        for (int evaluation = 0; evaluation < 40; ++evaluation) {
            std::vector<double> inputs(static_cast<std::size_t>(input_count));
            for (double &input : inputs) input = value(random) + 0.125;
            const double in_process = formula_in_process(compiled.texts, inputs);
            std::vector<std::string> parameters{compiled.texts.symbol_text, compiled.texts.code_text};
            expect_same_bits(server, 0, {parameters[0], parameters[1], array_literal(inputs)}, in_process);
            if (input_count == 0 || input_count > 8) continue;
            for (double input : inputs) parameters.push_back(number_text(input));
            expect_same_bits(server, input_count, parameters, in_process);
        }
    }
    EXPECT_GE(formulas, 10);
}

TEST(FormulaEvaluateInServer, AnEndlessFormulaStopsOnACancelRequest) {
    connection_ptr connection = connect_to_coordinator();
    PGconn *server = connection.get();
    ASSERT_EQ(PQsendQuery(server, "SELECT formula_evaluate(formula_compile(E'method ENDLESS\\ninput a;\\noutput r;\\n"
                                  "proc\\nwhile (a > 0) r = r + 1; end\\nendp\\n'), g) FROM generate_series(1, 2) g"),
              1)
        << PQerrorMessage(server);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::unique_ptr<PGcancel, decltype(&PQfreeCancel)> cancel(PQgetCancel(server), &PQfreeCancel);
    char error[256];
    ASSERT_EQ(PQcancel(cancel.get(), error, sizeof error), 1) << error;
    result_ptr result(PQgetResult(server), &PQclear);
    ASSERT_EQ(PQresultStatus(result.get()), PGRES_FATAL_ERROR);
    EXPECT_STREQ(PQresultErrorField(result.get(), PG_DIAG_SQLSTATE), "57014");  // query_canceled
    while (PGresult *rest = PQgetResult(server)) PQclear(rest);
    // The server process goes on.
    result_ptr after(PQexec(server, "SELECT 1"), &PQclear);
    EXPECT_EQ(PQresultStatus(after.get()), PGRES_TUPLES_OK);
}

}  // namespace
