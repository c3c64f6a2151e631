#include "playground/wasm/compare_request.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "compiler/compile.h"
#include "formula/formatted_text.h"
#include "playground/wasm/csv_request_pass.h"
#include "playground/wasm/json_text.h"
#include "playground/wasm/messages.h"
#include "tools/formeval/csv_comparison.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/number_text.h"

namespace playground {

namespace {

std::string plain_number(double value) {
    std::string text;
    formeval::append_plain_number(text, value);
    return text;
}

std::string numbers_json(const std::vector<double> &values) {
    std::string json = "[";
    for (const double value : values) {
        if (json.size() > 1) json += ',';
        formeval::append_shortest_text(json, value);
    }
    return json + "]";
}

// The bins of the finite differences: as many as the square root of their
// count, at most compare_histogram_bins, of equal width from the smallest to
// the largest; one bin when they are all equal.
std::string histogram_json(const std::vector<double> &differences, long long differing) {
    std::vector<double> edges;
    std::vector<long long> counts;
    if (!differences.empty()) {
        const auto [low, high] = std::minmax_element(differences.begin(), differences.end());
        std::size_t bins = 1;
        if (*high > *low) {
            const auto root = static_cast<std::size_t>(std::ceil(std::sqrt(static_cast<double>(differences.size()))));
            bins = std::clamp<std::size_t>(root, 1, compare_histogram_bins);
        }
        const double width = (*high - *low) / static_cast<double>(bins);
        for (std::size_t i = 0; i < bins; ++i) edges.push_back(*low + width * static_cast<double>(i));
        edges.push_back(*high);
        counts.assign(bins, 0);
        for (const double d : differences) {
            // The last edge below or at d; the largest value falls in the last bin.
            const auto above = std::upper_bound(edges.begin(), edges.end() - 1, d);
            ++counts[static_cast<std::size_t>(above - edges.begin()) - 1];
        }
    }
    std::string count_list = "[";
    for (const long long count : counts) {
        if (count_list.size() > 1) count_list += ',';
        count_list += std::to_string(count);
    }
    return json_object()
        .raw("edges", numbers_json(edges))
        .raw("counts", count_list + "]")
        .number("not_numbers", differing - static_cast<long long>(differences.size()))
        .finished();
}

// A differing row with its inputs, for the table of the largest changes.
struct shown_change {
    formeval::row_change change;
    std::vector<double> inputs;
};

// Keeps the compare_largest_rows changes of largest absolute difference.
class largest_changes {
public:
    void take(const formeval::row_change &change, std::span<const double> inputs) {
        const double size = magnitude(change);
        if (kept_.size() == compare_largest_rows && !(size > magnitude(kept_.back().change))) return;
        auto at = std::find_if(kept_.begin(), kept_.end(),
                               [&](const shown_change &kept) { return size > magnitude(kept.change); });
        kept_.insert(at, shown_change{change, std::vector<double>(inputs.begin(), inputs.end())});
        if (kept_.size() > compare_largest_rows) kept_.pop_back();
    }

    std::string json() const {
        std::string json = "[";
        for (const shown_change &kept : kept_) {
            if (json.size() > 1) json += ',';
            std::vector<std::string> inputs;
            for (const double value : kept.inputs) inputs.push_back(plain_number(value));
            json += json_object()
                        .number("line", kept.change.line)
                        .texts("inputs", inputs)
                        .text("before", plain_number(kept.change.before))
                        .text("after", plain_number(kept.change.after))
                        .text("difference", plain_number(kept.change.difference))
                        .finished();
        }
        return json + "]";
    }

private:
    // A NaN difference ranks above every number: such a row changed most.
    static double magnitude(const formeval::row_change &change) {
        return std::isnan(change.difference) ? INFINITY : std::fabs(change.difference);
    }

    std::vector<shown_change> kept_;
};

}  // namespace

std::string compare_to_json(std::string_view old_source, std::string_view new_source, std::string_view file_name,
                            std::string_view csv) {
    // A version that does not compile: the page's words, then formcomp's messages.
    const auto uncompiled = [](const char *which, const formcomp::compile_result &compiled) {
        return json_object()
            .text("failure", std::string(which) + "\n" + compiled.standard_output + compiled.standard_error)
            .finished();
    };
    const formcomp::compile_result old_compiled = formcomp::compile_source(old_source);
    if (!old_compiled.succeeded) return uncompiled(compare_old_uncompiled_text, old_compiled);
    const formcomp::compile_result new_compiled = formcomp::compile_source(new_source);
    if (!new_compiled.succeeded) return uncompiled(compare_new_uncompiled_text, new_compiled);
    const formeval::loaded_formula old_formula(old_compiled.texts.symbol_text, old_compiled.texts.code_text);
    const formeval::loaded_formula new_formula(new_compiled.texts.symbol_text, new_compiled.texts.code_text);
    const std::size_t inputs = old_formula.input_names().size();
    if (new_formula.input_names().size() != inputs) {
        const auto name = [](const formcomp::compile_result &compiled) {
            return compiled.texts.symbol_name.substr(0, compiled.texts.symbol_name.rfind('.'));
        };
        return json_object()
            .text("failure", "formeval: " + formula::formatted_text(formeval::compare_input_counts_text,
                                                                    name(old_compiled).c_str(),
                                                                    name(new_compiled).c_str(), static_cast<int>(inputs),
                                                                    static_cast<int>(new_formula.input_names().size())))
            .finished();
    }

    notice_stream notices;
    formeval::csv_comparison comparison(old_formula, new_formula, std::string(file_name), 0.0, notices.stream());
    std::string out = comparison.header();
    std::vector<double> differences;
    largest_changes largest;
    const bad_rows bad = take_every_line(csv, comparison.reader(), [&](std::string_view line, std::string &error) {
        if (!comparison.take_line(line, out, error)) return false;
        if (const auto &change = comparison.last_change()) {
            if (std::isfinite(change->difference)) differences.push_back(change->difference);
            largest.take(*change, comparison.reader().row());
        }
        return true;
    });
    json_object result;
    result.text("csv", out).text("summary", comparison.summary());
    return bad.write(result)
        .text("notices", notices.text())
        .number("rows", comparison.rows())
        .number("differing", comparison.differing())
        .raw("histogram", histogram_json(differences, comparison.differing()))
        .raw("largest", largest.json())
        .finished();
}

}  // namespace playground
