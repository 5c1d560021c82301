"""Drives the panel_host workbench in a headless Chromium, as an operator would.

Workbench starts `panel_host --serve` on a free port and stops it; Page opens the workbench page and
clicks through the markup the page promises (data-control, data-row, data-cell, data-kind), waiting after
each action until the page says it has drawn the outcome (body data-busy="false"). The browser test and
the click-latency benchmark share it. Run with /usr/bin/python3, where Debian installs Selenium.
"""
import os
import re
import signal
import subprocess
import threading
import urllib.request

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"


def browser_missing():
    """Why a browser cannot be driven here, or None when it can."""
    for program in (CHROMIUM, CHROMEDRIVER):
        if not os.access(program, os.X_OK):
            return f"{program} is missing (Debian packages chromium, chromium-driver)"
    try:
        import selenium  # noqa: F401
    except ImportError:
        return "Selenium is missing (Debian package python3-selenium)"
    return None


class Workbench:
    """One `panel_host --serve` run; its transcript is kept in `output`."""

    def __init__(self, panel_host, library, site, scenario=None, port=0, watch=False, listen=None, extra=(),
                 env=None):
        command = ([panel_host, "--serve", "--port", str(port)] + (["--watch"] if watch else []) +
                   (["--listen", listen] if listen else []) + list(extra) +
                   [library, site] + ([scenario] if scenario else []))
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                        errors="replace", env=env)
        self.output = []
        found = threading.Event()
        self.url = None

        def read():
            for line in self.process.stdout:
                self.output.append(line)
                match = re.search(r"the workbench is at (http://\S+/)", line)
                if match:
                    self.url = match.group(1)
                    found.set()
            found.set()

        self.reader = threading.Thread(target=read, daemon=True)
        self.reader.start()
        if not found.wait(60) or self.url is None:
            self.stop()
            raise RuntimeError("panel_host --serve did not come up:\n" + "".join(self.output))

    @property
    def port(self):
        return int(re.search(r":(\d+)/$", self.url).group(1))

    def get(self, path):
        with urllib.request.urlopen(self.url.rstrip("/") + path, timeout=30) as response:
            return response.read().decode()

    def stop(self):
        """Ends the run as Ctrl-C does; returns panel_host's exit status."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGINT)
            try:
                self.process.wait(60)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.reader.join(10)
        return self.process.returncode


class Page:
    """The workbench page in a fresh headless Chromium profile under `profile_dir` (url None: none yet)."""

    def __init__(self, url, profile_dir):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service

        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for argument in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                         "--no-first-run", "--disable-background-networking", "--disable-component-update",
                         "--disable-sync", "--window-size=1400,1100", f"--user-data-dir={profile_dir}"):
            options.add_argument(argument)
        self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        if url is not None:
            self.open(url)

    def open(self, url):
        """Opens the workbench page and waits until it is drawn and settled."""
        self.driver.get(url)
        self.wait_idle()

    def close(self):
        self.driver.quit()

    def wait_idle(self, timeout=20):
        self.wait_for("document.body.dataset.busy === 'false'", timeout)

    def wait_for(self, condition, timeout=20):
        """Waits until the JavaScript expression `condition` holds on the page."""
        from selenium.webdriver.support.ui import WebDriverWait

        WebDriverWait(self.driver, timeout, poll_frequency=0.02).until(
            lambda driver: driver.execute_script("return " + condition))

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def control(self, control_id):
        from selenium.webdriver.common.by import By

        return self.driver.find_element(By.CSS_SELECTOR, f'[data-control="{control_id}"]')

    def choose_row(self, list_id, row):
        from selenium.webdriver.common.by import By

        self.control(list_id).find_element(By.CSS_SELECTOR, f'[data-row="{row}"]').click()
        self.wait_idle()

    def pick(self, picker_id, number):
        from selenium.webdriver.common.by import By
        from selenium.webdriver.common.keys import Keys

        field = self.control(picker_id).find_element(By.CSS_SELECTOR, "input")
        field.clear()
        field.send_keys(str(number), Keys.ENTER)
        self.wait_idle()

    def press(self, control_id):
        self.control(control_id).click()
        self.wait_idle()

    def enabled(self, control_id):
        return self.control(control_id).get_attribute("data-enabled") == "true"

    def selected_row(self, list_id):
        from selenium.webdriver.common.by import By

        rows = self.control(list_id).find_elements(By.CSS_SELECTOR, '[data-row][aria-selected="true"]')
        return int(rows[0].get_attribute("data-row")) if rows else None

    def cell(self, list_id, row, cell):
        from selenium.webdriver.common.by import By

        return self.control(list_id).find_element(By.CSS_SELECTOR, f'[data-cell="{row}.{cell}"]').get_attribute(
            "textContent")

    def transcript(self, kind=None):
        """The transcript lines on the page (of one kind), oldest first."""
        return self.driver.execute_script(
            "return [...document.querySelectorAll('#transcript li')]"
            ".filter(li => arguments[0] === null || li.dataset.kind === arguments[0])"
            ".map(li => li.textContent)", kind)

    def click_until_cell(self, selector, list_id, row, cell, text):
        """Clicks the element and returns the milliseconds until the cell shows `text`, timed in the page."""
        return self.driver.execute_async_script("""
            const [selector, cellSelector, text, done] = arguments;
            const list = document.querySelector(cellSelector.list);
            const cell = () => list.querySelector(cellSelector.cell);
            const start = performance.now();
            const watch = new MutationObserver(() => {
              if (cell().textContent === text) { watch.disconnect(); done(performance.now() - start); }
            });
            watch.observe(list, {childList: true, characterData: true, subtree: true});
            document.querySelector(selector).click();
        """, selector, {"list": f'[data-control="{list_id}"]', "cell": f'[data-cell="{row}.{cell}"]'}, text)

    def screenshot(self, path):
        self.driver.execute_script("window.scrollTo(0, 0)")
        self.driver.save_screenshot(path)
