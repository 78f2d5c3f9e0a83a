// Starts korvane-lsp for Korvane skin descriptions.
const vscode = require('vscode');
const { LanguageClient, TransportKind } = require('vscode-languageclient/node');

let client;

function activate(context) {
  const settings = vscode.workspace.getConfiguration('korvane');
  const command = settings.get('server.path') || 'korvane-lsp';
  const extensionList = settings.get('extensionList');
  const server = { command, transport: TransportKind.stdio };
  client = new LanguageClient(
    'korvane',
    'Korvane',
    { run: server, debug: server },
    {
      documentSelector: [{ scheme: 'file', language: 'korvane' }],
      initializationOptions: extensionList ? { extensionList } : {},
    });
  client.start();
  context.subscriptions.push({ dispose: () => client && client.stop() });
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
