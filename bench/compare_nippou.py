#!/usr/bin/python3
"""Runs the daily report of 500 lessons on the large school in the program and in
the openpyxl peer (same rows, same template) and prints both times and the ratio.

    /usr/bin/python3 bench/compare_nippou.py [BUILD_FOLDER]   (default: build)
"""
import json
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
REPEAT = 3


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build")
    bench = os.path.join(build, "bench", "bench_reports")
    if not os.path.exists(bench):
        print("no %s: build the target bench_reports first" % bench, file=sys.stderr)
        return 1
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([bench, "--peer-rows", folder], check=True, stdout=subprocess.DEVNULL)
        ours = subprocess.run([bench, "--benchmark_filter=BM_Nippou_500Lessons",
                               "--benchmark_repetitions=%d" % REPEAT, "--benchmark_format=json"],
                              check=True, capture_output=True, text=True)
        runs = [b for b in json.loads(ours.stdout)["benchmarks"] if b.get("run_type") == "iteration"]
        ours_s = min(b["real_time"] for b in runs) / 1000.0   # milliseconds
        peer = subprocess.run(["/usr/bin/python3", os.path.join(HERE, "peer_nippou.py"),
                               os.path.join(folder, "rows.json"), os.path.join(folder, "template.xlsx"),
                               os.path.join(folder, "peer.xlsx"), str(REPEAT)],
                              check=True, capture_output=True, text=True)
        fields = peer.stdout.split()
        pages, peer_s = int(fields[1]), float(fields[3])
    print("daily report, 500 lessons (%d pages), best of %d:" % (pages, REPEAT))
    print("  kaedemaru (template, query, pages, .xlsx): %.3f s" % ours_s)
    print("  openpyxl peer (template, pages, .xlsx):    %.3f s" % peer_s)
    print("  ratio: %.1fx" % (peer_s / ours_s))
    return 0


if __name__ == "__main__":
    sys.exit(main())
