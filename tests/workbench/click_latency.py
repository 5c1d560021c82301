#!/usr/bin/python3
"""Click latency of the workbench: from a click on Select to the redrawn cell, timed inside the page.

Each round chooses a row and a destination (not timed), then clicks Select and times until the row's
destination cell shows the new number. Prints the median and the 95th percentile in milliseconds.
"""
import argparse
import os
import statistics
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import workbench_driver  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--panel-host", required=True)
    parser.add_argument("--library", required=True)
    parser.add_argument("--site", required=True)
    parser.add_argument("--clicks", type=int, default=200)
    args = parser.parse_args()

    missing = workbench_driver.browser_missing()
    if missing:
        print(f"click latency: {missing}", file=sys.stderr)
        return 1
    with tempfile.TemporaryDirectory() as scratch:
        bench = workbench_driver.Workbench(args.panel_host, args.library, args.site)
        try:
            page = workbench_driver.Page(bench.url, os.path.join(scratch, "profile"))
            try:
                times = []
                for click in range(args.clicks + 10):
                    row = 1 + click % 16
                    destination = 100 + click % 800  # a new number each time a row comes round
                    page.choose_row("Mixer", row)
                    page.pick("Dest", destination)
                    ms = page.click_until_cell('[data-control="Select"]', "Mixer", row, 1, f"{destination:03d}")
                    page.wait_idle()
                    if click >= 10:  # the first few warm the browser up
                        times.append(ms)
            finally:
                page.close()
        finally:
            bench.stop()
    # The medians of each quarter of the session show whether a longer session gets slower.
    quarter = max(1, len(times) // 4)
    quarters = [statistics.median(times[i:i + quarter]) for i in range(0, quarter * 4, quarter)]
    times.sort()
    p95 = times[max(0, int(round(0.95 * len(times))) - 1)]
    print(f"click to redrawn cell, {len(times)} clicks: median {statistics.median(times):.1f} ms, "
          f"95th percentile {p95:.1f} ms, slowest {times[-1]:.1f} ms; "
          f"median by quarter of the session: {', '.join(f'{q:.1f}' for q in quarters)} ms")
    return 0


if __name__ == "__main__":
    sys.exit(main())
