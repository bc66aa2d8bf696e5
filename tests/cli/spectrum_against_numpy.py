#!/usr/bin/python3
"""miravo-cli spectrum against numpy: a file of known tones is written here, and the
program's CSV, JSON and failures are checked against numpy's FFT and the closed forms.
Usage: spectrum_against_numpy.py MIRAVO-CLI (in a scratch directory)."""
import json
import math
import subprocess
import sys

import numpy as np

cli = sys.argv[1]
n, rate = 102400, 2e6                 # a long record at 5 ms/DIV
volts_per_count = 0.5 / 25            # 500 mV/DIV
# 12.5 kHz of 100 counts (2 V peak) with 5 % second and 3 % third harmonic, between bins:
# 12.5 kHz is bin 640, 12 507.3 Hz lies 0.37 bin above it.
f0 = 12507.3
i = np.arange(n)
counts = np.round(100 * np.sin(2 * np.pi * f0 * i / rate) + 5 * np.sin(4 * np.pi * f0 * i / rate + 1)
                  + 3 * np.sin(6 * np.pi * f0 * i / rate + 2))
rows = ["TONES", "5ms/DIV,0 s", "ON,OFF", "500mV/DIV,1 V/DIV", "0DIV,0DIV"] + ["%d," % v for v in counts]
with open("tones.CSV", "w", newline="") as f:
    f.write("\r\n".join(rows) + "\r\n")

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def run(*arguments):
    return subprocess.run([cli, "spectrum", "tones.CSV", *arguments], capture_output=True, text=True)


# Every bin against numpy: the periodic hann window, levels of a sinusoid's RMS in dBV.
out = run("--csv")
check(out.returncode == 0, "--csv failed: " + out.stderr)
lines = out.stdout.splitlines()
check(lines[0] == "frequency,level", "CSV header: " + lines[0])
table = np.array([[float(v) for v in line.split(",")] for line in lines[1:]])
check(table.shape == (n // 2 + 1, 2), "CSV shape %s" % (table.shape,))
check(np.allclose(table[:, 0], np.arange(n // 2 + 1) * rate / n, rtol=1e-6), "CSV frequencies")
w = 0.5 - 0.5 * np.cos(2 * np.pi * i / n)
x = counts * volts_per_count
spectrum = np.fft.rfft((x - x.mean()) * w)
reference = 20 * np.log10(np.maximum(np.sqrt(2) * np.abs(spectrum) / w.sum(), 1e-10))
shown = reference > -150
check(np.max(np.abs(table[shown, 1] - reference[shown])) < 1e-6, "CSV levels differ from numpy")

# The summary figures against the closed forms: 2 V peak is 3.01 dBV, THD sqrt(5² + 3²) %.
out = run("--json")
check(out.returncode == 0, "--json failed: " + out.stderr)
result = json.loads(out.stdout)
check(set(result) == {"channel", "window", "sampleRate", "binWidth", "bins", "fundamental", "thdPercent", "peaks"},
      "JSON keys %s" % sorted(result))
check(result["channel"] == 1 and result["window"] == "hann" and result["bins"] == n // 2 + 1, "JSON header")
check(abs(result["sampleRate"] - rate) < 1 and abs(result["binWidth"] - rate / n) < 1e-3, "JSON rates")
fundamental = result["fundamental"]
check(abs(fundamental["frequency"] - f0) < 0.05 * rate / n, "fundamental at %s Hz" % fundamental["frequency"])
check(abs(fundamental["level"] - 20 * math.log10(2 / math.sqrt(2))) < 0.05, "fundamental %s dBV" % fundamental["level"])
check(abs(result["thdPercent"] - math.hypot(5, 3)) < 0.1, "THD %s %%" % result["thdPercent"])
check(len(result["peaks"]) == 10 and result["peaks"][0] == fundamental, "peaks")
check(abs(result["peaks"][1]["frequency"] - 2 * f0) < 1, "second peak at %s Hz" % result["peaks"][1]["frequency"])

# From 1 ms to 2 ms: samples 2000 to 4000 (2001 of them), 1001 bins of 999.5 Hz.
out = run("--json", "--from", "1m", "--to", "2m", "--window", "flat-top")
part = json.loads(out.stdout) if out.returncode == 0 else {}
check(part.get("bins") == 1001 and abs(part.get("binWidth", 0) - rate / 2001) < 1e-3, "--from/--to: %s" % out.stderr)
check(abs(part["fundamental"]["level"] - 20 * math.log10(2 / math.sqrt(2))) < 0.1, "flat-top part: %s" % part["fundamental"])

# Refusals: nothing on standard output, one line on standard error.
for arguments, status in ((["--window", "kaiser"], 1), (["--channel", "2"], 1), (["--channel", "3"], 1),
                          (["--json", "--csv"], 1), (["--from", "2m", "--to", "1m"], 1), (["--to", "60m"], 1),
                          (["--from", "x"], 1), (["--from", "0", "--to", "5u"], 1)):
    out = run(*arguments)
    check(out.returncode == status and out.stdout == "" and out.stderr.count("\n") == 1,
          "%s gave %d, stdout %r" % (arguments, out.returncode, out.stdout[:40]))
out = subprocess.run([cli, "spectrum", "missing.CSV"], capture_output=True, text=True)
check(out.returncode == 3 and out.stdout == "", "a missing file gave %d" % out.returncode)

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
