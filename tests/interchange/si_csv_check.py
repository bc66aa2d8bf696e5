#!/usr/bin/python3
# Checks a CSV in SI units against the counts it was made from, independently of the
# program: numpy reads the file and computes time = i * seconds_per_sample and
# volts = counts * volts_per_div / 25 itself.
# usage: si_csv_check.py FILE COUNTS SECONDS_PER_SAMPLE VPD1 VPD2 CHANNELS
import sys
import numpy as np

path, counts_path, sps, vpd1, vpd2, channels = sys.argv[1:]
channels = [int(c) for c in channels.split(",")]
data = np.genfromtxt(path, delimiter=",", names=True)
expected_names = ["time_s"] + ["ch%d_V" % c for c in channels]
assert list(data.dtype.names) == expected_names, data.dtype.names
counts = np.loadtxt(counts_path, delimiter=",", ndmin=2)
vpd = {1: float(vpd1), 2: float(vpd2)}
assert len(data) == len(counts), (len(data), len(counts))
assert np.allclose(data["time_s"], np.arange(len(counts)) * float(sps), rtol=1e-12, atol=0)
for c in channels:
    assert np.allclose(data["ch%d_V" % c], counts[:, c - 1] * vpd[c] / 25, rtol=1e-12, atol=0), c
print("ok", len(data))
