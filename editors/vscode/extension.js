// Starts formula-lsp for formula sources and connects it to the editor.
const vscode = require("vscode");
const { LanguageClient } = require("vscode-languageclient/node");

let client;

function activate(context) {
  const command = vscode.workspace.getConfiguration("formula").get("server.path", "formula-lsp");
  const server = { command, args: [] };
  client = new LanguageClient(
    "formula-lsp",
    "Formula language server",
    { run: server, debug: server },
    { documentSelector: [{ language: "formula" }] }
  );
  context.subscriptions.push({ dispose: () => client && client.stop() });
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
