#!/usr/bin/python3
"""The workbench after a long session: the server's memory and the time to a settled new page.

Serves the demo, posts ACTIONS actions over HTTP as a page would (choose a row, pick a destination,
press Select, round and round), and at each checkpoint reports the server's resident memory, the
session's steps as saved (GET /scenario) and the time a new headless Chromium page takes from opening
to drawn and settled (body data-busy="false").
"""
import argparse
import http.client
import json
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import workbench_driver  # noqa: E402


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--panel-host", required=True)
    parser.add_argument("--library", required=True)
    parser.add_argument("--site", required=True)
    parser.add_argument("--checkpoints", type=int, nargs="+", default=[10000, 100000])
    args = parser.parse_args()

    missing = workbench_driver.browser_missing()
    if missing:
        print(f"long session: {missing}", file=sys.stderr)
        return 1
    with tempfile.TemporaryDirectory() as scratch:
        bench = workbench_driver.Workbench(args.panel_host, args.library, args.site)
        try:
            pid = bench.process.pid
            connection = http.client.HTTPConnection("127.0.0.1", bench.port, timeout=60)
            # A browser that has shown the page once, as the author's has: what is timed is the page
            # opened after the session, not Chromium's start-up.
            page = workbench_driver.Page(bench.url, os.path.join(scratch, "profile"))
        except Exception:
            bench.stop()
            raise
        try:
            page.driver.get("about:blank")
            start_kib = resident_kib(pid)
            print(f"after start-up: {start_kib / 1024:.1f} MiB resident")
            done = 0
            for checkpoint in sorted(args.checkpoints):
                while done < checkpoint:
                    kind = done % 3
                    row = 1 + (done // 3) % 16
                    action = ({"action": "select", "control": "Mixer", "row": row} if kind == 0 else
                              {"action": "pick", "control": "Dest", "number": 1 + (done // 3) % 20} if kind == 1
                              else {"action": "press", "control": "Select"})
                    connection.request("POST", "/action", json.dumps(action),
                                       {"Content-Type": "application/json"})
                    response = connection.getresponse()
                    response.read()
                    if response.status != 200:
                        raise RuntimeError(f"action {done + 1} answered {response.status}")
                    done += 1
                kib = resident_kib(pid)
                steps = len(bench.get("/scenario").encode())
                page_start = time.monotonic()
                page.open(bench.url)
                settled = time.monotonic() - page_start
                lines = len(page.transcript())
                page.driver.get("about:blank")
                print(f"after {checkpoint} actions: {kib / 1024:.1f} MiB resident, "
                      f"{(kib - start_kib) / 1024:.1f} MiB more than after start-up; the saved steps take "
                      f"{steps / 1024 / 1024:.1f} MiB; a new page settled in {settled * 1000:.0f} ms "
                      f"with {lines} transcript lines")
        finally:
            page.close()
            bench.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
