// formula-lsp: the language server for formula sources (.frm), speaking the
// Language Server Protocol on standard input and output.
#include "tools/formula_lsp/language_server.h"
#include "tools/formula_lsp/transport.h"

#include <cstdio>
#include <utility>

int main() {
    formula_lsp::language_server server;
    formula_lsp::message_reader reader(stdin);
    while (std::optional<formula_lsp::framed_message> message = reader.next()) {
        std::vector<formula_lsp::json> replies =
            message->fault ? server.unreadable_message(message->fault) : server.handle(std::move(message->body));
        for (const formula_lsp::json &reply : replies) {
            formula_lsp::write_message(stdout, reply.dump(-1, ' ', false, formula_lsp::json::error_handler_t::replace));
        }
        if (server.exit_requested()) return server.exit_code();
    }
    return 1;
}
