"""The console's interface as a script or another page meets it: the token, the Host and the
Origin checks, the stream of events, and requests that are malformed or too large.

    api_test.py CONSOLE [WINE_RUN]"""

import http.client
import json
import sys
import unittest

import lab

COMMAND = []


class ConsoleInterface(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = lab.SharedFolder(["01"])
        cls.console = lab.Console(COMMAND, [cls.folder.data])

    @classmethod
    def tearDownClass(cls):
        cls.console.stop()
        cls.folder.remove()

    def raw(self, method, target, headers, body=None):
        """(status, text) of a request with exactly these headers."""
        connection = http.client.HTTPConnection("127.0.0.1", self.console.port, timeout=30)
        connection.putrequest(method, target, skip_host=True, skip_accept_encoding=True)
        for name, value in headers.items():
            connection.putheader(name, value)
        if body is not None:
            connection.putheader("Content-Length", str(len(body)))
        connection.endheaders(body)
        response = connection.getresponse()
        text = response.read().decode()
        connection.close()
        return response.status, text

    def test_every_request_needs_the_token_and_this_host(self):
        host = {"Host": f"127.0.0.1:{self.console.port}"}
        token = self.console.token
        cases = [
            ("no token", "GET", "/api/state", host, 403),
            ("a wrong token", "GET", "/api/state", dict(host, **{"X-Tovask-Token": "0" * 32}), 403),
            ("the token in the header", "GET", "/api/state", dict(host, **{"X-Tovask-Token": token}), 200),
            ("the token in the address", "GET", "/api/state?token=" + token, host, 200),
            ("the page without the token", "GET", "/", host, 403),
            ("the page with it", "GET", "/?token=" + token, host, 200),
            ("localhost", "GET", "/api/state?token=" + token,
             {"Host": f"localhost:{self.console.port}"}, 200),
            ("another name pointing here", "GET", "/api/state?token=" + token,
             {"Host": f"evil.example:{self.console.port}"}, 403),
            ("no Host at all", "GET", "/api/state?token=" + token, {}, 403),
            ("a release from another site", "POST", "/api/release?token=" + token,
             dict(host, Origin="http://evil.example"), 403),
            ("a release from the console's page", "POST", "/api/release?token=" + token,
             dict(host, Origin=f"http://127.0.0.1:{self.console.port}"), 200),
            ("a release from a script (no Origin)", "POST", "/api/release?token=" + token, host, 200),
        ]
        for what, method, target, headers, expected in cases:
            with self.subTest(what):
                body = b'{"hold": 1, "runs": "all"}' if method == "POST" else None
                status, _ = self.raw(method, target, headers, body)
                self.assertEqual(status, expected)

    def test_malformed_and_oversized_requests_are_refused(self):
        cases = [
            ("not JSON", "/api/release", "{hold: 1", 400, "not JSON"),
            ("no hold point", "/api/release", '{"runs": "all"}', 400, '"hold" must be 1 or 2'),
            ("hold point 3", "/api/release", '{"hold": 3, "runs": "all"}', 400, '"hold" must be 1 or 2'),
            ("runs neither all nor a list", "/api/release", '{"hold": 1, "runs": "some"}', 400,
             '"runs" must be'),
            ("a run that is not there", "/api/release", '{"hold": 1, "runs": ["out09.001"]}', 200,
             "no such run"),
            ("a plan with a fault", "/api/plan",
             '{"rows": [{"pc": "A", "input_data_file": "01", "language": "Klingon", "treatment": "1",'
             ' "time_to_wait": "3", "reading_time": "10"}]}', 400, "Klingon"),
            ("a body too large", "/api/plan", '{"rows": "' + "x" * 300000 + '"}', 413, "too large"),
        ]
        for what, path, body, status, said in cases:
            with self.subTest(what):
                got, text = self.raw("POST", path + "?token=" + self.console.token,
                                     {"Host": f"127.0.0.1:{self.console.port}"}, body.encode())
                self.assertEqual(got, status, text)
                self.assertIn(said, text.replace('\\"', '"'))  # as JSON writes quotes
        self.assertEqual(self.console.state()["plan"]["present"], False)

    def test_the_events_start_with_the_state(self):
        connection = http.client.HTTPConnection("127.0.0.1", self.console.port, timeout=30)
        connection.request("GET", "/api/events?token=" + self.console.token)
        response = connection.getresponse()
        self.assertEqual(response.status, 200)
        self.assertEqual(response.getheader("Content-Type"), "text/event-stream")
        line = response.readline().decode()
        self.assertTrue(line.startswith("data: "), line)
        self.assertIn("runs", json.loads(line[len("data: "):]))
        connection.close()


if __name__ == "__main__":
    COMMAND.extend(sys.argv[1:2] if len(sys.argv) < 3 else [sys.argv[2], sys.argv[1]])
    unittest.main(argv=sys.argv[:1])
