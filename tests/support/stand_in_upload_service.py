"""A stand-in for the remote upload service, on 127.0.0.1 and a port the system chooses.

Usage: stand_in_upload_service.py RECORD MODE [STATUS BODY]
Prints the port on one line once it listens. Every POST body is parsed as multipart/form-data
with the email package, and one JSON line per request is appended to RECORD: the path and, per
part, the field name, the file name, the content type and the content bytes in hex. Then it
answers according to MODE:
  reply    - the status and the body given (the body as UTF-8, with its length);
  flood    - status 200 and a body that never ends, written as fast as the client reads;
  trickle  - status 200 and a body that never ends, 512 bytes every 20 ms.
"""
import email.parser
import email.policy
import json
import sys
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

record, mode = sys.argv[1], sys.argv[2]
status = int(sys.argv[3]) if len(sys.argv) > 3 else 200
body = sys.argv[4].encode() if len(sys.argv) > 4 else b""


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

        self.send_response(status)
        self.send_header("Connection", "close")
        if mode == "reply":
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return

        self.end_headers()
        chunk = b"x" * (65536 if mode == "flood" else 512)
        try:
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
