"""A stand-in for the remote upload service, on 127.0.0.1 and a port the system chooses.

Usage: stand_in_upload_service.py RECORD MODE [STATUS BODY]
Prints the port on one line once it listens. Every POST body is parsed as multipart/form-data
with the email package, and one JSON line per request is appended to RECORD: the path and, per
part, the field name, the file name, the content type and the content bytes in hex. Then it
answers with the status and, according to MODE:
  reply    - the body given (as UTF-8, with its length);
  slow     - the same, after 60 seconds, far past any bound of the client;
  flood    - the body given, then bytes without end, written as fast as the client reads;
  trickle  - the body given, then bytes without end, 512 every 20 ms.
"{host}" in the body stands for 127.0.0.1:port.
"""
import email.parser
import email.policy
import json
import sys
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

record, mode = sys.argv[1], sys.argv[2]
status = int(sys.argv[3]) if len(sys.argv) > 3 else 200
body = sys.argv[4] if len(sys.argv) > 4 else ""


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_POST(self):
        raw = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        head = b"Content-Type: " + self.headers.get("Content-Type", "").encode() + b"\r\n\r\n"
        form = email.parser.BytesParser(policy=email.policy.HTTP).parsebytes(head + raw)
        parts = [{"name": part.get_param("name", header="content-disposition"),
                  "filename": part.get_filename(),
                  "type": part.get_content_type(),
                  "hex": part.get_payload(decode=True).hex()}
                 for part in (form.iter_parts() if form.is_multipart() else [])]
        with open(record, "a") as out:
            out.write(json.dumps({"path": self.path, "parts": parts}) + "\n")

        text = body.replace("{host}", "127.0.0.1:%d" % server.server_address[1]).encode()
        try:
            if mode == "slow":
                time.sleep(60)
            self.send_response(status)
            self.send_header("Connection", "close")
            if mode in ("reply", "slow"):
                self.send_header("Content-Length", str(len(text)))
                self.end_headers()
                self.wfile.write(text)
                return

            self.end_headers()
            self.wfile.write(text)
            chunk = b"x" * (65536 if mode == "flood" else 512)
            while True:
                self.wfile.write(chunk)
                self.wfile.flush()
                if mode == "trickle":
                    time.sleep(0.02)
        except OSError:
            pass


server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()
