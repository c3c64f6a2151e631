// Arbitrary bytes through formula-lsp's handler, as the only message of a
// session and as the text of an open document followed by requests at
// positions taken from the input: no crash, no sanitizer report, and every
// request gets exactly one reply.
#include "tools/formula_lsp/language_server.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using formula_lsp::json;

void expect_one_reply(formula_lsp::language_server &server, const json &request) {
    int replies = 0;
    for (const json &message : server.handle(request.dump(-1, ' ', false, json::error_handler_t::replace))) {
        if (message.contains("id") && message["id"] == request["id"]) ++replies;
        // Everything sent must be writable as JSON.
        (void)message.dump(-1, ' ', false, json::error_handler_t::replace);
    }
    if (replies != 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char *>(data), size);
    formula_lsp::language_server server;
    server.handle(json{{"jsonrpc", "2.0"}, {"id", 0}, {"method", "initialize"}, {"params", json::object()}}.dump());
    // The bytes as a JSON-RPC message.
    server.handle(bytes);

    // The bytes as a document: diagnostics, then requests around it.
    std::string uri = "file:///fuzz.frm";
    server.handle(json{{"jsonrpc", "2.0"},
                       {"method", "textDocument/didOpen"},
                       {"params", {{"textDocument", {{"uri", uri}, {"languageId", "formula"}, {"version", 1},
                                                     {"text", bytes}}}}}}
                      .dump(-1, ' ', false, json::error_handler_t::replace));
    int line = size > 0 ? data[0] % 16 : 0, character = size > 1 ? data[1] % 64 : 0;
    int id = 1;
    for (const char *method : {"textDocument/hover", "textDocument/definition", "textDocument/references",
                               "textDocument/completion"}) {
        expect_one_reply(server, {{"jsonrpc", "2.0"},
                                  {"id", id++},
                                  {"method", method},
                                  {"params",
                                   {{"textDocument", {{"uri", uri}}},
                                    {"position", {{"line", line}, {"character", character}}},
                                    {"context", {{"includeDeclaration", true}}}}}});
    }
    expect_one_reply(server, {{"jsonrpc", "2.0"},
                              {"id", id++},
                              {"method", "textDocument/documentSymbol"},
                              {"params", {{"textDocument", {{"uri", uri}}}}}});
    return 0;
}
