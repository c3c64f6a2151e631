#include "tools/formula_lsp/language_server.h"

#include "tools/formula_lsp/builtins.h"
#include "tools/formula_lsp/messages.h"

#include "formula/formatted_text.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace formula_lsp {

namespace {

using formcomp::name_class;
using formcomp::named_entity;

// JSON-RPC error codes.
constexpr int parse_error = -32700;
constexpr int invalid_request = -32600;
constexpr int method_not_found = -32601;
constexpr int invalid_params = -32602;
constexpr int internal_error = -32603;
constexpr int server_not_initialized = -32002;

// LSP enumerations.
constexpr int severity_error = 1, severity_warning = 2, severity_information = 3;
constexpr int completion_function = 3, completion_variable = 6, completion_keyword = 14,
              completion_reference = 18;
constexpr int symbol_namespace = 3, symbol_function = 12, symbol_variable = 13, symbol_key = 20;
constexpr int snippet_format = 2;

struct request_failure : std::runtime_error {
    int code;
    request_failure(int code, const char *what) : std::runtime_error(what), code(code) {}
};

json error_reply(const json &id, int code, const std::string &message) {
    return {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

json position_json(const editor_position &p) {
    return {{"line", p.line}, {"character", p.character}};
}

json range_json(const editor_range &r) {
    return {{"start", position_json(r.start)}, {"end", position_json(r.end)}};
}

json diagnostics_notification(const std::string &uri, json list) {
    return {{"jsonrpc", "2.0"},
            {"method", "textDocument/publishDiagnostics"},
            {"params", {{"uri", uri}, {"diagnostics", std::move(list)}}}};
}

const char *class_word(name_class kind) {
    switch (kind) {
        case name_class::input: return "input";
        case name_class::output: return "output";
        case name_class::inout: return "inout";
        case name_class::local: return "local";
        case name_class::static_variable: return "static";
        case name_class::label: return "label";
        case name_class::undeclared: return "";
    }
    return "";
}

std::string without_line_end(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

// A line or character number as the client sent it, clamped to 0 ..
// INT_MAX: negative numbers are 0, larger ones and fractions are cut, so no
// number in a request can overflow the arithmetic on positions.
int position_number(const json &number) {
    constexpr int largest = std::numeric_limits<int>::max();
    if (number.is_number_unsigned()) return static_cast<int>(std::min<std::uint64_t>(number.get<std::uint64_t>(), largest));
    if (number.is_number_integer()) {
        return static_cast<int>(std::clamp<std::int64_t>(number.get<std::int64_t>(), 0, largest));
    }
    if (number.is_number_float()) {
        double value = number.get<double>();
        return value > 0 ? static_cast<int>(std::min(value, static_cast<double>(largest))) : 0;
    }
    throw request_failure(invalid_params, "a position's line and character are numbers");
}

editor_position position_of(const json &params) {
    const json &position = params.at("position");
    return {position_number(position.at("line")), position_number(position.at("character"))};
}

// The "text" of a document or a change, moved out of the message.
std::string taken_text(json &holder) {
    return std::move(holder.at("text").get_ref<std::string &>());
}

bool is_name_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Whether `text` ends in "goto", blanks and the start of a name: the place
// where a label is typed.
bool follows_goto(const std::string &text) {
    std::size_t end = text.size();
    while (end > 0 && is_name_char(text[end - 1])) --end;
    std::size_t blanks = end;
    while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    if (end == blanks || end < 4 || text.compare(end - 4, 4, "goto") != 0) return false;
    return end == 4 || !is_name_char(text[end - 5]);
}

std::string joined(const std::vector<std::string> &words) {
    std::string text;
    for (const std::string &word : words) text += (text.empty() ? "" : ", ") + word;
    return text;
}

}  // namespace

std::vector<json> language_server::unreadable_message(const char *fault) {
    return {error_reply(nullptr, parse_error, fault)};
}

std::vector<json> language_server::handle(std::string body) {
    std::vector<json> out;
    json message = json::parse(body, nullptr, false);
    // A document's text is held once at a time. (Assigning an empty string
    // would keep the buffer; a swap hands it to a temporary that frees it.)
    std::string().swap(body);
    if (message.is_discarded()) return {error_reply(nullptr, parse_error, "Parse error")};
    json id = message.is_object() && message.contains("id") ? message["id"] : json();
    bool is_request = message.is_object() && message.contains("id");
    if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
        // A reply from the client, or nothing we can read.
        if (message.is_object() && (message.contains("result") || message.contains("error"))) return {};
        return {error_reply(id, invalid_request, "Invalid Request")};
    }
    std::string method = message["method"].get<std::string>();
    // Before "initialize" only "exit" is heard; after "shutdown", only "exit".
    // Requests out of order get their error, notifications are dropped.
    if (!initialized_ && method != "initialize" && method != "exit") {
        if (is_request) return {error_reply(id, server_not_initialized, "Server not initialized")};
        return {};
    }
    if (shutdown_received_ && method != "exit") {
        if (is_request) return {error_reply(id, invalid_request, "Invalid Request: the server is shut down")};
        return {};
    }
    json params = message.contains("params") ? std::move(message["params"]) : json::object();
    try {
        json result = dispatch(method, params, out);
        if (is_request) out.insert(out.begin(), json{{"jsonrpc", "2.0"}, {"id", id}, {"result", result}});
    } catch (const request_failure &failure) {
        if (is_request) out.insert(out.begin(), error_reply(id, failure.code, failure.what()));
    } catch (const json::exception &failure) {
        if (is_request) out.insert(out.begin(), error_reply(id, invalid_params, failure.what()));
    } catch (const std::exception &failure) {
        if (is_request) out.insert(out.begin(), error_reply(id, internal_error, failure.what()));
    }
    return out;
}

json language_server::dispatch(const std::string &method, json &params, std::vector<json> &notifications) {
    if (method == "initialize") {
        initialized_ = true;
        return {{"capabilities",
                 {{"textDocumentSync", {{"openClose", true}, {"change", 1}}},
                  {"hoverProvider", true},
                  {"definitionProvider", true},
                  {"referencesProvider", true},
                  {"documentSymbolProvider", true},
                  {"completionProvider", {{"triggerCharacters", json::array({" "})}}}}},
                {"serverInfo", {{"name", "formula-lsp"}}}};
    }
    if (method == "initialized" || method == "$/cancelRequest" || method == "$/setTrace" ||
        method == "workspace/didChangeConfiguration" || method == "textDocument/didSave") {
        return nullptr;
    }
    if (method == "shutdown") {
        shutdown_received_ = true;
        return nullptr;
    }
    if (method == "exit") {
        exit_requested_ = true;
        return nullptr;
    }
    if (method == "textDocument/didOpen") {
        json &document = params.at("textDocument");
        analyse(document.at("uri").get<std::string>(), taken_text(document), notifications);
        return nullptr;
    }
    if (method == "textDocument/didChange") {
        std::string uri = params.at("textDocument").at("uri").get<std::string>();
        json &changes = params.at("contentChanges");
        if (!changes.is_array() || changes.empty()) throw request_failure(invalid_params, "no content change");
        // Whole-text synchronisation: the last change holds the text.
        analyse(uri, taken_text(changes.back()), notifications);
        return nullptr;
    }
    if (method == "textDocument/didClose") {
        std::string uri = params.at("textDocument").at("uri").get<std::string>();
        documents_.erase(uri);
        notifications.push_back(diagnostics_notification(uri, json::array()));
        return nullptr;
    }
    if (method == "textDocument/hover") return hover(params);
    if (method == "textDocument/definition") return definition(params);
    if (method == "textDocument/references") return references(params);
    if (method == "textDocument/completion") return completion(params);
    if (method == "textDocument/documentSymbol") return document_symbols(params);
    if (method.starts_with("$/")) return nullptr;  // optional notifications
    throw request_failure(method_not_found, "Method not found");
}

std::vector<language_server::known_name> language_server::names_of(const std::vector<named_entity> &entities) {
    std::vector<known_name> names;
    names.reserve(entities.size());
    for (const named_entity &entity : entities) names.push_back({entity.name, entity.kind});
    return names;
}

void language_server::analyse(const std::string &uri, std::string text, std::vector<json> &notifications) {
    open_document &open = documents_[uri];
    // The previous analysis goes first: two analyses of a large document at once cost twice.
    open.analysis.reset();
    if (text.size() > largest_document) {
        // Nothing is analysed: the document stands open with no names.
        json diagnostic = {
            {"range", range_json({})},
            {"severity", severity_error},
            {"source", "formula-lsp"},
            {"message", formula::formatted_text(messages::document_too_large, text.size(), largest_document)}};
        notifications.push_back(diagnostics_notification(uri, json::array({diagnostic})));
        open = open_document{};
        open.analysis.emplace(std::string());
        return;
    }
    const document_analysis &analysis = open.analysis.emplace(std::move(text));
    const formcomp::compile_result &result = analysis.result();
    if (!analysis.has_syntax_error() || !open.names_known) {
        open.variables = names_of(result.variables);
        open.labels = names_of(result.labels);
        open.names_known = true;
    }
    notifications.push_back(diagnostics_notification(uri, diagnostics(uri, analysis)));
}

json language_server::diagnostics(const std::string &uri, const document_analysis &analysis) const {
    json list = json::array();
    for (const formcomp::compile_message &message : analysis.result().messages) {
        json item = {{"range", range_json(analysis.to_editor(message.where))},
                     {"severity", severity_error},
                     {"source", "formcomp"},
                     {"message", without_line_end(message.text)}};
        if (message.kind == formcomp::message_kind::syntax && !message.found.empty()) {
            std::string text = formula::formatted_text(messages::found_expected, message.found.c_str(),
                                                       joined(message.expected).c_str());
            item["relatedInformation"] = json::array(
                {{{"location", {{"uri", uri}, {"range", range_json(analysis.to_editor(message.where))}}},
                  {"message", text}}});
        }
        list.push_back(item);
    }
    for (const warning &w : analysis.warnings()) {
        list.push_back({{"range", range_json(analysis.to_editor(w.where))},
                        {"severity", severity_warning},
                        {"source", "formula-lsp"},
                        {"message", w.text}});
    }
    if (std::size_t left_out = analysis.diagnostics_left_out()) {
        // At the last one shown, so that it is found after them.
        list.push_back({{"range", list.back()["range"]},
                        {"severity", severity_information},
                        {"source", "formula-lsp"},
                        {"message", formula::formatted_text(messages::more_diagnostics, left_out)}});
    }
    return list;
}

const language_server::open_document &language_server::document(const json &params) const {
    std::string uri = params.at("textDocument").at("uri").get<std::string>();
    auto found = documents_.find(uri);
    // A document whose analysis failed (ran out of memory) is not open either.
    if (found == documents_.end() || !found->second.analysis) {
        throw request_failure(invalid_params, "document not open");
    }
    return found->second;
}

const document_analysis &language_server::analysis_of(const json &params) const {
    return *document(params).analysis;
}

json language_server::hover(const json &params) const {
    const document_analysis &analysis = analysis_of(params);
    int line, column;
    analysis.to_source(position_of(params), line, column);
    std::string text;
    if (const named_entity *entity = analysis.entity_at(line, column)) {
        text = entity->kind == name_class::undeclared ? "(non dichiarata) " + entity->name
                                                      : std::string(class_word(entity->kind)) + " " + entity->name;
        text = "```formula\n" + text + "\n```";
    } else if (const builtin *entry = find_builtin(analysis.word_at(line, column))) {
        text = "```formula\n" + std::string(entry->signature) + "\n```\n" + std::string(entry->description);
    } else {
        return nullptr;
    }
    return {{"contents", {{"kind", "markdown"}, {"value", text}}}};
}

json language_server::definition(const json &params) const {
    const document_analysis &analysis = analysis_of(params);
    int line, column;
    analysis.to_source(position_of(params), line, column);
    const named_entity *entity = analysis.entity_at(line, column);
    if (!entity || entity->declaration.line == 0) return nullptr;
    std::string uri = params.at("textDocument").at("uri").get<std::string>();
    return {{"uri", uri}, {"range", range_json(analysis.to_editor(entity->declaration))}};
}

json language_server::references(const json &params) const {
    const document_analysis &analysis = analysis_of(params);
    int line, column;
    analysis.to_source(position_of(params), line, column);
    const named_entity *entity = analysis.entity_at(line, column);
    json list = json::array();
    if (!entity) return list;
    std::string uri = params.at("textDocument").at("uri").get<std::string>();
    bool with_declaration = params.contains("context") && params["context"].value("includeDeclaration", false);
    if (with_declaration && entity->declaration.line != 0) {
        list.push_back({{"uri", uri}, {"range", range_json(analysis.to_editor(entity->declaration))}});
    }
    for (const formcomp::name_use &use : entity->uses) {
        list.push_back({{"uri", uri}, {"range", range_json(analysis.to_editor(use.where))}});
    }
    return list;
}

json language_server::completion(const json &params) const {
    const open_document &open = document(params);
    const document_analysis &analysis = *open.analysis;
    int line, column;
    analysis.to_source(position_of(params), line, column);
    json items = json::array();
    auto add_names = [&](const std::vector<known_name> &known, int kind) {
        for (const known_name &entity : known) {
            if (entity.kind == name_class::undeclared) continue;
            items.push_back({{"label", entity.name}, {"kind", kind}, {"detail", class_word(entity.kind)}});
        }
    };
    if (follows_goto(analysis.line_before(line, column))) {
        add_names(open.labels, completion_reference);
        return {{"isIncomplete", false}, {"items", items}};
    }
    for (std::string_view keyword : keywords()) {
        if (find_builtin(keyword)) continue;
        items.push_back({{"label", keyword}, {"kind", completion_keyword}});
    }
    for (const builtin &entry : builtins()) {
        items.push_back({{"label", entry.name},
                         {"kind", completion_function},
                         {"detail", entry.signature},
                         {"documentation", entry.description},
                         {"insertText", entry.snippet},
                         {"insertTextFormat", snippet_format}});
    }
    add_names(open.variables, completion_variable);
    return {{"isIncomplete", false}, {"items", items}};
}

json language_server::document_symbols(const json &params) const {
    const document_analysis &analysis = analysis_of(params);
    const formcomp::compile_result &result = analysis.result();
    auto symbol = [&](const std::string &name, int kind, const formcomp::source_range &range) {
        json r = range_json(analysis.to_editor(range));
        return json{{"name", name}, {"kind", kind}, {"range", r}, {"selectionRange", r}};
    };
    json children = json::array();
    auto add_group = [&](const char *title, int kind, const std::vector<const named_entity *> &members) {
        if (members.empty()) return;
        json group = symbol(title, symbol_namespace, members.front()->declaration);
        formcomp::source_range whole = members.front()->declaration;
        group["children"] = json::array();
        for (const named_entity *member : members) {
            group["children"].push_back(symbol(member->name, kind, member->declaration));
            whole.end_line = member->declaration.end_line;
            whole.end_column = member->declaration.end_column;
        }
        group["range"] = range_json(analysis.to_editor(whole));
        children.push_back(group);
    };
    for (name_class kind : {name_class::input, name_class::output, name_class::inout, name_class::local,
                            name_class::static_variable}) {
        std::vector<const named_entity *> members;
        for (const named_entity &variable : result.variables) {
            if (variable.kind == kind) members.push_back(&variable);
        }
        add_group(class_word(kind), symbol_variable, members);
    }
    std::vector<const named_entity *> labels;
    for (const named_entity &label : result.labels) {
        if (label.declaration.line != 0) labels.push_back(&label);
    }
    std::sort(labels.begin(), labels.end(), [](const named_entity *a, const named_entity *b) {
        return a->declaration.line != b->declaration.line ? a->declaration.line < b->declaration.line
                                                          : a->declaration.column < b->declaration.column;
    });
    add_group("label", symbol_key, labels);
    json list = json::array();
    if (result.formula_name.where.line == 0) return children;
    json formula = symbol(result.formula_name.text, symbol_function, result.formula_name.where);
    int last_line = static_cast<int>(std::count(analysis.text().begin(), analysis.text().end(), '\n')) + 1;
    formula["range"] = range_json({{0, 0}, analysis.to_editor(last_line, 1 << 30)});
    formula["children"] = children;
    list.push_back(formula);
    return list;
}

}  // namespace formula_lsp
