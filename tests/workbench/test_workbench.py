#!/usr/bin/python3
"""The workbench in a real headless Chromium: the operator's story on the demo site, then real use.

Starts `panel_host --serve` on the demo, chooses row 3, picks 12, presses Select and Network, checks the
cells and the transcript on the page, saves the session as a scenario and replays it with the command
line, which must pass. Then a burst of clicks, the device table, the server stopped and started again
under the open page, and `--watch` with a panel rebuilt to a variant that draws differently and back.
Exits 77 (skipped) where no browser can be driven, unless CI=true.
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import workbench_driver  # noqa: E402

SKIPPED = 77


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def story(page):
    check(page.cell("Mixer", 3, 1) == "009" and page.cell("Mixer", 3, 2) == "Graphics Fill",
          "row 3 shows its stored destination 9 after start-up")
    page.choose_row("Mixer", 3)
    check(page.selected_row("Mixer") == 3 and page.enabled("Deselect"), "row 3 is chosen and Deselect enabled")

    # A disabled button cannot be clicked: the click sends nothing.
    lines = len(page.transcript())
    page.press("Select")
    check(len(page.transcript()) == lines, "a click on the disabled Select button does nothing")

    page.pick("Dest", 12)
    check(page.enabled("Select"), "Select is enabled once a row and a destination are chosen")
    page.press("Select")
    check([page.cell("Mixer", 3, c) for c in (1, 2, 3)] == ["012", "Camera 12", "*"],
          "row 3 shows the edit: 012, Camera 12, *")
    check(not page.enabled("Select") and page.enabled("Network"), "Select is disabled and Network enabled")

    page.press("Network")
    check(page.cell("Mixer", 3, 3) == "", "the revertive of slot 183 clears the change mark")
    check(not page.enabled("Network"), "Network is disabled after the write")
    check("   sent    IW 7 '12' 183 1" in page.transcript("sent"), "the transcript shows the write to slot 183")
    check('   event   revertive 7 183 "12"' in page.transcript("event"), "and the revertive it brought")
    check(page.transcript("ERROR") == [] and page.transcript("FAIL") == [], "no ERROR or FAIL line")

    # A number typed into Dest counts without Enter: Select is then ready.
    page.choose_row("Mixer", 4)
    page.control("Dest").find_element("css selector", "input").send_keys("5")
    page.wait_for("document.querySelector('[data-control=\"Select\"]').dataset.enabled === 'true' && "
                  "document.body.dataset.busy === 'false'", timeout=10)
    page.press("Select")
    check(page.cell("Mixer", 4, 1) == "005", "a Dest typed without Enter is picked, and Select uses it")
    page.press("Network")

    # On a 1280 x 800 screen the panel's buttons stay in view beside its sixteen rows.
    page.driver.set_window_size(1280, 800)
    try:
        bottom = page.js("return document.querySelector('[data-control=\"Network\"]').getBoundingClientRect().bottom")
        check(bottom <= page.js("return window.innerHeight"), f"Network is in view at 1280 x 800 ({bottom})")
    finally:
        page.driver.set_window_size(1400, 1100)


def burst_and_devices(page):
    """Twenty clicks made without waiting are twenty steps in click order; the slots keep what is sent."""
    rows = [1 + (i * 7) % 16 for i in range(20)]
    page.js("""for (const row of arguments[0])
                 document.querySelector(`[data-control="Mixer"] [data-row="${row}"]`).click();""", rows)
    page.wait_idle()
    steps = [line.split("select ")[1] for line in page.transcript("step") if "  select " in line]
    check(steps[-20:] == [str(row) for row in rows], f"the burst is played in click order: {steps[-20:]}")
    check(page.selected_row("Mixer") == rows[-1], "the last row clicked is the one chosen")

    slot = page.driver.find_element("css selector", '[data-slot="188"] input[type="text"]')
    slot.clear()
    slot.send_keys("20\n")
    page.wait_idle()
    check(page.js('return document.querySelector(\'[data-slot="188"] input[type="text"]\').value') == "20",
          "a value sent from the slot table stays shown")
    check(page.cell("Mixer", 8, 2) == "Remote 1", "and the row it feeds shows it")
    check("Mixer row 8" in page.js('return document.querySelector(\'[data-slot="188"] .feeds\').textContent'),
          "the slot says which row it feeds")
    page.driver.find_element("css selector", '[aria-label="silent 196"]').click()
    page.wait_idle()
    check(page.js('return document.querySelector(\'[data-slot="196"] input[type="text"]\').disabled'),
          "a silent slot's field takes no revertive")

    # A step that cannot be carried out: its reason in the banner and under its step in the transcript,
    # and the banner goes with the next step that succeeds.
    page.js("act({action: 'select', control: 'Mixer', row: 99})")
    page.wait_idle()
    problem = page.js("return document.getElementById('problem').textContent")
    check("no row 99" in problem, f"the banner says why: {problem!r}")
    check(any("no row 99" in line for line in page.transcript("refused")), "and so does the transcript")
    page.choose_row("Mixer", 2)
    check(page.js("return document.getElementById('problem').hidden"), "the next success clears the banner")


def restart_under_open_page(bench, page, args):
    """The page notices a server that went away and takes up a new one on the same address by itself."""
    port = bench.port
    second = subprocess.run([args.panel_host, "--serve", "--port", str(port), args.library, args.site],
                            capture_output=True, text=True, timeout=60)
    check(second.returncode == 2 and "load_orvo_client_script" not in second.stdout,
          f"a second workbench on the port is refused before its script starts:\n{second.stdout}{second.stderr}")
    check(bench.stop() == 0, "panel_host --serve ends with status 0:\n" + "".join(bench.output))
    page.wait_for("document.body.dataset.connected === 'false'", timeout=5)
    again = workbench_driver.Workbench(args.panel_host, args.library, args.site, port=port)
    try:
        page.wait_for("document.body.dataset.connected === 'true' && document.body.dataset.busy === 'false'",
                      timeout=15)
        # The notice comes with the new session's first drawing, which may follow the connection.
        page.wait_for("document.getElementById('notice').textContent.includes('new session')", timeout=15)
        page.choose_row("Mixer", 5)
        check(page.selected_row("Mixer") == 5, "the page works the new session")
        check(page.js("return document.getElementById('problem').hidden"), "no error banner is left over")
    finally:
        check(again.stop() == 0, "the second panel_host ends with status 0:\n" + "".join(again.output))


def listen_elsewhere(args):
    """Another address than loopback: a warning, and the Host check stays on."""
    import urllib.error
    import urllib.request

    bench = workbench_driver.Workbench(args.panel_host, args.library, args.site, listen="0.0.0.0")
    try:
        check(any("any machine that can reach" in line for line in bench.output),
              "listening beyond this machine is warned about:\n" + "".join(bench.output))
        url = f"http://127.0.0.1:{bench.port}/state"
        for host, status in ((f"LOCALHOST:{bench.port}", 200), (f"0.0.0.0:{bench.port}", 200),
                             (f"elsewhere.example:{bench.port}", 403)):
            try:
                with urllib.request.urlopen(urllib.request.Request(url, headers={"Host": host}), timeout=30) as r:
                    got = r.status
            except urllib.error.HTTPError as error:
                got = error.code
            check(got == status, f"Host {host} answers {status}, not {got}")
    finally:
        check(bench.stop() == 0, "panel_host --listen 0.0.0.0 ends with status 0:\n" + "".join(bench.output))


def watch_rebuilds(args, scratch):
    """--watch: the module rebuilt to a variant that draws differently, a broken build, and back again."""
    before, after = args.variants[:2]
    library = os.path.join(scratch, "Variant.so")
    shutil.copyfile(before, library)
    bench = workbench_driver.Workbench(args.panel_host, library, args.variant_site, watch=True)
    try:
        page = workbench_driver.Page(bench.url, os.path.join(scratch, "watch-profile"))
        try:
            check(page.js("return document.body.dataset.build") == "1", "the first load is build 1")
            page.press("Mark")
            check(page.cell("Rows", 1, 0) == "before", "build 1 draws 'before'")
            check(page.js("return document.querySelector('[data-params=\"Mark\"] [data-param=\"text\"]')"
                          ".textContent") == "text=ON", "a parameter the panel set with TP is shown")

            shutil.copyfile(after, library)
            page.wait_for("document.body.dataset.build === '2' && document.body.dataset.busy === 'false'")
            check(page.cell("Rows", 1, 0) == "after", "build 2 replays the session and draws 'after'")
            check(page.js("return document.getElementById('compare').dataset.compare") == "different",
                  "the page shows that build 2 differs")
            compare = json.loads(bench.get("/compare"))
            check(compare["same"] is False and compare["step"] == "press Mark" and "before" in compare["old"]
                  and "after" in compare["new"], f"GET /compare names the step and both lines: {compare}")

            with open(library, "wb") as broken:
                broken.write(b"\x7fELF half written")
            page.wait_for("document.querySelector('[data-build-problem]') !== null", timeout=10)
            check(page.js("return document.body.dataset.build") == "2" and page.cell("Rows", 1, 0) == "after",
                  "a build that does not load leaves the session as it was")

            shutil.copyfile(before, library)
            page.wait_for("document.body.dataset.build === '3' && document.body.dataset.busy === 'false'")
            check(page.cell("Rows", 1, 0) == "before", "build 3 is back to 'before'")
            check(json.loads(bench.get("/compare"))["new"].find("before") >= 0, "and says what changed back")
            check(page.js("return document.querySelector('[data-build-problem]')") is None,
                  "the load problem is gone with a good build")
            saved = bench.get("/scenario")
            check(saved.count("press Mark") == 1 and "cell.0.0=before" in saved,
                  "the saved session is the new build's:\n" + saved)

            page.driver.find_element("id", "stop").click()
            page.wait_idle()
            check("has stopped" in page.js("return document.getElementById('run-state').textContent"),
                  "the header says the script has stopped")
            page.driver.find_element("id", "clear").click()
            page.wait_for("document.querySelectorAll('#transcript li').length === 0")
            page.driver.find_element("id", "new-session").click()
            page.wait_idle()
            check("script running" in page.js("return document.getElementById('run-state').textContent"),
                  "a new session starts the script again")
            saved = bench.get("/scenario")
            check("press Mark" not in saved and "\nstart\n" in saved, "and its session is empty:\n" + saved)
        finally:
            page.close()
    finally:
        status = bench.stop()
    check(status == 0, "panel_host --serve --watch ends with status 0:\n" + "".join(bench.output))


def broken_builds(args, scratch):
    """The author's broken builds under --watch: a crash, a hang, a file cut short, then a good build. The
    server outlives each, the page says what happened, the compare is red, the session stays whole, and
    it is taken up again after the server itself is killed. Then 16 event streams and a chunked 1 MiB body
    leave the page loading."""
    import http.client

    before, after, crash, hang = args.variants
    library = os.path.join(scratch, "Broken.so")
    shutil.copyfile(before, library)
    env = dict(os.environ, XDG_STATE_HOME=os.path.join(scratch, "state"))
    bench = workbench_driver.Workbench(args.panel_host, library, args.variant_site, watch=True,
                                       extra=["--step-limit", "3"], env=env)
    page = workbench_driver.Page(bench.url, os.path.join(scratch, "broken-profile"))
    try:
        page.press("Mark")
        build = 1
        for broken, says in ((crash, "crashed at step 2 `press Mark`: the script crashed (SIGSEGV)"),
                             (hang, "hung at step 2 `press Mark`: the script did not finish within the step "
                                    "limit of 3 s")):
            shutil.copyfile(broken, library)
            build += 1
            page.wait_for("document.querySelector('[data-build-failure]') !== null", timeout=20)
            failure = page.js("return document.querySelector('[data-build-failure]').textContent")
            check(says in failure, f"the page says build {build} {says}: {failure!r}")
            check(page.js("return document.getElementById('compare').dataset.compare") == "stopped",
                  "the compare is red where the replay stopped")
            check("replayed 1 of 2 steps" in page.js("return document.getElementById('compare').textContent"),
                  "and says how far it got")
            check(any(says in line for line in bench.output), "the terminal says it too")
            view = page.js("const list = document.getElementById('transcript');"
                           "return [list.getBoundingClientRect().bottom, window.innerHeight, "
                           "list.scrollTop + list.clientHeight, list.scrollHeight]")
            check(view[0] <= view[1] and view[2] >= view[3] - 4,
                  f"the transcript's newest line stays in view below the banners: {view}")
            check("press Mark" in bench.get("/scenario"), "the session is whole")
            page.driver.find_element("id", "take-back").click()
            page.wait_for("document.querySelector('[data-build-failure]') === null && "
                          "document.body.dataset.busy === 'false'")
            check(page.cell("Rows", 1, 0) == "before", "build 1 taken back plays the session again")

        with open(before, "rb") as whole, open(library, "wb") as cut:
            cut.write(whole.read()[:20000])
        page.wait_for("document.querySelector('[data-build-problem]') !== null", timeout=20)
        problem = page.js("return document.querySelector('[data-build-problem]').textContent")
        check("cut short" in problem, f"a file cut short is not loaded, and the page says why: {problem!r}")

        shutil.copyfile(after, library)
        page.wait_for("document.querySelector('[data-build-problem]') === null && "
                      "document.body.dataset.busy === 'false' && "
                      "document.getElementById('compare').dataset.compare === 'different'", timeout=20)
        check(page.cell("Rows", 1, 0) == "after", "the good build takes the session up")
        marked = page.js("return [...document.querySelectorAll('[data-compare-new] [data-differs=\"true\"]')]"
                         ".map((line) => line.textContent)")
        check(any("after" in line for line in marked), f"the differing line is marked: {marked}")

        # A right-to-left override in a text is shown escaped, never turning the line around.
        connection = http.client.HTTPConnection("127.0.0.1", bench.port, timeout=30)
        connection.request("POST", "/action", json.dumps({"action": "request", "text": "abc\u202edef"}),
                           {"Content-Type": "application/json"})
        check(connection.getresponse().status == 200, "a request with an override is played")
        page.wait_for("[...document.querySelectorAll('#transcript li')].some((li) => "
                      "li.textContent.includes('abc\\\\u202Edef'))", timeout=10)
        check(not any("\u202e" in line for line in page.transcript()), "no override reaches the page as is")

        # 16 event streams, then a page: the oldest streams are ended so that the page still loads.
        streams = []
        for _ in range(16):
            connection = http.client.HTTPConnection("127.0.0.1", bench.port, timeout=10)
            connection.request("GET", "/events")
            connection.getresponse()
            streams.append(connection)
        connection = http.client.HTTPConnection("127.0.0.1", bench.port, timeout=30)
        connection.putrequest("POST", "/action")
        connection.putheader("Content-Type", "application/json")
        connection.putheader("Transfer-Encoding", "chunked")
        connection.endheaders()
        chunk = b"x" * 65536
        cut_off = False  # the server may close the connection once the body is over its limit
        try:
            for _ in range(16):
                connection.send(b"%x\r\n%s\r\n" % (len(chunk), chunk))
            connection.send(b"0\r\n\r\n")
        except OSError:
            cut_off = True
        try:
            status = connection.getresponse().status
        except (OSError, http.client.HTTPException):
            status = None
        check(status == 413 or (cut_off and status is None),
              f"a chunked 1 MiB body is refused (413 or the connection cut), not {status}")
        page.open(bench.url)
        check(page.cell("Rows", 1, 0) == "after", "the page still loads after 16 streams and a 1 MiB body")
        for stream in streams:
            stream.close()
        saved = bench.get("/scenario")
    finally:
        page.close()
        bench.process.kill()  # the server itself dies, as a crash would take it
        bench.stop()
    sessions = os.path.join(scratch, "state", "panel_host", "sessions")
    files = os.listdir(sessions)
    check(len(files) == 1, f"one session file in {sessions}: {files}")
    # Started again on the same port, the page offers the session the killed server left.
    again = workbench_driver.Workbench(args.panel_host, library, args.variant_site, port=bench.port, env=env)
    page = workbench_driver.Page(again.url, os.path.join(scratch, "resume-profile"))
    try:
        page.wait_for("document.getElementById('resume') !== null", timeout=10)
        page.driver.find_element("id", "resume").click()
        page.wait_idle()
        check(again.get("/scenario") == saved, "the page takes the session up again after the server died")
    finally:
        page.close()
        check(again.stop() == 0, "the resumed run ends with status 0:\n" + "".join(again.output))
    resumed = workbench_driver.Workbench(args.panel_host, library, args.variant_site,
                                         extra=["--resume", os.path.join(sessions, files[0])], env=env)
    try:
        check(resumed.get("/scenario") == saved, "and so does --resume FILE")
    finally:
        check(resumed.stop() == 0, "the resumed run ends with status 0:\n" + "".join(resumed.output))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--panel-host", required=True)
    parser.add_argument("--library", required=True)
    parser.add_argument("--site", required=True)
    parser.add_argument("--screenshot", default="workbench.png", help="where to save the page's picture")
    parser.add_argument("--variants", nargs=4, required=True,
                        help="the --watch stories' panel built 'before', 'after', to crash and to hang")
    parser.add_argument("--variant-site", required=True)
    args = parser.parse_args()

    missing = workbench_driver.browser_missing()
    if missing:
        if os.environ.get("CI") == "true":
            print(f"workbench test: {missing}; CI must run this test", file=sys.stderr)
            return 1
        print(f"workbench test skipped: {missing}; scripts/install-browser.sh installs it")
        return SKIPPED

    with tempfile.TemporaryDirectory() as scratch:
        # The sessions the workbenches save go to the scratch folder, not the user's own.
        os.environ["XDG_STATE_HOME"] = os.path.join(scratch, "state-of-the-other-stories")
        bench = workbench_driver.Workbench(args.panel_host, args.library, args.site)
        try:
            page = workbench_driver.Page(bench.url, os.path.join(scratch, "profile"))
            try:
                story(page)
                page.screenshot(args.screenshot)
                saved = bench.get("/scenario")
                burst_and_devices(page)
                restart_under_open_page(bench, page, args)
            finally:
                page.close()
        finally:
            status = bench.stop()
        check(status == 0, f"panel_host --serve ends with status 0, not {status}:\n" + "".join(bench.output))
        listen_elsewhere(args)
        watch_rebuilds(args, scratch)
        broken_builds(args, scratch)

        scenario = os.path.join(scratch, "session.scenario")
        with open(scenario, "w") as out:
            out.write(saved)
        replay = subprocess.run([args.panel_host, args.library, args.site, scenario], capture_output=True,
                                text=True)
        check(replay.returncode == 0, f"the saved session replays green, but:\n{replay.stdout}{replay.stderr}")
        check("select 3\n" in saved and "pick 12\n" in saved and "press Network\n" in saved,
              "the saved session holds the operator's steps:\n" + saved)
    print("workbench test: the stories held and the saved session replays green")
    return 0


if __name__ == "__main__":
    sys.exit(main())
