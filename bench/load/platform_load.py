#!/usr/bin/python3
"""Puts a fresh demo platform under load: CLIENTS clients, each a user of its own in the demo's
Common Space on one keep-alive connection, all signed in first, then for SECONDS seconds
searching, asking for details, downloading, locking and unlocking the demo drawings and
checking in versions of a file of their own. Prints the answers by request and status, then
what must hold: no error, no check-in lost (each client's last stored version is the
platform's), never two users holding one lock. Exits 1 when any of that fails.

Usage: platform_load.py PLATFORM_BINARY [CLIENTS [SECONDS]]   (defaults 50 and 30)"""

import collections
import hashlib
import http.client
import json
import os
import random
import subprocess
import sys
import tempfile
import threading
import time

SPACE = "Common Space"


def user_of(index):
    return "load-%03d" % index


# The platform lets a connection go when no request begins on it within 5 seconds of its last
# answer. A client that sends on such a connection later finds it closed (a broken pipe, or no
# answer): it opens a new one instead, as the connector does for every call.
IDLE_SECONDS = 4.5


class Client:
    def __init__(self, port, user):
        self.port = port
        self.user = user
        self.token = None
        self.connection = None
        self.last_answer = 0.0
        self.reconnects = 0  # connections opened anew after an idle time
        self.kept_for = None  # seconds the connection of the last request had been idle

    def connect(self):
        if self.connection is not None:
            self.kept_for = time.monotonic() - self.last_answer
            if self.kept_for < IDLE_SECONDS:
                return
            self.connection.close()
            self.reconnects += 1
        self.kept_for = None
        self.connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=60)

    def where(self):
        """Where the last request went, for an error's report."""
        if self.kept_for is None:
            return "on a new connection"
        return "on a connection idle for %.2f s" % self.kept_for

    def request(self, method, path, body=None, content_type="application/json"):
        self.connect()
        headers = {}
        if self.token:
            headers["Authorization"] = "Bearer " + self.token
        if isinstance(body, dict):
            body = json.dumps(body).encode()
        if body is not None:
            headers["Content-Type"] = content_type
        self.connection.request(method, path, body=body, headers=headers)
        answer = self.connection.getresponse()
        data = answer.read()
        self.last_answer = time.monotonic()
        return answer.status, data

    def json(self, method, path, body=None):
        status, data = self.request(method, path, body)
        return status, (json.loads(data) if data.startswith(b"{") else {"raw": data[:200]})


class Load:
    def __init__(self, port, clients, seconds):
        self.port = port
        self.clients = clients
        self.seconds = seconds
        self.mutex = threading.Lock()
        self.answers = collections.Counter()
        self.errors = []
        self.holders = {}  # phid -> the user that holds its lock, while it does
        self.double_locks = 0
        self.last_stored = {}  # automatic name -> SHA-256 of the last version stored
        self.reconnects = 0

    def note(self, kind, status, detail=b""):
        with self.mutex:
            self.answers[(kind, status)] += 1
            if status not in (200, 409) and len(self.errors) < 20:
                self.errors.append((kind, status, detail[:200]))

    def held(self, phid, user):
        with self.mutex:
            if self.holders.get(phid, user) != user:
                self.double_locks += 1
            self.holders[phid] = user

    def released(self, phid):
        # Before the unlock is sent: the time noted lies inside the time the platform gave.
        with self.mutex:
            del self.holders[phid]

    def check_in(self, client, name, title, serial):
        content = ("%s version %d\n" % (title, serial)).encode() * 40
        digest = hashlib.sha256(content).hexdigest()
        record = {"parent": -1, "title": title, "name": name, "collabspace": SPACE,
                  "offset": 0, "size": len(content), "sha256": digest}
        manifest = json.dumps({"records": [record]}).encode()
        body = (b"--B\r\nContent-Disposition: form-data; name=\"manifest\"\r\n"
                b"Content-Type: application/json\r\n\r\n" + manifest + b"\r\n--B\r\n"
                b"Content-Disposition: form-data; name=\"contents\"\r\n"
                b"Content-Type: application/octet-stream\r\n\r\n" + content + b"\r\n--B--\r\n")
        status, data = client.request("POST", "/api/v1/checkin", body,
                                      "multipart/form-data; boundary=B")
        self.note("checkin", status, data)
        if status == 200:
            with self.mutex:
                self.last_stored[name] = digest

    def run_client(self, index, start):
        # Every failure counts, also one outside the loop: a client never stops silently.
        client = Client(self.port, user_of(index))
        signed_in = False
        try:
            signed_in = self.sign_in(client)
        except Exception as error:
            self.note("sign-in", type(error).__name__, repr(error).encode())
        start.wait()
        if not signed_in:
            return
        try:
            self.work_as_client(client, index)
        except Exception as error:
            self.note("client", type(error).__name__, repr(error).encode())

    def sign_in(self, client):
        status, answer = client.json("POST", "/cas/v1/login",
                                     {"username": client.user,
                                      "password": client.user + "-pw", "space": SPACE})
        self.note("sign-in", status)
        client.token = answer.get("token")
        return status == 200

    def work_as_client(self, client, index):
        chance = random.Random(index)
        status, answer = client.json("POST", "/api/v1/search",
                                     {"query": {"_TypePattern": "*", "_CS": SPACE}})
        drawings = [o["phid"] for o in answer.get("objects", []) if o["title"].endswith(".dwg")]
        status, answer = client.json("POST", "/api/v1/autonames", {"count": 1})
        name = answer["names"][0]
        title = "load-%03d.txt" % index
        serial = 0
        self.check_in(client, name, title, serial)
        while time.monotonic() < self.end:
            pick = chance.random()
            phid = chance.choice(drawings)
            try:
                if pick < 0.35:
                    status, data = client.request("POST", "/api/v1/search",
                                                  {"query": {"_TypePattern": "*"}})
                    self.note("search", status, data)
                elif pick < 0.55:
                    status, data = client.request("POST", "/api/v1/details",
                                                  {"refs": [{"phid": phid}]})
                    self.note("details", status, data)
                elif pick < 0.75:
                    status, data = client.request("GET", "/api/v1/objects/%s/content" % phid)
                    self.note("content", status, data)
                elif pick < 0.9:
                    status, data = client.request("POST", "/api/v1/lock", {"ref": {"phid": phid}})
                    self.note("lock", status, data)
                    if status == 200:
                        self.held(phid, client.user)
                        # Held across one more request, as a user keeps a lock while working.
                        status, data = client.request("POST", "/api/v1/details",
                                                      {"refs": [{"phid": phid}]})
                        self.note("details", status, data)
                        self.released(phid)
                        status, data = client.request("POST", "/api/v1/unlock",
                                                      {"ref": {"phid": phid}})
                        self.note("unlock", status, data)
                else:
                    serial += 1
                    self.check_in(client, name, title, serial)
            except (OSError, http.client.HTTPException) as error:
                self.note("connection", type(error).__name__,
                          ("%r %s" % (error, client.where())).encode())
                client.connection.close()
                client.connection = None
        self.verify_stored(client, name)
        with self.mutex:
            self.reconnects += client.reconnects

    def verify_stored(self, client, name):
        status, answer = client.json("POST", "/api/v1/details", {"refs": [{"name": name}]})
        stored = (answer.get("results") or [None])[0] or {}
        with self.mutex:
            if stored.get("_sha256") != self.last_stored.get(name):
                self.errors.append(("lost", name, b"the platform holds another version"))
                self.answers[("lost", name)] += 1

    def run(self):
        # Every client signs in first; the load begins when all have.
        start = threading.Barrier(self.clients + 1)
        threads = [threading.Thread(target=self.run_client, args=(i, start))
                   for i in range(self.clients)]
        for thread in threads:
            thread.start()
        start.wait()
        began = time.monotonic()
        self.end = began + self.seconds
        for thread in threads:
            thread.join()
        return time.monotonic() - began


def add_users(binary, data, clients):
    for index in range(clients):
        subprocess.run([binary, "--data", data, "user", "add", user_of(index)],
                       input=(user_of(index) + "-pw\n").encode(), check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([binary, "--data", data, "member", "add", SPACE, user_of(index)],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def main():
    arguments = sys.argv[1:]
    if not arguments:
        print(__doc__, file=sys.stderr)
        return 2
    binary = arguments[0]
    clients = int(arguments[1]) if len(arguments) > 1 else 50
    seconds = float(arguments[2]) if len(arguments) > 2 else 30
    with tempfile.TemporaryDirectory() as folder:
        data = os.path.join(folder, "data")
        port_file = os.path.join(folder, "port")
        subprocess.run([binary, "--data", data, "demo"], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        add_users(binary, data, clients)
        with open(os.path.join(folder, "serve.log"), "w") as log:
            server = subprocess.Popen([binary, "--data", data, "serve", "--listen",
                                       "127.0.0.1:0", "--port-file", port_file],
                                      stdout=log, stderr=log)
        try:
            for _ in range(1000):
                if os.path.exists(port_file) and open(port_file).read().strip():
                    break
                if server.poll() is not None:
                    print("platform_load: the platform did not start", file=sys.stderr)
                    return 1
                time.sleep(0.01)
            port = int(open(port_file).read().strip())
            load = Load(port, clients, seconds)
            took = load.run()
        finally:
            server.terminate()
            server.wait()
    requests = sum(count for (kind, _), count in load.answers.items() if kind != "lost")
    print("%d clients for %.0f s on SQLite: %d requests in %.1f s (%.0f a second)"
          % (clients, seconds, requests, took, requests / took))
    for (kind, status), count in sorted(load.answers.items(), key=lambda item: str(item[0])):
        print("  %-10s %-18s %7d" % (kind, status, count))
    print("connections opened anew after %.1f s idle: %d" % (IDLE_SECONDS, load.reconnects))
    errors = sum(count for (kind, status), count in load.answers.items()
                 if kind != "lost" and status not in (200, 409))
    lost = sum(count for (kind, _), count in load.answers.items() if kind == "lost")
    print("errors %d, check-ins lost %d, double locks %d" % (errors, lost, load.double_locks))
    for error in load.errors:
        print("  ", error)
    return 1 if errors or lost or load.double_locks else 0


if __name__ == "__main__":
    sys.exit(main())
