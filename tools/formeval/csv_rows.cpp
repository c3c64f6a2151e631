#include "tools/formeval/csv_rows.h"

#include "tools/formeval/messages.h"

namespace formeval {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::size_t skip_blanks(std::string_view line, std::size_t at) {
    while (at < line.size() && is_blank(line[at])) ++at;
    return at;
}

// A quoted field from the quote at `at`; `at` ends after the closing quote.
bool read_quoted(std::string_view line, std::size_t &at, std::string &field, std::string &error) {
    ++at;
    for (;;) {
        const std::size_t quote = line.find('"', at);
        if (quote == std::string_view::npos) {
            error = unclosed_quote_text;
            return false;
        }
        field.append(line.substr(at, quote - at));
        at = quote + 1;
        if (at < line.size() && line[at] == '"') {
            field += '"';
            ++at;
            continue;
        }
        return true;
    }
}

}  // namespace

bool split_fields(std::string_view line, std::vector<std::string> &fields, std::size_t &count,
                  std::string &error) {
    count = 0;
    std::size_t at = skip_blanks(line, 0);
    if (at == line.size()) return true;
    for (;;) {
        if (count == fields.size()) fields.emplace_back();
        std::string &field = fields[count++];
        field.clear();
        at = skip_blanks(line, at);
        if (at < line.size() && line[at] == '"') {
            if (!read_quoted(line, at, field, error)) return false;
            at = skip_blanks(line, at);
            if (at < line.size() && line[at] != ',') {
                error = text_after_quote_text;
                return false;
            }
        } else {
            std::size_t end = line.find(',', at);
            if (end == std::string_view::npos) end = line.size();
            std::size_t last = end;
            while (last > at && is_blank(line[last - 1])) --last;
            field.assign(line.substr(at, last - at));
            at = end;
        }
        if (at == line.size()) return true;
        ++at;  // the comma
    }
}

}  // namespace formeval
