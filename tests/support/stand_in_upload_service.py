"""The stand-in upload service of StandInUploadService.h: RECORD MODE STATUS BODY; prints its port once it listens."""
import email.parser
import email.policy
import sys
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

record, mode, status, body = (sys.argv + [""])[1:5]  # an empty BODY may arrive as no argument


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    log_message = lambda *args: None

    def do_POST(self):
        head = b"Content-Type: " + self.headers["Content-Type"].encode() + b"\r\n\r\n"
        form = email.parser.BytesParser(policy=email.policy.HTTP).parsebytes(head + self.rfile.read(int(self.headers["Content-Length"])))
        with open(record, "ab") as out:
            for part in form.iter_parts():
                out.write(("%s %s *.%s %s\n" % (self.path, part.get_param("name", header="content-disposition"), part.get_filename().split(".")[-1],
                                                part.get_content_type())).encode() + part.get_payload(decode=True) + b"\n")
        text = body.replace("{host}", "127.0.0.1:%d" % server.server_address[1]).encode()
        time.sleep(60 if mode == "slow" else 0)
        self.send_response(int(status))
        self.send_header("Connection", "close")
        if mode in ("reply", "slow"):
            self.send_header("Content-Length", str(len(text)))
        self.end_headers()
        self.wfile.write(text)
        while mode in ("flood", "trickle"):
            self.wfile.write(b"x" * (65536 if mode == "flood" else 512))
            time.sleep(0.02 if mode == "trickle" else 0)


server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
server.handle_error = lambda *args: None  # a client that hangs up on an endless reply
print(server.server_address[1], flush=True)
server.serve_forever()
