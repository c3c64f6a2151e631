// formula-lsp: the language server for formula sources (.frm), speaking the
// Language Server Protocol on standard input and output.
#include "tools/formula_lsp/language_server.h"
#include "tools/formula_lsp/transport.h"

#include <cstdio>

int main() {
    formula_lsp::language_server server;
    while (std::optional<formula_lsp::framed_message> message = formula_lsp::read_message(stdin)) {
        std::vector<formula_lsp::json> replies =
            message->usable ? server.handle(message->body) : server.unreadable_message();
        for (const formula_lsp::json &reply : replies) {
            formula_lsp::write_message(stdout, reply.dump(-1, ' ', false, formula_lsp::json::error_handler_t::replace));
        }
        if (server.exit_requested()) return server.exit_code();
    }
    return 1;
}
