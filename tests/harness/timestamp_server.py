#!/usr/bin/env python3
"""An RFC 3161 time-stamp server on 127.0.0.1 for the signing tests, answering with openssl ts
under a throwaway certificate made in WORKDIR. Prints its port, then serves until killed.
   timestamp_server.py WORKDIR"""
import http.server
import os
import subprocess
import sys
import tempfile

CONFIG = """[ req ]
distinguished_name = dn
[ dn ]
[ tsa_ext ]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = critical, timeStamping
[ tsa ]
default_tsa = tsa_config
[ tsa_config ]
serial = ./serial
signer_cert = ./tsa.pem
signer_key = ./tsa.key
certs = ./tsa.pem
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256
accuracy = secs:1
ess_cert_id_alg = sha256
"""


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        with tempfile.NamedTemporaryFile(dir=".") as f:
            f.write(query)
            f.flush()
            reply = subprocess.run(["openssl", "ts", "-reply", "-config", "tsa.cnf", "-queryfile", f.name],
                                   capture_output=True, check=False)
        self.send_response(200 if reply.returncode == 0 else 500)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.end_headers()
        self.wfile.write(reply.stdout)

    def log_message(self, *args):
        pass


def main():
    os.makedirs(sys.argv[1], exist_ok=True)
    os.chdir(sys.argv[1])
    with open("tsa.cnf", "w") as f:
        f.write(CONFIG)
    with open("serial", "w") as f:
        f.write("01\n")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "tsa.key", "-out",
                    "tsa.pem", "-days", "2", "-subj", "/CN=Quovix time-stamp test", "-config", "tsa.cnf",
                    "-extensions", "tsa_ext"], check=True, capture_output=True)
    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    print(server.server_port, flush=True)
    server.serve_forever()


main()
