// The language server's state and its answers: one call per incoming
// JSON-RPC message, returning the messages to send (a reply, diagnostics).
// No input ends the server: whatever cannot be read or answered gets an
// error reply when it asked for one.
#pragma once

#include "tools/formula_lsp/document_analysis.h"

#include <nlohmann/json.hpp>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace formula_lsp {

using json = nlohmann::json;

// The largest document analysed; a larger one gets one diagnostic that says so.
inline constexpr std::size_t largest_document = 8u << 20;

class language_server {
public:
    // The messages to send for one message received (its JSON text).
    std::vector<json> handle(std::string body);
    // For a message whose header could not be used, and why.
    std::vector<json> unreadable_message(const char *fault);

    bool exit_requested() const { return exit_requested_; }
    // 0 after "shutdown" then "exit", 1 after "exit" alone.
    int exit_code() const { return shutdown_received_ ? 0 : 1; }

private:
    // A variable or label of an analysis without its uses, for completion.
    struct known_name {
        std::string name;
        formcomp::name_class kind;
    };
    // An open document: its last analysis, and the names of its last
    // analysis without a syntax error (a syntax error ends the parse, and a
    // half-typed line makes one), which completion offers.
    struct open_document {
        std::optional<document_analysis> analysis;
        std::vector<known_name> variables, labels;
        bool names_known = false;
    };

    json dispatch(const std::string &method, json &params, std::vector<json> &notifications);
    void analyse(const std::string &uri, std::string text, std::vector<json> &notifications);
    const open_document &document(const json &params) const;
    const document_analysis &analysis_of(const json &params) const;

    json hover(const json &params) const;
    json definition(const json &params) const;
    json references(const json &params) const;
    json completion(const json &params) const;
    json document_symbols(const json &params) const;
    // The diagnostics of an analysis, as the list of a publishDiagnostics notification.
    json diagnostics(const std::string &uri, const document_analysis &analysis) const;
    static std::vector<known_name> names_of(const std::vector<formcomp::named_entity> &entities);

    std::map<std::string, open_document> documents_;
    bool initialized_ = false;
    bool shutdown_received_ = false;
    bool exit_requested_ = false;
};

}  // namespace formula_lsp
