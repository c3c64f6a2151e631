#include "tools/formeval/coverage_report.h"

#include <algorithm>

#include "formula/formatted_text.h"
#include "tools/formeval/messages.h"

namespace formeval {

std::vector<std::optional<std::uint64_t>> line_counts(const std::vector<formcomp::statement_record> &statements,
                                                      const std::vector<std::uint64_t> &executions,
                                                      std::size_t line_count) {
    std::vector<std::optional<std::uint64_t>> counts(line_count);
    for (const formcomp::statement_record &statement : statements) {
        if (statement.kind == formcomp::statement_kind::branch) continue;  // the jump over an "else"
        if (statement.first_address >= statement.end_address) continue;   // no code of its own
        const auto line = static_cast<std::size_t>(statement.where.line);
        const auto first = static_cast<std::size_t>(statement.first_address);
        if (line < 1 || line > line_count || first >= executions.size()) continue;
        std::optional<std::uint64_t> &count = counts[line - 1];
        count = std::max(count.value_or(0), executions[first]);
    }
    return counts;
}

std::vector<std::string_view> source_lines(std::string_view source) {
    std::vector<std::string_view> lines;
    while (!source.empty()) {
        const std::size_t end = source.find('\n');
        std::string_view line = source.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        source.remove_prefix(end + 1);
    }
    return lines;
}

namespace {

struct line_totals {
    std::size_t with_statements = 0;
    std::size_t run = 0;
};

line_totals totals_of(const std::vector<std::optional<std::uint64_t>> &counts) {
    line_totals totals;
    for (const auto &count : counts) {
        if (!count) continue;
        ++totals.with_statements;
        if (*count != 0) ++totals.run;
    }
    return totals;
}

}  // namespace

std::string gcov_text(std::string_view source, const std::vector<std::optional<std::uint64_t>> &counts) {
    const std::vector<std::string_view> lines = source_lines(source);
    std::string out;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::optional<std::uint64_t> count = k < counts.size() ? counts[k] : std::nullopt;
        std::string shown = !count ? "-" : *count == 0 ? "#####" : std::to_string(*count);
        formula::append_formatted(out, "%9s:%5zu:", shown.c_str(), k + 1);
        out.append(lines[k]);
        out.push_back('\n');
    }
    const line_totals totals = totals_of(counts);
    const double share = totals.with_statements == 0 ? 100.0 : 100.0 * static_cast<double>(totals.run) /
                                                                    static_cast<double>(totals.with_statements);
    formula::append_formatted(out, coverage_summary_text, totals.run, totals.with_statements, share);
    out.push_back('\n');
    return out;
}

std::string lcov_tracefile(std::string_view source_path, const std::vector<std::optional<std::uint64_t>> &counts) {
    std::string out = "TN:\nSF:";
    out.append(source_path);
    out.push_back('\n');
    for (std::size_t k = 0; k < counts.size(); ++k) {
        if (!counts[k]) continue;
        formula::append_formatted(out, "DA:%zu,%llu\n", k + 1, static_cast<unsigned long long>(*counts[k]));
    }
    const line_totals totals = totals_of(counts);
    formula::append_formatted(out, "LF:%zu\nLH:%zu\nend_of_record\n", totals.with_statements, totals.run);
    return out;
}

}  // namespace formeval
