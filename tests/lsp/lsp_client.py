"""A small JSON-RPC client over a child process's standard input and output,
framed as the Language Server Protocol frames its messages."""
import json
import queue
import subprocess
import threading


class LanguageServer:
    def __init__(self, command):
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.incoming = queue.Queue()
        self.next_id = 1
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        stream = self.process.stdout
        while True:
            length = None
            while True:
                line = stream.readline()
                if not line:
                    self.incoming.put(None)
                    return
                line = line.strip()
                if not line:
                    break
                name, _, value = line.partition(b":")
                if name.strip().lower() == b"content-length":
                    length = int(value)
            self.incoming.put(json.loads(stream.read(length)))

    def send_raw(self, data):
        self.process.stdin.write(data)
        self.process.stdin.flush()

    def send(self, message):
        body = json.dumps(message).encode()
        self.send_raw(b"Content-Length: %d\r\n\r\n" % len(body) + body)

    def notify(self, method, params):
        self.send({"jsonrpc": "2.0", "method": method, "params": params})

    def request(self, method, params, timeout=30):
        """Sends a request and returns its reply, keeping notifications aside."""
        request_id = self.next_id
        self.next_id += 1
        self.send({"jsonrpc": "2.0", "id": request_id, "method": method, "params": params})
        return self.reply_to(request_id, timeout)

    def reply_to(self, request_id, timeout=30):
        while True:
            message = self.receive(timeout)
            if message.get("id") == request_id and "method" not in message:
                return message

    def receive(self, timeout=30):
        message = self.incoming.get(timeout=timeout)
        if message is None:
            raise EOFError("the server closed its output")
        return message

    def diagnostics(self, uri, timeout=30):
        while True:
            message = self.receive(timeout)
            if message.get("method") == "textDocument/publishDiagnostics" and message["params"]["uri"] == uri:
                return message["params"]["diagnostics"]

    def close(self):
        self.process.stdin.close()
        return self.process.wait(timeout=30)
