#!/usr/bin/python3
# Checks a CSV in SI units against the instrument's RAW file of the same record, without
# the program's help: numpy reads both and computes time = i * seconds_per_sample and
# volts = counts * volts_per_div / 25 itself. A switched-off channel's RAW column is empty.
# usage: si_csv_check.py CSV RAW SECONDS_PER_SAMPLE
import sys
import numpy as np

csv_path, raw_path, sps = sys.argv[1:]
with open(raw_path, encoding="latin-1") as raw:
    header = [raw.readline() for _ in range(5)]
vpd = [float(v) for v in header[3].split(",")]
counts = np.genfromtxt(raw_path, delimiter=",", skip_header=5, ndmin=2, encoding="latin-1")
channels = [c for c in (1, 2) if not np.isnan(counts[:, c - 1]).all()]
data = np.genfromtxt(csv_path, delimiter=",", names=True)
assert list(data.dtype.names) == ["time_s"] + ["ch%d_V" % c for c in channels], data.dtype.names
assert len(data) == len(counts), (len(data), len(counts))
assert np.allclose(data["time_s"], np.arange(len(counts)) * float(sps), rtol=1e-12, atol=0)
for c in channels:
    assert np.allclose(data["ch%d_V" % c], counts[:, c - 1] * vpd[c - 1] / 25, rtol=1e-12, atol=0), c
print("ok", len(data))
